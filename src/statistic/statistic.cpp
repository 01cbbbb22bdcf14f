#include "statistic/statistic.h"

#include <cstdlib>

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
