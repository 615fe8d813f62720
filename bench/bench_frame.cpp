// bench_frame - the frame loop's cost and pacing, and the price of drawing
// rectangles one call at a time.
//
// 1. 10,000 draw_rect calls per frame against the same 10,000 quads handed
//    to OpenGL as one vertex array (Google Benchmark, ratio printed).
// 2. A paced run of 600 frames at 60 frames per second of a program
//    standing still (the same frame each time, which is not drawn again),
//    then one drawing a few
//    primitives each: process CPU time against wall time (the idle cost),
//    and the frame intervals against 1000/60 ms (mean and 99th percentile
//    of the deviation); then the same with empty frames, which shows the
//    frame loop's own share beside the (software) renderer's.
// Needs a display (Xvfb works) or SDL's offscreen driver.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "runtime/frame/frame_loop.h"
#include "runtime/frame/window.h"
#include "runtime/gfx2d/device.h"
#include "bench/bench_scene.h"
#include "tests/support/gl_window.h"
#include "runtime/gfx2d/draw_batch.h"
#include "runtime/gfx2d/fonts.h"

namespace {

constexpr int kRects = 10000;

void rect_position(int i, int& x, int& y) {
  x = (i * 37) % 460;
  y = (i * 53) % 300;
}

void BM_DrawRectCalls(benchmark::State& state) {
  for (auto _ : state) {
    for (int i = 0; i < kRects; ++i) {
      int x, y;
      rect_position(i, x, y);
      draw_rect(x, y, 20, 20, 0x102030 + i);
    }
    submit_drawing();  // what was recorded is drawn before the wait
    glFinish();
  }
}
BENCHMARK(BM_DrawRectCalls)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_OneVertexArray(benchmark::State& state) {
  struct V {
    float x, y;
    uint8_t r, g, b, a;
  };
  std::vector<V> v(size_t(kRects) * 6);
  for (auto _ : state) {
    for (int i = 0; i < kRects; ++i) {
      int x, y;
      rect_position(i, x, y);
      uint32_t c = 0x102030 + i;
      V corners[4] = {{float(x), float(y), 0, 0, 0, 255},
                      {float(x + 20), float(y), 0, 0, 0, 255},
                      {float(x + 20), float(y + 20), 0, 0, 0, 255},
                      {float(x), float(y + 20), 0, 0, 0, 255}};
      for (V& k : corners) {
        k.r = uint8_t(c), k.g = uint8_t(c >> 8), k.b = uint8_t(c >> 16);
      }
      V* o = &v[size_t(i) * 6];
      o[0] = corners[0], o[1] = corners[1], o[2] = corners[2];
      o[3] = corners[0], o[4] = corners[2], o[5] = corners[3];
    }
    glDisable(GL_ALPHA_TEST);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(2, GL_FLOAT, sizeof(V), &v[0].x);
    glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(V), &v[0].r);
    glDrawArrays(GL_TRIANGLES, 0, GLsizei(v.size()));
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glEnable(GL_ALPHA_TEST);
    submit_drawing();  // what was recorded is drawn before the wait
    glFinish();
  }
}
BENCHMARK(BM_OneVertexArray)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Keeps each benchmark's time per iteration for the ratio lines.
class KeepingReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> ms;
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      std::string name = r.benchmark_name();
      ms[name.substr(0, name.find('/'))] = r.GetAdjustedRealTime();  // in the run's unit (ms)
    }
  }
};

// The frame of a program standing still: the same rectangles and text
// every frame, as a viewer waiting for input draws them.
void draw_still_frame() {
  draw_a_few_primitives(0);
  for (int row = 0; row < 12; ++row) print_text("A viewer waiting for its user to do something", 20, 170 + row * 10);
}

void paced_run(bool draw, bool still = false) {
  const int frames = 600;
  std::vector<double> at;
  at.reserve(frames + 1);
  show_frame();  // the schedule starts from the first presentation
  at.push_back(timer_ms());
  std::clock_t cpu0 = std::clock();
  auto wall0 = std::chrono::steady_clock::now();
  for (int f = 0; f < frames; ++f) {
    if (still)
      draw_still_frame();
    else if (draw)
      draw_a_few_primitives(f);
    show_frame();
    at.push_back(timer_ms());
  }
  double cpu = double(std::clock() - cpu0) / CLOCKS_PER_SEC;
  double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();

  const double target = 1000.0 / 60.0;
  std::vector<double> dev;
  for (int i = 1; i <= frames; ++i) dev.push_back(std::fabs((at[i] - at[i - 1]) - target));
  double mean = (at.back() - at.front()) / frames;
  std::sort(dev.begin(), dev.end());
  double p99 = dev[size_t(0.99 * (dev.size() - 1))];
  std::printf("paced run %s: %d frames in %.3f s wall, %.3f s CPU\n",
              still  ? "standing still (the same frame each time)"
              : draw ? "drawing a few primitives"
                     : "presenting empty frames",
              frames, wall, cpu);
  std::printf("idle cost: CPU/wall ratio: %.3f (%.1f%% of one core; goal <= %s)\n", cpu / wall,
              100.0 * cpu / wall, still ? "1%" : "5%");
  std::printf("pacing: mean interval %.3f ms against %.3f ms (%.2f%% off; goal within 1%%)\n",
              mean, target, 100.0 * std::fabs(mean - target) / target);
  std::printf("pacing: 99th percentile deviation %.3f ms, largest %.3f ms\n", p99, dev.back());
}

}  // namespace

int main(int argc, char** argv) {
  timer_start();
  OpenGLVadeviva* device = gl_test_device();
  if (!device) {
    std::fprintf(stderr, "bench_frame: no window: %s\n", window_failure_cause());
    return 1;
  }
  place_window(*device);
  auto_pause = false;  // focus changes on a shared display must not pause the run
  set_viewport(0, 0, 0, 0);

  benchmark::Initialize(&argc, argv);
  KeepingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  double calls = reporter.ms["BM_DrawRectCalls"], array = reporter.ms["BM_OneVertexArray"];
  if (calls > 0 && array > 0) {
    std::printf("10,000 draw_rect calls: %.3f ms per frame; one vertex array: %.3f ms\n", calls,
                array);
    std::printf("ratio: %.1fx (draw_rect calls against one vertex array)\n", calls / array);
  }
  make_default_font(0);
  set_font(0);
  paced_run(true, true);  // unchanged frames are neither drawn nor presented
  paced_run(true);
  paced_run(false);  // the frame loop's own share: presentation and pacing only
  return 0;
}
