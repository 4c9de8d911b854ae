#pragma once
// The engine behind RegexObject: PCRE2 over UTF-16 in UTF mode, compiled and run with the
// options and the match loop that give the object's matching rules, under a bounded amount of
// work. Offsets count UTF-16 units.
#include <cstddef>
#include <memory>
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

// A pattern compiled for one set of options, ready to search. It never changes once made, so
// any number of searches may share it.
class CompiledPattern;

// The last kCachedPatterns patterns compiled on a thread are kept there, most recently used
// first, and handed out again for the same pattern text and options. Patterns longer than
// kLongestCachedPattern units are compiled afresh each time.
inline constexpr std::size_t kCachedPatterns = 16;
inline constexpr std::size_t kLongestCachedPattern = 4096;

// `pattern` compiled under `options`, from the thread's cache or afresh; nullptr when it does not
// compile. Options that do not change the compiled form (global) do not matter.
[[nodiscard]] std::shared_ptr<const CompiledPattern> Compile(std::u16string_view pattern,
                                                             const EngineOptions& options);

// Every match of `pattern` in `subject` (only the first when `global` is off). Nothing when the
// search runs out of its work budget, memory or stack. Units of the subject that are not valid
// UTF-16 match nothing. Each call searches with match data and limits of its own.
[[nodiscard]] std::optional<MatchList> Execute(const CompiledPattern& pattern,
                                               std::u16string_view subject, bool global);

// Compile and Execute in one; nothing as well when the pattern does not compile.
[[nodiscard]] std::optional<MatchList> Execute(std::u16string_view pattern,
                                               std::u16string_view subject,
                                               const EngineOptions& options);

}  // namespace tuxia::regex
