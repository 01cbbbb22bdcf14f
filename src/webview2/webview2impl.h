#pragma once
// One browser window: a Win32 window that hosts one WebView2 controller, driven by the
// dispatcher through IWebView and reporting back through IWebViewListener and ISendRequest.

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "webview2/browser_window_messages.h"
#include "webview2/hostobjectimpl.h"
#include "webview2/page_policy_win.h"
#include "webview2/process_failure.h"
#include "webview2/webview2_abi.h"
#include "webview2/webview_interfaces.h"
#include "webview2/window_settings.h"
#include "webview2common/archive/archive_files_win.h"
#include "webview2common/archive/archive_server.h"
#include "webview2common/com_ptr_win.h"
#include "webview2common/message/ipc_protocol.h"
#include "webview2common/page_call_queue.h"
#include "webview2common/posted_objects_win.h"
#include "webview2common/window_base_win.h"

class CWebView2Impl : public OrmWebView::IWebView,
                      public CWindowBase,
                      private IPageFunctions,
                      public std::enable_shared_from_this<CWebView2Impl> {
 public:
  static constexpr UINT kDrainPageCalls = browser_window::kDrainPageCalls;
  static constexpr UINT kRunCallable = browser_window::kRunCallable;
  static constexpr UINT kShowWindow = browser_window::kShowWindow;
  static constexpr const wchar_t* kUserAgent =
      L"Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
      L"Chrome/130.0.0.0 Safari/537.36 Edg/130.0.0.0/69.0.3497.100 KRV";

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
  // A later window shares the main window's browser environment.
  // A later window shares the main window's browser runtime, and with it its profile folder;
  // after a failed browser it takes the main window's new one.
  void ShareEnvironmentOf(const std::shared_ptr<CWebView2Impl>& main) {
    environment_ = main->environment_;
    user_data_folder_ = main->user_data_folder_;
    environment_owner_ = main;
  }
  const ComPtr<ICoreWebView2Environment>& environment() const { return environment_; }
  const std::u16string& user_data_folder() const { return user_data_folder_; }

  HRESULT GetCookies(const std::u16string& url, bool http_only);
  HRESULT DeleteCookie(const std::u16string& name, const std::u16string& url);
  bool SetReferrer(const std::u16string& referrer);

  // Runs the archive rewrite on url: a compound archive address becomes the current address.
  void RewriteUrl(const std::u16string& url);
  std::u16string GetMimeType(const std::u16string& extension) const;
  bool RegisterParentFunction(const std::u16string& name);
  // An HRESULT; status and result are left as the caller set them unless the call was made.
  long CallPageFunction(const std::u16string& name, const std::vector<std::u16string>& arguments,
                        std::u16string& result, int32_t& status, bool& queue);
  // Keeps a call for the page's first registration; false when the window's queue is full.
  bool EnqueuePageCall(const std::u16string& name, const std::vector<std::u16string>& arguments,
                       int64_t request_id);

  // Runs work on the window's thread from any thread (posts WM_USER+101).
  bool RunOnWindowThread(std::function<void()> work);

  // Navigation of the web view; nothing happens while there is none.
  void GoBack();
  void GoForward();
  void Reload();
  void Stop();

  const WindowSettings& settings() const { return settings_; }
  const std::u16string& current_url() const { return current_url_; }
  const std::u16string& document_script() const { return document_script_; }
  bool primary() const { return primary_; }

 protected:
  bool ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam,
                            LRESULT& result) override;

 private:
  // Wraps a handler so that it runs only while this window object exists: a completion or a
  // page event may arrive after the parent closed the window. Otherwise it answers S_OK.
  template <typename Handler>
  auto WhileAlive(Handler handler) {
    std::weak_ptr<CWebView2Impl> weak = weak_from_this();
    return [weak, handler](auto... args) -> HRESULT {
      auto self = weak.lock();
      return self ? handler(self.get(), args...) : S_OK;
    };
  }

  void OnCreate(HWND hwnd);
  void InitializeWebView();
  void RequestController();
  static std::u16string ControllerFailure(HRESULT result);
  // Ends a creation chain that failed and tells the parent (event 4 with the reason).
  void ReportCreateFailed(const std::u16string& reason);
  // Sets the cookies kept while the cookie manager did not exist yet.
  void SetPendingCookies();
  HRESULT OnCreateEnvironmentCompleted(HRESULT result, ICoreWebView2Environment* environment);
  HRESULT OnCreateCoreWebView2ControllerCompleted(HRESULT result, ICoreWebView2Controller* controller);
  void ApplyPageSettings();
  void RegisterPageEvents();
  void RemovePageEvents();
  void EnsureHostObject();
  // A browser process that failed: the parent hears of it (event 4), and the window reloads
  // its page or makes a new web view, a bounded number of times.
  HRESULT OnProcessFailed(ICoreWebView2ProcessFailedEventArgs* args);
  void RecreateWebView();
  // A window sharing the main window's runtime waits for the main window's new environment
  // (looked at every kShareRetryMs, at most kShareTries times), then makes its controller in
  // it; without one it makes an environment of its own, in the same profile.
  void TakeSharedEnvironment();
  static constexpr UINT_PTR kShareTimer = 1;
  static constexpr UINT kShareRetryMs = 100;
  static constexpr int kShareTries = 100;
  // Calls the page function registered under name with text arguments; *found says whether
  // there was one, *result gets its text result.
  HRESULT InvokePageFunction(const std::u16string& name, const std::vector<std::u16string>& arguments,
                             bool* found, std::u16string* result);
  // IPageFunctions: a waiting parent call, run when the page registers its first function.
  void Call(const std::u16string& function, const std::vector<std::u16string>& arguments,
            int32_t* status, std::u16string* result) override;
  // Runs the page calls that waited for the page's first registered function, once.
  void DrainPageCalls();
  void LoadDocumentScript();
  RECT ClientRect() const;
  // Sends an event of this window, queued, deferred.
  template <typename Body>
  void SendToParent(const Body& body) {
    if (sender_ != nullptr) sender_->Send(IPC::MakeHostEvent(tag_, body), IPC::Delivery::kQueued);
  }

  // Page events (webview2impl_events.cpp).
  HRESULT OnNavigationStarting(ICoreWebView2NavigationStartingEventArgs* args);
  HRESULT OnContentLoading(ICoreWebView2ContentLoadingEventArgs* args);
  // Adds `external` to the page's script, or takes it away.
  void OfferExternal(bool offer);
  HRESULT OnSourceChanged(ICoreWebView2SourceChangedEventArgs* args);
  HRESULT OnDocumentTitleChanged();
  HRESULT OnNavigationCompleted(ICoreWebView2NavigationCompletedEventArgs* args, bool frame);
  HRESULT OnNewWindowRequested(ICoreWebView2NewWindowRequestedEventArgs* args);
  HRESULT OnWebResourceRequested(ICoreWebView2WebResourceRequestedEventArgs* args);

  OrmWebView::IWebViewListener* listener_ = nullptr;
  WindowSettings settings_;
  std::u16string current_url_;
  ISendRequest* sender_;
  std::u16string raw_text_;
  uint32_t tag_;
  bool primary_;

  ComPtr<ICoreWebView2Environment> environment_;
  // The browser profile, chosen when the first environment is made: a new web view after a
  // failed browser keeps it (and its cookies and storage).
  std::u16string user_data_folder_;
  std::weak_ptr<CWebView2Impl> environment_owner_;  // the main window, for a later window
  // Held until a new one is taken, so that no new environment can be mistaken for it.
  ComPtr<ICoreWebView2Environment> dead_environment_;
  int share_tries_ = 0;
  ComPtr<ICoreWebView2Controller> controller_;
  ComPtr<ICoreWebView2> webview_;
  ComPtr<ICoreWebView2CookieManager> cookie_manager_;
  EventRegistrationToken navigation_starting_{};
  EventRegistrationToken content_loading_{};
  EventRegistrationToken source_changed_{};
  EventRegistrationToken navigation_completed_{};
  EventRegistrationToken frame_navigation_completed_{};
  EventRegistrationToken title_changed_{};
  EventRegistrationToken new_window_requested_{};
  EventRegistrationToken web_resource_requested_{};
  EventRegistrationToken process_failed_{};
  UINT32 browser_process_id_ = 0;
  ComPtr<HostObjectImp> host_object_;
  // The window's external policy; null without one. A policy that could not be read leaves
  // the window without a browser.
  std::shared_ptr<CPagePolicy> page_policy_;
  bool policy_refused_ = false;
  // The origin the policy gives a top document at this address: the archive's, an http(s)
  // origin, or none.
  std::optional<policy::Origin> DocumentOrigin(const std::u16string& address) const;
  std::u16string document_script_;

  CPageCallQueue page_calls_;
  // Between the request of an environment or controller and the first navigation.
  bool creating_ = false;
  bool closed_ = false;
  // A new web view after the browser process failed: the parent is not told of it as a new
  // window (event 1), only of the failure.
  bool recreating_ = false;
  RecoveryBudget recoveries_;
  std::vector<std::pair<std::u16string, std::u16string>> pending_cookies_;  // url, cookie text
  std::u16string referrer_;
  CWinArchiveFiles archive_files_;
  CArchiveServer archive_{&archive_files_};
};
