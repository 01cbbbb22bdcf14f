#pragma once
// Starting, watching and cleaning up a second process from a Windows test.

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "base/scoped_handle_win.h"
#include "webview2common/program_path_win.h"  // the programs under test lie beside the tests

namespace testwin {

class ChildProcess {
 public:
  using Environment = std::vector<std::pair<std::wstring, std::wstring>>;

  ChildProcess() = default;
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Starts program with the given arguments; overrides replace or add environment variables.
  bool Start(const std::wstring& program, const std::wstring& arguments,
             const Environment& overrides = {});
  // The exit code, or STILL_ACTIVE when the process is still running after timeout_ms.
  DWORD Wait(DWORD timeout_ms);
  // Posts a thread message to the main thread, retrying until its queue exists.
  bool PostToMainThread(UINT message, DWORD timeout_ms);
  void Kill();

  DWORD pid() const { return pid_; }
  DWORD tid() const { return tid_; }
  HANDLE handle() const { return process_.Get(); }

 private:
  ScopedHandle process_;
  ScopedHandle thread_;
  DWORD pid_ = 0;
  DWORD tid_ = 0;
};

// A new empty folder under the temporary folder.
std::wstring MakeTempFolder(const std::wstring& prefix);
void RemoveTree(const std::wstring& folder);
// The host's log path when its temporary folder is temp (temp\Tandrel\log\Corvane.log), with
// its folders made; logging is on once the path + ".on" exists.
std::wstring MakeHostLogPath(const std::wstring& temp);
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
std::string ReadFileBytes(const std::wstring& path);
bool FileExists(const std::wstring& path);
// text as the inside of a JSON string (backslashes and quotes escaped).
std::u16string JsonText(const std::wstring& text);
// A narrow REG_SZ value under HKEY_LOCAL_MACHINE, or empty.
std::string MachineRegistryText(const wchar_t* key, const char* name, REGSAM view = 0);

}  // namespace testwin
