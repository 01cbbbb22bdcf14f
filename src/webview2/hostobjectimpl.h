#pragma once
// The object that page script sees as `external`: calls of parent functions become messages to
// the parent, built-in calls go to InternalFun, and page functions registered here can be
// called by the parent.

#include <windows.h>
#include <oaidl.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "webview2/internal_fun/internal_fun.h"
#include "webview2/page_policy_win.h"
#include "webview2/webview_interfaces.h"
#include "webview2/window_settings.h"
#include "webview2common/com_ptr_win.h"
#include "webview2common/message/ipc_protocol.h"

// {2B753AB9-5E64-4F15-AAE6-DF06C167496D}
inline const IID IID_IHostObjectImp = {0x2B753AB9, 0x5E64, 0x4F15, {0xAA, 0xE6, 0xDF, 0x06, 0xC1, 0x67, 0x49, 0x6D}};

// The interface described by the embedded type library (member ids 0x60010000..07).
struct IHostObjectImp : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Execute(BSTR function_name, IDispatch* callback, BSTR params) = 0;
  virtual HRESULT STDMETHODCALLTYPE ExecuteDirect(BSTR function_name, BSTR params, BSTR* result) = 0;
  virtual HRESULT STDMETHODCALLTYPE RegisterFunction(IDispatch* callback, BSTR params) = 0;
  virtual HRESULT STDMETHODCALLTYPE UnregisterAllFunction() = 0;
  virtual HRESULT STDMETHODCALLTYPE UnregisterAllFunctionEx() = 0;
  virtual HRESULT STDMETHODCALLTYPE Call(BSTR function_name, BSTR params, BSTR* result) = 0;
  virtual HRESULT STDMETHODCALLTYPE CallBuiltinSync(BSTR function_name, BSTR params, BSTR* result) = 0;
  virtual HRESULT STDMETHODCALLTYPE CallBuiltinAsync(BSTR function_name, BSTR params, BSTR* result) = 0;
};

class HostObjectImp : public IHostObjectImp, public IDispatch {
 public:
  static constexpr DISPID kFirstDispid = 0x1001;

  // A new object with one reference, owned by the caller.
  // policy: what the window's pages may do; null for everything.
  static HostObjectImp* Create(ISendRequest* sender, HWND window, const WindowSettings& settings,
                               std::shared_ptr<const CPagePolicy> policy = nullptr);

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IHostObjectImp: reached only through the vtable, where they do nothing (the real work is
  // done through IDispatch::Invoke, which passes script's arguments as they are).
  HRESULT STDMETHODCALLTYPE Execute(BSTR, IDispatch*, BSTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE ExecuteDirect(BSTR, BSTR, BSTR*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RegisterFunction(IDispatch*, BSTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE UnregisterAllFunction() override;
  HRESULT STDMETHODCALLTYPE UnregisterAllFunctionEx() override { return UnregisterAllFunction(); }
  HRESULT STDMETHODCALLTYPE Call(BSTR, BSTR, BSTR*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE CallBuiltinSync(BSTR, BSTR, BSTR*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE CallBuiltinAsync(BSTR, BSTR, BSTR*) override { return S_OK; }

  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID locale, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                   UINT* argument_error) override;

  // A name script may call that the parent implements (kind 0) or one of the eight methods (1).
  void RegisterLocalFunction(const std::u16string& name, int kind);
  // The page function stored under key, or empty.
  ComPtr<IDispatch> FindCallback(const std::u16string& key) const;
  // Drops the page callbacks and the built-ins when the window closes.
  void ClearTables();

 private:
  HostObjectImp(ISendRequest* sender, HWND window, const WindowSettings& settings,
                std::shared_ptr<const CPagePolicy> policy);
  // Whether the policy refuses the method call (name, its first text argument where it names a
  // function); a refusal is logged and answered in *result.
  bool Refused(const std::u16string& name, const DISPPARAMS& params, VARIANT* result);
  virtual ~HostObjectImp() = default;

  HRESULT LoadTypeInfo(UINT index, LCID locale, ITypeInfo** info);
  HRESULT LookUpNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids);
  HRESULT InvokeMember(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception);
  // Runs a method by name; false when it failed (an error text, if any, is in *result).
  bool ExecuteByName(const std::u16string& name, const DISPPARAMS& params, VARIANT* result);
  bool DoRegisterFunction(const DISPPARAMS& params);
  bool DoExecuteDirect(const DISPPARAMS& params, VARIANT* result);
  bool DoExecute(const DISPPARAMS& params, VARIANT* result);
  bool DoCallBuiltinAsync(const DISPPARAMS& params, VARIANT* result);
  bool DoParentFunction(const std::u16string& name, const DISPPARAMS& params, VARIANT* result);
  // Script arguments from index `first` on as texts; false with an error text in *result (or
  // none for a failed conversion when conversion_text is false) when one is an object or
  // cannot be converted.
  static bool ArgumentTexts(const DISPPARAMS& params, UINT first, VARIANT* result,
                            bool conversion_text, std::vector<std::u16string>* texts);
  // Sends event 10 for this host object's window, queued.
  bool SendPageCall(const IPC::PageCallEvent& call);
  uint32_t WindowId() const { return static_cast<uint32_t>(settings_.web_view_id); }

  LONG refs_ = 1;
  ComPtr<ITypeLib> type_library_;
  ISendRequest* sender_;
  std::map<std::u16string, std::pair<int32_t, int32_t>> names_;
  std::map<std::u16string, ComPtr<IDispatch>> callbacks_;
  HWND window_;
  WindowSettings settings_;
  std::shared_ptr<InternalFun> builtins_;
  std::shared_ptr<const CPagePolicy> policy_;
};
