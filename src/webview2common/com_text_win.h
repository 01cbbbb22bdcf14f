#pragma once
// Text in COM's string forms: strings a callee allocated with CoTaskMemAlloc, BSTRs and
// VARIANTs holding a BSTR. Windows code only.

#include <windows.h>
#include <oleauto.h>

#include <string>

#include "base/text_win.h"

// Takes over a string a callee allocated with CoTaskMemAlloc (null gives the empty text).
inline std::u16string TakeCoTaskString(LPWSTR text) {
  std::u16string value = text != nullptr ? std::u16string(as_u16cstr(text)) : std::u16string();
  if (text != nullptr) CoTaskMemFree(text);
  return value;
}

// A BSTR's text, by its length (it may hold zero characters inside).
inline std::u16string BstrToText(BSTR text) {
  return text != nullptr ? std::u16string(as_u16cstr(text), SysStringLen(text)) : std::u16string();
}

inline BSTR TextToBstr(const std::u16string& text) {
  return SysAllocStringLen(as_wcstr(text.data()), static_cast<UINT>(text.size()));
}

// A fresh VARIANT holding the text as a BSTR; the holder clears it.
inline VARIANT TextVariant(const std::u16string& text) {
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_BSTR;
  value.bstrVal = TextToBstr(text);
  return value;
}

// Replaces what result holds with the text; nothing for a null result.
inline void SetVariantText(VARIANT* result, const std::u16string& text) {
  if (result == nullptr) return;
  VariantClear(result);
  *result = TextVariant(text);
}
