#pragma once
// Whether a window's policy lets a page of an origin make a built-in call: the built-in itself,
// then what its parameters would make it touch (paths, registry keys, programs, addresses),
// read exactly as the built-in reads them. Portable: making a path full and expanding its short
// names is the caller's, through resolve.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "webview2/external_policy.h"

namespace policy {

// The system's view of a path: made full (relative to the current folder) and its short names
// expanded; the text as it is when that cannot be done.
using PathResolver = std::function<std::u16string(const std::u16string&)>;

// Why the call is refused, for the log; nothing when it may go ahead.
std::optional<std::string> BuiltinRefusal(const ExternalPolicy& policy, const Origin& origin, const std::string& name,
                                          const std::vector<std::u16string>& params, const PathResolver& resolve,
                                          const std::vector<std::u16string>& startup_folders);

// What a refused built-in answers, sync and async alike.
inline constexpr char16_t kPermissionDenied[] = u"{\"error\":\"permission_denied\"}";

}  // namespace policy
