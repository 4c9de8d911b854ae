// The operations that walk a text character by character (a byte of 0x80 or above starts a
// two-byte character): searching, replacing, splitting and the space operations.
//
// The searches do not step through every character. They let memmem/memchr propose a
// candidate and then decide whether it lies on a character start: a byte below 0x80 always
// ends a character, so the candidate starts a character exactly when the run of bytes of 0x80
// or above just before it, back to the last known character start, has even length. The known
// start moves past each candidate, so no byte is looked at twice.
#include <algorithm>
#include <cstring>

#include "text/text.h"

namespace tuxia {
namespace {

constexpr std::size_t kNone = std::string_view::npos;
// Candidate positions up to which a search is short (see Matcher::ShortCandidate).
constexpr std::size_t kShortSpan = 256;

bool IsHigh(char byte) { return static_cast<unsigned char>(byte) >= 0x80; }
bool IsAsciiLetter(char byte) {
  return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z');
}
char FoldAscii(char byte) {
  return byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte + 32) : byte;
}

std::size_t NextCharacter(std::string_view text, std::size_t i) {
  return std::min(text.size(), i + (IsHigh(text[i]) ? 2 : 1));
}

// Width of the space at i: 1 for 0x20, 2 for the full-width space A1 A1, 0 for anything else.
std::size_t SpaceWidth(std::string_view text, std::size_t i) {
  if (text[i] == ' ') return 1;
  if (text[i] == '\xA1' && i + 1 < text.size() && text[i + 1] == '\xA1') return 2;
  return 0;
}

// The case rule at a character start: ASCII letters fold onto each other, every other byte and
// both bytes of a two-byte character must be equal.
bool EqualsIgnoringCase(const char* text, std::string_view sought) {
  for (std::size_t j = 0; j < sought.size();) {
    if (IsHigh(text[j])) {
      if (text[j] != sought[j] || (j + 1 < sought.size() && text[j + 1] != sought[j + 1])) {
        return false;
      }
      j += 2;
    } else {
      if (FoldAscii(text[j]) != FoldAscii(sought[j])) return false;
      ++j;
    }
  }
  return true;
}

// Finds `sought` at character starts of one text, from a given character start onwards.
class Matcher {
 public:
  Matcher(std::string_view text, std::string_view sought, bool ignoreCase)
      : text_(text), sought_(sought) {
    if (!ignoreCase) return;
    const auto isLetter = [](char byte) { return IsAsciiLetter(byte); };
    // Without ASCII letters in the sought text the case rule is plain byte equality.
    exact_ = std::none_of(sought.begin(), sought.end(), isLetter);
    const auto anchor = std::find_if_not(sought.begin(), sought.end(), isLetter);
    anchor_ = anchor == sought.end() ? kNone : static_cast<std::size_t>(anchor - sought.begin());
  }

  // The first match at or after `from` (a character start) that ends at or before `limit`.
  [[nodiscard]] std::size_t Next(std::size_t from, std::size_t limit) const {
    std::size_t known = from;
    for (std::size_t pos = from;;) {
      const std::size_t candidate = Candidate(pos, limit);
      if (candidate == kNone) return kNone;
      std::size_t runStart = candidate;
      while (runStart > known && IsHigh(text_[runStart - 1])) --runStart;
      if ((candidate - runStart) % 2 != 0) {  // the second byte of a two-byte character
        known = pos = candidate + 1;
        continue;
      }
      if (exact_ || EqualsIgnoringCase(text_.data() + candidate, sought_)) return candidate;
      known = candidate;
      pos = candidate + 1;
    }
  }

 private:
  // A position at or after pos where the match may begin, ignoring character starts. When
  // exact_ is set the bytes there equal the sought text.
  [[nodiscard]] std::size_t Candidate(std::size_t pos, std::size_t limit) const {
    if (limit < sought_.size() || pos > limit - sought_.size()) return kNone;
    const std::size_t span = limit - sought_.size() - pos + 1;  // candidate positions left
    if (exact_) return span <= kShortSpan ? ShortCandidate(pos, span) : LongCandidate(pos, span);
    if (anchor_ != kNone) {  // a byte that must be equal as it is
      const void* found = std::memchr(text_.data() + pos + anchor_, sought_[anchor_], span);
      return found ? static_cast<const char*>(found) - text_.data() - anchor_ : kNone;
    }
    const char first = FoldAscii(sought_[0]);
    for (std::size_t i = pos; i < pos + span; ++i) {
      if (FoldAscii(text_[i]) == first) return i;
    }
    return kNone;
  }

