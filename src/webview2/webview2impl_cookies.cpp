// A browser window's cookies: set from the parent's cookie texts, listed for event 13, deleted.
#include "webview2/webview2impl.h"

#include "base/secret_mask.h"
#include "base/text_win.h"
#include "log/logger.h"
#include "webview2common/com_text_win.h"
#include "webview2common/cookie_text.h"
#include "webview2common/url_parts.h"

bool CWebView2Impl::SetCookie(const std::u16string& url, const std::u16string& cookies) {
  if (url.empty() || cookies.empty()) return false;
  if (!cookie_manager_) {
    if (webview_ || closed_) return false;  // a web view without a cookie manager never gets one
    // Kept until the cookie manager exists, and set there before the first navigation.
    pending_cookies_.emplace_back(url, cookies);
    return true;
  }
  const UrlHostPath parts = SplitHostAndPath(url);
  const std::u16string path = parts.path.empty() ? u"/" : parts.path;
  int stored = 0;
  for (const CookiePair& pair : SplitCookieText(cookies)) {
    ComPtr<ICoreWebView2Cookie> cookie;
    if (FAILED(cookie_manager_->CreateCookie(as_wcstr(pair.name), as_wcstr(pair.value),
                                             as_wcstr(parts.host), as_wcstr(path), cookie.Put())) ||
        !cookie) {
      break;
    }
    cookie->put_IsSecure(FALSE);
    cookie->put_IsHttpOnly(FALSE);
    cookie_manager_->AddOrUpdateCookie(cookie.get());
    ++stored;
  }
  return stored > 0;
}

void CWebView2Impl::SetPendingCookies() {
  std::vector<std::pair<std::u16string, std::u16string>> pending;
  pending.swap(pending_cookies_);
  for (const auto& [url, cookies] : pending) SetCookie(url, cookies);
}

namespace {

// One cookie of a read, or an unreadable record when a property cannot be read.
CookieRecord ReadCookie(ICoreWebView2Cookie* cookie) {
  CookieRecord record;
  LPWSTR name = nullptr, value = nullptr, domain = nullptr, path = nullptr;
  BOOL http_only = FALSE, secure = FALSE, session = FALSE;
  COREWEBVIEW2_COOKIE_SAME_SITE_KIND same_site = COREWEBVIEW2_COOKIE_SAME_SITE_KIND_NONE;
  double expires = 0;
  const bool ok = SUCCEEDED(cookie->get_Name(&name)) && SUCCEEDED(cookie->get_Value(&value)) &&
                  SUCCEEDED(cookie->get_Domain(&domain)) && SUCCEEDED(cookie->get_Path(&path)) &&
                  SUCCEEDED(cookie->get_IsHttpOnly(&http_only)) && SUCCEEDED(cookie->get_IsSecure(&secure)) &&
                  SUCCEEDED(cookie->get_SameSite(&same_site)) && SUCCEEDED(cookie->get_IsSession(&session)) &&
                  SUCCEEDED(cookie->get_Expires(&expires));
  record.name = TakeCoTaskString(name);
  record.value = TakeCoTaskString(value);
  record.domain = TakeCoTaskString(domain);
  record.path = TakeCoTaskString(path);
  record.readable = ok;
  record.http_only = http_only != FALSE;
  record.secure = secure != FALSE;
  record.same_site = static_cast<int>(same_site);
  record.session = session != FALSE;
  record.expires = expires;
  return record;
}

}  // namespace

HRESULT CWebView2Impl::GetCookies(const std::u16string& url, bool http_only) {
  if (!cookie_manager_) return S_FALSE;
  auto handler = MakeCallback<ICoreWebView2GetCookiesCompletedHandler, HRESULT, ICoreWebView2CookieList*>(
      WhileAlive([http_only](CWebView2Impl* self, HRESULT result, ICoreWebView2CookieList* list) {
        LOG_INFO("get cookie callback error=", static_cast<long>(result));
        UINT32 count = 0;
        if (result != S_OK || list == nullptr || FAILED(list->get_Count(&count))) return S_OK;
        std::vector<CookieRecord> cookies;
        for (UINT32 i = 0; i < count; ++i) {
          ComPtr<ICoreWebView2Cookie> cookie;
          if (FAILED(list->GetValueAtIndex(i, cookie.Put())) || !cookie) break;
          cookies.push_back(ReadCookie(cookie.get()));
        }
        const std::u16string text = FormatCookieListing(cookies, count, http_only);
        std::vector<CookieRecord> masked = cookies;
        for (CookieRecord& cookie : masked) cookie.value = text::MaskSecret(cookie.value);
        LOG_INFO("get cookie result:", FormatCookieListing(masked, count, http_only));
        self->SendToParent(IPC::CookieListEvent{self->current_url_, text});
        return S_OK;
      }));
  return cookie_manager_->GetCookies(as_wcstr(url), handler.get());
}

HRESULT CWebView2Impl::DeleteCookie(const std::u16string& name, const std::u16string& url) {
  LOG_INFO("delete cookie name:", name, "uri", url);
  if (!cookie_manager_) return S_FALSE;
  return cookie_manager_->DeleteCookies(as_wcstr(name), as_wcstr(url));
}
