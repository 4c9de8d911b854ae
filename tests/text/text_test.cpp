// Tables of the text operations over ASCII and GBK texts. Expected values follow from the
// double-byte rule, worked by hand; GBK bytes are those python3's 'gbk' codec prints.
#include "text/text.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "text/codepage.h"

namespace tuxia {
namespace {

TEST(TextBetween, CutsBetweenMarkers) {
  struct Row {
    std::string text, left, right;
    int start;  // 0: as when omitted
    bool ignoreCase;
    std::string expected;
  };
  const std::vector<Row> rows = {
      {"abc<x>def</x>", "<x>", "</x>", 0, false, "def"},
      {"abc<x>def", "<x>", "</x>", 0, false, ""},
      {"abc<x></x>", "<x>", "</x>", 0, false, ""},
      {"abc</x>def", "<x>", "</x>", 0, false, ""},
      // The right marker is sought only after the end of the left one.
      {"abxb", "ab", "b", 0, false, "x"},
      {"<x>1</x><x>2</x>", "<x>", "</x>", 5, false, "2"},
      {"<x>1</x><x>2</x>", "<x>", "</x>", 0, false, "1"},
      {"<x>1</x>", "<x>", "</x>", 20, false, ""},
      {"<X>v</X>", "<x>", "</x>", 0, true, "v"},
      {"<X>v</X>", "<x>", "</x>", 0, false, ""},
      // The token "#引号" in a marker stands for a double quote.
      {R"({"res":"tok123","uid":5})", Gbk("res#引号:#引号"), Gbk("#引号,#引号uid"), 0, false,
       "tok123"},
      {R"({"res":"tok123","uid":5})", "res\":\"", "\",\"uid\"", 0, false, "tok123"},
      {Gbk("<a title=\"图匣站素材\">"), Gbk("title=#引号"), Gbk("#引号>"), 0, false,
       Gbk("图匣站素材")},
      // "<" as the second byte of a two-byte character is no marker.
      {"\xB0<x>a</x>", "<x>", "</x>", 0, false, ""},
      {"<x>\xB0</x>a</x>", "<x>", "</x>", 0, false, "\xB0</x>a"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text + " | " + row.left + " | " + row.right);
    EXPECT_EQ(TextBetween(row.text, row.left, row.right, row.start, row.ignoreCase), row.expected);
  }
  EXPECT_EQ(TextBetween("<x>1</x>", "<x>", "</x>"), "1");
}

TEST(TextBetween, LeavesTheCallersMarkersAlone) {
  const std::string left = Gbk("#引号");
  EXPECT_EQ(TextBetween("a\"b\"", left, left), "b");
  EXPECT_EQ(left, Gbk("#引号"));
}

TEST(TextAfterLast, TakesEverythingAfterTheLastSeparator) {
  struct Row {
    std::string text, separator;
    std::optional<int> start;
    bool ignoreCase;
    std::string expected;
  };
  const std::vector<Row> rows = {
      {"a/b/c", "/", {}, false, "c"},
      {"a/b/c", "/", 4, false, "b/c"},
      {"abc", "/", {}, false, ""},
      {"a/", "/", {}, false, ""},
      {"a/b/c", "/", 1, false, ""},
      {"http://x/img/p.png", "/", {}, false, "p.png"},
      {"aXbxc", "x", {}, false, "c"},
      {"aXbXc", "x", {}, false, ""},
      {"aXbXc", "x", {}, true, "c"},
      {"a::b::c", "::", {}, false, "c"},
      // The "/" after a byte of 0x80 or above is the second byte of a character.
      {"a\xB0/b", "/", {}, false, ""},
      {"a/\xB0/b", "/", {}, false, "\xB0/b"},
      {Gbk("元素|背景|艺术字"), "|", {}, false, Gbk("艺术字")},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text + " | " + row.separator);
    const std::string result = TextAfterLast(row.text, row.separator, row.start, row.ignoreCase);
    EXPECT_EQ(result, row.expected);
  }
}

TEST(Cutting, CountsPlainBytes) {
  const std::string title = Gbk("图匣");  // CD BC CF BB
  EXPECT_EQ(TextLength(""), 0);
  EXPECT_EQ(TextLength(title), 4);
  struct Row {
    std::string result, expected;
  };
  const std::vector<Row> rows = {
      {TextLeft("abc", 2), "ab"},
      {TextLeft("abc", 5), "abc"},
      {TextLeft("abc", 0), ""},
      {TextLeft("abc", -1), ""},
      {TextLeft(title, 1), "\xCD"},
      {TextRight("abc", 2), "bc"},
      {TextRight("abc", 5), "abc"},
      {TextRight("abc", 0), ""},
      {TextRight("abc", -3), ""},
      {TextRight(title, 3), "\xBC\xCF\xBB"},
      {TextMiddle("abcdef", 2, 3), "bcd"},
      {TextMiddle("abcdef", 5, 10), "ef"},
      {TextMiddle("abcdef", 6, 1), "f"},
      {TextMiddle("abcdef", 7, 1), ""},
      {TextMiddle("abcdef", 0, 2), ""},
      {TextMiddle("abcdef", 2, 0), ""},
      {TextMiddle("abcdef", 2, -1), ""},
      {TextMiddle(title, 2, 2), "\xBC\xCF"},
  };
  for (std::size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(rows[i].result, rows[i].expected);
  }
}

TEST(FindText, FindsTheFirstOccurrenceAtACharacterStart) {
  struct Row {
    std::string text, sought;
    int start;
    bool ignoreCase;
    int expected;
  };
  const std::vector<Row> rows = {
      {"ABC", "b", 1, false, -1},
      {"ABC", "b", 1, true, 2},
      {"abcabc", "bc", 1, false, 2},
      {"abcabc", "bc", 3, false, 5},
      {"abcabc", "bc", 0, false, 2},
      {"abcabc", "bc", -7, false, 2},
      {"abcabc", "c", 6, false, 6},
      {"abcabc", "c", 7, false, -1},
      {"abc", "abcd", 1, false, -1},
      {"", "a", 1, false, -1},
      // An empty sought text is found at 1 while anything is left to search.
      {"abc", "", 1, false, 1},
      {"abc", "", 3, false, 1},
      {"abc", "", 4, false, -1},
      {"", "", 1, false, -1},
      // The second byte of a two-byte character is never the start of a match.
      {"\xB0"
       "bb",
       "b", 1, false, 3},
      {"\xB0"
       "AAB",
       "AB", 1, false, 3},
      {Gbk("站素"), "\xBE\xCB", 1, false, -1},  // D5 BE CB D8: the middle two bytes
      {Gbk("图匣站素材下载"), Gbk("素材"), 1, false, 7},
      {Gbk("图匣站素材下载"), Gbk("素材"), 8, false, -1},
      // Characters are counted from where the walk begins, even inside a character.
      {"\xB0"
       "AA",
       "A", 2, false, 2},
      // The case rule folds ASCII letters only; both bytes of a character must be equal.
      {"\xB0"
       "A",
       "\xB0"
       "a",
       1, true, -1},
      {"x\xB0"
       "A",
       "\xB0"
       "A",
       1, true, 2},
      {"<DIV class>", "div CLASS", 1, true, 2},
      {"\xC1\xC1", "\xE1\xE1", 1, true, -1},
      // A lone first byte at the end is still a character start.
      {"ab\xB0", "\xB0", 1, false, 3},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text + " | " + row.sought + " | " + std::to_string(row.start));
    EXPECT_EQ(FindText(row.text, row.sought, row.start, row.ignoreCase), row.expected);
  }
  EXPECT_EQ(FindText("abcabc", "c"), 3);
}

