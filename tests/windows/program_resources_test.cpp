// The product folder holds what ships and nothing else (no test engine, no test program), and
// every shipped program carries its manifest and its version resource, as the system that
// starts it and a developer who ships it read them.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "base/text_convert.h"
#include "base/text_win.h"
#include "corvane_version.h"
#include "webview2common/program_path_win.h"

namespace {

std::string Narrow(const std::wstring& text) { return text::Utf16ToUtf8(to_u16(text.c_str())); }

// The manifest a program is started with (resource 1 of type RT_MANIFEST), or empty.
std::string ManifestOf(const std::wstring& path) {
  HMODULE image = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (image == nullptr) return "";
  std::string text;
  if (HRSRC found = FindResourceW(image, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24))) {
    if (const void* bytes = LockResource(LoadResource(image, found))) {
      text.assign(static_cast<const char*>(bytes), SizeofResource(image, found));
    }
  }
  FreeLibrary(image);
  return text;
}

std::wstring VersionValue(const std::vector<char>& info, const wchar_t* name) {
  const std::wstring key = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(info.data(), key.c_str(), &value, &length) || value == nullptr) return L"";
  return std::wstring(static_cast<const wchar_t*>(value), wcsnlen(static_cast<const wchar_t*>(value), length));
}

// The files of a folder (not its subfolders).
std::set<std::wstring> FilesOf(const std::wstring& folder) {
  std::set<std::wstring> files;
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return files;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) files.insert(found.cFileName);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return files;
}

TEST(ProgramResources, TheProductFolderHoldsWhatShipsEachWithItsManifestAndVersion) {
  struct Program {
    const wchar_t* file;
    bool is_library;
  };
  const Program programs[] = {{L"Corvane.exe", false},     {L"Wrenfall.exe", false},
                              {L"archive_packer.exe", false}, {L"demo_parent.exe", false},
                              {L"gui_parent.exe", false},  {L"text_cipher.exe", false},
                              {L"corvane_parent.dll", true}};
  const std::string kNeeded[] = {
      "level=\"asInvoker\"",
      "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // Windows 7
      "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // Windows 10 and 11
      "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
  };
  // The tests run from a folder of their own, beside the product's.
  const std::wstring product = ProgramFolder() + L"\\..\\bin";
  std::set<std::wstring> expected{L"corvane_parent.def", L"corvane_parent_c.h"};
  for (const Program& program : programs) expected.insert(program.file);
  EXPECT_EQ(FilesOf(product), expected);
  for (const Program& program : programs) {
    const std::wstring path = product + L"\\" + program.file;
    SCOPED_TRACE(Narrow(path));
    const std::string manifest = ManifestOf(path);
    if (program.is_library) {
      EXPECT_TRUE(manifest.empty()) << "a library runs under its program's manifest";
    } else {
      for (const std::string& needed : kNeeded) EXPECT_NE(manifest.find(needed), std::string::npos) << needed;
      EXPECT_EQ(manifest.find("dpiAware"), std::string::npos) << "the host chooses its DPI awareness at run time";
    }

    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(CORVANE_VERSION_MAJOR << 16 | CORVANE_VERSION_MINOR));
    EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(CORVANE_VERSION_PATCH << 16 | CORVANE_VERSION_TWEAK));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(program.is_library ? VFT_DLL : VFT_APP));
    EXPECT_EQ(VersionValue(info, L"OriginalFilename"), program.file);
    EXPECT_EQ(Narrow(VersionValue(info, L"FileVersion")), CORVANE_VERSION_TEXT);
    EXPECT_EQ(Narrow(VersionValue(info, L"ProductName")), "Corvane");
  }
}

}  // namespace
