#include "regex/engine.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

namespace tuxia::regex {
namespace {

// \w, \d, \s and \b stay ASCII (no PCRE2_UCP). As in the engine the scrapers were written
// for: \uHHHH names a character, a backreference to an unset group matches the empty text, and
// $ without Multiline is the very end. \C could split a character and is refused. Units that
// are not valid UTF-16 never match, which spares a check of the whole subject at every Create.
constexpr std::uint32_t kCompileOptions = PCRE2_UTF | PCRE2_MATCH_INVALID_UTF | PCRE2_ALT_BSUX |
                                          PCRE2_MATCH_UNSET_BACKREF | PCRE2_DOLLAR_ENDONLY |
                                          PCRE2_NEVER_BACKSLASH_C;

// Work bounds. Every search may take kFreeSteps engine steps; one that needs more is run again
// with twice the limit, each rerun paid from kBudgetSteps shared by the whole match loop. So the
// loop does at most kFreeSteps per search plus the budget, and a runaway pattern ends as a
// failure within a fraction of a second.
constexpr std::uint32_t kFreeSteps = 100'000;
constexpr std::uint32_t kBudgetSteps = 50'000'000;
constexpr std::uint32_t kDepthLimit = 1'000'000;
constexpr std::uint32_t kHeapLimitKiB = 64 * 1024;
constexpr std::size_t kJitStackStart = 32 * 1024;
constexpr std::size_t kJitStackMax = 1024 * 1024;

struct CodeFree {
  void operator()(pcre2_code* code) const { pcre2_code_free(code); }
};
struct CompileContextFree {
  void operator()(pcre2_compile_context* context) const { pcre2_compile_context_free(context); }
};
struct MatchContextFree {
  void operator()(pcre2_match_context* context) const { pcre2_match_context_free(context); }
};
struct MatchDataFree {
  void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};
struct JitStackFree {
  void operator()(pcre2_jit_stack* stack) const { pcre2_jit_stack_free(stack); }
};
using OwnedCode = std::unique_ptr<pcre2_code, CodeFree>;

PCRE2_SPTR Units(std::u16string_view text) { return reinterpret_cast<PCRE2_SPTR>(text.data()); }

std::uint32_t CompileFlags(const EngineOptions& options) {
  std::uint32_t flags = kCompileOptions;
  // IgnoreCase folds every letter that has a case: the ASCII ones, and in UTF mode also the
  // Greek, Cyrillic and full-width Latin letters that GBK holds.
  if (options.ignoreCase) flags |= PCRE2_CASELESS;
  if (options.multiline) flags |= PCRE2_MULTILINE;
  return flags;
}

}  // namespace

class CompiledPattern {
 public:
  explicit CompiledPattern(OwnedCode code) : code_(std::move(code)) {
    pcre2_jit_compile(code_.get(), PCRE2_JIT_COMPLETE);  // without the JIT the interpreter runs
    std::uint32_t groups = 0;
    pcre2_pattern_info(code_.get(), PCRE2_INFO_CAPTURECOUNT, &groups);
    groups_ = static_cast<int>(groups);
  }

  [[nodiscard]] const pcre2_code* Code() const { return code_.get(); }
  [[nodiscard]] int Groups() const { return groups_; }

 private:
  OwnedCode code_;
  int groups_ = 0;
};

namespace {

std::shared_ptr<const CompiledPattern> CompileAfresh(std::u16string_view pattern,
                                                     std::uint32_t flags) {
  const std::unique_ptr<pcre2_compile_context, CompileContextFree> context(
      pcre2_compile_context_create(nullptr));
  if (!context) return nullptr;
  // The dot stops at a line feed and nowhere else; ^ and $ of Multiline meet line feeds.
  pcre2_set_newline(context.get(), PCRE2_NEWLINE_LF);
  int error = 0;
  PCRE2_SIZE errorOffset = 0;
  OwnedCode code(
      pcre2_compile(Units(pattern), pattern.size(), flags, &error, &errorOffset, context.get()));
  if (!code) return nullptr;
  return std::make_shared<const CompiledPattern>(std::move(code));
}

// Compiling, and above all JIT-compiling, costs more than searching a short text, and the
// scrapers run the same few patterns again and again. The cache holds shared references, so a
// pattern it lets go stays alive for whoever still uses it.
class PatternCache {
 public:
  std::shared_ptr<const CompiledPattern> Find(std::u16string_view pattern, std::uint32_t flags) {
    const auto found = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& entry) {
      return entry.flags == flags && entry.pattern == pattern;
    });
    if (found == entries_.end()) return nullptr;
    std::rotate(entries_.begin(), found, found + 1);
    return entries_.front().compiled;
  }

  void Add(std::u16string_view pattern, std::uint32_t flags,
           std::shared_ptr<const CompiledPattern> compiled) {
    if (pattern.size() > kLongestCachedPattern) return;
    if (entries_.size() == kCachedPatterns) entries_.pop_back();
    entries_.insert(entries_.begin(), Entry{std::u16string(pattern), flags, std::move(compiled)});
  }

