// A window's external policy through the real host and the test engine: which pages get
// `external`, which built-ins and parent functions they may call, what the built-ins may touch,
// and a policy that cannot be read.
#include <gtest/gtest.h>

#include <regex>

#include "base/text_convert.h"
#include "base/text_win.h"
#include "child_process.h"
#include "host_session.h"
#include "webview2common/base64.h"
#include "webview2common/message/ipc_protocol.h"

namespace {

using testwin::FindLine;
using testwin::HostSession;

std::u16string Encoded(const std::string& json) {
  const std::string text = Base64UrlEncode(json);
  return std::u16string(text.begin(), text.end());
}

const char kPolicy[] =
    "{\"origins\":[\"https://app.example\",\"http://127.0.0.1:8080\"],"
    "\"builtins\":{\"https://app.example\":[\"cipher\",\"files\",\"registry\",\"shell\"],\"*\":[\"get_scale\"]},"
    "\"parent_functions\":[\"getUser\"],\"paths\":[\"C:\\\\allowed\"],"
    "\"programs\":[\"C:\\\\allowed\\\\tool.exe\"]}";

class ExternalPolicyHost : public testing::Test {
 protected:
  // Starts the main window under the policy and shows a page of url.
  void Open(const std::u16string& policy, const std::string& url) {
    corvane::HostWindowSettings main = host_.MainSettings(256);
    main.url = u"https://app.example/";
    main.external_policy = policy;
    ASSERT_TRUE(host_.StartWith(main));
    ASSERT_TRUE(host_.WaitFor([&] { return host_.events.Count(IPC::kEvtCreated) == 1; }));
    view_ = std::to_string(host_.events.Of(IPC::kEvtCreated)[0].number);
    ASSERT_TRUE(host_.WaitFor([&] { return FindLine(host_.EngineCalls(), view_ + " add_NavigationStarting") >= 0; }));
    Navigate(url);
  }
  // A navigation to url that shows its document.
  void Navigate(const std::string& url) {
    Start(url);
    End(true);
  }
  void Start(const std::string& url) { ASSERT_EQ(host_.Engine("navigation-starting\t" + view_ + "\t" + url), "ok"); }
  // The navigation ends: with its new document committed, or with none.
  void End(bool committed) {
    ASSERT_EQ(host_.Engine("navigation-completed\t" + view_ + (committed ? "\t1\t0" : "\t0\t14")), "ok");
  }
  std::string Script(const std::string& method, std::initializer_list<std::string> args = {}) {
    return host_.Script(view_, method, args);
  }
  static std::string ResultText(const std::string& answer) { return HostSession::ResultText(answer); }
  std::string Builtin(const std::string& name, const std::string& json) {
    return ResultText(Script("CallBuiltinSync", {"s:" + name, "s:" + json}));
  }

