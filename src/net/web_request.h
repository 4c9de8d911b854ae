#pragma once
// One synchronous HTTP exchange on the calling (GUI) thread; the body comes back as GBK text.
// Window messages are dispatched only at fixed points (ProcessPendingMessages).
#include <string>
#include <string_view>

#include "text/types.h"

namespace tuxia {

// Parameters 2 to 18 of a web request, in their order. Output pointers left null are
// discarded; an output is written only where the exchange says so, otherwise the caller's
// value stays.
struct WebRequestArgs {
  int method = 0;  // 0 GET, 1 POST, 2 HEAD, 3 PUT, anything else GET
  std::string_view postData;
  std::string* cookies = nullptr;  // in and out; null means "not supplied"
  std::string* returnedCookies = nullptr;
  std::string_view extraHeaders;
  std::string* returnedHeaders = nullptr;
  bool noRedirect = false;
  std::string_view userName;
  std::string_view password;
  std::string_view proxy;
  std::string_view proxyUser;
  std::string_view proxyPassword;
  int timeoutSeconds = 0;  // 0 or less: 30 seconds per phase
  std::string* redirectUrl = nullptr;
  std::string* statusText = nullptr;  // numbered error text, or the HTTP status
  Bytes* responseBytes = nullptr;
  bool mergeCookies = true;
};

[[nodiscard]] std::string WebRequest(std::string_view url, const WebRequestArgs& args = {});

}  // namespace tuxia
