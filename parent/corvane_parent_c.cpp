// The C interface of corvane_parent.dll over the C++ link: every call checks its thread, state
// and arguments, says why it failed, and lets no exception out.
#define CORVANE_PARENT_BUILD
#include "corvane_parent_c.h"

#include <windows.h>

#include <memory>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "base/text_convert.h"
#include "base/text_win.h"
#include "corvane_parent.h"
#include "corvane_version.h"
#include "webview2common/library_load_win.h"
#include "webview2common/message/ipc_protocol.h"

namespace {

std::u16string Text(const wchar_t* text) { return text != nullptr ? to_u16(text) : std::u16string(); }

std::vector<std::u16string> Texts(size_t count, const wchar_t* const* texts) {
  std::vector<std::u16string> out;
  out.reserve(count);
  for (size_t i = 0; i < count; ++i) out.push_back(Text(texts[i]));
  return out;
}

bool ValidWindowId(int32_t id) { return id >= 256 && id <= 65280 && id % 256 == 0; }

std::wstring SystemErrorText(DWORD code) {
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring out = n != 0 && text != nullptr ? std::wstring(text, n) : L"";
  if (text != nullptr) LocalFree(text);
  while (!out.empty() && (out.back() == L'\n' || out.back() == L'\r' || out.back() == L' ')) out.pop_back();
  return out + L" (system error " + std::to_wstring(code) + L")";
}

// The loader library of a folder, loaded from there or the system folders only, and kept: a
// loader may have started threads of its own.
corvane_error RuntimeVersion(const std::wstring& folder, std::wstring* version) {
  const std::wstring path = folder + L"\\WebView2Loader.dll";
  HMODULE loader = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
  // A file of that name that is no loader counts as no loader.
  if (loader == nullptr || GetProcAddress(loader, "GetAvailableCoreWebView2BrowserVersionString") == nullptr) {
    return CORVANE_E_HOST_NOT_FOUND;
  }
  return LoaderBrowserVersion(loader, version) ? CORVANE_OK : CORVANE_E_RUNTIME_MISSING;
}

std::wstring FolderOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? L"." : path.substr(0, slash);
}

}  // namespace

struct corvane_link : private corvane::HostEvents {
  corvane_link(const corvane_events& events, void* user)
      : events_(events), user_(user), thread_(GetCurrentThreadId()), link_(this) {}

  // The checks every call makes first; false with the error recorded.
  corvane_error Enter(bool needs_host) {
    last_error_.clear();
    if (GetCurrentThreadId() != thread_) return Fail(CORVANE_E_WRONG_THREAD, L"the link belongs to another thread");
    if (!needs_host) return CORVANE_OK;
    if (host_exited_) return Fail(CORVANE_E_HOST_GONE, L"the host has ended");
    if (link_.host_process_id() == 0) return Fail(CORVANE_E_WRONG_STATE, L"the host is not started");
    return CORVANE_OK;
  }
  corvane_error Fail(corvane_error error, const std::wstring& why) {
    last_error_ = why;
    return error;
  }
  corvane_error Sent(bool sent) {
    if (sent) return CORVANE_OK;
    if (host_exited_) return Fail(CORVANE_E_HOST_GONE, L"the host has ended");
    return Fail(CORVANE_E_SEND_FAILED, L"the host did not take the command");
  }
  corvane_error Open(const wchar_t* channel) {
    if (const corvane_error e = Enter(false)) return e;
    if (channel == nullptr || *channel == 0) return Fail(CORVANE_E_INVALID_ARGUMENT, L"no channel name");
    if (link_.channel_window() != nullptr) return Fail(CORVANE_E_WRONG_STATE, L"the link is open already");
    if (!link_.Open(Text(channel))) {
      return Fail(CORVANE_E_CHANNEL_IN_USE, L"a window of the channel name " + std::wstring(channel) + L" exists");
    }
    return CORVANE_OK;
  }

