#include "platform/http_client.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <limits>
#include <utility>
#include <vector>

namespace tuxia::platform {
namespace {

using Clock = std::chrono::steady_clock;

constexpr long kMaxRedirects = 10;
constexpr curl_off_t kReserveCap = curl_off_t{16} << 20;
constexpr int kLongestHost = 255;

std::string& CaFile() {
  static std::string path;
  return path;
}

bool IsAsciiAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) { return IsAsciiAlpha(c) ? static_cast<char>(c | 0x20) : c; };
           return lower(x) == lower(y);
         });
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

// RFC 9110 token characters: header names and methods.
bool IsToken(std::string_view text) {
  constexpr std::string_view kMarks = "!#$%&'*+-.^_`|~";
  return !text.empty() && std::all_of(text.begin(), text.end(), [&](char c) {
    return IsAsciiAlpha(c) || IsDigit(c) || kMarks.find(c) != std::string_view::npos;
  });
}

bool HoldsLineBreakOrZero(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// "1".."65535" only.
bool ParsePort(std::string_view text, std::uint16_t* port) {
  if (text.empty() || text.size() > 5 || !std::all_of(text.begin(), text.end(), IsDigit)) {
    return false;
  }
  const int value = std::stoi(std::string(text));
  if (value < 1 || value > 65535) return false;
  *port = static_cast<std::uint16_t>(value);
  return true;
}

// Splits "host[:port]" (host possibly a bracketed IPv6 literal).
bool SplitHostPort(std::string_view authority, std::string_view* host, std::string_view* port) {
  std::size_t hostEnd = authority.size();
  if (!authority.empty() && authority.front() == '[') {
    const std::size_t close = authority.find(']');
    if (close == std::string_view::npos) return false;
    hostEnd = close + 1;
  } else {
    hostEnd = std::min(authority.find(':'), authority.size());
  }
  *host = authority.substr(0, hostEnd);
  const std::string_view rest = authority.substr(hostEnd);
  if (!rest.empty() && rest.front() != ':') return false;
  *port = rest.empty() ? std::string_view() : rest.substr(1);
  return !host->empty() && (rest.empty() || !port->empty());
}

// The request target as it goes on the wire: bytes a request line cannot carry are
// percent-encoded, everything else stays as the caller wrote it.
std::string WireTarget(std::string_view path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte >= 0x7F) {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 0x0F];
    } else {
      out += c;
    }
  }
  return out;
}

// What one request works with: an easy handle, the multi handle that drives it and the buffer
// of body bytes not yet read. Kept for the next request when a request ends, so that the
// handles' own buffers and the body buffer are warm.
struct Slot {
  CURL* easy = nullptr;
  CURLM* multi = nullptr;
  std::string pending;
};

// The per-thread pool behind the handles: connections, resolved names and TLS sessions shared
// by all requests, and the slots of requests that ended. The program makes its requests on one
// thread; a pool per thread keeps curl's sharing rules.
class Pool {
 public:
  Pool() : share_(curl_share_init()) {
    if (!share_) return;
    curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_CONNECT);
    curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
    curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION);
  }
  ~Pool() {
    for (Slot& slot : idle_) Destroy(slot);
    if (share_) curl_share_cleanup(share_);
  }
  Pool(const Pool&) = delete;
  Pool& operator=(const Pool&) = delete;

  CURLSH* share() const { return share_; }

  // A slot with clean handles; null handles when curl cannot make them.
  Slot Take() {
    if (idle_.empty()) return Slot{curl_easy_init(), curl_multi_init(), {}};
    Slot slot = std::move(idle_.back());
    idle_.pop_back();
    return slot;
  }

  void Give(Slot slot) {
    if (!slot.easy || !slot.multi || idle_.size() >= kIdleSlots) {
      Destroy(slot);
      return;
    }
    curl_easy_reset(slot.easy);  // drops every option, callback and pointer of the request
    slot.pending.clear();
    if (slot.pending.capacity() > kKeptBuffer) slot.pending = std::string();
    idle_.push_back(std::move(slot));
  }

 private:
  static constexpr std::size_t kIdleSlots = 4;  // nested requests are rare and shallow
  static constexpr std::size_t kKeptBuffer = std::size_t{1} << 20;

  static void Destroy(Slot& slot) {
    if (slot.easy) curl_easy_cleanup(slot.easy);
    if (slot.multi) curl_multi_cleanup(slot.multi);
  }

  CURLSH* share_;
  std::vector<Slot> idle_;
};

