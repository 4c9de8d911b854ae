// Conversions between GBK, UTF-16 and UTF-8, and percent-encoding. Expected bytes are what
// python3 prints for '…'.encode('gbk') and '…'.encode('utf-8'), and for the bytes python's
// codec lacks (0x80, the euro sign of CP936) what `iconv -f CP936 -t UTF-8` prints.
#include "text/codepage.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <optional>
#include <string>
#include <vector>

namespace tuxia {
namespace {

struct Pair {
  std::string gbk, utf8;
};

TEST(Codepage, ConvertsBetweenGbkAndUtf8) {
  const std::vector<Pair> rows = {
      {"", ""},
      {"abc 123", "abc 123"},
      {"\xCD\xBC\xCF\xBB\xD5\xBE", "\xE5\x9B\xBE\xE5\x8C\xA3\xE7\xAB\x99"},  // 图匣站
      {"\xB1\xB3\xBE\xB0", "\xE8\x83\x8C\xE6\x99\xAF"},                      // 背景
      {"\xA1\xA1", "\xE3\x80\x80"},                                          // full-width space
      {"\xA1\xA4\xA1\xAA", "\xC2\xB7\xE2\x80\x94"},                          // ·—
      {"\xA8\xA6", "\xC3\xA9"},                                              // é
      {"\x80", "\xE2\x82\xAC"},                                              // €
      {"<a title=\"\xCB\xD8\xB2\xC4\">", "<a title=\"\xE7\xB4\xA0\xE6\x9D\x90\">"},  // 素材
  };
  for (const Pair& row : rows) {
    SCOPED_TRACE(row.utf8);
    EXPECT_EQ(GbkToUtf8(row.gbk), row.utf8);
    EXPECT_EQ(Utf8ToGbk(row.utf8), row.gbk);
    EXPECT_EQ(Gbk(row.utf8), row.gbk);
  }
}

TEST(Codepage, ReplacesWhatCannotBeConverted) {
  // GBK input: a byte that starts no character, a lone first byte and a first byte followed by
  // a byte that cannot follow it give one '?' each; an undefined pair gives one '?'.
  const std::vector<Pair> gbkRows = {
      {"\xFF", "?"},
      {"a\xB0", "a?"},
      {"\x81\x30x", "?0x"},
      {"\xA1\x40z", "?z"},
  };
  for (const Pair& row : gbkRows) {
    SCOPED_TRACE(row.gbk);
    EXPECT_EQ(GbkToUtf8(row.gbk), row.utf8);
  }
  // UTF-8 input: every byte that cannot be decoded (here an overlong form) becomes U+FFFD, which
  // GBK cannot hold; a character outside GBK becomes one '?', also when it takes two UTF-16 units.
  const std::vector<Pair> utf8Rows = {
      {"?", "\xFF"},
      {"a??", "a\xE4\xB8"},
      {"??b",
       "\xC0\xAF"
       "b"},
      {"?", "\xED\x95\x9C"},      // 한
      {"?", "\xF0\x9F\x98\x80"},  // U+1F600
      {"x?y", "x\xC3\xB1y"},      // ñ
  };
  for (const Pair& row : utf8Rows) {
    SCOPED_TRACE(row.utf8);
    EXPECT_EQ(Utf8ToGbk(row.utf8), row.gbk);
  }
}

TEST(Codepage, WideFormIsLittleEndianEndedByAZeroUnit) {
  struct Row {
    std::string text;
    int codePage;
    Bytes wide;
  };
  const std::vector<Row> rows = {
      {"", 65001, {0, 0}},
      {"", 936, {0, 0}},
      {"a", 936, {'a', 0, 0, 0}},
      {"\xCD\xBC", 936, {0xFE, 0x56, 0, 0}},  // 图 U+56FE
      {"\xCD\xBC", 0, {0xFE, 0x56, 0, 0}},
      {"\xE5\x9B\xBE", 65001, {0xFE, 0x56, 0, 0}},
      {"\xF0\x9F\x98\x80", 65001, {0x3D, 0xD8, 0x00, 0xDE, 0, 0}},  // surrogate pair
      {"a", 1252, {0, 0}},  // a code page the program does not know converts nothing
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text + " @ " + std::to_string(row.codePage));
    EXPECT_EQ(TextToWide(row.text, row.codePage), row.wide);
    EXPECT_EQ(WideToText(row.wide, row.codePage), row.codePage == 1252 ? "" : row.text);
  }
  EXPECT_EQ(TextToWide("\xE5\x9B\xBE"), (Bytes{0xFE, 0x56, 0, 0}));
  EXPECT_EQ(WideToText({0xFE, 0x56, 0, 0}), "\xCD\xBC");
}

TEST(Codepage, WideToTextStopsAtTheFirstZeroUnit) {
  struct Row {
    Bytes wide;
    int codePage;
    std::string text;
  };
  const std::vector<Row> rows = {
      {{}, 0, ""},
      {{0, 0}, 65001, ""},
      {{'a', 0, 0, 0, 'b', 0}, 65001, "a"},
      {{'a', 0, 'b'}, 936, "a"},  // an odd last byte is no unit
      {{0x00, 0xD8, 'a', 0},
       65001,
       "\xEF\xBF\xBD"
       "a"},  // a lone surrogate gives U+FFFD
      {{0x00, 0xD8, 'a', 0}, 936, "?a"},
  };
  for (std::size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(WideToText(rows[i].wide, rows[i].codePage), rows[i].text);
  }
  EXPECT_EQ(GbkToUtf8(std::string("a\0b", 3)), "a");
}

// Converts with iconv itself, or nothing when iconv refuses the input.
std::optional<std::string> Iconv(const char* to, const char* from, const std::string& input) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string output(input.size() * 4 + 4, '\0');
  char* in = const_cast<char*>(input.data());
  char* out = output.data();
  std::size_t inLeft = input.size();
  std::size_t outLeft = output.size();
  const bool done = iconv(cd, &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1);
  iconv_close(cd);
  if (!done || inLeft != 0) return std::nullopt;
  output.resize(output.size() - outLeft);
  return output;
}