  // The settings as the host reads them; false with the error recorded.
  corvane_error Settings(const corvane_window_settings* in, corvane::HostWindowSettings* out) {
    if (in == nullptr || in->size != sizeof(corvane_window_settings)) {
      return Fail(CORVANE_E_INVALID_ARGUMENT, L"no settings, or settings of another size");
    }
    if (!ValidWindowId(in->window_id)) {
      return Fail(CORVANE_E_INVALID_SETTINGS, L"window id " + std::to_wstring(in->window_id) +
                                                  L" is not a multiple of 256 from 256 to 65280");
    }
    out->window_id = in->window_id;
    if (in->url != nullptr) out->url = Text(in->url);
    out->parent_window = in->parent_window;
    if (in->has_rect != 0) out->rect = corvane::HostRect{in->x, in->y, in->width, in->height};
    out->title = Text(in->title);
    out->start_hidden = in->start_hidden != 0;
    out->referrer = Text(in->referrer);
    out->follow_display_scale = in->follow_display_scale != 0;
    out->cache_path = Text(in->cache_path);
    out->browser_arguments = Text(in->browser_arguments);
    if (in->policy_json != nullptr) {
      std::u16string encoded;
      std::string error;
      if (!corvane::EncodePolicyJson(text::Utf16ToUtf8(Text(in->policy_json)), &encoded, &error)) {
        return Fail(CORVANE_E_INVALID_SETTINGS, L"policy: " + std::wstring(as_wcstr(text::Utf8ToUtf16(error))));
      }
      out->external_policy = encoded;
    }
    std::u16string ignored;
    if (!corvane::BuildSettingsText(*out, &ignored)) {
      return Fail(CORVANE_E_INVALID_SETTINGS, L"a setting the host would not read as written (a lone double quote?)");
    }
    return CORVANE_OK;
  }

  corvane_error Start(const wchar_t* path, const corvane_window_settings* main, const wchar_t* extra) {
    if (const corvane_error e = Enter(false)) return e;
    if (path == nullptr) return Fail(CORVANE_E_INVALID_ARGUMENT, L"no host path");
    if (link_.channel_window() == nullptr) return Fail(CORVANE_E_WRONG_STATE, L"the link is not open");
    if (link_.host_process_id() != 0) return Fail(CORVANE_E_WRONG_STATE, L"the host is started already");
    corvane::HostWindowSettings settings;
    if (const corvane_error e = Settings(main, &settings)) return e;
    corvane::StartFailure why;
    if (link_.StartHost(path, settings, Text(extra), &why)) {
      host_folder_ = FolderOf(path);
      main_window_ = settings.window_id;
      return CORVANE_OK;
    }
    using Kind = corvane::StartFailure::Kind;
    const std::wstring system = SystemErrorText(why.system_error);
    switch (why.kind) {
      case Kind::kNotFound: return Fail(CORVANE_E_HOST_NOT_FOUND, L"no program at " + std::wstring(path) + L": " + system);
      case Kind::kWrongArchitecture:
        return Fail(CORVANE_E_WRONG_ARCHITECTURE, std::wstring(path) + L" cannot be started here: " + system);
      case Kind::kInvalidSettings: return Fail(CORVANE_E_INVALID_SETTINGS, L"a setting the host would not read as written");
      default: return Fail(CORVANE_E_SYSTEM, L"the host did not start: " + system);
    }
  }

  int callbacks_running = 0;
  std::wstring last_error_;
  corvane::ParentLink& link() { return link_; }

 private:
  // Runs a callback with the depth counted, so that destroying the link from inside is refused.
  template <typename F, typename... A>
  void Raise(F callback, A... arguments) {
    if (callback == nullptr) return;
    ++callbacks_running;
    callback(user_, arguments...);
    --callbacks_running;
  }
  static const wchar_t* W(const std::u16string& text) { return as_wcstr(text); }

