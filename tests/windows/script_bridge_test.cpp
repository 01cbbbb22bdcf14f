// Page script and the parent calling each other through `external`, played by the test engine.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <regex>
#include <thread>

#include <shlwapi.h>

#include "host_session.h"
#include "webview2common/message/ipc_protocol.h"
#include "webview2common/window_handle_win.h"

namespace {

using testwin::HostSession;
using Lines = std::vector<std::string>;

using testwin::FindLine;

class ScriptBridge : public testing::Test {
 protected:
  void SetUp() override {
    corvane::HostWindowSettings main = host_.MainSettings(256);
    main.url = u"https://app.example/";
    ASSERT_TRUE(host_.StartWith(main));
    ASSERT_TRUE(host_.WaitFor([&] { return host_.events.Count(IPC::kEvtCreated) == 1; }));
    view_ = std::to_string(host_.events.Of(IPC::kEvtCreated)[0].number);
    ASSERT_TRUE(host_.WaitFor([&] { return host_.Engine("views").find(view_) != std::string::npos; }));
    ASSERT_TRUE(host_.WaitFor([&] { return FindLine(host_.EngineCalls(), view_ + " add_NavigationStarting") >= 0; }));
    // The page starts loading: it receives `external`.
    ASSERT_EQ(host_.Engine("navigation-starting\t" + view_ + "\thttps://app.example/"), "ok");
  }

  // external.<method>(args...) from page script.
  std::string Script(const std::string& method, std::initializer_list<std::string> args = {}) {
    return host_.Script(view_, method, args);
  }
  static std::string ResultText(const std::string& answer) { return HostSession::ResultText(answer); }

  // Page-function calls recorded by the engine, as "name(args)".
  Lines PageCalls() {
    Lines out;
    for (const std::string& line : host_.EngineCalls()) {
      const size_t at = line.find(" page-function ");
      if (at != std::string::npos) out.push_back(line.substr(at + 15, line.find(" dispid=") - at - 15));
    }
    return out;
  }

