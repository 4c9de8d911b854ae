#include "encoding.h"

#include <iconv.h>

#include <cerrno>

namespace demo {
namespace {

// Converts with iconv; a character that cannot be converted becomes `replacement` (if any).
// A UTF-8 character is skipped whole, another input one byte at a time.
std::string Convert(std::string_view input, const char* from, const char* to,
                    std::string_view replacement) {
  const bool fromUtf8 = std::string_view(from) == "UTF-8";
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return {};
  std::string output;
  char buffer[4096];
  char* in = const_cast<char*>(input.data());
  std::size_t inLeft = input.size();
  while (inLeft > 0) {
    char* out = buffer;
    std::size_t outLeft = sizeof buffer;
    const std::size_t result = iconv(cd, &in, &inLeft, &out, &outLeft);
    output.append(buffer, static_cast<std::size_t>(out - buffer));
    if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
      output += replacement;
      do {
        ++in;
        --inLeft;
      } while (inLeft > 0 && fromUtf8 && (static_cast<unsigned char>(*in) & 0xC0) == 0x80);
    }
  }
  iconv_close(cd);
  return output;
}

}  // namespace

std::string Utf8ToGbk(std::string_view utf8) { return Convert(utf8, "UTF-8", "GBK", "?"); }

std::string GbkToUtf8(std::string_view gbk) { return Convert(gbk, "GBK", "UTF-8", ""); }

}  // namespace demo
