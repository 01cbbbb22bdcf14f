#pragma once
// One call of a script function through IDispatch::Invoke with text arguments. The call owns
// what it hands over and gets back: the argument BSTRs (last argument first, as the dispatch
// convention wants), the result VARIANT and the exception record's strings.

#include <windows.h>
#include <oaidl.h>

#include <optional>
#include <string>
#include <vector>

class CDispatchTextCall {
 public:
  explicit CDispatchTextCall(const std::vector<std::u16string>& arguments);
  ~CDispatchTextCall();
  CDispatchTextCall(const CDispatchTextCall&) = delete;
  CDispatchTextCall& operator=(const CDispatchTextCall&) = delete;

  // Calls function as a method (DISPID_UNKNOWN); E_FAIL when it throws or is null.
  HRESULT Invoke(IDispatch* function, LCID locale);
  // Whether the call ended in a C++ exception instead of a return.
  bool threw() const { return threw_; }
  // The function's result when it returned text.
  std::optional<std::u16string> TextResult() const;

 private:
  std::vector<VARIANT> arguments_;
  VARIANT result_;
  EXCEPINFO exception_{};
  bool threw_ = false;
};
