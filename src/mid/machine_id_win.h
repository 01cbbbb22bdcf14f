#pragma once
// The machine identifiers on Windows: the entry points, the process-wide identifier object and
// the operating-system version record. The rules are in machine_id.h.

#include <windows.h>
#include <unknwn.h>

// The classic identifier as wide text (at most count - 1 characters); 1, or 0 for no buffer.
int GetMachineId(wchar_t* out, int count);
// The second-generation identifier; E_INVALIDARG for no buffer or one shorter than 50.
HRESULT GetMachineId2(wchar_t* out, unsigned len);

struct INewMID : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetMID2(wchar_t* out, int out_len) = 0;
};

// Nine further operations that do nothing (E_NOTIMPL).
struct IExtend : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Extend1(int) = 0;
  virtual HRESULT STDMETHODCALLTYPE Extend2(int) = 0;
  virtual HRESULT STDMETHODCALLTYPE Extend3(int, int) = 0;
  virtual HRESULT STDMETHODCALLTYPE Extend4(int) = 0;
  virtual HRESULT STDMETHODCALLTYPE Extend5(int) = 0;
  virtual HRESULT STDMETHODCALLTYPE Extend6(int) = 0;
  virtual HRESULT STDMETHODCALLTYPE Extend7(int) = 0;
  virtual HRESULT STDMETHODCALLTYPE Extend8(int) = 0;
  virtual HRESULT STDMETHODCALLTYPE Extend9(int) = 0;
};

class CEmptyExtendImpl : public IExtend {
 public:
  HRESULT STDMETHODCALLTYPE Extend1(int) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Extend2(int value) override { return Extend3(value, 0); }
  HRESULT STDMETHODCALLTYPE Extend3(int, int) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Extend4(int) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Extend5(int) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Extend6(int) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Extend7(int) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Extend8(int) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Extend9(int) override { return E_NOTIMPL; }
};

// The process-wide identifier object. It is never freed: its reference counts are fixed
// (adding gives 2, releasing gives 1).
class COrmMID2 : public INewMID, public CEmptyExtendImpl {
 public:
  static COrmMID2& Instance();
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetMID2(wchar_t* out, int out_len) override;

 private:
  COrmMID2() = default;
  CRITICAL_SECTION* Lock();
  wchar_t cached_[50] = {};
  bool obtained_ = false;
};

// The operating system's own version record (RtlGetVersion, else GetVersionExW), read once.
class COSVersionCheck {
 public:
  static const COSVersionCheck& Instance();
  const OSVERSIONINFOEXW& version() const { return version_; }

 private:
  COSVersionCheck();
  OSVERSIONINFOEXW version_{};
};
