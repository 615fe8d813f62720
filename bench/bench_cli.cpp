// bench_cli.cpp - the command line from process start to exit, one run:
//
// 1. `snipvault show NAME` on the shipped sample catalogue against /bin/true
//    started the same way (posix_spawn, output to a file, waited for).
//    Goal: at most 3x.
// 2. `snipvault show NAME` and `snipvault search WORD` on the made-up
//    catalogue of 60,000 snippets (tools/gen_catalogue.h) against
//    `grep -c WORD` over the same file. Goal: at most 2x.
// Ratios are of wall time (the work is in other processes), and beside them
// of the started programs' own CPU time (user and system, from wait4), which
// a machine shared with other work disturbs far less; the closing lines
// print both. Output goes to a file, not /dev/null: grep notices
// /dev/null and stops at the first match instead of counting.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_ratio.h"
#include "tools/gen_catalogue.h"

extern char** environ;

namespace {

std::string program, scratch, sample, big, big_name, output;
const char kWord[] = "vector";
double child_seconds = 0;                 // CPU time of the programs run so far
std::map<std::string, double> child_cpu;  // per run, by benchmark

void run(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], &fa, nullptr, argv.data(), environ) == 0) {
    int status = 0;
    struct rusage ru {};
    wait4(pid, &status, 0, &ru);
    child_seconds += double(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) + double(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
  }
  posix_spawn_file_actions_destroy(&fa);
}

void prepare(const char* self) {
  program = (std::filesystem::absolute(self).parent_path().parent_path() / "snipvault").string();
  scratch = (std::filesystem::temp_directory_path() / ("snipvault_bench_cli_" + std::to_string(std::random_device{}())))
                .string();
  std::filesystem::create_directories(scratch);
  output = scratch + "/output.txt";
  sample = scratch + "/sample.INI";
  std::filesystem::copy_file(std::filesystem::path(program).parent_path() / "CODE.INI", sample);
  std::string text = gen_catalogue::generate(10000);
  // a name halfway through the Functions section
  size_t at = text.find("NAME5000=", text.find("[Functions]")) + 9;
  big_name = text.substr(at, text.find('\r', at) - at);
  big = scratch + "/big.INI";
  FILE* f = std::fopen(big.c_str(), "wb");
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
}

// Runs the program once per iteration, keeping its CPU time per run.
void measure(benchmark::State& s, const char* name, const std::vector<std::string>& args) {
  double before = child_seconds;
  for (auto _ : s) run(args);
  child_cpu[name] = (child_seconds - before) / double(s.iterations());
  s.counters["child_cpu_ms"] = child_cpu[name] * 1e3;
}

void BM_true(benchmark::State& s) { measure(s, "true", {"/bin/true"}); }
void BM_show_sample(benchmark::State& s) {
  measure(s, "show_sample", {program, "--catalogue", sample, "show", "TVector2"});
}
void BM_grep_big(benchmark::State& s) { measure(s, "grep_big", {"/bin/grep", "-c", kWord, big}); }
void BM_show_big(benchmark::State& s) { measure(s, "show_big", {program, "--catalogue", big, "show", big_name}); }
void BM_search_big(benchmark::State& s) {
  measure(s, "search_big", {program, "--catalogue", big, "search", kWord});
}

double cpu_ratio(const char* ours, const char* base) {
  return child_cpu.count(ours) && child_cpu.count(base) && child_cpu[base] > 0 ? child_cpu[ours] / child_cpu[base] : -1;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  prepare(argv[0]);
  for (auto* b : {benchmark::RegisterBenchmark("BM_true", BM_true),
                  benchmark::RegisterBenchmark("BM_show_sample", BM_show_sample),
                  benchmark::RegisterBenchmark("BM_grep_big", BM_grep_big),
                  benchmark::RegisterBenchmark("BM_show_big", BM_show_big),
                  benchmark::RegisterBenchmark("BM_search_big", BM_search_big)})
    b->UseRealTime()->Unit(benchmark::kMillisecond);
  RatioReporter reporter(true);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nshow on the sample: %.2fx /bin/true (goal <= 3x); CPU %.2fx\n",
              reporter.ratio("BM_show_sample", "BM_true"), cpu_ratio("show_sample", "true"));
  std::printf("show on 60,000 snippets: %.2fx grep -c %s (goal <= 2x); CPU %.2fx\n",
              reporter.ratio("BM_show_big", "BM_grep_big"), kWord, cpu_ratio("show_big", "grep_big"));
  std::printf("search %s on 60,000 snippets: %.2fx grep -c %s (goal <= 2x); CPU %.2fx\n", kWord,
              reporter.ratio("BM_search_big", "BM_grep_big"), kWord, cpu_ratio("search_big", "grep_big"));
  std::filesystem::remove_all(scratch);
  benchmark::Shutdown();
  return 0;
}
