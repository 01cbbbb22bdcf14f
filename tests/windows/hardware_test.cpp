// The hardware pieces of the machine identifiers on this system: whatever the sources give,
// an adapter address is empty or twelve upper-case hexadecimal digits, a disk serial empty or
// trimmed, and reading them again gives the same.
#include <gtest/gtest.h>

#include <cstdio>

#include "mid/cpu_text.h"
#include "mid/hardware_win.h"

namespace {

TEST(HardwarePieces, WellFormedOrEmptyAndStable) {
  const std::string adapter = mid::ReadAdapterAddress();
  const std::string disk = mid::ReadDiskSerial();
  std::printf("adapter \"%s\", disk \"%s\", cpu \"%s\"\n", adapter.c_str(), disk.c_str(),
              mid::CpuText(mid::ReadCpuIdentity()).c_str());
  if (!adapter.empty()) {
    EXPECT_EQ(adapter.size(), 12u);
    EXPECT_EQ(adapter.find_first_not_of("0123456789ABCDEF"), std::string::npos) << adapter;
  }
  if (!disk.empty()) {
    EXPECT_NE(disk.front(), ' ');
    EXPECT_NE(disk.back(), ' ');
  }
  EXPECT_EQ(mid::ReadAdapterAddress(), adapter);
  EXPECT_EQ(mid::ReadDiskSerial(), disk);
}

}  // namespace
