// Collection of the cookies a response sets, and their merge with the caller's cookies.
#include "net/cookies.h"

#include <gtest/gtest.h>

#include "text/codepage.h"

namespace tuxia {
namespace {

std::string Collect(std::initializer_list<std::string_view> lines) {
  std::string collected;
  for (std::string_view line : lines) CollectCookieLine(line, collected);
  FinishCookies(collected, nullptr, true);
  return collected;
}

TEST(CookieCollection, ItemsOfSetCookieLinesInOrder) {
  EXPECT_EQ(Collect({}), "");
  EXPECT_EQ(Collect({"HTTP/1.1 200 OK", "Content-Type: text/html", ""}), "");
  EXPECT_EQ(Collect({"Set-Cookie: a=1; path=/"}), "a=1");
  EXPECT_EQ(Collect({"Set-Cookie: b=2"}), "b=2");
  EXPECT_EQ(Collect({"Set-Cookie: a=1; path=/", "Set-Cookie: b=2"}), "a=1; b=2");
  EXPECT_EQ(Collect({"Set-Cookie:   c=3  ; HttpOnly"}), "c=3");
}

TEST(CookieCollection, LinesThatOnlyMentionSetCookie) {
  // "Set-Cookie" and ";" without "Set-Cookie:": an empty item takes that place.
  EXPECT_EQ(Collect({"Set-Cookie: a=1", "X-Set-Cookie-Note; x", "Set-Cookie: b=2"}), "a=1; ; b=2");
  // Without ";" every "Set-Cookie:" is removed whatever its letter case.
  EXPECT_EQ(Collect({"X: Set-Cookie: set-cookie:k=v"}), "X:  k=v");
  // The search is exact: a lower-case header is not a cookie line (the exchange folds the case
  // before collecting).
  EXPECT_EQ(Collect({"set-cookie: a=1; path=/"}), "");
}

TEST(CookieCollection, FinishMergesOnlyWhenSuppliedAndAsked) {
  std::string cookies = "a=1; c=3";
  std::string collected;
  CollectCookieLine("Set-Cookie: a=9; path=/", collected);
  std::string unmerged = collected;
  FinishCookies(unmerged, &cookies, false);
  EXPECT_EQ(unmerged, "a=9");
  EXPECT_EQ(cookies, "a=1; c=3");

  FinishCookies(collected, &cookies, true);
  EXPECT_EQ(collected, "a=9; c=3");
  EXPECT_EQ(cookies, "a=9; c=3");

  std::string none;
  std::string empty;
  FinishCookies(none, &empty, true);
  EXPECT_EQ(none, "");
  EXPECT_EQ(empty, "");
}

struct MergeCase {
  const char* what;
  std::string old;
  std::string fresh;
  std::string merged;
};

TEST(MergeCookies, Table) {
  const MergeCase cases[] = {
      {"response value wins, others kept", "a=1; c=3", "a=9", "a=9; c=3"},
      {"a deleted cookie is dropped with the supplied one of its name", "a=1; c=3",
       "a=9; c=deleted", "a=9"},
      {"names are case-sensitive", "A=1", "a=2", "a=2; A=1"},
      {"=DELETED in capitals stays", "", "a=DELETED", "a=DELETED"},
      {"spaces inside values go", "a=x y", "", "a=xy"},
      {"full-width spaces go too", Gbk("a=x　y"), "", "a=xy"},
      {"two separators in a row keep one empty item", "a=1;;b=2", "", "a=1; ; b=2"},
      {"of several supplied items with one name only the first", "a=1; a=2; b=3", "", "a=1; b=3"},
      {"equal whole items once", "", "a=1; a=1; b=2", "a=1; b=2"},
      {"an item without '=' is its own name", "flag; a=1", "flag", "flag; a=1"},
      {"nothing at all", "", "", ""},
  };
  for (const MergeCase& c : cases) {
    std::string old = c.old;
    std::string fresh = c.fresh;
    EXPECT_EQ(MergeCookies(old, fresh), c.merged) << c.what;
    EXPECT_EQ(old, c.merged) << c.what;
  }
}

TEST(MergeCookies, RewritesBothArgumentsWithoutSpaces) {
  std::string old = "a = 1; b=2";
  std::string fresh = "c = 3";
  EXPECT_EQ(MergeCookies(old, fresh), "c=3; a=1; b=2");
  EXPECT_EQ(old, "c=3; a=1; b=2");
  EXPECT_EQ(fresh, "c=3");
}

TEST(CookieName, TextBeforeFirstEqualsTrimmed) {
  EXPECT_EQ(CookieName("a=1"), "a");
  EXPECT_EQ(CookieName(" sid =x=y"), "sid");
  EXPECT_EQ(CookieName("flag"), "flag");
  EXPECT_EQ(CookieName("  "), "");
  EXPECT_EQ(CookieName("=v"), "");
}

TEST(HasCookieName, ExactComparisonOfNames) {
  const TextArray items = {"a=1", " b =2", "flag"};
  EXPECT_TRUE(HasCookieName(items, "a"));
  EXPECT_TRUE(HasCookieName(items, "b"));
  EXPECT_TRUE(HasCookieName(items, "flag"));
  EXPECT_FALSE(HasCookieName(items, "A"));
  EXPECT_FALSE(HasCookieName({}, "a"));
}

TEST(JoinDistinct, KeepsFirstOfEqualPieces) {
  EXPECT_EQ(JoinDistinct("a; b; a; c; b", "; "), "a; b; c");
  EXPECT_EQ(JoinDistinct("x,,x,", ","), "x,");
  EXPECT_EQ(JoinDistinct("", "; "), "");
  EXPECT_EQ(JoinDistinct("only", "--"), "only");
}

}  // namespace
}  // namespace tuxia
