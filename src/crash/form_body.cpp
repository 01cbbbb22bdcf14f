#include "crash/form_body.h"

#include <cstdio>

namespace crash {

namespace {

uint64_t NextRandom(uint64_t* state) {  // splitmix64
  uint64_t z = (*state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

bool Occurs(const std::string& boundary, const std::vector<std::pair<std::string, std::string>>& fields,
            std::string_view file) {
  if (file.find(boundary) != std::string_view::npos) return true;
  for (const auto& field : fields) {
    if (field.second.find(boundary) != std::string::npos) return true;
  }
  return false;
}

}  // namespace

FormBody BuildFormBody(const std::vector<std::pair<std::string, std::string>>& fields, const std::string& file_field,
                       const std::string& file_name, std::string_view file, uint64_t seed) {
  std::string boundary;
  do {
    char text[64];
    std::snprintf(text, sizeof text, "----WrenfallFormBoundary%016llx",
                  static_cast<unsigned long long>(NextRandom(&seed)));
    boundary = text;
  } while (Occurs(boundary, fields, file));

  FormBody body;
  body.content_type = "multipart/form-data; boundary=" + boundary;
  for (const auto& field : fields) {
    body.head += "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + field.first + "\"\r\n\r\n" +
                 field.second + "\r\n";
  }
  body.head += "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + file_field + "\"; filename=\"" +
               file_name + "\"\r\nContent-Type: application/octet-stream\r\n\r\n";
  body.tail = "\r\n--" + boundary + "--\r\n";
  return body;
}

}  // namespace crash
