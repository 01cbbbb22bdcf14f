#include "devtools_link_win.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <vector>

#include <json/reader.h>
#include <json/writer.h>

namespace {

constexpr UINT kDrain = WM_APP + 1;
constexpr wchar_t kWindowClass[] = L"CorvaneDevToolsLink";

std::wstring WideText(const std::string& text) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(n > 0 ? n : 0, L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

std::string WinHttpError(const char* step) {
  return std::string(step) + " failed (error " + std::to_string(GetLastError()) + ")";
}

bool ParseJson(const std::string& text, Json::Value* value) {
  Json::CharReaderBuilder builder;
  const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  std::string errors;
  try {
    return reader->parse(text.data(), text.data() + text.size(), value, &errors);
  } catch (const std::exception&) {
    return false;  // deeper than the reader goes
  }
}

std::string WriteJson(const Json::Value& value) {
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "";
  builder["emitUTF8"] = true;
  return Json::writeString(builder, value);
}

// The body of a GET on the browser's HTTP endpoint.
bool HttpGet(HINTERNET connection, const wchar_t* path, std::string* body, std::string* error) {
  HINTERNET request = WinHttpOpenRequest(connection, L"GET", path, nullptr, WINHTTP_NO_REFERER,
                                         WINHTTP_DEFAULT_ACCEPT_TYPES, 0);
  if (request == nullptr) {
    *error = WinHttpError("opening the version request");
    return false;
  }
  bool ok = WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) &&
            WinHttpReceiveResponse(request, nullptr);
  if (!ok) *error = WinHttpError("asking the browser for its version");
  while (ok) {
    char buffer[4096];
    DWORD read = 0;
    if (!WinHttpReadData(request, buffer, sizeof buffer, &read)) {
      *error = WinHttpError("reading the browser's version");
      ok = false;
    } else if (read == 0) {
      break;
    } else {
      body->append(buffer, read);
    }
  }
  WinHttpCloseHandle(request);
  return ok;
}

}  // namespace

DevToolsLink& DevToolsLink::Get() {
  static DevToolsLink* link = new DevToolsLink();  // lives as long as the process
  return *link;
}

bool DevToolsLink::Connect(std::string* error) {
  if (socket_ != nullptr) {
    std::lock_guard<std::mutex> hold(lock_);
    if (!connected_) *error = "the connection to the browser ended: " + lost_;
    return connected_;
  }
  char address[256] = {};
  const DWORD length = GetEnvironmentVariableA("CORVANE_CHROMIUM", address, sizeof address);
  if (length == 0 || length >= sizeof address) {
    *error = "CORVANE_CHROMIUM does not name a browser (host:port)";
    return false;
  }
  const std::string text(address, length);
  const size_t colon = text.rfind(':');
  const unsigned long port = colon == std::string::npos ? 0 : std::strtoul(text.c_str() + colon + 1, nullptr, 10);
  if (colon == std::string::npos || port == 0 || port > 65535) {
    *error = "CORVANE_CHROMIUM is not host:port: " + text;
    return false;
  }
  session_ = WinHttpOpen(L"Corvane browser engine", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                         WINHTTP_NO_PROXY_BYPASS, 0);
  if (session_ != nullptr) {
    connection_ = WinHttpConnect(session_, WideText(text.substr(0, colon)).c_str(),
                                 static_cast<INTERNET_PORT>(port), 0);
  }
  if (connection_ == nullptr) {
    *error = WinHttpError("connecting to the browser");
    return false;
  }
  std::string body;
  if (!HttpGet(connection_, L"/json/version", &body, error)) return false;
  Json::Value version;
  if (!ParseJson(body, &version) || !version["webSocketDebuggerUrl"].isString()) {
    *error = "the browser's version answer has no WebSocket address: " + body.substr(0, 200);
    return false;
  }
  browser_version_ = version["Browser"].asString();
  const std::string url = version["webSocketDebuggerUrl"].asString();
  const size_t path = url.find('/', url.find("://") == std::string::npos ? 0 : url.find("://") + 3);
  if (path == std::string::npos) {
    *error = "the browser's WebSocket address has no path: " + url;
    return false;
  }
  HINTERNET request = WinHttpOpenRequest(connection_, L"GET", WideText(url.substr(path)).c_str(), nullptr,
                                         WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, 0);
  if (request == nullptr || !WinHttpSetOption(request, WINHTTP_OPTION_UPGRADE_TO_WEB_SOCKET, nullptr, 0) ||
      !WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
      !WinHttpReceiveResponse(request, nullptr)) {
    *error = WinHttpError("opening the browser's WebSocket");
    if (request != nullptr) WinHttpCloseHandle(request);
    return false;
  }
  socket_ = WinHttpWebSocketCompleteUpgrade(request, 0);
  WinHttpCloseHandle(request);
  if (socket_ == nullptr) {
    *error = WinHttpError("upgrading to a WebSocket");
    return false;
  }

  WNDCLASSW window_class{};
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.lpszClassName = kWindowClass;
  RegisterClassW(&window_class);
  window_ = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, window_class.hInstance, nullptr);
  {
    std::lock_guard<std::mutex> hold(lock_);
    connected_ = true;
  }
  HANDLE thread = CreateThread(nullptr, 0, ReadThread, this, 0, nullptr);
  if (thread == nullptr) {
    Lost("no thread to read the browser's messages");
    *error = lost_;
    return false;
  }
  CloseHandle(thread);
  return true;
}

