// The file, shell and dialog built-ins on the real system: folders, access checks, programs
// started through the shell, a URL handler registered for the test, and the folder dialog.
#include <gtest/gtest.h>

#include <shlobj.h>
#include <shlwapi.h>

#include <atomic>
#include <optional>
#include <thread>

#include "base/text_convert.h"
#include "base/text_win.h"
#include "child_process.h"
#include "corvane_parent.h"
#include "webview2/internal_fun/internal_fun.h"

namespace {

std::u16string Call(const char16_t* name, std::vector<std::u16string> params) {
  static InternalMiscFun misc;
  const BuiltinEntry* entry = misc.Find(name);
  EXPECT_NE(entry, nullptr) << text::Utf16ToUtf8(name);
  return entry != nullptr ? entry->handler(params) : u"<no such built-in>";
}

std::u16string U16(const std::wstring& text) { return to_u16(text.c_str()); }


class FileBuiltins : public testing::Test {
 protected:
  void SetUp() override { folder_ = testwin::MakeTempFolder(L"file-builtins"); }
  void TearDown() override { testwin::RemoveTree(folder_); }
  std::wstring folder_;
};

TEST_F(FileBuiltins, CreateDirMakesAFolderOrTheFirstFreeCopyName) {
  const std::wstring fresh = folder_ + L"\\new";
  EXPECT_EQ(Call(u"create_dir", {U16(fresh)}), u"{\"path\":\"" + testwin::JsonText(fresh) + u"\",\"success\":1}");
  EXPECT_TRUE(PathIsDirectoryW(fresh.c_str()));
  EXPECT_EQ(Call(u"create_dir", {U16(fresh)}), u"{\"path\":\"" + testwin::JsonText(fresh) + u"\",\"success\":1}")
      << "an existing folder is the answer";

  const std::wstring file = folder_ + L"\\taken";
  ASSERT_TRUE(testwin::WriteFileBytes(file, "x"));
  const std::wstring copy = file + L"- \u526F\u672C (1)";
  const std::u16string expected = u"{\"path\":\"" + testwin::JsonText(copy) + u"\",\"success\":1}";
  EXPECT_EQ(Call(u"create_dir", {U16(file)}), expected);
  EXPECT_TRUE(PathIsDirectoryW(copy.c_str()));
  EXPECT_EQ(Call(u"create_dir", {U16(file)}), expected) << "a second call returns the same folder";
  ASSERT_TRUE(testwin::WriteFileBytes(file + L"- \u526F\u672C (2)", "x"));
  RemoveDirectoryW(copy.c_str());
  ASSERT_TRUE(testwin::WriteFileBytes(copy, "x"));
  EXPECT_EQ(Call(u"create_dir", {U16(file)}),
            u"{\"path\":\"" + testwin::JsonText(file + L"- \u526F\u672C (3)") + u"\",\"success\":1}")
      << "names taken by files are skipped";

  EXPECT_EQ(Call(u"create_dir", {u""}), u"{\"path\":\"\",\"success\":0}");
  EXPECT_EQ(Call(u"create_dir", {}), u"param_error");
}

TEST_F(FileBuiltins, AccessIsFullOnOwnFoldersAndNeverZero) {
  EXPECT_EQ(Call(u"file_path_access", {U16(folder_)}), u"{\"code\":\"15\"}");
  EXPECT_EQ(Call(u"file_path_access", {U16(folder_ + L"\\missing")}), u"{\"code\":\"1\"}");
  EXPECT_EQ(Call(u"file_path_access", {u""}), u"{\"code\":\"1\"}");
  EXPECT_EQ(Call(u"file_path_access", {}), u"param_error");
}

// Runs code with CORVANE_RECORD_FILE set, then waits for the recorder's line.
std::string Recorded(const std::wstring& record, const std::function<void()>& code) {
  SetEnvironmentVariableW(L"CORVANE_RECORD_FILE", record.c_str());
  code();
  SetEnvironmentVariableW(L"CORVANE_RECORD_FILE", nullptr);
  std::string line;
  corvane::ParentLink::PumpUntil([&] { return !(line = testwin::ReadFileBytes(record)).empty(); }, 10000);
  return line;
}

TEST_F(FileBuiltins, RunExeStartsAProgramWithItsParameters) {
  EXPECT_EQ(Call(u"run_exe", {u"{\"path\":\"" + testwin::JsonText(folder_ + L"\\none.exe") + u"\",\"param\":\"x\"}"}),
            u"{\"success\":\"1\",\"code\":\"0\"}");
  const std::wstring recorder = ProgramFolder() + L"\\args_recorder.exe";
  std::u16string result;
  const std::string line = Recorded(folder_ + L"\\run.txt", [&] {
    result = Call(u"run_exe", {u"{\"path\":\"" + testwin::JsonText(recorder) + u"\",\"param\":\"--one \\\"two three\\\"\"}"});
  });
  EXPECT_EQ(result, u"{\"success\":\"0\",\"code\":\"1\"}");
  EXPECT_NE(line.find("--one \"two three\""), std::string::npos) << line;
  EXPECT_EQ(Call(u"run_exe", {u"nothing"}), u"format_error");
}

TEST_F(FileBuiltins, OpenUrlReachesTheShellsHandlerForTheScheme) {
  // A URL scheme of the test's own, handled by the recorder.
  const std::wstring recorder = ProgramFolder() + L"\\args_recorder.exe";
  HKEY scheme = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, L"corvanetest", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &scheme, nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(scheme, L"URL Protocol", 0, REG_SZ, reinterpret_cast<const BYTE*>(L""), sizeof(wchar_t));
  RegCloseKey(scheme);
  const std::wstring command = L"\"" + recorder + L"\" \"%1\"";
  ASSERT_EQ(RegSetKeyValueW(HKEY_CLASSES_ROOT, L"corvanetest\\shell\\open\\command", nullptr,
                            REG_SZ, command.c_str(), static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
  std::u16string result;
  const std::string line = Recorded(folder_ + L"\\url.txt", [&] {
    result = Call(u"open_url", {u"{\"url\":\"corvanetest:hello/page\"}"});
  });
  SHDeleteKeyW(HKEY_CLASSES_ROOT, L"corvanetest");
  EXPECT_EQ(result, u"");
  EXPECT_NE(line.find("corvanetest:hello/page"), std::string::npos) << line;
}

// The default value of a class key's open command, or nothing.
std::optional<std::wstring> OpenCommand(const wchar_t* key) {
  wchar_t value[1024] = {};
  DWORD bytes = sizeof value;
  if (RegGetValueW(HKEY_CLASSES_ROOT, key, nullptr, RRF_RT_REG_SZ, nullptr, value, &bytes) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return std::wstring(value);
}

void SetOpenCommand(const wchar_t* key, const std::optional<std::wstring>& command) {
  if (!command) {
    RegDeleteKeyValueW(HKEY_CLASSES_ROOT, key, nullptr);
    return;
  }
  RegSetKeyValueW(HKEY_CLASSES_ROOT, key, nullptr, REG_SZ, command->c_str(),
                  static_cast<DWORD>((command->size() + 1) * sizeof(wchar_t)));
}

// Moves a registry key (and everything under it) aside for the scope, and back after.
class KeyAside {
 public:
  KeyAside(HKEY root, std::wstring path) : root_(root), path_(std::move(path)) {
    HKEY source = nullptr;
    if (RegOpenKeyExW(root_, path_.c_str(), 0, KEY_READ, &source) != ERROR_SUCCESS) return;
    HKEY backup = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kBackup, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &backup, nullptr) ==
        ERROR_SUCCESS) {
      moved_ = RegCopyTreeW(source, nullptr, backup) == ERROR_SUCCESS;
      RegCloseKey(backup);
    }
    RegCloseKey(source);
    if (moved_) RegDeleteTreeW(root_, path_.c_str());
  }
  ~KeyAside() {
    if (!moved_) return;
    HKEY backup = nullptr;
    HKEY restored = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kBackup, 0, KEY_READ, &backup) == ERROR_SUCCESS &&
        RegCreateKeyExW(root_, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &restored, nullptr) ==
            ERROR_SUCCESS) {
      RegCopyTreeW(backup, nullptr, restored);
    }
    if (restored != nullptr) RegCloseKey(restored);
    if (backup != nullptr) RegCloseKey(backup);
    RegDeleteTreeW(HKEY_CURRENT_USER, kBackup);
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\CorvaneTests");  // when nothing else is under it
  }

