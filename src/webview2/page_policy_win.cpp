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
  // Looking names up on a share would hand its server the user's credentials before the policy
  // has said a word: only a drive's short names are expanded; others stay as written (and so
  // match no listed prefix).
  const size_t drive = full.compare(0, 4, L"\\\\?\\") == 0 ? 4 : 0;
  if (full.size() < drive + 3 || full[drive + 1] != L':' || full[drive + 2] != L'\\') return to_u16(full.c_str());
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

// Upper case as the system compares file and registry names, beyond ASCII ("é" and "É" name the
// same folder).
std::u16string SystemUpper(const std::u16string& text) {
  if (text.empty() || text.size() > 32768) return text;
  std::wstring upper(text.size(), L'\0');
  const int n = LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, as_wcstr(text), static_cast<int>(text.size()),
                              upper.data(), static_cast<int>(upper.size()), nullptr, nullptr, 0);
  if (n <= 0) return text;
  upper.resize(static_cast<size_t>(n));
  return to_u16(upper.c_str());
}

const policy::SystemNames& System() {
  static const policy::SystemNames names{&Resolve, &SystemUpper};
  return names;
}

// The policy's own prefixes and programs in the form every checked name takes: short names
// expanded and upper case beyond ASCII, so that "C:\PROGRA~1" in a policy is "C:\Program Files".
policy::ExternalPolicy InSystemForm(policy::ExternalPolicy policy) {
  for (auto* list : {&policy.paths, &policy.programs}) {
    if (!*list) continue;
    for (std::u16string& entry : **list) {
      if (std::optional<std::u16string> normalized = policy::NormalizePath(System().Path(entry))) entry = *normalized;
    }
  }
  if (policy.registry) {
    for (std::u16string& key : *policy.registry) key = SystemUpper(key);
  }
  return policy;
}

std::vector<std::u16string> StartupFolders() {
  std::vector<std::u16string> folders;
  for (int id : {CSIDL_STARTUP, CSIDL_COMMON_STARTUP, CSIDL_ALTSTARTUP, CSIDL_COMMON_ALTSTARTUP}) {
    wchar_t folder[MAX_PATH] = {};
    if (SHGetFolderPathW(nullptr, id, nullptr, SHGFP_TYPE_CURRENT, folder) != S_OK) continue;
    if (std::optional<std::u16string> normalized = policy::NormalizePath(System().Path(to_u16(folder)))) {
      folders.push_back(std::move(*normalized));
    }
  }
  return folders;
}

}  // namespace

CPagePolicy::CPagePolicy(policy::ExternalPolicy policy)
    : policy_(InSystemForm(std::move(policy))), startup_folders_(StartupFolders()) {}

bool CPagePolicy::AllowsExternal() const {
  return documents_.current() && policy::AllowsExternal(policy_, *documents_.current());
}

bool CPagePolicy::OffersExternal() const {
  return documents_.offered() && policy::AllowsExternal(policy_, *documents_.offered());
}

std::optional<std::string> CPagePolicy::BuiltinRefusal(const std::u16string& name,
                                                       const std::vector<std::u16string>& params) const {
  if (!AllowsExternal()) return std::string("the page shown now has no external");
  return policy::BuiltinRefusal(policy_, *documents_.current(), text::Utf16ToUtf8(name), params, System(), startup_folders_);
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
