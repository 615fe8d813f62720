// bench_memory.cpp - the viewer's resident memory at rest against a bare
// SDL2 window in the same run.
//
// The viewer on the sample catalogue and a bare SDL2 program that opens a
// 480 x 320 OpenGL window, clears and presents it once and then waits for
// events (this program started again with --bare-window-idle) are each
// started, left alone for 2 seconds, read from /proc/<pid>/status and then
// ended. Alternating runs; medians of the resident set and of its anonymous
// (heap, driver) and file-backed (code) parts, so the cause of any gap is
// visible. Goal: the viewer at most 1.15x the bare window.
// A third program, the bare window that also draws a rectangle and a
// blended textured quad, shows what drawing anything costs: a software
// driver compiles programs for it and pages in its compiler.
// Needs an X display (Xvfb) and the built program beside the benchmarks.
#include <benchmark/benchmark.h>

#include <GL/gl.h>
#include <SDL2/SDL.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_spawn.h"

namespace {

std::string self_path, program, log_dir;

// A filled rectangle and a textured, alpha-blended quad (as text is drawn):
// what any drawing at all costs in the driver, compiled programs included.
void draw_something() {
  static uint8_t texels[64 * 64 * 4];
  for (size_t i = 0; i < sizeof texels; ++i) texels[i] = uint8_t(i * 7);
  GLuint t = 0;
  glGenTextures(1, &t);
  glBindTexture(GL_TEXTURE_2D, t);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 64, 64, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, 480, 320, 0, -1, 1);
  glColor4f(0.8f, 0.8f, 0.8f, 1);
  glRectf(10, 10, 200, 100);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glColor4f(1, 1, 1, 1);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0), glVertex2f(20, 20);
  glTexCoord2f(1, 0), glVertex2f(84, 20);
  glTexCoord2f(1, 1), glVertex2f(84, 84);
  glTexCoord2f(0, 1), glVertex2f(20, 84);
  glEnd();
}

// The baseline: a 480 x 320 OpenGL window, one presented frame (cleared,
// or with something drawn), then idle on the event queue until the window
// is closed or the process is ended.
int bare_window_idle(bool drawn) {
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
  SDL_Window* w = SDL_CreateWindow("bare", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 480, 320,
                                   SDL_WINDOW_OPENGL);
  if (!w) return 1;
  SDL_GLContext c = SDL_GL_CreateContext(w);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  if (drawn) draw_something();
  SDL_GL_SwapWindow(w);
  for (SDL_Event e; SDL_WaitEvent(&e) && e.type != SDL_QUIT;) {
  }
  SDL_GL_DeleteContext(c);
  SDL_DestroyWindow(w);
  SDL_Quit();
  return 0;
}

struct Resident {
  double rss = -1, anon = -1, file = -1, shmem = -1;  // kB
};

double status_kb(const std::string& status, const char* key) {
  size_t at = status.find(key);
  return at == std::string::npos ? -1 : std::atof(status.c_str() + at + std::strlen(key));
}

// Starts `path`, waits 2 s, reads its resident set and ends it.
Resident resident_at_rest(const std::string& path, const std::vector<std::string>& args) {
  std::vector<std::string> arg_text = {path};
  arg_text.insert(arg_text.end(), args.begin(), args.end());
  Resident r;
  pid_t pid = spawn_program(arg_text, {"TMPDIR=" + log_dir});
  if (!pid) return r;
  std::this_thread::sleep_for(std::chrono::seconds(2));
  std::ifstream f("/proc/" + std::to_string(pid) + "/status");
  std::stringstream s;
  s << f.rdbuf();
  std::string status = s.str();
  int exited = 0;
  if (waitpid(pid, &exited, WNOHANG) == 0) {
    r = {status_kb(status, "VmRSS:"), status_kb(status, "RssAnon:"), status_kb(status, "RssFile:"),
         status_kb(status, "RssShmem:")};
    kill(pid, SIGTERM);
    for (int n = 0; n < 40 && waitpid(pid, &exited, WNOHANG) == 0; ++n)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (waitpid(pid, &exited, WNOHANG) == 0) {
      kill(pid, SIGKILL);
      waitpid(pid, &exited, 0);
    }
  }
  return r;
}