 private:
  static constexpr const wchar_t* kBackup = L"Software\\CorvaneTests\\KeyAside";
  HKEY root_;
  std::wstring path_;
  bool moved_ = false;
};

TEST_F(FileBuiltins, FilePathJumpOpensAFolderThroughTheShell) {
  EXPECT_EQ(Call(u"file_path_jump", {u""}), u"{\"success\":\"0\"}");
  EXPECT_EQ(Call(u"file_path_jump", {}), u"param_error");
  // Folders open with the shell's folder command, which the recorder stands in for here; it
  // speaks no DDE, so the command's DDE conversation is put aside.
  const KeyAside dde(HKEY_CLASSES_ROOT, L"Folder\\shell\\open\\ddeexec");
  const wchar_t* keys[] = {L"Folder\\shell\\open\\command", L"Directory\\shell\\open\\command"};
  std::optional<std::wstring> saved[2];
  const std::wstring command = L"\"" + ProgramFolder() + L"\\args_recorder.exe\" \"%1\"";
  for (int i = 0; i < 2; ++i) {
    saved[i] = OpenCommand(keys[i]);
    SetOpenCommand(keys[i], command);
  }
  const std::wstring target = folder_ + L"\\shown";
  ASSERT_TRUE(CreateDirectoryW(target.c_str(), nullptr));
  std::u16string result;
  const std::string line = Recorded(folder_ + L"\\jump.txt", [&] { result = Call(u"file_path_jump", {U16(target)}); });
  EXPECT_EQ(result, u"{\"success\":\"1\"}");
  EXPECT_NE(line.find("shown"), std::string::npos) << line;
  // A quote would add Explorer switches of the page's choosing: refused.
  EXPECT_EQ(Call(u"file_path_jump", {U16(target) + u"\" /e,C:\\"}), u"{\"success\":\"0\"}");
  // A folder command that cannot start is a failure, not a success.
  for (int i = 0; i < 2; ++i) SetOpenCommand(keys[i], L"\"" + folder_ + L"\\missing.exe\" \"%1\"");
  EXPECT_EQ(Call(u"file_path_jump", {U16(target)}), u"{\"success\":\"0\"}");
  for (int i = 0; i < 2; ++i) SetOpenCommand(keys[i], saved[i]);
}

