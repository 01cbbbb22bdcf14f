// The statistics reporter's base information and sampling number over a system double.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "statistic/products.h"
#include "statistic/statistic.h"

namespace {

class FakeSystem : public IStatisticSystem {
 public:
  std::u16string MachineId() override { return u"0123456789abcdef0123456789abcdef"; }
  std::u16string MachineId2() override {
    ++mid2_asked;
    return u"m2-from-hardware";
  }
  std::u16string ReadM2Origin() override { return origin; }
  void WriteM2Origin(const std::u16string& value) override { origin = value; }
  std::optional<DetectedProduct> DetectProduct(int depth) override {
    asked_depth = depth;
    return product;
  }
  std::u16string ProgramFileVersion() override { return u"1.0.0.1"; }
  int ReadSettingsInt(const std::u16string& file, const std::u16string& section, const std::u16string& key) override {
    auto it = settings.find(file + u"|" + section + u"|" + key);
    return it == settings.end() ? 0 : std::stoi(std::string(it->second.begin(), it->second.end()));
  }
  void WriteSettingsText(const std::u16string& file, const std::u16string& section, const std::u16string& key,
                         const std::u16string& value) override {
    settings[file + u"|" + section + u"|" + key] = value;
  }
  uint32_t TickCount() override { return 12345; }
  bool Connected() override { return connected; }
  bool RequestUrl(const std::u16string& url, const std::u16string* file) override {
    std::lock_guard<std::mutex> guard(lock);
    requested.push_back(url + (file != nullptr ? u" > " + *file : u""));
    thread_ids.push_back(std::this_thread::get_id());
    return url.find(u"fail") == std::u16string::npos;
  }

  bool connected = true;
  std::mutex lock;
  std::vector<std::u16string> requested;
  std::vector<std::thread::id> thread_ids;

