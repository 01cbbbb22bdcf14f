#include "collector_win.h"

#include <winhttp.h>

#include <algorithm>
#include <vector>

namespace wrenfall {

namespace {

class InternetHandle {
 public:
  explicit InternetHandle(HINTERNET handle) : handle_(handle) {}
  ~InternetHandle() {
    if (handle_ != nullptr) WinHttpCloseHandle(handle_);
  }
  InternetHandle(const InternetHandle&) = delete;
  InternetHandle& operator=(const InternetHandle&) = delete;
  HINTERNET get() const { return handle_; }

 private:
  HINTERNET handle_;
};

PostResult Failed(const char* what) {
  PostResult result;
  result.error = std::string(what) + " (error " + std::to_string(GetLastError()) + ")";
  return result;
}

bool WriteAll(HINTERNET request, std::string_view bytes) {
  constexpr size_t kChunk = 64 * 1024;
  while (!bytes.empty()) {
    const DWORD size = static_cast<DWORD>(std::min(bytes.size(), kChunk));
    DWORD written = 0;
    if (!WinHttpWriteData(request, bytes.data(), size, &written) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

bool IsLoopback(const std::wstring& host) {
  return _wcsicmp(host.c_str(), L"localhost") == 0 || host.rfind(L"127.", 0) == 0 || host == L"[::1]" ||
         host == L"::1";
}

}  // namespace

PostResult PostForm(const std::wstring& url, DWORD timeout_ms, const crash::FormBody& body, std::string_view file) {
  URL_COMPONENTS parts{};
  parts.dwStructSize = sizeof parts;
  parts.dwHostNameLength = static_cast<DWORD>(-1);
  parts.dwUrlPathLength = static_cast<DWORD>(-1);
  parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (!WinHttpCrackUrl(url.c_str(), 0, 0, &parts) ||
      (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS)) {
    return Failed("not an http or https address");
  }
  const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
  std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength);
  if (parts.lpszExtraInfo != nullptr) path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  if (path.empty()) path = L"/";

  // A proxy configured for the machine must not take requests meant for this machine.
  const InternetHandle session(WinHttpOpen(
      L"Wrenfall/1.0", IsLoopback(host) ? WINHTTP_ACCESS_TYPE_NO_PROXY : WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
      WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
  if (session.get() == nullptr) return Failed("WinHttpOpen failed");
  const int timeout = static_cast<int>(timeout_ms);
  WinHttpSetTimeouts(session.get(), timeout, timeout, timeout, timeout);
  const InternetHandle connection(WinHttpConnect(session.get(), host.c_str(), parts.nPort, 0));
  if (connection.get() == nullptr) return Failed("WinHttpConnect failed");
  const InternetHandle request(WinHttpOpenRequest(connection.get(), L"POST", path.c_str(), nullptr,
                                                  WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                                  parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0));
  if (request.get() == nullptr) return Failed("WinHttpOpenRequest failed");

  const std::string content_type = "Content-Type: " + body.content_type + "\r\n";
  const std::wstring headers(content_type.begin(), content_type.end());
  const uint64_t total = body.head.size() + file.size() + body.tail.size();
  if (total > 0xFFFFFFFFull) {
    PostResult result;
    result.error = "the dump is too large to send";
    return result;
  }
  if (!WinHttpSendRequest(request.get(), headers.c_str(), static_cast<DWORD>(-1), WINHTTP_NO_REQUEST_DATA, 0,
                          static_cast<DWORD>(total), 0)) {
    return Failed("cannot reach the collector");
  }
  if (!WriteAll(request.get(), body.head) || !WriteAll(request.get(), file) || !WriteAll(request.get(), body.tail)) {
    return Failed("sending the dump failed");
  }
  if (!WinHttpReceiveResponse(request.get(), nullptr)) return Failed("no answer from the collector");
  PostResult result;
  DWORD size = sizeof result.status;
  if (!WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                           WINHTTP_HEADER_NAME_BY_INDEX, &result.status, &size, WINHTTP_NO_HEADER_INDEX)) {
    return Failed("the collector's answer has no status");
  }
  result.reached = true;
  return result;
}

}  // namespace wrenfall