TEST(FindTextReverse, FindsTheLastOccurrenceBeforeStart) {
  struct Row {
    std::string text, sought;
    std::optional<int> start;
    bool ignoreCase;
    int expected;
  };
  const std::vector<Row> rows = {
      {"aaa", "aa", {}, false, 2},  // occurrences overlap
      {"a/b/c", "/", {}, false, 4},
      {"a/b/c", "/", 4, false, 2},
      {"a/b/c", "/", 5, false, 4},
      {"a/b/c", "/", 100, false, 4},
      {"a/b/c", "/", 1, false, -1},
      {"a/b/c", "/", 0, false, -1},
      {"a/b/c", "/", -4, false, -1},
      {"ab", "b", 2, false, -1},  // must lie wholly before start
      {"ab", "b", 3, false, 2},
      {"abc", "x", {}, false, -1},
      {"abc", "", {}, false, 1},
      {"abc", "", 2, false, 1},
      {"abc", "", 1, false, -1},
      {"", "", {}, false, -1},
      {"xAxa", "a", {}, true, 4},
      {"xAxa", "A", {}, false, 2},
      {"\xB0/\xB0/", "/", {}, false, -1},
      {"a/\xB0/", "/", {}, false, 2},
      {Gbk("元素|背景|艺术字"), "|", {}, false, 10},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text + " | " + row.sought);
    EXPECT_EQ(FindTextReverse(row.text, row.sought, row.start, row.ignoreCase), row.expected);
  }
}

