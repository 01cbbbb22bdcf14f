// The host object inside this process, without a page: its COM surface and its lifetime rules.
#include <gtest/gtest.h>

#include <vector>

#include "corvane_parent.h"
#include "webview2/hostobjectimpl.h"
#include "webview2/ui_thread_window.h"
#include "webview2common/message/ipc_protocol.h"

namespace {

class RecordingSender : public ISendRequest {
 public:
  bool Send(const IPC::Message& message, IPC::Delivery delivery) override {
    messages.push_back(message);
    EXPECT_EQ(delivery, IPC::Delivery::kQueued);
    return true;
  }
  std::vector<IPC::Message> messages;
};

// A page function that counts its calls.
class CountingFunction : public IDispatch {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDispatch)) return E_NOINTERFACE;
    *out = this;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    ++calls;
    return S_OK;
  }
  ULONG refs = 1;
  int calls = 0;
};

// Invokes a method by its name-table DISPID (the eight methods get 0x1001.. in order).
HRESULT InvokeMethod(HostObjectImp* object, DISPID id, std::vector<VARIANT> reversed_args, VARIANT* result) {
  DISPPARAMS params{reversed_args.empty() ? nullptr : reversed_args.data(), nullptr,
                    static_cast<UINT>(reversed_args.size()), 0};
  EXCEPINFO exception{};
  const HRESULT hr = object->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, result, &exception, nullptr);
  SysFreeString(exception.bstrDescription);
  return hr;
}

VARIANT Text(const wchar_t* text) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = SysAllocString(text);
  return v;
}

VARIANT Dispatch(IDispatch* d) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_DISPATCH;
  v.pdispVal = d;
  return v;
}

constexpr DISPID kExecute = 0x1001;
constexpr DISPID kRegisterFunction = 0x1003;
constexpr DISPID kCallBuiltinAsync = 0x1008;

class HostObjectInProcess : public testing::Test {
 protected:
  void SetUp() override {
    CUIThreadWindow::Instance().Init(true);
    settings_.web_view_id = 512;
    settings_.url = u"https://x.example/";
    object_ = HostObjectImp::Create(&sender_, nullptr, settings_);
  }
  void TearDown() override {
    if (object_ != nullptr) object_->Release();
  }

  RecordingSender sender_;
  WindowSettings settings_;
  HostObjectImp* object_ = nullptr;
};

TEST_F(HostObjectInProcess, TypeInfoFailureIsReportedToTheParent) {
  UINT count = 0;
  ASSERT_EQ(object_->GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 1u);
  ITypeInfo* info = nullptr;
  EXPECT_EQ(object_->GetTypeInfo(1, 0, &info), TYPE_E_ELEMENTNOTFOUND);
  // This test program has no embedded type library: the load fails and the parent hears of it.
  EXPECT_TRUE(FAILED(object_->GetTypeInfo(0, 0, &info)));
  ASSERT_EQ(sender_.messages.size(), 1u);
  EXPECT_EQ(sender_.messages[0].type(), 512u | IPC::kEvtLoadFailed);
  IPC::LoadFailedEvent failed;
  ASSERT_TRUE(IPC::ReadBody(sender_.messages[0], &failed));
  EXPECT_EQ(failed.url, u"https://x.example/");
  EXPECT_EQ(failed.reason, std::optional<std::u16string>(u"load webview2.tlb fail"));
  LPOLESTR name = const_cast<LPOLESTR>(L"Execute");
  DISPID id = 0;
  EXPECT_TRUE(FAILED(object_->GetIDsOfNames(IID_NULL, &name, 1, 0, &id)));
  LPOLESTR unknown = const_cast<LPOLESTR>(L"Nope");
  EXPECT_EQ(object_->GetIDsOfNames(IID_NULL, &unknown, 1, 0, &id), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(object_->GetIDsOfNames(IID_NULL, nullptr, 1, 0, &id), E_INVALIDARG);
  EXPECT_EQ(object_->GetIDsOfNames(IID_NULL, &name, 0, 0, &id), E_INVALIDARG);
}

TEST_F(HostObjectInProcess, InterfacesAndVtableSlots) {
  IHostObjectImp* direct = nullptr;
  ASSERT_EQ(object_->QueryInterface(IID_IHostObjectImp, reinterpret_cast<void**>(&direct)), S_OK);
  IDispatch* dispatch = nullptr;
  ASSERT_EQ(object_->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)), S_OK);
  EXPECT_EQ(direct->Execute(nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(direct->Call(nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(object_->Invoke(0, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr),
            DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(object_->Invoke(0x2000, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr),
            DISP_E_MEMBERNOTFOUND);

  // RegisterFunction through Invoke, then the vtable's UnregisterAllFunctionEx empties the table.
  CountingFunction function;
  VARIANT result;
  VariantInit(&result);
  ASSERT_EQ(InvokeMethod(object_, kRegisterFunction, {Text(L"fn"), Dispatch(&function)}, &result), S_OK);
  EXPECT_TRUE(object_->FindCallback(u"fn"));
  EXPECT_EQ(direct->UnregisterAllFunctionEx(), S_OK);
  EXPECT_FALSE(object_->FindCallback(u"fn"));
  direct->Release();
  dispatch->Release();
}

TEST_F(HostObjectInProcess, PendingAsyncCallNeverRunsAfterTheObjectIsGone) {
  CountingFunction callback;
  VARIANT result;
  VariantInit(&result);
  VARIANT args[3] = {Text(L"{}"), Dispatch(&callback), Text(L"write_log")};
  ASSERT_EQ(InvokeMethod(object_, kCallBuiltinAsync, {args[0], args[1], args[2]}, &result), S_OK);
  EXPECT_EQ(result.vt, VT_BSTR);
  VariantClear(&result);
  object_->ClearTables();
  object_->Release();
  object_ = nullptr;
  corvane::ParentLink::PumpUntil([] { return false; }, 200);
  EXPECT_EQ(callback.calls, 0);
  EXPECT_EQ(callback.refs, 1u) << "the pending call released its reference";
  SysFreeString(args[0].bstrVal);
  SysFreeString(args[2].bstrVal);
}

TEST_F(HostObjectInProcess, ExecuteWithoutSenderAnswersZero) {
  HostObjectImp* lonely = HostObjectImp::Create(nullptr, nullptr, settings_);
  CountingFunction callback;
  VARIANT result;
  VariantInit(&result);
  VARIANT name = Text(L"f");
  ASSERT_EQ(InvokeMethod(lonely, kExecute, {Dispatch(&callback), name}, &result), S_OK);
  ASSERT_EQ(result.vt, VT_BSTR);
  EXPECT_EQ(std::wstring(result.bstrVal), L"0");
  VariantClear(&result);
  SysFreeString(name.bstrVal);
  lonely->Release();
}

}  // namespace
