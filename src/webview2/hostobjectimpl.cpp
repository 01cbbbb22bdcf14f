#include "webview2/hostobjectimpl.h"

HostObjectImp* HostObjectImp::Create(ISendRequest* sender, HWND window,
                                     const WindowSettings& settings) {
  return new HostObjectImp(sender, window, settings);
}

HostObjectImp::HostObjectImp(ISendRequest* sender, HWND window, const WindowSettings& settings)
    : sender_(sender), window_(window), settings_(settings) {}

HRESULT STDMETHODCALLTYPE HostObjectImp::QueryInterface(REFIID riid, void** out) {
  if (out == nullptr) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
    *out = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE HostObjectImp::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

ULONG STDMETHODCALLTYPE HostObjectImp::Release() {
  const LONG left = InterlockedDecrement(&refs_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT STDMETHODCALLTYPE HostObjectImp::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE HostObjectImp::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info != nullptr) *info = nullptr;
  return TYPE_E_ELEMENTNOTFOUND;
}

HRESULT STDMETHODCALLTYPE HostObjectImp::GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID,
                                                       DISPID* ids) {
  for (UINT i = 0; ids != nullptr && i < count; ++i) ids[i] = DISPID_UNKNOWN;
  return DISP_E_UNKNOWNNAME;
}

HRESULT STDMETHODCALLTYPE HostObjectImp::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*,
                                                EXCEPINFO*, UINT*) {
  return DISP_E_MEMBERNOTFOUND;
}

void HostObjectImp::ClearTables() {}
