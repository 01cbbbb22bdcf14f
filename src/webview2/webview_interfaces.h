#pragma once
// The browser-window operations the dispatcher drives, the events a window reports back, and
// the path by which windows and host objects send their own messages to the parent.

#include <cstdint>
#include <string>

#include "webview2/window_settings.h"
#include "webview2common/message/delivery.h"
#include "webview2common/message/ipc_message.h"

namespace OrmWebView {

class IWebViewListener;

class IWebView {
 public:
  virtual ~IWebView() = default;
  virtual bool Init(IWebViewListener* listener) = 0;
  virtual void SetListener(IWebViewListener* listener) = 0;
  virtual bool SetCookie(const std::u16string& url, const std::u16string& cookies) = 0;
  virtual bool LoadUrl(const std::u16string& url, const std::u16string& cookies) = 0;
  virtual bool Show(bool visible) = 0;
  virtual void SetBounds(const WindowRect& rect) = 0;
  virtual void Close() = 0;
  virtual void SetMute(bool muted) = 0;
};

class IWebViewListener {
 public:
  virtual ~IWebViewListener() = default;
  virtual void OnCreated(IWebView* view) = 0;
  virtual void OnClosed(IWebView* view) = 0;
  virtual void OnSlot3(IWebView* view) = 0;
  virtual void OnSlot4(IWebView* view) = 0;
  virtual void OnCreateFailed(IWebView* view, const std::u16string& url,
                              const std::u16string& reason) = 0;
  virtual void OnPageLoaded(IWebView* view) = 0;
  virtual void OnSourceChanged(IWebView* view, const std::u16string& uri) = 0;
  virtual void OnTitleChanged(IWebView* view, const std::u16string& title) = 0;
  virtual void OnNewWindow(IWebView* view, const std::u16string& uri) = 0;
  virtual void OnSlot10(IWebView* view, int64_t first, int64_t second) = 0;
};

class IWebViewListenerEmptyImpl : public IWebViewListener {
 public:
  void OnCreated(IWebView*) override {}
  void OnClosed(IWebView*) override {}
  void OnSlot3(IWebView*) override {}
  void OnSlot4(IWebView*) override {}
  void OnCreateFailed(IWebView*, const std::u16string&, const std::u16string&) override {}
  void OnPageLoaded(IWebView*) override {}
  void OnSourceChanged(IWebView*, const std::u16string&) override {}
  void OnTitleChanged(IWebView*, const std::u16string&) override {}
  void OnNewWindow(IWebView*, const std::u16string&) override {}
  void OnSlot10(IWebView*, int64_t, int64_t) override {}
};

}  // namespace OrmWebView

class ISendRequest {
 public:
  virtual ~ISendRequest() = default;
  virtual bool Send(const IPC::Message& message, IPC::Delivery delivery) = 0;
};
