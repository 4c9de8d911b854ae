// What a web request puts on the wire, byte for byte, as a scripted server receives it.
// Besides the caller's header text only Host, Content-Length and Authorization go out.
#include <gtest/gtest.h>

#include "local_servers.h"
#include "net/web_request.h"
#include "text/codepage.h"

namespace tuxia {
namespace {

using test::ScriptedServer;

constexpr std::string_view kSixDefaults =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n"
    "Accept: text/html, application/xhtml+xml, */*\r\n"
    "Accept-Encoding: gbk, GB2312\r\n"
    "Accept-Language: zh-cn\r\n"
    "Content-Type: application/x-www-form-urlencoded\r\n"
    "Cache-Control: no-cache\r\n";

constexpr std::string_view kAnswer =
    "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok";

class Wire : public ::testing::Test {
 protected:
  // The one request the server saw for `url` (a path on the server) with `args`.
  std::string Sent(std::string_view path, const WebRequestArgs& args = {}) {
    std::string status;
    WebRequestArgs withStatus = args;
    withStatus.statusText = &status;
    const std::string result = WebRequest(server_.Url(path), withStatus);
    EXPECT_EQ(status, "200 OK");
    const std::vector<std::string> requests = server_.Requests();
    EXPECT_EQ(requests.size(), 1u);
    return requests.empty() ? std::string() : requests.back();
  }
  std::string Host() const { return "Host: 127.0.0.1:" + std::to_string(server_.port()) + "\r\n"; }

  ScriptedServer server_{std::string(kAnswer)};
};

TEST_F(Wire, DefaultsAreTheRequestLineHostAndTheSixLines) {
  EXPECT_EQ(Sent("/list/1.html?k=%CB%D8"),
            "GET /list/1.html?k=%CB%D8 HTTP/1.1\r\n" + Host() + std::string(kSixDefaults) + "\r\n");
}

TEST_F(Wire, AQueryWithoutPathAsksForTheRootAndKeepsTheQuery) {
  const std::string sent = Sent("?m=search&a=pinYin&keyword=%CB%D8");
  EXPECT_TRUE(sent.starts_with("GET /?m=search&a=pinYin&keyword=%CB%D8 HTTP/1.1\r\n")) << sent;
}

struct MethodCase {
  int method;
  std::string_view postData;
  std::string_view requestLine;
  std::string_view tail;  // after the six lines
};

TEST_F(Wire, MethodsAndBodies) {
  const MethodCase cases[] = {
      {1, "a=1&b=%D6%D0", "POST /f HTTP/1.1\r\n", "Content-Length: 12\r\n\r\na=1&b=%D6%D0"},
      {1, "", "POST /f HTTP/1.1\r\n", "Content-Length: 0\r\n\r\n"},
      {3, "k=v", "PUT /f HTTP/1.1\r\n", "Content-Length: 3\r\n\r\nk=v"},
      {0, "q=1", "GET /f HTTP/1.1\r\n", "Content-Length: 3\r\n\r\nq=1"},
      {9, "", "GET /f HTTP/1.1\r\n", "\r\n"},
      {-1, "", "GET /f HTTP/1.1\r\n", "\r\n"},
  };
  for (const MethodCase& c : cases) {
    ScriptedServer server{std::string(kAnswer)};
    WebRequestArgs args;
    args.method = c.method;
    args.postData = c.postData;
    (void)WebRequest(server.Url("/f"), args);
    ASSERT_EQ(server.Requests().size(), 1u) << c.method;
    EXPECT_EQ(server.Requests()[0], std::string(c.requestLine) +
                                        "Host: 127.0.0.1:" + std::to_string(server.port()) +
                                        "\r\n" + std::string(kSixDefaults) + std::string(c.tail))
        << c.method;
  }
}

TEST_F(Wire, HeadSendsTheHeadersOnly) {
  ScriptedServer server("HTTP/1.1 200 OK\r\nContent-Length: 5\r\nConnection: close\r\n\r\n");
  WebRequestArgs args;
  args.method = 2;
  std::string status;
  args.statusText = &status;
  EXPECT_EQ(WebRequest(server.Url("/h"), args), "");
  EXPECT_EQ(status, "200 OK");
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0],
            "HEAD /h HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server.port()) + "\r\n" +
                std::string(kSixDefaults) + "\r\n");
}

