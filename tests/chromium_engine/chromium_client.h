#pragma once
// What a program that starts the host over the browser engine needs: the engine's control pipe
// (a web view's screenshot, a value of its page).

#include <windows.h>

#include <string>

#include "engine_client.h"

// "views", "screenshot\t<view>\t<png path>" (answers "ok") or "evaluate\t<view>\t<expression>"
// (answers the value as JSON) to the browser engine inside host process host_pid.
inline std::string ChromiumEngineRequest(DWORD host_pid, const std::string& request) {
  return EngineRequest(host_pid, request, 100, L"corvane-chromium-engine-");
}
