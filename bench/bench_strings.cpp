// bench_strings - TvString speed against the standard library in the same run:
// one million single-character appends against std::string::push_back, and
// string_from_number over one million varied doubles against snprintf "%.10g".
// Ends with one "ratio:" line per pair (ours / baseline; lower is better).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "runtime/values/tv_string.h"

namespace {

constexpr int kAppends = 1000000;
constexpr int kNumbers = 1000000;

void BM_TvStringAppendChar(benchmark::State& state) {
  for (auto _ : state) {
    TvString s;
    for (int i = 0; i < kAppends; ++i) string_append_char(s, char('a' + (i & 15)));
    benchmark::DoNotOptimize(s.data);
  }
}
BENCHMARK(BM_TvStringAppendChar)->Unit(benchmark::kMillisecond);

// The same through the general text append (s += "x"), as translated code does.
void BM_TvStringAppendText(benchmark::State& state) {
  static const char* const letters[4] = {"a", "b", "c", "d"};
  for (auto _ : state) {
    TvString s;
    for (int i = 0; i < kAppends; ++i) s += letters[i & 3];
    benchmark::DoNotOptimize(s.data);
  }
}
BENCHMARK(BM_TvStringAppendText)->Unit(benchmark::kMillisecond);

void BM_StdStringPushBack(benchmark::State& state) {
  for (auto _ : state) {
    std::string s;
    for (int i = 0; i < kAppends; ++i) s.push_back(char('a' + (i & 15)));
    benchmark::DoNotOptimize(s.data());
  }
}
BENCHMARK(BM_StdStringPushBack)->Unit(benchmark::kMillisecond);

// Magnitudes from 1e-12 to 1e12 plus small integers, so both the fixed and
// the exponent form are exercised.
const std::vector<double>& varied_doubles() {
  static std::vector<double> values = [] {
    std::mt19937_64 rng(12345);
    std::uniform_real_distribution<double> mant(-10.0, 10.0);
    std::uniform_int_distribution<int> ex(-12, 12);
    std::vector<double> v(kNumbers);
    for (int i = 0; i < kNumbers; ++i)
      v[i] = (i % 8 == 0) ? double(int(mant(rng) * 1000)) : mant(rng) * std::pow(10.0, ex(rng));
    return v;
  }();
  return values;
}

void BM_StringFromNumber(benchmark::State& state) {
  const std::vector<double>& v = varied_doubles();
  for (auto _ : state) {
    size_t total = 0;
    for (double d : v) {
      TvString s = string_from_number(d);
      total += s.length;
    }
    benchmark::DoNotOptimize(total);
  }
}
BENCHMARK(BM_StringFromNumber)->Unit(benchmark::kMillisecond);

void BM_SnprintfG10(benchmark::State& state) {
  const std::vector<double>& v = varied_doubles();
  for (auto _ : state) {
    size_t total = 0;
    char buf[64];
    for (double d : v) total += size_t(std::snprintf(buf, sizeof buf, "%.10g", d));
    benchmark::DoNotOptimize(total);
  }
}
BENCHMARK(BM_SnprintfG10)->Unit(benchmark::kMillisecond);

// Remembers each benchmark's time per iteration for the closing ratios.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> times;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      if (r.run_type == Run::RT_Iteration) times[r.benchmark_name()] = r.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
};

void print_ratio(const RatioReporter& rep, const char* label, const char* ours, const char* base,
                 double goal) {
  auto a = rep.times.find(ours), b = rep.times.find(base);
  if (a == rep.times.end() || b == rep.times.end() || b->second <= 0) return;
  double ratio = a->second / b->second;
  std::printf("ratio: %.2fx  %s (%s vs %s, goal within %.0fx)\n", ratio, label, ours, base, goal);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter rep;
  benchmark::RunSpecifiedBenchmarks(&rep);
  print_ratio(rep, "1,000,000 single-character appends", "BM_TvStringAppendChar",
              "BM_StdStringPushBack", 3);
  print_ratio(rep, "1,000,000 one-character text appends", "BM_TvStringAppendText",
              "BM_StdStringPushBack", 3);
  print_ratio(rep, "string_from_number over 1,000,000 doubles", "BM_StringFromNumber",
              "BM_SnprintfG10", 2);
  benchmark::Shutdown();
  return 0;
}
