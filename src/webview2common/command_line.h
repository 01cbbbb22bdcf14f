#pragma once
// Splits one command-line text into switches (with optional values) and loose arguments.
// The syntax is the program's own: only the space separates tokens, a double quote not preceded
// by a backslash toggles a quoted run, and a switch starts with "-", "--" or "/".

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

class CCommandLine {
 public:
  // Ordered by name; looked up by any text without copying it into a string first.
  using SwitchMap = std::map<std::u16string, std::u16string, std::less<>>;

  explicit CCommandLine(std::u16string text);
  virtual ~CCommandLine() = default;

  // True when name is a key, or when name without one leading "-" or "/" and one further "-"
  // is a key; so "--a", "-a", "/a" and "a" all find the key a.
  bool HasKey(std::u16string_view name) const;
  // Clears out, then copies the value of the key found as HasKey finds it.
  bool GetValue(std::u16string_view name, std::u16string& out) const;
  void CopySwitches(SwitchMap& out) const { out = switches_; }

  const SwitchMap& switches() const { return switches_; }
  const std::vector<std::u16string>& arguments() const { return arguments_; }
  const std::u16string& text() const { return text_; }

 private:
  void Parse();
  void AddToken(size_t begin, size_t end, size_t split);
  const std::u16string* Find(std::u16string_view name) const;

  SwitchMap switches_;
  std::vector<std::u16string> arguments_;
  std::u16string text_;
};
