// bench_ini.cpp - the INI table's cost against its own baselines, one run.
//
// 1. Look-ups: a file with one section of 10,000 snippets (40,000 keys) and
//    one of 100 snippets (400 keys); 40,000 ini_get calls in each. The big
//    section should cost at most 2x the small one. Puts are measured the same
//    way.
// 2. Loading: ini_open of a 20 MB catalogue against a memchr scan of the same
//    bytes for line ends (goal: at most 3x), both with the bytes in memory
//    and with the scan reading the file itself first. A section's key index
//    is built on its first use, so the load is also shown with all six
//    sections indexed.
// Ratios are of CPU time: the machine is shared, and wall time would charge
// other processes' turns to whichever benchmark was running.
// The closing lines print the ratios.
#include <benchmark/benchmark.h>

#include "bench/bench_ratio.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "runtime/io/ini.h"

namespace {

std::string scratch;
std::string lookup_file, big_file;
std::string big_bytes;  // the 20 MB file's content

void write_file(const std::string& path, const std::string& text) {
  FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
}

void add_snippet(std::string& out, int n, std::mt19937& rng, int code_bytes) {
  std::string num = std::to_string(n);
  out += "NAME" + num + "=snippet number " + num + "\r\n";
  out += "DESCRIPTION" + num + "=what snippet " + num + " does, in a sentence or two\r\n";
  out += "AUTHOR" + num + "=someone\r\n";
  out += "CODE" + num + "=";
  for (int i = 0; i < code_bytes; ++i) out += (i % 40 == 39) ? '|' : char('a' + rng() % 26);
  out += "\r\n";
}

void prepare() {
  scratch = (std::filesystem::temp_directory_path() / ("snipvault_bench_ini_" + std::to_string(std::random_device{}())))
                .string();
  std::filesystem::create_directories(scratch);
  std::mt19937 rng(7);

  std::string text = "[Big]\r\n";
  for (int i = 0; i < 10000; ++i) add_snippet(text, i, rng, 60);
  text += "[Small]\r\n";
  for (int i = 0; i < 100; ++i) add_snippet(text, i, rng, 60);
  lookup_file = scratch + "/lookup.ini";
  write_file(lookup_file, text);
  // a 20 MB catalogue in six sections, code of mixed lengths
  const char* sections[] = {"Extend_Types", "Types", "Functions", "Subroutines", "Constants", "INLINE"};
  std::string& big = big_bytes;
  int n = 0;
  for (int s = 0; big.size() < 20u << 20; s = (s + 1) % 6) {
    big += "[" + std::string(sections[s]) + "]\r\n";
    for (int i = 0; i < 2000 && big.size() < 20u << 20; ++i) add_snippet(big, n++, rng, 20 + rng() % 600);
  }
  big_file = scratch + "/big.ini";
  write_file(big_file, big);
}

// Keys made the way a program makes them, stem + number, in catalogue order
// (NAME0, DESCRIPTION0, AUTHOR0, CODE0, NAME1, ...) or in a scattered order.
const char* const kStems[] = {"NAME", "DESCRIPTION", "AUTHOR", "CODE"};

void make_key(TvString& key, uint32_t i, uint32_t snippets, bool scattered) {
  uint32_t n = scattered ? (i * 7919u) % (snippets * 4) : i % (snippets * 4);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%s%u", kStems[n % 4], n / 4);
  string_assign(key, buf);
}

void run_gets(benchmark::State& state, const char* section, uint32_t snippets, bool scattered) {
  ini_open(TvString(lookup_file.c_str()));
  TvString sec(section), def("none"), key;
  for (auto _ : state) {
    size_t total = 0;
    for (uint32_t i = 0; i < 40000; ++i) {
      make_key(key, i, snippets, scattered);
      total += ini_get(sec, key, def).length;
    }
    benchmark::DoNotOptimize(total);
  }
  ini_open(TvString());
}

void run_puts(benchmark::State& state, const char* section, uint32_t snippets) {
  ini_open(TvString(lookup_file.c_str()));
  TvString sec(section), value("a new value of some length"), key;
  for (auto _ : state) {
    for (uint32_t i = 0; i < 40000; ++i) {
      make_key(key, i, snippets, false);
      ini_put(sec, key, value);
    }
  }
  ini_table.changed = false;  // leave the file as it is
  ini_open(TvString());
}

void BM_get_big_section(benchmark::State& s) { run_gets(s, "Big", 10000, false); }
void BM_get_small_section(benchmark::State& s) { run_gets(s, "Small", 100, false); }
void BM_get_big_section_scattered(benchmark::State& s) { run_gets(s, "Big", 10000, true); }
void BM_get_small_section_scattered(benchmark::State& s) { run_gets(s, "Small", 100, true); }
void BM_put_big_section(benchmark::State& s) { run_puts(s, "Big", 10000); }
void BM_put_small_section(benchmark::State& s) { run_puts(s, "Small", 100); }
size_t count_line_ends(const char* p, size_t n) {
  size_t lines = 0;
  const char* end = p + n;
  while (p < end) {
    const char* lf = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
    if (!lf) break;
    ++lines;
    p = lf + 1;
  }
  return lines;
}

void BM_memchr_scan_in_memory(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(count_line_ends(big_bytes.data(), big_bytes.size()));
}

void BM_read_and_memchr_scan(benchmark::State& state) {
  for (auto _ : state) {
    FILE* f = std::fopen(big_file.c_str(), "rb");
    std::fseek(f, 0, SEEK_END);
    size_t n = size_t(std::ftell(f));
    std::fseek(f, 0, SEEK_SET);
    std::unique_ptr<char[]> bytes(new char[n]);
    size_t got = std::fread(bytes.get(), 1, n, f);
    std::fclose(f);
    benchmark::DoNotOptimize(count_line_ends(bytes.get(), got));
  }
}

void BM_ini_open_20mb(benchmark::State& state) {
  TvString name(big_file.c_str()), none;
  for (auto _ : state) {
    ini_open(name);
    benchmark::DoNotOptimize(ini_table.sections.size());
    ini_open(none);
  }
}

// The same with every section's key index built (one look-up in each), for
// a program that reads all sections rather than one.
void BM_ini_open_20mb_all_indexed(benchmark::State& state) {
  TvString name(big_file.c_str()), none, key("NAME0"), def;
  const char* sections[] = {"Extend_Types", "Types", "Functions", "Subroutines", "Constants", "INLINE"};
  for (auto _ : state) {
    ini_open(name);
    for (const char* sec : sections) benchmark::DoNotOptimize(ini_get(TvString(sec), key, def).length);
    ini_open(none);
  }
}

BENCHMARK(BM_get_big_section)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_get_small_section)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_get_big_section_scattered)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_get_small_section_scattered)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_put_big_section)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_put_small_section)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_memchr_scan_in_memory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_read_and_memchr_scan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ini_open_20mb)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ini_open_20mb_all_indexed)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  prepare();
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto ratio = [&](const char* what, const char* a, const char* b, double goal) {
    double r = reporter.ratio(a, b);
    if (r < 0) return;
    std::printf("%s ratio: %.2fx (goal at most %.0fx)\n", what, r, goal);
  };
  ratio("get 40,000 in the big section vs the small one:", "BM_get_big_section", "BM_get_small_section", 2);
  ratio("get 40,000 scattered, big section vs small:", "BM_get_big_section_scattered",
        "BM_get_small_section_scattered", 2);
  ratio("put 40,000 in the big section vs the small one:", "BM_put_big_section", "BM_put_small_section", 2);
  ratio("ini_open of 20 MB vs memchr scan of the bytes in memory:", "BM_ini_open_20mb",
        "BM_memchr_scan_in_memory", 3);
  ratio("ini_open of 20 MB vs reading the file plus memchr scan:", "BM_ini_open_20mb",
        "BM_read_and_memchr_scan", 3);
  ratio("ini_open of 20 MB with every section indexed vs memchr in memory:", "BM_ini_open_20mb_all_indexed",
        "BM_memchr_scan_in_memory", 3);
  std::error_code ec;
  std::filesystem::remove_all(scratch, ec);
  benchmark::Shutdown();
  return 0;
}
