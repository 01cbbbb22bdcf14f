#include "webview2common/archive/web_types.h"

namespace {

struct WebType {
  std::u16string_view extension;  // lower case, with the dot
  std::u16string_view type;
};

// The types browsers expect (the HTML standard's, IANA's and the web's common usage).
constexpr WebType kWebTypes[] = {
    {u".apng", u"image/apng"},       {u".avif", u"image/avif"},
    {u".bmp", u"image/bmp"},         {u".css", u"text/css"},
    {u".csv", u"text/csv"},          {u".gif", u"image/gif"},
    {u".htm", u"text/html"},         {u".html", u"text/html"},
    {u".ico", u"image/x-icon"},      {u".jpeg", u"image/jpeg"},
    {u".jpg", u"image/jpeg"},        {u".js", u"text/javascript"},
    {u".json", u"application/json"}, {u".map", u"application/json"},
    {u".mjs", u"text/javascript"},   {u".mp3", u"audio/mpeg"},
    {u".mp4", u"video/mp4"},         {u".oga", u"audio/ogg"},
    {u".ogg", u"audio/ogg"},         {u".ogv", u"video/ogg"},
    {u".opus", u"audio/ogg"},        {u".otf", u"font/otf"},
    {u".pdf", u"application/pdf"},   {u".png", u"image/png"},
    {u".svg", u"image/svg+xml"},     {u".ttf", u"font/ttf"},
    {u".txt", u"text/plain"},        {u".wasm", u"application/wasm"},
    {u".wav", u"audio/wav"},         {u".weba", u"audio/webm"},
    {u".webm", u"video/webm"},       {u".webmanifest", u"application/manifest+json"},
    {u".webp", u"image/webp"},       {u".woff", u"font/woff"},
    {u".woff2", u"font/woff2"},      {u".xhtml", u"application/xhtml+xml"},
    {u".xml", u"application/xml"},
};

}  // namespace

std::optional<std::u16string> StandardWebType(std::u16string_view extension) {
  std::u16string lower(extension);
  for (char16_t& c : lower) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
  }
  for (const WebType& entry : kWebTypes) {
    if (entry.extension == lower) return std::u16string(entry.type);
  }
  return std::nullopt;
}
