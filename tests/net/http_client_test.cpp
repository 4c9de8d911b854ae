// The libcurl client layer on its own: address cracking, proxy lists, setup rules, and the
// operations of one exchange against a scripted server.
#include "platform/http_client.h"

#include <gtest/gtest.h>

#include "local_servers.h"

namespace tuxia::platform {
namespace {

using test::ScriptedReply;
using test::ScriptedServer;

struct CrackCase {
  std::string_view url;
  bool ok;
  HttpUrlParts parts;
};

TEST(HttpCrackUrl, Table) {
  const CrackCase cases[] = {
      {"http://example.com/a/b.html?x=1&y=2",
       true,
       {false, "example.com", 80, "/a/b.html", "?x=1&y=2"}},
      {"https://example.com", true, {true, "example.com", 443, "", ""}},
      {"HTTP://Example.com:8080/", true, {false, "Example.com", 8080, "/", ""}},
      {"http://example.com?m=search", true, {false, "example.com", 80, "", "?m=search"}},
      {"http://example.com/p#frag", true, {false, "example.com", 80, "/p", ""}},
      {"http://example.com/p?q#frag", true, {false, "example.com", 80, "/p", "?q"}},
      {"http://user:pw@example.com:81/p", true, {false, "example.com", 81, "/p", ""}},
      {"http://[::1]:8443/x", true, {false, "[::1]", 8443, "/x", ""}},
      {"http://h/%E4%B8%AD?k=%D6%D0", true, {false, "h", 80, "/%E4%B8%AD", "?k=%D6%D0"}},
      {"", false, {}},
      {"example.com/path", false, {}},
      {"ftp://example.com/", false, {}},
      {"http://", false, {}},
      {"http:///path", false, {}},
      {"http://host:/", false, {}},
      {"http://host:0/", false, {}},
      {"http://host:65536/", false, {}},
      {"http://host:80x/", false, {}},
      {"http://[::1/", false, {}},
  };
  for (const CrackCase& c : cases) {
    HttpUrlParts parts;
    ASSERT_EQ(HttpCrackUrl(c.url, &parts), c.ok) << c.url;
    if (!c.ok) continue;
    EXPECT_EQ(parts.secure, c.parts.secure) << c.url;
    EXPECT_EQ(parts.host, c.parts.host) << c.url;
    EXPECT_EQ(parts.port, c.parts.port) << c.url;
    EXPECT_EQ(parts.path, c.parts.path) << c.url;
    EXPECT_EQ(parts.extra, c.parts.extra) << c.url;
  }
}

struct ProxyCase {
  std::string_view list;
  bool ok;
  std::string_view plain;
  std::string_view secure;
};

TEST(HttpSession, ProxyListsServeTheirSchemes) {
  const ProxyCase cases[] = {
      {"", true, "", ""},
      {"10.0.0.1:3128", true, "http://10.0.0.1:3128", "http://10.0.0.1:3128"},
      {"http=10.0.0.1:3128", true, "http://10.0.0.1:3128", ""},
      {"https=s:1;http=p:2", true, "http://p:2", "http://s:1"},
      {"proxy", true, "http://proxy:80", "http://proxy:80"},
      {"http=http://p:8", true, "http://p:8", ""},
      {"ftp=f:21 all:9", true, "http://all:9", "http://all:9"},
      {"[::1]:3128", true, "http://[::1]:3128", "http://[::1]:3128"},
      {"http=", false, "", ""},
      {"p:99999", false, "", ""},
      {"p:", false, "", ""},
  };
  for (const ProxyCase& c : cases) {
    const auto session = HttpSession::Open(c.list);
    ASSERT_EQ(session != nullptr, c.ok) << c.list;
    if (!session) continue;
    EXPECT_EQ(session->ProxyFor(false), c.plain) << c.list;
    EXPECT_EQ(session->ProxyFor(true), c.secure) << c.list;
  }
}

TEST(HttpConnection, NeedsAHostThatCanBeOne) {
  const auto session = HttpSession::Open("");
  ASSERT_NE(session, nullptr);
  EXPECT_NE(HttpConnection::Open(*session, "example.com", 80), nullptr);
  EXPECT_EQ(HttpConnection::Open(*session, "", 80), nullptr);
  EXPECT_EQ(HttpConnection::Open(*session, std::string(256, 'a'), 80), nullptr);
  EXPECT_EQ(HttpConnection::Open(*session, "example.com", 0), nullptr);
}

class HttpRequestSetup : public ::testing::Test {
 protected:
  std::unique_ptr<HttpRequest> Open(std::string_view method = "GET") {
    return HttpRequest::Open(*connection_, method, "/", false);
  }
  std::unique_ptr<HttpSession> session_ = HttpSession::Open("");
  std::unique_ptr<HttpConnection> connection_ = HttpConnection::Open(*session_, "127.0.0.1", 9);
};

TEST_F(HttpRequestSetup, MethodMustBeAToken) {
  EXPECT_NE(Open("GET"), nullptr);
  EXPECT_NE(Open("PROPFIND"), nullptr);
  EXPECT_EQ(Open(""), nullptr);
  EXPECT_EQ(Open("GET /x"), nullptr);
}

TEST_F(HttpRequestSetup, TimeoutsMustBePositive) {
  const auto request = Open();
  EXPECT_TRUE(request->SetTimeouts(1, 1, 1, 1));
  EXPECT_FALSE(request->SetTimeouts(0, 1000, 1000, 1000));
  EXPECT_FALSE(request->SetTimeouts(1000, 1000, 1000, -1));
}

TEST_F(HttpRequestSetup, BasicCredentialsThatCannotBeSentAreRefused) {
  const auto request = Open();
  EXPECT_TRUE(request->SetCredentials(HttpAuthTarget::kServer, "user", "pa:ss"));
  EXPECT_TRUE(request->SetCredentials(HttpAuthTarget::kProxy, "user", ""));
  EXPECT_FALSE(request->SetCredentials(HttpAuthTarget::kServer, "us:er", "x"));
  EXPECT_FALSE(request->SetCredentials(HttpAuthTarget::kProxy, "user\r\nX: 1", "x"));
  EXPECT_FALSE(request->SetCredentials(HttpAuthTarget::kServer, "user", std::string("a\0b", 3)));
}

TEST_F(HttpRequestSetup, HeaderLinesMustBeNameColonValue) {
  const auto request = Open();
  EXPECT_TRUE(request->AddHeaders(""));
  EXPECT_TRUE(request->AddHeaders("A: 1\r\n\r\nB:2\r\nC:\r\n"));
  EXPECT_FALSE(request->AddHeaders("no colon here\r\n"));
  EXPECT_FALSE(request->AddHeaders(": empty name\r\n"));
  EXPECT_FALSE(request->AddHeaders("Bad Name: 1\r\n"));
  EXPECT_FALSE(request->AddHeaders("A: 1\nB: 2\r\n"));
}

// The exchange through the layer, with the request bytes as the server saw them.
struct Exchange {
  std::unique_ptr<HttpSession> session;
  std::unique_ptr<HttpConnection> connection;
  std::unique_ptr<HttpRequest> request;
};

Exchange Open(const ScriptedServer& server, std::string_view method, std::string_view path) {
  Exchange e;
  e.session = HttpSession::Open("");
  e.connection =
      HttpConnection::Open(*e.session, "127.0.0.1", static_cast<std::uint16_t>(server.port()));
  e.request = HttpRequest::Open(*e.connection, method, path, false);
  return e;
}

std::string ReadAll(HttpRequest& request, bool* broke) {
  std::string body;
  *broke = false;
  for (;;) {
    std::size_t available = 0;
    if (!request.QueryDataAvailable(&available) || available == 0) return body;
    std::size_t read = 0;
    if (!request.ReadData(body, available, &read)) {
      *broke = true;
      return body;
    }
  }
}

TEST(HttpRequestExchange, HeadersReplaceByNameAndCurlAddsNothingOfItsOwn) {
  ScriptedServer server("HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok");
  Exchange e = Open(server, "POST", "/f?a=1");
  ASSERT_TRUE(e.request->AddHeaders("X-One: 1\r\nX-Two: 2\r\nx-one: 3\r\nX-Two:\r\n"));
  ASSERT_TRUE(e.request->AddHeaders("X-Three: 4\r\n"));
  const std::string body = "k=v";
  ASSERT_TRUE(e.request->Send({reinterpret_cast<const std::uint8_t*>(body.data()), body.size()}));
  ASSERT_TRUE(e.request->ReceiveResponse());
  bool broke = true;
  EXPECT_EQ(ReadAll(*e.request, &broke), "ok");
  EXPECT_FALSE(broke);
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0],
            "POST /f?a=1 HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server.port()) +
                "\r\nx-one: 3\r\nX-Three: 4\r\nContent-Length: 3\r\n\r\nk=v");
  std::string headers;
  ASSERT_TRUE(e.request->QueryRawHeaders(&headers));
  EXPECT_EQ(headers, "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\n");
  EXPECT_FALSE(e.request->DisableRedirects());
  EXPECT_FALSE(e.request->AddHeaders("A: 1"));
}

