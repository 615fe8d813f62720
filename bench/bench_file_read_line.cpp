// bench_file_read_line - file_read_line over a 50 MB text file of mixed line
// lengths (CR LF ends), against std::getline on the same file in the same
// run. Prints MB/s for both and the ratio (file_read_line / std::getline,
// higher is better).
#include <benchmark/benchmark.h>

#include "bench/bench_ratio.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "runtime/io/file_channels.h"

namespace {

const std::string& sample_file() {
  static const std::string path = [] {
    std::string p = (std::filesystem::temp_directory_path() / "snipvault_bench_lines.txt").string();
    std::string body;
    body.reserve(50u << 20);
    uint32_t seed = 12345;
    while (body.size() < (50u << 20)) {
      seed = seed * 1664525u + 1013904223u;
      size_t len = (seed >> 8) % 120;  // 0..119 bytes, about 60 on average
      for (size_t i = 0; i < len; ++i) body += char('a' + (i + seed) % 26);
      body += "\r\n";
    }
    std::ofstream(p, std::ios::binary).write(body.data(), std::streamsize(body.size()));
    return p;
  }();
  return path;
}

int64_t file_bytes() { return int64_t(std::filesystem::file_size(sample_file())); }

void BM_FileReadLine(benchmark::State& state) {
  const std::string& path = sample_file();
  size_t lines = 0;
  for (auto _ : state) {
    file_open(0, path.c_str(), 1);
    while (!file_at_end(0)) {
      TvString line = file_read_line(0);
      benchmark::DoNotOptimize(line.data);
      ++lines;
    }
    file_close(0);
  }
  benchmark::DoNotOptimize(lines);
  state.SetBytesProcessed(state.iterations() * file_bytes());
}

void BM_StdGetline(benchmark::State& state) {
  const std::string& path = sample_file();
  size_t lines = 0;
  for (auto _ : state) {
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      benchmark::DoNotOptimize(line.data());
      ++lines;
    }
  }
  benchmark::DoNotOptimize(lines);
  state.SetBytesProcessed(state.iterations() * file_bytes());
}

BENCHMARK(BM_FileReadLine)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_StdGetline)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto ours = reporter.seconds.find("BM_FileReadLine");
  auto base = reporter.seconds.find("BM_StdGetline");
  if (ours != reporter.seconds.end() && base != reporter.seconds.end() && ours->second > 0) {
    double mb = double(file_bytes()) / (1 << 20);
    double ours_s = ours->second / 1e3, base_s = base->second / 1e3;  // reported in ms
    std::printf("file_read_line: %.1f MB/s, std::getline: %.1f MB/s\n", mb / ours_s, mb / base_s);
    std::printf("read 50 MB by lines ratio: %.2fx (file_read_line speed / std::getline speed)\n",
                base_s / ours_s);
  }
  std::filesystem::remove(sample_file());
  benchmark::Shutdown();
}
