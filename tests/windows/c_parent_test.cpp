// The parent library's C interface: a parent written in C drives whole sessions through the DLL,
// and the DLL exports exactly the functions its header declares.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>

#include "child_process.h"
#include "corvane_parent.h"

namespace {

// The names in a DLL's export table, read from the file.
std::set<std::string> ExportedNames(const std::string& image) {
  std::set<std::string> names;
  auto u16 = [&](size_t at) { return at + 2 <= image.size() ? static_cast<uint32_t>(static_cast<uint8_t>(image[at]) | static_cast<uint8_t>(image[at + 1]) << 8) : 0u; };
  auto u32 = [&](size_t at) { return u16(at) | u16(at + 2) << 16; };
  const size_t pe = u32(0x3c);
  if (image.compare(pe, 4, std::string("PE\0\0", 4)) != 0) return names;
  const size_t optional = pe + 24;
  const bool plus = u16(optional) == 0x20b;
  const uint32_t export_rva = u32(optional + (plus ? 112 : 96));
  const size_t sections = optional + u16(pe + 20);
  const uint32_t section_count = u16(pe + 6);
  // A relative address as a file offset, through the section holding it.
  auto offset = [&](uint32_t rva) -> size_t {
    for (uint32_t i = 0; i < section_count; ++i) {
      const size_t s = sections + i * 40;
      const uint32_t address = u32(s + 12), size = u32(s + 16), raw = u32(s + 20);
      if (rva >= address && rva < address + size) return raw + (rva - address);
    }
    return 0;
  };
  const size_t directory = offset(export_rva);
  if (directory == 0) return names;
  const uint32_t count = u32(directory + 24);
  const size_t table = offset(u32(directory + 32));
  for (uint32_t i = 0; i < count && table != 0; ++i) {
    const size_t name = offset(u32(table + 4 * i));
    if (name != 0) names.insert(image.substr(name, image.find('\0', name) - name));
  }
  return names;
}

TEST(CParent, TheDllExportsExactlyTheFunctionsOfItsHeader) {
  const std::string header = testwin::ReadFileBytes(ProgramFolder() + L"\\..\\bin\\corvane_parent_c.h");
  ASSERT_FALSE(header.empty()) << "the header is copied beside the DLL";
  std::set<std::string> declared;
  const std::regex declaration(R"(CORVANE_API [^;]*? CORVANE_CALL (corvane_\w+)\()");
  for (auto it = std::sregex_iterator(header.begin(), header.end(), declaration); it != std::sregex_iterator(); ++it) {
    declared.insert((*it)[1]);
  }
  EXPECT_GE(declared.size(), 25u);
  const std::set<std::string> exported = ExportedNames(testwin::ReadFileBytes(ProgramFolder() + L"\\..\\bin\\corvane_parent.dll"));
  EXPECT_EQ(exported, declared) << "plain names only: no C++ symbol, no decoration";
  // The .def written beside the DLL lists the same.
  const std::string def = testwin::ReadFileBytes(ProgramFolder() + L"\\..\\bin\\corvane_parent.def");
  for (const std::string& name : declared) EXPECT_NE(def.find(" " + name + " "), std::string::npos) << name;
}

// Each run of the C driver checks every answer on its way and exits with the number of failed
// checks, printing each.
TEST(CParent, AParentWrittenInCDrivesAWholeSession) {
  const std::wstring host = L"\"" + ProgramFolder() + L"\\Corvane.exe\"";
  testwin::ChildProcess session;
  ASSERT_TRUE(session.Start(ProgramFolder() + L"\\c_parent_driver.exe", L"session " + host));
  EXPECT_EQ(session.Wait(120000), 0u) << "failed checks, printed above";
  testwin::ChildProcess missing;
  ASSERT_TRUE(missing.Start(ProgramFolder() + L"\\c_parent_driver.exe", L"runtime-missing " + host,
                            {{L"CORVANE_ENGINE_RUNTIME", L"missing"}}));
  EXPECT_EQ(missing.Wait(60000), 0u) << "failed checks, printed above";
}

// The GUI example: its browser fills the client area through every resize, and closing the
// window ends the host before the window goes.
TEST(CParent, TheGuiExampleFitsTheBrowserAndEndsTheHostFirst) {
  const std::wstring temp = testwin::MakeTempFolder(L"gui-parent");
  testwin::ChildProcess gui;
  ASSERT_TRUE(gui.Start(ProgramFolder() + L"\\gui_parent.exe", L"", {{L"TMP", temp + L"\\"}}));
  auto wait = [](const std::function<bool()>& done) { return corvane::ParentLink::PumpUntil(done, 20000); };
  HWND top = nullptr;
  HWND browser = nullptr;
  ASSERT_TRUE(wait([&] {
    top = FindWindowW(L"CorvaneGuiParent", nullptr);
    browser = top != nullptr ? FindWindowExW(top, nullptr, nullptr, L"browser") : nullptr;
    return browser != nullptr && IsWindowVisible(top);
  }));
  DWORD host_id = 0;
  GetWindowThreadProcessId(browser, &host_id);
  ASSERT_NE(host_id, gui.pid());
  const ScopedHandle host(OpenProcess(SYNCHRONIZE, FALSE, host_id));
  ASSERT_TRUE(host.IsValid());

  RECT client{}, placed{};
  auto fits = [&] {
    GetClientRect(top, &client);
    GetWindowRect(browser, &placed);
    return placed.right - placed.left == client.right && placed.bottom - placed.top == client.bottom;
  };
  auto sizes = [&] {
    return std::to_string(placed.right - placed.left) + " x " + std::to_string(placed.bottom - placed.top) +
           " in " + std::to_string(client.right) + " x " + std::to_string(client.bottom);
  };
  EXPECT_TRUE(wait(fits)) << "at the start: " << sizes();
  for (const SIZE size : {SIZE{640, 480}, SIZE{1100, 760}, SIZE{320, 240}}) {
    SetWindowPos(top, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(wait(fits)) << size.cx << " x " << size.cy << ": " << sizes();
  }

  PostMessageW(top, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForSingleObject(host.Get(), 20000), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(gui.Wait(20000), 0u) << "0: the host had ended when the window went";
  testwin::RemoveTree(temp);
}

}  // namespace
