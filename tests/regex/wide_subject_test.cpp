#include "regex/wide_subject.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "text/codepage.h"

namespace tuxia::regex {
namespace {

constexpr int kGbk = 936;

// The reference is the plain conversion: TextToWide for the units, WideToText for each text cut
// back out of them (from every unit: up to three units long, and to the end).
void ExpectSameAsConversion(const std::string& gbk) {
  const WideSubject subject(gbk);
  const std::u16string units = FromWideBytes(TextToWide(gbk, kGbk));
  ASSERT_EQ(std::u16string(subject.Units()), units);
  for (std::size_t begin = 0; begin <= units.size(); ++begin) {
    for (const std::size_t length :
         {std::size_t{0}, std::size_t{1}, std::size_t{2}, std::size_t{3}, units.size()}) {
      const std::size_t end = std::min(begin + length, units.size());
      const Bytes slice = ToWideBytes(std::u16string_view(units).substr(begin, end - begin));
      ASSERT_EQ(subject.Text(gbk, begin, end), WideToText(slice, kGbk)) << begin << " " << end;
    }
  }
}

TEST(WideSubject, EveryTwoByteSequenceAgreesWithTheConversion) {
  for (unsigned first = 0x80; first <= 0xFF; ++first) {
    for (unsigned second = 0x01; second <= 0xFF; ++second) {
      std::string gbk = "a";
      gbk += static_cast<char>(first);
      gbk += static_cast<char>(second);
      gbk += "b";
      ExpectSameAsConversion(gbk);
      if (testing::Test::HasFatalFailure()) {
        ADD_FAILURE() << std::hex << first << " " << second;
        return;
      }
    }
  }
}

TEST(WideSubject, LongMixedTextsAgreeAcrossCheckpoints) {
  std::string chinese;
  for (int i = 0; i < 100; ++i) chinese += Gbk("背景a图片素材 \"title\"\n");
  ExpectSameAsConversion(chinese);
  ExpectSameAsConversion(chinese + "\x81");  // a lead byte at the very end
  ExpectSameAsConversion(chinese + "\x80" + chinese);
  ExpectSameAsConversion(std::string(300, 'x'));
}

// Units are indexed in words of 64: runs of double-byte characters that begin at every place
// within a word and reach into the next ones.
TEST(WideSubject, RunsAcrossIndexWordsAgree) {
  std::string run;
  for (int i = 0; i < 70; ++i) run += Gbk("图");
  for (std::size_t ascii = 0; ascii <= 70; ++ascii) {
    ExpectSameAsConversion(std::string(ascii, 'a') + run + "b" + run);
    if (testing::Test::HasFatalFailure()) {
      ADD_FAILURE() << ascii;
      return;
    }
  }
}

TEST(WideSubject, ZeroByteEndsTheUnits) {
  const std::string gbk = Gbk("背") + std::string(1, '\0') + "ab";
  EXPECT_EQ(WideSubject(gbk).Units(), std::u16string(1, u'\u80CC'));
}

TEST(WideSubject, WideBytesRoundTrip) {
  const std::u16string units = u"a\u80CC\uFFFF";
  EXPECT_EQ(ToWideBytes(units), (Bytes{'a', 0, 0xCC, 0x80, 0xFF, 0xFF, 0, 0}));
  EXPECT_EQ(FromWideBytes(ToWideBytes(units)), units);
  EXPECT_EQ(FromWideBytes(Bytes{'a', 0, 0, 0, 'b', 0}), u"a");
  EXPECT_EQ(FromWideBytes(Bytes{'a', 0, 'b'}), u"a");
}

}  // namespace
}  // namespace tuxia::regex