TEST(ReplaceText, ReplacesLeftToRightWithoutOverlap) {
  struct Row {
    std::string text, sought, replacement;
    int start, count;
    bool caseSensitive;
    std::string expected;
  };
  const std::vector<Row> rows = {
      {"aXbXc", "X", "-", 1, 1, true, "a-bXc"},
      {"aXbXc", "X", "-", 1, -1, true, "a-b-c"},
      {"aXbXc", "X", "-", 1, -5, true, "a-b-c"},
      {"aXbXc", "X", "-", 1, 0, true, "aXbXc"},
      {"aXbxc", "x", "-", 1, -1, true, "aXb-c"},
      {"aXbxc", "x", "-", 1, -1, false, "a-b-c"},
      {"XaXbX", "X", "-", 3, -1, true, "Xa-b-"},
      {"XaXbX", "X", "-", 0, -1, true, "-a-b-"},
      {"XaXbX", "X", "-", 6, -1, true, "XaXbX"},
      {"XaXbX", "X", "-", 5, 1, true, "XaXb-"},
      {"aaaa", "aa", "b", 1, -1, true, "bb"},
      {"aaa", "aa", "b", 1, -1, true, "ba"},
      {"abc", "b", "[b]", 1, -1, true, "a[b]c"},  // the replacement is not searched again
      {"abc", "abcd", "-", 1, -1, true, "abc"},
      {"", "a", "-", 1, -1, true, ""},
      {"abc", "", "-", 1, -1, true, "abc"},
      {"\xB0XX", "X", "-", 1, -1, true, "\xB0X-"},
      {"\xB0XX", "X", "-", 2, -1, true, "\xB0--"},
      {"\xB0"
       "A",
       "\xB0"
       "a",
       "-", 1, -1, false,
       "\xB0"
       "A"},
      {Gbk("素材素材"), Gbk("素"), Gbk("图"), 1, -1, true, Gbk("图材图材")},
      {Gbk("站素站"), "\xBE\xCB", "-", 1, -1, true, Gbk("站素站")},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text + " | " + row.sought + " | " + std::to_string(row.start));
    EXPECT_EQ(
        ReplaceText(row.text, row.sought, row.replacement, row.start, row.count, row.caseSensitive),
        row.expected);
  }
}

TEST(ReplaceText, DefaultsRemoveEveryOccurrenceIgnoringCase) {
  EXPECT_EQ(ReplaceText("aXbxc", "x"), "abc");
  EXPECT_EQ(ReplaceText("<BR>a<br>", "<br>", "\n"), "\na\n");
}

TEST(SplitText, SplitsAtSeparatorsAtCharacterStarts) {
  struct Row {
    std::string text, separator;
    std::optional<int> limit;
    TextArray expected;
  };
  const std::vector<Row> rows = {
      {"a,,b,", ",", {}, {"a", "", "b"}},
      {"a,b,c", ",", 2, {"a", "b"}},
      {"a,b,c", ",", 3, {"a", "b", "c"}},
      {"a,b,c", ",", 9, {"a", "b", "c"}},
      {"a,b,", ",", 2, {"a", "b"}},
      {"a,b,c", ",", 0, {}},
      {"a,b,c", ",", -1, {}},
      {"", ",", {}, {}},
      {"a,b", "", {}, {"a,b"}},
      {"abc", ",", {}, {"abc"}},
      {",a", ",", {}, {"", "a"}},
      {",", ",", {}, {""}},
      {"a::b::", "::", {}, {"a", "b"}},
      {"\xB0,a,b", ",", {}, {"\xB0,a", "b"}},
      {Gbk("元素|背景|艺术字"), "|", {}, {Gbk("元素"), Gbk("背景"), Gbk("艺术字")}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text + " | " + row.separator);
    EXPECT_EQ(SplitText(row.text, row.separator, row.limit), row.expected);
  }
  EXPECT_EQ(SplitText("a,b"), (TextArray{"a", "b"}));
}

TEST(Spaces, KnowTheHalfWidthAndTheFullWidthSpaceOnly) {
  const std::string wide = "\xA1\xA1";  // the full-width space 　
  struct Row {
    std::string text, trimmed, removed;
  };
  const std::vector<Row> rows = {
      {wide + "ab ", "ab", "ab"},
      {"\tab\t", "\tab\t", "\tab\t"},
      {" a b" + wide + "c ", "a b" + wide + "c", "abc"},
      {"   ", "", ""},
      {wide + wide, "", ""},
      {"", "", ""},
      {"a\r\n", "a\r\n", "a\r\n"},
      // B0 A1 is a character; the A1 after it is alone, not half of a full-width space.
      {"a\xB0\xA1\xA1", "a\xB0\xA1\xA1", "a\xB0\xA1\xA1"},
      {"\xB0\xA1\xA1\xA1 ", "\xB0\xA1", "\xB0\xA1"},
      {wide + "\xA1", "\xA1", "\xA1"},
      {Gbk("　图匣 站　"), Gbk("图匣 站"), Gbk("图匣站")},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(TrimText(row.text), row.trimmed);
    EXPECT_EQ(RemoveSpaces(row.text), row.removed);
  }
}

