#pragma once
// The products of this suite that the statistics reporter can detect: each is recognised by a
// marker file in the folder its program sits in, and keeps its settings (and the sampling
// number "stat_rand") in a file under the application-data folder.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "statistic/statistic.h"

struct ProductRow {
  int id;                          // 3 or 60 to 79
  const char16_t* marker;          // a file beside the product's program
  const char16_t* second_marker;   // another accepted marker, or null
  const char16_t* code;            // 7 or 8 hexadecimal digits
  const char16_t* name;
  const char16_t* settings_folder; // under the application-data folder
  const char16_t* settings_file;
};

const std::vector<ProductRow>& StatisticProducts();

// The first product whose marker lies in folder; its version is the marker file's version and
// its settings file lies under app_data.
std::optional<DetectedProduct> DetectProductIn(
    const std::u16string& folder, const std::u16string& app_data,
    const std::function<bool(const std::u16string&)>& file_exists,
    const std::function<std::u16string(const std::u16string&)>& file_version);
