#pragma once
// The simple internet client that image downloads go through (what WinINet is to the original
// program): one process-wide session, made at the first download and kept until the process
// ends, that fetches an address with a plain HTTP/1.0 GET and hands back the body.
#include <string_view>

#include "text/types.h"

namespace tuxia {

// GET of `address` (http or https, no fragment expected). The request carries the session's
// agent name "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)", "Accept: */*", no referrer
// and no-cache headers; nothing is cached. Redirects are followed and the status is not
// judged: whatever body arrives is the result. Empty when the address cannot be parsed or the
// connection or request fails; the bytes read so far when the transfer breaks midway.
// Window messages are not processed while it runs.
[[nodiscard]] Bytes InternetGetBytes(std::string_view address);

}  // namespace tuxia
