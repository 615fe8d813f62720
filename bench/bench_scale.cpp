// bench_scale - the idle cost of an enlarged window. The same paced frame
// loop (60 frames per second, a few primitives drawn per frame) runs in
// windows of scale 1, 2 and 3; the process's CPU time per frame (every
// thread, the GL driver's too) is compared with scale 1 measured in the
// same run. Two scenes: standing still (the same picture every frame, as
// an idle window redraws itself) and a moving square (a picture that
// changes every frame). Goal: standing still at scale 2 and 3 within 1.3x.
// Needs an X display; one of 2560 x 1440 or more shows the scale-3 window
// whole, e.g.
//   Xvfb :77 -screen 0 2560x1440x24 & DISPLAY=:77 build/bench_scale
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/bench_ratio.h"
#include "runtime/frame/frame_loop.h"
#include "runtime/frame/window.h"
#include "runtime/gfx2d/device.h"
#include "runtime/gfx2d/scaled_frame.h"
#include "runtime/platform/window_sdl.h"

namespace {

constexpr int kFrames = 300;  // five seconds per run

void draw_a_few_primitives(int frame) {
  start_poly(-1, 2);
  poly_vector(0, 0, 0, 0, 0x603010);
  poly_vector(480, 0, 0, 0, 0x603010);
  poly_vector(0, 320, 0, 0, 0x100804);
  poly_vector(480, 320, 0, 0, 0x100804);
  end_poly();
  draw_rect(20, 20, 440, 40, 0x806040);
  draw_line(20, 70, 459, 70, 0xC0C0C0);
  draw_rect(40 + frame % 300, 100, 60, 60, 0x3050D0);
}

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
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;  // CPU time: the process's, all threads
  benchmark::RunSpecifiedBenchmarks(&reporter);
  for (const char* scene : {"Still", "Moving"}) {
    double base = reporter.seconds[name(scene, 1)];
    std::printf("%s, scale 1: %.2f ms CPU per 16.67 ms frame (%.1f%% of one core)\n", scene, base,
                100.0 * base / (1000.0 / 60.0));
    for (int scale = 2; scale <= 3; ++scale)
      std::printf("%s, scale %d against scale 1: %.2fx CPU per frame (goal <= 1.3x)\n", scene,
                  scale, reporter.ratio(name(scene, scale).c_str(), name(scene, 1).c_str()));
  }
  return 0;
}
