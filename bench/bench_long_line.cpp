// bench_long_line.cpp - the viewer idling on a catalogue whose shown
// snippet holds one line of 10 MB (in its code, or in its name), against
// the same viewer idling on the shipped sample catalogue, in the same run.
//
// Each catalogue gets a folder of its own holding a copy of the built
// programs (a program whose folder is writable uses the CODE.INI beside
// it). The program is started on the X display of the environment, left
// to settle after start-up, then watched for 8 seconds: CPU time from
// /proc/<pid>/schedstat over wall time, and the resident set at the end.
// Goal: both within 1.2x of the sample's. Needs an X display (Xvfb).
#include <benchmark/benchmark.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_spawn.h"


namespace {

namespace fs = std::filesystem;

std::string program, sample_catalogue, root;

struct Idle {
  double core_share = -1;  // CPU time over wall time
  double rss_mb = -1;
};
std::map<std::string, Idle> idle;

std::string read_file(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

double cpu_ns(pid_t pid) {
  double ns = -1;
  std::ifstream f("/proc/" + std::to_string(pid) + "/schedstat");
  f >> ns;
  return ns;
}

double rss_mb(pid_t pid) {
  std::string status = read_file("/proc/" + std::to_string(pid) + "/status");
  size_t at = status.find("VmRSS:");
  return at == std::string::npos ? -1 : std::atof(status.c_str() + at + 6) / 1024.0;
}

// A folder with the program and `catalogue` as its CODE.INI.
std::string make_folder(const std::string& name, const std::string& catalogue) {
  std::string dir = root + "/" + name;
  fs::create_directories(dir);
  // snipvault hands over to snipvault-desktop beside it, in the same process
  for (const char* name : {"snipvault", "snipvault-desktop"})
    fs::copy_file(fs::path(program).parent_path() / name, dir + "/" + name, fs::copy_options::overwrite_existing);
  std::ofstream(dir + "/CODE.INI", std::ios::binary) << catalogue;
  return dir;
}

Idle watch(const std::string& dir) {
  Idle r;
  pid_t pid = spawn_program({dir + "/snipvault"}, {"TMPDIR=" + dir, "SNIPVAULT_SCALE=1"});
  if (!pid) return r;
  for (int i = 0; i < 3000 && read_file(dir + "/ErrorLog.txt").find("Init Finalized") == std::string::npos; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  std::this_thread::sleep_for(std::chrono::seconds(2));  // the first frames, the layout of the long line
  double c0 = cpu_ns(pid);
  auto t0 = std::chrono::steady_clock::now();
  std::this_thread::sleep_for(std::chrono::seconds(8));
  double c1 = cpu_ns(pid);
  double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  r.rss_mb = rss_mb(pid);
  if (c0 >= 0 && c1 >= 0) r.core_share = (c1 - c0) / 1e9 / wall;
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return r;
}

// The sample with its first code (or name) replaced by a 10 MB line; a
// code keeps short lines around it, so the long one sits among others.
std::string with_long_line(const std::string& key) {
  std::string line(10u << 20, ' ');
  std::mt19937 rng(5);
  for (char& c : line) c = char('a' + rng() % 26);
  // "A" first: the name sorts first, so the combo shows it
  std::string value = key == "CODE" ? "first line|" + line + "|last line" : "A" + line;
  return std::regex_replace(sample_catalogue, std::regex(key + "0=[^\r\n]*"), key + "0=" + value,
                            std::regex_constants::format_first_only);
}

void run_idle(benchmark::State& state, const std::string& name, const std::string& catalogue) {
  std::string dir = make_folder(name, catalogue);
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    idle[name] = watch(dir);
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  }
  if (idle[name].rss_mb < 0) state.SkipWithError("the viewer did not run");
  state.counters["core_percent"] = 100 * idle[name].core_share;
  state.counters["rss_MB"] = idle[name].rss_mb;
}

void BM_IdleSample(benchmark::State& state) { run_idle(state, "sample", sample_catalogue); }
void BM_IdleLongCode(benchmark::State& state) { run_idle(state, "long_code", with_long_line("CODE")); }
void BM_IdleLongName(benchmark::State& state) { run_idle(state, "long_name", with_long_line("NAME")); }

void print_ratio(const char* what, const std::string& name) {
  const Idle& a = idle[name];
  const Idle& b = idle["sample"];
  if (a.rss_mb < 0 || b.rss_mb < 0 || b.core_share <= 0) return;
  std::printf("%s / sample: idle CPU %.2fx (%.2f%% vs %.2f%% of a core), resident %.2fx (%.0f MB vs %.0f MB)"
              " (goal <= 1.2x each)\n",
              what, a.core_share / b.core_share, 100 * a.core_share, 100 * b.core_share, a.rss_mb / b.rss_mb,
              a.rss_mb, b.rss_mb);
}

}  // namespace

int main(int argc, char** argv) {
  std::string self = fs::canonical("/proc/self/exe").string();
  std::string build = fs::path(self).parent_path().parent_path().string();
  program = build + "/snipvault";
  std::string source = SNIPVAULT_SOURCE_DIR;
  sample_catalogue = read_file(source + "/data/CODE.INI");
  root = (fs::temp_directory_path() / ("snipvault_bench_long_line_" + std::to_string(getpid()))).string();
  if (!std::getenv("DISPLAY")) std::printf("no DISPLAY: these figures need an X display\n");
  if (sample_catalogue.empty() || !fs::exists(program)) {
    std::printf("needs the built program (%s) and the sample (%s)\n", program.c_str(), source.c_str());
    return 1;
  }
  benchmark::RegisterBenchmark("BM_IdleSample", BM_IdleSample)->UseManualTime()->Iterations(1);
  benchmark::RegisterBenchmark("BM_IdleLongCode", BM_IdleLongCode)->UseManualTime()->Iterations(1);
  benchmark::RegisterBenchmark("BM_IdleLongName", BM_IdleLongName)->UseManualTime()->Iterations(1);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  std::printf("\n");
  print_ratio("10 MB line in the code", "long_code");
  print_ratio("10 MB line in the name", "long_name");
  fs::remove_all(root);
  return 0;
}
