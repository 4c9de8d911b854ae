#pragma once
// What a web request sends, derived from its arguments: the method text, the per-phase timeout,
// the proxy text, the request target and the request header text with its default lines.
#include <string>
#include <string_view>

namespace tuxia {

// 0 GET, 1 POST, 2 HEAD, 3 PUT, anything else GET.
[[nodiscard]] std::string MethodText(int method);
// `timeoutSeconds` x 1000 when above 0 (at most the largest int), else 30000.
[[nodiscard]] int TimeoutMilliseconds(int timeoutSeconds);
// Empty without a proxy; for plain http the proxy is limited to that scheme ("http=" prefix).
[[nodiscard]] std::string ProxyText(std::string_view proxy, bool secure);
// Path and query; an address with no path asks for "/" and keeps its query.
[[nodiscard]] std::string RequestPath(std::string_view path, std::string_view extra);
// The caller's lines, then each default line whose header the text does not name yet, then the
// cookie line when `cookies` is not empty and no line holds "Cookie: ".
[[nodiscard]] std::string RequestHeaderText(std::string_view extraHeaders,
                                            std::string_view cookies);

}  // namespace tuxia
