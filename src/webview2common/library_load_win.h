#pragma once
// Libraries loaded by name at run time come only from the system folder, or from the program's
// own folder and the system folder: never from the current directory or PATH, where another
// program, or a download, may have put a library of the same name.

#include <windows.h>

#include <string>

// A system library (user32.dll, shcore.dll) from the system folder.
HMODULE LoadSystemLibrary(const wchar_t* name);
// A library that ships beside the program (WebView2Loader.dll), from the program's folder,
// else the system folder.
HMODULE LoadProgramLibrary(const wchar_t* name);

// The browser runtime's version as a loaded WebView2 loader finds it (its
// GetAvailableCoreWebView2BrowserVersionString); false when it has no such function or finds
// no runtime.
bool LoaderBrowserVersion(HMODULE loader, std::wstring* version);