std::map<std::string, std::vector<Resident>> runs;

void measure(benchmark::State& state, const std::string& name, const std::string& path,
             const std::vector<std::string>& args) {
  for (auto _ : state) {
    Resident r = resident_at_rest(path, args);
    if (r.rss < 0) {
      state.SkipWithError("the program did not stay up for 2 s");
      break;
    }
    runs[name].push_back(r);
    state.SetIterationTime(2.0);
    state.counters["RSS_kB"] = r.rss;
    state.counters["Anon_kB"] = r.anon;
    state.counters["File_kB"] = r.file;
  }
}

void BM_RestBareWindow(benchmark::State& state) { measure(state, "bare", self_path, {"--bare-window-idle"}); }
void BM_RestBareWindowDrawn(benchmark::State& state) {
  measure(state, "bare drawn", self_path, {"--bare-window-drawn"});
}
void BM_RestViewer(benchmark::State& state) { measure(state, "viewer", program, {}); }

double median(std::vector<Resident> v, double Resident::*field) {
  if (v.empty()) return -1;
  std::sort(v.begin(), v.end(), [&](const Resident& a, const Resident& b) { return a.*field < b.*field; });
  return v[v.size() / 2].*field;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "--bare-window-idle") return bare_window_idle(false);
  if (argc > 1 && std::string(argv[1]) == "--bare-window-drawn") return bare_window_idle(true);
  self_path = std::filesystem::canonical("/proc/self/exe").string();
  program = std::filesystem::path(self_path).parent_path().parent_path().string() + "/snipvault";
  log_dir = (std::filesystem::temp_directory_path() / ("snipvault_bench_memory_" + std::to_string(getpid())))
                .string();
  std::filesystem::create_directories(log_dir);
  if (!std::getenv("DISPLAY")) std::printf("no DISPLAY: the figures need an X display\n");

  // one repetition each in turn, so both share the machine's load alike
  constexpr int kRounds = 5;
  for (int n = 0; n < kRounds; ++n) {
    benchmark::RegisterBenchmark("BM_RestBareWindow", BM_RestBareWindow)
        ->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_RestViewer", BM_RestViewer)
        ->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_RestBareWindowDrawn", BM_RestBareWindowDrawn)
        ->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();

  std::printf("\nresident 2 s after start, median of %zu/%zu runs (MB):\n", runs["viewer"].size(),
              runs["bare"].size());
  std::printf("%-12s %8s %8s %8s %8s\n", "", "VmRSS", "RssAnon", "RssFile", "RssShmem");
  for (const char* name : {"viewer", "bare", "bare drawn"})
    std::printf("%-12s %8.1f %8.1f %8.1f %8.1f\n", name, median(runs[name], &Resident::rss) / 1024,
                median(runs[name], &Resident::anon) / 1024, median(runs[name], &Resident::file) / 1024,
                median(runs[name], &Resident::shmem) / 1024);
  double viewer = median(runs["viewer"], &Resident::rss), bare = median(runs["bare"], &Resident::rss);
  if (viewer > 0 && bare > 0)
    std::printf("resident at rest, viewer / bare SDL2 window: %.2fx (goal <= 1.15x)\n", viewer / bare);
  double drawn = median(runs["bare drawn"], &Resident::rss);
  if (viewer > 0 && drawn > 0)
    std::printf("resident at rest, viewer / the bare window with a rectangle and a blended textured quad: %.2fx\n"
                "  (the share of any drawing: the driver's compiled programs and the compiler's pages)\n",
                viewer / drawn);
  std::filesystem::remove_all(log_dir);
  return 0;
}
