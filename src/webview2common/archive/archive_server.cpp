#include "webview2common/archive/archive_server.h"

#include "base/text_convert.h"
#include "log/logger.h"
#include "webview2common/archive/archive_file.h"

std::optional<std::u16string> CArchiveServer::Rewrite(const std::u16string& url) {
  LOG_INFO("parse original url:", url);
  address_.folder_name.clear();
  std::optional<ArchiveRewrite> rewrite = RewriteArchiveUrl(url);
  if (!rewrite) return std::nullopt;
  address_ = std::move(rewrite->address);
  return std::move(rewrite->current_url);
}

std::shared_ptr<const std::string> CArchiveServer::Content(const std::u16string& url) {
  LOG_INFO("get resource content url :", url);
  const std::optional<std::u16string> entry = EntryPathOfRequest(url, address_.folder_name);
  if (!entry) return nullptr;
  address_.entry_path = *entry;
  if (entry->empty()) return nullptr;
  return Entry(address_.archive_path, address_.key, *entry);
}

std::u16string CArchiveServer::LastEntryExtension() const {
  const std::u16string& entry = address_.entry_path;
  const size_t slash = entry.rfind(u'/');
  const size_t dot = entry.rfind(u'.');
  return dot != std::u16string::npos && (slash == std::u16string::npos || dot > slash) ? entry.substr(dot)
                                                                                       : u"";
}

std::shared_ptr<const std::string> CArchiveServer::Entry(const std::u16string& archive_path,
                                                         const std::u16string& key,
                                                         const std::u16string& entry_name) {
  const auto cache_key = std::make_pair(archive_path, key);
  auto cached = cache_.find(cache_key);
  if (cached == cache_.end()) {
    std::string text;
    if (files_ == nullptr || !files_->ReadWholeFile(archive_path, &text)) {
      LOG_INFO("archive not readable: ", archive_path);
      return nullptr;
    }
    if (key.compare(0, 4, u"rsa_") == 0) {
      LOG_INFO("archive key is not for this reader: ", archive_path);
      return nullptr;
    }
    ArchiveLoadResult loaded = LoadArchiveText(text, text::Utf16ToUtf8(key));
    for (const std::string& refused : loaded.report.refused) LOG_INFO("archive entry refused: ", refused);
    if (!loaded.loaded) {
      // Not cached: the next request tries again.
      LOG_INFO("archive not loaded: ", archive_path, ": ", loaded.failure);
      return nullptr;
    }
    cached = cache_.emplace(cache_key, std::move(loaded.entries)).first;
  }
  auto entry = cached->second.find(entry_name);
  return entry != cached->second.end() ? entry->second : nullptr;
}