  HostSession host_;
  std::string view_;
};

TEST_F(ScriptBridge, ExecuteRoundTrip) {
  const std::string answer = Script("Execute", {"s:getUser", "f:onUser", "s:a", "i:5", "b:1"});
  ASSERT_EQ(answer.substr(0, 13), "hr=0x00000000") << answer;
  const std::string id = ResultText(answer);
  ASSERT_TRUE(host_.WaitFor([&] { return host_.events.Count(IPC::kEvtPageCall) == 1; }));
  const testwin::RecordedEvent call = host_.events.Of(IPC::kEvtPageCall)[0];
  EXPECT_EQ(std::to_string(call.number), id);
  EXPECT_EQ(call.window_id, 256);
  ASSERT_GE(call.texts.size(), 2u);
  EXPECT_EQ(call.texts[0], u"getUser");
  // "&" and the callback's whole address: eight digits in the x86 host, sixteen in the x64 one.
  const std::string digits = std::to_string(2 * testwin::HostPointerSize());
  EXPECT_TRUE(std::regex_match(std::string(call.texts[1].begin(), call.texts[1].end()),
                               std::regex("&[0-9A-F]{" + digits + "}")));
  EXPECT_EQ(std::vector<std::u16string>(call.texts.begin() + 2, call.texts.end()),
            (std::vector<std::u16string>{u"a", u"5", u"-1"})) << "a boolean converts as -1";

  corvane::PageCall page_call{call.number, call.texts[0], call.texts[1], {}};
  ASSERT_TRUE(host_.link.AnswerPageCall(256, page_call, {u"ok", u"\u4e2d"}));
  ASSERT_TRUE(host_.WaitFor([&] { return host_.events.Count(IPC::kEvtPageCallResult) == 1; }));
  const testwin::RecordedEvent result = host_.events.Of(IPC::kEvtPageCallResult)[0];
  EXPECT_EQ(result.number, call.number);
  EXPECT_EQ(result.status, IPC::kCallDone);
  EXPECT_EQ(result.texts, std::vector<std::u16string>{u"onUser result"});
  EXPECT_EQ(PageCalls(), Lines{"onUser(8:ok|8:\xE4\xB8\xAD)"});
}

TEST_F(ScriptBridge, ExecuteFailuresAndConsecutiveIds) {
  const long first = std::stol(ResultText(Script("Execute", {"s:f", "f:cb", "s:x"})));
  const std::string object = Script("Execute", {"s:f", "f:cb", "f:notText"});
  EXPECT_NE(object.find("hr=0x80004005"), std::string::npos) << object;
  EXPECT_NE(object.find("scode=0x80004005 description=\xE6\xB3\xA8\xE6\x84\x8F\xEF\xBC\x9A\xE5\x8F\x82\xE6\x95\xB0\xE4\xB8\x8D\xE8\x83\xBD\xE6\x98\xAF\xE5\xAF\xB9\xE8\xB1\xA1."),
            std::string::npos)
      << object;
  const long async_id = std::stol(ResultText(Script("CallBuiltinAsync", {"s:write_log", "f:done", "s:{}"})));
  EXPECT_EQ(async_id, first + 2) << "the failed Execute used up its id";
  const long again = std::stol(ResultText(Script("Execute", {"s:f", "f:cb"})));
  EXPECT_EQ(again, first + 3) << "the same callback object twice: both calls are sent";
  EXPECT_EQ(ResultText(Script("Execute", {"s:onlyName"})), "0");
  host_.WaitFor([] { return false; }, 300);
  const auto calls = host_.events.Of(IPC::kEvtPageCall);
  ASSERT_EQ(calls.size(), 2u) << "nothing was sent for the failed call";
  EXPECT_EQ(calls[0].number, first);
  EXPECT_EQ(calls[1].number, again);
  EXPECT_EQ(calls[0].texts[1], calls[1].texts[1]) << "one key for one callback object";
  EXPECT_GE(host_.CountLogLinesEndingWith("callback function RegisterFunction fail"), 1u);
}

TEST_F(ScriptBridge, ExecuteDirectCallAndUnknownNames) {
  const std::string unknown = Script("ExecuteDirect", {"s:notify", "s:p"});
  EXPECT_NE(unknown.find("hr=0x80004005"), std::string::npos);
  EXPECT_NE(unknown.find("description=\xE5\x87\xBD\xE6\x95\xB0\xE5\x90\x8D\xE4\xB8\x8D\xE6\xAD\xA3\xE7\xA1\xAE\xE6\x88\x96\xE5\x87\xBD\xE6\x95\xB0\xE6\x9C\xAA\xE6\xB3\xA8\xE5\x86\x8C."),
            std::string::npos)
      << unknown;
  const std::string call = Script("Call", {"s:x"});
  EXPECT_NE(call.find("description=\xE6\xB3\xA8\xE6\x84\x8F\xEF\xBC\x9A\xE5\x87\xBD\xE6\x95\xB0\xE6\x9A\x82\xE6\x9C\xAA\xE5\xAE\x9E\xE7\x8E\xB0."),
            std::string::npos)
      << call;
  EXPECT_NE(Script("Nope").find("names hr=0x80020006"), std::string::npos);

  host_.link.set_delivery(corvane::ParentLink::Delivery::kImmediate);
  ASSERT_TRUE(host_.link.RegisterParentFunction(256, u"notify"));
  const std::string direct = Script("ExecuteDirect", {"s:notify", "s:p", "i:7"});
  EXPECT_NE(direct.find("hr=0x00000000"), std::string::npos) << direct;
  EXPECT_NE(direct.find("result=11:"), std::string::npos) << "the boolean true";
  ASSERT_TRUE(host_.WaitFor([&] { return host_.events.Count(IPC::kEvtPageCall) == 1; }));
  const testwin::RecordedEvent sent = host_.events.Of(IPC::kEvtPageCall)[0];
  EXPECT_EQ(sent.number, 0);
  EXPECT_EQ(sent.texts, (std::vector<std::u16string>{u"notify", u"", u"p", u"7"}));
}

TEST_F(ScriptBridge, PropertyReadDoesNothing) {
  const std::string answer = host_.Engine("script-get\t" + view_ + "\tExecute\ts:f\tf:cb");
  EXPECT_NE(answer.find("hr=0x00000000"), std::string::npos) << answer;
  EXPECT_NE(answer.find("result=empty"), std::string::npos) << answer;
  host_.WaitFor([] { return false; }, 200);
  EXPECT_EQ(host_.events.Count(IPC::kEvtPageCall), 0u);
}

TEST_F(ScriptBridge, ParentCallWaitsForTheFirstRegistrationOnly) {
  ASSERT_TRUE(host_.link.CallPageFunction(256, 77, u"pageFn", {u"a", u"b", u"c"}));
  host_.WaitFor([] { return false; }, 300);
  EXPECT_EQ(host_.events.Count(IPC::kEvtPageCallResult), 0u) << "queued until the page registers";

  EXPECT_NE(Script("RegisterFunction", {"f:pageFn", "s:pageFn"}).find("hr=0x00000000"), std::string::npos);
  ASSERT_TRUE(host_.WaitFor([&] { return host_.events.Count(IPC::kEvtPageCallResult) == 1; }));
  const testwin::RecordedEvent answered = host_.events.Of(IPC::kEvtPageCallResult)[0];
  EXPECT_EQ(answered.number, 77);
  EXPECT_EQ(answered.status, IPC::kCallDone);
  EXPECT_EQ(answered.texts, std::vector<std::u16string>{u"pageFn result"});
  EXPECT_EQ(PageCalls(), Lines{"pageFn(8:a|8:b|8:c)"}) << "arguments in order";

  Script("RegisterFunction", {"f:other", "s:other"});
  host_.WaitFor([] { return false; }, 300);
  EXPECT_EQ(host_.events.Count(IPC::kEvtPageCallResult), 1u) << "drained once";

  ASSERT_TRUE(host_.link.CallPageFunction(256, 78, u"missing", {}));
  ASSERT_TRUE(host_.WaitFor([&] { return host_.events.Count(IPC::kEvtPageCallResult) == 2; }));
  EXPECT_EQ(host_.events.Of(IPC::kEvtPageCallResult)[1].status, IPC::kCallNoSuchFunction);
  EXPECT_EQ(host_.events.Of(IPC::kEvtPageCallResult)[1].number, 78);
}

TEST_F(ScriptBridge, RegisterAgainReplacesAndUnregisterForgetsCallbacks) {
  Script("RegisterFunction", {"f:first", "s:fn"});
  Script("RegisterFunction", {"f:second", "s:fn"});
  ASSERT_TRUE(host_.link.CallPageFunction(256, 1, u"fn", {}));
  ASSERT_TRUE(host_.WaitFor([&] { return host_.events.Count(IPC::kEvtPageCallResult) == 1; }));
  EXPECT_EQ(PageCalls(), Lines{"second()"});

  const std::string id = ResultText(Script("Execute", {"s:f", "f:pending"}));
  ASSERT_TRUE(host_.WaitFor([&] { return host_.events.Count(IPC::kEvtPageCall) == 1; }));
  const testwin::RecordedEvent call = host_.events.Of(IPC::kEvtPageCall)[0];
  Script("UnregisterAllFunction");
  ASSERT_TRUE(host_.link.AnswerPageCall(256, corvane::PageCall{call.number, call.texts[0], call.texts[1], {}}, {u"x"}));
  ASSERT_TRUE(host_.WaitFor([&] { return host_.events.Count(IPC::kEvtPageCallResult) == 2; }));
  EXPECT_EQ(host_.events.Of(IPC::kEvtPageCallResult)[1].status, IPC::kCallNoSuchFunction);
  EXPECT_EQ(PageCalls(), Lines{"second()"}) << "the pending callback is gone";
}

TEST_F(ScriptBridge, FailingPageFunctionKeepsStatusNotCalled) {
  Script("RegisterFunction", {"f:broken!", "s:broken"});
  ASSERT_TRUE(host_.link.CallPageFunction(256, 5, u"broken", {}));
  ASSERT_TRUE(host_.WaitFor([&] { return host_.events.Count(IPC::kEvtPageCallResult) == 1; }));
  EXPECT_EQ(host_.events.Of(IPC::kEvtPageCallResult)[0].status, IPC::kCallNotCalled);
}

TEST_F(ScriptBridge, SynchronousBuiltins) {
  const std::string encrypted = ResultText(Script("CallBuiltinSync", {"s:encry_with_key", "s:{\"data\":\"12345678\",\"key\":\"k\"}"}));
  EXPECT_EQ(encrypted.size(), 12u);
  EXPECT_EQ(ResultText(Script("CallBuiltinSync", {"s:decry_with_key", "s:{\"data\":\"" + encrypted + "\",\"key\":\"k\"}"})),
            "12345678");
  EXPECT_EQ(ResultText(Script("CallBuiltinSync", {"s:encry_with_key"})), "param_error");
  EXPECT_EQ(ResultText(Script("CallBuiltinSync", {"s:encry_with_key", "i:42"})), "format_error");
  const std::string unknown = Script("CallBuiltinSync", {"s:ENCRY_WITH_KEY", "s:{}"});
  EXPECT_EQ(unknown.find("hr=0x80004005"), 0u) << "names are case-sensitive";
  EXPECT_EQ(unknown.find("description="), std::string::npos);
  Script("CallBuiltinSync", {"s:write_log", "s:{\"content\":\"hello from the page\"}"});
  EXPECT_EQ(host_.CountLogLinesEndingWith("[web] hello from the page"), 1u);
  // Line breaks in the page's text cannot forge log lines.
  Script("CallBuiltinSync", {"s:write_log", "s:{\"content\":\"one\\r\\n12-09 00:00:00.000 [I] forged\"}"});
  EXPECT_EQ(host_.CountLogLinesEndingWith("[web] one\\r\\n12-09 00:00:00.000 [I] forged"), 1u);
  EXPECT_EQ(host_.CountLogLinesEndingWith("] forged"), 1u) << "on one line";
}

TEST_F(ScriptBridge, AsynchronousBuiltinsAnswerLaterInOrder) {
  const std::string first = ResultText(Script("CallBuiltinAsync", {"s:encry_with_key", "f:cb", "s:{\"data\":\"12345678\",\"key\":\"k\"}"}));
  const std::string second = ResultText(Script("CallBuiltinAsync", {"s:Encry_with_key", "f:cb", "s:{}"}));
  const std::string third = ResultText(Script("CallBuiltinAsync", {"s:write_log", "f:cb"}));
  EXPECT_EQ(std::stol(second), std::stol(first) + 1);
  EXPECT_EQ(std::stol(third), std::stol(first) + 2);
  ASSERT_TRUE(host_.WaitFor([&] { return PageCalls().size() == 3; }));
  const Lines calls = PageCalls();
  EXPECT_EQ(calls[0].substr(0, calls[0].find("|8:", calls[0].find("|8:") + 1)), "cb(8:" + first + "|8:0");
  EXPECT_EQ(calls[0].size(), std::string("cb(8:" + first + "|8:0|8:").size() + 12 + 1);
  EXPECT_EQ(calls[1], "cb(8:" + second + "|8:fun_not_exist|8:)");
  EXPECT_EQ(calls[2], "cb(8:" + third + "|8:0|8:param_error)") << "status 0 even for a parameter error";
  const std::string ciphertext = calls[0].substr(calls[0].rfind("|8:") + 3, 12);
  for (const std::string& line : host_.LogLines()) {
    EXPECT_EQ(line.find(ciphertext), std::string::npos) << "what the cipher built-ins return is not logged: " << line;
  }
  // Each callback ran after the script call that made it had returned.
  const Lines all = host_.EngineCalls();
  const int returned = FindLine(all, view_ + " script CallBuiltinAsync returned");
  const int called = FindLine(all, view_ + " page-function cb(");
  EXPECT_GT(called, returned);
  EXPECT_NE(all[called].find("dispid=-1 locale=1024 flags=1"), std::string::npos) << all[called];
}

TEST_F(ScriptBridge, RegistryAndSystemBuiltinsBothWays) {
  const std::string write =
      "s:{\"value_type\":3,\"hkey\":\"HKEY_CURRENT_USER\",\"sub_key\":\"Software\\\\CorvaneTests\\\\Page\","
      "\"key_name\":\"v\",\"value\":\"from the page\"}";
  const std::string read =
      "s:{\"value_type\":3,\"hkey\":\"HKEY_CURRENT_USER\",\"sub_key\":\"Software\\\\CorvaneTests\\\\Page\","
      "\"key_name\":\"v\"}";
  EXPECT_EQ(ResultText(Script("CallBuiltinSync", {"s:write_regedit", write})), "{\"success\":\"1\"}");
  EXPECT_EQ(ResultText(Script("CallBuiltinSync", {"s:read_regedit", read})),
            "{\"value\":\"from the page\",\"code\":\"1\"}");
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  const std::string disk = std::string("{\"disk\":\"") + static_cast<char>(system[0]) + "\"}";
  EXPECT_EQ(ResultText(Script("CallBuiltinSync", {"s:get_sys_disk"})), disk);

  const std::string first = ResultText(Script("CallBuiltinAsync", {"s:read_regedit", "f:cb", read}));
  const std::string second = ResultText(Script("CallBuiltinAsync", {"s:get_sys_disk", "f:cb"}));
  ASSERT_TRUE(host_.WaitFor([&] { return PageCalls().size() == 2; }));
  const Lines calls = PageCalls();
  const std::string value = "{\"value\":\"from the page\",\"code\":\"1\"}";
  EXPECT_EQ(calls[0], "cb(8:" + first + "|8:0|8:" + value + ")");
  EXPECT_EQ(calls[1], "cb(8:" + second + "|8:0|8:" + disk + ")");
  SHDeleteKeyW(HKEY_CURRENT_USER, L"Software\\CorvaneTests");
}

TEST_F(ScriptBridge, WindowBuiltinBothWays) {
  const std::string handle = "{\"handle\":" +
                             std::to_string(static_cast<int32_t>(WindowHandleValue(host_.parent_window))) + "}";
  EXPECT_EQ(ResultText(Script("CallBuiltinSync", {"s:get_web_wnd_handle"})), handle);
  const std::string id = ResultText(Script("CallBuiltinAsync", {"s:get_web_wnd_handle", "f:cb"}));
  ASSERT_TRUE(host_.WaitFor([&] { return PageCalls().size() == 1; }));
  EXPECT_EQ(PageCalls()[0], "cb(8:" + id + "|8:0|8:" + handle + ")");
}

TEST_F(ScriptBridge, StatisticParamNamesTheMachineAndTheProgram) {
  // The identifiers are gathered off the UI thread at start: the page's first call does not
  // wait the half second that gathering may pause.
  ASSERT_TRUE(host_.WaitFor([&] { return host_.CountLogLinesEndingWith("machine identifiers gathered") == 1; }));
  const DWORD start = GetTickCount();
  const std::string sync = ResultText(Script("CallBuiltinSync", {"s:get_statistic_param"}));
  EXPECT_LT(GetTickCount() - start, 400u);
  std::smatch m;
  ASSERT_TRUE(std::regex_match(sync, m, std::regex("\\{\"app\":\"\",\"appver\":\"\",\"mid2\":\"([0-9a-f]{44})\","
                                                   "\"modver\":\"1\\.0\\.0\\.1\",\"osver\":\"\\d+\\.\\d+\\.\\d+\",\"pid\":\"\"\\}")))
      << sync;
  const std::string id = ResultText(Script("CallBuiltinAsync", {"s:get_statistic_param", "f:cb"}));
  ASSERT_TRUE(host_.WaitFor([&] { return PageCalls().size() == 1; }));
  EXPECT_EQ(PageCalls()[0], "cb(8:" + id + "|8:0|8:" + sync + ")") << "the same values both ways";
}

}  // namespace

