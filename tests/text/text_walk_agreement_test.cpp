// The searching operations against a plain walk of the double-byte rule on random texts mixed
// of ASCII and GBK bytes, with small alphabets so that matches, second bytes that look like
// ASCII and lone first bytes are frequent.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "reference_walk.h"

namespace tuxia {
namespace {

class RandomCases {
 public:
  // Texts of up to `longest` bytes.
  RandomCases(unsigned seed, int longest) : random_(seed), longest_(longest) {}

  reference::SearchCase Next() {
    reference::SearchCase c;
    c.text = Bytes(Below(longest_));
    c.sought = Below(2) == 0 && !c.text.empty() ? Slice(c.text) : Bytes(Below(4));
    c.replacement = Bytes(Below(3));
    c.start = Below(static_cast<int>(c.text.size()) + 5) - 2;
    if (Below(3) != 0) c.reverseStart = Below(static_cast<int>(c.text.size()) + 5) - 2;
    c.count = Below(5) - 2;
    if (Below(2) != 0) c.limit = Below(6) - 1;
    c.ignoreCase = Below(2) != 0;
    return c;
  }

 private:
  int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

  std::string Bytes(int size) {
    // ASCII letters in both cases, separators, spaces, and first bytes of GBK characters.
    static constexpr char alphabet[] = {'a', 'A',    'b',    'B',    ',',    '/',    ' ',
                                        '<', '\x80', '\xA1', '\xB0', '\xC1', '\xFE', '\xFF'};
    std::string bytes;
    for (int i = 0; i < size; ++i) bytes += alphabet[Below(sizeof alphabet)];
    return bytes;
  }

  std::string Slice(const std::string& text) {
    const int from = Below(static_cast<int>(text.size()));
    return text.substr(from, Below(4) + 1);
  }

  std::mt19937 random_;
  int longest_;
};

void ExpectAgreement(RandomCases cases, int count) {
  for (int i = 0; i < count; ++i) {
    const reference::SearchCase c = cases.Next();
    const std::string disagreement = reference::Disagreement(c);
    ASSERT_EQ(disagreement, "") << "text '" << c.text << "' sought '" << c.sought << "' start "
                                << c.start << " count " << c.count << " ignoreCase "
                                << c.ignoreCase;
  }
}

TEST(TextWalkAgreement, SearchesAgreeWithThePlainWalk) {
  ExpectAgreement(RandomCases(20240517, 40), 200000);
}

// Long enough that the searches meet both ways of finding a candidate: the one for short spans
// of text and the one for long spans.
TEST(TextWalkAgreement, SearchesOverLongTextsAgreeWithThePlainWalk) {
  ExpectAgreement(RandomCases(20240518, 1200), 5000);
}

}  // namespace
}  // namespace tuxia
