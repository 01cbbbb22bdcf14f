#include "statistic/products.h"

#include "base/text_convert.h"

const std::vector<ProductRow>& StatisticProducts() {
  static const std::vector<ProductRow> rows = {
      {3, u"Tandrel.exe", u"TandrelPortable.exe", u"7A3C1E05", u"Tandrel", u"Tandrel", u"settings.ini"},
      {60, u"TandrelStudio.exe", nullptr, u"7A3C1E3C", u"Tandrel Studio", u"Tandrel Studio", u"studio.ini"},
      {61, u"TandrelSync.exe", nullptr, u"7A3C1E3D", u"Tandrel Sync", u"Tandrel Sync", u"sync.ini"},
      {62, u"TandrelNotes.exe", nullptr, u"A3C1E3E", u"Tandrel Notes", u"Tandrel Notes", u"notes.ini"},
  };
  return rows;
}

std::optional<DetectedProduct> DetectProductIn(
    const std::u16string& folder, const std::u16string& app_data,
    const std::function<bool(const std::u16string&)>& file_exists,
    const std::function<std::u16string(const std::u16string&)>& file_version) {
  if (folder.empty()) return std::nullopt;
  for (const ProductRow& row : StatisticProducts()) {
    std::u16string marker = folder + u"\\" + row.marker;
    if (!file_exists(marker)) {
      if (row.second_marker == nullptr) continue;
      marker = folder + u"\\" + row.second_marker;
      if (!file_exists(marker)) continue;
    }
    DetectedProduct product;
    product.id = text::AsciiToUtf16(std::to_string(row.id));
    product.name = row.name;
    product.version = file_version(marker);
    if (!app_data.empty()) {
      product.settings_file = app_data + u"\\" + row.settings_folder + u"\\" + row.settings_file;
    }
    return product;
  }
  return std::nullopt;
}
