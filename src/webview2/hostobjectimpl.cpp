#include "webview2/hostobjectimpl.h"

#include <cstdio>
#include <exception>

#include "base/callback_guard_win.h"
#include "base/text_convert.h"
#include "base/text_win.h"
#include "log/logger.h"
#include "webview2/browser_window_messages.h"
#include "webview2/internal_fun/builtin_guard.h"
#include "webview2common/com_text_win.h"
#include "webview2common/message/ipc_protocol.h"

namespace {

constexpr char16_t kObjectArgument[] = u"注意：参数不能是对象.";
constexpr char16_t kUnknownArgument[] = u"注意：未知参数类型，转换到字符串失败.";
constexpr char16_t kUnknownFunction[] = u"函数名不正确或函数未注册.";
constexpr char16_t kNotImplemented[] = u"注意：函数暂未实现.";

const char16_t* const kMethods[] = {u"Execute",          u"ExecuteDirect",         u"RegisterFunction",
                                    u"UnregisterAllFunction", u"UnregisterAllFunctionEx", u"Call",
                                    u"CallBuiltinSync",  u"CallBuiltinAsync"};

// Script argument i (DISPPARAMS holds them last first).
const VARIANT& Arg(const DISPPARAMS& params, UINT i) { return params.rgvarg[params.cArgs - 1 - i]; }

std::u16string BstrText(const VARIANT& value) { return BstrToText(value.bstrVal); }

void SetTrue(VARIANT* result) {
  if (result == nullptr) return;
  VariantClear(result);
  result->vt = VT_BOOL;
  result->boolVal = VARIANT_TRUE;
}

}  // namespace

HostObjectImp* HostObjectImp::Create(ISendRequest* sender, HWND window, const WindowSettings& settings,
                                     std::shared_ptr<const CPagePolicy> policy) {
  return new HostObjectImp(sender, window, settings, std::move(policy));
}

HostObjectImp::HostObjectImp(ISendRequest* sender, HWND window, const WindowSettings& settings,
                             std::shared_ptr<const CPagePolicy> policy)
    : sender_(sender),
      window_(window),
      settings_(settings),
      builtins_(std::make_shared<InternalFun>(window, settings, policy)),
      policy_(std::move(policy)) {
  for (const char16_t* name : kMethods) RegisterLocalFunction(name, 1);
}

