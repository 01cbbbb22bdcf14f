// The hardware pieces of the machine identifiers on this system: whatever the sources give,
// an adapter address is empty or twelve upper-case hexadecimal digits, a disk serial empty or
// trimmed, and reading them again gives the same.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>

#include "child_process.h"
#include "mid/cpu_text.h"
#include "mid/hardware_win.h"
#include "mid/machine_id.h"
#include "mid/machine_id_win.h"
#include "webview2common/md5.h"

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

TEST(MachineIds, StableAndStoredInTheRegistry) {
  wchar_t id[64] = {};
  ASSERT_EQ(GetMachineId(id, 64), 1);
  char narrow[64] = {};
  for (int i = 0; i < 63 && id[i] != 0; ++i) narrow[i] = static_cast<char>(id[i]);
  const std::string mid = narrow;
  ASSERT_EQ(mid.size(), 32u);
  EXPECT_EQ(mid.find_first_not_of("0123456789abcdef"), std::string::npos);
  EXPECT_EQ(testwin::MachineRegistryText(L"Software\\Ostra2\\Pulsar", "mid", KEY_WOW64_32KEY), mid + Md5::MidDigestHex(mid));
  EXPECT_EQ(GetMachineId(nullptr, 64), 0);
  wchar_t guarded[4] = {L'x', L'x', L'x', L'x'};
  for (int count : {0, -1, INT_MIN}) {
    EXPECT_EQ(GetMachineId(guarded + 2, count), 0) << count;
    EXPECT_EQ(std::wstring(guarded, 4), L"xxxx") << "a count of " << count << " has no room";
  }

  wchar_t second[64] = {};
  EXPECT_EQ(GetMachineId2(second, 49), E_INVALIDARG);
  EXPECT_EQ(GetMachineId2(nullptr, 64), E_INVALIDARG);
  ASSERT_EQ(GetMachineId2(second, 64), S_OK);
  std::string m2;
  for (int i = 0; second[i] != 0; ++i) m2 += static_cast<char>(second[i]);
  EXPECT_TRUE(mid::ValidMid2(m2)) << m2;
  EXPECT_EQ(testwin::MachineRegistryText(L"SOFTWARE\\ComOstra", "m2", KEY_WOW64_32KEY), m2);
  wchar_t again[64] = {};
  ASSERT_EQ(GetMachineId2(again, 64), S_OK);
  EXPECT_STREQ(again, second);

  EXPECT_EQ(COrmMID2::Instance().AddRef(), 2u);
  EXPECT_EQ(COrmMID2::Instance().Release(), 1u);
  EXPECT_EQ(COrmMID2::Instance().Extend1(0), E_NOTIMPL);
}

}  // namespace
