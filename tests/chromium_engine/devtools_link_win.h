#pragma once
// The engine's one connection to the browser: a WebSocket to its DevTools endpoint on the
// loopback address (WinHTTP), a thread that reads it, and the host's UI thread on which every
// answer and event is handled, in the order the browser sent them.

#include <windows.h>
#include <winhttp.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include <json/value.h>

class DevToolsLink {
 public:
  // Called with the result, or with an error text (and a null result) when the browser
  // refused the command or the connection is gone.
  using Reply = std::function<void(const Json::Value& result, const std::string& error)>;
  // Called with an event's method and parameters.
  using Listener = std::function<void(const std::string& method, const Json::Value& params)>;

  static DevToolsLink& Get();

  // Connects on the calling (UI) thread to the browser that CORVANE_CHROMIUM names
  // ("127.0.0.1:port"); true when connected (at once when already). error says why not.
  bool Connect(std::string* error);
  const std::string& browser_version() const { return browser_version_; }

  // Sends a command to the browser (session "") or to an attached target's session; reply,
  // if given, runs on the UI thread after the answer arrives.
  void Send(const std::string& method, const Json::Value& params, const std::string& session,
            Reply reply = {});
  // Sends a command and waits for its answer, handling the thread's window messages meanwhile
  // (as a call into a browser process does); false and an error text on refusal or timeout.
  bool Call(const std::string& method, const Json::Value& params, const std::string& session,
            DWORD timeout_ms, Json::Value* result, std::string* error);

  // The listener of a session's events ("" for the browser's own); replaces an earlier one.
  void Listen(const std::string& session, Listener listener);
  void Forget(const std::string& session);
  // Runs work on the UI thread after the current call has returned.
  void Post(std::function<void()> work);

 private:
  DevToolsLink() = default;
  static DWORD WINAPI ReadThread(void* self);
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  static Json::Value Message(const std::string& method, const Json::Value& params, const std::string& session);
  void Write(const Json::Value& message);
  void Read();
  void Handle(const std::string& text);
  void Drain();
  // Queues work for the UI thread and wakes it once for a run of work; lock_ held.
  void Enqueue(std::function<void()> work);
  void Lost(const std::string& why);

  struct Waiter {
    HANDLE done = nullptr;
    Json::Value result;
    std::string error;
  };

  HINTERNET session_ = nullptr;
  HINTERNET connection_ = nullptr;
  HINTERNET socket_ = nullptr;
  HWND window_ = nullptr;
  std::string browser_version_;

  std::mutex send_lock_;  // one send at a time on the socket
  std::mutex lock_;       // everything below
  bool connected_ = false;
  std::string lost_;  // why the connection ended, once it has
  long long next_id_ = 1;
  std::map<long long, Reply> replies_;
  std::map<long long, std::shared_ptr<Waiter>> waiters_;
  std::deque<std::function<void()>> queue_;
  bool drain_posted_ = false;  // a wake-up is on its way to the UI thread
  std::map<std::string, std::shared_ptr<Listener>> listeners_;  // UI thread only
};