DWORD WINAPI DevToolsLink::ReadThread(void* self) {
  static_cast<DevToolsLink*>(self)->Read();
  return 0;
}

void DevToolsLink::Read() {
  std::vector<char> buffer(1 << 16);
  std::string message;
  for (;;) {
    DWORD read = 0;
    WINHTTP_WEB_SOCKET_BUFFER_TYPE type{};
    const DWORD result =
        WinHttpWebSocketReceive(socket_, buffer.data(), static_cast<DWORD>(buffer.size()), &read, &type);
    if (result != NO_ERROR) {
      Lost("reading from the browser failed (error " + std::to_string(result) + ")");
      return;
    }
    if (type == WINHTTP_WEB_SOCKET_CLOSE_BUFFER_TYPE) {
      Lost("the browser closed the connection");
      return;
    }
    message.append(buffer.data(), read);
    if (type == WINHTTP_WEB_SOCKET_UTF8_MESSAGE_BUFFER_TYPE || type == WINHTTP_WEB_SOCKET_BINARY_MESSAGE_BUFFER_TYPE) {
      Handle(message);
      message.clear();
    }
  }
}

void DevToolsLink::Handle(const std::string& text) {
  // CORVANE_CHROMIUM_TRACE=1 shows the start of every message the browser sends.
  static const bool trace = GetEnvironmentVariableA("CORVANE_CHROMIUM_TRACE", nullptr, 0) > 0;
  if (trace) std::fprintf(stderr, "[chromium engine] <- %.1500s\n", text.c_str());
  Json::Value message;
  if (!ParseJson(text, &message) || !message.isObject()) {
    // Too deep or damaged to read. An answer must still reach whoever waits for it: its id
    // comes first in every answer the browser sends.
    long long id = 0;
    if (std::sscanf(text.c_str(), "{\"id\":%lld", &id) != 1) return;
    message = Json::Value(Json::objectValue);
    message["id"] = static_cast<Json::Int64>(id);
    message["error"]["message"] = "the browser's answer could not be read";
    message["error"]["code"] = 0;
  }
  if (message.isMember("id")) {
    const long long id = message["id"].asInt64();
    const std::string error = message.isMember("error") ? message["error"]["message"].asString() +
                                                              " (" + message["error"]["code"].asString() + ")"
                                                        : std::string();
    std::lock_guard<std::mutex> hold(lock_);
    auto waiter = waiters_.find(id);
    if (waiter != waiters_.end()) {
      waiter->second->result = std::move(message["result"]);
      waiter->second->error = error;
      SetEvent(waiter->second->done);
      waiters_.erase(waiter);
      return;
    }
    auto reply = replies_.find(id);
    if (reply == replies_.end()) return;
    Reply run = std::move(reply->second);
    replies_.erase(reply);
    Json::Value result = std::move(message["result"]);
    Enqueue([run, result, error] { run(result, error); });
    return;
  } else if (message["method"].isString()) {
    std::string session = message["sessionId"].asString();
    std::string method = message["method"].asString();
    Json::Value params = std::move(message["params"]);
    std::lock_guard<std::mutex> hold(lock_);
    Enqueue([this, session, method, params] {
      auto listener = listeners_.find(session);
      if (listener == listeners_.end()) return;
      const std::shared_ptr<Listener> keep = listener->second;  // it may forget itself
      (*keep)(method, params);
    });
  }
}

void DevToolsLink::Enqueue(std::function<void()> work) {
  queue_.push_back(std::move(work));
  // One wake-up for a run of work: a busy page must not fill the thread's message queue.
  if (!drain_posted_) drain_posted_ = PostMessageW(window_, kDrain, 0, 0) != FALSE;
}

void DevToolsLink::Lost(const std::string& why) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (!connected_) return;
    connected_ = false;
    lost_ = why;
    for (auto& waiter : waiters_) {
      waiter.second->error = why;
      SetEvent(waiter.second->done);
    }
    waiters_.clear();
    for (auto& reply : replies_) {
      Reply run = std::move(reply.second);
      Enqueue([run, why] { run(Json::Value(), why); });
    }
    replies_.clear();
    Enqueue([this] {
      const auto listeners = listeners_;
      for (const auto& listener : listeners) (*listener.second)("link.lost", Json::Value());
    });
  }
}

