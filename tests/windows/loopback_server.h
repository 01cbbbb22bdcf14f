#pragma once
// An HTTP server of the test's own on the loopback address: one request a connection, each
// answered by the test's handler, every request kept for the test to look at.

#include <winsock2.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testwin {

struct HttpRequest {
  std::string method;
  std::string target;   // path and query
  std::string headers;  // the header lines as sent
  std::string body;     // Content-Length bytes
  // A header's value (name compared without case), or empty.
  std::string Header(const std::string& name) const;
};

struct HttpAnswer {
  int status = 200;
  std::string body;
  DWORD delay_ms = 0;  // how long to keep the client waiting before answering
  std::string content_type = {};  // none when empty
};

class LoopbackServer {
 public:
  using Handler = std::function<HttpAnswer(const HttpRequest&)>;
  explicit LoopbackServer(Handler handler);
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  std::u16string Url(const char* path) const;
  int served() const { return served_.load(); }
  std::vector<HttpRequest> Requests() const;

 private:
  void Serve();

  Handler handler_;
  SOCKET listener_ = INVALID_SOCKET;
  int port_ = 0;
  std::thread thread_;
  std::atomic<int> served_{0};
  mutable std::mutex lock_;
  std::vector<HttpRequest> requests_;
};

}  // namespace testwin
