// The rules of the two machine identifiers: stored values, composition, check values.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>

#include "mid/cpu_text.h"
#include "mid/machine_id.h"
#include "webview2common/md5.h"
#include "webview2common/sha1.h"

namespace {

TEST(ClassicMid, StoredRecordsAreCheckedByTheirDigest) {
  const std::string id = Md5::MidDigestHex("cpu,disk,adapter");
  const std::string record = mid::MidRecord(id);
  ASSERT_EQ(record.size(), 64u);
  EXPECT_EQ(mid::ValidStoredMid(record), std::optional<std::string>(id));
  std::string upper = record;
  for (size_t i = 32; i < 64; ++i) upper[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(upper[i])));
  EXPECT_EQ(mid::ValidStoredMid(upper), std::optional<std::string>(id)) << "the digest half is compared ignoring case";
  std::string wrong = record;
  wrong[40] = wrong[40] == '0' ? '1' : '0';
  EXPECT_FALSE(mid::ValidStoredMid(wrong).has_value());
  EXPECT_FALSE(mid::ValidStoredMid(record.substr(0, 63)).has_value());
  bool store = false;
  EXPECT_EQ(mid::ClassicMid("", &store), Md5::MidDigestHex("Mid2Failed"));
  EXPECT_FALSE(store);
  EXPECT_EQ(mid::ClassicMid("x", &store), Md5::MidDigestHex("x"));
  EXPECT_TRUE(store);
}

TEST(SecondMid, ComposedFromHardwarePieces) {
  const mid::Pieces pieces{"001122AABBCC", "SERIAL1", "GenuineIntel,906ea,Brand"};
  const std::string id = mid::ComposeMid2(pieces, "", true);
  ASSERT_EQ(id.size(), 44u);
  EXPECT_EQ(id.substr(0, 40), Sha1::HexDigest("001122AABBCCSERIAL1GenuineIntel,906ea,Brand"));
  EXPECT_EQ(id.substr(40, 2), "2b") << "adapter 1 + disk 2 + cpu 8 + hash 0x20";
  EXPECT_TRUE(mid::ValidMid2(id));
  EXPECT_TRUE(mid::IsHardwareHash(id));
  const std::string not_elevated = mid::ComposeMid2(pieces, "", false);
  EXPECT_EQ(not_elevated.substr(0, 8), "eeeeeeee");
  EXPECT_EQ(not_elevated.substr(8, 32), id.substr(8, 32));
  EXPECT_TRUE(mid::ValidMid2(not_elevated));
}

TEST(SecondMid, WithoutAdapterOrDiskTheGuidOrZeros) {
  const std::string guid(32, 'a');  // a GUID's 16 bytes as hex
  const std::string id = mid::ComposeMid2({"", "", "cpu"}, guid, true);
  EXPECT_EQ(id.substr(0, 32), guid);
  EXPECT_EQ(id.substr(40, 2), "10");
  EXPECT_TRUE(mid::ValidMid2(id)) << id;
  EXPECT_TRUE(mid::ValidMid2(mid::ComposeMid2({}, guid, false)));
  EXPECT_FALSE(mid::IsHardwareHash(id));
  EXPECT_EQ(mid::ComposeMid2({}, "", true).substr(0, 40), std::string(40, '0'));
  const std::string ffff = "ffffffff" + std::string(32, '1');
  EXPECT_EQ(mid::ComposeMid2({}, ffff, false).substr(0, 8), "ffffffff") << "an ffffffff body keeps its start";
}

TEST(SecondMid, StoredValuesNeedLengthAndCheckValue) {
  const std::string id = mid::ComposeMid2({"A", "", ""}, "", true);
  EXPECT_TRUE(mid::ValidMid2(id));
  std::string wrong = id;
  wrong[43] = wrong[43] == '0' ? '1' : '0';
  EXPECT_FALSE(mid::ValidMid2(wrong));
  EXPECT_FALSE(mid::ValidMid2(id.substr(0, 43)));
  EXPECT_FALSE(mid::ValidMid2(id + "0"));
  EXPECT_EQ(mid::CheckDigits("123456789"), "a1");
}

// Registers holding text, four characters each, as the processor stores them.
void Put(uint32_t* registers, const char* text, size_t count) {
  char padded[48] = {};
  std::strncpy(padded, text, sizeof padded - 1);
  for (size_t i = 0; i < count; ++i) {
    registers[i] = static_cast<uint32_t>(static_cast<unsigned char>(padded[4 * i])) |
                   static_cast<uint32_t>(static_cast<unsigned char>(padded[4 * i + 1])) << 8 |
                   static_cast<uint32_t>(static_cast<unsigned char>(padded[4 * i + 2])) << 16 |
                   static_cast<uint32_t>(static_cast<unsigned char>(padded[4 * i + 3])) << 24;
  }
}

