#pragma once
// The response body as the text a web request returns: the body as GBK text, or, when the page
// declares another character set in a meta tag near its start, the body decoded from that set.
#include <optional>
#include <string>
#include <string_view>

#include "regex/regex_object.h"

namespace tuxia {

// Runs once per completed exchange with the call's regular-expression object; dispatches the
// pending window messages once when the charset search ran. `body` holds the body bytes; the
// text takes them over when nothing is decoded.
[[nodiscard]] std::string ResponseText(std::string body, RegexObject& regex);
// The whole body decoded from `charset` (a web label such as "utf-8" or "Shift_JIS") into GBK
// text, ending at the first zero character; bytes that are not valid in the set become "?".
// Nothing when the set is unknown.
[[nodiscard]] std::optional<std::string> DecodeCharset(std::string_view body,
                                                       std::string_view charset);

}  // namespace tuxia
