// Which DPI function the process uses depends on what the system exports.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "webview2/dpi_win.h"

namespace {

std::vector<std::string> g_calls;
bool g_has_context = false;
bool g_has_shcore = false;
bool g_refuses_v2 = false;  // a system before per-monitor v2

BOOL WINAPI FakeSetContext(HANDLE context) {
  const int value = static_cast<int>(reinterpret_cast<intptr_t>(context));
  g_calls.push_back("context " + std::to_string(value));
  return g_refuses_v2 && value == -4 ? FALSE : TRUE;
}
HRESULT WINAPI FakeSetAwareness(int level) {
  g_calls.push_back("shcore " + std::to_string(level));
  return S_OK;
}
BOOL WINAPI FakeSetAware() {
  g_calls.push_back("system aware");
  return TRUE;
}

FARPROC FakeLookup(const wchar_t* module, const char* name) {
  const std::string proc(name);
  if (proc == "SetProcessDpiAwarenessContext" && _wcsicmp(module, L"User32.dll") == 0) {
    return g_has_context ? reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&FakeSetContext)) : nullptr;
  }
  if (proc == "SetProcessDpiAwareness" && _wcsicmp(module, L"Shcore.dll") == 0) {
    return g_has_shcore ? reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&FakeSetAwareness)) : nullptr;
  }
  if (proc == "SetProcessDPIAware") return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&FakeSetAware));
  return nullptr;
}

using Calls = std::vector<std::string>;

// The calls made, then the outcome the log tells.
Calls Enable(bool has_context, bool has_shcore, int context, bool refuses_v2 = false) {
  g_calls.clear();
  g_has_context = has_context;
  g_has_shcore = has_shcore;
  g_refuses_v2 = refuses_v2;
  Calls calls;
  const std::string outcome = dpi::EnableProcessDpiAwareness(context, &FakeLookup);
  calls = g_calls;
  calls.push_back(outcome);
  return calls;
}

TEST(DpiAwareness, UsesTheNewestFunctionAvailable) {
  EXPECT_EQ(Enable(true, true, -4), (Calls{"context -4", "per-monitor v2"}));
  EXPECT_EQ(Enable(true, true, -4, true), (Calls{"context -4", "context -3", "per-monitor (v2 refused)"}));
  EXPECT_EQ(Enable(false, true, -4), (Calls{"shcore 2", "per-monitor (shcore)"}));
  EXPECT_EQ(Enable(false, true, -2), (Calls{"shcore 1", "system (shcore)"}));
  EXPECT_EQ(Enable(false, false, -4), (Calls{"system aware", "system"}));
  EXPECT_EQ(Enable(false, false, -1), Calls{"unchanged"});
}

TEST(DisplayScaleOfWindow, IsASaneFactorForTheDesktop) {
  const float scale = dpi::MonitorScaleFactor(GetDesktopWindow());
  EXPECT_GE(scale, 1.0f);
  EXPECT_LE(scale, 5.0f);
  EXPECT_FLOAT_EQ(scale * 100.0f, static_cast<float>(static_cast<int>(scale * 100.0f + 0.5f)));
}

}  // namespace
