#pragma once
// Whether bytes hold a picture that the picture box can show.
#include "text/types.h"

namespace tuxia {

// True when the bytes decode as an image with the decoders the picture box draws with.
[[nodiscard]] bool DecodesAsImage(const Bytes& bytes);

}  // namespace tuxia
