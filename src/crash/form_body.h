#pragma once
// A multipart/form-data body (RFC 7578) of text fields and one file, the form crash collectors
// take. The body is returned in pieces so that the file itself is never copied: send head, the
// file's bytes, then tail.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace crash {

struct FormBody {
  std::string content_type;  // "multipart/form-data; boundary=..."
  std::string head;          // the fields and the file part's headers
  std::string tail;          // the end of the file part and the closing boundary
};

// The boundary is derived from seed and changed until it occurs in no field and not in the
// file. Field names and the file name must not contain quotes or line breaks (ours never do).
FormBody BuildFormBody(const std::vector<std::pair<std::string, std::string>>& fields, const std::string& file_field,
                       const std::string& file_name, std::string_view file, uint64_t seed);

}  // namespace crash
