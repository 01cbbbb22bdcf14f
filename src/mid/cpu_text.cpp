#include "mid/cpu_text.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

#include <cstdio>
#include <cstring>

namespace mid {

namespace {

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  const size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

// The characters of registers, little-endian as the processor stores them, up to a zero.
std::string RegisterText(const uint32_t* registers, size_t count) {
  std::string text(count * 4, '\0');
  for (size_t i = 0; i < count; ++i) {
    for (int b = 0; b < 4; ++b) text[i * 4 + b] = static_cast<char>((registers[i] >> (8 * b)) & 0xFF);
  }
  return text.substr(0, std::strlen(text.c_str()));
}

}  // namespace

std::string CpuText(const CpuIdentity& identity) {
  std::string vendor = Trimmed(RegisterText(identity.vendor, 3));
  if (vendor == "GenuineIotel") vendor = "GenuineIntel";
  const std::string brand = identity.has_brand ? Trimmed(RegisterText(identity.brand, 12)) : "";
  char signature[16];
  std::snprintf(signature, sizeof signature, "%x", identity.signature);
  return vendor + "," + signature + "," + brand;
}

CpuIdentity ReadCpuIdentity() {
  CpuIdentity identity;
#if defined(__i386__) || defined(__x86_64__)
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (__get_cpuid(0, &a, &b, &c, &d)) {
    identity.vendor[0] = b;
    identity.vendor[1] = d;
    identity.vendor[2] = c;
  }
  if (__get_cpuid(1, &a, &b, &c, &d)) identity.signature = a;
  if (__get_cpuid_max(0x80000000, nullptr) >= 0x80000004) {
    identity.has_brand = true;
    for (unsigned leaf = 0; leaf < 3; ++leaf) {
      __get_cpuid(0x80000002 + leaf, &a, &b, &c, &d);
      identity.brand[leaf * 4 + 0] = a;
      identity.brand[leaf * 4 + 1] = b;
      identity.brand[leaf * 4 + 2] = c;
      identity.brand[leaf * 4 + 3] = d;
    }
  }
#endif
  return identity;
}

}  // namespace mid
