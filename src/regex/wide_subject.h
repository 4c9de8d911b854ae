#pragma once
// GBK text as the engine sees it (UTF-16, a double-byte character one unit), and the way back
// from unit offsets to GBK text.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "text/types.h"

namespace tuxia::regex {

// UTF-16 units as the code-page conversions take and give them: little-endian bytes ended by a
// zero unit, and back (the units before the first zero unit).
[[nodiscard]] Bytes ToWideBytes(std::u16string_view units);
[[nodiscard]] std::u16string FromWideBytes(const Bytes& wide);

// The units of a GBK text, TextToWide(text, 936) up to its first zero unit.
class WideSubject {
 public:
  explicit WideSubject(std::string_view gbk);

  [[nodiscard]] std::u16string_view Units() const { return {units_.get(), size_}; }
  // WideToText(units [begin, end), 936). `gbk` is the text this subject was made from.
  [[nodiscard]] std::string Text(std::string_view gbk, std::size_t begin, std::size_t end) const;

 private:
  bool Widen(std::string_view gbk);
  void CountWordBytes();
  [[nodiscard]] std::size_t ByteOffset(std::size_t unit) const;

  std::unique_ptr<char16_t[]> units_;
  std::size_t size_ = 0;
  // Set when every character of the text (an ASCII byte, or a byte of 0x80 or above with the
  // byte after it) became one unit that converts back to the same bytes. Then unit offsets map
  // to byte offsets, and a text is cut out of the GBK text rather than converted back.
  bool aligned_ = false;
  // Per word of 64 units: bit k is set when unit 64 * word + k was made from two bytes; and the
  // byte offset of the word's first unit.
  std::vector<std::uint64_t> doubleBits_;
  std::vector<std::size_t> wordBytes_;
};

}  // namespace tuxia::regex
