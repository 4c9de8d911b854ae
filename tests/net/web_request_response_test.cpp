// What a web request gives back: status, headers, cookies, redirects, bodies, failures.
#include <gtest/gtest.h>

#include "local_servers.h"
#include "net/web_request.h"
#include "text/codepage.h"

namespace tuxia {
namespace {

using test::HttpServer;
using test::RefusingPort;
using test::ScriptedReply;
using test::ScriptedServer;

// Every output of a call, each starting with a value the call must overwrite or keep.
struct Outputs {
  std::string result;
  std::string status = "caller's status";
  std::string headers = "caller's headers";
  std::string cookies = "caller's cookies";
  std::string redirect = "caller's redirect";
  Bytes bytes = {'c', 'a', 'l', 'l', 'e', 'r'};
};

Outputs Fetch(const std::string& url, WebRequestArgs args = {}) {
  Outputs out;
  args.statusText = &out.status;
  args.returnedHeaders = &out.headers;
  args.returnedCookies = &out.cookies;
  args.redirectUrl = &out.redirect;
  args.responseBytes = &out.bytes;
  out.result = WebRequest(url, args);
  return out;
}

Bytes ToBytes(std::string_view text) { return Bytes(text.begin(), text.end()); }

void AddRoutes(httplib::Server& server) {
  server.Get("/missing", [](const httplib::Request&, httplib::Response& res) {
    res.status = 404;
    res.set_content("no such page", "text/html");
  });
  server.Get("/broken", [](const httplib::Request&, httplib::Response& res) {
    res.status = 500;
    res.set_content("it broke", "text/html");
  });
  server.Get("/page", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("<html>page</html>", "text/html");
  });
  server.Get("/chunked", [](const httplib::Request&, httplib::Response& res) {
    res.set_chunked_content_provider("text/plain", [](std::size_t offset, httplib::DataSink& sink) {
      static const std::string parts[] = {"first,", "second,", "third"};
      const std::size_t index = offset == 0 ? 0 : offset == 6 ? 1 : 2;
      sink.write(parts[index].data(), parts[index].size());
      if (index == 2) sink.done();
      return true;
    });
  });
  server.Get("/start", [](const httplib::Request&, httplib::Response& res) {
    res.set_header("Set-Cookie", "hop=1; path=/");
    res.set_redirect("/final");
  });
  server.Get("/final", [](const httplib::Request&, httplib::Response& res) {
    res.set_header("Set-Cookie", "last=2; path=/");
    res.set_content("final page", "text/html");
  });
  server.Get("/utf8", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("<html><meta charset=\"utf-8\"><p>图匣站素材下载</p>", "text/html");
  });
  server.Get("/gb2312", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">" +
                        Gbk("<p>图匣站素材下载</p>"),
                    "text/html");
  });
  // /hop/N redirects N times before it answers.
  server.Get(R"(/hop/(\d+))", [](const httplib::Request& req, httplib::Response& res) {
    const int left = std::stoi(req.matches[1]);
    if (left == 0) {
      res.set_content("arrived", "text/plain");
    } else {
      res.set_redirect("/hop/" + std::to_string(left - 1));
    }
  });
}

class Responses : public ::testing::Test {
 protected:
  HttpServer server_{AddRoutes};
};

TEST_F(Responses, ErrorStatusesAreCompletedExchanges) {
  const Outputs missing = Fetch(server_.Url("/missing"));
  EXPECT_EQ(missing.status, "404 Not Found");
  EXPECT_EQ(missing.result, "no such page");
  EXPECT_EQ(missing.bytes, ToBytes("no such page"));
  EXPECT_TRUE(missing.headers.starts_with("HTTP/1.1 404 Not Found\r\n")) << missing.headers;
  EXPECT_TRUE(missing.headers.ends_with("\r\n\r\n"));

  const Outputs broken = Fetch(server_.Url("/broken"));
  EXPECT_EQ(broken.status, "500 Internal Server Error");
  EXPECT_EQ(broken.result, "it broke");
}

TEST_F(Responses, HeadCompletesWithAnEmptyBody) {
  WebRequestArgs args;
  args.method = 2;
  const Outputs head = Fetch(server_.Url("/page"), args);
  EXPECT_EQ(head.status, "200 OK");
  EXPECT_EQ(head.result, "");
  EXPECT_EQ(head.bytes, Bytes());
  EXPECT_NE(head.headers.find("Content-Length: 17\r\n"), std::string::npos) << head.headers;
}

TEST_F(Responses, AChunkedBodyComesBackAsItsData) {
  const Outputs out = Fetch(server_.Url("/chunked"));
  EXPECT_EQ(out.status, "200 OK");
  EXPECT_EQ(out.result, "first,second,third");
  EXPECT_NE(out.headers.find("Transfer-Encoding: chunked\r\n"), std::string::npos);
}

