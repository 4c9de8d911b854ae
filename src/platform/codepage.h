#pragma once
// Stand-ins of MultiByteToWideChar and WideCharToMultiByte over glibc iconv. Code page 0 (the
// ANSI code page) is 936 on every machine; 936 is GBK as Windows defines it (CP936); 65001 is
// UTF-8. Outputs have exactly the size of the converted text, without a terminating zero.
// Input that is not valid in the code page becomes a replacement character (U+FFFD for UTF-8,
// '?' for CP936); a character that the target code page cannot hold becomes '?' in CP936 and
// U+FFFD in UTF-8. An unknown code page gives an empty result.
#include <string>
#include <string_view>

namespace tuxia::platform {

[[nodiscard]] std::u16string MultiByteToWideChar(int codePage, std::string_view bytes);
[[nodiscard]] std::string WideCharToMultiByte(int codePage, std::u16string_view units);

}  // namespace tuxia::platform