TEST(Numbers, UseTheFixedFormats) {
  struct Row {
    std::string result, expected;
  };
  // Expected values: what C's printf prints with "%d", "%lld", "%.13g", "%.6g" and "%X".
  const std::vector<Row> rows = {
      {NumberToText(-12), "-12"},
      {NumberToText(0), "0"},
      {NumberToText(INT_MIN), "-2147483648"},
      {NumberToText(INT_MAX), "2147483647"},
      {NumberToText(std::int64_t{9007199254740993}), "9007199254740993"},
      {NumberToText(std::int64_t{-1}), "-1"},
      {NumberToText(INT64_MIN), "-9223372036854775808"},
      {NumberToText(INT64_MAX), "9223372036854775807"},
      {NumberToText(0.1), "0.1"},
      {NumberToText(1.0 / 3), "0.3333333333333"},
      {NumberToText(2.5), "2.5"},
      {NumberToText(1e20), "1e+20"},
      {NumberToText(0.1f), "0.1"},
      {NumberToText(1.0f / 3), "0.333333"},
      {NumberToText(1234567.0f), "1.23457e+06"},
      {ToHexText(10), "A"},
      {ToHexText(255), "FF"},
      {ToHexText(0), "0"},
      {ToHexText(-1), "FFFFFFFF"},
      {ToHexText(INT32_MIN), "80000000"},
  };
  for (std::size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(rows[i].result, rows[i].expected);
  }
}

TEST(BytesAndCodes, ConvertAsTheRulesSay) {
  EXPECT_EQ(CharFromCode(65), "A");
  EXPECT_EQ(CharFromCode(0x141), "A");
  EXPECT_EQ(CharFromCode(0xB0), "\xB0");
  EXPECT_EQ(CharFromCode(-1), "\xFF");
  EXPECT_EQ(CharFromCode(0), "");
  EXPECT_EQ(CharFromCode(256), "");
  EXPECT_EQ(BytesToText({'a', 'b', 0, 'c'}), "ab");
  EXPECT_EQ(BytesToText({'a', 0xB0}), "a\xB0");
  EXPECT_EQ(BytesToText({}), "");
  EXPECT_EQ(TextToBytes("a\xB0"), (Bytes{'a', 0xB0}));
  EXPECT_EQ(TextToBytes(""), Bytes{});
  EXPECT_EQ(BytesLeft({1, 2, 3}, 2), (Bytes{1, 2}));
  EXPECT_EQ(BytesLeft({1, 2, 3}, 5), (Bytes{1, 2, 3}));
  EXPECT_EQ(BytesLeft({1, 2, 3}, 0), Bytes{});
  EXPECT_EQ(BytesLeft({1, 2, 3}, -1), Bytes{});
}

TEST(CompareTextExact, ComparesUnsignedBytes) {
  struct Row {
    std::string first, second;
    int expected;
  };
  const std::vector<Row> rows = {
      {"", "", 0},    {"a", "", 1},      {"", "a", -1},    {"a", "b", -1},
      {"ab", "a", 1}, {"abc", "abc", 0}, {"\xB0", "a", 1}, {"A", "a", -1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.first + " | " + row.second);
    EXPECT_EQ(CompareTextExact(row.first, row.second), row.expected);
  }
}

TEST(Buffers, ConcatenateAndBlank) {
  EXPECT_EQ(ConcatText({"a", "", "\xB0\xA1", "c"}),
            "a\xB0\xA1"
            "c");
  EXPECT_EQ(ConcatText({"", ""}), "");
  const Bytes one{1, 2};
  const Bytes none;
  const Bytes three{3};
  EXPECT_EQ(ConcatBytes({one, none, three}), (Bytes{1, 2, 3}));
  EXPECT_EQ(ConcatBytes({none, none}), Bytes{});
  EXPECT_EQ(BlankText(3), "   ");
  EXPECT_EQ(BlankText(0), "");
  EXPECT_EQ(BlankText(-2), "");
  EXPECT_EQ(BlankBytes(2), (Bytes{0, 0}));
  EXPECT_EQ(BlankBytes(0), Bytes{});
  EXPECT_EQ(BlankBytes(-1), Bytes{});
}

}  // namespace
}  // namespace tuxia
