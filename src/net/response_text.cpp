#include "net/response_text.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>

#include "platform/pending_messages.h"
#include "text/codepage.h"
#include "text/text.h"

namespace tuxia {
namespace {

// Only the start of the page is searched for the declaration.
constexpr int kDeclarationWindow = 1024;
constexpr std::string_view kCharsetPattern = R"(<meta.+?charset=[^\w]?([-\w]+))";

struct CharsetAlias {
  std::string_view label;
  const char* iconvName;
};

// Web labels whose meaning differs from iconv's own name or that iconv does not know. As
// browsers do, the GB2312 labels mean GBK, and Latin-1 and ASCII mean windows-1252.
constexpr CharsetAlias kAliases[] = {
    {"utf8", "UTF-8"},           {"unicode-1-1-utf-8", "UTF-8"},
    {"x-gbk", "CP936"},          {"gb2312", "CP936"},
    {"gb_2312", "CP936"},        {"gb_2312-80", "CP936"},
    {"csgb2312", "CP936"},       {"chinese", "CP936"},
    {"iso-8859-1", "CP1252"},    {"latin1", "CP1252"},
    {"us-ascii", "CP1252"},      {"ascii", "CP1252"},
    {"shift_jis", "CP932"},      {"x-sjis", "CP932"},
    {"sjis", "CP932"},           {"windows-31j", "CP932"},
    {"big5", "BIG5-HKSCS"},      {"euc-kr", "CP949"},
    {"ks_c_5601-1987", "CP949"},
};

std::string Lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c | 0x20) : c; });
  return out;
}

std::string IconvName(std::string_view charset) {
  const std::string label = Lower(charset);
  for (const CharsetAlias& alias : kAliases) {
    if (alias.label == label) return alias.iconvName;
  }
  return std::string(charset);
}

class Converter {
 public:
  explicit Converter(const std::string& from) : cd_(iconv_open("UTF-8", from.c_str())) {}
  ~Converter() {
    if (valid()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Whole input to UTF-8; each byte that does not start a valid sequence becomes "?".
  std::string ToUtf8(std::string_view input) {
    std::string out;
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    char chunk[4096];
    while (inLeft > 0) {
      char* outPtr = chunk;
      std::size_t outLeft = sizeof chunk;
      const std::size_t done = iconv(cd_, &in, &inLeft, &outPtr, &outLeft);
      out.append(chunk, outPtr);
      if (done != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
      out += '?';  // EILSEQ, or EINVAL for a sequence cut off by the end of the body
      ++in;
      --inLeft;
    }
    char* outPtr = chunk;
    std::size_t outLeft = sizeof chunk;
    iconv(cd_, nullptr, nullptr, &outPtr, &outLeft);
    out.append(chunk, outPtr);
    return out;
  }

 private:
  iconv_t cd_;
};

}  // namespace

std::optional<std::string> DecodeCharset(std::string_view body, std::string_view charset) {
  if (charset.empty()) return std::nullopt;  // iconv would take it for the locale's set
  Converter converter(IconvName(charset));
  if (!converter.valid()) return std::nullopt;
  const std::string utf8 = converter.ToUtf8(body);
  // The result is a text: it ends at its first zero character.
  return Utf8ToGbk(std::string_view(utf8.c_str()));
}

std::string ResponseText(std::string body, RegexObject& regex) {
  // The text is the body up to its first zero byte; a decoder gets the whole body.
  const std::size_t textLength = std::min(body.find('\0'), body.size());
  const std::string_view text(body.data(), textLength);
  const bool searched = regex.Create(kCharsetPattern, TextLeft(text, kDeclarationWindow));
  std::optional<std::string> decoded;
  if (searched) {
    const std::string charset = regex.SubmatchText(1, 1);
    if (!charset.empty() && charset != "gbk" && charset != "gb2312") {
      decoded = DecodeCharset(body, charset);
    }
  }
  if (decoded) {
    body = std::move(*decoded);
  } else {
    body.resize(textLength);
  }
  if (searched) ProcessPendingMessages();
  return body;
}

}  // namespace tuxia
