// bench_search.cpp - the search over a made-up catalogue of 60,000 snippets
// (10,000 per category, about 20 MB; tools/gen_catalogue.h), one run:
//
// 1. Filtering for one more typed character, for one-, two- and three-word
//    queries: search_run of the longer query right after the shorter one
//    (as the dialog does while typing), against one memmem pass counting
//    the typed word in the file's bytes. Goal: at most 3x. The same
//    queries are also shown run from nothing (no earlier result to narrow).
// 2. Loading the whole catalogue for search against ini_open of the same
//    file alone. Goal: at most 2x.
// Ratios are of CPU time; the closing lines print them.
#include <benchmark/benchmark.h>


#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>

#include "app/search.h"
#include "bench/bench_ratio.h"
#include "runtime/io/ini.h"
#include "tools/gen_catalogue.h"

namespace {

std::string scratch, file;
std::string bytes;
SearchIndex ix;
std::vector<SearchRow> rows;

struct Step {
  const char* name;
  const char* before;  // the query before the key press
  const char* after;   // and after it
  const char* word;    // the word being typed, complete after the key
};
const Step kSteps[] = {
    {"first_letter", "", "v", "v"},
    {"one_word", "vecto", "vector", "vector"},
    {"two_words", "vector cla", "vector clam", "clam"},
    {"three_words", "draw sprite sc", "draw sprite sca", "sca"},
};

void prepare() {
  scratch = (std::filesystem::temp_directory_path() / ("snipvault_bench_search_" + std::to_string(std::random_device{}())))
                .string();
  std::filesystem::create_directories(scratch);
  bytes = gen_catalogue::generate(10000);
  file = scratch + "/CODE.INI";
  FILE* f = std::fopen(file.c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  search_load(ix, file.c_str());
}

void BM_memmem_pass(benchmark::State& state, const char* word) {
  size_t n = std::strlen(word), count = 0;
  for (auto _ : state) {
    const char* p = bytes.data();
    const char* end = p + bytes.size();
    count = 0;
    while (const void* hit = memmem(p, size_t(end - p), word, n)) {
      ++count;
      p = static_cast<const char*>(hit) + n;
    }
    benchmark::DoNotOptimize(count);
  }
  state.counters["hits"] = double(count);
}

void BM_typed(benchmark::State& state, const Step* step) {
  TvString before(step->before), after(step->after);
  for (auto _ : state) {
    state.PauseTiming();
    search_run(ix, before, rows);
    state.ResumeTiming();
    search_run(ix, after, rows);
  }
  state.counters["rows"] = double(rows.size());
}

void BM_from_nothing(benchmark::State& state, const Step* step) {
  TvString after(step->after);
  for (auto _ : state) {
    ix.last_valid = false;
    search_run(ix, after, rows);
  }
  state.counters["rows"] = double(rows.size());
}

void BM_search_load(benchmark::State& state) {
  SearchIndex other;
  for (auto _ : state) search_load(other, file.c_str());
  state.counters["snippets"] = double(other.entries.size());
}

void BM_ini_open(benchmark::State& state) {
  TvString name(file.c_str()), none;
  for (auto _ : state) {
    ini_open(name);
    ini_open(none);
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  prepare();
  for (const Step& s : kSteps) {
    benchmark::RegisterBenchmark((std::string("BM_memmem_") + s.name).c_str(), BM_memmem_pass, s.word)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((std::string("BM_typed_") + s.name).c_str(), BM_typed, &s)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((std::string("BM_from_nothing_") + s.name).c_str(), BM_from_nothing, &s)
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::RegisterBenchmark("BM_ini_open", BM_ini_open)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("BM_search_load", BM_search_load)->Unit(benchmark::kMillisecond);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  std::printf("\nCatalogue: %zu snippets, %.1f MB\n", ix.entries.size(), double(bytes.size()) / 1e6);
  for (const Step& s : kSteps) {
    std::string m = std::string("BM_memmem_") + s.name;
    std::printf("typing \"%s\" -> \"%s\": %.2fx one memmem pass for \"%s\" (goal <= 3x); from nothing %.2fx\n",
                s.before, s.after, reporter.ratio((std::string("BM_typed_") + s.name).c_str(), m.c_str()), s.word,
                reporter.ratio((std::string("BM_from_nothing_") + s.name).c_str(), m.c_str()));
  }
  std::printf("loading for search: %.2fx ini_open of the same file (goal <= 2x)\n",
              reporter.ratio("BM_search_load", "BM_ini_open"));
  std::filesystem::remove_all(scratch);
  benchmark::Shutdown();
  return 0;
}