Pool& ThreadPool() {
  thread_local Pool pool;
  return pool;
}

struct HeaderLine {
  std::string name;
  std::string line;
};

}  // namespace

bool HttpCheckPlatform() {
  static const bool ready = [] {
    if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) return false;
    const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
    if (!info || !(info->features & CURL_VERSION_SSL)) return false;
    bool http = false;
    bool https = false;
    for (const char* const* p = info->protocols; p && *p; ++p) {
      http = http || std::strcmp(*p, "http") == 0;
      https = https || std::strcmp(*p, "https") == 0;
    }
    return http && https;
  }();
  return ready;
}

bool HttpCrackUrl(std::string_view url, HttpUrlParts* parts) {
  const std::size_t schemeEnd = url.find("://");
  if (schemeEnd == std::string_view::npos) return false;
  const std::string_view scheme = url.substr(0, schemeEnd);
  HttpUrlParts result;
  if (EqualsIgnoringCase(scheme, "https")) {
    result.secure = true;
  } else if (!EqualsIgnoringCase(scheme, "http")) {
    return false;
  }
  std::string_view rest = url.substr(schemeEnd + 3);
  rest = rest.substr(0, rest.find('#'));
  const std::size_t authorityEnd = std::min(rest.find_first_of("/?"), rest.size());
  std::string_view authority = rest.substr(0, authorityEnd);
  if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) {
    authority = authority.substr(at + 1);
  }
  std::string_view host;
  std::string_view port;
  if (!SplitHostPort(authority, &host, &port)) return false;
  result.port = result.secure ? 443 : 80;
  if (!port.empty() && !ParsePort(port, &result.port)) return false;
  result.host = std::string(host);
  const std::string_view target = rest.substr(authorityEnd);
  const std::size_t query = std::min(target.find('?'), target.size());
  result.path = std::string(target.substr(0, query));
  result.extra = std::string(target.substr(query));
  *parts = std::move(result);
  return true;
}

std::unique_ptr<HttpSession> HttpSession::Open(std::string_view proxies) {
  auto session = std::unique_ptr<HttpSession>(new HttpSession());
  std::size_t start = 0;
  while (start < proxies.size()) {
    const std::size_t end = std::min(proxies.find_first_of("; \t", start), proxies.size());
    std::string_view entry = proxies.substr(start, end - start);
    start = end + 1;
    if (entry.empty()) continue;
    std::string_view scheme;
    if (const std::size_t equals = entry.find('='); equals != std::string_view::npos) {
      scheme = entry.substr(0, equals);
      entry = entry.substr(equals + 1);
      if (!EqualsIgnoringCase(scheme, "http") && !EqualsIgnoringCase(scheme, "https")) {
        continue;  // proxies of other schemes serve nothing we send
      }
    }
    if (StartsWithIgnoringCase(entry, "http://")) entry.remove_prefix(7);
    std::string_view host;
    std::string_view port;
    std::uint16_t number = 80;
    if (!SplitHostPort(entry, &host, &port) || (!port.empty() && !ParsePort(port, &number))) {
      return nullptr;
    }
    const std::string server = "http://" + std::string(host) + ":" + std::to_string(number);
    const bool forPlain = scheme.empty() || EqualsIgnoringCase(scheme, "http");
    const bool forSecure = scheme.empty() || EqualsIgnoringCase(scheme, "https");
    if (forPlain && session->plain_.empty()) session->plain_ = server;
    if (forSecure && session->secure_.empty()) session->secure_ = server;
  }
  return session;
}

std::string HttpSession::ProxyFor(bool secure) const { return secure ? secure_ : plain_; }

