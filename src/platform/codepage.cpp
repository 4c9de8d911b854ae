#include "platform/codepage.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <memory>
#include <mutex>

namespace tuxia::platform {
namespace {

constexpr int kAnsiCodePage = 0;
constexpr int kGbkCodePage = 936;
constexpr int kUtf8CodePage = 65001;
constexpr char16_t kUnicodeReplacement = 0xFFFD;
constexpr char kGbkReplacement = '?';
constexpr const char* kUtf16Native =
    std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

bool IsGbk(int codePage) { return codePage == kAnsiCodePage || codePage == kGbkCodePage; }

bool IsGbkLead(std::uint8_t byte) { return byte >= 0x81 && byte <= 0xFE; }
bool IsGbkTrail(std::uint8_t byte) { return byte >= 0x40 && byte <= 0xFE && byte != 0x7F; }

// One conversion direction of iconv, opened once per thread and reused for every call.
class IconvHandle {
 public:
  IconvHandle(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~IconvHandle() {
    if (Valid()) iconv_close(cd_);
  }
  IconvHandle(const IconvHandle&) = delete;
  IconvHandle& operator=(const IconvHandle&) = delete;

  [[nodiscard]] bool Valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  // Converts as much as it can; moves the pointers past what was converted. False on a
  // sequence it cannot convert (invalid, incomplete or unmappable), which the caller skips.
  bool Convert(const char*& in, std::size_t& inLeft, char*& out, std::size_t& outLeft) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* input = const_cast<char*>(in);
    const bool done = iconv(cd_, &input, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1);
    in = input;
    return done;
  }

 private:
  iconv_t cd_;
};

// CP936 in both directions as two tables, read once from iconv: every character of CP936 fits
// in one UTF-16 unit, and a table walk keeps whole-page conversions cheap.
struct GbkTables {
  std::array<char16_t, 0x10000> toWide{};      // (lead << 8 | trail) or a single byte; 0: none
  std::array<std::uint16_t, 0x10000> toGbk{};  // unit -> byte or (lead << 8 | trail); 0: none
};

char16_t DecodeWithIconv(IconvHandle& handle, const char* bytes, std::size_t size) {
  char16_t unit = 0;
  char* out = reinterpret_cast<char*>(&unit);
  std::size_t outLeft = sizeof unit;
  if (!handle.Convert(bytes, size, out, outLeft) || size != 0 || outLeft != 0) return 0;
  return unit;
}

std::unique_ptr<GbkTables> ReadGbkTables() {
  auto tables = std::make_unique<GbkTables>();
  IconvHandle decoder(kUtf16Native, "CP936");
  if (!decoder.Valid()) return tables;
  for (unsigned byte = 0; byte < 0x100; ++byte) {
    const char single = static_cast<char>(byte);
    tables->toWide[byte] = byte < 0x80 ? byte : DecodeWithIconv(decoder, &single, 1);
  }
  for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
    for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
      if (!IsGbkTrail(trail)) continue;
      const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      tables->toWide[lead << 8 | trail] = DecodeWithIconv(decoder, pair, 2);
    }
  }
  for (unsigned code = 0; code < 0x10000; ++code) {
    const char16_t unit = tables->toWide[code];
    if (unit != 0 && tables->toGbk[unit] == 0) tables->toGbk[unit] = code;
  }
  return tables;
}

const GbkTables& Gbk() {
  static std::once_flag once;
  static std::unique_ptr<GbkTables> tables;
  std::call_once(once, [] { tables = ReadGbkTables(); });
  return *tables;
}

std::u16string GbkToWide(std::string_view bytes) {
  const GbkTables& tables = Gbk();
  std::u16string wide(bytes.size(), u'\0');
  std::size_t out = 0;
  for (std::size_t i = 0; i < bytes.size();) {
    const auto byte = static_cast<std::uint8_t>(bytes[i]);
    if (byte < 0x80) {
      wide[out++] = byte;
      ++i;
      continue;
    }
    char16_t unit = tables.toWide[byte];
    std::size_t width = 1;
    if (unit == 0 && IsGbkLead(byte) && i + 1 < bytes.size() &&
        IsGbkTrail(static_cast<std::uint8_t>(bytes[i + 1]))) {
      unit = tables.toWide[byte << 8 | static_cast<std::uint8_t>(bytes[i + 1])];
      width = 2;  // an undefined pair is still one character: one replacement for both bytes
    }
    wide[out++] = unit != 0 ? unit : static_cast<char16_t>(kGbkReplacement);
    i += width;
  }
  wide.resize(out);
  return wide;
}

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