namespace {

// The parent's window thread (this test's) is busy and pumps nothing while the page shows,
// titles and places the parent's window: each built-in still returns within a second, and the
// host goes on serving.
TEST_F(ScriptBridge, WindowBuiltinsDoNotWaitForABusyParent) {
  const char* calls[] = {"s:{\"show_type\":\"show\"}", "s:{\"show_type\":\"topmost\"}", "s:{\"show_type\":\"max\"}"};
  for (const char* json : calls) {
    std::atomic<DWORD> took{0};
    std::thread page([&] {
      const DWORD start = GetTickCount();
      Script("CallBuiltinSync", {"s:show_wnd", json});
      took = GetTickCount() - start + 1;
    });
    for (int i = 0; i < 300 && took.load() == 0; ++i) Sleep(10);  // up to 3 s without pumping
    const DWORD unpumped = took.load();
    host_.WaitFor([&] { return took.load() != 0; }, 20000);  // pumping frees a host that waits on us
    page.join();
    EXPECT_NE(unpumped, 0u) << json << ": the built-in waited for the parent's thread";
    EXPECT_LT(unpumped, 1000u) << json;
  }
  std::atomic<bool> titled{false};
  std::thread page([&] {
    Script("CallBuiltinSync", {"s:set_window_title", "s:{\"title\":\"from the page\"}"});
    titled = true;
  });
  host_.WaitFor([&] { return titled.load(); });
  page.join();
  wchar_t title[64] = {};
  GetWindowTextW(host_.parent_window, title, 64);
  EXPECT_STREQ(title, L"from the page") << "a parent that pumps is titled";
  EXPECT_NE(ResultText(Script("CallBuiltinSync", {"s:get_scale"})), "<none>") << "the host still serves";
}

}  // namespace
