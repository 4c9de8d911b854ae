#pragma once
// The three value types every layer passes around.
//   Text:      the program's GBK byte string. A missing text and the empty text are one value.
//   Bytes:     a counted byte array (image files, UTF-16 buffers, response bodies).
//   TextArray: a sequence of texts; the callers address its elements from 1, i.e. [i - 1].
#include <cstdint>
#include <string>
#include <vector>

namespace tuxia {

using Text = std::string;
using Bytes = std::vector<std::uint8_t>;
using TextArray = std::vector<std::string>;

}  // namespace tuxia
