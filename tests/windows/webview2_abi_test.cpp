// Our WebView2 declarations against the published ABI: every interface id, and the vtable
// slot that each declared method lands in.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <type_traits>

#include "webview2/webview2_abi.h"

namespace {

std::string GuidText(const IID& iid) {
  char text[40];
  std::snprintf(text, sizeof text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned long>(iid.Data1), iid.Data2, iid.Data3, iid.Data4[0],
                iid.Data4[1], iid.Data4[2], iid.Data4[3], iid.Data4[4], iid.Data4[5],
                iid.Data4[6], iid.Data4[7]);
  return text;
}

// The vtable slot of a virtual member function: the Itanium C++ ABI that GCC uses stores it as
// one plus the byte offset into the vtable.
template <typename Member>
int SlotOf(Member member) {
  struct Representation {
    uintptr_t pointer;
    ptrdiff_t adjustment;
  } r;
  static_assert(sizeof(Member) == sizeof(Representation), "unexpected member pointer size");
  std::memcpy(&r, &member, sizeof r);
  if ((r.pointer & 1) == 0 || r.adjustment != 0) return -1;
  return static_cast<int>((r.pointer - 1) / sizeof(void*));
}

#include "webview2_abi_table.inc"

// Every declared method is __stdcall. On x86 the convention is part of the member function's
// type, so the x86 build checks each method of the table when it compiles, whether or not the
// build machine can run it; on x64 there is only one convention.
#if defined(__i386__)
template <typename Member>
struct IsStdcall : std::false_type {};
template <typename Class, typename Result, typename... Args>
struct IsStdcall<Result (__stdcall Class::*)(Args...)> : std::true_type {};

#define IID_ROW(Interface, Text)
#define SLOT_ROW(Interface, Method, Slot) \
  static_assert(IsStdcall<decltype(&Interface::Method)>::value, #Interface "::" #Method);
CORVANE_ABI_TABLE(IID_ROW, SLOT_ROW)
#undef IID_ROW
#undef SLOT_ROW
static_assert(!IsStdcall<void (std::string::*)()>::value, "the check tells the conventions apart");
#endif

TEST(WebView2Abi, InterfaceIds) {
  int checked = 0;
#define IID_ROW(Interface, Text)                                  \
  EXPECT_EQ(GuidText(IID_##Interface), Text) << #Interface;       \
  ++checked;
#define SLOT_ROW(Interface, Method, Slot)
  CORVANE_ABI_TABLE(IID_ROW, SLOT_ROW)
#undef IID_ROW
#undef SLOT_ROW
  EXPECT_EQ(checked, 75);
}

TEST(WebView2Abi, MethodSlots) {
  int checked = 0;
#define IID_ROW(Interface, Text)
#define SLOT_ROW(Interface, Method, Slot)                                   \
  EXPECT_EQ(SlotOf(&Interface::Method), Slot) << #Interface "::" #Method;   \
  ++checked;
  CORVANE_ABI_TABLE(IID_ROW, SLOT_ROW)
#undef IID_ROW
#undef SLOT_ROW
  EXPECT_EQ(checked, 250);
}

TEST(WebView2Abi, UnknownSlotsAndScalarSizes) {
  EXPECT_EQ(SlotOf(static_cast<HRESULT (STDMETHODCALLTYPE IUnknown::*)(REFIID, void**)>(&ICoreWebView2::QueryInterface)), 0);
  EXPECT_EQ(SlotOf(&ICoreWebView2_8::Release), 2);
  EXPECT_EQ(sizeof(EventRegistrationToken), 8u);
  EXPECT_EQ(alignof(EventRegistrationToken), 8u);
  EXPECT_EQ(sizeof(COREWEBVIEW2_WEB_ERROR_STATUS), 4u);
  EXPECT_EQ(sizeof(RECT), 16u);
#if defined(__i386__)
  EXPECT_EQ(sizeof(void*), 4u) << "the shipped host is a 32-bit program";
  EXPECT_EQ(sizeof(VARIANT), 16u);
  EXPECT_EQ(sizeof(DISPPARAMS), 16u);
#else
  EXPECT_EQ(sizeof(void*), 8u) << "the other build is a 64-bit program";
  EXPECT_EQ(sizeof(VARIANT), 24u);
  EXPECT_EQ(sizeof(DISPPARAMS), 24u);
#endif
  EXPECT_EQ(sizeof(HWND), sizeof(void*));
  EXPECT_EQ(COREWEBVIEW2_WEB_ERROR_STATUS_HOST_NAME_NOT_RESOLVED, 13);
  EXPECT_EQ(COREWEBVIEW2_WEB_RESOURCE_CONTEXT_ALL, 0);
}

}  // namespace
