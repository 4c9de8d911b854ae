#pragma once
// Text and byte operations over GBK text. Searching operations walk whole characters (a byte
// of 0x80 or above starts a two-byte character); cutting operations count plain bytes.
// Positions are 1-based byte positions; a search that finds nothing gives -1.
// Case-insensitive matching folds the ASCII letters only.
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "text/types.h"

namespace tuxia {

// The part between the first `left` at or after `start` and the next `right`; "#引号" in
// either marker stands for a double quote. Empty when a marker is missing.
[[nodiscard]] std::string TextBetween(std::string_view text, std::string_view left,
                                      std::string_view right, int start = 0,
                                      bool ignoreCase = false);
// Everything after the last `separator` that lies before `start` (omitted: whole text).
[[nodiscard]] std::string TextAfterLast(std::string_view text, std::string_view separator,
                                        std::optional<int> start = std::nullopt,
                                        bool ignoreCase = false);

[[nodiscard]] int TextLength(std::string_view text);
[[nodiscard]] std::string TextLeft(std::string_view text, int n);
[[nodiscard]] std::string TextRight(std::string_view text, int n);
[[nodiscard]] std::string TextMiddle(std::string_view text, int start, int n);
[[nodiscard]] int FindText(std::string_view text, std::string_view sought, int start = 1,
                           bool ignoreCase = false);
[[nodiscard]] int FindTextReverse(std::string_view text, std::string_view sought,
                                  std::optional<int> start = std::nullopt, bool ignoreCase = false);
// count omitted or negative: every occurrence; 0: none.
[[nodiscard]] std::string ReplaceText(std::string_view text, std::string_view sought,
                                      std::string_view replacement = {}, int start = 1,
                                      int count = -1, bool caseSensitive = false);
[[nodiscard]] TextArray SplitText(std::string_view text, std::string_view separator = ",",
                                  std::optional<int> limit = std::nullopt);
[[nodiscard]] std::string TrimText(std::string_view text);
[[nodiscard]] std::string RemoveSpaces(std::string_view text);
[[nodiscard]] std::string NumberToText(int number);
[[nodiscard]] std::string NumberToText(std::int64_t number);
[[nodiscard]] std::string NumberToText(double number);
[[nodiscard]] std::string NumberToText(float number);
[[nodiscard]] std::string BytesToText(const Bytes& bytes);
[[nodiscard]] std::string CharFromCode(int code);
[[nodiscard]] Bytes TextToBytes(std::string_view text);
[[nodiscard]] std::string ToHexText(std::int32_t value);
[[nodiscard]] int CompareTextExact(std::string_view first, std::string_view second);
[[nodiscard]] std::string ConcatText(std::initializer_list<std::string_view> parts);
[[nodiscard]] Bytes ConcatBytes(std::initializer_list<std::span<const std::uint8_t>> parts);
[[nodiscard]] std::string BlankText(int n);
[[nodiscard]] Bytes BlankBytes(int n);
[[nodiscard]] Bytes BytesLeft(const Bytes& bytes, int n);

}  // namespace tuxia
