#pragma once
// The site's pages are GBK; the demo site writes them in UTF-8 and converts on the way out.
#include <string>
#include <string_view>

namespace demo {

// Characters that GBK lacks become "?".
std::string Utf8ToGbk(std::string_view utf8);
// Bytes that are not GBK are dropped.
std::string GbkToUtf8(std::string_view gbk);

}  // namespace demo
