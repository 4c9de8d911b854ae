#pragma once
// The engine behind RegexObject: PCRE2 over UTF-16 in UTF mode, compiled and run with the
// options and the match loop that give the object's matching rules, under a bounded amount of
// work. Offsets count UTF-16 units.
#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace tuxia::regex {

struct EngineOptions {
  bool ignoreCase = true;
  bool multiline = true;
  bool global = true;
};

// Offset of a group that took no part in its match.
inline constexpr std::size_t kUnset = ~std::size_t{0};

// The matches of one search, left to right.
class MatchList {
 public:
  explicit MatchList(int groups) : groups_(groups) {}

  [[nodiscard]] int Groups() const { return groups_; }
  [[nodiscard]] int Count() const {
    return static_cast<int>(bounds_.size() / (2 * static_cast<std::size_t>(groups_ + 1)));
  }
  // Unit offsets [start, end) of group `group` (0: the whole match) of match `match`, both
  // counted from 0 and in range; kUnset for both when the group took no part.
  [[nodiscard]] std::size_t Start(int match, int group) const {
    return bounds_[Slot(match, group)];
  }
  [[nodiscard]] std::size_t End(int match, int group) const {
    return bounds_[Slot(match, group) + 1];
  }

  void Append(const std::size_t* ovector) {
    bounds_.insert(bounds_.end(), ovector, ovector + 2 * (groups_ + 1));
  }

 private:
  [[nodiscard]] std::size_t Slot(int match, int group) const {
    return 2 * (static_cast<std::size_t>(match) * static_cast<std::size_t>(groups_ + 1) +
                static_cast<std::size_t>(group));
  }

  int groups_;
  std::vector<std::size_t> bounds_;  // (groups + 1) pairs per match, the whole match first
};

// Every match of `pattern` in `subject` (only the first when options.global is off). Nothing
// when the pattern does not compile or the search runs out of its work budget, memory or stack.
// Units of the subject that are not valid UTF-16 match nothing.
[[nodiscard]] std::optional<MatchList> Execute(std::u16string_view pattern,
                                               std::u16string_view subject,
                                               const EngineOptions& options);

}  // namespace tuxia::regex
