#pragma once
// The process's dispatcher: owns the channel to the parent and every browser window, turns
// parent commands into window operations and window events into messages to the parent.

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "webview2/webview2impl.h"
#include "webview2/webview_interfaces.h"
#include "webview2common/message/channel_listener.h"
#include "webview2common/message/channel_win.h"
#include "webview2common/message/ipc_protocol.h"

class CWebView2IPC : public IChannelListener2,
                     public OrmWebView::IWebViewListenerEmptyImpl,
                     public ISendRequest {
 public:
  // data_directory: the per-user data directory that holds the default browser caches.
  explicit CWebView2IPC(std::u16string data_directory);
  ~CWebView2IPC() override;

  // Opens the channel and creates the main window from the process command line.
  bool Init(const std::u16string& command_line);

  // IChannelListener2
  void OnReceiveMessage(const IPC::Message& message) override;
  int32_t ListenerRoute() override { return IPC::kDispatcherRouting; }
  void OnPeerProcessExit(bool session_ending) override;

  // IWebViewListener
  void OnCreated(OrmWebView::IWebView* view) override;
  void OnClosed(OrmWebView::IWebView* view) override;
  void OnSlot4(OrmWebView::IWebView* view) override;
  void OnCreateFailed(OrmWebView::IWebView* view, const std::u16string& url,
                      const std::u16string& reason) override;
  void OnPageLoaded(OrmWebView::IWebView* view) override;
  void OnSourceChanged(OrmWebView::IWebView* view, const std::u16string& uri) override;
  void OnTitleChanged(OrmWebView::IWebView* view, const std::u16string& title) override;
  void OnNewWindow(OrmWebView::IWebView* view, const std::u16string& uri) override;

  // ISendRequest
  bool Send(const IPC::Message& message, IPC::Delivery delivery) override;

  CWebView2Impl* LookupWindow(uint32_t id) const;
  int32_t main_window_id() const { return main_window_id_; }

 private:
  void CreateWindowFromSettings(const WindowSettings& settings, const std::u16string& text,
                                bool main);
  void OnCreateCommand(uint32_t id, const std::u16string& text);
  void OnCallPageFunction(uint32_t id, const IPC::CallPageFunctionCommand& call);
  void WatchParent(uint32_t parent_wnd);
  uint32_t IdOf(OrmWebView::IWebView* view) const;
  // Sends an event without a body for the reporting window, queued.
  void SendEvent(OrmWebView::IWebView* view, uint32_t code);

  CChannel channel_;
  int32_t main_window_id_ = 0;
  std::map<int32_t, std::shared_ptr<CWebView2Impl>> windows_;
  std::u16string data_directory_;
};
