#include "webview2/data_directory.h"

#include <algorithm>

namespace datadir {

const ProductTables& ShippedTables() {
  static const ProductTables tables;
  return tables;
}

bool IsLocalProduct(int code) {
  return code == 63 || (code >= 66 && code <= 69) || (code >= 71 && code <= 75) ||
         (code >= 77 && code <= 79);
}

std::u16string AncestorFolder(const std::u16string& dir, int levels) {
  std::u16string folder = dir;
  for (int i = 0; i < levels; ++i) {
    const size_t cut = folder.find_last_of(u"\\/");
    if (cut == std::u16string::npos) return {};
    folder.resize(cut);
  }
  return folder;
}

namespace {

std::u16string Join(const std::u16string& dir, const std::u16string& name) {
  if (dir.empty() || dir.back() == u'\\' || dir.back() == u'/') return dir + name;
  return dir + u'\\' + name;
}

// The product code whose marker is found first in ascending code order, or -1.
int FindProductCode(const std::u16string& dir, const ProductTables& tables,
                    const std::function<bool(const std::u16string&)>& file_exists) {
  std::vector<ProductMarker> markers = tables.markers;
  std::stable_sort(markers.begin(), markers.end(),
                   [](const ProductMarker& a, const ProductMarker& b) { return a.code < b.code; });
  for (const ProductMarker& marker : markers) {
    if (file_exists(Join(dir, marker.file))) return marker.code;
    if (marker.code == 3) {
      for (const std::u16string& extra : tables.extra_markers_code3) {
        if (file_exists(Join(dir, extra))) return 3;
      }
    }
  }
  return -1;
}

}  // namespace

Choice ChooseProductFolder(const std::u16string& program_dir, const ProductTables& tables,
                           const std::function<bool(const std::u16string&)>& file_exists) {
  for (int level = 0; level <= 2; ++level) {
    const std::u16string dir = AncestorFolder(program_dir, level);
    if (dir.empty()) break;
    const int code = FindProductCode(dir, tables, file_exists);
    if (code < 0) continue;
    for (const ProductFolder& row : tables.folders) {
      if (row.code == code && !row.folder.empty()) return Choice{row.folder, IsLocalProduct(code)};
    }
  }
  return {};
}

}  // namespace datadir
