#include "crash/crash_handler_win.h"

#include <io.h>
#include <shellapi.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "base/callback_guard_win.h"
#include "base/text_win.h"
#include "crash/uploader_command.h"
#include "webview2/internal_fun/system_builtins.h"
#include "webview2common/program_path_win.h"

namespace {

// Everything the filter needs is prepared at installation, so that the filter itself allocates
// nothing in a process whose heap may be what failed.
struct CrashInfo {
  wchar_t source[crash::kInfoCapacity] = {};
  wchar_t version[crash::kInfoCapacity] = {};
  int report_mode = 0;
  std::array<std::wstring, 5> candidates;
  bool locked = false;
  unsigned char saved_code[8] = {};  // what the lock overwrote; never put back during the run
  wchar_t parameters[crash::kParameterCapacity] = {};
  volatile LONG active_thread = 0;  // the thread inside the filter, 0 for none
  DWORD wait_ms = crash::kUploaderWaitMs;
  bool callback_exceptions_kept = false;
  uint8_t header[1024] = {};  // a candidate's PE header, read in the filter
};

CrashInfo& Info() {
  static CrashInfo* info = new CrashInfo;  // never destroyed: the filter may run during exit
  return *info;
}

void CopyText(wchar_t (&to)[crash::kInfoCapacity], const wchar_t* from) {
  wcsncpy(to, from, crash::kInfoCapacity - 1);
  to[crash::kInfoCapacity - 1] = L'\0';
}

// "a.b.c.d" of the program file's fixed version; empty when the resource cannot be read or is
// implausibly large.
std::wstring ProgramVersion() {
  const std::wstring path = ProgramPath();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0 || size >= 16384) return {};
  std::vector<BYTE> block(size);
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data()) ||
      !VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || fixed == nullptr ||
      length < sizeof(VS_FIXEDFILEINFO)) {
    return {};
  }
  const std::u16string text = FixedVersionText(fixed->dwFileVersionMS, fixed->dwFileVersionLS);
  return std::wstring(as_wcstr(text));
}

// "Return null": xor eax, eax, then return, removing the one stack argument where the calling
// convention leaves that to the callee.
#if defined(__i386__) || defined(_M_IX86)
constexpr unsigned char kReturnNull[] = {0x33, 0xC0, 0xC2, 0x04, 0x00};
#else
constexpr unsigned char kReturnNull[] = {0x33, 0xC0, 0xC3};
#endif

// Makes every later SetUnhandledExceptionFilter call in the process return null without
// replacing our filter: modules that install their own filter would otherwise disable ours.
bool LockFilter(unsigned char* saved) {
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  if (kernel == nullptr) return false;
  auto* code = reinterpret_cast<unsigned char*>(GetProcAddress(kernel, "SetUnhandledExceptionFilter"));
  if (code == nullptr || IsBadReadPtr(code, sizeof kReturnNull)) return false;
  std::memcpy(saved, code, sizeof kReturnNull);
  DWORD previous = 0;
  if (!VirtualProtect(code, sizeof kReturnNull, PAGE_EXECUTE_READWRITE, &previous)) return false;
  std::memcpy(code, kReturnNull, sizeof kReturnNull);
  DWORD ignored = 0;
  const bool restored = VirtualProtect(code, sizeof kReturnNull, previous, &ignored) != 0;
  FlushInstructionCache(GetCurrentProcess(), code, sizeof kReturnNull);
  return restored;
}

#if defined(__i386__) || defined(_M_IX86)
constexpr uint16_t kOwnMachine = crash::kMachineX86;
#else
constexpr uint16_t kOwnMachine = crash::kMachineX64;
#endif

// The machine of a program file's PE header, read into the given buffer (no allocation).
uint16_t MachineOf(const wchar_t* path, uint8_t (&header)[1024]) {
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  DWORD read = 0;
  const BOOL ok = ReadFile(file, header, sizeof header, &read, nullptr);
  CloseHandle(file);
  return ok ? crash::PeMachine(header, read) : 0;
}

