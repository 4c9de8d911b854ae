#pragma once
// A site of canned pages on 127.0.0.1 for the handler tests (also used by tests/browse): the
// program's host points at it while it lives, and it records every request target as sent.
#include <httplib.h>

#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "browse/site.h"

namespace tuxia {

class LocalSite {
 public:
  LocalSite() {
    server_.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
      std::lock_guard lock(mutex_);
      targets_.push_back(request.target);
      const auto page = pages_.find(request.target);
      if (page == pages_.end()) {
        response.status = 404;
        return;
      }
      response.status = page->second.status;
      response.set_content(page->second.body, "text/html");
    });
    // One request per connection, so that stopping never waits on an idle kept-alive one.
    server_.set_keep_alive_max_count(1);
    port_ = server_.bind_to_any_port("127.0.0.1");
    SetSiteHost(Host());
    if (port_ <= 0) return;
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    // stop() only reaches a server that has started listening.
    while (!server_.is_running()) std::this_thread::yield();
  }
  ~LocalSite() {
    if (!thread_.joinable()) return;
    server_.stop();
    thread_.join();
  }
  LocalSite(const LocalSite&) = delete;
  LocalSite& operator=(const LocalSite&) = delete;

  // "127.0.0.1:<port>"
  [[nodiscard]] std::string Host() const { return "127.0.0.1:" + std::to_string(port_); }
  // The full address of a path on this site.
  [[nodiscard]] std::string Address(const std::string& target) const {
    return "http://" + Host() + target;
  }

  // Answers a request for exactly `target` (path and query) with `body`.
  void Serve(const std::string& target, std::string body, int status = 200) {
    std::lock_guard lock(mutex_);
    pages_[target] = {status, std::move(body)};
  }

  // Every request target received so far, in order.
  [[nodiscard]] std::vector<std::string> Targets() const {
    std::lock_guard lock(mutex_);
    return targets_;
  }

 private:
  struct Page {
    int status;
    std::string body;
  };

  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
  mutable std::mutex mutex_;
  std::map<std::string, Page> pages_;
  std::vector<std::string> targets_;
};

}  // namespace tuxia
