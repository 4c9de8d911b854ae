// The thread's cache of compiled patterns: what is handed out again, what is compiled afresh,
// and that a compiled pattern lives on while anyone holds it.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "all_matches.h"
#include "regex/engine.h"
#include "regex/regex_object.h"

namespace tuxia::regex {
namespace {

std::vector<std::u16string> Matches(const CompiledPattern& pattern, std::u16string_view subject,
                                    bool global = true) {
  const std::optional<MatchList> matches = Execute(pattern, subject, global);
  if (!matches) return {u"(failed)"};
  std::vector<std::u16string> texts;
  for (int n = 0; n < matches->Count(); ++n) {
    const std::size_t start = matches->Start(n, 0);
    texts.emplace_back(subject.substr(start, matches->End(n, 0) - start));
  }
  return texts;
}

// A pattern of its own for each number, so that the cache sees that many distinct patterns.
std::u16string Distinct(int n) {
  std::u16string pattern = u"x";
  for (const char digit : std::to_string(n)) pattern += static_cast<char16_t>(digit);
  return pattern;
}

void CompileDistinct(int first, int count) {
  for (int n = first; n < first + count; ++n) ASSERT_NE(Compile(Distinct(n), {}), nullptr);
}

TEST(PatternCache, TheSamePatternAndOptionsAreHandedOutAgain) {
  const auto first = Compile(u"a.c", {});
  const auto again = Compile(u"a.c", {.global = false});  // global does not change the code
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, again);
  EXPECT_EQ(Matches(*again, u"abc ABC"), (std::vector<std::u16string>{u"abc", u"ABC"}));
  EXPECT_EQ(Matches(*again, u"abc ABC", false), (std::vector<std::u16string>{u"abc"}));
}

TEST(PatternCache, OtherOptionsAreAnotherPattern) {
  const auto caseless = Compile(u"^b", {});
  const auto exact = Compile(u"^b", {.ignoreCase = false});
  const auto oneLine = Compile(u"^b", {.multiline = false});
  EXPECT_NE(caseless, exact);
  EXPECT_NE(caseless, oneLine);
  EXPECT_NE(exact, oneLine);
  EXPECT_EQ(Matches(*caseless, u"b\nB"), (std::vector<std::u16string>{u"b", u"B"}));
  EXPECT_EQ(Matches(*exact, u"b\nB"), (std::vector<std::u16string>{u"b"}));
  EXPECT_EQ(Matches(*oneLine, u"a\nb"), std::vector<std::u16string>{});
  EXPECT_EQ(Compile(u"^b", {}), caseless);
}

TEST(PatternCache, TheLeastRecentlyUsedGoesAndWhatIsHeldStillWorks) {
  const auto kept = Compile(u"k(e)pt", {});
  const auto dropped = Compile(u"dropped", {});
  CompileDistinct(0, static_cast<int>(kCachedPatterns) - 2);
  EXPECT_EQ(Compile(u"k(e)pt", {}), kept);  // used again: now the most recent
  CompileDistinct(1000, 1);                 // the cache is full: the oldest, "dropped", goes
  EXPECT_EQ(Compile(u"k(e)pt", {}), kept);
  const auto recompiled = Compile(u"dropped", {});
  EXPECT_NE(recompiled, dropped);
  EXPECT_EQ(Matches(*dropped, u"dropped!"), (std::vector<std::u16string>{u"dropped"}));
  EXPECT_EQ(Matches(*recompiled, u"dropped!"), (std::vector<std::u16string>{u"dropped"}));

  CompileDistinct(2000, 3 * static_cast<int>(kCachedPatterns));
  EXPECT_NE(Compile(u"k(e)pt", {}), kept);
  const std::optional<MatchList> matches = Execute(*kept, u"KEPT", true);
  ASSERT_TRUE(matches);
  EXPECT_EQ(matches->Groups(), 1);
  EXPECT_EQ(matches->Start(0, 1), 1u);
}

TEST(PatternCache, LongPatternsAndFailuresAreNotKept) {
  const std::u16string longest(kLongestCachedPattern, u'a');
  const std::u16string tooLong(kLongestCachedPattern + 1, u'a');
  const auto longestOnce = Compile(longest, {});
  EXPECT_EQ(Compile(longest, {}), longestOnce);
  const auto tooLongOnce = Compile(tooLong, {});
  ASSERT_NE(tooLongOnce, nullptr);
  EXPECT_NE(Compile(tooLong, {}), tooLongOnce);
  EXPECT_EQ(Compile(u"(a", {}), nullptr);
  EXPECT_EQ(Compile(u"(a", {}), nullptr);
}

TEST(PatternCache, EachThreadKeepsItsOwnAndAPatternOutlivesItsThread) {
  const auto here = Compile(u"t.o", {});
  std::shared_ptr<const CompiledPattern> there;
  std::thread([&] { there = Compile(u"t.o", {}); }).join();
  ASSERT_NE(there, nullptr);
  EXPECT_NE(there, here);
  EXPECT_EQ(Matches(*there, u"two TOO"), (std::vector<std::u16string>{u"two", u"TOO"}));
}

}  // namespace
}  // namespace tuxia::regex

namespace tuxia {
namespace {

TEST(RegexObjectWithCache, EveryCreateStillSearchesAsWithAFreshEngine) {
  RegexObject regex;
  ASSERT_TRUE(regex.Create("(b)", "b B", false, true, true));
  EXPECT_EQ(AllMatches(regex), (std::vector<std::string>{"b", "B"}));
  ASSERT_TRUE(regex.Create("(b)", "b B", true, true, true));
  EXPECT_EQ(AllMatches(regex), (std::vector<std::string>{"b"}));
  ASSERT_TRUE(regex.Create("(b)", "b B", false, true, false));
  EXPECT_EQ(AllMatches(regex), (std::vector<std::string>{"b"}));
  ASSERT_TRUE(regex.Create("(b)", "b B"));
  EXPECT_EQ(AllMatches(regex), (std::vector<std::string>{"b", "B"}));
  EXPECT_EQ(regex.ReplaceMatches("[$1]"), "[b] [B]");
}

TEST(RegexObjectWithCache, ACopyKeepsItsMatchesWhileTheCacheMovesOn) {
  RegexObject regex;
  ASSERT_TRUE(regex.Create("(\\d)-", "1- 2-"));
  const std::unique_ptr<RegexObject> copy = regex.Copy();
  for (int n = 0; n < 3 * static_cast<int>(regex::kCachedPatterns); ++n) {
    ASSERT_TRUE(regex.Create("y" + std::to_string(n), "y1 y2"));
  }
  EXPECT_EQ(AllMatches(*copy), (std::vector<std::string>{"1-", "2-"}));
  EXPECT_EQ(copy->SubmatchText(2, 1), "2");
  EXPECT_EQ(copy->SubmatchCount(), 1);
  EXPECT_EQ(copy->GetPattern(), "(\\d)-");
  EXPECT_EQ(copy->ReplaceMatches("<$1>"), "<1> <2>");
  ASSERT_TRUE(copy->Create("(\\d)-", "3-"));
  EXPECT_EQ(AllMatches(*copy), (std::vector<std::string>{"3-"}));
}

}  // namespace
}  // namespace tuxia