HRESULT STDMETHODCALLTYPE HostObjectImp::QueryInterface(REFIID riid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IHostObjectImp)) {
    *out = static_cast<IHostObjectImp*>(this);
  } else if (IsEqualIID(riid, IID_IDispatch)) {
    *out = static_cast<IDispatch*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG STDMETHODCALLTYPE HostObjectImp::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

ULONG STDMETHODCALLTYPE HostObjectImp::Release() {
  const LONG left = InterlockedDecrement(&refs_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT STDMETHODCALLTYPE HostObjectImp::UnregisterAllFunction() {
  callbacks_.clear();
  return S_OK;
}

void HostObjectImp::RegisterLocalFunction(const std::u16string& name, int kind) {
  LOG_INFO("RegisterLocalFunction name=", name);
  if (names_.count(name) != 0) return;
  const int32_t dispid = kFirstDispid + static_cast<int32_t>(names_.size());
  names_.emplace(name, std::make_pair(dispid, static_cast<int32_t>(kind)));
}

ComPtr<IDispatch> HostObjectImp::FindCallback(const std::u16string& key) const {
  auto it = callbacks_.find(key);
  return it != callbacks_.end() ? it->second : ComPtr<IDispatch>();
}

void HostObjectImp::ClearTables() {
  callbacks_.clear();
  // Pending asynchronous built-in calls hold the built-ins weakly and are dropped with them.
  builtins_.reset();
}

HRESULT STDMETHODCALLTYPE HostObjectImp::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 1;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE HostObjectImp::GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) {
  // No exception may cross into the caller's frames.
  try {
    return LoadTypeInfo(index, locale, info);
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

HRESULT HostObjectImp::LoadTypeInfo(UINT index, LCID, ITypeInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  if (index != 0) return TYPE_E_ELEMENTNOTFOUND;
  if (!type_library_) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    const HRESULT hr = LoadTypeLibEx(path, REGKIND_NONE, type_library_.Put());
    if (FAILED(hr)) {
      LOG_INFO("load webview2.tlb fail ret=", static_cast<long>(hr));
      if (sender_ != nullptr) {
        sender_->Send(IPC::MakeHostEvent(WindowId(), IPC::LoadFailedEvent{settings_.url, u"load webview2.tlb fail"}),
                      IPC::Delivery::kQueued);
      }
      type_library_.Reset();  // retried on the next call
      return hr;
    }
  }
  return type_library_->GetTypeInfoOfGuid(IID_IHostObjectImp, info);
}

HRESULT STDMETHODCALLTYPE HostObjectImp::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale,
                                                       DISPID* ids) {
  return guard::Guarded([&]() -> HRESULT {
    try {
      return LookUpNames(riid, names, count, locale, ids);
    } catch (...) {
      return E_OUTOFMEMORY;
    }
  });
}

HRESULT HostObjectImp::LookUpNames(REFIID, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) {
  if (count == 0 || names == nullptr || names[0] == nullptr || ids == nullptr) return E_INVALIDARG;
  auto entry = names_.find(to_u16(names[0]));
  if (entry == names_.end()) return DISP_E_UNKNOWNNAME;
  ComPtr<ITypeInfo> info;
  const HRESULT loaded = GetTypeInfo(0, locale, info.Put());
  if (FAILED(loaded)) return loaded;
  const HRESULT hr = info->GetIDsOfNames(names, count, ids);
  if (SUCCEEDED(hr)) entry->second.first = ids[0];
  return hr;
}

HRESULT STDMETHODCALLTYPE HostObjectImp::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                                VARIANT* result, EXCEPINFO* exception, UINT*) {
  // Page script calls in from the browser's frames: a fault goes to the crash handler.
  return guard::Guarded([&] { return InvokeMember(id, flags, params, result, exception); });
}

HRESULT HostObjectImp::InvokeMember(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result,
                                    EXCEPINFO* exception) {
  if (id == 0) return DISP_E_MEMBERNOTFOUND;
  const std::u16string* name = nullptr;
  for (const auto& entry : names_) {
    if (entry.second.first == id) {
      name = &entry.first;
      break;
    }
  }
  if (name == nullptr) return DISP_E_MEMBERNOTFOUND;
  if ((flags & DISPATCH_METHOD) == 0 || params == nullptr) return S_OK;
  // Error texts are written into the result; a caller that wants none still gets one here.
  VARIANT local;
  VariantInit(&local);
  VARIANT* out = result != nullptr ? result : &local;
  bool ok = false;
  try {
    const std::u16string called = *name;  // the table may change while the call runs
    ok = ExecuteByName(called, *params, out);
    if (!ok) LOG_INFO("webcall fail funname=", called);
  } catch (...) {
    ok = false;
  }
  if (ok) {
    VariantClear(&local);
    return S_OK;
  }
  if (exception != nullptr && out->vt == VT_BSTR) {
    *exception = EXCEPINFO{};
    exception->scode = E_FAIL;
    exception->bstrDescription = SysAllocStringLen(out->bstrVal, SysStringLen(out->bstrVal));
  }
  VariantClear(&local);
  return E_FAIL;
}

bool HostObjectImp::ArgumentTexts(const DISPPARAMS& params, UINT first, VARIANT* result,
                                  bool conversion_text, std::vector<std::u16string>* texts) {
  for (UINT i = first; i < params.cArgs; ++i) {
    const VARIANT& value = Arg(params, i);
    if (value.vt == VT_DISPATCH) {
      SetVariantText(result, kObjectArgument);
      return false;
    }
    std::u16string text;
    try {
      if (!VariantToText(value, &text)) {
        if (conversion_text) SetVariantText(result, kUnknownArgument);
        return false;
      }
    } catch (const std::exception& e) {
      SetVariantText(result, text::AnsiToUtf16(e.what()));
      return false;
    }
    texts->push_back(std::move(text));
  }
  return true;
}

bool HostObjectImp::SendPageCall(const IPC::PageCallEvent& call) {
  return sender_->Send(IPC::MakeHostEvent(WindowId(), call), IPC::Delivery::kQueued);
}

bool HostObjectImp::Refused(const std::u16string& name, const DISPPARAMS& params, VARIANT* result) {
  if (!policy_) return false;
  std::u16string function = name;  // the parent function or page function the call names
  bool parent = true;
  if (name == u"RegisterFunction") {
    parent = false;
    function = params.cArgs == 2 && Arg(params, 1).vt == VT_BSTR ? BstrText(Arg(params, 1)) : u"";
  } else if (name == u"Execute" || name == u"ExecuteDirect") {
    function = params.cArgs > 0 && Arg(params, 0).vt == VT_BSTR ? BstrText(Arg(params, 0)) : u"";
  } else if (name == u"CallBuiltinSync" || name == u"CallBuiltinAsync") {
    return false;  // the built-ins check their own calls
  } else if (name == u"UnregisterAllFunction" || name == u"UnregisterAllFunctionEx" || name == u"Call") {
    parent = false;
    function.clear();
  }
  bool allowed = policy_->AllowsExternal();
  if (allowed && !function.empty()) {
    allowed = parent ? policy_->AllowsParentFunction(function) : policy_->AllowsPageFunction(function);
  }
  if (allowed) return false;
  policy_->LogRefusal(name + u" " + function, "not allowed by the window's policy");
  SetVariantText(result, policy::kPermissionDenied);
  return true;
}

bool HostObjectImp::ExecuteByName(const std::u16string& name, const DISPPARAMS& params, VARIANT* result) {
  LOG_INFO("external  funname=", name);
  if (Refused(name, params, result)) return true;
  if (name == u"RegisterFunction") return DoRegisterFunction(params);
  if (name == u"UnregisterAllFunction" || name == u"UnregisterAllFunctionEx") {
    callbacks_.clear();
    return true;
  }
  if (name == u"ExecuteDirect") return DoExecuteDirect(params, result);
  if (name == u"Execute") return DoExecute(params, result);
  if (name == u"Call") {
    SetVariantText(result, kNotImplemented);
    return false;
  }
  if (name == u"CallBuiltinSync") {
    // A built-in that runs a modal loop may see the window close (and the tables cleared)
    // before it returns: the call holds the built-ins it runs.
    const std::shared_ptr<InternalFun> builtins = builtins_;
    return builtins && builtins->SyncCall(&params, result);
  }
  if (name == u"CallBuiltinAsync") return DoCallBuiltinAsync(params, result);
  return DoParentFunction(name, params, result);
}

bool HostObjectImp::DoRegisterFunction(const DISPPARAMS& params) {
  if (params.cArgs != 2 || Arg(params, 0).vt != VT_DISPATCH || Arg(params, 1).vt != VT_BSTR ||
      Arg(params, 0).pdispVal == nullptr) {
    return false;
  }
  const std::u16string name = BstrText(Arg(params, 1));
  LOG_INFO("external.RegisterFunction funname:", name);
  if (callbacks_.erase(name) != 0) LOG_INFO("external.RegisterFunction funname exist,erase exist");
  const bool inserted =
      callbacks_.emplace(name, ComPtr<IDispatch>(Arg(params, 0).pdispVal)).second;
  if (inserted) {
    // Tells the window that the page can now take the parent's calls.
    if (window_ != nullptr) PostMessageW(window_, browser_window::kDrainPageCalls, 0, 0);
  } else {
    LOG_INFO("external.RegisterFunction fail");
  }
  return true;
}

bool HostObjectImp::DoExecuteDirect(const DISPPARAMS& params, VARIANT* result) {
  if (sender_ == nullptr || params.cArgs == 0) return false;
  const VARIANT& first = Arg(params, 0);
  if (first.vt != VT_BSTR || names_.count(BstrText(first)) == 0) {
    SetVariantText(result, kUnknownFunction);
    return false;
  }
  IPC::PageCallEvent call{0, BstrText(first), u"", {}};
  if (!ArgumentTexts(params, 1, result, true, &call.arguments)) return false;
  SendPageCall(call);
  SetTrue(result);
  return true;
}

bool HostObjectImp::DoExecute(const DISPPARAMS& params, VARIANT* result) {
  if (sender_ == nullptr || params.cArgs < 2 || Arg(params, 0).vt != VT_BSTR ||
      Arg(params, 1).vt != VT_DISPATCH || Arg(params, 1).pdispVal == nullptr) {
    SetVariantText(result, u"0");
    return true;
  }
  IDispatch* callback = Arg(params, 1).pdispVal;
  // The whole address, as "%p" writes it: eight digits in the 32-bit program, sixteen in the
  // 64-bit one, where eight would let two callbacks share a key.
  char pointer[24];
  std::snprintf(pointer, sizeof pointer, "%0*llX", static_cast<int>(2 * sizeof(void*)),
                static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(callback)));
  const std::u16string key = u"&" + text::AsciiToUtf16(pointer);
  if (!callbacks_.emplace(key, ComPtr<IDispatch>(callback)).second) {
    LOG_INFO("callback function RegisterFunction fail");
  }
  int64_t call_id = NextCallId();
  IPC::PageCallEvent call{call_id, BstrText(Arg(params, 0)), key, {}};
  if (!ArgumentTexts(params, 2, result, true, &call.arguments)) return false;
  if (!SendPageCall(call)) call_id = 0;
  SetVariantText(result, text::AsciiToUtf16(std::to_string(call_id)));
  return true;
}

