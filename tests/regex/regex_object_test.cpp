#include "regex/regex_object.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "all_matches.h"
#include "text/codepage.h"

namespace tuxia {
namespace {

struct Options {
  bool caseSensitive = false;
  bool multiline = true;
  bool global = true;
};

struct MatchCase {
  const char* what;
  std::string pattern;
  std::string subject;
  Options options;
  std::vector<std::string> matches;
};

// Expected matches follow the engine rules the scrapers rely on: whole characters, lazy
// quantifiers, \w of ASCII only, a dot that stops at a line feed, and the three options.
const std::vector<MatchCase>& MatchCases() {
  static const std::vector<MatchCase> cases = {
      {"options omitted: lower-case pattern meets upper-case markup",
       "alt=\".*?\"",
       "<IMG ALT=\"a\"><img alt=\"b\">",
       {},
       {"ALT=\"a\"", "alt=\"b\""}},
      {"caseSensitive", "alt", "ALT alt", {.caseSensitive = true}, {"alt"}},
      {"Global off: first match only", "\\d", "1 2 3", {.global = false}, {"1"}},
      {"Global on: all, left to right, no overlap", "aa", "aaaaa", {}, {"aa", "aa"}},
      {"Multiline on: ^ after a line feed", "^b.", "a\nbc\nbd", {}, {"bc", "bd"}},
      {"Multiline off: ^ at the start only", "^b", "bx\nby", {.multiline = false}, {"b"}},
      {"Multiline off: $ at the very end only", "a$", "xa\n", {.multiline = false}, {}},
      {"Multiline on: $ before a line feed", "a$", "xa\nya", {}, {"a", "a"}},
      {"lazy quantifier", "<b>.*?</b>", "<b>1</b><b>2</b>", {}, {"<b>1</b>", "<b>2</b>"}},
      {"greedy quantifier", "<b>.*</b>", "<b>1</b><b>2</b>", {}, {"<b>1</b><b>2</b>"}},
      {"dot stops at a line feed", "a.b", "a\nb", {}, {}},
      {"a title over two lines is not matched", "alt=\".*?\" title", "alt=\"x\ny\" title", {}, {}},
      {"dot takes a carriage return", "a.b", "a\rb", {}, {"a\rb"}},
      {"double-byte character: one for the dot", "^..$", Gbk("背景"), {}, {Gbk("背景")}},
      {"double-byte character: one for a quantifier", "^.{3}$", Gbk("背景"), {}, {}},
      {"double-byte character between ASCII",
       "a.b",
       "a" + Gbk("中") + "b",
       {},
       {"a" + Gbk("中") + "b"}},
      {"lazy dot over Chinese text",
       Gbk("\" title=\".*?背景"),
       Gbk("\" title=\"蓝天背景\""),
       {},
       {Gbk("\" title=\"蓝天背景")}},
      {"\\w is ASCII letters, digits, underscore", "\\w+", Gbk("ab背景_9"), {}, {"ab", "_9"}},
      {"[^\\w] takes a double-byte character whole", "[^\\w]", Gbk("a背"), {}, {Gbk("背")}},
      // 乤 is 81 61 and 誠 is D5 5C: their second bytes are no characters of their own.
      {"trail byte 'a' is not a letter", "a", Gbk("乤"), {}, {}},
      {"trail byte '\\' is not a backslash", "\\\\", Gbk("誠"), {}, {}},
      {"caseless ASCII", "ABC", "abc", {}, {"abc"}},
      {"caseless Greek letters", Gbk("α"), Gbk("Α"), {}, {Gbk("Α")}},
      {"\\u and four hex digits", "\\u80CC", Gbk("景背"), {}, {Gbk("背")}},
      {"empty matches: one per position", "x*", "ab", {}, {"", "", ""}},
      {"empty match, then the next search one character on", "a*?", "aa", {}, {"", "", ""}},
      {"empty matches around a match", "a*", "baaa", {}, {"", "aaa", ""}},
      {"backreference to an unset group matches nothing", "(a)?\\1b", "b", {}, {"b"}},
      {"a zero byte ends the subject", "ab", std::string("ab\0ab", 5), {}, {"ab"}},
  };
  return cases;
}

void PrintTo(const MatchCase& c, std::ostream* out) { *out << c.what; }

class RegexMatchTest : public testing::TestWithParam<MatchCase> {};

TEST_P(RegexMatchTest, FindsExactlyTheseMatches) {
  const MatchCase& c = GetParam();
  RegexObject regex;
  ASSERT_TRUE(regex.Create(c.pattern, c.subject, c.options.caseSensitive, c.options.multiline,
                           c.options.global));
  EXPECT_EQ(AllMatches(regex), c.matches);
}

INSTANTIATE_TEST_SUITE_P(Rules, RegexMatchTest, testing::ValuesIn(MatchCases()),
                         [](const testing::TestParamInfo<MatchCase>& info) {
                           return "Case" + std::to_string(info.index);
                         });

TEST(RegexObject, BeforeCreateEverythingIsEmpty) {
  RegexObject regex;
  int position = 7;
  EXPECT_EQ(regex.MatchCount(), 0);
  EXPECT_EQ(regex.MatchText(1, &position), "");
  EXPECT_EQ(position, -1);
  EXPECT_EQ(regex.SubmatchText(1, 1), "");
  EXPECT_EQ(regex.SubmatchCount(), 0);
  EXPECT_EQ(regex.GetPattern(), "");
  EXPECT_EQ(regex.ReplaceMatches("x"), "");
}

TEST(RegexObject, IndexesCountFromOneAndReadsOutOfRangeAreEmpty) {
  RegexObject regex;
  ASSERT_TRUE(regex.Create("(\\w)(\\d)?-", "a1-b-"));
  ASSERT_EQ(regex.MatchCount(), 2);
  EXPECT_EQ(regex.SubmatchCount(), 2);
  EXPECT_EQ(regex.MatchText(1), "a1-");
  EXPECT_EQ(regex.MatchText(2), "b-");
  EXPECT_EQ(regex.SubmatchText(1, 1), "a");
  EXPECT_EQ(regex.SubmatchText(1, 2), "1");
  EXPECT_EQ(regex.SubmatchText(2, 2), "");  // took no part in the match
  for (const int index : {0, -1, 3}) {
    int position = 7;
    EXPECT_EQ(regex.MatchText(index, &position), "") << index;
    EXPECT_EQ(position, -1) << index;
    EXPECT_EQ(regex.SubmatchText(index, 1), "") << index;
  }
  for (const int group : {0, -1, 3}) EXPECT_EQ(regex.SubmatchText(1, group), "") << group;
}

TEST(RegexObject, PositionSearchesFromTheCharacterIndexTakenAsBytePosition) {
  RegexObject regex;
  ASSERT_TRUE(regex.Create("b(c)", "abcabc"));
  int position = 0;
  EXPECT_EQ(regex.MatchText(2, &position), "bc");
  EXPECT_EQ(position, 4);
  EXPECT_EQ(regex.SubmatchText(2, 1, &position), "c");
  EXPECT_EQ(position, 5);
  // Caseless objects search caselessly.
  ASSERT_TRUE(regex.Create("B", "aB"));
  EXPECT_EQ(regex.MatchText(1, &position), "B");
  EXPECT_EQ(position, 1);
  // After 背景 (four bytes, two characters) the match at character 2 is searched from byte
  // position 2, in the middle of 背: the walk pairs the bytes wrongly, never meets "abc" at a
  // character start, and the search fails.
  ASSERT_TRUE(regex.Create("abc", Gbk("背景abc")));
  EXPECT_EQ(regex.MatchText(1, &position), "abc");
  EXPECT_EQ(position, -2);
}

TEST(RegexObject, APatternThatDoesNotCompileLeavesNoMatches) {
  RegexObject regex;
  ASSERT_TRUE(regex.Create("a", "aaa"));
  EXPECT_FALSE(regex.Create("(a", "aaa"));
  EXPECT_EQ(regex.MatchCount(), 0);
  EXPECT_EQ(regex.MatchText(1), "");
  EXPECT_EQ(regex.SubmatchCount(), 0);
  EXPECT_EQ(regex.ReplaceMatches("x"), "");
  EXPECT_EQ(regex.GetPattern(), "(a");  // the engine holds the pattern all the same
}

TEST(RegexObject, NoMatchIsStillASuccess) {
  RegexObject regex;
  EXPECT_TRUE(regex.Create("(z)", "abc"));
  EXPECT_EQ(regex.MatchCount(), 0);
  EXPECT_EQ(regex.SubmatchText(1, 1), "");
  EXPECT_EQ(regex.SubmatchCount(), 0);
  EXPECT_EQ(regex.ReplaceMatches("x"), "abc");
}

TEST(RegexObject, SecondCreateForgetsTheFirst) {
  RegexObject regex;
  ASSERT_TRUE(regex.Create("(a)(b)", "ab ab ab", false, true, true));
  ASSERT_TRUE(regex.Create("X", "x y", true, true, false));
  EXPECT_EQ(regex.MatchCount(), 0);  // case-sensitive now
  ASSERT_TRUE(regex.Create("\\w", "x y"));
  EXPECT_EQ(AllMatches(regex), (std::vector<std::string>{"x", "y"}));
  EXPECT_EQ(regex.SubmatchCount(), 0);
  EXPECT_EQ(regex.GetPattern(), "\\w");
  EXPECT_EQ(regex.ReplaceMatches("-"), "- -");
}

TEST(RegexObject, SameSubjectTwiceGivesTheSameResultsAsFresh) {
  const std::string page = Gbk("<a alt=\"花\" title=\"x\"> onclick=\"page(1,2)\">透明PNG");
  RegexObject regex;
  ASSERT_TRUE(regex.Create("alt=\".*?\" title=\"", page));
  ASSERT_TRUE(regex.Create(Gbk("page(.*?)\">透明PNG"), page));
  RegexObject fresh;
  ASSERT_TRUE(fresh.Create(Gbk("page(.*?)\">透明PNG"), page));
  EXPECT_EQ(AllMatches(regex), AllMatches(fresh));
  EXPECT_EQ(regex.SubmatchText(1, 1), "(1,2)");  // the page's parentheses are in the group
}

TEST(RegexObject, CopySharesTheMatchesAndKeepsThemAfterTheOriginalMovesOn) {
  RegexObject regex;
  ASSERT_TRUE(regex.Create("(\\d)", "1 2", true));
  const std::unique_ptr<RegexObject> copy = regex.Copy();
  EXPECT_EQ(AllMatches(*copy), (std::vector<std::string>{"1", "2"}));
  EXPECT_EQ(copy->SubmatchText(2, 1), "2");
  EXPECT_EQ(copy->GetPattern(), "(\\d)");
  EXPECT_EQ(copy->ReplaceMatches("<$1>"), "<1> <2>");
  int position = 0;
  EXPECT_EQ(copy->MatchText(2, &position), "2");
  EXPECT_EQ(position, 2);

  ASSERT_TRUE(regex.Create("z", "zz"));
  EXPECT_EQ(AllMatches(*copy), (std::vector<std::string>{"1", "2"}));
  copy->Destroy();
  EXPECT_EQ(copy->MatchCount(), 0);
  EXPECT_EQ(AllMatches(regex), (std::vector<std::string>{"z", "z"}));
}

TEST(RegexObject, GetPatternShowsThePatternAsTheEngineHoldsIt) {
  const std::string subject = "<img alt=\"a\">";
  RegexObject regex;
  ASSERT_TRUE(regex.Create(Gbk("alt=#引号(.*?)#引号"), subject, false, true, true, true));
  EXPECT_EQ(regex.GetPattern(), "alt=\"(.*?)\"");
  EXPECT_EQ(regex.SubmatchText(1, 1), "a");
  ASSERT_TRUE(regex.Create(Gbk("alt=#引号"), subject));
  EXPECT_EQ(regex.GetPattern(), Gbk("alt=#引号"));
  EXPECT_EQ(regex.MatchCount(), 0);
}

TEST(RegexObject, DestroyForgetsEverythingAndMayBeCalledTwice) {
  RegexObject regex;
  ASSERT_TRUE(regex.Create("a", "a"));
  regex.Destroy();
  regex.Destroy();
  EXPECT_EQ(regex.MatchCount(), 0);
  EXPECT_EQ(regex.GetPattern(), "");
  EXPECT_EQ(regex.ReplaceMatches("b"), "");
  regex.Reserved();
  EXPECT_TRUE(regex.Create("a", "aa"));
  EXPECT_EQ(regex.MatchCount(), 2);
}

struct ReplaceCase {
  const char* replacement;
  bool global;
  const char* expected;
};

// Expected texts worked out by hand from the replacement syntax: $n and $nn groups, $& the
// match, $` before it, $' after it, $$ a dollar; other $ forms stay as written.
TEST(RegexObject, ReplaceMatchesExpandsTheDollarForms) {
  const std::vector<ReplaceCase> cases = {
      {"$2 $1", true, "[Smith John] [Doe Jane]"},
      {"<$&>", true, "[<John Smith>] [<Jane Doe>]"},
      {"$$", true, "[$] [$]"},
      {"$`", true, "[[] [[John Smith] []"},
      {"$'", true, "[] [Jane Doe]] []]"},
      {"$0", true, "[$0] [$0]"},
      {"$3", true, "[$3] [$3]"},
      {"$01", true, "[John] [Jane]"},
      {"$10", true, "[John0] [Jane0]"},
      {"$", true, "[$] [$]"},
      {"$x", true, "[$x] [$x]"},
      {"$2 $1", false, "[Smith John] [Jane Doe]"},
  };
  RegexObject regex;
  for (const ReplaceCase& c : cases) {
    ASSERT_TRUE(regex.Create("(\\w+) (\\w+)", "[John Smith] [Jane Doe]", false, true, c.global));
    EXPECT_EQ(regex.ReplaceMatches(c.replacement), c.expected) << c.replacement;
  }
}

TEST(RegexObject, ReplaceMatchesOnChineseTextAndEmptyMatches) {
  RegexObject regex;
  ASSERT_TRUE(regex.Create(Gbk("(.)景"), Gbk("背景和风景")));
  EXPECT_EQ(regex.ReplaceMatches(Gbk("[$1]")), Gbk("[背]和[风]"));
  ASSERT_TRUE(regex.Create("x*", "ab"));
  EXPECT_EQ(regex.ReplaceMatches("-"), "-a-b-");
}

TEST(RegexObject, GroupsAbove9AreReadByTwoDigits) {
  RegexObject regex;
  ASSERT_TRUE(regex.Create("(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)", "abcdefghijk"));
  EXPECT_EQ(regex.SubmatchCount(), 11);
  EXPECT_EQ(regex.SubmatchText(1, 11), "k");
  EXPECT_EQ(regex.ReplaceMatches("$11$10$1"), "kja");
}

TEST(RegexObject, TextThatIsNotValidGbkComesBackAsConverted) {
  // 81 30 is a lead byte without a valid second byte: the conversion makes it '?' and keeps the
  // '0'; a lone 80 at the end is the euro sign of code page 936.
  RegexObject regex;
  ASSERT_TRUE(regex.Create(".",
                           "\x81\x30"
                           "ab\x80"));
  EXPECT_EQ(AllMatches(regex), (std::vector<std::string>{"?", "0", "a", "b", "\x80"}));
  ASSERT_TRUE(regex.Create("a.",
                           "\x81\x30"
                           "ab"));
  EXPECT_EQ(regex.MatchText(1), "ab");
}

TEST(RegexObject, RunawayBacktrackingEndsAsAFailedCreate) {
  RegexObject regex;
  ASSERT_TRUE(regex.Create("x", "x"));
  EXPECT_FALSE(regex.Create("(a+)+$", std::string(40, 'a') + "b"));
  EXPECT_EQ(regex.MatchCount(), 0);
  // The same pattern on a page of many short runs: each search is cheap, the page is fine.
  std::string runs;
  for (int i = 0; i < 2000; ++i) runs += "aaaa\n";
  EXPECT_TRUE(regex.Create("(a+)+$", runs));
  EXPECT_EQ(regex.MatchCount(), 2000);
}

TEST(RegexObject, DeepMatchesNeitherOverflowTheStackNorFail) {
  // Each repetition of the group is one more level of backtracking: 100000 levels outgrow the
  // compiled matcher's stack, and the interpreter, whose levels live on the heap, finishes.
  const std::string subject = std::string(100000, 'a') + "c";
  RegexObject regex;
  ASSERT_TRUE(regex.Create("(a|b)*c", subject));
  ASSERT_EQ(regex.MatchCount(), 1);
  EXPECT_EQ(regex.MatchText(1), subject);
  // Far deeper, the matching runs out of its memory bound and fails instead.
  EXPECT_FALSE(regex.Create("(a|b)*c", std::string(3000000, 'a') + "c"));
}

}  // namespace
}  // namespace tuxia