TEST(Codepage, EveryGbkCharacterSurvivesTheRoundTrip) {
  int valid = 0;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F) continue;
      const std::string character{static_cast<char>(lead), static_cast<char>(trail)};
      // A pair is a character of CP936 when iconv takes it to UTF-16 and back unchanged.
      const auto wide = Iconv("UTF-16LE", "CP936", character);
      const bool isCharacter = wide && Iconv("CP936", "UTF-16LE", *wide) == character;
      SCOPED_TRACE(lead * 256 + trail);
      if (!isCharacter) {
        EXPECT_EQ(GbkToUtf8(character), "?");
        continue;
      }
      ++valid;
      const std::string utf8 = GbkToUtf8(character);
      EXPECT_EQ(utf8, Iconv("UTF-8", "CP936", character));
      EXPECT_EQ(Utf8ToGbk(utf8), character);
    }
  }
  // python3's own 'gbk' codec decodes the same number of two-byte pairs.
  EXPECT_EQ(valid, 21791);
  for (int byte = 1; byte < 0x80; ++byte) {
    const std::string character(1, static_cast<char>(byte));
    EXPECT_EQ(GbkToUtf8(character), character);
    EXPECT_EQ(Utf8ToGbk(GbkToUtf8(character)), character);
  }
}

TEST(UrlEncode, PercentEncodesBytes) {
  struct Row {
    std::string text;
    bool keepSafe, toUtf8;
    std::string expected;
  };
  const std::vector<Row> rows = {
      {"ab", false, false, "%61%62"},
      {"ab", true, false, "ab"},
      {"\xB1\xB3\xBE\xB0", false, false, "%B1%B3%BE%B0"},  // 背景 in GBK
      {"\xB1\xB3\xBE\xB0", false, true, "%E8%83%8C%E6%99%AF"},
      {"\xB1\xB3\xBE\xB0", true, true, "%E8%83%8C%E6%99%AF"},
      {"-.5Zz/_\n~", true, false, "-.5Zz%2F%5F%0A%7E"},
      {"a b", false, false, "%61%20%62"},
      {"a b", true, false, "a%20b"},
      {"", false, false, ""},
      {"", true, true, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(UrlEncode(row.text, row.keepSafe, row.toUtf8), row.expected);
  }
  EXPECT_EQ(UrlEncode(" "), "%20");
}

}  // namespace
}  // namespace tuxia
