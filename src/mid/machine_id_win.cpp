#include "mid/machine_id_win.h"

#include <objbase.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <mutex>
#include <string>

#include "base/scoped_handle_win.h"
#include "base/text_convert.h"
#include "mid/cpu_text.h"
#include "mid/hardware_win.h"
#include "mid/machine_id.h"

namespace {

// Builds the object once: the first thread to move the flag from 0 to 1 builds it and sets 2;
// the others wait in steps of 1 ms.
template <typename T, typename Make>
T& OnceBuilt(volatile LONG& flag, T*& object, Make make) {
  if (InterlockedCompareExchange(&flag, 1, 0) == 0) {
    object = make();
    InterlockedExchange(&flag, 2);
  }
  while (flag != 2) Sleep(1);
  return *object;
}

// The identifiers' registry values under HKEY_LOCAL_MACHINE: the classic ones as narrow text,
// the second ones as wide text, all in the 32-bit view, where the x86 host keeps them, so that
// both builds on one machine share one identity.
class RegistryStore : public mid::IIdStore {
 public:
  std::optional<std::string> Read(const std::string& name) override {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, KeyOf(name), 0, KEY_READ | KEY_WOW64_32KEY, &key) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    std::optional<std::string> value;
    if (IsSecond(name)) {
      wchar_t text[128] = {};
      DWORD bytes = sizeof text - sizeof(wchar_t);
      if (RegQueryValueExW(key, WideName(name).c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(text), &bytes) ==
          ERROR_SUCCESS) {
        value = text::Utf16ToUtf8(std::u16string(reinterpret_cast<const char16_t*>(text)));
      }
    } else {
      char text[256] = {};
      DWORD bytes = sizeof text - 1;
      if (RegQueryValueExA(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(text), &bytes) == ERROR_SUCCESS) {
        value = std::string(text);
      }
    }
    RegCloseKey(key);
    return value;
  }

  bool Write(const std::string& name, const std::string& value) override {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, KeyOf(name), 0, nullptr, 0, KEY_WRITE | KEY_WOW64_32KEY, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
      return false;  // no administrator rights: the identifier is still returned
    }
    LONG result;
    if (IsSecond(name)) {
      const std::wstring wide = WideName(value);
      result = RegSetValueExW(key, WideName(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                              static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
    } else {
      result = RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                              static_cast<DWORD>(value.size() + 1));
    }
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
  }

 private:
  static bool IsSecond(const std::string& name) { return name.compare(0, 2, "m2") == 0; }
  static const wchar_t* KeyOf(const std::string& name) {
    return IsSecond(name) ? L"SOFTWARE\\ComOstra" : L"Software\\Ostra2\\Pulsar";
  }
  static std::wstring WideName(const std::string& text) { return std::wstring(text.begin(), text.end()); }
};

// The hardware pieces, each read once per process (a missing one may be looked for again).
class SystemHardware : public mid::IHardware {
 public:
  std::string Cpu() override {
    std::lock_guard<std::mutex> guard(lock_);
    if (!cpu_read_) {
      cpu_ = mid::CpuText(mid::ReadCpuIdentity());
      cpu_read_ = true;
    }
    return cpu_;
  }
  std::string Adapter() override {
    std::lock_guard<std::mutex> guard(lock_);
    if (adapter_.empty()) adapter_ = mid::ReadAdapterAddress();
    return adapter_;
  }
  std::string Disk() override {
    std::lock_guard<std::mutex> guard(lock_);
    if (disk_.empty()) disk_ = mid::ReadDiskSerial();
    return disk_;
  }
  std::string NewGuidHex() override {
    GUID guid{};
    if (FAILED(CoCreateGuid(&guid))) return "";
    const auto* bytes = reinterpret_cast<const unsigned char*>(&guid);
    std::string hex;
    char two[3];
    for (size_t i = 0; i < sizeof guid; ++i) {
      std::snprintf(two, sizeof two, "%02x", bytes[i]);
      hex += two;
    }
    return hex;
  }
  void Pause(unsigned milliseconds) override { Sleep(milliseconds); }

 private:
  std::mutex lock_;
  bool cpu_read_ = false;
  std::string cpu_, adapter_, disk_;
};

SystemHardware& Hardware() {
  static SystemHardware hardware;
  return hardware;
}

// Whether the process runs elevated; before Windows Vista every process counts as elevated,
// and so does one whose token cannot be asked.
bool IsElevated() {
  if (COSVersionCheck::Instance().version().dwMajorVersion < 6) return true;
  HANDLE raw = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return true;
  const ScopedHandle token(raw);
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  if (!GetTokenInformation(token.Get(), TokenElevation, &elevation, sizeof elevation, &size)) return true;
  return elevation.TokenIsElevated != 0;
}

}  // namespace

int GetMachineId(wchar_t* out, int count) {
  if (out == nullptr || count <= 0) return 0;  // a negative count is no room at all
  static std::once_flag once;
  static std::string id;
  std::call_once(once, [] {
    RegistryStore store;
    id = mid::ObtainClassicMid(store, Hardware());
  });
  const std::u16string wide = text::AnsiToUtf16(id);
  const size_t n = std::min<size_t>(wide.size(), static_cast<size_t>(count) - 1);
  for (size_t i = 0; i < n; ++i) out[i] = static_cast<wchar_t>(wide[i]);
  out[n] = L'\0';
  return 1;
}

HRESULT GetMachineId2(wchar_t* out, unsigned len) {
  if (out == nullptr || len < 50) return E_INVALIDARG;
  return COrmMID2::Instance().GetMID2(out, static_cast<int>(std::min<unsigned>(len, INT_MAX)));
}

COrmMID2& COrmMID2::Instance() {
  static volatile LONG flag = 0;
  static COrmMID2* object = nullptr;
  return OnceBuilt(flag, object, [] { return new COrmMID2(); });
}

CRITICAL_SECTION* COrmMID2::Lock() {
  static CRITICAL_SECTION lock;
  static std::once_flag once;
  std::call_once(once, [] { InitializeCriticalSection(&lock); });
  return &lock;
}

HRESULT STDMETHODCALLTYPE COrmMID2::QueryInterface(REFIID riid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (!IsEqualIID(riid, IID_IUnknown)) return E_NOINTERFACE;
  *out = static_cast<INewMID*>(this);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE COrmMID2::GetMID2(wchar_t* out, int out_len) {
  if (out == nullptr || out_len <= 0) return E_INVALIDARG;
  EnterCriticalSection(Lock());
  if (!obtained_) {
    RegistryStore store;
    const std::string id = mid::ObtainMid2(store, Hardware(), IsElevated());
    if (!id.empty() && id.size() < 50) {
      for (size_t i = 0; i <= id.size(); ++i) cached_[i] = i < id.size() ? static_cast<wchar_t>(id[i]) : L'\0';
      obtained_ = true;
    }
  }
  const bool ok = obtained_;
  if (ok) lstrcpynW(out, cached_, out_len);
  LeaveCriticalSection(Lock());
  return ok ? S_OK : E_FAIL;
}

const COSVersionCheck& COSVersionCheck::Instance() {
  static volatile LONG flag = 0;
  static COSVersionCheck* object = nullptr;
  return OnceBuilt(flag, object, [] { return new COSVersionCheck(); });
}

COSVersionCheck::COSVersionCheck() {
  version_.dwOSVersionInfoSize = sizeof version_;
  using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOEXW*);
  if (HMODULE ntdll = GetModuleHandleW(L"ntdll.dll")) {
    if (auto get = reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))) {
      if (get(&version_) == 0) return;
    }
  }
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version_));
#pragma GCC diagnostic pop
}
