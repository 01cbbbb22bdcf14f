#pragma once
// The CPU piece of the machine identifiers: "vendor,signature,brand" from the processor
// identification instruction.

#include <cstdint>
#include <string>

namespace mid {

struct CpuIdentity {
  // The vendor string's registers of leaf 0, in the order EBX, EDX, ECX.
  uint32_t vendor[3] = {0, 0, 0};
  uint32_t signature = 0;  // EAX of leaf 1
  bool has_brand = false;  // the highest extended leaf reaches 0x80000004
  uint32_t brand[12] = {};  // EAX, EBX, ECX, EDX of leaves 0x80000002 to 0x80000004
};

// "%s,%x,%s": the vendor (blanks trimmed; "GenuineIotel" read as "GenuineIntel"), the signature
// in lower-case hexadecimal, the brand (blanks trimmed; empty without the extended leaves).
std::string CpuText(const CpuIdentity& identity);
// The identity of the processor this runs on.
CpuIdentity ReadCpuIdentity();

}  // namespace mid
