// The web request's text work on arbitrary bytes: the request header text, the collection of
// cookies from response header lines and their merge with supplied cookies.
// Input: extra headers, supplied cookies and response header text, separated by zero bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "net/cookies.h"
#include "net/request_settings.h"
#include "text/text.h"

namespace {

std::string_view NextPart(std::string_view& input) {
  const std::size_t end = std::min(input.find('\0'), input.size());
  const std::string_view part = input.substr(0, end);
  input.remove_prefix(std::min(end + 1, input.size()));
  return part;
}

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 4096) return 0;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string_view extra = NextPart(input);
  std::string cookies(NextPart(input));
  const std::string_view headers = NextPart(input);

  const std::string headerText = tuxia::RequestHeaderText(extra, cookies);
  Check(headerText.ends_with("\r\n"));
  Check(extra.empty() || headerText.starts_with(std::string(extra) + "\r\n"));

  std::string collected;
  for (const std::string& line : tuxia::SplitText(headers, "\r\n")) {
    tuxia::CollectCookieLine(line, collected);
  }
  tuxia::FinishCookies(collected, &cookies, true);
  Check(collected == cookies);  // both hold the merged text
  return 0;
}
