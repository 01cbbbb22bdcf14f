#include "webview2common/dispatch_call_win.h"

#include "webview2common/com_text_win.h"

CDispatchTextCall::CDispatchTextCall(const std::vector<std::u16string>& arguments) {
  VariantInit(&result_);
  arguments_.reserve(arguments.size());
  for (auto argument = arguments.rbegin(); argument != arguments.rend(); ++argument) {
    arguments_.push_back(TextVariant(*argument));
  }
}

CDispatchTextCall::~CDispatchTextCall() {
  for (VARIANT& argument : arguments_) VariantClear(&argument);
  VariantClear(&result_);
  SysFreeString(exception_.bstrSource);
  SysFreeString(exception_.bstrDescription);
  SysFreeString(exception_.bstrHelpFile);
}

HRESULT CDispatchTextCall::Invoke(IDispatch* function, LCID locale) {
  if (function == nullptr) return E_FAIL;
  DISPPARAMS params{arguments_.empty() ? nullptr : arguments_.data(), nullptr,
                    static_cast<UINT>(arguments_.size()), 0};
  UINT argument_error = static_cast<UINT>(-1);
  try {
    return function->Invoke(DISPID_UNKNOWN, IID_NULL, locale, DISPATCH_METHOD, &params, &result_,
                            &exception_, &argument_error);
  } catch (...) {
    threw_ = true;
    return E_FAIL;
  }
}

std::optional<std::u16string> CDispatchTextCall::TextResult() const {
  if (result_.vt != VT_BSTR) return std::nullopt;
  return BstrToText(result_.bstrVal);
}