  void OnWindowReady(int32_t id, uint32_t handle) override {
    ready_.insert(id);
    Raise(events_.window_ready, id, handle);
  }
  void OnWindowClosed(int32_t id) override {
    corvane_close_reason reason = CORVANE_CLOSED;
    // A main window that closes before it was ever ready: the host found no browser runtime.
    std::wstring version;
    if (id == main_window_ && ready_.count(id) == 0 && RuntimeVersion(host_folder_, &version) == CORVANE_E_RUNTIME_MISSING) {
      reason = CORVANE_CLOSED_RUNTIME_MISSING;
    }
    Raise(events_.window_closed, id, reason);
  }
  void OnLoadFailed(int32_t id, const std::u16string& url, const std::u16string& reason) override {
    Raise(events_.load_failed, id, W(url), W(reason));
  }
  void OnPageLoaded(int32_t id, const std::u16string& url) override { Raise(events_.page_loaded, id, W(url)); }
  void OnSourceChanged(int32_t id, const std::u16string& url) override { Raise(events_.source_changed, id, W(url)); }
  void OnTitleChanged(int32_t id, const std::u16string& title) override { Raise(events_.title_changed, id, W(title)); }
  void OnNewWindowRequested(int32_t id, const std::u16string& url) override {
    Raise(events_.new_window_requested, id, W(url));
  }
  void OnPageCall(int32_t id, const corvane::PageCall& call) override {
    std::vector<const wchar_t*> arguments;
    for (const std::u16string& argument : call.arguments) arguments.push_back(W(argument));
    const corvane_page_call c{call.call_id, W(call.function), W(call.key), arguments.size(), arguments.data()};
    Raise(events_.page_call, id, &c);
  }
  void OnPageCallResult(int32_t id, int64_t call_id, int32_t status, const std::u16string& result) override {
    Raise(events_.page_call_result, id, call_id, status, W(result));
  }
  void OnCookies(int32_t id, const std::u16string& url, const std::u16string& listing) override {
    Raise(events_.cookies, id, W(url), W(listing));
  }
  void OnFrameLoaded(int32_t id, const std::u16string& url) override { Raise(events_.frame_loaded, id, W(url)); }
  void OnHostExited(uint32_t code) override {
    host_exited_ = true;
    Raise(events_.host_exited, code);
  }

  const corvane_events events_;
  void* const user_;
  const DWORD thread_;
  corvane::ParentLink link_;
  std::wstring host_folder_ = L".";
  int32_t main_window_ = 0;
  std::set<int32_t> ready_;
  bool host_exited_ = false;
};

namespace {

// Runs body with every exception turned into an error code.
template <typename Body>
corvane_error Guarded(corvane_link* link, Body body) {
  if (link == nullptr) return CORVANE_E_INVALID_ARGUMENT;
  try {
    return body(*link);
  } catch (const std::bad_alloc&) {
    return link->Fail(CORVANE_E_OUT_OF_MEMORY, L"out of memory");
  } catch (...) {
    return link->Fail(CORVANE_E_SYSTEM, L"an unexpected failure");
  }
}

}  // namespace

