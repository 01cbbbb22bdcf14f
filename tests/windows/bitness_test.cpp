// Window handles keep the 32-bit values the channel carries in either bitness, and a parent of
// one bitness drives a host of the other: the test command runs these (and the other host
// suites) once with the host beside the tests and, where the machine runs both, once with the
// host of the other bitness.
#include <gtest/gtest.h>

#include "host_session.h"
#include "webview2common/message/ipc_protocol.h"
#include "webview2common/window_handle_win.h"

namespace {

using testwin::HostSession;

TEST(WindowHandleValue, KeepsTheLow32BitsAndSignExtendsBack) {
  for (uint32_t value : {0u, 0x10040u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFEu}) {
    const HWND window = WindowFromHandleValue(value);
    EXPECT_EQ(WindowHandleValue(window), value);
    EXPECT_EQ(reinterpret_cast<intptr_t>(window), static_cast<intptr_t>(static_cast<int32_t>(value)))
        << "a 32-bit value becomes a handle as the system sign-extends it: " << value;
  }
  const HWND desktop = GetDesktopWindow();
  EXPECT_EQ(WindowFromHandleValue(WindowHandleValue(desktop)), desktop);
}

// Whether a process runs 32-bit code, on a 64-bit system or a 32-bit one.
bool Is32BitProcess(HANDLE process) {
  BOOL self_wow64 = FALSE;
  BOOL wow64 = FALSE;
  if (!IsWow64Process(GetCurrentProcess(), &self_wow64) || !IsWow64Process(process, &wow64)) {
    ADD_FAILURE() << "IsWow64Process failed: " << GetLastError();
  }
  const bool system_is_64bit = sizeof(void*) == 8 || self_wow64;
  return !system_is_64bit || wow64;
}

TEST(MixedBitness, HostOfTheChosenBitnessPlacesItsWindowInThisParentsWindow) {
  HostSession host;
  corvane::HostWindowSettings main = host.MainSettings(256);
  main.url = u"https://a.example/";
  main.title = u"bitness";
  ASSERT_TRUE(host.StartWith(main));
  EXPECT_EQ(Is32BitProcess(host.link.host_process()), testwin::HostPointerSize() == 4)
      << "the host runs with the bitness the run asked for";

  // The handle in event 1 came through the channel as 32 bits and names the host's window,
  // which the host created inside this process's window from the 32-bit value it was given.
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtCreated) == 1; }));
  const HWND window = WindowFromHandleValue(static_cast<uint32_t>(host.events.Of(IPC::kEvtCreated)[0].number));
  ASSERT_TRUE(IsWindow(window));
  EXPECT_EQ(window, host.FindBrowserWindow(L"bitness"));
  EXPECT_EQ(GetParent(window), host.parent_window);

  ASSERT_TRUE(host.link.SetBounds(256, 30, 40, 320, 200));
  ASSERT_TRUE(host.WaitFor([&] {
    RECT r{};
    GetWindowRect(window, &r);
    MapWindowPoints(HWND_DESKTOP, host.parent_window, reinterpret_cast<POINT*>(&r), 2);
    return r.left == 30 && r.top == 40 && r.right - r.left == 320 && r.bottom - r.top == 200;
  }));

  ASSERT_TRUE(host.link.Close(256));
  EXPECT_EQ(host.WaitForHostExit(), 0xFFFFFFFFu);
  EXPECT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtClosed) == 1; }));
}

}  // namespace
