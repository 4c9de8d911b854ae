#pragma once
// The preview's image download.
#include <string_view>

#include "text/types.h"

namespace tuxia {

// One GET of `address` without its "#" fragment; the body as it arrived, whatever the status.
// Empty when the address cannot be parsed or the connection fails; the bytes read so far when
// the transfer breaks. Processes no window messages.
[[nodiscard]] Bytes HttpGetBytes(std::string_view address);

}  // namespace tuxia
