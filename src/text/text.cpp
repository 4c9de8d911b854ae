// The operations that count plain bytes: markers, cutting, numbers, comparison and buffers.
#include "text/text.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>

namespace tuxia {
namespace {

// "#引号" in GBK: the token a caller writes in a marker in place of a double quote.
constexpr std::string_view kQuoteToken = "#\xD2\xFD\xBA\xC5";

template <typename... Args>
std::string Format(const char* format, Args... args) {
  char buffer[64];
  const int size = std::snprintf(buffer, sizeof buffer, format, args...);
  return size > 0 ? std::string(buffer, std::min<std::size_t>(size, sizeof buffer - 1))
                  : std::string();
}

template <typename Integer>
std::string Decimal(Integer number) {
  char buffer[24];
  // 24 characters hold every 64-bit integer with its sign, so the conversion cannot fail.
  return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, number).ptr);
}

}  // namespace

std::string TextBetween(std::string_view text, std::string_view left, std::string_view right,
                        int start, bool ignoreCase) {
  const std::string leftMarker = ReplaceText(left, kQuoteToken, "\"", 1, -1, true);
  const std::string rightMarker = ReplaceText(right, kQuoteToken, "\"", 1, -1, true);
  int p = FindText(text, leftMarker, start, ignoreCase);
  if (p != -1) p += TextLength(leftMarker);
  const int q = FindText(text, rightMarker, p, ignoreCase);
  if (p == -1 || q == -1) return {};
  return TextMiddle(text, p, q - p);
}

std::string TextAfterLast(std::string_view text, std::string_view separator,
                          std::optional<int> start, bool ignoreCase) {
  const int before = start.value_or(TextLength(text) + 1);
  const int p = FindTextReverse(text, separator, before, ignoreCase);
  if (p == -1) return {};
  return TextRight(text, TextLength(text) - TextLength(separator) - p + 1);
}

int TextLength(std::string_view text) { return static_cast<int>(text.size()); }

std::string TextLeft(std::string_view text, int n) {
  if (n <= 0) return {};
  return std::string(text.substr(0, static_cast<std::size_t>(n)));
}

std::string TextRight(std::string_view text, int n) {
  if (n <= 0) return {};
  const std::size_t count = std::min(static_cast<std::size_t>(n), text.size());
  return std::string(text.substr(text.size() - count));
}

std::string TextMiddle(std::string_view text, int start, int n) {
  if (start < 1 || static_cast<std::size_t>(start) > text.size() || n <= 0) return {};
  return std::string(text.substr(static_cast<std::size_t>(start) - 1, static_cast<std::size_t>(n)));
}

// Integers as "%d" writes them, without the cost of parsing a format.
std::string NumberToText(int number) { return Decimal(number); }
std::string NumberToText(std::int64_t number) { return Decimal(number); }
std::string NumberToText(double number) { return Format("%.13g", number); }
std::string NumberToText(float number) { return Format("%.6g", static_cast<double>(number)); }

std::string BytesToText(const Bytes& bytes) {
  const char* data = reinterpret_cast<const char*>(bytes.data());
  const void* zero = std::memchr(data, 0, bytes.size());
  return std::string(data, zero ? static_cast<const char*>(zero) - data : bytes.size());
}

std::string CharFromCode(int code) {
  const char byte = static_cast<char>(code & 0xFF);
  return byte == 0 ? std::string() : std::string(1, byte);
}

Bytes TextToBytes(std::string_view text) { return Bytes(text.begin(), text.end()); }

std::string ToHexText(std::int32_t value) { return Format("%X", static_cast<unsigned>(value)); }

int CompareTextExact(std::string_view first, std::string_view second) {
  const int order = first.compare(second);  // char_traits<char> compares as unsigned char
  return (order > 0) - (order < 0);
}

std::string ConcatText(std::initializer_list<std::string_view> parts) {
  std::size_t size = 0;
  for (const std::string_view part : parts) size += part.size();
  std::string result;
  result.reserve(size);
  for (const std::string_view part : parts) result.append(part);
  return result;
}

Bytes ConcatBytes(std::initializer_list<std::span<const std::uint8_t>> parts) {
  Bytes result;
  for (const auto part : parts) result.insert(result.end(), part.begin(), part.end());
  return result;
}

std::string BlankText(int n) { return n < 1 ? std::string() : std::string(n, ' '); }

Bytes BlankBytes(int n) { return n < 1 ? Bytes() : Bytes(static_cast<std::size_t>(n), 0); }

Bytes BytesLeft(const Bytes& bytes, int n) {
  if (n < 0) return {};
  return Bytes(bytes.begin(), bytes.begin() + std::min(static_cast<std::size_t>(n), bytes.size()));
}

}  // namespace tuxia
