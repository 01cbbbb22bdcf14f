#pragma once
// The portable rules of the two machine identifiers: what a stored value must look like to be
// trusted, and how an identifier is made from the hardware pieces. Gathering the pieces and the
// registry are the Windows side's.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mid {

// The classic identifier kept in a stored record (the identifier followed by its mid digest,
// 64 characters), when the record checks out.
std::optional<std::string> ValidStoredMid(const std::string& record);
// The record stored for an identifier.
std::string MidRecord(const std::string& id);
// The classic identifier of the hardware text (CPU, disk serial, adapter address); with no
// text, the digest of "Mid2Failed", which is never stored (*store false).
std::string ClassicMid(const std::string& hardware_text, bool* store);

// The check value of the second-generation identifier: CRC-8 (reflected 0x8C) of its first 42
// characters, as two hexadecimal digits.
std::string CheckDigits(const std::string& first42);
// A stored second-generation identifier is valid when it has 44 characters and its check
// value matches.
bool ValidMid2(const std::string& text);

struct Pieces {
  std::string adapter;  // "%02X" × 6, or empty
  std::string disk;     // the disk serial, or empty
  std::string cpu;      // the CPU text, or empty
};

// Flags of the pieces an identifier was made from.
constexpr int kFromAdapter = 0x01;
constexpr int kFromDisk = 0x02;
constexpr int kFromCpu = 0x08;
constexpr int kFromGuid = 0x10;
constexpr int kHardwareHash = 0x20;

// The second-generation identifier: a SHA-1 of the pieces when an adapter address or a disk
// serial is present (else guid_hex, filled up to 40 digits from its SHA-1, else forty zeros), "eeeeeeee" in front for a process that
// is not elevated (unless the body starts with "ffffffff"), the source flags and the check
// value: 44 characters.
std::string ComposeMid2(const Pieces& pieces, const std::string& guid_hex, bool elevated);
// Whether an identifier's body is a hash of hardware pieces.
bool IsHardwareHash(const std::string& mid2);

}  // namespace mid

namespace mid {

// What an adapter's NDIS answers make of it (an answer is absent when the query gave no data).
enum class AdapterKind { kWired, kWireless, kDropped };
AdapterKind ClassifyAdapter(std::optional<uint32_t> physical_medium, std::optional<uint32_t> medium_in_use,
                            bool marked_wireless);

// The address used: the lexically smallest wired one, else the smallest wireless one.
struct AdapterCandidate {
  std::string address;  // "%02X" × 6
  bool wireless = false;
};
std::string ChooseAdapterAddress(const std::vector<AdapterCandidate>& candidates);
std::string AddressText(const unsigned char* bytes);  // six bytes as "%02X" × 6

}  // namespace mid

namespace mid {

// Where the identifiers are kept ("mid", "mid_old", "m2", "m2_old").
class IIdStore {
 public:
  virtual ~IIdStore() = default;
  virtual std::optional<std::string> Read(const std::string& name) = 0;
  virtual bool Write(const std::string& name, const std::string& value) = 0;
};

// The hardware and the system as the identifiers see them.
class IHardware {
 public:
  virtual ~IHardware() = default;
  virtual std::string Cpu() = 0;
  virtual std::string Adapter() = 0;
  virtual std::string Disk() = 0;
  virtual std::string NewGuidHex() = 0;  // a new GUID's bytes as "%02x"
  virtual void Pause(unsigned milliseconds) = 0;
};

// The classic identifier: the stored one when its record checks out, else made from the
// hardware text (CPU, disk, adapter) and stored (the previous record kept as "mid_old").
std::string ObtainClassicMid(IIdStore& store, IHardware& hardware);
// The second-generation identifier, by the choosing and storing rules: a valid stored value
// serves a process that is not elevated as it is; otherwise the hardware decides, looking a
// second time after a pause for pieces that were missing.
std::string ObtainMid2(IIdStore& store, IHardware& hardware, bool elevated);

}  // namespace mid