Json::Value DevToolsLink::Message(const std::string& method, const Json::Value& params, const std::string& session) {
  Json::Value message(Json::objectValue);
  message["method"] = method;
  message["params"] = params.isNull() ? Json::Value(Json::objectValue) : params;
  if (!session.empty()) message["sessionId"] = session;
  return message;
}

void DevToolsLink::Write(const Json::Value& message) {
  const std::string text = WriteJson(message);
  DWORD result;
  {
    std::lock_guard<std::mutex> hold(send_lock_);
    result = WinHttpWebSocketSend(socket_, WINHTTP_WEB_SOCKET_UTF8_MESSAGE_BUFFER_TYPE,
                                  const_cast<char*>(text.data()), static_cast<DWORD>(text.size()));
  }
  if (result != NO_ERROR) Lost("writing to the browser failed (error " + std::to_string(result) + ")");
}

void DevToolsLink::Send(const std::string& method, const Json::Value& params, const std::string& session,
                        Reply reply) {
  Json::Value message = Message(method, params, session);
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (!connected_) {
      if (reply) {
        const std::string why = lost_.empty() ? "not connected to the browser" : lost_;
        Enqueue([reply, why] { reply(Json::Value(), why); });
      }
      return;
    }
    const long long id = next_id_++;
    message["id"] = static_cast<Json::Int64>(id);
    if (reply) replies_[id] = std::move(reply);
  }
  Write(message);
}

bool DevToolsLink::Call(const std::string& method, const Json::Value& params, const std::string& session,
                        DWORD timeout_ms, Json::Value* result, std::string* error) {
  auto waiter = std::make_shared<Waiter>();
  waiter->done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (waiter->done == nullptr) {
    *error = "no event to wait on";
    return false;
  }
  long long id = 0;
  Json::Value message = Message(method, params, session);
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (!connected_) {
      CloseHandle(waiter->done);
      *error = lost_.empty() ? "not connected to the browser" : lost_;
      return false;
    }
    id = next_id_++;
    message["id"] = static_cast<Json::Int64>(id);
    waiters_[id] = waiter;
  }
  Write(message);

  const ULONGLONG deadline = GetTickCount64() + timeout_ms;
  bool done = false;
  bool quit = false;
  while (!done && !quit) {
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) break;
    // Messages already seen still count: only one is handled before looking again.
    const DWORD wait = MsgWaitForMultipleObjectsEx(1, &waiter->done, static_cast<DWORD>(deadline - now),
                                                   QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (wait == WAIT_OBJECT_0) {
      done = true;
    } else if (wait == WAIT_OBJECT_0 + 1) {
      // One message at a time, looking at the answer and the clock after each: a page that
      // keeps the browser talking must not keep this wait from ending.
      MSG msg;
      if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
          PostQuitMessage(static_cast<int>(msg.wParam));  // for the loop that owns it
          quit = true;
          break;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    } else if (wait != WAIT_TIMEOUT) {
      break;
    }
  }
  if (!done) {
    std::lock_guard<std::mutex> hold(lock_);
    // The answer may have come between the wait and the lock.
    done = WaitForSingleObject(waiter->done, 0) == WAIT_OBJECT_0;
    if (!done) waiters_.erase(id);
  }
  CloseHandle(waiter->done);
  if (!done) {
    *error = quit ? "the thread is quitting" : method + " timed out after " + std::to_string(timeout_ms) + " ms";
    return false;
  }
  if (!waiter->error.empty()) {
    *error = waiter->error;
    return false;
  }
  *result = std::move(waiter->result);
  return true;
}

void DevToolsLink::Listen(const std::string& session, Listener listener) {
  listeners_[session] = std::make_shared<Listener>(std::move(listener));
}

void DevToolsLink::Forget(const std::string& session) { listeners_.erase(session); }

void DevToolsLink::Post(std::function<void()> work) {
  std::lock_guard<std::mutex> hold(lock_);
  Enqueue(std::move(work));
}

void DevToolsLink::Drain() {
  // One piece of work at a time: a handler that waits for the browser (and so handles window
  // messages) continues the queue from where it is, in order.
  for (;;) {
    std::function<void()> work;
    {
      std::lock_guard<std::mutex> hold(lock_);
      if (queue_.empty()) {
        drain_posted_ = false;
        return;
      }
      work = std::move(queue_.front());
      queue_.pop_front();
    }
    work();
  }
}

LRESULT CALLBACK DevToolsLink::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kDrain) {
    Get().Drain();
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}
