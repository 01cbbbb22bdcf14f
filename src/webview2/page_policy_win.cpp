#include "webview2/page_policy_win.h"

#include <windows.h>
#include <shlobj.h>

#include "base/text_convert.h"
#include "base/text_win.h"
#include "log/logger.h"
#include "webview2/internal_fun/builtin_guard.h"

namespace {

// The path as the system would open it: full, with its short names expanded as far as the
// folders exist.
std::u16string Resolve(const std::u16string& path) {
  constexpr DWORD kMaxPath = 32768;
  std::wstring full(kMaxPath, L'\0');
  const DWORD length = GetFullPathNameW(as_wcstr(path), kMaxPath, full.data(), nullptr);
  if (length == 0 || length >= kMaxPath) return path;
  full.resize(length);
  // Short names are made with a tilde; without one there is nothing to expand (and looking the
  // names up on disk costs more than the rest of the check).
  if (full.find(L'~') == std::wstring::npos) return to_u16(full.c_str());
  // Expands the longest part that exists; a name that does not exist yet has no short form.
  std::wstring head = full;
  std::wstring tail;
  std::wstring expanded(kMaxPath, L'\0');
  while (!head.empty()) {
    const DWORD n = GetLongPathNameW(head.c_str(), expanded.data(), kMaxPath);
    if (n != 0 && n < kMaxPath) return to_u16((expanded.substr(0, n) + tail).c_str());
    const size_t slash = head.find_last_of(L'\\');
    if (slash == std::wstring::npos || slash < 3) break;
    tail = head.substr(slash) + tail;
    head.resize(slash);
  }
  return to_u16(full.c_str());
}

std::vector<std::u16string> StartupFolders() {
  std::vector<std::u16string> folders;
  for (int id : {CSIDL_STARTUP, CSIDL_COMMON_STARTUP, CSIDL_ALTSTARTUP, CSIDL_COMMON_ALTSTARTUP}) {
    wchar_t folder[MAX_PATH] = {};
    if (SHGetFolderPathW(nullptr, id, nullptr, SHGFP_TYPE_CURRENT, folder) != S_OK) continue;
    if (std::optional<std::u16string> normalized = policy::NormalizePath(Resolve(to_u16(folder)))) {
      folders.push_back(std::move(*normalized));
    }
  }
  return folders;
}

}  // namespace

CPagePolicy::CPagePolicy(policy::ExternalPolicy policy) : policy_(std::move(policy)), startup_folders_(StartupFolders()) {}

void CPagePolicy::SetDocument(std::optional<policy::Origin> origin) { document_ = std::move(origin); }

bool CPagePolicy::AllowsExternal() const { return document_ && policy::AllowsExternal(policy_, *document_); }

std::optional<std::string> CPagePolicy::BuiltinRefusal(const std::u16string& name,
                                                       const std::vector<std::u16string>& params) const {
  if (!AllowsExternal()) return std::string("the page shown now has no external");
  return policy::BuiltinRefusal(policy_, *document_, text::Utf16ToUtf8(name), params, &Resolve, startup_folders_);
}

bool CPagePolicy::AllowsParentFunction(const std::u16string& name) const {
  return AllowsExternal() && policy_.parent_functions.Allows(name);
}

bool CPagePolicy::AllowsPageFunction(const std::u16string& name) const {
  return AllowsExternal() && policy_.page_functions.Allows(name);
}

void CPagePolicy::LogRefusal(const std::u16string& what, const std::string& why) const {
  if (refusal_lines_.Allow()) LOG_INFO("external refused ", what, ": ", why);
}