TEST(CpuText, VendorSignatureAndBrand) {
  mid::CpuIdentity id;
  Put(id.vendor, "GenuineIntel", 3);
  id.signature = 0x906EA;
  id.has_brand = true;
  Put(id.brand, "   Intel(R) Core(TM) i7 CPU  ", 12);
  EXPECT_EQ(mid::CpuText(id), "GenuineIntel,906ea,Intel(R) Core(TM) i7 CPU");
  Put(id.vendor, "GenuineIotel", 3);
  EXPECT_EQ(mid::CpuText(id).substr(0, 13), "GenuineIntel,") << "the misspelt vendor is read as Intel";
  id.has_brand = false;
  EXPECT_EQ(mid::CpuText(id), "GenuineIntel,906ea,");
  Put(id.vendor, "AuthenticAMD", 3);
  id.signature = 0;
  EXPECT_EQ(mid::CpuText(id), "AuthenticAMD,0,");
}

TEST(CpuText, ThisProcessor) {
  const std::string text = mid::CpuText(mid::ReadCpuIdentity());
  EXPECT_EQ(std::count(text.begin(), text.end(), ','), 2) << text;
  EXPECT_GT(text.find(','), 0u) << "a vendor is named: " << text;
}

TEST(Adapters, MediumDecidesKind) {
  using mid::AdapterKind;
  using mid::ClassifyAdapter;
  EXPECT_EQ(ClassifyAdapter(1u, std::nullopt, false), AdapterKind::kWireless);
  EXPECT_EQ(ClassifyAdapter(9u, std::nullopt, false), AdapterKind::kWireless);
  EXPECT_EQ(ClassifyAdapter(14u, std::nullopt, true), AdapterKind::kWireless) << "802.3: the class mark stays";
  EXPECT_EQ(ClassifyAdapter(14u, std::nullopt, false), AdapterKind::kWired);
  EXPECT_EQ(ClassifyAdapter(5u, 0u, false), AdapterKind::kDropped);
  EXPECT_EQ(ClassifyAdapter(0u, 9u, false), AdapterKind::kWireless) << "no physical medium: the medium in use";
  EXPECT_EQ(ClassifyAdapter(std::nullopt, 3u, false), AdapterKind::kDropped);
  EXPECT_EQ(ClassifyAdapter(std::nullopt, 0u, true), AdapterKind::kWired);
  EXPECT_EQ(ClassifyAdapter(std::nullopt, std::nullopt, true), AdapterKind::kWired);
}

TEST(Adapters, SmallestWiredBeforeWireless) {
  EXPECT_EQ(mid::ChooseAdapterAddress({{"BB0000000000", false}, {"AA0000000000", true}, {"BA0000000000", false}}),
            "BA0000000000");
  EXPECT_EQ(mid::ChooseAdapterAddress({{"BB0000000000", true}, {"AA0000000000", true}}), "AA0000000000");
  EXPECT_EQ(mid::ChooseAdapterAddress({}), "");
  const unsigned char bytes[6] = {0x00, 0x1a, 0x2B, 0xc3, 0xd4, 0xff};
  EXPECT_EQ(mid::AddressText(bytes), "001A2BC3D4FF");
}

class MemoryStore : public mid::IIdStore {
 public:
  std::optional<std::string> Read(const std::string& name) override {
    auto it = values.find(name);
    return it == values.end() ? std::nullopt : std::optional<std::string>(it->second);
  }
  bool Write(const std::string& name, const std::string& value) override {
    values[name] = value;
    ++writes;
    return true;
  }
  std::map<std::string, std::string> values;
  int writes = 0;
};

// Hardware whose adapter and disk can appear only at the second look.
class FakeHardware : public mid::IHardware {
 public:
  std::string Cpu() override { return cpu; }
  std::string Adapter() override { return looks_adapter++ == 0 ? adapter : late_adapter; }
  std::string Disk() override { return looks_disk++ == 0 ? disk : late_disk; }
  std::string NewGuidHex() override { return guid; }
  void Pause(unsigned ms) override { paused += static_cast<int>(ms); }
  std::string cpu = "GenuineIntel,906ea,Brand", adapter, disk, late_adapter, late_disk;
  std::string guid = std::string(32, 'c');
  int looks_adapter = 0, looks_disk = 0, paused = 0;
};

TEST(ObtainClassicMid, StoredRecordOrHardwareDigestStored) {
  MemoryStore store;
  FakeHardware hw;
  hw.adapter = hw.late_adapter = "001122334455";
  hw.disk = hw.late_disk = "SN";
  const std::string id = mid::ObtainClassicMid(store, hw);
  EXPECT_EQ(id, Md5::MidDigestHex(hw.cpu + "SN" + "001122334455")) << "CPU, disk, adapter";
  EXPECT_EQ(store.values["mid"], mid::MidRecord(id));
  EXPECT_EQ(mid::ObtainClassicMid(store, hw), id);
  // A record whose digest half is wrong is replaced, and kept as "mid_old".
  const std::string forged = std::string(32, 'a') + std::string(32, 'b');
  store.values["mid"] = forged;
  EXPECT_EQ(mid::ObtainClassicMid(store, hw), id);
  EXPECT_EQ(store.values["mid_old"], forged);
  // Without any hardware text: the fallback digest, not stored.
  MemoryStore empty;
  FakeHardware none;
  none.cpu = "";
  EXPECT_EQ(mid::ObtainClassicMid(empty, none), Md5::MidDigestHex("Mid2Failed"));
  EXPECT_EQ(empty.writes, 0);
}