TEST_F(Responses, AUtf8PageIsDecodedAGb2312PageIsNot) {
  const Outputs utf8 = Fetch(server_.Url("/utf8"));
  EXPECT_EQ(utf8.result, Gbk("<html><meta charset=\"utf-8\"><p>图匣站素材下载</p>"));
  EXPECT_EQ(utf8.bytes, ToBytes("<html><meta charset=\"utf-8\"><p>图匣站素材下载</p>"));

  const Outputs gb2312 = Fetch(server_.Url("/gb2312"));
  const std::string page =
      "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">" +
      Gbk("<p>图匣站素材下载</p>");
  EXPECT_EQ(gb2312.result, page);
  EXPECT_EQ(gb2312.bytes, ToBytes(page));
}

TEST_F(Responses, RedirectsAreFollowedAndOnlyTheLastResponseCounts) {
  const Outputs out = Fetch(server_.Url("/start"));
  EXPECT_EQ(out.status, "200 OK");
  EXPECT_EQ(out.result, "final page");
  EXPECT_EQ(out.cookies, "last=2");
  EXPECT_TRUE(out.headers.starts_with("HTTP/1.1 200 OK\r\n")) << out.headers;
  EXPECT_EQ(out.headers.find("hop=1"), std::string::npos) << out.headers;
  EXPECT_EQ(out.redirect, "caller's redirect");
}

TEST_F(Responses, WithoutRedirectsTheRedirectComesBack) {
  WebRequestArgs args;
  args.noRedirect = true;
  const Outputs out = Fetch(server_.Url("/start"), args);
  EXPECT_EQ(out.status, "302 Found");
  EXPECT_EQ(out.redirect, "/final");
  EXPECT_EQ(out.cookies, "hop=1");
}

TEST_F(Responses, TenRedirectsAreFollowedAnEleventhIsNot) {
  const Outputs ten = Fetch(server_.Url("/hop/10"));
  EXPECT_EQ(ten.status, "200 OK");
  EXPECT_EQ(ten.result, "arrived");

  const Outputs eleven = Fetch(server_.Url("/hop/11"));
  EXPECT_EQ(eleven.status, Gbk("712 服务器未响应!"));
  EXPECT_EQ(eleven.result, "");
  EXPECT_EQ(eleven.headers, "caller's headers");
}

