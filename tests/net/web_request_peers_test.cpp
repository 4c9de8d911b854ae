// Web requests through real peers: a server that demands basic authentication, tinyproxy with
// and without its own authentication, and TLS against a CA made for the test.
#include <gtest/gtest.h>

#include "local_servers.h"
#include "net/web_request.h"
#include "platform/http_client.h"
#include "text/codepage.h"

namespace tuxia {
namespace {

using test::HttpServer;
using test::TempDir;
using test::Tinyproxy;

struct Answer {
  std::string result;
  std::string status;
};

Answer Fetch(const std::string& url, WebRequestArgs args = {}) {
  Answer answer;
  args.statusText = &answer.status;
  answer.result = WebRequest(url, args);
  return answer;
}

void AddRoutes(httplib::Server& server) {
  server.Get("/secret", [](const httplib::Request& req, httplib::Response& res) {
    // base64("user:secret")
    if (req.get_header_value("Authorization") == "Basic dXNlcjpzZWNyZXQ=") {
      res.set_content("welcome", "text/plain");
      return;
    }
    res.status = 401;
    res.set_header("WWW-Authenticate", "Basic realm=\"test\"");
    res.set_content("who are you", "text/plain");
  });
  server.Get("/via", [](const httplib::Request& req, httplib::Response& res) {
    res.set_content("via=" + req.get_header_value("Via"), "text/plain");
  });
}

TEST(BasicAuthentication, TheServerPairIsSentWhenBothAreGiven) {
  HttpServer server(AddRoutes);
  WebRequestArgs good;
  good.userName = "user";
  good.password = "secret";
  const Answer in = Fetch(server.Url("/secret"), good);
  EXPECT_EQ(in.status, "200 OK");
  EXPECT_EQ(in.result, "welcome");

  WebRequestArgs wrong = good;
  wrong.password = "guess";
  EXPECT_EQ(Fetch(server.Url("/secret"), wrong).status, "401 Unauthorized");

  WebRequestArgs half;
  half.userName = "user";
  const Answer out = Fetch(server.Url("/secret"), half);
  EXPECT_EQ(out.status, "401 Unauthorized");
  EXPECT_EQ(out.result, "who are you");
}

class Proxy : public ::testing::Test {
 protected:
  TempDir dir_;
  HttpServer server_{AddRoutes};
};

TEST_F(Proxy, PlainRequestsGoThroughIt) {
  Tinyproxy proxy(dir_);
  ASSERT_TRUE(proxy.running());
  const std::string address = proxy.Address();
  WebRequestArgs args;
  args.proxy = address;
  const Answer answer = Fetch(server_.Url("/via"), args);
  EXPECT_EQ(answer.status, "200 OK");
  EXPECT_TRUE(answer.result.starts_with("via=1.1 tuxia-test-proxy")) << answer.result;
  // Without a proxy the same page sees no proxy.
  EXPECT_EQ(Fetch(server_.Url("/via")).result, "via=");
}

TEST_F(Proxy, ItsCredentialsAreSentWhenBothAreGiven) {
  Tinyproxy proxy(dir_, "puser", "ppass");
  ASSERT_TRUE(proxy.running());
  const std::string address = proxy.Address();
  WebRequestArgs args;
  args.proxy = address;
  EXPECT_EQ(Fetch(server_.Url("/via"), args).status, "407 Proxy Authentication Required");
  args.proxyUser = "puser";
  EXPECT_EQ(Fetch(server_.Url("/via"), args).status, "407 Proxy Authentication Required");
  args.proxyPassword = "ppass";
  const Answer answer = Fetch(server_.Url("/via"), args);
  EXPECT_EQ(answer.status, "200 OK");
  EXPECT_TRUE(answer.result.starts_with("via=1.1 tuxia-test-proxy")) << answer.result;
}

class Tls : public ::testing::Test {
 protected:
  void SetUp() override {
    certificates_ = test::MakeTestCertificates(dir_);
    ASSERT_FALSE(certificates_.caFile.empty()) << "openssl could not make the test CA";
    server_ =
        std::make_unique<HttpServer>(AddRoutes, certificates_.certFile, certificates_.keyFile);
    ASSERT_GT(server_->port(), 0);
  }
  void TearDown() override { platform::SetHttpCaFileForTests(""); }

  TempDir dir_;
  test::TestCertificates certificates_;
  std::unique_ptr<HttpServer> server_;
};

TEST_F(Tls, TheCertificateIsVerified) {
  const Answer untrusted = Fetch(server_->Url("/via"));
  EXPECT_EQ(untrusted.status, Gbk("711 发送请求失败!"));
  EXPECT_EQ(untrusted.result, "");

  platform::SetHttpCaFileForTests(certificates_.caFile);
  const Answer trusted = Fetch(server_->Url("/via"));
  EXPECT_EQ(trusted.status, "200 OK");
  EXPECT_EQ(trusted.result, "via=");
}

TEST_F(Tls, SecureRequestsTunnelThroughTheProxy) {
  platform::SetHttpCaFileForTests(certificates_.caFile);
  Tinyproxy proxy(dir_, "puser", "ppass");
  ASSERT_TRUE(proxy.running());
  const std::string address = proxy.Address();
  WebRequestArgs args;
  args.proxy = address;
  args.userName = "user";
  args.password = "secret";
  // The tunnel is refused without the proxy's credentials: nothing reaches the server.
  EXPECT_EQ(Fetch(server_->Url("/secret"), args).status, Gbk("711 发送请求失败!"));
  args.proxyUser = "puser";
  args.proxyPassword = "ppass";
  const Answer answer = Fetch(server_->Url("/secret"), args);
  EXPECT_EQ(answer.status, "200 OK");
  EXPECT_EQ(answer.result, "welcome");
}

}  // namespace
}  // namespace tuxia
