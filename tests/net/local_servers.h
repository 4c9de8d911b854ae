#pragma once
// Real peers on 127.0.0.1 for the web request tests, each started by the test on a port the
// system picks and stopped when the object goes: a scripted raw-socket server that answers
// byte for byte and records the bytes of each request, an ordinary HTTP(S) server
// (cpp-httplib), a tinyproxy process, and a throw-away CA with a certificate for 127.0.0.1.
#include <httplib.h>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace tuxia::test {

// A folder under the system's temporary folder, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string File(std::string_view name) const { return path_ + "/" + std::string(name); }

 private:
  std::string path_;
};

// One answer per connection, in order; the last one answers every later connection too.
struct ScriptedReply {
  std::string bytes;        // written as they stand once the whole request has come
  bool holdOpen = false;    // keep the connection open after writing, until the server stops
  bool readRequest = true;  // false: answer (or hold) without waiting for the request
};

class ScriptedServer {
 public:
  explicit ScriptedServer(std::vector<ScriptedReply> replies);
  explicit ScriptedServer(std::string reply) : ScriptedServer({ScriptedReply{std::move(reply)}}) {}
  ~ScriptedServer();
  ScriptedServer(const ScriptedServer&) = delete;
  ScriptedServer& operator=(const ScriptedServer&) = delete;

  int port() const { return port_; }
  std::string Url(std::string_view path = "/") const;
  // The bytes of each request received so far (headers and the body their length announced).
  std::vector<std::string> Requests() const;

 private:
  void Serve();
  void Answer(int client, const ScriptedReply& reply);

  std::vector<ScriptedReply> replies_;
  int listener_ = -1;
  int stopPipe_[2] = {-1, -1};
  int port_ = 0;
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

// cpp-httplib on a free port, plain or with TLS, running its routes on its own threads.
class HttpServer {
 public:
  using Routes = std::function<void(httplib::Server&)>;
  explicit HttpServer(const Routes& routes);
  HttpServer(const Routes& routes, const std::string& certFile, const std::string& keyFile);
  ~HttpServer();
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  int port() const { return port_; }
  std::string Url(std::string_view path = "/") const;

 private:
  void Start(const Routes& routes);

  std::unique_ptr<httplib::Server> server_;
  bool secure_ = false;
  int port_ = 0;
  std::thread thread_;
};

// A CA made for one test and a server certificate for 127.0.0.1 that it signed.
struct TestCertificates {
  std::string caFile;
  std::string certFile;
  std::string keyFile;
};
// Made with the openssl command in `dir`; empty paths when that failed.
TestCertificates MakeTestCertificates(const TempDir& dir);

// tinyproxy in the foreground on a free port, optionally demanding basic authentication.
class Tinyproxy {
 public:
  Tinyproxy(const TempDir& dir, std::string_view user = {}, std::string_view password = {});
  ~Tinyproxy();
  Tinyproxy(const Tinyproxy&) = delete;
  Tinyproxy& operator=(const Tinyproxy&) = delete;

  bool running() const { return ready_; }
  // "127.0.0.1:port"
  std::string Address() const;

 private:
  void Drain(int fd);

  int port_ = 0;
  int pid_ = -1;
  std::thread drainer_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool ready_ = false;
  bool ended_ = false;
};

// A port on 127.0.0.1 that is bound but not listening: connecting to it is refused, and no
// one else can take it while the object lives.
class RefusingPort {
 public:
  RefusingPort();
  ~RefusingPort();
  RefusingPort(const RefusingPort&) = delete;
  RefusingPort& operator=(const RefusingPort&) = delete;
  int port() const { return port_; }

 private:
  int socket_ = -1;
  int port_ = 0;
};

}  // namespace tuxia::test
