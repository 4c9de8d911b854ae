#pragma once
// Conversions between GBK (code page 936, also what code page 0 means here), UTF-16 and UTF-8
// (code page 65001), and percent-encoding of text.
#include <string>
#include <string_view>

#include "text/types.h"

namespace tuxia {

// UTF-16LE units ended by a zero unit.
[[nodiscard]] Bytes TextToWide(std::string_view text, int codePage = 65001);
[[nodiscard]] std::string WideToText(const Bytes& wide, int codePage = 0);
[[nodiscard]] std::string GbkToUtf8(std::string_view gbk);
[[nodiscard]] std::string Utf8ToGbk(std::string_view utf8);
[[nodiscard]] std::string UrlEncode(std::string_view text, bool keepSafe = false,
                                    bool toUtf8 = false);

// The GBK text of a UTF-8 source literal, so that markers and markup can be written readably.
[[nodiscard]] inline std::string Gbk(std::string_view utf8) { return Utf8ToGbk(utf8); }

}  // namespace tuxia
