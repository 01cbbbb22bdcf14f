// The registry, INI and system-fact built-ins on the real system: the registry, INI files,
// folders and version resources of this Windows.
#include <gtest/gtest.h>

#include <shlwapi.h>

#include "base/text_convert.h"
#include "base/text_win.h"
#include "child_process.h"
#include "host_program.h"
#include "webview2/internal_fun/internal_fun.h"
#include "webview2/internal_fun/system_builtins.h"

namespace {

// A built-in of the tables, by name, with one parameter.
std::u16string Call(const char16_t* name, const std::u16string& parameter) {
  static InternalRegFun registry;
  static InternalMiscFun misc;
  const BuiltinEntry* entry = registry.Find(name);
  if (entry == nullptr) entry = misc.Find(name);
  EXPECT_NE(entry, nullptr) << text::Utf16ToUtf8(name);
  return entry != nullptr ? entry->handler({parameter}) : u"<no such built-in>";
}


const char16_t* kKey = u"Software\\\\CorvaneTests\\\\Builtins";

std::u16string Reg(const char16_t* verb, int type, const std::u16string& name, const std::u16string& extra = u"",
                   const char16_t* root = u"HKEY_CURRENT_USER") {
  return Call(verb, u"{\"value_type\":" + text::AsciiToUtf16(std::to_string(type)) + u",\"hkey\":\"" + root +
                        u"\",\"sub_key\":\"" + kKey + u"\",\"key_name\":\"" + name + u"\"" + extra + u"}");
}

TEST(RegistryBuiltins, ReadAndWriteEachType) {
  SHDeleteKeyW(HKEY_CURRENT_USER, L"Software\\CorvaneTests");
  EXPECT_EQ(Reg(u"read_regedit", 1, u"missing"), u"{\"value\":\"0\",\"code\":\"0\"}");
  EXPECT_EQ(Reg(u"read_regedit", 2, u"missing"), u"{\"value\":\"0\",\"code\":\"0\"}");
  EXPECT_EQ(Reg(u"read_regedit", 3, u"missing"), u"{\"value\":\"\",\"code\":\"0\"}");

  EXPECT_EQ(Reg(u"write_regedit", 1, u"d", u",\"value\":-5"), u"{\"success\":\"1\"}");
  EXPECT_EQ(Reg(u"read_regedit", 1, u"d"), u"{\"value\":\"-5\",\"code\":\"1\"}");
  EXPECT_EQ(Reg(u"write_regedit", 2, u"q", u",\"value\":4294967296"), u"{\"success\":\"1\"}");
  EXPECT_EQ(Reg(u"read_regedit", 2, u"q"), u"{\"value\":\"4294967296\",\"code\":\"1\"}");
  EXPECT_EQ(Reg(u"write_regedit", 2, u"qt", u",\"value\":\"18446744073709551615\""), u"{\"success\":\"1\"}");
  EXPECT_EQ(Reg(u"read_regedit", 2, u"qt"), u"{\"value\":\"18446744073709551615\",\"code\":\"1\"}");
  EXPECT_EQ(Reg(u"write_regedit", 2, u"qn", u",\"value\":-1"), u"{\"success\":\"1\"}");
  EXPECT_EQ(Reg(u"read_regedit", 2, u"qn"), u"{\"value\":\"4294967295\",\"code\":\"1\"}")
      << "a value that fits 32 bits is zero-extended";
  // A text with a quote and a backslash comes back as valid JSON with the same text.
  EXPECT_EQ(Reg(u"write_regedit", 3, u"s", u",\"value\":\"say \\\"hi\\\" C:\\\\x\""), u"{\"success\":\"1\"}");
  EXPECT_EQ(Reg(u"read_regedit", 3, u"s"), u"{\"value\":\"say \\\"hi\\\" C:\\\\x\",\"code\":\"1\"}");
  wchar_t stored[64] = {};
  DWORD bytes = sizeof stored;
  ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, L"Software\\CorvaneTests\\Builtins", L"s", RRF_RT_REG_SZ, nullptr,
                         stored, &bytes),
            ERROR_SUCCESS);
  EXPECT_STREQ(stored, L"say \"hi\" C:\\x");
  SHDeleteKeyW(HKEY_CURRENT_USER, L"Software\\CorvaneTests");
}

