#pragma once
// The read loop of a web request, apart so that its bound can be tried with a small limit.
#include <cstddef>
#include <string>

#include "platform/http_client.h"

namespace tuxia {

// A hostile server must not exhaust memory: the body is cut at this size.
constexpr std::size_t kMaxBodyBytes = std::size_t{256} << 20;

// Reads the body bytes into `body` until it ends. A failed read, or a body beyond `limit` bytes
// (cut at the limit), writes "713 读取数据失败!" into `status` and stops; the bytes read stay.
void ReadBody(platform::HttpRequest& request, std::string& body, std::string& status,
              std::size_t limit = kMaxBodyBytes);

}  // namespace tuxia
