#include "net/request_settings.h"

#include <cstdint>
#include <limits>

#include "text/text.h"

namespace tuxia {
namespace {

struct DefaultLine {
  std::string_view probe;
  bool ignoreCase;
  std::string_view line;
};

// Probed in this order over the growing text, so a line added by one row is seen by the next.
// "Content-Type:" alone is probed with exact letter case and without the trailing space.
constexpr DefaultLine kDefaultLines[] = {
    {"User-Agent: ", true,
     "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n"},
    {"Accept: ", true, "Accept: text/html, application/xhtml+xml, */*\r\n"},
    {"Accept-Encoding: ", true, "Accept-Encoding: gbk, GB2312\r\n"},
    {"Accept-Language: ", true, "Accept-Language: zh-cn\r\n"},
    {"Content-Type:", false, "Content-Type: application/x-www-form-urlencoded\r\n"},
    {"Cache-Control: ", true, "Cache-Control: no-cache\r\n"},
};

}  // namespace

std::string MethodText(int method) {
  switch (method) {
    case 1:
      return "POST";
    case 2:
      return "HEAD";
    case 3:
      return "PUT";
    default:
      return "GET";
  }
}

int TimeoutMilliseconds(int timeoutSeconds) {
  if (timeoutSeconds <= 0) return 30000;
  const std::int64_t ms = static_cast<std::int64_t>(timeoutSeconds) * 1000;
  return ms > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max()
                                              : static_cast<int>(ms);
}

std::string ProxyText(std::string_view proxy, bool secure) {
  if (proxy.empty()) return {};
  if (secure) return std::string(proxy);
  return ConcatText({"http=", proxy});
}

std::string RequestPath(std::string_view path, std::string_view extra) {
  if (path.empty()) return ConcatText({"/", extra});
  return ConcatText({path, extra});
}

std::string RequestHeaderText(std::string_view extraHeaders, std::string_view cookies) {
  std::string text;
  if (!extraHeaders.empty()) text = ConcatText({extraHeaders, "\r\n"});
  for (const DefaultLine& row : kDefaultLines) {
    if (FindText(text, row.probe, 1, row.ignoreCase) < 0) text += row.line;
  }
  if (FindText(text, "Cookie: ", 1, true) < 0 && !cookies.empty()) {
    text += ConcatText({"Cookie: ", cookies, "\r\n"});
  }
  return text;
}

}  // namespace tuxia
