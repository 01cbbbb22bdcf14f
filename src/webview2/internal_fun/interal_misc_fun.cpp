#include <windows.h>
#include <shlwapi.h>

#include <cstring>

#include "log/logger.h"
#include "webview2/internal_fun/cipher_builtins.h"
#include "webview2/internal_fun/internal_fun.h"
#include "webview2/internal_fun/json_path_value.h"
#include "base/text_convert.h"
#include "base/text_win.h"

namespace {

std::u16string WriteLog(const std::vector<std::u16string>& params) {
  if (params.empty()) return u"param_error";
  JsonPathValue json;
  if (!json.Parse(params[0])) return u"format_error";
  LOG_INFO("[web] ", json.GetString("content", u""));
  return u"";
}

std::u16string FilePathExist(const std::vector<std::u16string>& params) {
  if (params.empty()) return u"param_error";
  const int exists = PathFileExistsW(as_wcstr(params[0])) ? 1 : 0;
  return text::AsciiToUtf16("{\"success\":\"" + std::to_string(exists) + "\"}");
}

std::u16string CopyClip(const std::vector<std::u16string>& params) {
  if (params.empty()) return u"param_error";
  JsonPathValue json;
  if (!json.Parse(params[0])) return u"format_error";
  const std::u16string content = json.GetString("content", u"");
  int success = 0;
  if (OpenClipboard(nullptr)) {
    EmptyClipboard();
    const size_t bytes = (content.size() + 1) * sizeof(char16_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, bytes);
    if (void* target = memory != nullptr ? GlobalLock(memory) : nullptr) {
      std::memcpy(target, content.c_str(), bytes);
      GlobalUnlock(memory);
      if (SetClipboardData(CF_UNICODETEXT, memory) != nullptr) {
        success = 1;
      } else {
        GlobalFree(memory);
      }
    }
    CloseClipboard();
  }
  return text::AsciiToUtf16("{\"success\":" + std::to_string(success) + "}");
}

}  // namespace

// The miscellaneous built-ins implemented so far, in their lookup order.
InternalMiscFun::InternalMiscFun()
    : BuiltinTable({{u"encry_with_key", &EncryptWithKey},
                    {u"decry_with_key", &DecryptWithKey},
                    {u"copy_clip", &CopyClip},
                    {u"write_log", &WriteLog},
                    {u"file_path_exist", &FilePathExist}}) {}
