#pragma once
// The rule that picks the per-user data directory: a sibling product found next to the program
// (or one or two folders up) lends its application-data folder; otherwise the temporary folder
// is used. The product tables ship empty, so today the temporary-folder rule always applies;
// the search stays so that rows can be added without touching the algorithm.

#include <functional>
#include <string>
#include <vector>

namespace datadir {

struct ProductMarker {
  int code;
  std::u16string file;  // a file whose presence in a folder identifies the product
};

struct ProductFolder {
  int code;
  std::u16string folder;  // the product's folder under the application-data folder
};

struct ProductTables {
  std::vector<ProductMarker> markers;
  std::vector<std::u16string> extra_markers_code3;
  std::vector<ProductFolder> folders;
};

// The tables the product ships with.
const ProductTables& ShippedTables();

struct Choice {
  std::u16string folder;  // empty: no product found, use the temporary folder
  bool local = false;     // under the local rather than the roaming application-data folder
};

// program_dir is the folder of the program file, without a trailing separator.
Choice ChooseProductFolder(const std::u16string& program_dir, const ProductTables& tables,
                           const std::function<bool(const std::u16string&)>& file_exists);

// Codes whose folder lives under the local application-data folder.
bool IsLocalProduct(int code);

// The folder `levels` steps above dir ("" when there is none).
std::u16string AncestorFolder(const std::u16string& dir, int levels);

}  // namespace datadir
