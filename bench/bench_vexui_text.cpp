// bench_vexui_text.cpp - per-frame cost of a read-only text widget showing
// 5,000 lines of code against one showing 50 (same widget, same screen,
// this run), and the pop-up list of 10,000 items: opening it (build and its
// first frame) against a list of 100, and one frame of it. Real windows
// (Xvfb or SDL's off-screen driver); each frame ends with glFinish, times
// are wall-clock because the GL may draw on other threads.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include "bench/bench_ratio.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "runtime/gfx2d/device.h"
#include "runtime/gfx2d/draw_batch.h"
#include "runtime/gfx2d/fonts.h"
#include "tests/support/gl_window.h"
#include "vexui/internal.h"

namespace {

bool open_window() {
  if (!gl_test_device()) return false;
  set_viewport(0, 0, 0, 0);
  make_default_font(0);
  set_font(0);
  return true;
}

TvString code_lines(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += "    total = total + weight(" + std::to_string(i) + ") * 2  ' step\n";
  return TvString(s.data(), uint32_t(s.size()));
}

// A dialog with one read-only text widget scrolled to the middle of `lines`.
void text_frames(benchmark::State& state, int lines) {
  vexui_state = VexuiState{};
  vexui_push_dialog(0, 0, 480, 320);
  vexui_text("code", code_lines(lines), 460, 300);
  vexui_set("code", "READONLY", "1");
  vexui_show(1);
  vexui_set("code", "SCROLL", TvString() + lines / 2);
  for (auto _ : state) {
    clear_screen(0x402010);
    vexui_show(1);
    submit_drawing();  // what was recorded is drawn before the wait
    glFinish();
  }
  vexui_pop_dialog();
}
void BM_ReadOnlyText50Lines(benchmark::State& state) { text_frames(state, 50); }
void BM_ReadOnlyText5000Lines(benchmark::State& state) { text_frames(state, 5000); }

TvString items(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += "snippet number " + std::to_string(i) + "|";
  return TvString(s.data(), uint32_t(s.size()));
}

void popup_open(benchmark::State& state, int n) {
  vexui_state = VexuiState{};
  vexui_push_dialog(0, 0, 480, 320);
  TvString list = items(n);
  for (auto _ : state) {
    vexui_popup_build(10, 20, 200, 300, list);
    vexui_popup_step();
    submit_drawing();  // what was recorded is drawn before the wait
    glFinish();
    vexui_pop_dialog();
  }
  vexui_pop_dialog();
}
void BM_PopupOpen100(benchmark::State& state) { popup_open(state, 100); }
void BM_PopupOpen10000(benchmark::State& state) { popup_open(state, 10000); }

void BM_PopupFrame10000(benchmark::State& state) {
  vexui_state = VexuiState{};
  vexui_push_dialog(0, 0, 480, 320);
  vexui_popup_build(10, 20, 200, 300, items(10000));
  vexui_popup_step();
  vexui_popup_step();
  VexuiDialog& d = vexui_top();
  int32_t row = 0;
  for (auto _ : state) {
    d.self.scroll = (row += 54) % (d.self.scroll_max > 0 ? d.self.scroll_max : 1);  // scrolling on
    clear_screen(0x402010);
    vexui_popup_step();
    submit_drawing();  // what was recorded is drawn before the wait
    glFinish();
  }
  vexui_pop_dialog();
  vexui_pop_dialog();
}

BENCHMARK(BM_ReadOnlyText50Lines)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_ReadOnlyText5000Lines)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_PopupOpen100)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PopupOpen10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PopupFrame10000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (!open_window()) {
    std::fprintf(stderr, "bench_vexui_text: no OpenGL window\n");
    return 1;
  }
  RatioReporter reporter(true);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  // times are kept in each benchmark's own unit
  auto ratio = [&](const char* what, const char* ours, const char* base, const char* unit, const char* goal) {
    double r = reporter.ratio(ours, base);
    if (r < 0) return;
    std::printf("%s: %.2fx (%.2f %s against %.2f %s) %s\n", what, r, reporter.seconds[ours], unit,
                reporter.seconds[base], unit, goal);
  };
  ratio("read-only text, 5000 lines against 50, per frame", "BM_ReadOnlyText5000Lines",
        "BM_ReadOnlyText50Lines", "us", "(goal: at most 3x)");
  ratio("pop-up list opened, 10000 items against 100", "BM_PopupOpen10000", "BM_PopupOpen100", "ms",
        "(goal: under 100 ms)");
  auto frame = reporter.seconds.find("BM_PopupFrame10000");
  if (frame != reporter.seconds.end())
    std::printf("pop-up list of 10000 items, one scrolled frame: %.3f ms (goal: under 16.7 ms)\n",
                frame->second);
  benchmark::Shutdown();
}