TEST(RegistryBuiltins, UnknownRootsRefusedWritesAndBadParameters) {
  EXPECT_EQ(Reg(u"read_regedit", 1, u"d", u"", u"hkey_current_user"), u"error");
  EXPECT_EQ(Reg(u"write_regedit", 1, u"d", u",\"value\":1", u""), u"error");
  EXPECT_EQ(Call(u"read_regedit", u"no json"), u"format_error");
  EXPECT_EQ(InternalRegFun().Find(u"read_regedit")->handler({}), u"param_error");
  // A key name the registry cannot hold (more than 255 characters) is a refused write.
  const std::u16string long_name(300, u'k');
  const std::u16string refused = Call(u"write_regedit", u"{\"value_type\":1,\"hkey\":\"HKEY_CURRENT_USER\",\"sub_key\":\"Software\\\\" +
                                                            long_name + u"\",\"key_name\":\"v\",\"value\":1}");
  EXPECT_EQ(refused, u"{\"success\":\"0\"}");
}

TEST(IniBuiltins, WriteCreatesTheFolderChainAndReadGivesCodeAndValue) {
  const std::wstring folder = testwin::MakeTempFolder(L"ini");
  const std::wstring file = folder + L"\\a\\b\\c\\settings.ini";
  const std::u16string path = testwin::JsonText(file);
  EXPECT_EQ(Call(u"write_ini_file", u"{\"sections\":\"main\",\"key\":\"k\",\"value\":\"v 1\",\"file_path\":\"" + path + u"\"}"),
            u"{\"success\":1}");
  EXPECT_TRUE(PathFileExistsW(file.c_str()));
  EXPECT_EQ(Call(u"read_ini_file", u"{\"sections\":\"main\",\"key\":\"k\",\"file_path\":\"" + path + u"\"}"),
            u"{\"code\":\"1\",\"value\":\"v 1\"}");
  EXPECT_EQ(Call(u"read_ini_file", u"{\"sections\":\"main\",\"key\":\"none\",\"file_path\":\"" + path + u"\"}"),
            u"{\"code\":\"0\",\"value\":\"\"}");
  const std::u16string huge(4096, u'x');
  EXPECT_EQ(Call(u"write_ini_file", u"{\"sections\":\"main\",\"key\":\"big\",\"value\":\"" + huge + u"\",\"file_path\":\"" + path + u"\"}"),
            u"{\"success\":0}");
  EXPECT_EQ(Call(u"read_ini_file", u"{\"sections\":\"main\",\"key\":\"big\",\"file_path\":\"" + path + u"\"}"),
            u"{\"code\":\"0\",\"value\":\"\"}");
  const std::u16string almost(4095, u'y');
  EXPECT_EQ(Call(u"write_ini_file", u"{\"sections\":\"main\",\"key\":\"big\",\"value\":\"" + almost + u"\",\"file_path\":\"" + path + u"\"}"),
            u"{\"success\":1}");
  testwin::RemoveTree(folder);
}

