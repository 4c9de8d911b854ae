// Conversions between the program's code pages through the code-page stand-ins of the platform.
#include "text/codepage.h"

#include <bit>
#include <cstring>

#include "platform/codepage.h"
#include "text/text.h"

namespace tuxia {
namespace {

constexpr int kGbkCodePage = 936;
constexpr int kUtf8CodePage = 65001;

// The units up to the first zero unit; an odd last byte is not a unit.
std::u16string_view UnitsBeforeZero(const Bytes& wide, std::u16string& storage) {
  storage.resize(wide.size() / 2);
  for (std::size_t i = 0; i < storage.size(); ++i) {
    storage[i] = static_cast<char16_t>(wide[2 * i] | wide[2 * i + 1] << 8);
  }
  const std::u16string_view units(storage);
  return units.substr(0, units.find(u'\0'));
}

}  // namespace

Bytes TextToWide(std::string_view text, int codePage) {
  const std::u16string units = platform::MultiByteToWideChar(codePage, text);
  Bytes wide((units.size() + 1) * 2, 0);  // the last unit stays zero: the terminator
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(wide.data(), units.data(), units.size() * 2);
  } else {
    for (std::size_t i = 0; i < units.size(); ++i) {
      wide[2 * i] = static_cast<std::uint8_t>(units[i] & 0xFF);
      wide[2 * i + 1] = static_cast<std::uint8_t>(units[i] >> 8);
    }
  }
  return wide;
}

std::string WideToText(const Bytes& wide, int codePage) {
  std::u16string storage;
  return platform::WideCharToMultiByte(codePage, UnitsBeforeZero(wide, storage));
}

std::string GbkToUtf8(std::string_view gbk) {
  return WideToText(TextToWide(gbk, kGbkCodePage), kUtf8CodePage);
}

std::string Utf8ToGbk(std::string_view utf8) { return WideToText(TextToWide(utf8), kGbkCodePage); }

std::string UrlEncode(std::string_view text, bool keepSafe, bool toUtf8) {
  if (text.empty()) return {};
  const std::string utf8 = toUtf8 ? GbkToUtf8(text) : std::string();
  const std::string_view bytes = toUtf8 ? std::string_view(utf8) : text;
  std::string encoded;
  encoded.reserve(bytes.size() * 3);
  for (const char byte : bytes) {
    const bool safe = byte == '-' || byte == '.' || (byte >= '0' && byte <= '9') ||
                      (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z');
    if (keepSafe && safe) {
      encoded += byte;
      continue;
    }
    const std::string hex = ToHexText(static_cast<unsigned char>(byte));
    encoded.append("%").append(hex.size() == 1 ? "0" : "").append(hex);
  }
  return encoded;
}

}  // namespace tuxia
