// FindText and ReplaceText over 1 MiB of GBK listing markup, side by side with memmem and a
// plain byte replace over the same bytes, and the ratios of the two at the end. Also the
// GBK <-> UTF-16 passes the regular-expression layer makes over whole pages.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "support/ratio_reporter.h"
#include "text/codepage.h"
#include "text/text.h"

namespace tuxia {
namespace {

constexpr std::size_t kPageSize = 1 << 20;

// A listing page as the site serves it: rows of markup with Chinese titles, ended by the pager.
const std::string& Page() {
  static const std::string page = [] {
    const std::vector<std::string> titles = {
        Gbk("中国风古典水墨山水背景"), Gbk("春节喜庆红色灯笼元素"),   Gbk("可爱卡通动物插画素材"),
        Gbk("国潮风创意艺术字设计"),   Gbk("简约清新夏日海报背景图"), Gbk("手绘水彩花卉装饰边框"),
    };
    const std::string tags = Gbk("<span class=\"tag\">元素 背景 艺术字</span>");
    const std::string tail = Gbk("<div class=\"pages\">下一页</div>");
    std::string page;
    for (int n = 100000; page.size() < kPageSize - tail.size() - 1024; ++n) {
      const std::string& title = titles[n % titles.size()];
      const std::string id = std::to_string(n);
      page += "<li class=\"item\"><a href=\"/sucai/" + id + ".html\" target=\"_blank\" title=\"" +
              title + "\"><img src=\"//img.tuxiazhan.com/pic/" + id + ".png!w260\" alt=\"" + title +
              "\"></a><p class=\"title\">" + title + "</p>" + tags + "</li><br>\n";
    }
    page.append(kPageSize - tail.size() - page.size(), ' ');
    return page + tail;
  }();
  return page;
}

const std::string& TailMarker() {
  static const std::string marker = Gbk("<div class=\"pages\">");
  return marker;
}

const std::string& AbsentWord() {
  static const std::string word = Gbk("上一页");
  return word;
}

// The plain byte replace: every occurrence, found with memmem, no regard for characters.
std::string ByteReplace(const std::string& text, const std::string& sought,
                        const std::string& replacement) {
  std::string result;
  result.reserve(text.size());
  std::size_t copied = 0;
  while (const void* found =
             memmem(text.data() + copied, text.size() - copied, sought.data(), sought.size())) {
    const std::size_t at = static_cast<const char*>(found) - text.data();
    result.append(text, copied, at - copied).append(replacement);
    copied = at + sought.size();
  }
  result.append(text, copied);
  return result;
}

void Bytes(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Page().size()));
}

void BM_FindText_Tail(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(FindText(Page(), TailMarker()));
  Bytes(state);
}
void BM_Memmem_Tail(benchmark::State& state) {
  const std::string& page = Page();
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        memmem(page.data(), page.size(), TailMarker().data(), TailMarker().size()));
  }
  Bytes(state);
}
void BM_FindText_AbsentChinese(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(FindText(Page(), AbsentWord()));
  Bytes(state);
}
void BM_Memmem_AbsentChinese(benchmark::State& state) {
  const std::string& page = Page();
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        memmem(page.data(), page.size(), AbsentWord().data(), AbsentWord().size()));
  }
  Bytes(state);
}
void BM_ReplaceText(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(ReplaceText(Page(), "title=\"", "data-title=\"", 1, -1, true));
  }
  Bytes(state);
}
void BM_ByteReplace(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(ByteReplace(Page(), "title=\"", "data-title=\""));
  Bytes(state);
}
void BM_ReplaceText_IgnoreCase(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(ReplaceText(Page(), "<br>", "\n"));
  Bytes(state);
}
void BM_ByteReplace_IgnoreCase(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(ByteReplace(Page(), "<br>", "\n"));
  Bytes(state);
}
void BM_TextToWide936(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(TextToWide(Page(), 936));
  Bytes(state);
}
void BM_WideToText936(benchmark::State& state) {
  const tuxia::Bytes wide = TextToWide(Page(), 936);
  for (auto _ : state) benchmark::DoNotOptimize(WideToText(wide, 936));
  Bytes(state);
}
void BM_GbkToUtf8(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(GbkToUtf8(Page()));
  Bytes(state);
}

BENCHMARK(BM_FindText_Tail);
BENCHMARK(BM_Memmem_Tail);
BENCHMARK(BM_FindText_AbsentChinese);
BENCHMARK(BM_Memmem_AbsentChinese);
BENCHMARK(BM_ReplaceText);
BENCHMARK(BM_ByteReplace);
BENCHMARK(BM_ReplaceText_IgnoreCase);
BENCHMARK(BM_ByteReplace_IgnoreCase);
BENCHMARK(BM_TextToWide936);
BENCHMARK(BM_WideToText936);
BENCHMARK(BM_GbkToUtf8);

}  // namespace
}  // namespace tuxia

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  tuxia::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const char* pairs[][2] = {
      {"BM_FindText_Tail", "BM_Memmem_Tail"},
      {"BM_FindText_AbsentChinese", "BM_Memmem_AbsentChinese"},
      {"BM_ReplaceText", "BM_ByteReplace"},
      {"BM_ReplaceText_IgnoreCase", "BM_ByteReplace_IgnoreCase"},
  };
  for (const auto& [ours, plain] : pairs) {
    reporter.PrintRatio(std::string("ratio ") + ours + " / " + plain, ours, plain);
  }
  std::printf("(CPU time; aim: FindText at most 3x memmem)\n");
  benchmark::Shutdown();
  return 0;
}