// The first readable candidate built for this process's architecture, else the first readable
// one (an uploader of the other kind can still write a dump where the system starts it).
const wchar_t* ChooseUploader(CrashInfo& info) {
  const wchar_t* first = nullptr;
  for (const std::wstring& candidate : info.candidates) {
    if (candidate.empty() || _waccess(candidate.c_str(), 4) != 0) continue;
    if (MachineOf(candidate.c_str(), info.header) == kOwnMachine) return candidate.c_str();
    if (first == nullptr) first = candidate.c_str();
  }
  return first;
}

LONG WINAPI CrashFilter(EXCEPTION_POINTERS* pointers) {
  CrashInfo& info = Info();
  const LONG thread = static_cast<LONG>(GetCurrentThreadId());
  const LONG inside = InterlockedCompareExchange(&info.active_thread, thread, 0);
  if (inside == thread) return EXCEPTION_EXECUTE_HANDLER;  // the filter itself failed: end now
  if (inside != 0) {
    // Another thread is reporting its crash: ending the process now would cut its dump short.
    Sleep(info.wait_ms + 5000);
    return EXCEPTION_EXECUTE_HANDLER;
  }
  const wchar_t* uploader = ChooseUploader(info);
  if (uploader == nullptr ||
      !crash::FormatUploaderParameters(as_u16cstr(info.parameters), crash::kParameterCapacity,
                                       reinterpret_cast<uintptr_t>(pointers), GetCurrentProcessId(),
                                       GetCurrentThreadId(), as_u16cstr(info.source), as_u16cstr(info.version),
                                       info.report_mode)) {
    return EXCEPTION_EXECUTE_HANDLER;
  }
  SHELLEXECUTEINFOW execute{};
  execute.cbSize = sizeof execute;
  execute.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  execute.lpFile = uploader;
  execute.lpParameters = info.parameters;
  execute.nShow = SW_HIDE;
  if (ShellExecuteExW(&execute) && execute.hProcess != nullptr) {
    WaitForSingleObject(execute.hProcess, info.wait_ms);
    CloseHandle(execute.hProcess);
  }
  return EXCEPTION_EXECUTE_HANDLER;
}

// An exception a guarded callback did not handle: reported as the system would report an
// unhandled one, and the process ends with its code, as it would then.
void ReportFatal(EXCEPTION_POINTERS* pointers) {
  CrashFilter(pointers);
  TerminateProcess(GetCurrentProcess(), pointers->ExceptionRecord->ExceptionCode);
}

}  // namespace

void InstallCrashHandler(const wchar_t* source_name, int report_mode, const wchar_t* version) {
  CrashInfo& info = Info();
  // Room for the filter on this thread even when the stack itself overflowed: starting the
  // uploader needs far more than the page or two the system leaves otherwise.
  ULONG guarantee = 64 * 1024;
  SetThreadStackGuarantee(&guarantee);
  const std::u16string folder = to_u16(ProgramFolder().c_str());
  const std::array<std::u16string, 5> candidates = crash::UploaderCandidates(folder);
  for (size_t i = 0; i < candidates.size(); ++i) info.candidates[i] = as_wcstr(candidates[i]);

  SetUnhandledExceptionFilter(CrashFilter);
  info.locked = LockFilter(info.saved_code);
  // The system swallows exceptions in callbacks it makes from kernel mode: switched off where
  // it lets us, and the guarded callbacks hand theirs here where it does not.
  info.callback_exceptions_kept = guard::KeepCallbackExceptions();
  guard::SetFatalExceptionHandler(&ReportFatal);

  info.report_mode = report_mode;
  if (version != nullptr) {
    CopyText(info.version, version);
  } else {
    CopyText(info.version, ProgramVersion().c_str());
  }
  if (source_name != nullptr) CopyText(info.source, source_name);
}

namespace crash {

bool FilterLocked() { return Info().locked; }
bool CallbackExceptionsKept() { return Info().callback_exceptions_kept; }
const wchar_t* CrashVersion() { return Info().version; }

void SetUploaderWait(DWORD ms) { Info().wait_ms = ms; }

}  // namespace crash
