#include "local_servers.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

extern char** environ;

namespace tuxia::test {
namespace {

// A TCP socket bound to 127.0.0.1 on a port the system picks.
int BoundSocket(int* port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    close(fd);
    return -1;
  }
  *port = ntohs(address.sin_port);
  return fd;
}

// Waits until `fd` is readable or the stop pipe fires; false on stop.
bool WaitReadable(int fd, int stopFd) {
  pollfd fds[2] = {{fd, POLLIN, 0}, {stopFd, POLLIN, 0}};
  while (poll(fds, 2, -1) < 0) {
  }
  return fds[1].revents == 0;
}

std::size_t ContentLength(std::string_view head) {
  std::string lower(head);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  const std::size_t at = lower.find("\r\ncontent-length:");
  return at == std::string::npos ? 0 : std::strtoul(lower.c_str() + at + 17, nullptr, 10);
}

// Reads one request: the head up to its empty line and the body its length announces.
std::string ReadRequest(int client, int stopFd) {
  std::string data;
  char buffer[8192];
  for (;;) {
    const std::size_t headEnd = data.find("\r\n\r\n");
    if (headEnd != std::string::npos &&
        data.size() >= headEnd + 4 + ContentLength(std::string_view(data).substr(0, headEnd))) {
      return data;
    }
    if (!WaitReadable(client, stopFd)) return data;
    const ssize_t n = recv(client, buffer, sizeof buffer, 0);
    if (n <= 0) return data;
    data.append(buffer, static_cast<std::size_t>(n));
  }
}

void WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n <= 0) return;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
}

bool Run(const std::string& command) {
  return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

}  // namespace

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tuxia-net-XXXXXX").string();
  if (mkdtemp(pattern.data())) path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

ScriptedServer::ScriptedServer(std::vector<ScriptedReply> replies) : replies_(std::move(replies)) {
  listener_ = BoundSocket(&port_);
  if (listener_ < 0 || listen(listener_, 16) != 0 || pipe2(stopPipe_, O_CLOEXEC) != 0) return;
  thread_ = std::thread([this] { Serve(); });
}

ScriptedServer::~ScriptedServer() {
  if (thread_.joinable()) {
    const char stop = 1;
    (void)!write(stopPipe_[1], &stop, 1);
    thread_.join();
  }
  for (int fd : {listener_, stopPipe_[0], stopPipe_[1]}) {
    if (fd >= 0) close(fd);
  }
}

std::string ScriptedServer::Url(std::string_view path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

std::vector<std::string> ScriptedServer::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

void ScriptedServer::Serve() {
  for (std::size_t served = 0;; ++served) {
    if (!WaitReadable(listener_, stopPipe_[0])) return;
    const int client = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) continue;
    Answer(client, replies_[std::min(served, replies_.size() - 1)]);
    close(client);
  }
}

void ScriptedServer::Answer(int client, const ScriptedReply& reply) {
  if (reply.readRequest) {
    std::string request = ReadRequest(client, stopPipe_[0]);
    std::lock_guard lock(mutex_);
    requests_.push_back(std::move(request));
  }
  WriteAll(client, reply.bytes);
  if (!reply.holdOpen) return;
  char buffer[4096];
  while (WaitReadable(client, stopPipe_[0]) && recv(client, buffer, sizeof buffer, 0) > 0) {
  }
}

HttpServer::HttpServer(const Routes& routes) : server_(std::make_unique<httplib::Server>()) {
  Start(routes);
}

HttpServer::HttpServer(const Routes& routes, const std::string& certFile,
                       const std::string& keyFile)
    : server_(std::make_unique<httplib::SSLServer>(certFile.c_str(), keyFile.c_str())),
      secure_(true) {
  Start(routes);
}

void HttpServer::Start(const Routes& routes) {
  if (!server_->is_valid()) return;
  // One request per connection, so that stopping never waits for an idle client.
  server_->set_keep_alive_max_count(1);
  routes(*server_);
  port_ = server_->bind_to_any_port("127.0.0.1");
  if (port_ > 0) thread_ = std::thread([this] { server_->listen_after_bind(); });
}

