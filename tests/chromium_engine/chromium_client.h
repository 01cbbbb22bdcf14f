#pragma once
// What a program that starts the host over the browser engine needs: the engine's control pipe
// (a web view's screenshot, a value of its page) and the content types a Windows machine knows.

#include <windows.h>

#include <string>
#include <utility>

#include "engine_client.h"

// "views", "screenshot\t<view>\t<png path>" (answers "ok") or "evaluate\t<view>\t<expression>"
// (answers the value as JSON) to the browser engine inside host process host_pid.
inline std::string ChromiumEngineRequest(DWORD host_pid, const std::string& request) {
  return EngineRequest(host_pid, request, 100, L"corvane-chromium-engine-");
}

// The host serves archive entries with the content types the registry names, as Windows has
// them for web files; a fresh Wine prefix lacks some. Adds those that are missing.
inline void EnsureWebContentTypes() {
  const std::pair<const wchar_t*, const wchar_t*> kTypes[] = {
      {L".html", L"text/html"}, {L".css", L"text/css"}, {L".js", L"text/javascript"},
      {L".bmp", L"image/bmp"},  {L".png", L"image/png"}, {L".svg", L"image/svg+xml"},
  };
  for (const auto& type : kTypes) {
    wchar_t value[MAX_PATH] = {};
    DWORD bytes = sizeof(value);
    if (RegGetValueW(HKEY_CLASSES_ROOT, type.first, L"Content Type", RRF_RT_REG_SZ, nullptr, value, &bytes) == ERROR_SUCCESS) {
      continue;
    }
    RegSetKeyValueW(HKEY_CLASSES_ROOT, type.first, L"Content Type", REG_SZ, type.second,
                    static_cast<DWORD>((wcslen(type.second) + 1) * sizeof(wchar_t)));
  }
}
