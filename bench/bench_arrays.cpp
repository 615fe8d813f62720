// bench_arrays.cpp - array_push against std::vector::push_back, both measured
// in this run: 1,000,000 integers and 100,000 strings. Prints one ratio line
// per case at the end (TvArray time / std::vector time).
#include <benchmark/benchmark.h>

#include "bench/bench_ratio.h"

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "runtime/values/tv_array.h"

namespace {

constexpr int32_t int_count = 1000000;
constexpr int32_t string_count = 100000;

std::vector<TvString> make_texts() {
  std::vector<TvString> texts;
  for (int32_t i = 0; i < string_count; ++i) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "snippet number %d", i);
    texts.emplace_back(buf);
  }
  return texts;
}
const std::vector<TvString>& texts() {
  static const std::vector<TvString> t = make_texts();
  return t;
}

void BM_ArrayPushInt(benchmark::State& state) {
  for (auto _ : state) {
    TvIntArray a;
    for (int32_t i = 0; i < int_count; ++i) array_push(a, i);
    benchmark::DoNotOptimize(a.elements);
  }
}
void BM_VectorPushInt(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<int32_t> v;
    for (int32_t i = 0; i < int_count; ++i) v.push_back(i);
    benchmark::DoNotOptimize(v.data());
  }
}
void BM_ArrayPushString(benchmark::State& state) {
  const auto& t = texts();
  for (auto _ : state) {
    TvStringArray a;
    for (int32_t i = 0; i < string_count; ++i) array_push(a, t[i]);
    benchmark::DoNotOptimize(a.elements);
  }
}
void BM_VectorPushString(benchmark::State& state) {
  const auto& t = texts();
  for (auto _ : state) {
    std::vector<TvString> v;
    for (int32_t i = 0; i < string_count; ++i) v.push_back(t[i]);
    benchmark::DoNotOptimize(v.data());
  }
}

BENCHMARK(BM_ArrayPushInt)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VectorPushInt)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ArrayPushString)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VectorPushString)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto ratio = [&](const char* what, const char* ours, const char* base) {
    auto a = reporter.seconds.find(ours), b = reporter.seconds.find(base);
    if (a == reporter.seconds.end() || b == reporter.seconds.end() || b->second <= 0) return;
    std::printf("%s ratio: %.2fx (array_push / std::vector::push_back)\n", what, a->second / b->second);
  };
  ratio("push 1,000,000 integers", "BM_ArrayPushInt", "BM_VectorPushInt");
  ratio("push 100,000 strings", "BM_ArrayPushString", "BM_VectorPushString");
  benchmark::Shutdown();
}
