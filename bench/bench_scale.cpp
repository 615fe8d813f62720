// bench_scale - the idle cost of an enlarged window, as ratios against
// scale 1 measured in the same run.
// 1. The paced frame loop (60 frames per second, a few primitives drawn per
//    frame) in windows of scale 1, 2 and 3: the process's CPU time per frame
//    (every thread, the GL driver's too). Two scenes: standing still (the
//    same picture every frame) and a moving square. Every frame is
//    presented, so a software renderer pays the enlarged fill each time.
// 2. The viewer itself (the built program beside the benchmarks) standing
//    still on the sample catalogue for 60 frames, less a run of one frame,
//    at each scale: CPU time over wall time. Goal: scale 2 and 3 within
//    1.3x of scale 1.
// Needs an X display; one of 2560 x 1440 or more shows the scale-3 window
// whole, e.g.
//   Xvfb :77 -screen 0 2560x1440x24 & DISPLAY=:77 build/bench/bench_scale
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_spawn.h"
#include "bench/bench_ratio.h"
#include "bench/bench_scene.h"
#include "runtime/frame/frame_loop.h"
#include "runtime/frame/window.h"
#include "runtime/gfx2d/device.h"
#include "runtime/gfx2d/scaled_frame.h"
#include "runtime/platform/window_sdl.h"

namespace {

constexpr int kFrames = 300;  // five seconds per run

void BM_Frames(benchmark::State& state, int scale, bool moving) {
  setenv("SNIPVAULT_SCALE", std::to_string(scale).c_str(), 1);
  OpenGLVadeviva device;
  graphics_device = &device;
  if (!create_window(device, nullptr, 480, 320, 0, 60, 0)) {
    state.SkipWithError(window_failure_cause());
    graphics_device = nullptr;
    return;
  }
  place_window(device);
  auto_pause = false;  // focus changes on a shared display must not pause the run
  if (frame_scale(device) != scale) state.SkipWithError("the window is not at this scale");
  show_frame();  // the schedule starts from the first presentation
  int frame = 0;
  for (auto _ : state) {
    draw_a_few_primitives(moving ? frame : 0);
    ++frame;
    show_frame();
  }
  state.counters["scale"] = frame_scale(device);
  destroy_window(device);
  platform_gl_delete_context(device.context);
  device.context = nullptr;
  device.context_present = false;
  graphics_device = nullptr;
}

// ---- the viewer program ------------------------------------------------------------

std::string program, log_dir;

struct ProgramRun {
  double wall = 0, cpu = 0;  // seconds
  bool ok = false;
};

ProgramRun run_viewer(int scale, int frames) {
  ProgramRun r;
  auto t0 = std::chrono::steady_clock::now();
  pid_t pid = spawn_program({program}, {"SNIPVAULT_SCALE=" + std::to_string(scale),
                                        "SNIPVAULT_END_AFTER_FRAMES=" + std::to_string(frames), "TMPDIR=" + log_dir});
  if (!pid) return r;
  int status = -1;
  struct rusage use {};
  wait4(pid, &status, 0, &use);
  r.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  r.cpu = double(use.ru_utime.tv_sec + use.ru_stime.tv_sec) +
          double(use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e6;
  r.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return r;
}

double viewer_idle[4];  // CPU over wall time by scale
double viewer_fps[4];

void BM_ViewerIdle(benchmark::State& state, int scale) {
  for (auto _ : state) {
    ProgramRun one = run_viewer(scale, 1), idle = run_viewer(scale, 60);
    if (!one.ok || !idle.ok || idle.wall <= one.wall) {
      state.SkipWithError("the viewer did not run");
      break;
    }
    viewer_idle[scale] = (idle.cpu - one.cpu) / (idle.wall - one.wall);
    viewer_fps[scale] = 59.0 / (idle.wall - one.wall);
    state.SetIterationTime(idle.wall - one.wall);
  }
}

std::string name(const char* scene, int scale) {
  return std::string("BM_") + scene + "FramesScale" + std::to_string(scale);
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("DISPLAY")) {
    std::fprintf(stderr, "bench_scale: needs an X display\n");
    return 1;
  }
  timer_start();
  for (const char* scene : {"Still", "Moving"})
    for (int scale = 1; scale <= 3; ++scale)
      benchmark::RegisterBenchmark(name(scene, scale).c_str(), BM_Frames, scale,
                                   scene[0] == 'M')
          ->Iterations(kFrames)
          ->Repetitions(3)
          ->MeasureProcessCPUTime()
          ->Unit(benchmark::kMillisecond);
  program = (std::filesystem::path(argv[0]).parent_path().parent_path() / "snipvault").string();
  log_dir = (std::filesystem::temp_directory_path() / "snipvault_bench_scale_logs").string();
  std::filesystem::create_directories(log_dir);
  for (int scale = 1; scale <= 3; ++scale)
    benchmark::RegisterBenchmark(name("Viewer", scale).c_str(), BM_ViewerIdle, scale)
        ->UseManualTime()
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;  // CPU time: the process's, all threads
  benchmark::RunSpecifiedBenchmarks(&reporter);
  for (const char* scene : {"Still", "Moving"}) {
    double base = reporter.seconds[name(scene, 1)];
    if (base <= 0) continue;
    std::printf("%s, scale 1: %.2f ms CPU per 16.67 ms frame (%.1f%% of one core)\n", scene, base,
                100.0 * base / (1000.0 / 60.0));
    for (int scale = 2; scale <= 3; ++scale)
      std::printf("%s, scale %d against scale 1: %.2fx CPU per frame\n", scene,
                  scale, reporter.ratio(name(scene, scale).c_str(), name(scene, 1).c_str()));
  }
  if (viewer_idle[1] > 0) {
    std::printf("viewer standing still, scale 1: %.1f%% of a core at %.1f frames per second\n",
                100.0 * viewer_idle[1], viewer_fps[1]);
    for (int scale = 2; scale <= 3; ++scale)
      std::printf("viewer standing still, scale %d: %.1f%% of a core at %.1f frames per second, "
                  "%.2fx scale 1 (goal <= 1.3x)\n",
                  scale, 100.0 * viewer_idle[scale], viewer_fps[scale],
                  viewer_idle[scale] / viewer_idle[1]);
  }
  std::filesystem::remove_all(log_dir);
  return 0;
}
