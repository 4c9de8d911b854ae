// The settings a web request derives from its arguments, and its request header text.
#include "net/request_settings.h"

#include <gtest/gtest.h>

#include <limits>

namespace tuxia {
namespace {

constexpr std::string_view kUserAgent =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n";
constexpr std::string_view kAccept = "Accept: text/html, application/xhtml+xml, */*\r\n";
constexpr std::string_view kAcceptEncoding = "Accept-Encoding: gbk, GB2312\r\n";
constexpr std::string_view kAcceptLanguage = "Accept-Language: zh-cn\r\n";
constexpr std::string_view kContentType = "Content-Type: application/x-www-form-urlencoded\r\n";
constexpr std::string_view kCacheControl = "Cache-Control: no-cache\r\n";

std::string Join(std::initializer_list<std::string_view> parts) {
  std::string out;
  for (std::string_view part : parts) out += part;
  return out;
}

const std::string kSixDefaults =
    Join({kUserAgent, kAccept, kAcceptEncoding, kAcceptLanguage, kContentType, kCacheControl});

TEST(MethodText, NumbersMapToMethodsAndEverythingElseIsGet) {
  const std::pair<int, std::string_view> cases[] = {
      {0, "GET"}, {1, "POST"}, {2, "HEAD"}, {3, "PUT"}, {4, "GET"}, {9, "GET"}, {-1, "GET"}};
  for (const auto& [method, text] : cases) EXPECT_EQ(MethodText(method), text) << method;
}

TEST(TimeoutMilliseconds, PositiveSecondsTimesAThousandOtherwiseThirtySeconds) {
  EXPECT_EQ(TimeoutMilliseconds(5), 5000);
  EXPECT_EQ(TimeoutMilliseconds(1), 1000);
  EXPECT_EQ(TimeoutMilliseconds(0), 30000);
  EXPECT_EQ(TimeoutMilliseconds(-3), 30000);
}

TEST(TimeoutMilliseconds, HugeSecondsSaturateInsteadOfOverflowing) {
  EXPECT_EQ(TimeoutMilliseconds(std::numeric_limits<int>::max()), std::numeric_limits<int>::max());
  EXPECT_EQ(TimeoutMilliseconds(2147483), 2147483000);
  EXPECT_EQ(TimeoutMilliseconds(2147484), std::numeric_limits<int>::max());
}

TEST(ProxyText, EmptyWithoutProxyPlainHttpIsLimitedToHttp) {
  EXPECT_EQ(ProxyText("", false), "");
  EXPECT_EQ(ProxyText("", true), "");
  EXPECT_EQ(ProxyText("10.0.0.1:3128", false), "http=10.0.0.1:3128");
  EXPECT_EQ(ProxyText("10.0.0.1:3128", true), "10.0.0.1:3128");
}

TEST(RequestPath, PathAndQueryAndAQueryWithoutPathAsksForTheRoot) {
  EXPECT_EQ(RequestPath("/a/b.html", "?x=1"), "/a/b.html?x=1");
  EXPECT_EQ(RequestPath("/a", ""), "/a");
  EXPECT_EQ(RequestPath("", "?m=search&a=1"), "/?m=search&a=1");
  EXPECT_EQ(RequestPath("", ""), "/");
}

struct HeaderCase {
  const char* what;
  std::string_view extra;
  std::string_view cookies;
  std::string expected;
};

TEST(RequestHeaderText, DefaultsProbesAndCookieLine) {
  const HeaderCase cases[] = {
      {"nothing given: the six defaults in order", "", "", kSixDefaults},
      {"a lower-case user agent stops the default one", "user-agent: X", "",
       Join({"user-agent: X\r\n", kAccept, kAcceptEncoding, kAcceptLanguage, kContentType,
             kCacheControl})},
      {"a lower-case content type does not stop the default one", "content-type: text/plain", "",
       Join({"content-type: text/plain\r\n", kSixDefaults})},
      {"exact Content-Type stops it", "Content-Type: text/plain", "",
       Join({"Content-Type: text/plain\r\n", kUserAgent, kAccept, kAcceptEncoding, kAcceptLanguage,
             kCacheControl})},
      {"extra text ending in CR LF gets a second one", "X-A: 1\r\n", "",
       Join({"X-A: 1\r\n\r\n", kSixDefaults})},
      {"the probe is a substring search: Accept: inside X-Accept: counts", "X-Accept: 1", "",
       Join({"X-Accept: 1\r\n", kUserAgent, kAcceptEncoding, kAcceptLanguage, kContentType,
             kCacheControl})},
      {"Accept-Encoding: does not hold Accept: so both are added", "ACCEPT-ENCODING: br", "",
       Join({"ACCEPT-ENCODING: br\r\n", kUserAgent, kAccept, kAcceptLanguage, kContentType,
             kCacheControl})},
      {"cookies go last", "", "a=1; b=2", Join({kSixDefaults, "Cookie: a=1; b=2\r\n"})},
      {"a caller's cookie line wins", "cookie: z=9", "a=1",
       Join({"cookie: z=9\r\n", kSixDefaults})},
      {"so does a Set-Cookie line", "Set-Cookie: z=9", "a=1",
       Join({"Set-Cookie: z=9\r\n", kSixDefaults})},
      {"a probe without its space does not match", "User-Agent:X", "",
       Join({"User-Agent:X\r\n", kSixDefaults})},
  };
  for (const HeaderCase& c : cases) {
    EXPECT_EQ(RequestHeaderText(c.extra, c.cookies), c.expected) << c.what;
  }
}

}  // namespace
}  // namespace tuxia