TEST(HttpRequestExchange, TargetBytesOutsidePrintableAsciiArePercentEncoded) {
  ScriptedServer server("HTTP/1.1 204 No Content\r\nConnection: close\r\n\r\n");
  Exchange e = Open(server, "GET", "/a b/\xD6\xD0?q=\x7F");
  ASSERT_TRUE(e.request->Send({}));
  ASSERT_TRUE(e.request->ReceiveResponse());
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_TRUE(server.Requests()[0].starts_with("GET /a%20b/%D6%D0?q=%7F HTTP/1.1\r\n"))
      << server.Requests()[0];
}

TEST(HttpRequestExchange, LineEndsOfRawHeadersBecomeCrLf) {
  ScriptedServer server("HTTP/1.0 200 OK\nX-A: 1\nContent-Length: 1\n\nz");
  Exchange e = Open(server, "GET", "/");
  ASSERT_TRUE(e.request->Send({}));
  ASSERT_TRUE(e.request->ReceiveResponse());
  std::string headers;
  ASSERT_TRUE(e.request->QueryRawHeaders(&headers));
  EXPECT_EQ(headers, "HTTP/1.0 200 OK\r\nX-A: 1\r\nContent-Length: 1\r\n\r\n");
}

TEST(HttpRequestExchange, InterimResponsesAreNotTheResponse) {
  ScriptedServer server(
      "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 1\r\nConnection: "
      "close\r\n\r\nz");
  Exchange e = Open(server, "GET", "/");
  ASSERT_TRUE(e.request->Send({}));
  ASSERT_TRUE(e.request->ReceiveResponse());
  std::string headers;
  ASSERT_TRUE(e.request->QueryRawHeaders(&headers));
  EXPECT_EQ(headers, "HTTP/1.1 200 OK\r\nContent-Length: 1\r\nConnection: close\r\n\r\n");
}

