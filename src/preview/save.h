#pragma once
// Saving a picture: its name (the MD5 of its bytes) and a write that never leaves half a file.
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "text/types.h"

namespace tuxia {

// The MD5 digest (RFC 1321) as 32 lower-case hexadecimal digits; empty if it cannot be computed.
[[nodiscard]] std::string Md5Hex(const Bytes& bytes);

// Writes the non-empty parts, in order, to a temporary file beside `path` and renames it over
// `path`, so that the file is either replaced whole or left as it was. False when the path is
// empty or any step fails; the temporary file is then removed.
bool WriteFileBytes(std::string_view path,
                    std::initializer_list<std::span<const std::uint8_t>> parts);

}  // namespace tuxia
