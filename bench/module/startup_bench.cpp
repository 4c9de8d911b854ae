// Start-up with and without the skin: MainWindow built and shown on the offscreen platform, and
// for the skinned run the engine loaded from its carried image before the window and the skin
// attached and applied in the window's created handler, as the program does. The ratio and the
// milliseconds the skin adds are printed after the table, and before it the first skinned
// start-up of the process (after a first unskinned window has warmed Qt up), which also pays for
// starting the emulator and translating the engine's code for the first time.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPalette>
#include <chrono>
#include <cstdio>
#include <map>
#include <optional>
#include <string>

#include "app/main_window.h"
#include "app/skin_look.h"
#include "app/startup.h"
#include "module/carried.h"
#include "module/memory_module.h"
#include "module/skin_host.h"
#include "platform/guest.h"
#include "support/ratio_reporter.h"

namespace tuxia {
namespace {

const std::string kSite = "http://www.tuxiazhan.com/";

// SkinData in guest memory, once, as the attachment keeps it.
std::uint32_t GuestSkinData() {
  static const std::uint32_t address = [] {
    const std::uint32_t at =
        guest::VirtualAlloc(0, static_cast<std::uint32_t>(SkinDataLength),
                            guest::MEM_COMMIT | guest::MEM_RESERVE, guest::PAGE_READONLY);
    guest::Write(at, {SkinData, SkinDataLength});
    return at;
  }();
  return address;
}

// The skinned start-up: engine loaded, window built with the attachment in its created handler,
// shown. Gives whether the skin was applied.
bool StartSkinned(MemoryModule& engine) {
  if (!engine.LoadFromMemory({SkinEngineImage, SkinEngineImageLength})) return false;
  bool applied = false;
  WindowHandlers handlers;
  handlers.created = [&engine, &applied](MainWindow&) {
    ClearSkinLookRecord();
    CallNative(engine.FindExport("SkinH_AttachRes"), static_cast<std::int32_t>(GuestSkinData()),
               static_cast<std::int32_t>(SkinDataLength));
    const std::optional<SkinLook> look = RecordedSkinLook();
    ApplySkinLook(look);
    applied = look.has_value();
  };
  MainWindow window(kSite, handlers);
  window.show();
  return applied;
}

void BM_StartupWithoutSkin(benchmark::State& state) {
  for (auto _ : state) {
    MainWindow window(kSite, {});
    window.show();
  }
}
BENCHMARK(BM_StartupWithoutSkin)->Unit(benchmark::kMillisecond);

void BM_StartupWithSkin(benchmark::State& state) {
  const QPalette unskinned = QApplication::palette();
  const QFont font = QApplication::font();
  for (auto _ : state) {
    MemoryModule engine;
    if (!StartSkinned(engine)) state.SkipWithError("the skin was not applied");
    // Unloading and going back to the unskinned look are not part of start-up.
    state.PauseTiming();
    engine.Unload();
    QApplication::setPalette(unskinned);
    QApplication::setFont(font);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_StartupWithSkin)->Unit(benchmark::kMillisecond);

// The first skinned start-up of the process, emulator start included, in milliseconds.
double FirstSkinnedStartupMs() {
  const auto start = std::chrono::steady_clock::now();
  MemoryModule engine;
  const bool applied = StartSkinned(engine);
  const auto end = std::chrono::steady_clock::now();
  engine.Unload();
  if (!applied) return -1;
  return std::chrono::duration<double, std::milli>(end - start).count();
}

}  // namespace
}  // namespace tuxia

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  tuxia::PrepareProcess();
  if (!tuxia::ProvideSkinHost()) return 1;
  const QPalette unskinned = QApplication::palette();
  const QFont font = QApplication::font();
  {
    tuxia::MainWindow warmUp(tuxia::kSite, {});
    warmUp.show();
  }
  std::printf("first skinned start-up of the process (emulator start included): %.3f ms\n",
              tuxia::FirstSkinnedStartupMs());
  QApplication::setPalette(unskinned);
  QApplication::setFont(font);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  tuxia::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  if (reporter.PrintRatio("ratio with skin / without skin", "BM_StartupWithSkin",
                          "BM_StartupWithoutSkin") > 0) {
    std::printf("the skin adds %.3f ms to start-up\n",
                reporter.Time("BM_StartupWithSkin") - reporter.Time("BM_StartupWithoutSkin"));
  }
  benchmark::Shutdown();
  return 0;
}
