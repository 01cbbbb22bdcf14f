#pragma once
// The host and path of an absolute URL, split as a standard URL parser does:
// scheme "://" [user-info "@"] host [":" port] [path] ["?" query] ["#" fragment].
// Both are empty when the URL has no authority part.

#include <string>

struct UrlHostPath {
  std::u16string host;
  std::u16string path;
};

UrlHostPath SplitHostAndPath(const std::u16string& url);

// MD5 hex of the UTF-16LE bytes of host + path: the name of a window's browser profile folder.
std::u16string ProfileFolderDigest(const std::u16string& url);
