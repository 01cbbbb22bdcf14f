#pragma once
// Reads the JSON parameter of a built-in call by path: "a.b[2].c", "[0]", "" for the root.

#include <string>

#include <json/value.h>

class JsonPathValue {
 public:
  // True when text parses without error and its root is an object or an array.
  bool Parse(const std::u16string& text);

  // The value at path, or the null value: a path of 256 or more characters, a missing member,
  // an index beyond the array, a segment applied to a scalar.
  const Json::Value& Find(const std::string& path) const;

  int GetInt(const std::string& path, int fallback) const;
  std::u16string GetString(const std::string& path, const std::u16string& fallback) const;
  std::u16string GetText(const std::string& path, const std::u16string& fallback) const;
  std::string WriteJson(const std::string& path) const;

  const Json::Value& root() const { return root_; }

 private:
  Json::Value root_;
};

// Compact JSON text of a value, UTF-8 emitted as is.
std::string WriteCompactJson(const Json::Value& value);
