#pragma once
// Zero-copy views between the portable code's char16_t text and Win32's wchar_t text.
// Windows code only: both types are 16-bit UTF-16 code units there.

#include <string>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t expected");

inline const wchar_t* as_wcstr(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }
inline wchar_t* as_wcstr(char16_t* s) { return reinterpret_cast<wchar_t*>(s); }
inline const wchar_t* as_wcstr(const std::u16string& s) { return as_wcstr(s.c_str()); }
inline const char16_t* as_u16cstr(const wchar_t* s) { return reinterpret_cast<const char16_t*>(s); }
inline char16_t* as_u16cstr(wchar_t* s) { return reinterpret_cast<char16_t*>(s); }

inline std::u16string to_u16(const wchar_t* s) { return s ? std::u16string(as_u16cstr(s)) : std::u16string(); }
