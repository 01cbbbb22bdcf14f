#pragma once
// One browser window: a Win32 window that hosts one web view, driven by the dispatcher.

#include <windows.h>

#include <atomic>
#include <map>
#include <string>
#include <vector>

#include "webview2/webview_interfaces.h"
#include "webview2/window_settings.h"
#include "webview2common/window_base.h"

class CWebView2Impl : public OrmWebView::IWebView, public CWindowBase {
 public:
  static constexpr UINT kDrainPageCalls = WM_USER + 100;
  static constexpr UINT kRunCallable = WM_USER + 101;
  static constexpr UINT kShowWindow = WM_USER + 102;

  struct PageCall {
    std::u16string name;
    std::vector<std::u16string> arguments;
    int64_t request_id;
  };

  CWebView2Impl(const WindowSettings& settings, ISendRequest* sender, std::u16string raw_text,
                bool primary);
  ~CWebView2Impl() override;

  // IWebView
  bool Init(OrmWebView::IWebViewListener* listener) override;
  void SetListener(OrmWebView::IWebViewListener* listener) override;
  bool SetCookie(const std::u16string& url, const std::u16string& cookies) override;
  bool LoadUrl(const std::u16string& url, const std::u16string& cookies) override;
  bool Show(bool visible) override;
  void SetBounds(const WindowRect& rect) override;
  void Close() override;
  void SetMute(bool muted) override;

  // Creates the window with the settings' parent, rectangle and title and shows it.
  bool CreateBrowserWindow();

  void GetCookies(const std::u16string& url, bool http_only);
  void DeleteCookie(const std::u16string& name, const std::u16string& url);
  void SetReferrer(const std::u16string& referrer);
  bool RegisterParentFunction(const std::u16string& name);
  // An HRESULT; status and result are left as the caller set them unless the call was made.
  long CallPageFunction(const std::u16string& name, const std::vector<std::u16string>& arguments,
                        std::u16string& result, int32_t& status, bool& queue);
  void EnqueuePageCall(const std::u16string& name, const std::vector<std::u16string>& arguments,
                       int64_t request_id);

  // Navigation of the web view; nothing happens while there is none.
  void GoBack();
  void GoForward();
  void Reload();
  void Stop();

  const WindowSettings& settings() const { return settings_; }
  const std::u16string& current_url() const { return current_url_; }
  const std::u16string& referrer() const { return referrer_; }
  bool primary() const { return primary_; }

 protected:
  bool ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam,
                            LRESULT& result) override;

 private:
  RECT ClientRect() const;

  OrmWebView::IWebViewListener* listener_ = nullptr;
  WindowSettings settings_;
  std::u16string current_url_;
  ISendRequest* sender_;
  std::u16string raw_text_;
  uint32_t tag_;
  bool primary_;
  std::map<std::u16string, std::u16string> mime_overrides_;
  std::vector<PageCall> pending_calls_;
  std::atomic<bool> drained_{false};
  std::u16string referrer_;
};
