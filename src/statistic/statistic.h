#pragma once
// The usage-statistics reporter's base information: the machine identifiers, the detected
// product and this program's version, and the installation's sampling number. The system
// behind it (registry, identifiers, product detection, settings file) is IStatisticSystem.
// Sending reports is not part of this system's use of it.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
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
  // Whether a report can go out: the system reports a connection, or an adapter has a gateway.
  virtual bool Connected() = 0;
  // Requests url; the response is saved to file, or (without one) to a temporary cache file
  // that is deleted at once. True when the request completed.
  virtual bool RequestUrl(const std::u16string& url, const std::u16string* file) = 0;
};

// The worker thread of an asynchronous send: its id is -1 until it runs.
class CSimpleThread {
 public:
  explicit CSimpleThread(std::function<void()> routine) : routine_(std::move(routine)) {}
  ~CSimpleThread() = default;
  CSimpleThread(const CSimpleThread&) = delete;
  CSimpleThread& operator=(const CSimpleThread&) = delete;
  bool Start();
  long id() const { return id_; }

 private:
  std::function<void()> routine_;
  long id_ = -1;
};

// The one operation through which a report leaves.
class ISendRequest {
 public:
  virtual ~ISendRequest() = default;
  virtual int Send(const std::u16string* url, const std::u16string* file, int async,
                   std::function<void(bool)> done) = 0;
};

class CStatisticBaseInfo {
 public:
  enum Item { kMachineId, kMachineId2, kProductId, kFileVersion, kProductName, kProductVersion };
  const std::u16string& item(Item which) const { return items_[which]; }

 protected:
  std::u16string items_[6];
};

class CStatisticImpl : public CStatisticBaseInfo, public ISendRequest {
 public:
  explicit CStatisticImpl(IStatisticSystem* system) : system_(system) {}

  // Once: stores the depth (false for a negative one), the channel and the product name, fills
  // the base information and the sampling number. Later calls change nothing and return true.
  bool Init(int depth, const char16_t* channel, const char16_t* product_name);
  bool initialised() const { return depth_ != -1; }
  // Sends a report to the address text.
  virtual int Report(const std::u16string& text, int async, std::function<void(bool)> done);
  // Requests url now (async 0) or on a thread of its own; done hears whether it completed (only
  // once the reporter is initialised). 0 for no url, else 1.
  int Send(const std::u16string* url, const std::u16string* file, int async,
           std::function<void(bool)> done) override;
  int running_reports() const { return running_.load(); }
  int sampling() const { return sampling_; }
  int depth() const { return depth_; }
  const std::u16string& product_name() const { return product_name_; }

 private:
  void FillBaseInfo(const std::optional<DetectedProduct>& product);
  void Request(const std::u16string& url, const std::u16string* file, const std::function<void(bool)>& done);

  IStatisticSystem* system_;
  int sampling_ = 0;
  int depth_ = -1;
  std::u16string product_name_;
  std::u16string channel_;
  std::mutex lock_;
  std::atomic<int> running_{0};
};

// The "get_statistic_param" result: {"app","appver","mid2","modver","osver","pid"} in the JSON
// library's key order.
std::u16string StatisticParamResult(const CStatisticBaseInfo& info, const std::u16string& modver,
                                    const std::u16string& osver);