 private:
  struct Entry {
    std::u16string pattern;
    std::uint32_t flags;
    std::shared_ptr<const CompiledPattern> compiled;
  };
  std::vector<Entry> entries_;  // most recently used first
};

thread_local PatternCache patternCache;

// One compiled pattern searched repeatedly over one subject.
class Searcher {
 public:
  Searcher(const pcre2_code* code, std::u16string_view subject)
      : code_(code),
        subject_(subject),
        data_(pcre2_match_data_create_from_pattern(code, nullptr)),
        context_(pcre2_match_context_create(nullptr)) {
    if (!context_) return;
    pcre2_set_depth_limit(context_.get(), kDepthLimit);
    pcre2_set_heap_limit(context_.get(), kHeapLimitKiB);
  }

  [[nodiscard]] bool Ready() const { return data_ && context_; }
  [[nodiscard]] const PCRE2_SIZE* Bounds() const { return pcre2_get_ovector_pointer(data_.get()); }

  // pcre2_match from `offset`: the number of groups set plus one, PCRE2_ERROR_NOMATCH, or
  // another (failing) error code.
  int Search(std::size_t offset) {
    std::uint32_t limit = kFreeSteps;
    for (;;) {
      pcre2_set_match_limit(context_.get(), limit);
      const int result = pcre2_match(code_, Units(subject_), subject_.size(), offset, options_,
                                     data_.get(), context_.get());
      if (result == PCRE2_ERROR_JIT_STACKLIMIT && GrowJitStack()) continue;
      if (result == PCRE2_ERROR_JIT_STACKLIMIT && (options_ & PCRE2_NO_JIT) == 0) {
        options_ |= PCRE2_NO_JIT;  // the interpreter keeps its frames on the heap instead
        continue;
      }
      if (result != PCRE2_ERROR_MATCHLIMIT) return result;
      if (budget_ == 0) return result;
      limit = std::min(limit * 2, budget_);
      budget_ -= limit;
    }
  }

 private:
  // The compiled matcher starts on a small stack of its own; a search that outgrows it gets a
  // larger one, once.
  bool GrowJitStack() {
    if (stack_) return false;
    stack_.reset(pcre2_jit_stack_create(kJitStackStart, kJitStackMax, nullptr));
    if (!stack_) return false;
    pcre2_jit_stack_assign(context_.get(), nullptr, stack_.get());
    return true;
  }

  const pcre2_code* code_;
  std::u16string_view subject_;
  std::unique_ptr<pcre2_match_data, MatchDataFree> data_;
  std::unique_ptr<pcre2_match_context, MatchContextFree> context_;
  std::unique_ptr<pcre2_jit_stack, JitStackFree> stack_;
  std::uint32_t options_ = 0;
  std::uint32_t budget_ = kBudgetSteps;
};

// Where the next search starts after a match [start, end): at its end, or one character
// further when the match was empty (so "a*?" over "aa" gives three empty matches).
std::size_t NextOffset(std::u16string_view subject, std::size_t start, std::size_t end) {
  if (end > start) return end;
  const bool pair = end + 1 < subject.size() && subject[end] >= 0xD800 && subject[end] <= 0xDBFF &&
                    subject[end + 1] >= 0xDC00 && subject[end + 1] <= 0xDFFF;
  return end + (pair ? 2 : 1);
}

}  // namespace

std::shared_ptr<const CompiledPattern> Compile(std::u16string_view pattern,
                                               const EngineOptions& options) {
  const std::uint32_t flags = CompileFlags(options);
  std::shared_ptr<const CompiledPattern> compiled = patternCache.Find(pattern, flags);
  if (compiled) return compiled;
  compiled = CompileAfresh(pattern, flags);
  if (compiled) patternCache.Add(pattern, flags, compiled);
  return compiled;
}

std::optional<MatchList> Execute(const CompiledPattern& pattern, std::u16string_view subject,
                                 bool global) {
  Searcher searcher(pattern.Code(), subject);
  if (!searcher.Ready()) return std::nullopt;
  MatchList matches(pattern.Groups());
  for (std::size_t offset = 0; offset <= subject.size();) {
    const int result = searcher.Search(offset);
    if (result == PCRE2_ERROR_NOMATCH) break;
    if (result < 0) return std::nullopt;
    const PCRE2_SIZE* bounds = searcher.Bounds();
    matches.Append(bounds);
    if (!global) break;
    offset = NextOffset(subject, bounds[0], bounds[1]);
  }
  return matches;
}

std::optional<MatchList> Execute(std::u16string_view pattern, std::u16string_view subject,
                                 const EngineOptions& options) {
  const std::shared_ptr<const CompiledPattern> compiled = Compile(pattern, options);
  if (!compiled) return std::nullopt;
  return Execute(*compiled, subject, options.global);
}

}  // namespace tuxia::regex
