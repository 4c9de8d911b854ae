#include "net/web_request.h"

#include <cstdint>
#include <memory>

#include "net/cookies.h"
#include "net/exchange.h"
#include "net/request_settings.h"
#include "net/response_text.h"
#include "platform/http_client.h"
#include "platform/pending_messages.h"
#include "regex/regex_object.h"
#include "text/codepage.h"
#include "text/text.h"

namespace tuxia {
namespace {

using platform::HttpAuthTarget;
using platform::HttpConnection;
using platform::HttpRequest;
using platform::HttpSession;
using platform::HttpUrlParts;

// How a failing stage leaves: the common exit dispatches pending messages `messages` times,
// the immediate one none.
struct StageFailure {
  const char* text;  // UTF-8 source of the GBK status text
  bool immediate;
  int messages;
};

// Indexed by stage, 1 to 13. There is no code 706: both credential stages report 707.
constexpr StageFailure kStageFailures[] = {
    {},
    {"700 当前系统不支持WinHttp服务!", false, 0},
    {"701 解析URL地址失败!", false, 1},
    {"702 创建WinHttp会话失败!", false, 2},
    {"703 创建WinHttp连接失败!", false, 3},
    {"704 创建WinHttp请求失败!", false, 4},
    {"705 设置超时时间失败!", false, 5},
    {"707 设置代理凭证失败!", true, 0},
    {"707 设置代理凭证失败!", true, 0},
    {"708 禁止自动设置Cookies失败!", true, 0},
    {"709 重定向设置失败!", true, 0},
    {"710 设置协议头失败!", false, 6},
    {"711 发送请求失败!", false, 7},
    {"712 服务器未响应!", false, 8},
};
constexpr int kCompletedMessages = 9;

// Where an output goes: the caller's variable, or a scratch value dropped with the call.
template <typename T>
class Output {
 public:
  explicit Output(T* target) : target_(target ? target : &scratch_) {}
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;
  T& operator*() { return *target_; }

 private:
  T scratch_{};
  T* target_;
};

class Exchange {
 public:
  Exchange(std::string_view url, const WebRequestArgs& args)
      : url_(url), args_(args), status_(args.statusText) {}

  std::string Run(RegexObject& regex) {
    if (!platform::HttpCheckPlatform()) return Fail(1);
    HttpUrlParts parts;
    if (!platform::HttpCrackUrl(url_, &parts)) return Fail(2);
    session_ = HttpSession::Open(ProxyText(args_.proxy, parts.secure));
    if (!session_) return Fail(3);
    connection_ = HttpConnection::Open(*session_, parts.host, parts.port);
    if (!connection_) return Fail(4);
    request_ = HttpRequest::Open(*connection_, MethodText(args_.method),
                                 RequestPath(parts.path, parts.extra), parts.secure);
    if (!request_) return Fail(5);
    const int timeout = TimeoutMilliseconds(args_.timeoutSeconds);
    if (!request_->SetTimeouts(timeout, timeout, timeout, timeout)) return Fail(6);
    if (Both(args_.userName, args_.password) &&
        !request_->SetCredentials(HttpAuthTarget::kServer, args_.userName, args_.password)) {
      return Fail(7);
    }
    if (Both(args_.proxyUser, args_.proxyPassword) &&
        !request_->SetCredentials(HttpAuthTarget::kProxy, args_.proxyUser, args_.proxyPassword)) {
      return Fail(8);
    }
    // Supplied or not, the cookies are ours alone: the platform keeps none either way.
    if (!request_->DisableCookies()) return Fail(9);
    if (args_.noRedirect && !request_->DisableRedirects()) return Fail(10);
    const std::string cookies = args_.cookies ? *args_.cookies : std::string();
    if (!request_->AddHeaders(RequestHeaderText(args_.extraHeaders, cookies))) return Fail(11);
    if (!request_->Send(TextToBytes(args_.postData))) return Fail(12);
    if (!request_->ReceiveResponse()) return Fail(13);
    std::string body;
    ReadBody(*request_, body, *status_);
    return Leave(kCompletedMessages, Complete(std::move(body), regex));
  }

 private:
  static bool Both(std::string_view a, std::string_view b) { return !a.empty() && !b.empty(); }

  std::string Fail(int stage) {
    const StageFailure& failure = kStageFailures[stage];
    *status_ = Gbk(failure.text);
    if (failure.immediate) {
      Close();
      return {};
    }
    return Leave(failure.messages, {});
  }

  std::string Leave(int messages, std::string result) {
    for (int i = 0; i < messages; ++i) ProcessPendingMessages();
    Close();
    return result;
  }

  void Close() {
    request_.reset();
    connection_.reset();
    session_.reset();
  }

  // The response headers and the outputs, once the body has been read.
  std::string Complete(std::string body, RegexObject& regex) {
    std::string headers;
    if (!request_->QueryRawHeaders(&headers)) return {};
    Output<std::string> returnedHeaders(args_.returnedHeaders);
    *returnedHeaders = headers;
    const int lineEnd = FindText(*returnedHeaders, "\r\n", 10);
    *status_ = lineEnd < 0 ? std::string() : TextMiddle(*returnedHeaders, 10, lineEnd - 10);
    *returnedHeaders = ReplaceText(*returnedHeaders, "Set-Cookie", "Set-Cookie");
    Output<std::string> returnedCookies(args_.returnedCookies);
    Output<std::string> redirectUrl(args_.redirectUrl);
    *returnedCookies = std::string();
    for (const std::string& line : SplitText(*returnedHeaders, "\r\n")) {
      CollectCookieLine(line, *returnedCookies);
      if (FindText(line, "Location: ", 1, true) == 1) *redirectUrl = line.substr(10);
      ProcessPendingMessages();
    }
    FinishCookies(*returnedCookies, args_.cookies, args_.mergeCookies);
    if (args_.responseBytes) {
      const auto* bytes = reinterpret_cast<const std::uint8_t*>(body.data());
      args_.responseBytes->assign(bytes, bytes + body.size());
    }
    return ResponseText(std::move(body), regex);
  }

  std::string_view url_;
  const WebRequestArgs& args_;
  Output<std::string> status_;
  std::unique_ptr<HttpSession> session_;
  std::unique_ptr<HttpConnection> connection_;
  std::unique_ptr<HttpRequest> request_;
};

}  // namespace

std::string WebRequest(std::string_view url, const WebRequestArgs& args) {
  // Lives for the whole call and goes on every way out; the charset search uses it.
  RegexObject regex;
  Exchange exchange(url, args);
  return exchange.Run(regex);
}

}  // namespace tuxia
