#pragma once
// The client side of the test engine's control pipe (see README.md beside this file).

#include <windows.h>

#include <string>

// One request to the engine inside the host process host_pid; waits for the pipe while the
// host starts up. "error: no engine pipe" when it never answers. The browser engine serves
// its own pipe, "corvane-chromium-engine-".
inline std::string EngineRequest(DWORD host_pid, const std::string& request, int attempts = 100,
                                 const wchar_t* pipe_prefix = L"corvane-test-engine-") {
  const std::wstring pipe = L"\\\\.\\pipe\\" + std::wstring(pipe_prefix) + std::to_wstring(host_pid);
  std::string answer(1 << 20, '\0');
  for (int attempt = 0; attempt < attempts; ++attempt) {
    DWORD read = 0;
    if (CallNamedPipeW(pipe.c_str(), const_cast<char*>(request.data()), static_cast<DWORD>(request.size()),
                       answer.data(), static_cast<DWORD>(answer.size()), &read, 5000)) {
      answer.resize(read);
      return answer;
    }
    Sleep(20);
  }
  return "error: no engine pipe";
}
