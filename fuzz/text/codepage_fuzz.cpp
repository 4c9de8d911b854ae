// Conversions of arbitrary bytes: nothing may crash or read out of bounds, and one pass through
// UTF-8 leaves only characters that every further pass keeps unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "text/codepage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 65536) return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string gbk = tuxia::Utf8ToGbk(tuxia::GbkToUtf8(bytes));
  if (tuxia::Utf8ToGbk(tuxia::GbkToUtf8(gbk)) != gbk) std::abort();
  const std::string utf8 = tuxia::GbkToUtf8(tuxia::Utf8ToGbk(bytes));
  if (tuxia::GbkToUtf8(tuxia::Utf8ToGbk(utf8)) != utf8) std::abort();
  const tuxia::Bytes wide(data, data + size);
  for (const int codePage : {0, 936, 65001}) {
    const std::string text = tuxia::WideToText(wide, codePage);
    if (tuxia::WideToText(tuxia::TextToWide(text, codePage), codePage) != text) std::abort();
  }
  return 0;
}
