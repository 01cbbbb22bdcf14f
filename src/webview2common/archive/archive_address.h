#pragma once
// Compound archive addresses: scheme "://" key "|" archive path "|/" entry path. The window
// rewrites such an address into a file address inside a virtual folder named "zip_" + the
// MD5 of the decoded address, and serves requests inside that folder from the archive.

#include <optional>
#include <string>

struct ArchiveAddress {
  std::u16string scheme;
  std::u16string key;
  std::u16string archive_path;
  std::u16string entry_path;
  std::u16string folder_name;  // "zip_" + 32 hex digits
};

struct ArchiveRewrite {
  ArchiveAddress address;
  std::u16string current_url;  // the archive path with the folder inserted, "|", the entry path
};

// Nothing when the decoded URL is no compound address (or cannot be decoded).
std::optional<ArchiveRewrite> RewriteArchiveUrl(const std::u16string& url);

// The entry a request URL asks for, when it lies inside folder_name; nothing otherwise.
std::optional<std::u16string> EntryPathOfRequest(const std::u16string& url,
                                                 const std::u16string& folder_name);
