// Fetches a 100 KB page from a local keep-alive server with WebRequest and with a bare libcurl
// easy loop, in the same run, and prints how much slower WebRequest is.
#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <httplib.h>

#include <cstdio>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "net/web_request.h"
#include "support/ratio_reporter.h"

namespace {

const std::string kPage = [] {
  std::string page = "<html><head><title>bench</title></head><body>";
  while (page.size() < 100 * 1024 - 14) page += "<p>material row</p>";
  page.resize(100 * 1024 - 14);
  return page + "</body></html>";
}();

class PageServer {
 public:
  PageServer() {
    server_.set_keep_alive_max_count(1000000);
    server_.Get("/page", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(kPage, "text/html");
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
  }
  ~PageServer() {
    while (!server_.is_running()) std::this_thread::yield();
    server_.stop();
    thread_.join();
  }
  std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/page"; }

 private:
  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
};

PageServer& Server() {
  static PageServer server;
  return server;
}

void BM_WebRequest(benchmark::State& state) {
  const std::string url = Server().Url();
  for (auto _ : state) {
    const std::string page = tuxia::WebRequest(url);
    if (page.size() != kPage.size()) state.SkipWithError("short page");
    benchmark::DoNotOptimize(page.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kPage.size()));
}

size_t Append(char* data, size_t size, size_t count, void* out) {
  static_cast<std::string*>(out)->append(data, size * count);
  return size * count;
}

// One easy handle for the whole loop (its connection stays open); each fetch hands its page to
// the caller as a new string, as WebRequest does.
void BM_BareCurl(benchmark::State& state) {
  const std::string url = Server().Url();
  CURL* easy = curl_easy_init();
  curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, Append);
  for (auto _ : state) {
    std::string page;
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &page);
    if (curl_easy_perform(easy) != CURLE_OK || page.size() != kPage.size()) {
      state.SkipWithError("curl failed");
    }
    benchmark::DoNotOptimize(page.data());
  }
  curl_easy_cleanup(easy);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kPage.size()));
}

// For reference: the same loop writing every page over one buffer that stays allocated.
void BM_BareCurlOneBuffer(benchmark::State& state) {
  const std::string url = Server().Url();
  CURL* easy = curl_easy_init();
  std::string page;
  curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, Append);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &page);
  for (auto _ : state) {
    page.clear();
    if (curl_easy_perform(easy) != CURLE_OK || page.size() != kPage.size()) {
      state.SkipWithError("curl failed");
    }
    benchmark::DoNotOptimize(page.data());
  }
  curl_easy_cleanup(easy);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kPage.size()));
}

// Repeated and interleaved (see main) so that a load that changes during the run falls on all
// three alike; the ratio is taken between medians.
BENCHMARK(BM_WebRequest)->Unit(benchmark::kMicrosecond)->Repetitions(7)->ReportAggregatesOnly();
BENCHMARK(BM_BareCurl)->Unit(benchmark::kMicrosecond)->Repetitions(7)->ReportAggregatesOnly();
BENCHMARK(BM_BareCurlOneBuffer)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly();

}  // namespace

int main(int argc, char** argv) {
  // Interleaving is on unless the command line says otherwise (a later flag wins).
  std::vector<char*> args(argv, argv + argc);
  std::string interleave = "--benchmark_enable_random_interleaving=true";
  args.insert(args.begin() + 1, interleave.data());
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  // Wall time: a fetch is mostly waiting on the server.
  tuxia::bench::RatioReporter reporter(tuxia::bench::RatioReporter::Clock::kReal);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  for (const char* bare : {"BM_BareCurl", "BM_BareCurlOneBuffer"}) {
    reporter.PrintRatio(std::string("WebRequest / ") + bare + ", median time per 100 KB fetch",
                        "BM_WebRequest", bare);
  }
  std::printf("(aim: at most 1.2x against BM_BareCurl)\n");
  benchmark::Shutdown();
  return 0;
}