TEST(ScriptedResponses, SetCookieInAnyLetterCaseIsFoldedAndCollected) {
  ScriptedServer server(
      "HTTP/1.1 200 OK\r\nset-cookie: a=1; path=/\r\nSET-COOKIE: b=2\r\nsEt-CoOkIe: c=3; "
      "HttpOnly\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
  const Outputs out = Fetch(server.Url("/"));
  EXPECT_EQ(out.headers,
            "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nSet-Cookie: b=2\r\nSet-Cookie: c=3; "
            "HttpOnly\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
  EXPECT_EQ(out.cookies, "a=1; b=2; c=3");
}

TEST(ScriptedResponses, SuppliedCookiesAreMergedWithTheResponsesUnlessSwitchedOff) {
  const std::string reply =
      "HTTP/1.1 200 OK\r\nSet-Cookie: a=9; path=/\r\nSet-Cookie: c=deleted\r\n"
      "Content-Length: 0\r\nConnection: close\r\n\r\n";
  {
    ScriptedServer server(reply);
    std::string cookies = "a=1; b=2; c=3";
    WebRequestArgs args;
    args.cookies = &cookies;
    const Outputs out = Fetch(server.Url("/"), args);
    EXPECT_EQ(out.cookies, "a=9; b=2");
    EXPECT_EQ(cookies, "a=9; b=2");
  }
  {
    ScriptedServer server(reply);
    std::string cookies = "a=1; b=2; c=3";
    WebRequestArgs args;
    args.cookies = &cookies;
    args.mergeCookies = false;
    const Outputs out = Fetch(server.Url("/"), args);
    EXPECT_EQ(out.cookies, "a=9; c=deleted");
    EXPECT_EQ(cookies, "a=1; b=2; c=3");
  }
}

TEST(ScriptedResponses, LocationNeedsItsSpaceAndTheLastOneWins) {
  struct Case {
    std::string_view lines;
    std::string_view redirect;
  } cases[] = {
      {"location: /lower\r\n", "/lower"},
      {"Location:/nospace\r\n", "caller's redirect"},
      {"Location: /one\r\nLOCATION: /two\r\n", "/two"},
      {"Location: \r\n", ""},
  };
  for (const Case& c : cases) {
    ScriptedServer server("HTTP/1.1 302 Found\r\n" + std::string(c.lines) +
                          "Content-Length: 0\r\nConnection: close\r\n\r\n");
    WebRequestArgs args;
    args.noRedirect = true;
    const Outputs out = Fetch(server.Url("/"), args);
    EXPECT_EQ(out.status, "302 Found") << c.lines;
    EXPECT_EQ(out.redirect, c.redirect) << c.lines;
  }
}

TEST(ScriptedResponses, AGzipBodyIsReturnedAsReceived) {
  // printf 'hello gzip' | gzip -n
  const std::string gzip(
      "\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\x03\xcb\x48\xcd\xc9\xc9\x57\x48\xaf\xca\x2c\x00\x00"
      "\x19\x6a\xd2\xdf\x0a\x00\x00\x00",
      30);
  ScriptedServer server(
      "HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\nContent-Length: 30\r\n"
      "Connection: close\r\n\r\n" +
      gzip);
  const Outputs out = Fetch(server.Url("/"));
  EXPECT_EQ(out.status, "200 OK");
  EXPECT_EQ(out.bytes, ToBytes(gzip));
  EXPECT_EQ(out.result, "\x1f\x8b\x08");  // the text ends at the first zero byte
}

TEST(ScriptedResponses, AZeroByteEndsTheTextButNotTheBytes) {
  const std::string body("before\0after", 12);
  ScriptedServer server("HTTP/1.1 200 OK\r\nContent-Length: 12\r\nConnection: close\r\n\r\n" +
                        body);
  const Outputs out = Fetch(server.Url("/"));
  EXPECT_EQ(out.result, "before");
  EXPECT_EQ(out.bytes, ToBytes(body));
}

TEST(ScriptedResponses, ADroppedConnectionKeepsWhatWasReadAndTheStatus) {
  const std::string part(300, 'x');
  ScriptedServer server("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n" + part);
  const Outputs out = Fetch(server.Url("/"));
  // The read failed with 713; the status of the completed header query replaced it.
  EXPECT_EQ(out.status, "200 OK");
  EXPECT_EQ(out.bytes, ToBytes(part));
  EXPECT_EQ(out.result, part);
}

TEST(ScriptedResponses, AServerThatNeverAnswersTimesOut) {
  ScriptedServer server({ScriptedReply{"", true}});
  WebRequestArgs args;
  args.timeoutSeconds = 1;
  const Outputs out = Fetch(server.Url("/"), args);
  EXPECT_EQ(out.status, Gbk("712 服务器未响应!"));
  EXPECT_EQ(out.result, "");
  EXPECT_EQ(out.headers, "caller's headers");
  EXPECT_EQ(out.cookies, "caller's cookies");
  EXPECT_EQ(out.bytes, ToBytes("caller"));
}

TEST(ScriptedResponses, ABodyThatStallsIsCutWhereItStopped) {
  ScriptedServer server({ScriptedReply{"HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nabc", true}});
  WebRequestArgs args;
  args.timeoutSeconds = 1;
  const Outputs out = Fetch(server.Url("/"), args);
  EXPECT_EQ(out.status, "200 OK");
  EXPECT_EQ(out.result, "abc");
}

TEST(Failures, ARefusedPortFailsTheSend) {
  RefusingPort port;
  const Outputs out = Fetch("http://127.0.0.1:" + std::to_string(port.port()) + "/");
  EXPECT_EQ(out.status, Gbk("711 发送请求失败!"));
  EXPECT_EQ(out.result, "");
  EXPECT_EQ(out.headers, "caller's headers");
}

TEST(Failures, AddressesThatCannotBeCrackedFailFirst) {
  for (const char* url : {"", "not an address", "ftp://127.0.0.1/", "http://:80/"}) {
    const Outputs out = Fetch(url);
    EXPECT_EQ(out.status, Gbk("701 解析URL地址失败!")) << url;
    EXPECT_EQ(out.result, "") << url;
  }
}

TEST(Failures, SetupFailuresHaveTheirTexts) {
  struct Case {
    const char* what;
    WebRequestArgs args;
    const char* status;
  };
  WebRequestArgs badProxy;
  badProxy.proxy = "127.0.0.1:99999";
  WebRequestArgs badUser;
  badUser.userName = "us:er";
  badUser.password = "pw";
  WebRequestArgs badProxyUser;
  badProxyUser.proxy = "127.0.0.1:1";
  badProxyUser.proxyUser = "a:b";
  badProxyUser.proxyPassword = "pw";
  WebRequestArgs badHeader;
  badHeader.extraHeaders = "no colon";
  const Case cases[] = {
      {"proxy with a bad port", badProxy, "702 创建WinHttp会话失败!"},
      {"server user with a colon", badUser, "707 设置代理凭证失败!"},
      {"proxy user with a colon", badProxyUser, "707 设置代理凭证失败!"},
      {"header line without a colon", badHeader, "710 设置协议头失败!"},
  };
  ScriptedServer server{"HTTP/1.1 204 No Content\r\nConnection: close\r\n\r\n"};
  for (const Case& c : cases) {
    const Outputs out = Fetch(server.Url("/"), c.args);
    EXPECT_EQ(out.status, Gbk(c.status)) << c.what;
    EXPECT_EQ(out.result, "") << c.what;
  }
  EXPECT_TRUE(server.Requests().empty());
}

TEST(Failures, UnsuppliedOutputsAreDiscarded) {
  ScriptedServer server("HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nhi");
  EXPECT_EQ(WebRequest(server.Url("/")), "hi");
  EXPECT_EQ(WebRequest(""), "");
}

}  // namespace
}  // namespace tuxia