bool HostObjectImp::DoCallBuiltinAsync(const DISPPARAMS& params, VARIANT* result) {
  if (params.cArgs < 2 || Arg(params, 0).vt != VT_BSTR || Arg(params, 1).vt != VT_DISPATCH) {
    SetVariantText(result, u"0");
    return true;
  }
  int32_t call_id = NextCallId();
  std::vector<std::u16string> texts;
  for (UINT i = 2; i < params.cArgs; ++i) {
    const VARIANT& value = Arg(params, i);
    if (value.vt == VT_DISPATCH) {
      SetVariantText(result, kObjectArgument);
      return false;
    }
    std::u16string text;
    if (!VariantToText(value, &text)) {
      call_id = 0;
      break;
    }
    texts.push_back(text);
  }
  if (call_id != 0 && builtins_) {
    builtins_->AsyncCall(BstrText(Arg(params, 0)), ComPtr<IDispatch>(Arg(params, 1).pdispVal),
                         call_id, std::move(texts));
  }
  SetVariantText(result, text::AsciiToUtf16(std::to_string(call_id)));
  return true;
}

bool HostObjectImp::DoParentFunction(const std::u16string& name, const DISPPARAMS& params, VARIANT* result) {
  if (sender_ == nullptr) return false;
  IPC::PageCallEvent call{0, name, u"", {}};
  if (!ArgumentTexts(params, 0, result, false, &call.arguments)) return false;
  SendPageCall(call);
  SetTrue(result);
  return true;
}
