#pragma once
// Splits log-file bytes at CR LF. A last line without CR LF comes back marked "<unterminated>",
// so a torn write shows up in a comparison.

#include <string>
#include <vector>

inline std::vector<std::string> SplitCrLfLines(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    const size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back("<unterminated>" + bytes.substr(start));
      break;
    }
    lines.push_back(bytes.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}
