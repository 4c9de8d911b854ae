// The read loop of a web request: a broken transfer and an oversized body both write the 713
// text and keep what was read.
#include <gtest/gtest.h>

#include "local_servers.h"
#include "net/exchange.h"
#include "text/codepage.h"

namespace tuxia {
namespace {

using platform::HttpConnection;
using platform::HttpRequest;
using platform::HttpSession;
using test::ScriptedServer;

struct Read {
  std::string body;
  std::string status = "untouched";
};

Read ReadFrom(const ScriptedServer& server, std::size_t limit) {
  const auto session = HttpSession::Open("");
  const auto connection =
      HttpConnection::Open(*session, "127.0.0.1", static_cast<std::uint16_t>(server.port()));
  const auto request = HttpRequest::Open(*connection, "GET", "/", false);
  Read read;
  EXPECT_TRUE(request->Send({}));
  EXPECT_TRUE(request->ReceiveResponse());
  ReadBody(*request, read.body, read.status, limit);
  return read;
}

std::string Reply(std::size_t announced, std::size_t sent) {
  return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(announced) +
         "\r\nConnection: close\r\n\r\n" + std::string(sent, 'b');
}

TEST(ReadBody, ACompleteBodyLeavesTheStatus) {
  ScriptedServer server(Reply(5000, 5000));
  const Read read = ReadFrom(server, kMaxBodyBytes);
  EXPECT_EQ(read.body, std::string(5000, 'b'));
  EXPECT_EQ(read.status, "untouched");
}

TEST(ReadBody, ABrokenTransferWrites713AndKeepsTheBytes) {
  ScriptedServer server(Reply(5000, 1200));
  const Read read = ReadFrom(server, kMaxBodyBytes);
  EXPECT_EQ(read.body, std::string(1200, 'b'));
  EXPECT_EQ(read.status, Gbk("713 读取数据失败!"));
}

TEST(ReadBody, ABodyBeyondTheLimitIsCutThere) {
  ScriptedServer server(Reply(1000, 1000));
  const Read read = ReadFrom(server, 100);
  EXPECT_EQ(read.body, std::string(100, 'b'));
  EXPECT_EQ(read.status, Gbk("713 读取数据失败!"));
}

TEST(ReadBody, ABodyOfExactlyTheLimitIsWhole) {
  ScriptedServer server(Reply(1000, 1000));
  const Read read = ReadFrom(server, 1000);
  EXPECT_EQ(read.body, std::string(1000, 'b'));
  EXPECT_EQ(read.status, "untouched");
}

TEST(ReadBody, TheLimitIsAQuarterGibibyte) { EXPECT_EQ(kMaxBodyBytes, 268435456u); }

}  // namespace
}  // namespace tuxia