std::unique_ptr<HttpConnection> HttpConnection::Open(const HttpSession& session,
                                                     std::string_view host, std::uint16_t port) {
  if (host.empty() || host.size() > kLongestHost || port == 0) return nullptr;
  return std::unique_ptr<HttpConnection>(new HttpConnection(session, std::string(host), port));
}

// One transfer on a multi handle of its own, driven only from the calling thread. The callbacks
// record what curl delivers; Pump runs curl until a condition holds, the transfer ends, or the
// idle timeout of the current phase passes.
struct HttpRequest::Transfer {
  explicit Transfer(Slot slot)
      : easy(slot.easy), multi(slot.multi), pending(std::move(slot.pending)) {}

  CURL* easy;
  CURLM* multi;
  curl_slist* headerList = nullptr;
  char error[CURL_ERROR_SIZE] = {};

  std::string method;
  std::vector<HeaderLine> headers;
  std::vector<std::uint8_t> body;
  bool follow = true;
  int connectMs = 60000;
  int sendMs = 30000;
  int receiveMs = 30000;

  bool added = false;
  bool started = false;    // Send was called
  bool connected = false;  // curl is about to send a request on a live connection
  bool finished = false;
  CURLcode result = CURLE_OK;
  Clock::time_point lastActivity;
  curl_off_t downloaded = 0;
  curl_off_t uploaded = 0;

  std::string headerText;  // of the response being received
  bool headersFinal = false;
  bool anyResponse = false;
  std::string pending;  // body bytes not yet read
  std::size_t pendingStart = 0;

  ~Transfer() {
    if (added) curl_multi_remove_handle(multi, easy);
    ThreadPool().Give(Slot{easy, multi, std::move(pending)});
    if (headerList) curl_slist_free_all(headerList);
  }

  void Touch() { lastActivity = Clock::now(); }

  bool Sent() const {
    return connected && uploaded >= static_cast<curl_off_t>(method == "HEAD" ? 0 : body.size());
  }

  std::size_t Waiting() const { return pending.size() - pendingStart; }

  // Follows curl's own rule: a 3xx response with a non-empty Location is followed.
  bool IsLastResponse() const {
    const int code = headerText.size() > 12 ? std::atoi(headerText.c_str() + 9) : 0;
    if (code >= 100 && code < 200) return false;
    if (!follow || code < 300 || code >= 400) return true;
    std::size_t start = 0;
    while (start < headerText.size()) {
      const std::size_t end = headerText.find("\r\n", start);
      const std::string_view line(headerText.data() + start, end - start);
      start = end + 2;
      if (!StartsWithIgnoringCase(line, "Location:")) continue;
      const std::string_view value = line.substr(9);
      if (value.find_first_not_of(" \t") != std::string_view::npos) return false;
    }
    return true;
  }

  std::size_t OnHeader(std::string_view data) {
    Touch();
    if (headersFinal) return data.size();  // trailers of a chunked body
    std::string_view line = data;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    if (line.starts_with("HTTP/")) headerText.clear();
    if (headerText.size() + line.size() + 2 > kMaxHeaderBytes) return 0;
    headerText.append(line);
    headerText.append("\r\n");
    anyResponse = true;
    if (line.empty()) headersFinal = IsLastResponse();
    if (headersFinal) ReserveBody();
    return data.size();
  }

  // One allocation for a body of announced length, within reason: the length is the server's
  // word, the bytes are not.
  void ReserveBody() {
    curl_off_t length = -1;
    if (curl_easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK) return;
    if (length > 0) {
      pending.reserve(static_cast<std::size_t>(std::min<curl_off_t>(length, kReserveCap)));
    }
  }

  std::size_t OnBody(std::string_view data) {
    Touch();
    if (pendingStart == pending.size()) {
      pending.clear();
      pendingStart = 0;
    }
    pending.append(data);
    anyResponse = true;
    return data.size();
  }

  void OnProgress(curl_off_t down, curl_off_t up) {
    if (down != downloaded || up != uploaded) Touch();
    downloaded = down;
    uploaded = up;
  }

  void Finish(CURLcode code) {
    if (added) curl_multi_remove_handle(multi, easy);
    added = false;
    finished = true;
    result = code;
  }