TEST_F(FileBuiltins, CopyClipPutsTheTextOnTheClipboard) {
  EXPECT_EQ(Call(u"copy_clip", {u"{\"content\":\"clip \u4E2D\"}"}), u"{\"success\":1}");
  auto clipboard = [] {
    std::wstring text;
    if (!OpenClipboard(nullptr)) return std::wstring(L"<not opened>");
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
      if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
        text = chars;
        GlobalUnlock(data);
      }
    }
    CloseClipboard();
    return text;
  };
  EXPECT_EQ(clipboard(), L"clip \u4E2D");
  // Windows keeps data only from an owner that opened the clipboard: a window of this process.
  DWORD owner_process = 0;
  GetWindowThreadProcessId(GetClipboardOwner(), &owner_process);
  EXPECT_EQ(owner_process, GetCurrentProcessId());
  EXPECT_EQ(Call(u"copy_clip", {u"{\"content\":42}"}), u"{\"success\":1}");
  EXPECT_EQ(clipboard(), L"") << "only strings are read: a number puts the empty text";
}

BOOL CALLBACK FindOwnDialog(HWND window, LPARAM found) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  wchar_t class_name[16] = {};
  GetClassNameW(window, class_name, 16);
  if (pid == GetCurrentProcessId() && std::wstring(class_name) == L"#32770" && IsWindowVisible(window)) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK FindTitleText(HWND child, LPARAM out) {
  wchar_t text[64] = {};
  GetWindowTextW(child, text, 64);
  if (std::wstring(text) == L"\u8BF7\u9009\u62E9\u76EE\u5F55") *reinterpret_cast<std::wstring*>(out) = text;
  return TRUE;
}

// Answers the folder dialog from another thread once it is up: selects folder and presses OK,
// or presses Cancel when folder is empty. Returns the title text the dialog showed.
std::wstring AnswerFolderDialog(const std::wstring& folder) {
  for (int i = 0; i < 500; ++i) {
    HWND dialog = nullptr;
    EnumWindows(&FindOwnDialog, reinterpret_cast<LPARAM>(&dialog));
    if (dialog != nullptr) {
      // The dialog fills its folder tree after it appears: select only once that settled, and
      // select again in case the first came too early.
      Sleep(500);
      std::wstring seen;
      EnumChildWindows(dialog, &FindTitleText, reinterpret_cast<LPARAM>(&seen));
      if (folder.empty()) {
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
      } else {
        for (int attempt = 0; attempt < 2; ++attempt) {
          SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(folder.c_str()));
          Sleep(300);
        }
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
      }
      return seen;
    }
    Sleep(20);
  }
  return L"<no dialog>";
}

TEST_F(FileBuiltins, ChangePathShowsTheFolderDialog) {
  const std::wstring chosen = folder_ + L"\\chosen";
  ASSERT_TRUE(CreateDirectoryW(chosen.c_str(), nullptr));
  std::wstring title;
  std::thread answer([&] { title = AnswerFolderDialog(chosen); });
  const std::u16string picked = Call(u"change_path", {});
  answer.join();
  EXPECT_EQ(title, L"\u8BF7\u9009\u62E9\u76EE\u5F55") << "the dialog shows its title";
  EXPECT_EQ(picked, U16(chosen));

  std::thread cancel([&] { title = AnswerFolderDialog(L""); });
  EXPECT_EQ(Call(u"change_path", {}), u"") << "a cancelled dialog gives the empty text";
  cancel.join();
}

}  // namespace
