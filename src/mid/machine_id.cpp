#include "mid/machine_id.h"

#include <cstdio>
#include <cstdlib>

#include "webview2common/md5.h"
#include "webview2common/sha1.h"

namespace mid {

namespace {

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::string TwoHex(int value) {
  char text[3];
  std::snprintf(text, sizeof text, "%02x", value & 0xFF);
  return text;
}

}  // namespace

std::optional<std::string> ValidStoredMid(const std::string& record) {
  if (record.size() != 64) return std::nullopt;
  const std::string id = record.substr(0, 32);
  if (!SameIgnoringCase(record.substr(32), Md5::MidDigestHex(id))) return std::nullopt;
  return id;
}

std::string MidRecord(const std::string& id) { return id + Md5::MidDigestHex(id); }

std::string ClassicMid(const std::string& hardware_text, bool* store) {
  *store = !hardware_text.empty();
  return Md5::MidDigestHex(hardware_text.empty() ? std::string("Mid2Failed") : hardware_text);
}

std::string CheckDigits(const std::string& first42) { return TwoHex(Crc8(first42)); }

bool ValidMid2(const std::string& text) {
  if (text.size() != 44) return false;
  const std::string check = text.substr(42);
  char* end = nullptr;
  const long value = std::strtol(check.c_str(), &end, 16);
  if (end != check.c_str() + 2) return false;
  return value == Crc8(text.substr(0, 42));
}

std::string ComposeMid2(const Pieces& pieces, const std::string& guid_hex, bool elevated) {
  int flags = 0;
  if (!pieces.adapter.empty()) flags |= kFromAdapter;
  if (!pieces.disk.empty()) flags |= kFromDisk;
  if (!pieces.cpu.empty()) flags |= kFromCpu;
  std::string body;
  if (!pieces.adapter.empty() || !pieces.disk.empty()) {
    body = Sha1::HexDigest(pieces.adapter + pieces.disk + pieces.cpu);
    flags += kHardwareHash;
  } else if (!guid_hex.empty()) {
    // A GUID gives 32 digits: the rest of the 40 comes from its digest, so the identifier keeps
    // its length, its start and its uniqueness.
    body = (guid_hex + Sha1::HexDigest(guid_hex)).substr(0, 40);
    flags = kFromGuid;
  } else {
    flags = kFromGuid;
  }
  if (body.empty()) body.assign(40, '0');
  if (!elevated && body.compare(0, 8, "ffffffff") != 0) body.replace(0, 8, "eeeeeeee");
  std::string id = body + TwoHex(flags);
  return id + CheckDigits(id);
}

bool IsHardwareHash(const std::string& mid2) {
  if (mid2.size() != 44) return false;
  return (std::strtol(mid2.substr(40, 2).c_str(), nullptr, 16) & kHardwareHash) != 0;
}

}  // namespace mid

namespace mid {

AdapterKind ClassifyAdapter(std::optional<uint32_t> physical_medium, std::optional<uint32_t> medium_in_use,
                            bool marked_wireless) {
  if (physical_medium && *physical_medium != 0) {
    if (*physical_medium == 1 || *physical_medium == 9) return AdapterKind::kWireless;
    if (*physical_medium == 14) return marked_wireless ? AdapterKind::kWireless : AdapterKind::kWired;
    return AdapterKind::kDropped;
  }
  // No physical medium: the medium in use decides.
  if (medium_in_use) {
    switch (*medium_in_use) {
      case 1: case 9:
        return AdapterKind::kWireless;
      case 2: case 3: case 7: case 8: case 10: case 12: case 16: case 17: case 18:
        return AdapterKind::kDropped;
      default:
        break;
    }
  }
  return AdapterKind::kWired;
}

std::string ChooseAdapterAddress(const std::vector<AdapterCandidate>& candidates) {
  std::string wired, wireless;
  for (const AdapterCandidate& c : candidates) {
    if (c.address.empty()) continue;
    std::string& best = c.wireless ? wireless : wired;
    if (best.empty() || c.address < best) best = c.address;
  }
  return !wired.empty() ? wired : wireless;
}

std::string AddressText(const unsigned char* b) {
  char text[16];
  std::snprintf(text, sizeof text, "%02X%02X%02X%02X%02X%02X", b[0], b[1], b[2], b[3], b[4], b[5]);
  return text;
}

}  // namespace mid

namespace mid {

std::string ObtainClassicMid(IIdStore& store, IHardware& hardware) {
  const std::optional<std::string> stored = store.Read("mid");
  if (stored) {
    if (std::optional<std::string> id = ValidStoredMid(*stored)) return *id;
  }
  bool keep = false;
  const std::string id = ClassicMid(hardware.Cpu() + hardware.Disk() + hardware.Adapter(), &keep);
  if (keep) {
    const std::string record = MidRecord(id);
    if (stored && *stored != record) store.Write("mid_old", *stored);
    store.Write("mid", record);
  }
  return id;
}

namespace {

void StoreMid2(IIdStore& store, const std::optional<std::string>& stored, const std::string& id) {
  if (stored && !SameIgnoringCase(*stored, id)) store.Write("m2_old", *stored);
  store.Write("m2", id);
}

}  // namespace

std::string ObtainMid2(IIdStore& store, IHardware& hardware, bool elevated) {
  // What the registry holds goes to "m2_old" when replaced, valid or not; only a valid value
  // is ever returned.
  const std::optional<std::string> raw = store.Read("m2");
  std::optional<std::string> stored = raw;
  if (stored && !ValidMid2(*stored)) stored.reset();
  const bool ffff = stored && stored->compare(0, 8, "ffffffff") == 0;
  if (stored && !elevated) return *stored;

  Pieces pieces{hardware.Adapter(), hardware.Disk(), hardware.Cpu()};
  const bool any_at_once = !pieces.adapter.empty() || !pieces.disk.empty();
  const bool both_at_once = !pieces.adapter.empty() && !pieces.disk.empty();
  std::optional<std::string> computed;
  if (stored && any_at_once) {
    computed = ComposeMid2(pieces, hardware.NewGuidHex(), elevated);
    if (!IsHardwareHash(*computed)) return *stored;
    if (SameIgnoringCase(*computed, *stored)) return *stored;
  }
  if (!any_at_once && ffff) return *stored;
  bool found_more = false;
  if (!both_at_once) {
    hardware.Pause(500);
    if (pieces.adapter.empty() && !(pieces.adapter = hardware.Adapter()).empty()) found_more = true;
    if (pieces.disk.empty() && !(pieces.disk = hardware.Disk()).empty()) found_more = true;
  }
  if (computed && (both_at_once || !found_more)) {
    StoreMid2(store, raw, *computed);
    return *computed;
  }
  const std::string id = ComposeMid2(pieces, hardware.NewGuidHex(), elevated);
  // Without hardware pieces a new GUID would give another identity each run: a valid stored
  // value stays.
  if (!IsHardwareHash(id) && stored) return *stored;
  StoreMid2(store, raw, id);
  return id;
}

}  // namespace mid