TEST_F(Wire, ExtraHeadersComeFirstAndStopTheirDefaults) {
  WebRequestArgs args;
  args.extraHeaders = "X-Token: t\r\nuser-agent: Mine\r\nReferer: http://a/";
  EXPECT_EQ(Sent("/", args), "GET / HTTP/1.1\r\n" + Host() +
                                 "X-Token: t\r\nuser-agent: Mine\r\nReferer: http://a/\r\n"
                                 "Accept: text/html, application/xhtml+xml, */*\r\n"
                                 "Accept-Encoding: gbk, GB2312\r\n"
                                 "Accept-Language: zh-cn\r\n"
                                 "Content-Type: application/x-www-form-urlencoded\r\n"
                                 "Cache-Control: no-cache\r\n\r\n");
}

TEST_F(Wire, ALineOfTheSameNameReplacesTheEarlierOne) {
  // The lower-case content type does not stop the default line, which then replaces it.
  WebRequestArgs args;
  args.extraHeaders = "content-type: text/plain\r\n";
  EXPECT_EQ(Sent("/", args), "GET / HTTP/1.1\r\n" + Host() +
                                 "Content-Type: application/x-www-form-urlencoded\r\n"
                                 "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT "
                                 "6.1; WOW64; Trident/5.0)\r\n"
                                 "Accept: text/html, application/xhtml+xml, */*\r\n"
                                 "Accept-Encoding: gbk, GB2312\r\n"
                                 "Accept-Language: zh-cn\r\n"
                                 "Cache-Control: no-cache\r\n\r\n");
}

TEST_F(Wire, SuppliedCookiesGoLastAndACallersCookieLineWins) {
  std::string cookies = Gbk("a=1; name=图匣");
  WebRequestArgs args;
  args.cookies = &cookies;
  EXPECT_EQ(Sent("/", args), "GET / HTTP/1.1\r\n" + Host() + std::string(kSixDefaults) +
                                 "Cookie: " + Gbk("a=1; name=图匣") + "\r\n\r\n");
}

TEST(WireCookies, ACallersCookieLineWinsOverSuppliedCookies) {
  ScriptedServer server{std::string(kAnswer)};
  std::string cookies = "a=1";
  WebRequestArgs args;
  args.cookies = &cookies;
  args.extraHeaders = "Cookie: mine=2";
  (void)WebRequest(server.Url("/"), args);
  ASSERT_EQ(server.Requests().size(), 1u);
  const std::string sent = server.Requests()[0];
  EXPECT_NE(sent.find("\r\nCookie: mine=2\r\n"), std::string::npos) << sent;
  EXPECT_EQ(sent.find("a=1"), std::string::npos) << sent;
}

TEST_F(Wire, ServerCredentialsNeedBothTexts) {
  WebRequestArgs args;
  args.userName = "user";
  args.password = "secret";
  // base64("user:secret")
  EXPECT_EQ(Sent("/", args), "GET / HTTP/1.1\r\n" + Host() +
                                 "Authorization: Basic dXNlcjpzZWNyZXQ=\r\n" +
                                 std::string(kSixDefaults) + "\r\n");
}

TEST(WireCredentials, AUserNameWithoutPasswordSendsNoCredentials) {
  ScriptedServer server{std::string(kAnswer)};
  WebRequestArgs args;
  args.userName = "user";
  std::string status;
  args.statusText = &status;
  (void)WebRequest(server.Url("/"), args);
  EXPECT_EQ(status, "200 OK");
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0].find("Authorization"), std::string::npos);
}

TEST_F(Wire, AnEmptyLineInTheHeaderTextIsNotSent) {
  WebRequestArgs args;
  args.extraHeaders = "X-A: 1\r\n";
  EXPECT_EQ(Sent("/", args),
            "GET / HTTP/1.1\r\n" + Host() + "X-A: 1\r\n" + std::string(kSixDefaults) + "\r\n");
}

TEST(WireProxy, AProxyGetsTheWholeAddressAndItsCredentials) {
  // The scripted server plays the proxy: it sees the request as a proxy does.
  ScriptedServer proxy{std::string(kAnswer)};
  const std::string address = "127.0.0.1:" + std::to_string(proxy.port());
  WebRequestArgs args;
  args.proxy = address;
  args.proxyUser = "puser";
  args.proxyPassword = "ppass";
  std::string status;
  args.statusText = &status;
  EXPECT_EQ(WebRequest("http://site.test/list?p=2", args), "ok");
  EXPECT_EQ(status, "200 OK");
  ASSERT_EQ(proxy.Requests().size(), 1u);
  // base64("puser:ppass")
  EXPECT_EQ(proxy.Requests()[0],
            "GET http://site.test/list?p=2 HTTP/1.1\r\nHost: site.test\r\n"
            "Proxy-Authorization: Basic cHVzZXI6cHBhc3M=\r\n" +
                std::string(kSixDefaults) + "\r\n");
}

}  // namespace
}  // namespace tuxia
