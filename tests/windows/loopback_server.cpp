#include "loopback_server.h"

#include <ws2tcpip.h>

#include <cctype>
#include <cstdlib>

namespace testwin {

namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

std::string HttpRequest::Header(const std::string& name) const {
  const std::string wanted = Lower(name) + ":";
  size_t at = 0;
  while (at < headers.size()) {
    size_t end = headers.find("\r\n", at);
    if (end == std::string::npos) end = headers.size();
    const std::string line = headers.substr(at, end - at);
    if (Lower(line.substr(0, wanted.size())) == wanted) {
      const size_t value = line.find_first_not_of(' ', wanted.size());
      return value == std::string::npos ? std::string() : line.substr(value);
    }
    at = end + 2;
  }
  return {};
}

LoopbackServer::LoopbackServer(Handler handler) : handler_(std::move(handler)) {
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

LoopbackServer::~LoopbackServer() {
  closesocket(listener_);
  thread_.join();
  WSACleanup();
}

std::u16string LoopbackServer::Url(const char* path) const {
  const std::string text = "http://127.0.0.1:" + std::to_string(port_) + path;
  return std::u16string(text.begin(), text.end());
}

std::vector<HttpRequest> LoopbackServer::Requests() const {
  std::lock_guard<std::mutex> guard(lock_);
  return requests_;
}

void LoopbackServer::Serve() {
  for (;;) {
    SOCKET client = accept(listener_, nullptr, nullptr);
    if (client == INVALID_SOCKET) return;
    std::string received;
    char buffer[16384];
    size_t head_end = std::string::npos;
    HttpRequest request;
    size_t wanted = 0;
    for (;;) {
      if (head_end == std::string::npos) {
        head_end = received.find("\r\n\r\n");
        if (head_end != std::string::npos) {
          const std::string first = received.substr(0, received.find("\r\n"));
          const size_t space = first.find(' ');
          request.method = first.substr(0, space);
          request.target = first.substr(space + 1, first.rfind(' ') - space - 1);
          request.headers = received.substr(first.size() + 2, head_end - first.size() - 2);
          wanted = head_end + 4 + std::strtoull(request.Header("Content-Length").c_str(), nullptr, 10);
        }
      }
      if (head_end != std::string::npos && received.size() >= wanted) break;
      const int n = recv(client, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      received.append(buffer, n);
    }
    if (head_end != std::string::npos) request.body = received.substr(head_end + 4);
    const HttpAnswer answer = handler_(request);
    {
      std::lock_guard<std::mutex> guard(lock_);
      requests_.push_back(request);
    }
    if (answer.delay_ms != 0) Sleep(answer.delay_ms);
    const std::string text = "HTTP/1.1 " + std::to_string(answer.status) + " Answer\r\nContent-Length: " +
                             std::to_string(answer.body.size()) + "\r\n" +
                             (answer.content_type.empty() ? "" : "Content-Type: " + answer.content_type + "\r\n") +
                             "Connection: close\r\n\r\n" + answer.body;
    send(client, text.data(), static_cast<int>(text.size()), 0);
    ++served_;
    shutdown(client, SD_SEND);
    closesocket(client);
  }
}

}  // namespace testwin
