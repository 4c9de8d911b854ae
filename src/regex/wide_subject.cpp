#include "regex/wide_subject.h"

#include <algorithm>
#include <atomic>
#include <cstdint>

#include "text/codepage.h"

namespace tuxia::regex {
namespace {

constexpr int kGbk = 936;
constexpr std::size_t kStride = 64;

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
  std::atomic<char16_t>& slot = pairUnits[(lead - 0x80) << 8 | trail];
  char16_t unit = slot.load(std::memory_order_relaxed);
  if (unit == kUnknown) {
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
  aligned_ = Widen(gbk);
  if (!aligned_) {
    units_ = FromWideBytes(TextToWide(gbk, kGbk));
    checkpoints_.clear();
  }
}

// Code page 936 keeps ASCII as it is, so only the double-byte characters need the conversions.
bool WideSubject::Widen(std::string_view gbk) {
  units_.resize(gbk.size());
  checkpoints_.reserve(gbk.size() / kStride + 1);
  std::size_t count = 0;
  for (std::size_t i = 0; i < gbk.size();) {
    if (count % kStride == 0) checkpoints_.push_back(i);
    const auto byte = static_cast<std::uint8_t>(gbk[i]);
    if (byte == 0) return false;
    if (byte < 0x80) {
      units_[count++] = byte;
      ++i;
      continue;
    }
    if (i + 1 == gbk.size()) return false;
    const char16_t unit = PairUnit(byte, static_cast<std::uint8_t>(gbk[i + 1]));
    if (unit == kIrregular) return false;
    units_[count++] = unit;
    i += 2;
  }
  units_.resize(count);
  return true;
}

std::size_t WideSubject::ByteOffset(std::size_t unit) const {
  if (checkpoints_.empty()) return 0;
  const std::size_t block = std::min(unit / kStride, checkpoints_.size() - 1);
  std::size_t offset = checkpoints_[block];
  for (std::size_t i = block * kStride; i < unit; ++i) offset += units_[i] < 0x80 ? 1 : 2;
  return offset;
}

std::string WideSubject::Text(std::string_view gbk, std::size_t begin, std::size_t end) const {
  if (aligned_) {
    const std::size_t first = ByteOffset(begin);
    return std::string(gbk.substr(first, ByteOffset(end) - first));
  }
  return WideToText(ToWideBytes(std::u16string_view(units_).substr(begin, end - begin)), kGbk);
}

}  // namespace tuxia::regex
