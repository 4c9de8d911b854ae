// The image download against a raw socket server that records the request bytes as they arrive
// and answers with scripted bytes.
#include "preview/download.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/pending_messages.h"

namespace tuxia {
namespace {

// Answers the n-th connection with the n-th reply, sent as is, then closes it.
class RawServer {
 public:
  explicit RawServer(std::vector<std::string> replies) : replies_(std::move(replies)) {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listener_, 4);
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~RawServer() {
    shutdown(listener_, SHUT_RDWR);  // wakes an accept that no client will satisfy
    thread_.join();
    close(listener_);
  }

  [[nodiscard]] std::string Address(const std::string& target) const {
    return "http://127.0.0.1:" + std::to_string(port_) + target;
  }
  // The request head (up to the blank line) of every connection so far.
  [[nodiscard]] std::vector<std::string> Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
  }

 private:
  void Serve() {
    for (const std::string& reply : replies_) {
      const int connection = accept(listener_, nullptr, nullptr);
      if (connection < 0) return;
      std::string head;
      char buffer[1024];
      while (head.find("\r\n\r\n") == std::string::npos) {
        const ssize_t got = recv(connection, buffer, sizeof buffer, 0);
        if (got <= 0) break;
        head.append(buffer, static_cast<std::size_t>(got));
      }
      {
        std::lock_guard lock(mutex_);
        requests_.push_back(head);
      }
      send(connection, reply.data(), reply.size(), MSG_NOSIGNAL);
      close(connection);
    }
  }

  std::vector<std::string> replies_;
  int listener_ = -1;
  int port_ = 0;
  std::thread thread_;
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;
};

Bytes BytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

std::vector<std::string> Lines(const std::string& head) {
  std::vector<std::string> lines;
  for (std::size_t at = 0, end; (end = head.find("\r\n", at)) != std::string::npos; at = end + 2) {
    if (end > at) lines.push_back(head.substr(at, end - at));
  }
  return lines;
}

TEST(HttpGetBytesTest, SendsAPlainHttp10GetWithoutTheFragment) {
  RawServer server({"HTTP/1.0 200 OK\r\n\r\npicture"});
  EXPECT_EQ(HttpGetBytes(server.Address("/pic/a.png?size=2#part")), BytesOf("picture"));
  ASSERT_EQ(server.Requests().size(), 1u);
  const std::vector<std::string> lines = Lines(server.Requests()[0]);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], "GET /pic/a.png?size=2 HTTP/1.0");
  // Exactly these headers: no referrer, no cookies, no content encoding.
  const std::set<std::string> headers(lines.begin() + 1, lines.end());
  const std::string host = server.Address("").substr(std::string("http://").size());
  EXPECT_EQ(headers, (std::set<std::string>{
                         "Host: " + host,
                         "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)",
                         "Accept: */*",
                         "Pragma: no-cache",
                         "Cache-Control: no-cache",
                     }));
}

TEST(HttpGetBytesTest, TakesWhateverBodyArrives) {
  const struct {
    std::string reply;
    std::string body;
  } cases[] = {
      {"HTTP/1.0 404 Not Found\r\nContent-Length: 9\r\n\r\nnot found", "not found"},
      {"HTTP/1.0 500 Oops\r\n\r\n", ""},
      {std::string("HTTP/1.0 200 OK\r\n\r\n\x89PNG\0\0tail", 29),
       std::string("\x89PNG\0\0tail", 10)},
      // The connection breaks before the announced length: what came is kept.
      {"HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\n0123456789", "0123456789"},
  };
  for (const auto& c : cases) {
    RawServer server({c.reply});
    EXPECT_EQ(HttpGetBytes(server.Address("/x")), BytesOf(c.body)) << c.reply;
  }
}

TEST(HttpGetBytesTest, FollowsRedirects) {
  RawServer server({"HTTP/1.0 302 Found\r\nLocation: /moved.jpg\r\nContent-Length: 4\r\n\r\ngone",
                    "HTTP/1.0 200 OK\r\n\r\nfinal"});
  EXPECT_EQ(HttpGetBytes(server.Address("/first.jpg")), BytesOf("final"));
  ASSERT_EQ(server.Requests().size(), 2u);
  EXPECT_EQ(Lines(server.Requests()[1])[0], "GET /moved.jpg HTTP/1.0");
}

TEST(HttpGetBytesTest, GivesNothingForAnAddressItCannotFetch) {
  int closedPort = 0;
  {
    RawServer gone({});
    closedPort = std::stoi(gone.Address("").substr(std::string("http://127.0.0.1:").size()));
  }
  const std::string addresses[] = {
      "",
      "#only-a-fragment",
      "no address",
      "http://",
      "file:///etc/hostname",
      "ftp://127.0.0.1/pic.png",
      "http://127.0.0.1:" + std::to_string(closedPort) + "/pic.png",
  };
  for (const std::string& address : addresses) {
    EXPECT_TRUE(HttpGetBytes(address).empty()) << address;
  }
}

TEST(HttpGetBytesTest, ProcessesNoWindowMessages) {
  RawServer server({"HTTP/1.0 200 OK\r\n\r\npicture"});
  int dispatched = 0;
  SetPendingMessagesHook([&dispatched] { ++dispatched; });
  const Bytes bytes = HttpGetBytes(server.Address("/a.png"));
  SetPendingMessagesHook({});
  EXPECT_EQ(bytes, BytesOf("picture"));
  EXPECT_EQ(dispatched, 0);
}

}  // namespace
}  // namespace tuxia
