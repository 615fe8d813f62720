// bench_print_text.cpp - a full 480 x 320 screen of text with the built-in
// font (40 lines of 60 characters) per frame, against a frame that only
// clears the screen; both in this run, in a real window (Xvfb or SDL's
// off-screen driver). Also the per-frame cost of keeping the presented
// frame for screenshots. Each frame ends with glFinish so the GL's work is
// counted; times are wall-clock because the GL may render on other threads.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include "bench/bench_ratio.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "runtime/gfx2d/device.h"
#include "runtime/gfx2d/draw_batch.h"
#include "runtime/gfx2d/fonts.h"
#include "tests/support/gl_window.h"

namespace {

bool open_window() {
  if (!gl_test_device()) return false;
  set_viewport(0, 0, 0, 0);
  make_default_font(0);
  set_font(0);
  return true;
}

std::vector<TvString> screen_lines() {
  std::vector<TvString> lines;
  for (int row = 0; row < 40; ++row) {
    char text[61];
    for (int i = 0; i < 60; ++i) text[i] = char(32 + (row * 60 + i) % 95);
    text[60] = 0;
    lines.emplace_back(text);
  }
  return lines;
}

void BM_ClearOnly(benchmark::State& state) {
  for (auto _ : state) {
    clear_screen(0x402010);
    submit_drawing();  // what was recorded is drawn before the wait
    glFinish();
  }
}

void BM_ClearAndFullScreenOfText(benchmark::State& state) {
  std::vector<TvString> lines = screen_lines();
  for (auto _ : state) {
    clear_screen(0x402010);
    for (int row = 0; row < 40; ++row) print_text(lines[size_t(row)], 0, row * 8);
    submit_drawing();  // what was recorded is drawn before the wait
    glFinish();
  }
}

// The same text frame plus the copy show_frame makes before each swap: the
// copy's own cost on top of a frame that has to be rendered anyway.
void BM_TextFrameKeptForScreenshots(benchmark::State& state) {
  std::vector<TvString> lines = screen_lines();
  for (auto _ : state) {
    clear_screen(0x402010);
    for (int row = 0; row < 40; ++row) print_text(lines[size_t(row)], 0, row * 8);
    keep_presented_frame();
    submit_drawing();  // what was recorded is drawn before the wait
    glFinish();
  }
}

BENCHMARK(BM_ClearOnly)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_ClearAndFullScreenOfText)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_TextFrameKeptForScreenshots)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (!open_window()) {
    std::fprintf(stderr, "bench_print_text: no OpenGL window\n");
    return 1;
  }
  RatioReporter reporter(true);  // the GL may draw on other threads
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto ratio = [&](const char* what, const char* ours, const char* base) {
    auto a = reporter.seconds.find(ours), b = reporter.seconds.find(base);
    if (a == reporter.seconds.end() || b == reporter.seconds.end() || b->second <= 0) return;
    std::printf("%s ratio: %.2fx (%.1f us against %.1f us per frame)\n", what,
                a->second / b->second, a->second, b->second);
  };
  ratio("60 x 40 characters of text per frame", "BM_ClearAndFullScreenOfText", "BM_ClearOnly");
  ratio("text frame kept for screenshots", "BM_TextFrameKeptForScreenshots",
        "BM_ClearAndFullScreenOfText");
  benchmark::Shutdown();
}
