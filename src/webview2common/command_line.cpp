#include "webview2common/command_line.h"

namespace {
constexpr size_t kNoSplit = std::u16string::npos;
}

CCommandLine::CCommandLine(std::u16string text) : text_(std::move(text)) { Parse(); }

void CCommandLine::Parse() {
  // The quote state and the previous character carry across tokens: an unbalanced quote makes
  // the rest of the text one token.
  bool in_quotes = false;
  char16_t previous = 0;
  size_t i = 0;
  const size_t n = text_.size();
  while (i < n) {
    while (i < n && text_[i] == u' ') previous = text_[i++];
    if (i >= n) break;
    const size_t begin = i;
    size_t split = kNoSplit;
    for (; i < n; ++i) {
      const char16_t c = text_[i];
      if (c == u' ' && !in_quotes) break;
      if (c == u'"' && previous != u'\\') {
        in_quotes = !in_quotes;
      } else if (c == u'=' && split == kNoSplit) {
        split = i;
      }
      previous = c;
    }
    AddToken(begin, i, split);
  }
}

void CCommandLine::AddToken(size_t begin, size_t end, size_t split) {
  const size_t length = end - begin;
  const bool is_switch = length >= 2 && (text_[begin] == u'-' || text_[begin] == u'/');
  if (!is_switch) {
    arguments_.push_back(text_.substr(begin, length));
    return;
  }
  size_t name = begin + 1;
  if (text_[begin + 1] == u'-') ++name;
  if (split == kNoSplit) {
    switches_[text_.substr(name, end - name)].clear();
    return;
  }
  std::u16string value = text_.substr(split + 1, end - split - 1);
  if (value.size() >= 2 && value.front() == u'"' && value.back() == u'"') {
    value = value.substr(1, value.size() - 2);
  }
  switches_[text_.substr(name, split - name)] = std::move(value);
}

const std::u16string* CCommandLine::Find(std::u16string_view name) const {
  auto it = switches_.find(name);
  if (it != switches_.end()) return &it->second;
  if (name.size() <= 1 || (name[0] != u'-' && name[0] != u'/')) return nullptr;
  size_t start = 1;
  if (name[1] == u'-') ++start;
  it = switches_.find(name.substr(start));
  return it != switches_.end() ? &it->second : nullptr;
}

bool CCommandLine::HasKey(std::u16string_view name) const { return Find(name) != nullptr; }

bool CCommandLine::GetValue(std::u16string_view name, std::u16string& out) const {
  out.clear();
  const std::u16string* value = Find(name);
  if (value == nullptr) return false;
  out = *value;
  return true;
}