  HostSession host_;
  std::string view_;
};

const std::string kDenied = "{\"error\":\"permission_denied\"}";

TEST_F(ExternalPolicyHost, AnAllowedOriginCallsWhatItsEntryAllows) {
  Open(Encoded(kPolicy), "https://app.example/index.html");
  ASSERT_TRUE(host_.link.RegisterParentFunction(256, u"getUser"));
  ASSERT_TRUE(host_.link.RegisterParentFunction(256, u"deleteAll"));
  EXPECT_NE(Builtin("encry_with_key", "{\"data\":\"12345678\",\"key\":\"k\"}"), kDenied);
  EXPECT_NE(Builtin("get_scale", "{}"), kDenied) << "\"*\" allows it to every page";
  EXPECT_EQ(Builtin("copy_clip", "{\"content\":\"x\"}"), kDenied) << "not in the origin's list";
  // The scopes: a path outside "paths", however it is spelled, a Run key, an unlisted program.
  for (const char* path : {"C:\\\\allowed\\\\..\\\\windows", "c:/ALLOWED/../Windows/win.ini", "\\\\\\\\?\\\\C:\\\\other",
                           "C:\\\\allowedx\\\\a"}) {
    EXPECT_EQ(ResultText(Script("CallBuiltinSync", {"s:file_path_exist", std::string("s:") + path})), kDenied) << path;
  }
  EXPECT_NE(ResultText(Script("CallBuiltinSync", {"s:file_path_exist", "s:c:/allowed/sub/../a.txt"})), kDenied);
  EXPECT_EQ(Builtin("write_regedit", "{\"value_type\":3,\"hkey\":\"HKEY_CURRENT_USER\",\"sub_key\":"
                                     "\"Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Run\",\"key_name\":\"x\",\"value\":\"y\"}"),
            kDenied);
  EXPECT_EQ(Builtin("run_exe", "{\"path\":\"C:\\\\windows\\\\system32\\\\cmd.exe\"}"), kDenied);
  EXPECT_EQ(Builtin("open_url", "{\"url\":\"file:///C:/windows/system32/calc.exe\"}"), kDenied);
  // Asynchronous calls are refused alike; the callback still hears once.
  const std::string id = ResultText(Script("CallBuiltinAsync", {"s:copy_clip", "f:cb", "s:{}"}));
  ASSERT_TRUE(host_.WaitFor([&] { return FindLine(host_.EngineCalls(), view_ + " page-function cb(") >= 0; }));
  const auto calls = host_.EngineCalls();
  EXPECT_NE(calls[FindLine(calls, view_ + " page-function cb(")].find("8:" + id + "|8:0|8:" + kDenied), std::string::npos);
  // Parent functions: only the listed one reaches the parent.
  EXPECT_EQ(ResultText(Script("Execute", {"s:deleteAll", "f:cb2"})), kDenied);
  EXPECT_NE(ResultText(Script("Execute", {"s:getUser", "f:cb3"})), kDenied);
  ASSERT_TRUE(host_.WaitFor([&] { return host_.events.Count(IPC::kEvtPageCall) == 1; }));
  EXPECT_EQ(host_.events.Of(IPC::kEvtPageCall)[0].texts[0], u"getUser");
  EXPECT_GE(host_.CountLogLinesEndingWith("external refused copy_clip: the built-in is not allowed for this origin"), 1u)
      << "refusals are logged (a few lines a second)";
}

// Names as the system compares them: a policy's prefix given by its short name, a page's path
// by its long one in another case beyond ASCII.
TEST_F(ExternalPolicyHost, NamesAreComparedAsTheSystemComparesThem) {
  const std::wstring base = testwin::MakeTempFolder(L"policy");
  auto make = [&](const std::wstring& name) {
    const std::wstring folder = base + L"\\" + name;
    CreateDirectoryW(folder.c_str(), nullptr);
    wchar_t short_name[MAX_PATH] = {};
    GetShortPathNameW(folder.c_str(), short_name, MAX_PATH);
    return text::Utf16ToUtf8(to_u16(short_name));
  };
  const std::string inside = make(L"Donn\u00e9es longues"), outside = make(L"Autre dossier long");
  ASSERT_NE(inside.find('~'), std::string::npos) << inside << ": the system made no short name";
  auto escaped = [](std::string path) {
    for (size_t at = 0; (at = path.find('\\', at)) != std::string::npos; at += 2) path.insert(at, 1, '\\');
    return path;
  };
  Open(Encoded("{\"paths\":[\"" + escaped(inside) + "\"]}"), "https://app.example/");
  const std::string long_base = text::Utf16ToUtf8(to_u16(base.c_str()));
  const std::pair<std::string, bool> cases[] = {
      {long_base + "\\DONN\u00c9ES LONGUES\\a.txt", true},
      {long_base + "\\donn\u00e9es LONGUES\\b.txt", true},
      {inside + "\\a.txt", true},
      {outside + "\\a.txt", false},
      {long_base + "\\donn\u00e9es longues\\..\\Autre dossier long", false},
  };
  for (const auto& [path, allowed] : cases) {
    EXPECT_EQ(ResultText(Script("CallBuiltinSync", {"s:file_path_exist", "s:" + path})) != kDenied, allowed) << path;
  }
  testwin::RemoveTree(base);
}

TEST_F(ExternalPolicyHost, OtherOriginsHaveNoExternal) {
  Open(Encoded(kPolicy), "https://other.example/");
  EXPECT_EQ(Script("CallBuiltinSync", {"s:get_scale"}), "error: the page has no external");
  // An allowed page gets it; leaving for another origin takes it away again.
  Navigate("http://127.0.0.1:8080/app");
  EXPECT_NE(ResultText(Script("CallBuiltinSync", {"s:get_scale"})), "<none>");
  EXPECT_EQ(Builtin("encry_with_key", "{\"data\":\"12345678\",\"key\":\"k\"}"), kDenied)
      << "the entry for https://app.example is not this origin's";
  Navigate("http://127.0.0.1:8081/app");
  EXPECT_EQ(Script("CallBuiltinSync", {"s:get_scale"}), "error: the page has no external");
}

// Until the browser commits the next document, calls come from the one shown and answer for its
// origin; a navigation that ends without a new document leaves that one, and its `external`.
TEST_F(ExternalPolicyHost, TheDocumentShownAnswersUntilTheNextIsCommitted) {
  const std::string encrypt = "{\"data\":\"12345678\",\"key\":\"k\"}";
  Open(Encoded(kPolicy), "https://other.example/");
  Start("https://app.example/");
  EXPECT_EQ(Builtin("encry_with_key", encrypt), kDenied) << "other.example may not call what it is offered for app.example";
  End(true);
  EXPECT_NE(Builtin("encry_with_key", encrypt), kDenied);
  Start("https://other.example/");
  EXPECT_EQ(Script("CallBuiltinSync", {"s:get_scale"}), "error: the page has no external");
  End(false);
  EXPECT_NE(Builtin("encry_with_key", encrypt), kDenied) << "app.example is shown again, with external";
}

// Pages of the window's archive are the "archive" origin; a web page that names the archive's
// folder in its address is not.
TEST_F(ExternalPolicyHost, ArchivePagesAreTheArchiveOrigin) {
  Open(Encoded("{\"origins\":[\"archive\"]}"), "https://app.example/");
  EXPECT_EQ(Script("CallBuiltinSync", {"s:get_scale"}), "error: the page has no external");
  host_.link.set_delivery(corvane::ParentLink::Delivery::kImmediate);
  ASSERT_TRUE(host_.link.Navigate(256, u"zip://k1|C:\\apps\\pack.dat|/index.html"));
  std::string folder;
  for (const std::string& line : host_.EngineCalls()) {
    const size_t at = line.find("\\zip_");
    if (line.find(view_ + " Navigate ") == 0 && at != std::string::npos) folder = line.substr(at + 1, 36);
  }
  ASSERT_EQ(folder.size(), 36u);
  Navigate("file:///C:/apps/" + folder + "/pack.dat|index.html");
  EXPECT_NE(ResultText(Script("CallBuiltinSync", {"s:get_scale"})), "<none>");
  Navigate("https://evil.example/" + folder + "/pack.dat|index.html");
  EXPECT_EQ(Script("CallBuiltinSync", {"s:get_scale"}), "error: the page has no external");
}

TEST_F(ExternalPolicyHost, APolicyThatCannotBeReadShowsNoPage) {
  bool first = true;
  for (const std::u16string& bad : {std::u16string(u"not base64!"), Encoded("{\"origins\":[\"https://a\"],\"oops\":1}"),
                                    Encoded("{\"builtins\":{\"*\":[\"everything\"]}}"), std::u16string()}) {
    HostSession host;
    corvane::HostWindowSettings main = host.MainSettings(256);
    main.url = u"https://app.example/";
    main.external_policy = bad;
    ASSERT_TRUE(host.StartWith(main));
    ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtLoadFailed) == 1; }));
    const testwin::RecordedEvent failed = host.events.Of(IPC::kEvtLoadFailed)[0];
    ASSERT_EQ(failed.texts.size(), 2u);
    EXPECT_EQ(failed.texts[1].rfind(u"external_policy", 0), 0u);
    EXPECT_EQ(host.events.Count(IPC::kEvtCreated), 0u);
    if (first) {
      EXPECT_EQ(FindLine(host.EngineCalls(), "CreateCoreWebView2EnvironmentWithOptions"), -1) << "no browser";
    }
    first = false;
  }
}

}  // namespace