extern "C" {

uint32_t CORVANE_CALL corvane_version(void) {
  return (static_cast<uint32_t>(CORVANE_VERSION_MAJOR) << 24) | (CORVANE_VERSION_MINOR << 16) |
         (CORVANE_VERSION_PATCH << 8) | CORVANE_VERSION_TWEAK;
}

uint32_t CORVANE_CALL corvane_protocol_version(void) { return IPC::kProtocolVersion; }

const wchar_t* CORVANE_CALL corvane_error_text(corvane_error error) {
  switch (error) {
    case CORVANE_OK: return L"ok";
    case CORVANE_E_INVALID_ARGUMENT: return L"invalid argument";
    case CORVANE_E_INVALID_SETTINGS: return L"invalid settings";
    case CORVANE_E_WRONG_STATE: return L"not possible in the link's state";
    case CORVANE_E_WRONG_THREAD: return L"called from a thread other than the link's";
    case CORVANE_E_CHANNEL_IN_USE: return L"the channel name is in use";
    case CORVANE_E_HOST_NOT_FOUND: return L"the host program was not found";
    case CORVANE_E_WRONG_ARCHITECTURE: return L"the host program cannot be started on this system";
    case CORVANE_E_SYSTEM: return L"the system refused";
    case CORVANE_E_HOST_GONE: return L"the host has ended";
    case CORVANE_E_SEND_FAILED: return L"the host did not take the command";
    case CORVANE_E_RUNTIME_MISSING: return L"no browser runtime is installed";
    case CORVANE_E_OUT_OF_MEMORY: return L"out of memory";
  }
  return L"unknown error";
}

corvane_error CORVANE_CALL corvane_runtime_version(const wchar_t* host_folder, wchar_t* version, size_t capacity) {
  if (host_folder == nullptr || (version == nullptr && capacity != 0)) return CORVANE_E_INVALID_ARGUMENT;
  try {
    std::wstring found;
    const corvane_error error = RuntimeVersion(host_folder, &found);
    if (error == CORVANE_OK && capacity != 0) {
      const size_t n = found.size() < capacity - 1 ? found.size() : capacity - 1;
      found.copy(version, n);
      version[n] = 0;
    }
    return error;
  } catch (...) {
    return CORVANE_E_OUT_OF_MEMORY;
  }
}

corvane_error CORVANE_CALL corvane_link_create(const corvane_events* events, void* user, corvane_link** link) {
  if (link == nullptr) return CORVANE_E_INVALID_ARGUMENT;
  *link = nullptr;
  if (events == nullptr || events->size != sizeof(corvane_events)) return CORVANE_E_INVALID_ARGUMENT;
  *link = new (std::nothrow) corvane_link(*events, user);
  return *link != nullptr ? CORVANE_OK : CORVANE_E_OUT_OF_MEMORY;
}

corvane_error CORVANE_CALL corvane_link_destroy(corvane_link* link) {
  if (link == nullptr) return CORVANE_OK;
  if (const corvane_error e = link->Enter(false)) return e;
  if (link->callbacks_running != 0) return link->Fail(CORVANE_E_WRONG_STATE, L"a callback of the link is running");
  delete link;
  return CORVANE_OK;
}

corvane_error CORVANE_CALL corvane_link_open(corvane_link* link, const wchar_t* channel_name) {
  return Guarded(link, [&](corvane_link& l) { return l.Open(channel_name); });
}

corvane_error CORVANE_CALL corvane_link_start_host(corvane_link* link, const wchar_t* host_path,
                                                   const corvane_window_settings* main, const wchar_t* extra_switches) {
  return Guarded(link, [&](corvane_link& l) { return l.Start(host_path, main, extra_switches); });
}

uint32_t CORVANE_CALL corvane_link_host_process_id(const corvane_link* link) {
  return link != nullptr ? const_cast<corvane_link*>(link)->link().host_process_id() : 0;
}

const wchar_t* CORVANE_CALL corvane_link_last_error_text(const corvane_link* link) {
  return link != nullptr ? link->last_error_.c_str() : L"no link";
}

int32_t CORVANE_CALL corvane_pump(uint32_t timeout_ms, int32_t(CORVANE_CALL* quit)(void* user), void* user) {
  try {
    return corvane::ParentLink::PumpUntil([&] { return quit != nullptr && quit(user) != 0; }, timeout_ms) ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

// A command with its texts checked: a null text where one is required is an invalid argument.
#define CORVANE_REQUIRE(text) \
  if ((text) == nullptr) return l.Fail(CORVANE_E_INVALID_ARGUMENT, L"" #text " is null")

#define CORVANE_COMMAND(window_id, ...)                                                      \
  return Guarded(link, [&](corvane_link& l) {                                                \
    if (const corvane_error e = l.Enter(true)) return e;                                     \
    if (!ValidWindowId(window_id)) return l.Fail(CORVANE_E_INVALID_ARGUMENT, L"not a window id"); \
    __VA_ARGS__;                                                                             \
  })

corvane_error CORVANE_CALL corvane_navigate(corvane_link* link, int32_t window_id, const wchar_t* url,
                                            const wchar_t* cookie) {
  CORVANE_COMMAND(window_id, CORVANE_REQUIRE(url); return l.Sent(l.link().Navigate(window_id, Text(url), Text(cookie))));
}

corvane_error CORVANE_CALL corvane_create_window(corvane_link* link, const corvane_window_settings* settings) {
  return Guarded(link, [&](corvane_link& l) {
    if (const corvane_error e = l.Enter(true)) return e;
    corvane::HostWindowSettings s;
    if (const corvane_error e = l.Settings(settings, &s)) return e;
    return l.Sent(l.link().CreateBrowser(s));
  });
}

corvane_error CORVANE_CALL corvane_set_bounds(corvane_link* link, int32_t window_id, int32_t x, int32_t y,
                                              int32_t width, int32_t height) {
  CORVANE_COMMAND(window_id, return l.Sent(l.link().SetBounds(window_id, x, y, width, height)));
}

corvane_error CORVANE_CALL corvane_show(corvane_link* link, int32_t window_id, int32_t visible) {
  CORVANE_COMMAND(window_id, return l.Sent(l.link().Show(window_id, visible != 0)));
}

corvane_error CORVANE_CALL corvane_mute(corvane_link* link, int32_t window_id, int32_t muted) {
  CORVANE_COMMAND(window_id, return l.Sent(l.link().Mute(window_id, muted != 0)));
}

corvane_error CORVANE_CALL corvane_close(corvane_link* link, int32_t window_id) {
  CORVANE_COMMAND(window_id, return l.Sent(l.link().Close(window_id)));
}
corvane_error CORVANE_CALL corvane_go_back(corvane_link* link, int32_t window_id) {
  CORVANE_COMMAND(window_id, return l.Sent(l.link().GoBack(window_id)));
}
corvane_error CORVANE_CALL corvane_go_forward(corvane_link* link, int32_t window_id) {
  CORVANE_COMMAND(window_id, return l.Sent(l.link().GoForward(window_id)));
}
corvane_error CORVANE_CALL corvane_reload(corvane_link* link, int32_t window_id) {
  CORVANE_COMMAND(window_id, return l.Sent(l.link().Reload(window_id)));
}
corvane_error CORVANE_CALL corvane_stop(corvane_link* link, int32_t window_id) {
  CORVANE_COMMAND(window_id, return l.Sent(l.link().Stop(window_id)));
}

corvane_error CORVANE_CALL corvane_set_referrer(corvane_link* link, int32_t window_id, const wchar_t* referrer) {
  CORVANE_COMMAND(window_id, return l.Sent(l.link().SetReferrer(window_id, Text(referrer))));
}

corvane_error CORVANE_CALL corvane_set_cookie(corvane_link* link, int32_t window_id, const wchar_t* url,
                                              const wchar_t* cookie) {
  CORVANE_COMMAND(window_id, CORVANE_REQUIRE(url); CORVANE_REQUIRE(cookie);
                  return l.Sent(l.link().SetCookie(window_id, Text(url), Text(cookie))));
}

corvane_error CORVANE_CALL corvane_delete_cookie(corvane_link* link, int32_t window_id, const wchar_t* url,
                                                 const wchar_t* name) {
  CORVANE_COMMAND(window_id, CORVANE_REQUIRE(url); CORVANE_REQUIRE(name);
                  return l.Sent(l.link().DeleteCookie(window_id, Text(url), Text(name))));
}

corvane_error CORVANE_CALL corvane_get_cookies(corvane_link* link, int32_t window_id, const wchar_t* url,
                                               int32_t http_only_only) {
  CORVANE_COMMAND(window_id, CORVANE_REQUIRE(url); return l.Sent(l.link().GetCookies(window_id, Text(url), http_only_only != 0)));
}

corvane_error CORVANE_CALL corvane_register_parent_function(corvane_link* link, int32_t window_id,
                                                            const wchar_t* function) {
  CORVANE_COMMAND(window_id, CORVANE_REQUIRE(function);
                  return l.Sent(l.link().RegisterParentFunction(window_id, Text(function))));
}

corvane_error CORVANE_CALL corvane_call_page_function(corvane_link* link, int32_t window_id, int64_t call_id,
                                                      const wchar_t* function, size_t argument_count,
                                                      const wchar_t* const* arguments) {
  CORVANE_COMMAND(window_id, CORVANE_REQUIRE(function); if (argument_count != 0) CORVANE_REQUIRE(arguments);
                  return l.Sent(l.link().CallPageFunction(window_id, call_id, Text(function),
                                                          Texts(argument_count, arguments))));
}

corvane_error CORVANE_CALL corvane_answer_page_call(corvane_link* link, int32_t window_id, int64_t call_id,
                                                    const wchar_t* key, size_t argument_count,
                                                    const wchar_t* const* arguments) {
  // An answer is a call of the page's callback, which the key names.
  return corvane_call_page_function(link, window_id, call_id, key, argument_count, arguments);
}

}  // extern "C"