  bool IdleTooLong() const {
    if (!connected) return false;  // curl's connect timeout bounds the set-up
    const int limit = Sent() ? receiveMs : sendMs;
    return Clock::now() - lastActivity > std::chrono::milliseconds(limit);
  }

  int PollMilliseconds() const {
    if (!connected) return 1000;
    const int limit = Sent() ? receiveMs : sendMs;
    const auto idle =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - lastActivity);
    return static_cast<int>(std::clamp<long long>(limit - idle.count() + 1, 1, 1000));
  }

  bool Pump(const std::function<bool()>& ready) {
    while (!ready()) {
      if (finished) return false;
      int running = 0;
      if (curl_multi_perform(multi, &running) != CURLM_OK) {
        Finish(CURLE_RECV_ERROR);
        continue;
      }
      int queued = 0;
      while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
        if (message->msg == CURLMSG_DONE) Finish(message->data.result);
      }
      if (finished || ready()) continue;
      if (IdleTooLong()) {
        Finish(CURLE_OPERATION_TIMEDOUT);
        continue;
      }
      curl_multi_poll(multi, nullptr, 0, PollMilliseconds(), nullptr);
    }
    return true;
  }

  bool ApplyMethod() {
    const auto size = static_cast<curl_off_t>(body.size());
    const char* data = reinterpret_cast<const char*>(body.data());
    if (method == "HEAD") return curl_easy_setopt(easy, CURLOPT_NOBODY, 1L) == CURLE_OK;
    if (method == "GET" && body.empty()) {
      return curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L) == CURLE_OK;
    }
    bool ok = curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, size) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_POSTFIELDS, data) == CURLE_OK;
    if (method != "POST") {
      // Another method with a body: curl treats it as a POST, so keep method and body when a
      // redirect is followed instead of turning it into a GET under the custom method name.
      ok = ok && curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, method.c_str()) == CURLE_OK &&
           curl_easy_setopt(easy, CURLOPT_POSTREDIR, static_cast<long>(CURL_REDIR_POST_ALL)) ==
               CURLE_OK;
    }
    return ok;
  }

  bool ApplyHeaders() {
    std::vector<std::string> lines;
    for (const HeaderLine& header : headers) lines.push_back(header.line);
    // Without these curl would add lines of its own to the caller's header text.
    for (const char* own : {"Accept", "Expect", "Content-Type", "Proxy-Connection"}) {
      const bool given = std::any_of(headers.begin(), headers.end(), [&](const HeaderLine& h) {
        return EqualsIgnoringCase(h.name, own);
      });
      if (!given) lines.push_back(std::string(own) + ":");
    }
    for (const std::string& line : lines) {
      curl_slist* grown = curl_slist_append(headerList, line.c_str());
      if (!grown) return false;
      headerList = grown;
    }
    return curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headerList) == CURLE_OK;
  }
};

