#pragma once
// A plain walk of the double-byte rule, one character at a time, for FindText,
// FindTextReverse, ReplaceText and SplitText, and a check that the library's operations agree
// with it. Shared by the differential test and the fuzz target fuzz_text_search.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "text/text.h"

namespace tuxia::reference {

inline bool IsHigh(char byte) { return static_cast<unsigned char>(byte) >= 0x80; }

inline char Fold(char byte) {
  return byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte - 'A' + 'a') : byte;
}

// The sought text at offset i of the text, which the caller has checked to fit.
inline bool MatchesAt(std::string_view text, std::size_t i, std::string_view sought,
                      bool ignoreCase) {
  for (std::size_t j = 0; j < sought.size(); ++j) {
    if (!ignoreCase) {
      if (text[i + j] != sought[j]) return false;
    } else if (IsHigh(text[i + j])) {
      // Both bytes of a two-byte character compare exactly.
      if (text[i + j] != sought[j]) return false;
      if (j + 1 < sought.size() && text[i + j + 1] != sought[j + 1]) return false;
      ++j;
    } else if (Fold(text[i + j]) != Fold(sought[j])) {
      return false;
    }
  }
  return true;
}

inline std::size_t Step(std::string_view text, std::size_t i) { return IsHigh(text[i]) ? 2 : 1; }

inline int FindText(std::string_view text, std::string_view sought, int start, bool ignoreCase) {
  const std::size_t offset = start > 1 ? static_cast<std::size_t>(start - 1) : 0;
  if (offset >= text.size()) return -1;
  if (sought.empty()) return 1;
  for (std::size_t i = offset; text.size() - i >= sought.size(); i += Step(text, i)) {
    if (MatchesAt(text, i, sought, ignoreCase)) return static_cast<int>(i) + 1;
    if (i + Step(text, i) > text.size()) break;
  }
  return -1;
}

inline int FindTextReverse(std::string_view text, std::string_view sought, std::optional<int> start,
                           bool ignoreCase) {
  std::size_t searched = text.size();
  if (start) {
    if (*start <= 1) return -1;
    searched = std::min(searched, static_cast<std::size_t>(*start - 1));
  }
  if (sought.empty()) return searched > 0 ? 1 : -1;
  int last = -1;
  for (std::size_t i = 0; i + sought.size() <= searched; i += Step(text, i)) {
    if (MatchesAt(text, i, sought, ignoreCase)) last = static_cast<int>(i) + 1;
  }
  return last;
}

inline std::string ReplaceText(std::string_view text, std::string_view sought,
                               std::string_view replacement, int start, int count,
                               bool caseSensitive) {
  const std::size_t offset = start > 1 ? static_cast<std::size_t>(start - 1) : 0;
  if (text.empty() || sought.empty() || offset >= text.size() || count == 0) {
    return std::string(text);
  }
  std::string result(text.substr(0, offset));
  std::size_t i = offset;
  int replaced = 0;
  while (text.size() - i >= sought.size() && replaced != count) {
    if (MatchesAt(text, i, sought, !caseSensitive)) {
      result += replacement;
      i += sought.size();
      ++replaced;
    } else {
      const std::size_t width = std::min(Step(text, i), text.size() - i);
      result += text.substr(i, width);
      i += width;
    }
  }
  result += text.substr(i);
  return result;
}

inline TextArray SplitText(std::string_view text, std::string_view separator,
                           std::optional<int> limit) {
  const int most = limit ? std::max(*limit, 0) : -1;
  if (text.empty() || most == 0) return {};
  if (separator.empty()) return {std::string(text)};
  TextArray fields;
  std::size_t fieldStart = 0;
  std::size_t i = 0;
  while (i + separator.size() <= text.size()) {
    if (MatchesAt(text, i, separator, false)) {
      fields.emplace_back(text.substr(fieldStart, i - fieldStart));
      if (static_cast<int>(fields.size()) == most) return fields;
      i += separator.size();
      fieldStart = i;
    } else {
      i += Step(text, i);
    }
  }
  if (fieldStart < text.size()) fields.emplace_back(text.substr(fieldStart));
  return fields;
}

// One set of arguments for the four operations.
struct SearchCase {
  std::string text;
  std::string sought;
  std::string replacement;
  int start = 1;
  std::optional<int> reverseStart;
  int count = -1;
  std::optional<int> limit;
  bool ignoreCase = false;
};

// Arguments read from fuzzer bytes: four bytes of small numbers and flags, then the sought
// text (its length from the fourth byte), a replacement of up to 3 bytes, and the text.
inline SearchCase DecodeSearchCase(std::span<const std::uint8_t> data) {
  SearchCase c;
  if (data.size() < 4) return c;
  const auto small = [](std::uint8_t byte) { return static_cast<int>(byte % 16) - 3; };
  c.start = small(data[0]);
  c.reverseStart = data[0] & 0x80 ? std::nullopt : std::optional<int>(small(data[0] >> 3));
  c.count = small(data[1]);
  c.limit = data[1] & 0x80 ? std::nullopt : std::optional<int>(small(data[1] >> 3));
  c.ignoreCase = (data[2] & 1) != 0;
  const std::size_t soughtSize = std::min<std::size_t>(data[3] % 6, data.size() - 4);
  const std::size_t replacementSize =
      std::min<std::size_t>(data[2] >> 1 & 3, data.size() - 4 - soughtSize);
  const auto bytes = [&](std::size_t from, std::size_t size) {
    return std::string(reinterpret_cast<const char*>(data.data()) + from, size);
  };
  c.sought = bytes(4, soughtSize);
  c.replacement = bytes(4 + soughtSize, replacementSize);
  c.text = bytes(4 + soughtSize + replacementSize, data.size() - 4 - soughtSize - replacementSize);
  return c;
}

// Empty when the library agrees with the plain walk, else the name of the operation that does
// not.
inline std::string Disagreement(const SearchCase& c) {
  if (tuxia::FindText(c.text, c.sought, c.start, c.ignoreCase) !=
      FindText(c.text, c.sought, c.start, c.ignoreCase)) {
    return "FindText";
  }
  if (tuxia::FindTextReverse(c.text, c.sought, c.reverseStart, c.ignoreCase) !=
      FindTextReverse(c.text, c.sought, c.reverseStart, c.ignoreCase)) {
    return "FindTextReverse";
  }
  for (const bool caseSensitive : {false, true}) {
    if (tuxia::ReplaceText(c.text, c.sought, c.replacement, c.start, c.count, caseSensitive) !=
        ReplaceText(c.text, c.sought, c.replacement, c.start, c.count, caseSensitive)) {
      return caseSensitive ? "ReplaceText (case-sensitive)" : "ReplaceText";
    }
  }
  if (tuxia::SplitText(c.text, c.sought, c.limit) != SplitText(c.text, c.sought, c.limit)) {
    return "SplitText";
  }
  return {};
}

}  // namespace tuxia::reference
