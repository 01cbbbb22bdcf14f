#pragma once
// The process's last line of defence: an unhandled exception starts the dump uploader
// ("Wrenfall.exe") for this process and thread, waits while it writes the dump, and then lets the
// process end without the system's error dialog.

#include <windows.h>

// Installs the handler once, early at start-up (before the log). source_name and version may be
// null: no version means the program file's version resource, "a.b.c.d".
void InstallCrashHandler(const wchar_t* source_name, int report_mode, const wchar_t* version);

namespace crash {

// How long a crashing thread waits for the uploader. The uploader needs the process alive while
// it writes the dump (a second for a small dump, more for a full one on a slow disk); beyond this
// the uploader is taken to be hung and the process ends anyway.
inline constexpr DWORD kUploaderWaitMs = 30000;
// Another bound for this process (the tests use a short one to see it kept without waiting
// the full bound); before a crash, once the handler is installed.
void SetUploaderWait(DWORD ms);

// Whether installation locked the filter in place (later SetUnhandledExceptionFilter calls do
// nothing). For tests and diagnostics.
bool FilterLocked();
// Whether the system agreed not to swallow exceptions in its kernel callbacks (guarded
// callbacks report theirs either way).
bool CallbackExceptionsKept();
// The version text the handler passes on.
const wchar_t* CrashVersion();

}  // namespace crash