HttpServer::~HttpServer() {
  if (!thread_.joinable()) return;
  while (!server_->is_running()) std::this_thread::yield();
  server_->stop();
  thread_.join();
}

std::string HttpServer::Url(std::string_view path) const {
  return std::string(secure_ ? "https" : "http") + "://127.0.0.1:" + std::to_string(port_) +
         std::string(path);
}

TestCertificates MakeTestCertificates(const TempDir& dir) {
  const std::string ca = dir.File("ca.pem");
  const std::string caKey = dir.File("ca.key");
  const std::string cert = dir.File("server.pem");
  const std::string key = dir.File("server.key");
  const std::string request = dir.File("server.csr");
  const std::string extensions = dir.File("server.ext");
  std::ofstream(extensions) << "subjectAltName=IP:127.0.0.1\nbasicConstraints=CA:FALSE\n";
  const std::string ec = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
  const bool made =
      Run("openssl req -x509" + ec + " -days 2 -subj /CN=tuxia-test-ca -keyout " + caKey +
          " -out " + ca) &&
      Run("openssl req" + ec + " -subj /CN=127.0.0.1 -keyout " + key + " -out " + request) &&
      Run("openssl x509 -req -days 2 -in " + request + " -CA " + ca + " -CAkey " + caKey +
          " -CAcreateserial -extfile " + extensions + " -out " + cert);
  if (!made) return {};
  return {ca, cert, key};
}

Tinyproxy::Tinyproxy(const TempDir& dir, std::string_view user, std::string_view password) {
  const int probe = BoundSocket(&port_);
  if (probe < 0) return;
  close(probe);  // tinyproxy binds the port itself; the system just handed it out as free
  const std::string config = dir.File("tinyproxy.conf");
  {
    std::ofstream out(config);
    out << "Port " << port_ << "\nListen 127.0.0.1\nTimeout 60\nMaxClients 20\n"
        << "Allow 127.0.0.1\nLogLevel Info\nViaProxyName \"tuxia-test-proxy\"\n";
    if (!user.empty()) out << "BasicAuth " << user << " " << password << "\n";
  }
  int output[2];
  if (pipe2(output, O_CLOEXEC) != 0) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::string program = "/usr/bin/tinyproxy";
  std::string foreground = "-d";
  std::string configFlag = "-c";
  char* argv[] = {program.data(), foreground.data(), configFlag.data(),
                  const_cast<char*>(config.c_str()), nullptr};
  const bool spawned = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  close(output[1]);
  if (!spawned) {
    pid_ = -1;
    close(output[0]);
    return;
  }
  drainer_ = std::thread([this, fd = output[0]] { Drain(fd); });
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, std::chrono::seconds(60), [this] { return ready_ || ended_; });
}

// Reads tinyproxy's log to its end, so that it never blocks on a full pipe; the line saying
// that it accepts connections is the signal that it is ready.
void Tinyproxy::Drain(int fd) {
  std::string log;
  char buffer[4096];
  ssize_t n;
  while ((n = read(fd, buffer, sizeof buffer)) > 0) {
    if (ready_) continue;
    log.append(buffer, static_cast<std::size_t>(n));
    if (log.find("Accepting connections") != std::string::npos) {
      std::lock_guard lock(mutex_);
      ready_ = true;
      changed_.notify_all();
    }
  }
  close(fd);
  std::lock_guard lock(mutex_);
  ended_ = true;
  changed_.notify_all();
}

Tinyproxy::~Tinyproxy() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  if (drainer_.joinable()) drainer_.join();
}

std::string Tinyproxy::Address() const { return "127.0.0.1:" + std::to_string(port_); }

RefusingPort::RefusingPort() { socket_ = BoundSocket(&port_); }

RefusingPort::~RefusingPort() {
  if (socket_ >= 0) close(socket_);
}

}  // namespace tuxia::test
