#pragma once
// Runs the built-in native functions that page script calls through external.CallBuiltinSync
// and external.CallBuiltinAsync: three tables tried in order (window, registry and INI,
// miscellaneous), exact case-sensitive names, text parameters in, a text out.

#include <windows.h>
#include <oaidl.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/line_throttle.h"
#include "webview2/page_policy_win.h"
#include "webview2/window_settings.h"
#include "webview2common/com_ptr_win.h"

using BuiltinHandler = std::function<std::u16string(const std::vector<std::u16string>&)>;

struct BuiltinEntry {
  const char16_t* name;
  BuiltinHandler handler;
};

// A fixed sequence of built-ins. Only built-ins that are really implemented are listed; any
// other name is unknown ("fun_not_exist" for an asynchronous call).
class BuiltinTable {
 public:
  explicit BuiltinTable(std::vector<BuiltinEntry> entries) : entries_(std::move(entries)) {}
  const BuiltinEntry* Find(const std::u16string& name) const;
  // The names, in table order.
  std::vector<std::u16string> Names() const;

 private:
  std::vector<BuiltinEntry> entries_;
};

class JsonPathValue;

// The window built-ins. The default window is the settings' parent window; the browser window
// gives the scale and runs the drag task.
class InternalWndFun : public BuiltinTable {
 public:
  InternalWndFun(HWND window, const WindowSettings& settings);
  InternalWndFun(const InternalWndFun&) = delete;  // the handlers hold this table
  InternalWndFun& operator=(const InternalWndFun&) = delete;

 private:
  // The window a handle names; 0 names the default window.
  HWND Target(uint32_t handle) const;
  float Scale() const;
  // A handler that reads the JSON parameter ("param_error", "format_error") and runs method
  // on self (static: the handlers are made before the table's base is constructed).
  static BuiltinHandler WithJson(InternalWndFun* self,
                                 std::u16string (InternalWndFun::*method)(const JsonPathValue&));

  std::u16string WndDrag();
  std::u16string SetWndRect(const JsonPathValue& json);
  std::u16string GetWndRect(const JsonPathValue& json);
  std::u16string SetWndRectByWnd(const JsonPathValue& json);
  std::u16string GetDesktopWorkarea();
  std::u16string ShowWnd(const JsonPathValue& json);
  std::u16string SetWndCenter(const JsonPathValue& json);
  std::u16string SetWindowTitle(const JsonPathValue& json);

  // The window unless it belongs to a process other than this one and the parent's: null then.
  HWND Permitted(HWND window) const;

  HWND window_;
  WindowSettings settings_;
  mutable base::LineThrottle refusal_lines_{5};
};

class InternalRegFun : public BuiltinTable {
 public:
  InternalRegFun();
};

class InternalMiscFun : public BuiltinTable {
 public:
  InternalMiscFun();
};

// The process-wide call id shared by external.Execute and external.CallBuiltinAsync: first id
// 1, then one more each call, back to 1 after the largest 32-bit value.
int32_t NextCallId();

class InternalFun : public std::enable_shared_from_this<InternalFun> {
 public:
  // policy: what the window's pages may call; null for everything.
  InternalFun(HWND window, const WindowSettings& settings, std::shared_ptr<const CPagePolicy> policy = nullptr);

  // Arguments as script passed them (reversed in DISPPARAMS; the first is the name). Returns
  // whether a built-in ran; a non-empty result goes into *result as a BSTR.
  bool SyncCall(const DISPPARAMS* params, VARIANT* result);
  // Runs later on the UI thread; never after this object is gone.
  void AsyncCall(const std::u16string& name, const ComPtr<IDispatch>& callback, int32_t call_id,
                 std::vector<std::u16string> params);
  // refused: the policy refused the call when the page made it; the callback then gets the refusal.
  void ExcuteAsyCall(const std::u16string& name, const std::vector<std::u16string>& params,
                     int32_t call_id, const ComPtr<IDispatch>& callback, bool refused = false);

  // The handler for name in table order, or null.
  const BuiltinEntry* Lookup(const std::u16string& name) const;
  // Every built-in a page can call, in lookup order.
  std::vector<std::u16string> Names() const;

 private:
  HWND window_;
  WindowSettings settings_;
  InternalWndFun window_table_;
  InternalRegFun registry_table_;
  InternalMiscFun misc_table_;
  std::shared_ptr<const CPagePolicy> policy_;

  // Whether the policy refuses the call now, logging the refusal.
  bool Refused(const std::u16string& name, const std::vector<std::u16string>& params) const;
};

// Text of a VARIANT by VariantChangeType to VT_BSTR; false when it cannot be converted.
bool VariantToText(const VARIANT& value, std::u16string* text);
