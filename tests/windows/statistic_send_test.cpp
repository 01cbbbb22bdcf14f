// The statistics reporter's sends over real HTTP, against a server of the test's own on the
// loopback address.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "base/text_win.h"
#include "child_process.h"
#include "loopback_server.h"
#include "statistic/statistic_win.h"

namespace {

// Answers "/ok..." with 200 and a body, anything else with 404.
testwin::HttpAnswer AnswerOk(const testwin::HttpRequest& request) {
  if (request.method == "GET" && request.target.compare(0, 3, "/ok") == 0) return {200, "hello"};
  return {404, ""};
}

TEST(StatisticSend, RealRequestsReachTheCallback) {
  testwin::LoopbackServer server(AnswerOk);
  CStatisticImpl reporter(&WinStatisticSystem());
  ASSERT_TRUE(reporter.Init(1, u"", nullptr));
  const std::wstring folder = testwin::MakeTempFolder(L"statistic-send");
  const std::u16string file = to_u16((folder + L"\\answer.txt").c_str());

  std::vector<bool> outcomes;
  const std::u16string ok = server.Url("/ok?report=1");
  EXPECT_EQ(reporter.Send(&ok, &file, 0, [&](bool s) { outcomes.push_back(s); }), 1);
  EXPECT_EQ(testwin::ReadFileBytes(as_wcstr(file)), "hello") << "the response is saved to the file";
  EXPECT_EQ(reporter.Report(server.Url("/ok/no-file"), 0, [&](bool s) { outcomes.push_back(s); }), 1);
  const std::u16string nobody = u"http://127.0.0.1:1/closed";
  reporter.Send(&nobody, nullptr, 0, [&](bool s) { outcomes.push_back(s); });
  EXPECT_EQ(outcomes, (std::vector<bool>{true, true, false}));

  // Asynchronous: on a thread of its own; the running count goes back to 0.
  std::mutex lock;
  std::condition_variable finished;
  DWORD callback_thread = 0;
  bool called = false;
  const std::u16string async_url = server.Url("/ok/async");
  reporter.Send(&async_url, nullptr, 1, [&](bool s) {
    std::lock_guard<std::mutex> guard(lock);
    callback_thread = GetCurrentThreadId();
    called = s;
    finished.notify_all();
  });
  {
    std::unique_lock<std::mutex> guard(lock);
    EXPECT_TRUE(finished.wait_for(guard, std::chrono::seconds(20), [&] { return callback_thread != 0; }))
        << "no connection seen, or the request did not complete";
  }
  EXPECT_TRUE(called);
  EXPECT_NE(callback_thread, GetCurrentThreadId());
  for (int i = 0; i < 400 && reporter.running_reports() != 0; ++i) Sleep(5);
  EXPECT_EQ(reporter.running_reports(), 0);
  EXPECT_GE(server.served(), 3);
  testwin::RemoveTree(folder);
}

}  // namespace