  std::u16string origin;
  std::optional<DetectedProduct> product;
  std::map<std::u16string, std::u16string> settings;
  int asked_depth = -2;
  int mid2_asked = 0;
};

TEST(Statistic, InitOnceFillsTheBaseInformation) {
  FakeSystem system;
  system.product = DetectedProduct{u"61", u"Suite", u"2.3", u"C:\\\\suite\\\\settings.ini"};
  CStatisticImpl reporter(&system);
  EXPECT_FALSE(reporter.initialised());
  ASSERT_TRUE(reporter.Init(1, u"", nullptr));
  EXPECT_EQ(system.asked_depth, 1);
  EXPECT_EQ(reporter.item(CStatisticBaseInfo::kMachineId2), u"m2-from-hardware");
  EXPECT_EQ(system.origin, u"m2-from-hardware") << "kept as m2_origin";
  EXPECT_EQ(reporter.item(CStatisticBaseInfo::kProductId), u"61");
  EXPECT_EQ(reporter.item(CStatisticBaseInfo::kProductName), u"Suite");
  EXPECT_EQ(reporter.item(CStatisticBaseInfo::kFileVersion), u"1.0.0.1");
  EXPECT_EQ(reporter.product_name(), u"Suite");
  EXPECT_GE(reporter.sampling(), 1);
  EXPECT_LE(reporter.sampling(), 100);
  const std::string sampling = std::to_string(reporter.sampling());
  EXPECT_EQ(system.settings[u"C:\\\\suite\\\\settings.ini|statistic|stat_rand"],
            std::u16string(sampling.begin(), sampling.end()));
  EXPECT_TRUE(reporter.Init(3, u"x", u"Other")) << "later calls change nothing";
  EXPECT_EQ(reporter.depth(), 1);
  EXPECT_EQ(reporter.product_name(), u"Suite");
}

TEST(Statistic, StoredOriginAndSamplingAreKept) {
  FakeSystem system;
  system.origin = u"stored-origin";
  system.product = DetectedProduct{u"3", u"P", u"1", u"f.ini"};
  system.settings[u"f.ini|statistic|stat_rand"] = u"42";
  CStatisticImpl reporter(&system);
  ASSERT_TRUE(reporter.Init(1, nullptr, u"Named"));
  EXPECT_EQ(reporter.item(CStatisticBaseInfo::kMachineId2), u"stored-origin");
  EXPECT_EQ(system.mid2_asked, 0);
  EXPECT_EQ(reporter.sampling(), 42);
  EXPECT_EQ(reporter.product_name(), u"Named");
}

TEST(Statistic, UnknownProductAndNegativeDepth) {
  FakeSystem system;
  CStatisticImpl reporter(&system);
  ASSERT_TRUE(reporter.Init(1, u"", nullptr));
  EXPECT_EQ(reporter.item(CStatisticBaseInfo::kProductId), u"");
  EXPECT_EQ(StatisticParamResult(reporter, u"1.0.0.1", u"10.0.19045"),
            u"{\"app\":\"\",\"appver\":\"\",\"mid2\":\"m2-from-hardware\",\"modver\":\"1.0.0.1\","
            u"\"osver\":\"10.0.19045\",\"pid\":\"\"}");
  CStatisticImpl negative(&system);
  EXPECT_FALSE(negative.Init(-1, nullptr, nullptr));
  EXPECT_TRUE(negative.Init(1, nullptr, nullptr)) << "the depth was stored: initialised";
}

TEST(StatisticSend, SynchronousSendsReportTheOutcome) {
  FakeSystem system;
  CStatisticImpl reporter(&system);
  std::vector<bool> outcomes;
  const std::u16string ok = u"http://127.0.0.1/ok", bad = u"http://127.0.0.1/fail", file = u"out.txt";
  EXPECT_EQ(reporter.Send(&ok, nullptr, 0, [&](bool s) { outcomes.push_back(s); }), 1);
  EXPECT_TRUE(outcomes.empty()) << "the callback waits for an initialised reporter";
  ASSERT_TRUE(reporter.Init(1, u"", nullptr));
  EXPECT_EQ(reporter.Send(&ok, &file, 0, [&](bool s) { outcomes.push_back(s); }), 1);
  EXPECT_EQ(reporter.Report(bad, 0, [&](bool s) { outcomes.push_back(s); }), 1);
  EXPECT_EQ(outcomes, (std::vector<bool>{true, false}));
  EXPECT_EQ(system.requested.back(), bad);
  EXPECT_EQ(system.requested[1], u"http://127.0.0.1/ok > out.txt");
  EXPECT_EQ(reporter.Send(nullptr, nullptr, 0, nullptr), 0);
}

TEST(StatisticSend, AsynchronousSendsRunOnTheirOwnThreads) {
  FakeSystem system;
  CStatisticImpl reporter(&system);
  ASSERT_TRUE(reporter.Init(1, u"", nullptr));
  std::mutex lock;
  std::condition_variable finished;
  int done_count = 0;
  const std::u16string url = u"http://127.0.0.1/ok";
  // Rounds of threads that start while the last round's end: each send must run, however the
  // threads of a round and the ones before it overlap.
  const int kRounds = 20, kSends = 3;
  for (int round = 1; round <= kRounds; ++round) {
    for (int i = 0; i < kSends; ++i) {
      reporter.Send(&url, nullptr, 1, [&](bool) {
        std::lock_guard<std::mutex> guard(lock);
        ++done_count;
        finished.notify_all();
      });
    }
    std::unique_lock<std::mutex> guard(lock);
    ASSERT_TRUE(finished.wait_for(guard, std::chrono::seconds(10), [&] { return done_count == round * kSends; }))
        << "round " << round << ": " << done_count << " sends done";
  }
  for (int i = 0; i < 200 && reporter.running_reports() != 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(reporter.running_reports(), 0);
  for (const std::thread::id& id : system.thread_ids) EXPECT_NE(id, std::this_thread::get_id());
  // Without a connection the task is dropped.
  system.connected = false;
  reporter.Send(&url, nullptr, 1, [&](bool) { ++done_count; });
  for (int i = 0; i < 200 && reporter.running_reports() != 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(reporter.running_reports(), 0);
  EXPECT_EQ(system.requested.size(), static_cast<size_t>(kRounds * kSends));
}

TEST(StatisticProducts, DetectedByMarkerInTableOrder) {
  std::vector<std::u16string> present;
  auto exists = [&](const std::u16string& path) {
    return std::find(present.begin(), present.end(), path) != present.end();
  };
  auto version = [](const std::u16string& path) { return u"v(" + path + u")"; };
  EXPECT_FALSE(DetectProductIn(u"C:\\apps", u"C:\\data", exists, version).has_value());
  present = {u"C:\\apps\\TandrelSync.exe", u"C:\\apps\\TandrelPortable.exe"};
  const auto product = DetectProductIn(u"C:\\apps", u"C:\\data", exists, version);
  ASSERT_TRUE(product.has_value());
  EXPECT_EQ(product->id, u"3") << "the first row in table order, by its second marker";
  EXPECT_EQ(product->name, u"Tandrel");
  EXPECT_EQ(product->version, u"v(C:\\apps\\TandrelPortable.exe)");
  EXPECT_EQ(product->settings_file, u"C:\\data\\Tandrel\\settings.ini");
  present = {u"C:\\apps\\TandrelSync.exe"};
  EXPECT_EQ(DetectProductIn(u"C:\\apps", u"", exists, version)->id, u"61");
  EXPECT_FALSE(DetectProductIn(u"", u"C:\\data", exists, version).has_value());
  for (const ProductRow& row : StatisticProducts()) {
    const std::u16string code = row.code;
    EXPECT_TRUE(code.size() == 7 || code.size() == 8);
    EXPECT_TRUE(row.id == 3 || (row.id >= 60 && row.id <= 79));
  }
}

}  // namespace
