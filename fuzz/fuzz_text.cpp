// Texts from the parent and from pages: command lines, window settings, compound addresses,
// cookie texts and JSON parameters.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/text_convert.h"
#include "webview2/internal_fun/json_path_value.h"
#include "webview2/window_settings.h"
#include "webview2common/archive/archive_address.h"
#include "webview2common/cookie_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::u16string text = text::Utf8ToUtf16(bytes);
  ParseWindowSettings(text, u"C:\\data");
  RewriteArchiveUrl(text);
  EntryPathOfRequest(text, u"zip_0123");
  SplitCookieText(text);
  JsonPathValue json;
  if (json.Parse(text)) {
    json.GetInt("a.b[1].c", 0);
    json.GetText("[0]", u"");
    json.WriteJson("");
  }
  JsonPathValue paths;
  if (paths.Parse(u"{\"a\":{\"b\":[1,{\"c\":2}]}}")) paths.Find(bytes);
  return 0;
}
