#include "statistic/statistic.h"

#include <cstdlib>
#include <memory>
#include <system_error>

#include "base/detached_thread.h"
#include "base/text_convert.h"
#include "webview2/internal_fun/json_path_value.h"

bool CStatisticImpl::Init(int depth, const char16_t* channel, const char16_t* product_name) {
  std::lock_guard<std::mutex> guard(lock_);
  if (depth_ != -1) return true;
  depth_ = depth;
  if (depth < 0) return false;
  if (channel != nullptr) channel_ = channel;
  const std::optional<DetectedProduct> product = system_->DetectProduct(depth);
  if (product_name != nullptr) {
    product_name_ = product_name;
  } else if (product) {
    product_name_ = product->name;
  }
  FillBaseInfo(product);
  // The installation's sampling number, 1 to 100, kept in the product's settings file.
  if (product && !product->settings_file.empty()) {
    sampling_ = system_->ReadSettingsInt(product->settings_file, u"statistic", u"stat_rand");
  }
  if (sampling_ == 0) {
    std::srand(system_->TickCount());
    sampling_ = std::rand() % 100 + 1;
    if (product && !product->settings_file.empty()) {
      system_->WriteSettingsText(product->settings_file, u"statistic", u"stat_rand",
                                 text::AsciiToUtf16(std::to_string(sampling_)));
    }
  }
  return true;
}

void CStatisticImpl::FillBaseInfo(const std::optional<DetectedProduct>& product) {
  if (items_[kMachineId].empty()) items_[kMachineId] = system_->MachineId().substr(0, 259);
  if (items_[kMachineId2].empty()) {
    std::u16string origin = system_->ReadM2Origin();
    if (origin.empty()) {
      origin = system_->MachineId2();
      if (!origin.empty()) system_->WriteM2Origin(origin);
    }
    items_[kMachineId2] = origin;
  }
  if (product) {
    if (items_[kProductName].empty()) items_[kProductName] = product->name;
    if (items_[kProductVersion].empty()) items_[kProductVersion] = product->version;
    if (items_[kProductId].empty()) items_[kProductId] = product->id;
  }
  if (items_[kFileVersion].empty()) items_[kFileVersion] = system_->ProgramFileVersion();
}

bool CSimpleThread::Start() { return base::StartDetachedThread(routine_, &id_); }

int CStatisticImpl::Report(const std::u16string& text, int async, std::function<void(bool)> done) {
  // No address rewrite key is set in this system: the address goes out as it is.
  return Send(&text, nullptr, async, std::move(done));
}

int CStatisticImpl::Send(const std::u16string* url, const std::u16string* file, int async,
                         std::function<void(bool)> done) {
  if (url == nullptr) return 0;
  if (async == 0) {
    Request(*url, file, done);
    return 1;
  }
  // The task owns copies of what it needs; the file name is cut at 519 characters.
  const std::u16string url_copy = *url;
  const std::optional<std::u16string> file_copy =
      file != nullptr ? std::optional<std::u16string>(file->substr(0, 519)) : std::nullopt;
  // The thread runs on its own once started; its object only lets go of it (as closing a
  // thread's handle does).
  running_.fetch_add(1);
  CSimpleThread worker([this, url_copy, file_copy, done] {
    if (system_->Connected()) Request(url_copy, file_copy ? &*file_copy : nullptr, done);
    running_.fetch_sub(1);
  });
  if (!worker.Start()) running_.fetch_sub(1);
  return 1;
}

void CStatisticImpl::Request(const std::u16string& url, const std::u16string* file,
                             const std::function<void(bool)>& done) {
  const bool completed = system_->RequestUrl(url, file);
  std::lock_guard<std::mutex> guard(lock_);
  if (depth_ != -1 && done) done(completed);
}

std::u16string StatisticParamResult(const CStatisticBaseInfo& info, const std::u16string& modver,
                                    const std::u16string& osver) {
  Json::Value result(Json::objectValue);
  result["pid"] = text::Utf16ToUtf8(info.item(CStatisticBaseInfo::kProductId));
  result["mid2"] = text::Utf16ToUtf8(info.item(CStatisticBaseInfo::kMachineId2));
  result["app"] = text::Utf16ToUtf8(info.item(CStatisticBaseInfo::kProductName));
  result["appver"] = text::Utf16ToUtf8(info.item(CStatisticBaseInfo::kProductVersion));
  result["modver"] = text::Utf16ToUtf8(modver);
  result["osver"] = text::Utf16ToUtf8(osver);
  return text::Utf8ToUtf16(WriteCompactJson(result));
}