  // memmem sets up a table for every call, which costs more than the whole search of a short
  // span; there the first byte is looked for and the rest compared.
  [[nodiscard]] std::size_t ShortCandidate(std::size_t pos, std::size_t span) const {
    const char* const first = text_.data();
    const char* const end = first + pos + span;
    for (const char* at = first + pos; at < end; ++at) {
      at = static_cast<const char*>(std::memchr(at, sought_[0], end - at));
      if (at == nullptr) return kNone;
      if (std::memcmp(at + 1, sought_.data() + 1, sought_.size() - 1) == 0) return at - first;
    }
    return kNone;
  }

  [[nodiscard]] std::size_t LongCandidate(std::size_t pos, std::size_t span) const {
    const void* found =
        memmem(text_.data() + pos, span + sought_.size() - 1, sought_.data(), sought_.size());
    return found ? static_cast<const char*>(found) - text_.data() : kNone;
  }

  std::string_view text_;
  std::string_view sought_;
  bool exact_ = true;
  std::size_t anchor_ = kNone;
};

std::size_t StartOffset(int start) { return start > 1 ? static_cast<std::size_t>(start) - 1 : 0; }

int Position(std::size_t offset) { return static_cast<int>(offset) + 1; }

}  // namespace

int FindText(std::string_view text, std::string_view sought, int start, bool ignoreCase) {
  const std::size_t offset = StartOffset(start);
  if (offset >= text.size()) return -1;
  if (sought.empty()) return 1;
  const std::size_t found = Matcher(text, sought, ignoreCase).Next(offset, text.size());
  return found == kNone ? -1 : Position(found);
}

int FindTextReverse(std::string_view text, std::string_view sought, std::optional<int> start,
                    bool ignoreCase) {
  if (start && *start <= 1) return -1;
  const std::size_t limit = start ? std::min(text.size(), StartOffset(*start)) : text.size();
  if (limit == 0) return -1;
  if (sought.empty()) return 1;
  // Overlapping occurrences count, so the walk goes on one character after each match.
  const Matcher matcher(text, sought, ignoreCase);
  std::size_t last = kNone;
  for (std::size_t found = matcher.Next(0, limit); found != kNone;
       found = matcher.Next(NextCharacter(text, found), limit)) {
    last = found;
  }
  return last == kNone ? -1 : Position(last);
}

std::string ReplaceText(std::string_view text, std::string_view sought,
                        std::string_view replacement, int start, int count, bool caseSensitive) {
  const std::size_t offset = StartOffset(start);
  if (text.empty() || sought.empty() || offset >= text.size() || count == 0) {
    return std::string(text);
  }
  const Matcher matcher(text, sought, !caseSensitive);
  std::size_t found = matcher.Next(offset, text.size());
  if (found == kNone) return std::string(text);
  std::string result;
  result.reserve(text.size());
  std::size_t copied = 0;
  int replaced = 0;
  for (; found != kNone; found = matcher.Next(copied, text.size())) {
    result.append(text.substr(copied, found - copied)).append(replacement);
    copied = found + sought.size();
    if (++replaced == count) break;
  }
  result.append(text.substr(copied));
  return result;
}

TextArray SplitText(std::string_view text, std::string_view separator, std::optional<int> limit) {
  const std::size_t most = limit ? static_cast<std::size_t>(std::max(*limit, 0)) : kNone;
  if (text.empty() || most == 0) return {};
  if (separator.empty()) return {std::string(text)};
  const Matcher matcher(text, separator, false);
  TextArray fields;
  std::size_t fieldStart = 0;
  for (std::size_t found = matcher.Next(0, text.size()); found != kNone;
       found = matcher.Next(fieldStart, text.size())) {
    fields.emplace_back(text.substr(fieldStart, found - fieldStart));
    fieldStart = found + separator.size();
    if (fields.size() == most) return fields;
  }
  if (fieldStart < text.size()) fields.emplace_back(text.substr(fieldStart));
  return fields;
}

std::string TrimText(std::string_view text) {
  std::size_t begin = 0;
  while (begin < text.size()) {
    const std::size_t space = SpaceWidth(text, begin);
    if (space == 0) break;
    begin += space;
  }
  // Only a forward walk knows where characters start, so the trailing run is found on the way.
  std::size_t end = begin;
  for (std::size_t i = begin; i < text.size();) {
    const std::size_t space = SpaceWidth(text, i);
    if (space != 0) {
      i += space;
      continue;
    }
    i = NextCharacter(text, i);
    end = i;
  }
  return std::string(text.substr(begin, end - begin));
}

std::string RemoveSpaces(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t space = SpaceWidth(text, i);
    if (space != 0) {
      i += space;
      continue;
    }
    const std::size_t next = NextCharacter(text, i);
    result.append(text.substr(i, next - i));
    i = next;
  }
  return result;
}

}  // namespace tuxia
