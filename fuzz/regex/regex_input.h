#pragma once
// One fuzz input for RegexObject: the first byte holds the four options (bit 0 caseSensitive,
// 1 multiline, 2 global, 3 quoteToken), then the pattern up to the first zero byte, then the
// subject. Sizes are bounded so that every input runs in a moment.
#include <cstddef>
#include <cstdint>

namespace tuxia {

// Runs Create and every reading operation on the input. False when a result breaks what must
// hold for any input: the engine's units and texts agree with the plain code-page conversion,
// replacing every match by itself gives the subject back, a copy reads the same.
[[nodiscard]] bool RegexInputHolds(const std::uint8_t* data, std::size_t size);

}  // namespace tuxia
