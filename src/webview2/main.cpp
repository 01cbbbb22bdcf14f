// Entry point of the browser host process.
#include <windows.h>
#include <ole2.h>
#include <shlwapi.h>

#include <memory>

#include "base/system_thread_win.h"
#include "base/text_win.h"
#include "crash/crash_handler_win.h"
#include "log/logger.h"
#include "mid/machine_id_win.h"
#include "webview2/app_module.h"
#include "webview2/data_directory_win.h"
#include "webview2/dpi_math.h"
#include "webview2/dpi_win.h"
#include "webview2/shutdown_watchdog_win.h"
#include "webview2/webview2ipc.h"
#include "webview2common/command_line.h"

CAppModule g_app_module;

namespace {

constexpr int kLogSizeCap = 0x6400000;

void OpenLog(const std::u16string& data_directory) {
  if (data_directory.empty()) return;
  wchar_t path[MAX_PATH] = {};
  if (PathCombineW(path, as_wcstr(data_directory), L"log\\Corvane.log") == nullptr) return;
  LogUtils::InitLog(as_u16cstr(path), 0, 0, kLogSizeCap, u"");
}

void RunMessageLoop() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Gathering the machine identifiers can pause half a second for hardware that is slow to show
// up. That happens here, on a thread of its own, and not on the UI thread when a page first
// asks for them.
ScopedHandle GatherMachineIdentifiers() {
  return base::StartSystemThread([] {
    wchar_t id[260] = {};
    GetMachineId(id, 260);
    GetMachineId2(id, 260);
    LOG_INFO("machine identifiers gathered");
  });
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int) {
  try {
    OleInitialize(nullptr);
    g_app_module.Init(instance);

    auto command_line = std::make_unique<CCommandLine>(to_u16(arguments));
    const char* dpi_awareness = command_line->HasKey(u"--enable_high_dpi")
                                    ? dpi::EnableProcessDpiAwareness(dpi::kContextPerMonitorV2)
                                    : nullptr;
    InstallCrashHandler(L"Corvane", 0, nullptr);
    const std::u16string data_directory = FindUserDataDirectory();
    OpenLog(data_directory);
    if (dpi_awareness != nullptr) LOG_INFO("dpi awareness: ", dpi_awareness);
    const ScopedHandle identifiers = GatherMachineIdentifiers();

    auto dispatcher = std::make_unique<CWebView2IPC>(data_directory);
    dispatcher->Init(to_u16(GetCommandLineW()));

    RunMessageLoop();
    shutdown::LoopEnded();

    if (identifiers.IsValid()) WaitForSingleObject(identifiers.Get(), 2000);  // not torn down under it
    LOG_INFO("quit process");
    LogUtils::UninitLog();
    g_app_module.Term();
    dispatcher.reset();
    command_line.reset();
    OleUninitialize();
  } catch (...) {
    // Nothing may unwind out of the entry point; the exit code is the same either way.
  }
  return -1;
}
