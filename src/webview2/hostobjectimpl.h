#pragma once
// The object that page script sees as `external`. Its methods and their dispatch are added
// with the script bridge; the browser window owns it and hands it to every page.

#include <windows.h>
#include <oaidl.h>

#include "webview2/webview_interfaces.h"
#include "webview2/window_settings.h"

class HostObjectImp : public IDispatch {
 public:
  // A new object with one reference, owned by the caller.
  static HostObjectImp* Create(ISendRequest* sender, HWND window, const WindowSettings& settings);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID locale, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                   UINT* argument_error) override;

  // Drops the page callbacks and tables when the window closes.
  void ClearTables();

 private:
  HostObjectImp(ISendRequest* sender, HWND window, const WindowSettings& settings);
  virtual ~HostObjectImp() = default;

  LONG refs_ = 1;
  ISendRequest* sender_;
  HWND window_;
  WindowSettings settings_;
};
