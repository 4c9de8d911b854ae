// The body as the returned text: the meta charset declaration near the start of the page, and
// decoding into GBK with iconv.
#include "net/response_text.h"

#include <gtest/gtest.h>

#include "message_counter.h"
#include "text/codepage.h"

namespace tuxia {
namespace {

std::string Text(std::string_view body) {
  RegexObject regex;
  return ResponseText(std::string(body), regex);
}

TEST(ResponseText, AUtf8PageComesBackAsGbkText) {
  const std::string page = "<html><head><meta charset=\"utf-8\"><title>图匣站素材下载</title>";
  EXPECT_EQ(Text(page), Gbk(page));
}

TEST(ResponseText, GbkAndGb2312InLowerCaseAreReturnedAsReceived) {
  // A lone lead byte at the end would become "?" if the body were decoded.
  const std::string gb2312 =
      "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\" />" +
      Gbk("<p>背景</p>") + "\x81";
  EXPECT_EQ(Text(gb2312), gb2312);
  const std::string gbk = "<META charset='gbk'>" + Gbk("艺术字") + "\x81";
  EXPECT_EQ(Text(gbk), gbk);
}

TEST(ResponseText, Gb2312InCapitalsIsDecoded) {
  const std::string page = "<meta charset=GB2312>" + Gbk("元素") + "\x81";
  EXPECT_EQ(Text(page), "<meta charset=GB2312>" + Gbk("元素") + "?");
}

TEST(ResponseText, DeclarationsThatDoNotCount) {
  const std::string utf8 = "素材";
  const std::string cases[] = {
      // past the first 1024 bytes
      std::string(1024, ' ') + "<meta charset=utf-8>" + utf8,
      // split over two lines between "<meta" and "charset="
      "<meta http-equiv=\"Content-Type\"\ncontent=\"text/html; charset=utf-8\">" + utf8,
      // nothing between "<meta" and "charset="
      "<metacharset=utf-8>" + utf8,
      // a name iconv does not know
      "<meta charset=\"x-no-such-set\">" + utf8,
      "no declaration at all " + utf8,
  };
  for (const std::string& page : cases) EXPECT_EQ(Text(page), page) << page;
}

TEST(ResponseText, ADeclarationRightAtTheEndOfTheWindowCounts) {
  const std::string head = "<meta charset=utf-8>";
  const std::string page = std::string(1024 - head.size(), ' ') + head + "素材";
  EXPECT_EQ(Text(page), Gbk(page));
}

TEST(ResponseText, AZeroByteEndsTheTextDecodedOrNot) {
  const std::string plain("abc\0def", 7);
  EXPECT_EQ(Text(plain), "abc");
  const std::string decoded("<meta charset=utf-8>素\0材", 27);
  EXPECT_EQ(Text(decoded), Gbk("<meta charset=utf-8>素"));
}

TEST(ResponseText, AnEmptyBodyIsTheEmptyText) { EXPECT_EQ(Text(""), ""); }

TEST(ResponseText, DispatchesOnceAfterTheCharsetSearch) {
  test::MessageCounter counter;
  (void)Text("<meta charset=utf-8>x");
  (void)Text("plain");
  EXPECT_EQ(counter.count(), 2);
}

struct DecodeCase {
  std::string_view charset;
  std::string body;
  std::string expected;  // UTF-8 source of the GBK text
};

TEST(DecodeCharset, WebLabelsAndIconvNames) {
  const DecodeCase cases[] = {
      {"utf-8", "中文", "中文"},
      {"UTF8", "中文", "中文"},
      {"x-gbk", Gbk("中文"), "中文"},
      {"GB18030", Gbk("中文"), "中文"},
      {"Shift_JIS", "\x93\xfa\x96\x7b", "日本"},  // 日本 in Shift_JIS
      {"big5", "\xa4\xa4\xa4\xe5", "中文"},       // 中文 in Big5
      {"euc-kr", "\xc7\xd1", "한"},               // outside GBK: becomes "?"
      {"iso-8859-1", "caf\xe9 \x80", "café €"},   // labelled Latin-1 is windows-1252
      {"utf-8", "ok\xff!", "ok?!"},               // invalid bytes become "?"
      {"utf-8", "cut \xe4\xb8", "cut ??"},        // a sequence cut off at the end
  };
  for (const DecodeCase& c : cases) {
    const std::optional<std::string> decoded = DecodeCharset(c.body, c.charset);
    ASSERT_TRUE(decoded.has_value()) << c.charset;
    EXPECT_EQ(*decoded, Gbk(c.expected)) << c.charset;
  }
}

TEST(DecodeCharset, UnknownNamesDecodeNothing) {
  EXPECT_FALSE(DecodeCharset("x", "x-no-such-set").has_value());
  EXPECT_FALSE(DecodeCharset("x", "").has_value());
}

}  // namespace
}  // namespace tuxia