namespace {

size_t HeaderCallback(char* data, size_t size, size_t count, void* transfer) {
  return static_cast<HttpRequest::Transfer*>(transfer)->OnHeader({data, size * count});
}

size_t WriteCallback(char* data, size_t size, size_t count, void* transfer) {
  return static_cast<HttpRequest::Transfer*>(transfer)->OnBody({data, size * count});
}

int ProgressCallback(void* transfer, curl_off_t, curl_off_t down, curl_off_t, curl_off_t up) {
  static_cast<HttpRequest::Transfer*>(transfer)->OnProgress(down, up);
  return 0;
}

int PrereqCallback(void* transfer, char*, char*, int, int) {
  auto* t = static_cast<HttpRequest::Transfer*>(transfer);
  t->connected = true;
  t->Touch();
  return CURL_PREREQFUNC_OK;
}

bool SetUp(HttpRequest::Transfer& t, const std::string& url, const std::string& proxy) {
  CURL* e = t.easy;
  auto ok = [](CURLcode code) { return code == CURLE_OK; };
  bool good =
      ok(curl_easy_setopt(e, CURLOPT_URL, url.c_str())) &&
      ok(curl_easy_setopt(e, CURLOPT_ERRORBUFFER, t.error)) &&
      ok(curl_easy_setopt(e, CURLOPT_SHARE, ThreadPool().share())) &&
      ok(curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L)) &&
      ok(curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(t.connectMs))) &&
      ok(curl_easy_setopt(e, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1))) &&
      ok(curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https")) &&
      ok(curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https")) &&
      ok(curl_easy_setopt(e, CURLOPT_PATH_AS_IS, 1L)) &&
      ok(curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L)) &&
      ok(curl_easy_setopt(e, CURLOPT_MAXREDIRS, kMaxRedirects)) &&
      ok(curl_easy_setopt(e, CURLOPT_HTTP_CONTENT_DECODING, 0L)) &&
      ok(curl_easy_setopt(e, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L)) &&
      ok(curl_easy_setopt(e, CURLOPT_SSL_VERIFYPEER, 1L)) &&
      ok(curl_easy_setopt(e, CURLOPT_SSL_VERIFYHOST, 2L)) &&
      ok(curl_easy_setopt(e, CURLOPT_PROXY, proxy.c_str())) &&
      ok(curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, HeaderCallback)) &&
      ok(curl_easy_setopt(e, CURLOPT_HEADERDATA, &t)) &&
      ok(curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, WriteCallback)) &&
      ok(curl_easy_setopt(e, CURLOPT_WRITEDATA, &t)) &&
      ok(curl_easy_setopt(e, CURLOPT_XFERINFOFUNCTION, ProgressCallback)) &&
      ok(curl_easy_setopt(e, CURLOPT_XFERINFODATA, &t)) &&
      ok(curl_easy_setopt(e, CURLOPT_NOPROGRESS, 0L)) &&
      ok(curl_easy_setopt(e, CURLOPT_PREREQFUNCTION, PrereqCallback)) &&
      ok(curl_easy_setopt(e, CURLOPT_PREREQDATA, &t));
  if (good && !CaFile().empty()) good = ok(curl_easy_setopt(e, CURLOPT_CAINFO, CaFile().c_str()));
  return good;
}

}  // namespace

HttpRequest::HttpRequest(std::unique_ptr<Transfer> transfer) : transfer_(std::move(transfer)) {}

HttpRequest::~HttpRequest() = default;

std::unique_ptr<HttpRequest> HttpRequest::Open(const HttpConnection& connection,
                                               std::string_view method, std::string_view path,
                                               bool secure) {
  if (!IsToken(method) || !HttpCheckPlatform()) return nullptr;
  auto transfer = std::make_unique<Transfer>(ThreadPool().Take());
  if (!transfer->easy || !transfer->multi) return nullptr;
  transfer->method = std::string(method);
  const bool defaultPort = connection.port() == (secure ? 443 : 80);
  const std::string url = std::string(secure ? "https://" : "http://") + connection.host() +
                          (defaultPort ? "" : ":" + std::to_string(connection.port())) +
                          WireTarget(path);
  if (!SetUp(*transfer, url, connection.session().ProxyFor(secure))) return nullptr;
  return std::unique_ptr<HttpRequest>(new HttpRequest(std::move(transfer)));
}

bool HttpRequest::SetTimeouts(int resolveMs, int connectMs, int sendMs, int receiveMs) {
  Transfer& t = *transfer_;
  if (t.started || resolveMs < 1 || connectMs < 1 || sendMs < 1 || receiveMs < 1) return false;
  t.connectMs = static_cast<int>(std::min<long long>(static_cast<long long>(resolveMs) + connectMs,
                                                     std::numeric_limits<int>::max()));
  t.sendMs = sendMs;
  t.receiveMs = receiveMs;
  return curl_easy_setopt(t.easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(t.connectMs)) ==
         CURLE_OK;
}