TEST(HttpRequestExchange, ABreakAfterTheHeadersIsReportedByTheRead) {
  ScriptedServer server("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc");
  Exchange e = Open(server, "GET", "/");
  ASSERT_TRUE(e.request->Send({}));
  ASSERT_TRUE(e.request->ReceiveResponse());
  bool broke = false;
  EXPECT_EQ(ReadAll(*e.request, &broke), "abc");
  EXPECT_TRUE(broke);
  std::string headers;
  EXPECT_TRUE(e.request->QueryRawHeaders(&headers));
}

TEST(HttpRequestExchange, HeadersBeyondTheBoundAreRefused) {
  std::string reply = "HTTP/1.1 200 OK\r\n";
  const std::string line = "X-Filler: " + std::string(1000, 'f') + "\r\n";
  while (reply.size() <= HttpRequest::kMaxHeaderBytes) reply += line;
  ScriptedServer server(reply + "Content-Length: 0\r\n\r\n");
  Exchange e = Open(server, "GET", "/");
  ASSERT_TRUE(e.request->Send({}));
  EXPECT_FALSE(e.request->ReceiveResponse());
  std::string headers;
  EXPECT_FALSE(e.request->QueryRawHeaders(&headers));
}

TEST(HttpRequestExchange, SendTwiceFails) {
  ScriptedServer server("HTTP/1.1 204 No Content\r\nConnection: close\r\n\r\n");
  Exchange e = Open(server, "GET", "/");
  ASSERT_TRUE(e.request->Send({}));
  EXPECT_FALSE(e.request->Send({}));
}

}  // namespace
}  // namespace tuxia::platform
