#include "webview2/internal_fun/cipher_builtins.h"

#include "base/text_convert.h"
#include "webview2/internal_fun/json_path_value.h"
#include "webview2common/text_cipher.h"

namespace {

// The key used when a page passes none; built at run time rather than stored as one text.
std::string DefaultKey() {
  const char parts[][5] = {"Corv", "ane-", "Tand", "rel-", "2026"};
  std::string key;
  for (const char* part : parts) key += part;
  return key;
}

// Reads "data" and "key" as UTF-8 (only JSON strings count); false for a missing parameter
// or a parameter that is no JSON object or array, with the result text already set.
bool ReadDataAndKey(const std::vector<std::u16string>& params, std::string* data, std::string* key,
                    std::u16string* result) {
  if (params.empty()) {
    *result = u"param_error";
    return false;
  }
  JsonPathValue json;
  if (!json.Parse(params[0])) {
    *result = u"format_error";
    return false;
  }
  const Json::Value& d = json.Find("data");
  const Json::Value& k = json.Find("key");
  *data = d.isString() ? d.asString() : std::string();
  *key = k.isString() ? k.asString() : std::string();
  if (key->empty()) *key = DefaultKey();
  if (data->empty()) {
    *result = u"error";
    return false;
  }
  return true;
}

}  // namespace

std::u16string EncryptWithKey(const std::vector<std::u16string>& params) {
  std::string data, key;
  std::u16string result;
  if (!ReadDataAndKey(params, &data, &key, &result)) return result;
  return text::AsciiToUtf16(EncipherText(data, key));
}

std::u16string DecryptWithKey(const std::vector<std::u16string>& params) {
  std::string data, key;
  std::u16string result;
  if (!ReadDataAndKey(params, &data, &key, &result)) return result;
  const std::optional<std::string> plain = DecipherText(data, key);
  return plain ? text::Utf8ToUtf16(*plain) : std::u16string();
}
