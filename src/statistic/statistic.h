#pragma once
// The usage-statistics reporter's base information: the machine identifiers, the detected
// product and this program's version, and the installation's sampling number. The system
// behind it (registry, identifiers, product detection, settings file) is IStatisticSystem.
// Sending reports is not part of this system's use of it.

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

struct DetectedProduct {
  std::u16string id;
  std::u16string name;
  std::u16string version;
  std::u16string settings_file;  // where "stat_rand" is kept
};

class IStatisticSystem {
 public:
  virtual ~IStatisticSystem() = default;
  virtual std::u16string MachineId() = 0;
  virtual std::u16string MachineId2() = 0;
  // The value "m2_origin" kept for statistics, empty when missing.
  virtual std::u16string ReadM2Origin() = 0;
  virtual void WriteM2Origin(const std::u16string& value) = 0;
  virtual std::optional<DetectedProduct> DetectProduct(int depth) = 0;
  virtual std::u16string ProgramFileVersion() = 0;
  // An integer of a settings file (0 when missing) and writing one as text.
  virtual int ReadSettingsInt(const std::u16string& file, const std::u16string& section,
                              const std::u16string& key) = 0;
  virtual void WriteSettingsText(const std::u16string& file, const std::u16string& section,
                                 const std::u16string& key, const std::u16string& value) = 0;
  virtual uint32_t TickCount() = 0;
};

class CStatisticBaseInfo {
 public:
  enum Item { kMachineId, kMachineId2, kProductId, kFileVersion, kProductName, kProductVersion };
  const std::u16string& item(Item which) const { return items_[which]; }

 protected:
  std::u16string items_[6];
};

class CStatisticImpl : public CStatisticBaseInfo {
 public:
  explicit CStatisticImpl(IStatisticSystem* system) : system_(system) {}

  // Once: stores the depth (false for a negative one), the channel and the product name, fills
  // the base information and the sampling number. Later calls change nothing and return true.
  bool Init(int depth, const char16_t* channel, const char16_t* product_name);
  bool initialised() const { return depth_ != -1; }
  int sampling() const { return sampling_; }
  int depth() const { return depth_; }
  const std::u16string& product_name() const { return product_name_; }

 private:
  void FillBaseInfo(const std::optional<DetectedProduct>& product);

  IStatisticSystem* system_;
  int sampling_ = 0;
  int depth_ = -1;
  std::u16string product_name_;
  std::u16string channel_;
  std::mutex lock_;
};

// The "get_statistic_param" result: {"app","appver","mid2","modver","osver","pid"} in the JSON
// library's key order.
std::u16string StatisticParamResult(const CStatisticBaseInfo& info, const std::u16string& modver,
                                    const std::u16string& osver);
