#include "regex/wide_subject.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstdint>
#include <cstring>

#include "text/codepage.h"

namespace tuxia::regex {
namespace {

constexpr int kGbk = 936;
constexpr std::uint64_t kHighBits = 0x8080808080808080;
constexpr std::size_t kChunk = 16;  // bytes widened at once
constexpr std::size_t kWord = 64;   // units per word of the double-byte bits

bool AllAscii(const std::uint8_t* bytes) {
  std::uint64_t words[kChunk / sizeof(std::uint64_t)];
  std::memcpy(words, bytes, kChunk);
  std::uint64_t any = 0;
  for (const std::uint64_t word : words) any |= word;
  return (any & kHighBits) == 0;
}

// The number of bytes before the first of 0x80 or above among the kChunk bytes.
std::size_t AsciiPrefix(const std::uint8_t* bytes) {
  for (std::size_t at = 0; at < kChunk; at += sizeof(std::uint64_t)) {
    std::uint64_t word = 0;
    std::memcpy(&word, bytes + at, sizeof word);
    const std::uint64_t high = word & kHighBits;
    if (high != 0) {
      const int bit = std::endian::native == std::endian::little ? std::countr_zero(high)
                                                                 : std::countl_zero(high);
      return at + static_cast<std::size_t>(bit) / 8;
    }
  }
  return kChunk;
}

// A local copy tells the compiler the bytes and the units do not overlap, so that it widens the
// whole chunk with vector instructions.
void WidenChunk(const std::uint8_t* bytes, char16_t* units) {
  std::uint8_t chunk[kChunk];
  std::memcpy(chunk, bytes, kChunk);
  for (std::size_t k = 0; k < kChunk; ++k) units[k] = chunk[k];
}

// Sets bits [first, last) of the bit words.
void SetBits(std::uint64_t* words, std::size_t first, std::size_t last) {
  for (std::size_t word = first / kWord; word * kWord < last; ++word) {
    const std::size_t from = std::max(first, word * kWord) - word * kWord;
    const std::size_t to = std::min(last, (word + 1) * kWord) - word * kWord;
    const std::uint64_t upTo = to == kWord ? ~std::uint64_t{0} : (std::uint64_t{1} << to) - 1;
    words[word] |= upTo & ~((std::uint64_t{1} << from) - 1);
  }
}

// std::popcount is a library call where the target has no instruction for it.
std::size_t CountBits(std::uint64_t bits) {
  bits -= bits >> 1 & 0x5555555555555555;
  bits = (bits & 0x3333333333333333) + (bits >> 2 & 0x3333333333333333);
  bits = (bits + (bits >> 4)) & 0x0F0F0F0F0F0F0F0F;
  return static_cast<std::size_t>((bits * 0x0101010101010101) >> 56);
}

// What each double-byte character converts to, learnt from the code-page conversions the first
// time it is met: kUnknown until then; kIrregular when it does not become exactly one unit that
// converts back to the same two bytes. Indexed by (lead - 0x80) << 8 | trail.
constexpr char16_t kUnknown = 0;
constexpr char16_t kIrregular = 0xFFFF;
std::atomic<char16_t> pairUnits[0x80 * 0x100];

bool IsSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

char16_t ConvertPair(std::uint8_t lead, std::uint8_t trail) {
  const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
  const std::string_view text(pair, 2);
  const Bytes wide = TextToWide(text, kGbk);
  if (wide.size() != 4 || wide[2] != 0 || wide[3] != 0) return kIrregular;
  const auto unit = static_cast<char16_t>(wide[0] | wide[1] << 8);
  if (unit < 0x80 || IsSurrogate(unit) || unit == kIrregular) return kIrregular;
  return WideToText(wide, kGbk) == text ? unit : kIrregular;
}

char16_t PairUnit(std::uint8_t lead, std::uint8_t trail) {
  std::atomic<char16_t>& slot = pairUnits[(std::size_t{lead} - 0x80) << 8 | trail];
  char16_t unit = slot.load(std::memory_order_relaxed);
  if (unit == kUnknown) [[unlikely]] {
    unit = ConvertPair(lead, trail);
    slot.store(unit, std::memory_order_relaxed);
  }
  return unit;
}

}  // namespace

Bytes ToWideBytes(std::u16string_view units) {
  Bytes wide((units.size() + 1) * 2, 0);
  for (std::size_t i = 0; i < units.size(); ++i) {
    wide[2 * i] = static_cast<std::uint8_t>(units[i] & 0xFF);
    wide[2 * i + 1] = static_cast<std::uint8_t>(units[i] >> 8);
  }
  return wide;
}

std::u16string FromWideBytes(const Bytes& wide) {
  std::u16string units;
  units.reserve(wide.size() / 2);
  for (std::size_t i = 0; i + 1 < wide.size(); i += 2) {
    const auto unit = static_cast<char16_t>(wide[i] | wide[i + 1] << 8);
    if (unit == 0) break;
    units += unit;
  }
  return units;
}

WideSubject::WideSubject(std::string_view gbk) {
  gbk = gbk.substr(0, gbk.find('\0'));
  aligned_ = Widen(gbk);
  if (aligned_) {
    CountWordBytes();
  } else {
    doubleBits_.clear();
    const std::u16string units = FromWideBytes(TextToWide(gbk, kGbk));
    size_ = units.size();
    units_ = std::make_unique_for_overwrite<char16_t[]>(size_);
    std::copy(units.begin(), units.end(), units_.get());
  }
}

// Code page 936 keeps ASCII as it is, so only the double-byte characters need the conversions.
// Pages are mostly ASCII markup: kChunk bytes at a time are widened, and the leading ASCII run
// of them kept.
bool WideSubject::Widen(std::string_view gbk) {
  units_ = std::make_unique_for_overwrite<char16_t[]>(gbk.size());
  doubleBits_.assign(gbk.size() / kWord + 1, 0);
  char16_t* const out = units_.get();
  std::uint64_t* const bits = doubleBits_.data();
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(gbk.data());
  const std::size_t size = gbk.size();
  std::size_t count = 0;  // never more than i, so a whole chunk always fits at out + count
  for (std::size_t i = 0; i < size;) {
    if (i + kChunk <= size) {
      WidenChunk(bytes + i, out + count);
      // A whole chunk of ASCII advances by a constant, so the next chunk's loads need not wait
      // for this one's bytes.
      if (AllAscii(bytes + i)) {
        i += kChunk;
        count += kChunk;
        continue;
      }
      const std::size_t ascii = AsciiPrefix(bytes + i);
      i += ascii;
      count += ascii;
    } else {
      while (i < size && bytes[i] < 0x80) out[count++] = bytes[i++];
    }
    // A run of double-byte characters, as Chinese text comes. Its bits are set once it ends.
    const std::size_t run = count;
    while (i + 1 < size && bytes[i] >= 0x80) {
      const char16_t unit = PairUnit(bytes[i], bytes[i + 1]);
      if (unit == kIrregular) return false;
      out[count++] = unit;
      i += 2;
    }
    if (i + 1 == size && bytes[i] >= 0x80) return false;  // a first byte without its second
    SetBits(bits, run, count);
  }
  size_ = count;
  return true;
}

void WideSubject::CountWordBytes() {
  const std::size_t words = size_ / kWord + 1;
  doubleBits_.resize(words);
  wordBytes_.resize(words);
  std::size_t offset = 0;
  for (std::size_t word = 0; word < words; ++word) {
    wordBytes_[word] = offset;
    offset += kWord + CountBits(doubleBits_[word]);
  }
}

// Every unit before `unit` stands for one byte, and those made from two bytes for one more.
std::size_t WideSubject::ByteOffset(std::size_t unit) const {
  const std::size_t word = unit / kWord;
  const std::size_t below = unit % kWord;
  const std::uint64_t before = doubleBits_[word] & ((std::uint64_t{1} << below) - 1);
  return wordBytes_[word] + below + CountBits(before);
}

std::string WideSubject::Text(std::string_view gbk, std::size_t begin, std::size_t end) const {
  if (aligned_) {
    const std::size_t first = ByteOffset(begin);
    return std::string(gbk.substr(first, ByteOffset(end) - first));
  }
  return WideToText(ToWideBytes(Units().substr(begin, end - begin)), kGbk);
}

}  // namespace tuxia::regex