TEST(ObtainMid2, StoredValueWithAWrongCheckValueIsReplacedAndKeptAsOld) {
  MemoryStore store;
  std::string bad = mid::ComposeMid2({"A", "", ""}, "", true);
  bad[43] = bad[43] == '0' ? '1' : '0';
  store.values["m2"] = bad;
  FakeHardware hw;
  hw.adapter = "001122334455";
  const std::string id = mid::ObtainMid2(store, hw, false);
  EXPECT_NE(id, bad) << "ignored, even for a process that is not elevated";
  EXPECT_EQ(id.substr(0, 8), "eeeeeeee");
  EXPECT_EQ(store.values["m2"], id);
  EXPECT_EQ(store.values["m2_old"], bad);
}

TEST(ObtainMid2, ValidStoredValueServesAProcessThatIsNotElevated) {
  MemoryStore store;
  const std::string stored = mid::ComposeMid2({"A", "", ""}, "", true);
  store.values["m2"] = stored;
  FakeHardware hw;
  hw.adapter = "001122334455";
  EXPECT_EQ(mid::ObtainMid2(store, hw, false), stored);
  EXPECT_EQ(hw.looks_adapter, 0) << "the hardware is not looked at";
  EXPECT_EQ(store.writes, 0);
}

TEST(ObtainMid2, ComputedStoredAndKeptWhenTheSame) {
  MemoryStore store;
  FakeHardware hw;
  hw.adapter = "001122334455";
  hw.disk = "SN";
  const std::string id = mid::ObtainMid2(store, hw, true);
  EXPECT_EQ(id, mid::ComposeMid2({"001122334455", "SN", hw.cpu}, "", true));
  EXPECT_EQ(store.values["m2"], id);
  EXPECT_EQ(hw.paused, 0) << "both pieces at once: no second look";
  FakeHardware again = hw;
  again.looks_adapter = again.looks_disk = 0;
  const int writes = store.writes;
  EXPECT_EQ(mid::ObtainMid2(store, again, true), id);
  EXPECT_EQ(store.writes, writes) << "the same value is not written again";
}

TEST(ObtainMid2, NotElevatedComputesAnEeeeeeeeIdentifierAndLooksTwice) {
  MemoryStore store;
  FakeHardware hw;
  hw.late_adapter = "00AABBCCDDEE";
  const std::string id = mid::ObtainMid2(store, hw, false);
  EXPECT_EQ(id.substr(0, 8), "eeeeeeee");
  EXPECT_EQ(hw.paused, 500);
  EXPECT_TRUE(mid::IsHardwareHash(id)) << "the adapter found at the second look counts";
  EXPECT_TRUE(mid::ValidMid2(id));
}

TEST(ObtainMid2, ChangedHardwareReplacesTheStoredValueKeepingTheOld) {
  MemoryStore store;
  const std::string old_id = mid::ComposeMid2({"111111111111", "OLD", "cpu"}, "", true);
  store.values["m2"] = old_id;
  FakeHardware hw;
  hw.adapter = "222222222222";
  hw.disk = "NEW";
  const std::string id = mid::ObtainMid2(store, hw, true);
  EXPECT_NE(id, old_id);
  EXPECT_EQ(store.values["m2"], id);
  EXPECT_EQ(store.values["m2_old"], old_id);
  // A stored "ffffffff" value stays while no hardware piece can be read.
  MemoryStore kept;
  std::string f = "ffffffff" + std::string(32, '1') + "10";
  f += mid::CheckDigits(f);
  kept.values["m2"] = f;
  FakeHardware none;
  EXPECT_EQ(mid::ObtainMid2(kept, none, true), f);
  EXPECT_EQ(kept.writes, 0);
}

TEST(ObtainMid2, WithoutHardwareTheGuidIdentifierIsValidAndStaysFromRunToRun) {
  MemoryStore store;
  FakeHardware first;
  const std::string id = mid::ObtainMid2(store, first, true);
  EXPECT_TRUE(mid::ValidMid2(id)) << id;
  EXPECT_EQ(store.values["m2"], id);
  for (bool elevated : {true, false}) {
    FakeHardware later;
    later.guid = std::string(32, 'd');  // each run draws another GUID
    EXPECT_EQ(mid::ObtainMid2(store, later, elevated), id) << elevated;
  }
  EXPECT_EQ(store.writes, 1);
}

}  // namespace
