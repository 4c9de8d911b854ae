// Where a web request dispatches pending window messages: how many times on each way out, and
// what the caller can see when a dispatch runs.
#include <gtest/gtest.h>

#include "local_servers.h"
#include "message_counter.h"
#include "net/web_request.h"

namespace tuxia {
namespace {

using test::MessageCounter;
using test::RefusingPort;
using test::ScriptedReply;
using test::ScriptedServer;

// Four header lines (status, two fields, the empty line) + the charset step + 9 on the way out.
constexpr std::string_view kAnswer =
    "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok";
constexpr int kAnswerDispatches = 4 + 1 + 9;

int Dispatches(const std::string& url, const WebRequestArgs& args = {}) {
  MessageCounter counter;
  (void)WebRequest(url, args);
  return counter.count();
}

TEST(Dispatches, EachWayOutHasItsCount) {
  ScriptedServer answering{std::string(kAnswer)};
  ScriptedServer silent({ScriptedReply{"", true}});
  RefusingPort refusing;
  WebRequestArgs quick;
  quick.timeoutSeconds = 1;
  WebRequestArgs badProxy;
  badProxy.proxy = "127.0.0.1:0";
  WebRequestArgs badUser;
  badUser.userName = "a:b";
  badUser.password = "c";
  WebRequestArgs badHeader;
  badHeader.extraHeaders = "broken";
  struct Case {
    const char* what;
    std::string url;
    WebRequestArgs args;
    int dispatches;
  } cases[] = {
      {"address not cracked (701)", "", {}, 1},
      {"session refused (702)", answering.Url(), badProxy, 2},
      {"credentials refused (707), immediate exit", answering.Url(), badUser, 0},
      {"header text refused (710)", answering.Url(), badHeader, 6},
      {"send failed (711)", "http://127.0.0.1:" + std::to_string(refusing.port()) + "/", {}, 7},
      {"no response (712), none while waiting", silent.Url(), quick, 8},
      {"completed exchange", answering.Url(), {}, kAnswerDispatches},
  };
  for (const Case& c : cases) EXPECT_EQ(Dispatches(c.url, c.args), c.dispatches) << c.what;
}

TEST(Dispatches, OneMorePerHeaderLine) {
  ScriptedServer server(
      "HTTP/1.1 200 OK\r\nA: 1\r\nB: 2\r\nC: 3\r\nContent-Length: 2\r\nConnection: "
      "close\r\n\r\nok");
  EXPECT_EQ(Dispatches(server.Url()), kAnswerDispatches + 3);
}

TEST(Dispatches, OutputsAreWrittenAtTheirPoints) {
  ScriptedServer server{std::string(kAnswer)};
  std::string status;
  std::string headers;
  Bytes bytes = {'o', 'l', 'd'};
  WebRequestArgs args;
  args.statusText = &status;
  args.returnedHeaders = &headers;
  args.responseBytes = &bytes;
  std::vector<std::string> seen;
  MessageCounter counter([&](int) {
    seen.push_back(status + "|" + std::to_string(headers.size()) + "|" +
                   std::string(bytes.begin(), bytes.end()));
  });
  EXPECT_EQ(WebRequest(server.Url(), args), "ok");
  ASSERT_EQ(seen.size(), static_cast<std::size_t>(kAnswerDispatches));
  const std::string headerSize = std::to_string(kAnswer.size() - 2);
  // Header lines: status and headers are in, the bytes not yet.
  for (int i = 0; i < 4; ++i) EXPECT_EQ(seen[i], "200 OK|" + headerSize + "|old") << i;
  // Charset step and the way out: the bytes are in.
  for (int i = 4; i < kAnswerDispatches; ++i)
    EXPECT_EQ(seen[i], "200 OK|" + headerSize + "|ok") << i;
}

TEST(Dispatches, ANestedRequestRunsToItsEndInsideTheOuterOne) {
  ScriptedServer server(
      {ScriptedReply{"HTTP/1.1 200 OK\r\nContent-Length: 5\r\nConnection: close\r\n\r\nouter"},
       ScriptedReply{"HTTP/1.1 200 OK\r\nContent-Length: 5\r\nConnection: close\r\n\r\ninner"}});
  std::string inner;
  std::string innerStatus;
  MessageCounter counter([&](int count) {
    if (count != 1) return;
    WebRequestArgs args;
    args.statusText = &innerStatus;
    inner = WebRequest(server.Url("/inner"), args);
  });
  std::string outerStatus;
  WebRequestArgs args;
  args.statusText = &outerStatus;
  EXPECT_EQ(WebRequest(server.Url("/outer"), args), "outer");
  EXPECT_EQ(outerStatus, "200 OK");
  EXPECT_EQ(inner, "inner");
  EXPECT_EQ(innerStatus, "200 OK");
  EXPECT_EQ(counter.count(), 2 * kAnswerDispatches);
}

}  // namespace
}  // namespace tuxia
