#include "webview2common/archive/archive_server.h"

#include <new>
#include <vector>

#include "base/secret_mask.h"
#include "base/text_convert.h"
#include "log/logger.h"
#include "webview2common/archive/archive_file.h"

std::optional<std::u16string> CArchiveServer::Rewrite(const std::u16string& url) {
  LOG_INFO("parse original url:", text::MaskArchiveKeys(url));
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
  const ArchiveKey archive(archive_path, key);
  auto cached = cache_.find(archive);
  if (cached == cache_.end()) {
    std::optional<ArchiveEntries> loaded = Load(archive);
    if (!loaded) return nullptr;
    cached = cache_.emplace(archive, std::move(*loaded)).first;
  }
  auto entry = cached->second.find(entry_name);
  return entry != cached->second.end() ? entry->second : nullptr;
}

std::optional<ArchiveEntries> CArchiveServer::Load(const ArchiveKey& archive) {
  const auto& [path, key] = archive;
  if (key.compare(0, 4, u"rsa_") == 0) {
    LOG_INFO("archive key is not for this reader: ", path);
    return std::nullopt;
  }
  if (files_ == nullptr) {
    LOG_INFO("archive not readable: ", path);
    return std::nullopt;
  }
  const auto failed = failed_.find(archive);
  if (failed != failed_.end()) {
    const std::optional<FileStamp> now = files_->Stamp(path);
    if (now && *now == failed->second) {
      LOG_INFO("archive not loaded: ", path, ": unchanged since it failed");
      return std::nullopt;
    }
    failed_.erase(failed);
  }
  std::string text;
  FileStamp stamp;
  if (!files_->ReadWholeFile(path, &text, &stamp)) {
    // Not remembered: a missing file costs little to look for again, and may yet appear.
    LOG_INFO("archive not readable: ", path);
    return std::nullopt;
  }
  ArchiveLoadResult loaded;
  try {
    loaded = LoadArchiveText(text, text::Utf16ToUtf8(key));
  } catch (const std::bad_alloc&) {
    loaded.failure = "not enough memory to unpack it";
  }
  // A hostile archive may refuse thousands of entries: the first few say what is wrong.
  constexpr size_t kRefusalLines = 20;
  const std::vector<std::string>& refused = loaded.report.refused;
  for (size_t i = 0; i < refused.size() && i < kRefusalLines; ++i) LOG_INFO("archive entry refused: ", refused[i]);
  if (refused.size() > kRefusalLines) {
    LOG_INFO("archive entries refused: ", std::to_string(refused.size() - kRefusalLines), " more");
  }
  if (!loaded.loaded) {
    LOG_INFO("archive not loaded: ", path, ": ", loaded.failure);
    failed_[archive] = stamp;
    return std::nullopt;
  }
  return std::move(loaded.entries);
}