std::string WideToGbk(std::u16string_view units) {
  const GbkTables& tables = Gbk();
  std::string text(units.size() * 2, '\0');
  std::size_t out = 0;
  for (std::size_t i = 0; i < units.size(); ++i) {
    const char16_t unit = units[i];
    const std::uint16_t code = unit < 0x80 ? unit : tables.toGbk[unit];
    if (code == 0 && unit != 0) {
      // A surrogate pair is one character outside CP936: one '?' for both units.
      if (IsHighSurrogate(unit) && i + 1 < units.size() && IsLowSurrogate(units[i + 1])) ++i;
      text[out++] = kGbkReplacement;
    } else if (code > 0xFF) {
      text[out++] = static_cast<char>(code >> 8);
      text[out++] = static_cast<char>(code & 0xFF);
    } else {
      text[out++] = static_cast<char>(code);
    }
  }
  text.resize(out);
  return text;
}

// Runs iconv over the whole input, putting `replacement` in the place of every input unit of
// `unitSize` bytes that it cannot convert, and going on after it.
template <typename Output>
Output ConvertSkippingErrors(IconvHandle& handle, const char* in, std::size_t inLeft,
                             std::size_t unitSize, std::size_t maxOutUnits,
                             std::basic_string_view<typename Output::value_type> replacement) {
  using Unit = typename Output::value_type;
  Output output(maxOutUnits, Unit{});
  char* const begin = reinterpret_cast<char*>(output.data());
  char* out = begin;
  std::size_t outLeft = maxOutUnits * sizeof(Unit);
  while (inLeft > 0 && !handle.Convert(in, inLeft, out, outLeft)) {
    if (inLeft == 0) break;
    const std::size_t skipped = std::min(unitSize, inLeft);
    in += skipped;
    inLeft -= skipped;
    const std::size_t replacementBytes = replacement.size() * sizeof(Unit);
    if (replacementBytes > outLeft) break;
    std::copy(replacement.begin(), replacement.end(), reinterpret_cast<Unit*>(out));
    out += replacementBytes;
    outLeft -= replacementBytes;
  }
  output.resize(static_cast<std::size_t>(out - begin) / sizeof(Unit));
  return output;
}

IconvHandle& Utf8Decoder() {
  thread_local IconvHandle handle(kUtf16Native, "UTF-8");
  return handle;
}

IconvHandle& Utf8Encoder() {
  thread_local IconvHandle handle("UTF-8", kUtf16Native);
  return handle;
}

std::u16string Utf8ToWide(std::string_view bytes) {
  static constexpr char16_t replacement[] = {kUnicodeReplacement};
  IconvHandle& decoder = Utf8Decoder();
  if (!decoder.Valid()) return {};
  // Every UTF-8 byte gives at most one UTF-16 unit, and so does every replaced byte.
  return ConvertSkippingErrors<std::u16string>(decoder, bytes.data(), bytes.size(), 1, bytes.size(),
                                               {replacement, 1});
}

std::string WideToUtf8(std::u16string_view units) {
  static constexpr char replacement[] = "\xEF\xBF\xBD";  // U+FFFD
  IconvHandle& encoder = Utf8Encoder();
  if (!encoder.Valid()) return {};
  // A unit gives at most three UTF-8 bytes (a surrogate pair four for its two units).
  return ConvertSkippingErrors<std::string>(encoder, reinterpret_cast<const char*>(units.data()),
                                            units.size() * sizeof(char16_t), sizeof(char16_t),
                                            units.size() * 3, {replacement, 3});
}

}  // namespace

std::u16string MultiByteToWideChar(int codePage, std::string_view bytes) {
  if (IsGbk(codePage)) return GbkToWide(bytes);
  if (codePage == kUtf8CodePage) return Utf8ToWide(bytes);
  return {};
}

std::string WideCharToMultiByte(int codePage, std::u16string_view units) {
  if (IsGbk(codePage)) return WideToGbk(units);
  if (codePage == kUtf8CodePage) return WideToUtf8(units);
  return {};
}

}  // namespace tuxia::platform