bool HttpRequest::SetCredentials(HttpAuthTarget target, std::string_view user,
                                 std::string_view password) {
  Transfer& t = *transfer_;
  if (t.started || user.find(':') != std::string_view::npos || HoldsLineBreakOrZero(user) ||
      HoldsLineBreakOrZero(password)) {
    return false;
  }
  const std::string u(user);
  const std::string p(password);
  const bool server = target == HttpAuthTarget::kServer;
  return curl_easy_setopt(t.easy, server ? CURLOPT_USERNAME : CURLOPT_PROXYUSERNAME, u.c_str()) ==
             CURLE_OK &&
         curl_easy_setopt(t.easy, server ? CURLOPT_PASSWORD : CURLOPT_PROXYPASSWORD, p.c_str()) ==
             CURLE_OK &&
         curl_easy_setopt(t.easy, server ? CURLOPT_HTTPAUTH : CURLOPT_PROXYAUTH,
                          static_cast<unsigned long>(CURLAUTH_BASIC)) == CURLE_OK;
}

bool HttpRequest::DisableCookies() {
  // Nothing to switch off: the handle never gets a cookie engine or a cookie file.
  return !transfer_->started;
}

bool HttpRequest::DisableRedirects() {
  Transfer& t = *transfer_;
  if (t.started) return false;
  t.follow = false;
  return curl_easy_setopt(t.easy, CURLOPT_FOLLOWLOCATION, 0L) == CURLE_OK;
}

bool HttpRequest::AddHeaders(std::string_view text) {
  Transfer& t = *transfer_;
  if (t.started) return false;
  std::vector<HeaderLine> merged = t.headers;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = std::min(text.find("\r\n", start), text.size());
    const std::string_view line = text.substr(start, end - start);
    start = end + 2;
    if (line.empty()) continue;
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || !IsToken(line.substr(0, colon)) ||
        HoldsLineBreakOrZero(line)) {
      return false;
    }
    HeaderLine header{std::string(line.substr(0, colon)), std::string(line)};
    auto same = std::find_if(merged.begin(), merged.end(), [&](const HeaderLine& h) {
      return EqualsIgnoringCase(h.name, header.name);
    });
    if (same != merged.end()) {
      *same = std::move(header);
    } else {
      merged.push_back(std::move(header));
    }
  }
  t.headers = std::move(merged);
  return true;
}

bool HttpRequest::Send(std::span<const std::uint8_t> body) {
  Transfer& t = *transfer_;
  if (t.started) return false;
  t.started = true;
  t.body.assign(body.begin(), body.end());
  if (!t.ApplyMethod() || !t.ApplyHeaders()) return false;
  if (curl_multi_add_handle(t.multi, t.easy) != CURLM_OK) return false;
  t.added = true;
  t.Touch();
  return t.Pump([&] { return t.Sent() || t.anyResponse; });
}

bool HttpRequest::ReceiveResponse() {
  Transfer& t = *transfer_;
  return t.started && t.Pump([&] { return t.headersFinal; });
}

bool HttpRequest::QueryDataAvailable(std::size_t* available) {
  Transfer& t = *transfer_;
  if (!t.headersFinal) return false;
  t.Pump([&] { return t.Waiting() > 0; });
  const bool broke = t.finished && t.result != CURLE_OK && t.Waiting() == 0;
  *available = broke ? 1 : t.Waiting();
  return true;
}

bool HttpRequest::ReadData(std::string& out, std::size_t size, std::size_t* read) {
  Transfer& t = *transfer_;
  if (!t.headersFinal) return false;
  t.Pump([&] { return t.Waiting() > 0; });
  if (t.Waiting() == 0 && t.result != CURLE_OK) return false;
  const std::size_t n = std::min(size, t.Waiting());
  if (out.empty() && t.pendingStart == 0 && n == t.pending.size()) {
    out.swap(t.pending);  // the whole buffer changes hands instead of being copied
  } else {
    out.append(t.pending, t.pendingStart, n);
    t.pendingStart += n;
  }
  *read = n;
  return true;
}

bool HttpRequest::QueryRawHeaders(std::string* text) const {
  if (!transfer_->headersFinal) return false;
  *text = transfer_->headerText;
  return true;
}

void SetHttpCaFileForTests(std::string path) { CaFile() = std::move(path); }

}  // namespace tuxia::platform
