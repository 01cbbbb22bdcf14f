#pragma once
// Sending one crash to the collector: an HTTP POST of the form body, with bounded timeouts.

#include <windows.h>

#include <string>
#include <string_view>

#include "crash/form_body.h"

namespace wrenfall {

struct PostResult {
  bool reached = false;  // an HTTP answer came back
  DWORD status = 0;      // its status code
  std::string error;     // why no answer came
  bool accepted() const { return reached && status >= 200 && status < 300; }
};

// POSTs head + file + tail to url (http or https). Each step (name lookup, connection, sending,
// the answer) is bounded by timeout_ms.
PostResult PostForm(const std::wstring& url, DWORD timeout_ms, const crash::FormBody& body, std::string_view file);

}  // namespace wrenfall
