#include "mid/hardware_win.h"

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
#include <ntddndis.h>
#include <winioctl.h>

#include <optional>
#include <vector>

#include "base/scoped_handle_win.h"
#include "mid/machine_id.h"

namespace mid {

namespace {

std::wstring RegText(HKEY key, const wchar_t* name) {
  wchar_t value[512] = {};
  DWORD bytes = sizeof value - sizeof(wchar_t);
  DWORD type = 0;
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &bytes) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return L"";
  }
  return value;
}

struct ClassInfo {
  bool found = false;
  bool usable = true;
  bool wireless = false;
};

// Keys are read in the 32-bit view, as the x86 host sees them, so that both builds make the
// same identity of one machine.
constexpr REGSAM kRead = KEY_READ | KEY_WOW64_32KEY;

// The network class entry whose NetCfgInstanceId is the adapter's service name.
ClassInfo NetworkClassOf(const std::wstring& service) {
  ClassInfo info;
  HKEY classes = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                    L"SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}", 0,
                    kRead, &classes) != ERROR_SUCCESS) {
    return info;
  }
  for (DWORD i = 0; i < 256; ++i) {
    wchar_t name[256];
    DWORD length = 256;
    if (RegEnumKeyExW(classes, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    HKEY entry = nullptr;
    if (RegOpenKeyExW(classes, name, 0, kRead, &entry) != ERROR_SUCCESS) continue;
    if (_wcsicmp(RegText(entry, L"NetCfgInstanceId").c_str(), service.c_str()) == 0) {
      info.found = true;
      info.usable = _wtoi(RegText(entry, L"BusType").c_str()) == 5;
      info.wireless = RegText(entry, L"DriverDesc").find(L"Wireless") != std::wstring::npos;
      if (!info.wireless) {
        HKEY interfaces = nullptr;
        if (RegOpenKeyExW(entry, L"NDI\\Interfaces", 0, kRead, &interfaces) == ERROR_SUCCESS) {
          const std::wstring lower = RegText(interfaces, L"LowerRange");
          info.wireless = lower.find(L"wlan") != std::wstring::npos || lower.find(L"vwifi") != std::wstring::npos;
          RegCloseKey(interfaces);
        }
      }
      RegCloseKey(entry);
      break;
    }
    RegCloseKey(entry);
  }
  RegCloseKey(classes);
  return info;
}

// One NDIS query; nothing when it fails or returns no data.
std::optional<std::vector<unsigned char>> QueryOid(HANDLE device, ULONG oid) {
  std::vector<unsigned char> out(64);
  DWORD returned = 0;
  if (!DeviceIoControl(device, IOCTL_NDIS_QUERY_GLOBAL_STATS, &oid, sizeof oid, out.data(),
                       static_cast<DWORD>(out.size()), &returned, nullptr) ||
      returned == 0) {
    return std::nullopt;
  }
  out.resize(returned);
  return out;
}

std::optional<uint32_t> QueryNumber(HANDLE device, ULONG oid) {
  const auto data = QueryOid(device, oid);
  if (!data || data->size() < 4) return std::nullopt;
  return static_cast<uint32_t>((*data)[0]) | static_cast<uint32_t>((*data)[1]) << 8 |
         static_cast<uint32_t>((*data)[2]) << 16 | static_cast<uint32_t>((*data)[3]) << 24;
}

// The network cards the system lists, checked by class and by their device's answers.
std::string AddressFromNetworkCards() {
  HKEY cards = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards", 0, kRead,
                    &cards) != ERROR_SUCCESS) {
    return "";
  }
  std::vector<AdapterCandidate> candidates;
  for (DWORD i = 0; i < 100; ++i) {
    wchar_t name[256];
    DWORD length = 256;
    if (RegEnumKeyExW(cards, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    HKEY card = nullptr;
    if (RegOpenKeyExW(cards, name, 0, kRead, &card) != ERROR_SUCCESS) continue;
    const std::wstring service = RegText(card, L"ServiceName");
    RegCloseKey(card);
    if (service.empty()) continue;
    const ClassInfo info = NetworkClassOf(service);
    if (info.found && !info.usable) continue;
    const ScopedHandle device(CreateFileW((L"\\\\.\\" + service).c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!device.IsValid()) continue;
    const std::optional<uint32_t> physical = QueryNumber(device.Get(), OID_GEN_PHYSICAL_MEDIUM);
    const bool ask_medium = !physical || *physical == 0;
    const std::optional<uint32_t> in_use =
        ask_medium ? QueryNumber(device.Get(), OID_GEN_MEDIA_IN_USE) : std::nullopt;
    const AdapterKind kind = ClassifyAdapter(physical, in_use, info.wireless);
    if (kind == AdapterKind::kDropped) continue;
    const auto address = QueryOid(device.Get(), OID_802_3_PERMANENT_ADDRESS);
    if (!address || address->size() < 6) continue;
    candidates.push_back(AdapterCandidate{AddressText(address->data()), kind == AdapterKind::kWireless});
  }
  RegCloseKey(cards);
  return ChooseAdapterAddress(candidates);
}

// The system's adapter list: Ethernet and wireless adapters with a six-byte address.
std::string AddressFromAdapterList() {
  ULONG size = 16 * 1024;
  std::vector<unsigned char> buffer(size);
  auto* list = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data());
  ULONG result = GetAdaptersAddresses(AF_UNSPEC, 0, nullptr, list, &size);
  if (result == ERROR_BUFFER_OVERFLOW) {
    buffer.resize(size);
    list = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data());
    result = GetAdaptersAddresses(AF_UNSPEC, 0, nullptr, list, &size);
  }
  if (result != NO_ERROR) return "";
  std::vector<AdapterCandidate> candidates;
  for (auto* a = list; a != nullptr; a = a->Next) {
    const bool wireless = a->IfType == IF_TYPE_IEEE80211;
    if ((a->IfType != IF_TYPE_ETHERNET_CSMACD && !wireless) || a->PhysicalAddressLength != 6) continue;
    candidates.push_back(AdapterCandidate{AddressText(a->PhysicalAddress), wireless});
  }
  return ChooseAdapterAddress(candidates);
}

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The serial number of a physical drive by the storage property query.
std::string StorageSerial(HANDLE drive) {
  STORAGE_PROPERTY_QUERY query{};
  query.PropertyId = StorageDeviceProperty;
  query.QueryType = PropertyStandardQuery;
  std::vector<unsigned char> out(4096);
  DWORD returned = 0;
  if (!DeviceIoControl(drive, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, out.data(),
                       static_cast<DWORD>(out.size()), &returned, nullptr) ||
      returned < sizeof(STORAGE_DEVICE_DESCRIPTOR)) {
    return "";
  }
  const auto* descriptor = reinterpret_cast<const STORAGE_DEVICE_DESCRIPTOR*>(out.data());
  const DWORD at = descriptor->SerialNumberOffset;
  if (at == 0 || at >= returned) return "";
  const char* serial = reinterpret_cast<const char*>(out.data() + at);
  return Trimmed(std::string(serial, strnlen(serial, returned - at)));
}

}  // namespace

std::string ReadAdapterAddress() {
  const std::string first = AddressFromNetworkCards();
  return !first.empty() ? first : AddressFromAdapterList();
}

std::string ReadDiskSerial() {
  for (int number = 0; number < 16; ++number) {
    const std::wstring path = L"\\\\.\\PhysicalDrive" + std::to_wstring(number);
    const ScopedHandle drive(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
    if (!drive.IsValid()) continue;
    const std::string serial = StorageSerial(drive.Get());
    if (!serial.empty()) return serial;
  }
  return "";
}

}  // namespace mid
