#include "webview2/internal_fun/internal_fun.h"

#include "base/secret_mask.h"
#include "base/text_convert.h"
#include "base/text_win.h"
#include "log/logger.h"
#include "webview2/internal_fun/builtin_guard.h"
#include "webview2/internal_fun/call_counter.h"
#include "webview2/ui_thread_window.h"
#include "webview2common/com_text_win.h"
#include "webview2common/dispatch_call_win.h"

int32_t NextCallId() {
  static CallCounter counter;
  return counter.Next();
}

const BuiltinEntry* BuiltinTable::Find(const std::u16string& name) const {
  for (const BuiltinEntry& entry : entries_) {
    if (name == entry.name) return &entry;
  }
  return nullptr;
}

std::vector<std::u16string> BuiltinTable::Names() const {
  std::vector<std::u16string> names;
  for (const BuiltinEntry& entry : entries_) names.emplace_back(entry.name);
  return names;
}

bool VariantToText(const VARIANT& value, std::u16string* text) {
  VARIANT converted;
  VariantInit(&converted);
  if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(&value), 0, VT_BSTR))) return false;
  *text = BstrToText(converted.bstrVal);
  VariantClear(&converted);
  return true;
}

InternalFun::InternalFun(HWND window, const WindowSettings& settings, std::shared_ptr<const CPagePolicy> policy)
    : window_(window), settings_(settings), window_table_(window, settings), policy_(std::move(policy)) {}

bool InternalFun::Refused(const std::u16string& name, const std::vector<std::u16string>& params) const {
  if (!policy_) return false;
  const std::optional<std::string> why = policy_->BuiltinRefusal(name, params);
  if (why) policy_->LogRefusal(name, *why);
  return why.has_value();
}

const BuiltinEntry* InternalFun::Lookup(const std::u16string& name) const {
  if (const BuiltinEntry* entry = window_table_.Find(name)) return entry;
  if (const BuiltinEntry* entry = registry_table_.Find(name)) return entry;
  return misc_table_.Find(name);
}

std::vector<std::u16string> InternalFun::Names() const {
  std::vector<std::u16string> names = window_table_.Names();
  for (const std::vector<std::u16string>& more : {registry_table_.Names(), misc_table_.Names()}) {
    names.insert(names.end(), more.begin(), more.end());
  }
  return names;
}

bool InternalFun::SyncCall(const DISPPARAMS* params, VARIANT* result) {
  if (params == nullptr || params->cArgs == 0) return false;
  const VARIANT& first = params->rgvarg[params->cArgs - 1];
  if (first.vt != VT_BSTR) return false;
  const std::u16string name = first.bstrVal != nullptr ? to_u16(first.bstrVal) : std::u16string();
  LOG_INFO("web syn call fun name:", name);
  std::vector<std::u16string> texts;
  for (UINT i = 1; i < params->cArgs; ++i) {
    std::u16string text;
    // An argument that cannot be converted is left out; the later ones move up.
    if (VariantToText(params->rgvarg[params->cArgs - 1 - i], &text)) texts.push_back(text);
  }
  const BuiltinEntry* entry = Lookup(name);
  if (entry == nullptr) return false;
  const std::u16string text = Refused(name, texts) ? policy::kPermissionDenied : entry->handler(texts);
  if (!text.empty()) SetVariantText(result, text);
  return true;
}

void InternalFun::AsyncCall(const std::u16string& name, const ComPtr<IDispatch>& callback,
                            int32_t call_id, std::vector<std::u16string> params) {
  LOG_INFO("web asyn call fun name:", name);
  // Checked now, against the document that makes the call.
  const bool refused = Lookup(name) != nullptr && Refused(name, params);
  std::weak_ptr<InternalFun> weak = weak_from_this();
  CUIThreadWindow::Instance().PostTask(
      [weak, name, params = std::move(params), call_id, callback, refused] {
        // The page's host object may be gone by now: then the call is dropped.
        if (auto self = weak.lock()) self->ExcuteAsyCall(name, params, call_id, callback, refused);
      });
}

void InternalFun::ExcuteAsyCall(const std::u16string& name, const std::vector<std::u16string>& params,
                                int32_t call_id, const ComPtr<IDispatch>& callback, bool refused) {
  const BuiltinEntry* entry = Lookup(name);
  const std::u16string result = entry == nullptr ? std::u16string()
                                : refused         ? std::u16string(policy::kPermissionDenied)
                                                  : entry->handler(params);
  // What the cipher built-ins return is the page's secret (or made from it).
  const bool secret = name == u"encry_with_key" || name == u"decry_with_key";
  LOG_INFO("ExcuteAsyCall fun_name:", name, ",ret=", secret ? text::MaskSecret(result) : result);
  if (entry == nullptr || !callback) LOG_INFO("ExcuteAsyCall error");
  if (!callback) return;
  CDispatchTextCall call({text::AsciiToUtf16(std::to_string(call_id)),
                          entry != nullptr ? u"0" : u"fun_not_exist", result});
  constexpr LCID kLocale = 0x0400;
  const HRESULT hr = call.Invoke(callback.get(), kLocale);
  if (call.threw()) {
    LOG_INFO("ExcuteAsyCall except fun_name:", name);
  } else if (FAILED(hr)) {
    LOG_INFO("InternalFun::ExcuteAsyCall call back fail hr=", static_cast<long>(hr));
  }
}
