#include "platform/internet_client.h"

#include <curl/curl.h>

#include <memory>
#include <string>

namespace tuxia {
namespace {

constexpr char kAgent[] = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
// A hostile server must not be able to fill the memory; what fits is kept, as for a broken read.
constexpr std::size_t kMaxBodyBytes = std::size_t{256} << 20;
// The window does not answer while a download runs, so a silent server may not hold it for ever.
constexpr long kConnectSeconds = 60;
constexpr long kIdleSeconds = 60;

std::size_t AppendBody(char* data, std::size_t size, std::size_t count, void* sink) {
  auto& body = *static_cast<Bytes*>(sink);
  const std::size_t length = size * count;
  if (body.size() + length > kMaxBodyBytes) return 0;
  body.insert(body.end(), data, data + length);
  return length;
}

// The one session of the process: the easy handle with the options every download shares.
class Session {
 public:
  Session() : handle_(curl_easy_init()) {
    headers_ = curl_slist_append(headers_, "Accept: */*");
    headers_ = curl_slist_append(headers_, "Pragma: no-cache");
    headers_ = curl_slist_append(headers_, "Cache-Control: no-cache");
    if (handle_ == nullptr) return;
    curl_easy_setopt(handle_, CURLOPT_HTTP_VERSION, long{CURL_HTTP_VERSION_1_0});
    curl_easy_setopt(handle_, CURLOPT_USERAGENT, kAgent);
    curl_easy_setopt(handle_, CURLOPT_HTTPHEADER, headers_);
    curl_easy_setopt(handle_, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(handle_, CURLOPT_MAXREDIRS, 10L);
    // Addresses come from web pages: never let one reach a local file or another protocol.
    curl_easy_setopt(handle_, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle_, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    // Direct connections, like the program's page requests.
    curl_easy_setopt(handle_, CURLOPT_PROXY, "");
    curl_easy_setopt(handle_, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle_, CURLOPT_CONNECTTIMEOUT, kConnectSeconds);
    curl_easy_setopt(handle_, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(handle_, CURLOPT_LOW_SPEED_TIME, kIdleSeconds);
    curl_easy_setopt(handle_, CURLOPT_WRITEFUNCTION, AppendBody);
  }
  ~Session() {
    if (handle_ != nullptr) curl_easy_cleanup(handle_);
    curl_slist_free_all(headers_);
  }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  [[nodiscard]] Bytes Get(CURLU* url) {
    Bytes body;
    if (handle_ == nullptr || headers_ == nullptr) return body;
    curl_easy_setopt(handle_, CURLOPT_CURLU, url);
    curl_easy_setopt(handle_, CURLOPT_WRITEDATA, &body);
    curl_easy_perform(handle_);
    curl_easy_setopt(handle_, CURLOPT_CURLU, nullptr);
    return body;
  }

 private:
  CURL* handle_;
  curl_slist* headers_ = nullptr;
};

struct UrlDeleter {
  void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
using Url = std::unique_ptr<CURLU, UrlDeleter>;

// The address split into its parts, or null when it is not an http or https address.
Url ParseAddress(std::string_view address) {
  Url url(curl_url());
  const std::string text(address);
  if (!url || curl_url_set(url.get(), CURLUPART_URL, text.c_str(), 0) != CURLUE_OK) return {};
  char* scheme = nullptr;
  if (curl_url_get(url.get(), CURLUPART_SCHEME, &scheme, 0) != CURLUE_OK) return {};
  const std::string_view name(scheme);
  const bool web = name == "http" || name == "https";
  curl_free(scheme);
  return web ? std::move(url) : Url();
}

}  // namespace

Bytes InternetGetBytes(std::string_view address) {
  const Url url = ParseAddress(address);
  if (!url) return {};
  static Session session;
  return session.Get(url.get());
}

}  // namespace tuxia
