#pragma once
// Whether a window's policy lets a page of an origin make a built-in call: the built-in itself,
// then what its parameters would make it touch (paths, registry keys, programs, addresses),
// read exactly as the built-in reads them. Portable: how the system names things (full paths,
// short names, case beyond ASCII) is the caller's, through SystemNames.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "webview2/external_policy.h"

namespace policy {

// The system's view of names: resolve makes a path full (relative to the current folder) with its
// short names expanded, or leaves it as it is when that cannot be done; upper gives a text in
// upper case as the system compares file and key names, beyond ASCII. Either may be empty.
struct SystemNames {
  std::function<std::u16string(const std::u16string&)> resolve;
  std::function<std::u16string(const std::u16string&)> upper;

  std::u16string Path(const std::u16string& path) const { return Name(resolve ? resolve(path) : path); }
  std::u16string Name(const std::u16string& text) const { return upper ? upper(text) : text; }
};

// Why the call is refused, for the log; nothing when it may go ahead.
std::optional<std::string> BuiltinRefusal(const ExternalPolicy& policy, const Origin& origin, const std::string& name,
                                          const std::vector<std::u16string>& params, const SystemNames& system,
                                          const std::vector<std::u16string>& startup_folders);

// What a refused built-in answers, sync and async alike.
inline constexpr char16_t kPermissionDenied[] = u"{\"error\":\"permission_denied\"}";

}  // namespace policy
