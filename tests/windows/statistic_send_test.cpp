// The statistics reporter's sends over real HTTP, against a server of the test's own on the
// loopback address.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "base/text_win.h"
#include "child_process.h"
#include "statistic/statistic_win.h"

namespace {

// Answers "/ok..." with 200 and a body, anything else with 404; one request a connection.
class LoopbackServer {
 public:
  LoopbackServer() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listener_, 8);
    int size = sizeof address;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~LoopbackServer() {
    closesocket(listener_);
    thread_.join();
    WSACleanup();
  }
  std::u16string Url(const char* path) const {
    const std::string text = "http://127.0.0.1:" + std::to_string(port_) + path;
    return std::u16string(text.begin(), text.end());
  }
  int served() const { return served_.load(); }

 private:
  void Serve() {
    for (;;) {
      SOCKET client = accept(listener_, nullptr, nullptr);
      if (client == INVALID_SOCKET) return;
      std::string request;
      char buffer[1024];
      while (request.find("\r\n\r\n") == std::string::npos) {
        const int n = recv(client, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        request.append(buffer, n);
      }
      const bool ok = request.compare(0, 7, "GET /ok") == 0;
      const std::string answer = ok ? "HTTP/1.1 200 OK\r\nContent-Length: 5\r\nConnection: close\r\n\r\nhello"
                                    : "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
      send(client, answer.data(), static_cast<int>(answer.size()), 0);
      ++served_;
      shutdown(client, SD_SEND);
      closesocket(client);
    }
  }

  SOCKET listener_ = INVALID_SOCKET;
  int port_ = 0;
  std::thread thread_;
  std::atomic<int> served_{0};
};

TEST(StatisticSend, RealRequestsReachTheCallback) {
  LoopbackServer server;
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
