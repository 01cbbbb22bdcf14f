#pragma once
// A window's external policy at work: the top document now shown, and the checks
// that `external` makes at every call against it. Shared by the window, its host object and its
// built-ins; a window without a policy has none of this and allows everything.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/line_throttle.h"
#include "webview2/external_policy.h"

class CPagePolicy {
 public:
  explicit CPagePolicy(policy::ExternalPolicy policy);

  // The top document shown now and the one being loaded, told by the browser's events.
  policy::DocumentTracker& documents() { return documents_; }
  // Whether the document shown now may call `external`.
  bool AllowsExternal() const;
  // Whether `external` is to be offered: to the document being loaded, or else the one shown.
  bool OffersExternal() const;
  // Why a built-in call is refused, or nothing.
  std::optional<std::string> BuiltinRefusal(const std::u16string& name, const std::vector<std::u16string>& params) const;
  bool AllowsParentFunction(const std::u16string& name) const;
  bool AllowsPageFunction(const std::u16string& name) const;
  // Logs a refusal, a few lines a second at most.
  void LogRefusal(const std::u16string& what, const std::string& why) const;

 private:
  const policy::ExternalPolicy policy_;
  policy::DocumentTracker documents_;
  std::vector<std::u16string> startup_folders_;
  mutable base::LineThrottle refusal_lines_{5};
};
