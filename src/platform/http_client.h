#pragma once
// A small synchronous HTTP client over libcurl that offers the operations of a WinHttp-style
// exchange, called in this order: check the platform, crack the address, open a session,
// connect, open a request, set it up (timeouts, credentials, options, headers), send, receive
// the response headers, read the body, query the raw response headers, close.
//
// Every operation blocks on the calling thread and reports failure as false or null; there are
// no worker threads. HTTP/1.1 only; content codings are left alone (no Accept-Encoding of our
// own); curl's cookie engine is never on; redirects are followed (at most 10) unless switched
// off, and the headers and status are those of the last response. TLS certificates are
// verified. Connections, resolved names and TLS sessions are pooled per thread.
//
// Texts are passed through as bytes: header lines, user names and passwords go out as given.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace tuxia::platform {

// True when libcurl is usable and speaks http and https.
[[nodiscard]] bool HttpCheckPlatform();

struct HttpUrlParts {
  bool secure = false;  // https
  std::string host;
  std::uint16_t port = 0;  // the address's own port, else 80 or 443
  std::string path;        // from the first "/" of the address; may be empty
  std::string extra;       // the query with its leading "?"; may be empty
};
// Parses an http or https address as it stands (nothing is escaped or unescaped). A fragment is
// dropped. False for any other scheme, a missing host or a bad port.
[[nodiscard]] bool HttpCrackUrl(std::string_view url, HttpUrlParts* parts);

class HttpSession {
 public:
  // `proxies` is a WinHttp-style list of "[scheme=][http://]host[:port]" entries separated by
  // ";" or spaces; an entry with "http=" or "https=" serves only that scheme, a port left out is
  // 80. Empty: no proxy, whatever the environment says. Null for a malformed list.
  [[nodiscard]] static std::unique_ptr<HttpSession> Open(std::string_view proxies);
  // The proxy for an address of that scheme, as curl takes it ("http://host:port"), or empty.
  [[nodiscard]] std::string ProxyFor(bool secure) const;

 private:
  std::string plain_;
  std::string secure_;
};

class HttpConnection {
 public:
  // Null when the host is empty or longer than a host name can be.
  [[nodiscard]] static std::unique_ptr<HttpConnection> Open(const HttpSession& session,
                                                            std::string_view host,
                                                            std::uint16_t port);
  const HttpSession& session() const { return session_; }
  const std::string& host() const { return host_; }
  std::uint16_t port() const { return port_; }

 private:
  HttpConnection(const HttpSession& session, std::string host, std::uint16_t port)
      : session_(session), host_(std::move(host)), port_(port) {}
  const HttpSession& session_;
  std::string host_;
  std::uint16_t port_;
};

enum class HttpAuthTarget { kServer, kProxy };

class HttpRequest {
 public:
  // `path` is the request target ("/" and the query); bytes outside printable ASCII are
  // percent-encoded on the wire. Null when the method is not a token or curl cannot start.
  [[nodiscard]] static std::unique_ptr<HttpRequest> Open(const HttpConnection& connection,
                                                         std::string_view method,
                                                         std::string_view path, bool secure);
  ~HttpRequest();
  HttpRequest(const HttpRequest&) = delete;
  HttpRequest& operator=(const HttpRequest&) = delete;

  // Setup; each fails once the request has been sent.
  // Idle timeouts in milliseconds: resolving plus connecting bound the connection set-up, then
  // sending may stall for `sendMs` and the response (headers or body) for `receiveMs`.
  bool SetTimeouts(int resolveMs, int connectMs, int sendMs, int receiveMs);
  // Basic authentication, sent with the first request. Refused for a user name holding ":" and
  // for either text holding a line break or a zero byte.
  bool SetCredentials(HttpAuthTarget target, std::string_view user, std::string_view password);
  // Our cookies are the caller's business: the platform neither stores nor sends any.
  bool DisableCookies();
  bool DisableRedirects();
  // Header lines separated by CR LF; empty lines are skipped. A line replaces an earlier one of
  // the same name (letter case ignored), else it is added; "Name:" with no value removes the
  // header. False for a line that is not "name: value". Apart from these lines only Host,
  // Content-Length and the credentials go out: curl adds no Accept, Expect or Content-Type.
  bool AddHeaders(std::string_view text);

  // Connects and sends the request with `body` (none for HEAD). False when the name cannot be
  // resolved, the connection or the TLS handshake fails, or sending stalls.
  bool Send(std::span<const std::uint8_t> body);
  // Waits for the headers of the last response. False when none come in time or the transfer
  // fails before they are complete (too many redirects among the causes).
  bool ReceiveResponse();
  // Waits until body bytes are waiting or the body has ended (`available` 0). A transfer that
  // broke reports a non-zero count here and the failure at the ReadData that follows, so that
  // the caller learns of the break where it reads.
  bool QueryDataAvailable(std::size_t* available);
  // Appends at most `size` body bytes to `out` (waiting for them like QueryDataAvailable) and
  // tells how many; 0 at the end of the body. False when the transfer broke.
  bool ReadData(std::string& out, std::size_t size, std::size_t* read);
  // The raw headers of the last response: status line and header lines as received, each
  // ended by CR LF, then an empty line. False before the response has come.
  bool QueryRawHeaders(std::string* text) const;

  // Bound on the header text of one response; beyond it the response is refused.
  static constexpr std::size_t kMaxHeaderBytes = 1 << 20;

  struct Transfer;

 private:
  explicit HttpRequest(std::unique_ptr<Transfer> transfer);
  std::unique_ptr<Transfer> transfer_;
};

// Tests only: requests opened afterwards trust this CA file instead of the system's store
// (verification stays on); the empty path restores the system's store.
void SetHttpCaFileForTests(std::string path);

}  // namespace tuxia::platform