// A NUL inside a path would end it for the system while the checks saw all of it: every
// built-in that takes a path or a name refuses one, and nothing is made under the cut name.
TEST(SystemFactBuiltins, APathWithANulIsRefused) {
  const std::wstring folder = testwin::MakeTempFolder(L"nul");
  const std::u16string cut = testwin::JsonText(folder + L"\\made");  // what the system would see
  const std::u16string nul = cut + u"\\u0000.ini";
  SHDeleteKeyW(HKEY_CURRENT_USER, L"Software\\CorvaneTests");
  const std::u16string reg = u"{\"value_type\":1,\"hkey\":\"HKEY_CURRENT_USER\",\"value\":1,";
  struct Case {
    const char16_t* builtin;
    std::u16string parameter;
    std::u16string refusal;
  };
  const Case cases[] = {
      {u"write_ini_file", u"{\"sections\":\"s\",\"key\":\"k\",\"value\":\"v\",\"file_path\":\"" + nul + u"\"}", u"{\"success\":0}"},
      {u"write_ini_file", u"{\"sections\":\"s\\u0000x\",\"key\":\"k\",\"value\":\"v\",\"file_path\":\"" + cut + u"\"}", u"{\"success\":0}"},
      {u"read_ini_file", u"{\"sections\":\"s\",\"key\":\"k\",\"file_path\":\"" + nul + u"\"}", u"{\"code\":\"0\",\"value\":\"\"}"},
      {u"write_regedit", reg + u"\"sub_key\":\"Software\\\\CorvaneTests\\u0000x\",\"key_name\":\"v\"}", u"{\"success\":\"0\"}"},
      {u"write_regedit", reg + u"\"sub_key\":\"Software\\\\CorvaneTests\",\"key_name\":\"v\\u0000x\"}", u"{\"success\":\"0\"}"},
      {u"read_regedit", reg + u"\"sub_key\":\"Software\\u0000\",\"key_name\":\"v\"}", u"{\"value\":\"\",\"code\":\"0\"}"},
      {u"get_path_filever", u"{\"path\":\"" + nul + u"\"}", u"{\"code\":3}"},
      {u"run_exe", u"{\"path\":\"" + nul + u"\"}", RunExeResult(false)},
  };
  for (const Case& c : cases) EXPECT_EQ(Call(c.builtin, c.parameter), c.refusal) << text::Utf16ToUtf8(c.parameter);
  // Built-ins that take the path itself, not JSON.
  const std::u16string raw = to_u16((folder + L"\\made").c_str()) + std::u16string(1, u'\0') + u"x";
  EXPECT_EQ(Call(u"create_dir", raw), u"{\"path\":\"\",\"success\":0}");
  EXPECT_EQ(Call(u"file_path_exist", std::u16string(to_u16(folder.c_str())) + std::u16string(1, u'\0')), u"{\"success\":\"0\"}");
  EXPECT_EQ(Call(u"file_path_access", std::u16string(to_u16(folder.c_str())) + std::u16string(1, u'\0')),
            FileAccessResult(FileAccessCode(false, 0)));
  EXPECT_FALSE(PathFileExistsW((folder + L"\\made").c_str())) << "nothing under the cut name";
  HKEY key = nullptr;
  EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\CorvaneTests", 0, KEY_READ, &key), ERROR_SUCCESS);
  if (key != nullptr) RegCloseKey(key);
  testwin::RemoveTree(folder);
}

TEST(SystemFactBuiltins, SpecialFoldersVersionsAndDrives) {
  const std::u16string appdata = Call(u"get_special_dir", u"{\"dir_sid\":\"CSIDL_APPDATA\"}");
  EXPECT_FALSE(appdata.empty());
  EXPECT_TRUE(PathIsDirectoryW(as_wcstr(appdata)));
  const std::u16string temp = Call(u"get_special_dir", u"{\"dir_sid\":\"CSIDL_TEMP\"}");
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(temp.back(), u'\\');
  EXPECT_EQ(Call(u"get_special_dir", u"{\"dir_sid\":\"CSIDL_OTHER\"}"), u"");

  EXPECT_EQ(Call(u"get_path_filever", u"{\"path\":\"" + testwin::JsonText(testwin::HostProgram()) + u"\"}"),
            u"{\"code\":0,\"ver\":\"1.0.0.1\"}");
  const std::wstring folder = testwin::MakeTempFolder(L"filever");
  ASSERT_TRUE(testwin::WriteFileBytes(folder + L"\\plain.txt", "no version here"));
  EXPECT_EQ(Call(u"get_path_filever", u"{\"path\":\"" + testwin::JsonText(folder + L"\\plain.txt") + u"\"}"), u"{\"code\":2}");
  EXPECT_EQ(Call(u"get_path_filever", u"{\"path\":\"" + testwin::JsonText(folder + L"\\missing.exe") + u"\"}"), u"{\"code\":3}");
  testwin::RemoveTree(folder);

  const std::u16string disks = Call(u"get_disk_info", u"");
  EXPECT_EQ(disks.rfind(u"[{\"disk_id\":\"c:\",\"free_space\":\"", 0), 0u) << text::Utf16ToUtf8(disks);
  EXPECT_EQ(disks.find(u"\"a:\""), std::u16string::npos);
  EXPECT_NE(disks.find(u"\"type\":3"), std::u16string::npos) << "drive C: is a fixed drive";
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  EXPECT_EQ(Call(u"get_sys_disk", u""), u"{\"disk\":\"" + std::u16string(1, static_cast<char16_t>(system[0])) + u"\"}");
}

}  // namespace
