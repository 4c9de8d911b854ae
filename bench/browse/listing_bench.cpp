// FillListing on a listing page of about 300 KB (the realistic fixture of each category, repeated)
// into the in-memory controls, against the bare PCRE2 matching of the same two patterns over the
// same page already in UTF-16: compiled once, the match loop only. The ratios are printed at the
// end. Each FillListing allocates about 1 MB afresh (the page's units and its copy), so the
// allocator's return of memory to the system can add page faults to some runs; to see the steady
// cost, run with
// GLIBC_TUNABLES=glibc.malloc.mmap_threshold=67108864:glibc.malloc.trim_threshold=134217728
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include "browse/listing.h"
#include "browse/site.h"
#include "support/memory_controls.h"
#include "support/ratio_reporter.h"
#include "text/codepage.h"

namespace tuxia {
namespace {

constexpr std::size_t kPageSize = 300 * 1024;

struct Category {
  const char* folder;
  RadioButton button;
};
const Category kCategories[] = {{"element-page", RadioButton::Element},
                                {"background-page", RadioButton::Background},
                                {"wordart-page", RadioButton::WordArt}};

std::string Page(int category) {
  const std::string path = std::string(TUXIA_TEST_DATA) + "/browse/data/listing/" +
                           kCategories[category].folder + "/page.html";
  std::ifstream file(path, std::ios::binary);
  const std::string one{std::istreambuf_iterator<char>(file), {}};
  std::string page;
  while (!one.empty() && page.size() < kPageSize) page += one;
  return page;
}

std::u16string Units(std::string_view gbk) {
  const Bytes wide = TextToWide(gbk, 936);
  std::u16string units(wide.size() / 2 - 1, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i) {
    units[i] = static_cast<char16_t>(wide[2 * i] | wide[2 * i + 1] << 8);
  }
  return units;
}

void BM_FillListing(benchmark::State& state) {
  const int category = static_cast<int>(state.range(0));
  const std::string page = Page(category);
  const CategoryRule& rule = RuleOf(kCategories[category].button);
  SetSiteHost("tuxia.test");
  std::size_t rows = 0;
  for (auto _ : state) {
    MemoryControls controls;
    RegexObject regex;
    FillListing(regex, page, rule, controls);
    regex.Destroy();
    rows = controls.Rows().size();
    benchmark::DoNotOptimize(rows);
  }
  state.counters["rows"] = static_cast<double>(rows);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}

struct CodeFree {
  void operator()(pcre2_code* code) const { pcre2_code_free(code); }
};
struct MatchDataFree {
  void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};

// Compiled as RegexObject compiles it with the options omitted.
std::unique_ptr<pcre2_code, CodeFree> Compile(const std::string& pattern) {
  const std::u16string units = Units(pattern);
  pcre2_compile_context* context = pcre2_compile_context_create(nullptr);
  pcre2_set_newline(context, PCRE2_NEWLINE_LF);
  int error = 0;
  PCRE2_SIZE offset = 0;
  std::unique_ptr<pcre2_code, CodeFree> code(
      pcre2_compile(reinterpret_cast<PCRE2_SPTR>(units.data()), units.size(),
                    PCRE2_UTF | PCRE2_CASELESS | PCRE2_MULTILINE, &error, &offset, context));
  pcre2_compile_context_free(context);
  pcre2_jit_compile(code.get(), PCRE2_JIT_COMPLETE);
  return code;
}

int CountMatches(const pcre2_code* code, pcre2_match_data* data, std::u16string_view subject) {
  int count = 0;
  for (std::size_t offset = 0; offset <= subject.size(); ++count) {
    if (pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(subject.data()), subject.size(), offset,
                    PCRE2_NO_UTF_CHECK, data, nullptr) < 0) {
      break;
    }
    const PCRE2_SIZE* bounds = pcre2_get_ovector_pointer(data);
    offset = bounds[1] > bounds[0] ? bounds[1] : bounds[1] + 1;
  }
  return count;
}

void BM_BarePcre2(benchmark::State& state) {
  const int category = static_cast<int>(state.range(0));
  const std::u16string page = Units(Page(category));
  const CategoryRule& rule = RuleOf(kCategories[category].button);
  const auto titles = Compile(rule.titlePattern);
  const auto items = Compile(rule.itemPattern);
  const std::unique_ptr<pcre2_match_data, MatchDataFree> data(pcre2_match_data_create(10, nullptr));
  int matches = 0;
  for (auto _ : state) {
    matches = CountMatches(titles.get(), data.get(), page);
    matches += CountMatches(items.get(), data.get(), page);
    benchmark::DoNotOptimize(matches);
  }
  state.counters["matches"] = matches;
}

BENCHMARK(BM_FillListing)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BarePcre2)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tuxia

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  tuxia::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  for (int category = 0; category < 3; ++category) {
    const std::string suffix = "/" + std::to_string(category);
    reporter.PrintRatio(
        std::string("ratio FillListing / bare PCRE2 (") + tuxia::kCategories[category].folder + ")",
        "BM_FillListing" + suffix, "BM_BarePcre2" + suffix);
  }
  std::printf(
      "(CPU time, the median when repeated (--benchmark_repetitions=5 on a busy machine); "
      "aim: at most 1.5x)\n");
  benchmark::Shutdown();
  return 0;
}
