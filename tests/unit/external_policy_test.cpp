// The window's `external` policy: reading it (strictly: a bad policy is an error, never
// everything allowed), origins, built-ins and the scopes of paths, keys, programs and schemes.
#include <gtest/gtest.h>

#include "base/text_convert.h"
#include "webview2/external_policy.h"
#include "webview2/internal_fun/builtin_guard.h"
#include "webview2common/base64.h"

namespace {

using namespace policy;


ExternalPolicy Parse(const std::string& json) {
  std::string error;
  std::optional<ExternalPolicy> parsed = ParsePolicy(Base64UrlEncode(json), &error);
  EXPECT_TRUE(parsed.has_value()) << json << ": " << error;
  return parsed.value_or(ExternalPolicy());
}

Origin At(const char16_t* url) {
  std::optional<Origin> origin = OriginOfUrl(url);
  EXPECT_TRUE(origin.has_value()) << text::Utf16ToUtf8(url);
  return origin.value_or(Origin());
}

TEST(ExternalPolicy, BadPoliciesSayWhatIsWrong) {
  const std::pair<std::string, std::string> cases[] = {
      {"e30*", "not base64url"},
      {Base64UrlEncode("[1]"), "not a JSON object"},
      {Base64UrlEncode("{\"origins\":[\"https://a.example\"],}"), "not a JSON object"},
      {Base64UrlEncode("{\"origin\":[]}"), "unknown member \"origin\""},
      {Base64UrlEncode("{\"origins\":\"https://a.example\"}"), "\"origins\" is not an array"},
      {Base64UrlEncode("{\"origins\":[\"ftp://a.example\"]}"), "not an http or https origin"},
      {Base64UrlEncode("{\"origins\":[\"https://a.example/path\"]}"), "not scheme://host[:port]"},
      {Base64UrlEncode("{\"origins\":[\"https://a.example:99999\"]}"), "not scheme://host[:port]"},
      {Base64UrlEncode("{\"builtins\":{\"*\":[\"window\",\"everything\"]}}"), "\"everything\", which is neither"},
      {Base64UrlEncode("{\"builtins\":{\"*\":\"window\"}}"), "not an array"},
      {Base64UrlEncode("{\"parent_functions\":3}"), "neither a boolean nor an array"},
      {Base64UrlEncode("{\"paths\":[\"relative\\\\dir\"]}"), "not an absolute path"},
      {Base64UrlEncode("{\"registry\":[\"HKCU\\\\Software\"]}"), "not an absolute path or key"},
      {Base64UrlEncode("{\"url_schemes\":[\"a b\"]}"), "not a scheme"},
  };
  for (const auto& [encoded, why] : cases) {
    std::string error;
    EXPECT_FALSE(ParsePolicy(encoded, &error).has_value()) << encoded;
    EXPECT_NE(error.find(why), std::string::npos) << encoded << ": " << error;
  }
  std::string error;
  EXPECT_TRUE(ParsePolicy("e30", &error).has_value()) << "{} without padding";
  EXPECT_TRUE(ParsePolicy("e30=", &error).has_value()) << "and with it";
  EXPECT_FALSE(ParsePolicy("e30==", &error).has_value());
}

TEST(ExternalPolicy, OriginsAndBuiltins) {
  const ExternalPolicy p = Parse(
      "{\"origins\":[\"https://app.example.com\",\"http://127.0.0.1:8080\",\"https://*.cdn.example\",\"archive\"],"
      "\"builtins\":{\"https://app.example.com\":[\"window\",\"write_log\"],\"*\":[\"get_scale\"]}}");
  struct Case {
    const char16_t* url;
    bool external;
  };
  const Case cases[] = {
      {u"https://app.example.com/index.html", true},  {u"HTTPS://App.Example.COM:443/x", true},
      {u"https://app.example.com:8443/", false},      {u"http://app.example.com/", false},
      {u"http://127.0.0.1:8080/page?q", true},        {u"http://127.0.0.1:8081/", false},
      {u"https://a.cdn.example/", true},              {u"https://a.b.cdn.example/", true},
      {u"https://cdn.example/", false},               {u"https://evilcdn.example/", false},
      {u"https://user@app.example.com/", true},       {u"https://app.example.com.evil.example/", false},
  };
  for (const Case& c : cases) EXPECT_EQ(AllowsExternal(p, At(c.url)), c.external) << text::Utf16ToUtf8(c.url);
  EXPECT_FALSE(OriginOfUrl(u"file:///C:/x.html").has_value());
  EXPECT_FALSE(OriginOfUrl(u"about:blank").has_value());
  Origin archive;
  archive.archive = true;
  EXPECT_TRUE(AllowsExternal(p, archive));

  EXPECT_EQ(PageOriginsJson(p),
            "[{\"origin\":\"https://app.example.com\"},{\"origin\":\"http://127.0.0.1:8080\"},"
            "{\"port\":\"\",\"scheme\":\"https\",\"suffix\":\".cdn.example\"},\"archive\"]")
      << "as the page's location spells them";
  EXPECT_EQ(PageOriginsJson(Parse("{}")), "null");

  const Origin app = At(u"https://app.example.com/");
  EXPECT_TRUE(AllowsBuiltin(p, app, "show_wnd")) << "a group";
  EXPECT_TRUE(AllowsBuiltin(p, app, "write_log"));
  EXPECT_TRUE(AllowsBuiltin(p, app, "get_scale"));
  EXPECT_FALSE(AllowsBuiltin(p, app, "run_exe"));
  EXPECT_TRUE(AllowsBuiltin(p, archive, "get_scale")) << "\"*\" is every page";
  EXPECT_FALSE(AllowsBuiltin(p, archive, "write_log"));

  const ExternalPolicy open = Parse("{}");
  EXPECT_TRUE(AllowsExternal(open, At(u"https://anything.example/")));
  EXPECT_TRUE(AllowsBuiltin(open, archive, "run_exe"));
  EXPECT_TRUE(open.parent_functions.Allows(u"any"));
  const ExternalPolicy named = Parse("{\"parent_functions\":[\"getUser\"],\"page_functions\":false}");
  EXPECT_TRUE(named.parent_functions.Allows(u"getUser"));
  EXPECT_FALSE(named.parent_functions.Allows(u"getuser"));
  EXPECT_FALSE(named.page_functions.Allows(u"anything"));

  size_t members = 0;
  for (const auto& group : BuiltinGroups()) members += group.second.size();
  EXPECT_EQ(members, 30u) << "every built-in in one group";
}

TEST(ExternalPolicy, PathsAreComparedNormalised) {
  const std::pair<const char16_t*, const char16_t*> normal[] = {
      {u"C:\\Data\\App", u"C:\\DATA\\APP"},
      {u"c:/data/app/", u"C:\\DATA\\APP"},
      {u"\\\\?\\C:\\Data\\App", u"C:\\DATA\\APP"},
      {u"C:\\Data\\Other\\..\\App\\.\\x", u"C:\\DATA\\APP\\X"},
      {u"C:\\..\\..\\Windows", u"C:\\WINDOWS"},
      {u"C:\\Data\\App. . \\x.txt.", u"C:\\DATA\\APP\\X.TXT"},
      {u"C:\\", u"C:\\"},
      {u"\\\\server\\share\\..\\..\\x", u"\\\\SERVER\\SHARE\\X"},
      {u"\\\\?\\UNC\\server\\share\\d", u"\\\\SERVER\\SHARE\\D"},
  };
  for (const auto& [in, out] : normal) EXPECT_EQ(NormalizePath(in), std::optional<std::u16string>(out)) << text::Utf16ToUtf8(in);
  for (const char16_t* bad : {u"data\\app", u"\\data", u"C:", u"C:data", u"\\\\.\\PhysicalDrive0", u"\\\\server", u""}) {
    EXPECT_FALSE(NormalizePath(bad).has_value()) << text::Utf16ToUtf8(bad);
  }

  const ExternalPolicy p = Parse("{\"paths\":[\"C:\\\\Data\\\\App\",\"\\\\\\\\files\\\\pub\"]}");
  const std::vector<std::u16string> startup = {u"C:\\USERS\\U\\APPDATA\\ROAMING\\MICROSOFT\\WINDOWS\\START MENU\\PROGRAMS\\STARTUP"};
  struct Case {
    const char16_t* path;
    bool allowed;
  };
  const Case cases[] = {
      {u"C:\\Data\\App\\x.ini", true},       {u"c:/DATA/app/sub/x.ini", true},
      {u"\\\\?\\C:\\Data\\App\\x", true},     {u"C:\\Data\\App", true},
      {u"C:\\Data\\AppX\\x.ini", false},     {u"C:\\Data\\App\\..\\Other\\x", false},
      {u"C:\\Data\\App.\\..\\..\\x", false}, {u"\\\\files\\pub\\a", true},
      {u"\\\\files\\private\\a", false},     {u"\\\\evil\\share\\a", false},
  };
  for (const Case& c : cases) {
    const std::optional<std::u16string> path = NormalizePath(c.path);
    ASSERT_TRUE(path.has_value()) << text::Utf16ToUtf8(c.path);
    EXPECT_EQ(AllowsPath(p, *path, false, startup), c.allowed) << text::Utf16ToUtf8(c.path);
  }
  // The Startup folder takes no write unless it is listed itself, even with no paths scope.
  const std::u16string in_startup = startup[0] + u"\\RUN.INI";
  EXPECT_FALSE(AllowsPath(Parse("{}"), in_startup, true, startup));
  EXPECT_TRUE(AllowsPath(Parse("{}"), in_startup, false, startup));
  EXPECT_FALSE(AllowsPath(Parse("{\"paths\":[\"C:\\\\Users\"]}"), in_startup, true, startup));
  std::string listed;
  for (char c : text::Utf16ToUtf8(startup[0])) listed += c == '\\' ? std::string("\\\\") : std::string(1, c);
  EXPECT_TRUE(AllowsPath(Parse("{\"paths\":[\"" + listed + "\"]}"), in_startup, true, startup));
}

TEST(ExternalPolicy, RegistryProgramsAndSchemes) {
  auto key = [](const char16_t* root, const char16_t* sub) { return NormalizeRegistryKey(root, sub).value(); };
  EXPECT_EQ(key(u"hkey_current_user", u"Software\\\\App\\"), u"HKEY_CURRENT_USER\\SOFTWARE\\APP");
  EXPECT_FALSE(NormalizeRegistryKey(u"HKCU", u"x").has_value());

  const ExternalPolicy open = Parse("{}");
  const std::u16string run = key(u"HKEY_CURRENT_USER", u"Software\\Microsoft\\Windows\\CurrentVersion\\Run");
  EXPECT_FALSE(AllowsRegistry(open, run, true)) << "autostart keys take no write under any policy";
  EXPECT_TRUE(AllowsRegistry(open, run, false));
  for (const std::u16string& autostart :
       {key(u"HKEY_LOCAL_MACHINE", u"SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\RunOnce"),
        key(u"HKEY_USERS", u"S-1-5-21-1\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"),
        key(u"HKEY_CURRENT_USER", u"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run")}) {
    EXPECT_FALSE(AllowsRegistry(open, autostart, true)) << text::Utf16ToUtf8(autostart);
  }
  EXPECT_TRUE(AllowsRegistry(open, key(u"HKEY_CURRENT_USER", u"Software\\Microsoft\\Windows\\CurrentVersion\\Runner"), true));

  const ExternalPolicy scoped = Parse(
      "{\"registry\":[\"HKEY_CURRENT_USER\\\\Software\\\\App\","
      "\"HKEY_CURRENT_USER\\\\Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Run\"],"
      "\"programs\":[\"C:\\\\Program Files\\\\App\\\\app.exe\"],\"url_schemes\":[\"Steam\"]}");
  EXPECT_TRUE(AllowsRegistry(scoped, key(u"HKEY_CURRENT_USER", u"software\\app\\settings"), true));
  EXPECT_FALSE(AllowsRegistry(scoped, key(u"HKEY_CURRENT_USER", u"Software\\AppOther"), false));
  EXPECT_TRUE(AllowsRegistry(scoped, run, true)) << "listed exactly";
  EXPECT_TRUE(AllowsProgram(scoped, NormalizePath(u"c:/program files/app/APP.EXE").value()));
  EXPECT_FALSE(AllowsProgram(scoped, NormalizePath(u"C:\\Windows\\System32\\cmd.exe").value()));
  EXPECT_TRUE(AllowsProgram(open, NormalizePath(u"C:\\Windows\\System32\\cmd.exe").value()));

  for (const char16_t* url : {u"https://a/", u"HTTP://a/", u"mailto:x@y", u"steam://run/1"}) {
    EXPECT_TRUE(AllowsUrl(scoped, url)) << text::Utf16ToUtf8(url);
  }
  for (const char16_t* url : {u"file:///C:/x.exe", u"ms-settings:", u"javascript:alert(1)", u"C:\\x.exe", u"steam://x"}) {
    EXPECT_EQ(AllowsUrl(open, url), false) << text::Utf16ToUtf8(url);
  }
}

// The calls a page makes, read as the built-ins read their parameters.
TEST(ExternalPolicy, BuiltinCallsAreCheckedWithWhatTheyWouldTouch) {
  const ExternalPolicy p = Parse(
      "{\"builtins\":{\"*\":[\"files\",\"ini\",\"registry\",\"shell\"]},\"paths\":[\"C:\\\\Data\"],"
      "\"registry\":[\"HKEY_CURRENT_USER\\\\Software\\\\App\"],\"programs\":[\"C:\\\\Data\\\\tool.exe\"]}");
  // The system's view: a short name expanded, a relative path made full, the long s in upper
  // case as the system compares names.
  SystemNames system;
  system.resolve = [](const std::u16string& path) {
    if (path == u"C:\\DATA~1\\x") return std::u16string(u"C:\\Data\\x");
    if (path == u"x.ini") return std::u16string(u"C:\\Work\\x.ini");
    return path;
  };
  system.upper = [](std::u16string text) {
    for (char16_t& c : text) c = c == u'\u017f' ? u'S' : c;
    return text;
  };
  const std::vector<std::u16string> startup = {u"C:\\DATA\\STARTUP"};
  struct Case {
    const char* name;
    std::u16string param;
    bool refused;
  };
  const Case cases[] = {
      {"file_path_exist", u"C:\\Data\\a.txt", false},
      {"file_path_exist", u"C:\\Other\\a.txt", true},
      {"file_path_exist", u"C:\\DATA~1\\x", false},
      {"create_dir", u"C:\\Data\\..\\Windows", true},
      {"create_dir", u"C:\\Data\\Startup\\x", true},
      {"create_dir", u"C:\\Data\\\u017ftartup\\x", true},
      {"file_path_jump", u"\\\\?\\c:\\data\\d", false},
      {"read_ini_file", u"{\"file_path\":\"x.ini\"}", true},
      {"write_ini_file", u"{\"file_path\":\"C:/Data/s.ini\"}", false},
      {"get_path_filever", u"{\"path\":\"\\\\\\\\server\\\\share\\\\a.dll\"}", true},
      {"write_regedit", u"{\"hkey\":\"HKEY_CURRENT_USER\",\"sub_key\":\"Software\\\\App\\\\x\"}", false},
      {"read_regedit", u"{\"hkey\":\"HKEY_CURRENT_USER\",\"sub_key\":\"Software\\\\Other\"}", true},
      {"write_regedit", u"{\"hkey\":\"HKEY_CURRENT_USER\",\"sub_key\":\"Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Run\"}", true},
      {"write_regedit", u"{\"hkey\":\"HKEY_CURRENT_USER\",\"sub_key\":\"Software\\\\Micro\u017foft\\\\Windows\\\\CurrentVersion\\\\Run\"}", true},
      {"run_exe", u"{\"path\":\"C:\\\\Data\\\\tool.exe\"}", false},
      {"run_exe", u"{\"path\":\"C:\\\\Windows\\\\System32\\\\cmd.exe\"}", true},
      {"open_url", u"{\"url\":\"https://example.com/\"}", false},
      {"open_url", u"{\"url\":\"file:///C:/Data/tool.exe\"}", true},
      {"copy_clip", u"{\"content\":\"x\"}", true},
      {"file_path_exist", u"not json", true},
      {"read_ini_file", u"not json", false},
  };
  Origin page = At(u"https://app.example/");
  for (const Case& c : cases) {
    EXPECT_EQ(BuiltinRefusal(p, page, c.name, {c.param}, system, startup).has_value(), c.refused)
        << c.name << " " << text::Utf16ToUtf8(c.param);
  }
  EXPECT_FALSE(BuiltinRefusal(Parse("{}"), page, "run_exe", {u"{\"path\":\"cmd.exe\"}"}, system, startup).has_value())
      << "without scopes everything goes, as without a policy";
}

// The example policy the README shows.
TEST(ExternalPolicy, TheDocumentedExampleReads) {
  const ExternalPolicy p = Parse(
      "{\"origins\": [\"archive\", \"https://help.example.com\"],"
      " \"builtins\": {\"archive\": [\"window\", \"ini\", \"log\"], \"https://help.example.com\": [\"write_log\"]},"
      " \"parent_functions\": [\"getUser\"], \"page_functions\": [\"onParentEvent\"],"
      " \"paths\": [\"C:\\\\ProgramData\\\\ExampleApp\"]}");
  Origin archive;
  archive.archive = true;
  EXPECT_TRUE(AllowsBuiltin(p, archive, "write_ini_file"));
  EXPECT_FALSE(AllowsBuiltin(p, At(u"https://help.example.com/"), "show_wnd"));
  EXPECT_EQ(p.paths, (std::vector<std::u16string>{u"C:\\PROGRAMDATA\\EXAMPLEAPP"}));
}

// Steps of the browser's events and which document is shown (answers calls) and which is offered
// `external` after each: "" for none, else the host of its origin.
TEST(DocumentTracker, TheOldDocumentAnswersUntilTheNewOneIsCommitted) {
  struct Step {
    char event;  // 's' NavigationStarting, 'l' ContentLoading, 'c' NavigationCompleted
    std::optional<uint64_t> id;
    const char16_t* url;  // for 's'
    const char* current;
    const char* offered;
  };
  const std::optional<uint64_t> none;
  const Step steps[] = {
      {'s', none, u"https://a.example/", "", "a.example"},  // the first page: nothing answers yet
      {'l', none, nullptr, "a.example", "a.example"},
      {'c', none, nullptr, "a.example", "a.example"},
      {'s', none, u"https://b.example/", "a.example", "b.example"},  // a still answers for itself
      {'s', none, u"https://c.example/", "a.example", "c.example"},  // redirected
      {'c', none, nullptr, "a.example", "a.example"},               // ended with no new document
      {'s', 7, u"https://b.example/", "a.example", "b.example"},
      {'s', 8, u"https://c.example/", "a.example", "c.example"},   // replaces navigation 7
      {'c', 7, nullptr, "a.example", "c.example"},                 // 7's end changes nothing
      {'l', 7, nullptr, "a.example", "c.example"},
      {'l', 8, nullptr, "c.example", "c.example"},
      {'c', 8, nullptr, "c.example", "c.example"},
      {'s', 9, u"file:///C:/x.html", "c.example", ""},
      {'l', 9, nullptr, "", ""},
  };
  DocumentTracker tracker;
  auto host = [](const std::optional<Origin>& origin) { return origin ? origin->host : std::string(); };
  int n = 0;
  for (const Step& step : steps) {
    if (step.event == 's') tracker.NavigationStarting(step.id, OriginOfUrl(step.url));
    if (step.event == 'l') tracker.ContentLoading(step.id);
    if (step.event == 'c') tracker.NavigationCompleted(step.id);
    EXPECT_EQ(host(tracker.current()), step.current) << "step " << n;
    EXPECT_EQ(host(tracker.offered()), step.offered) << "step " << n;
    ++n;
  }
}

}  // namespace
