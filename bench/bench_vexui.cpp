// bench_vexui - the toolkit's cost as dialogs grow, and one frame of a
// viewer-sized dialog against an empty frame.
//
// 1. Building a dialog of 10,000 buttons with the pop-up list's ids ("b"
//    followed by the item number, so insertions land all over the sorted
//    store) against the same for 100 buttons; goal: at most 150x.
//    Also with ids that sort in creation order, the store's best case.
// 2. One vexui_show frame of each of those dialogs; goal: at most 150x.
// 3. One vexui_show frame of a dialog shaped like the viewer (a tab strip, a
//    combo, two labels, a read-only text box of 60 lines, two buttons)
//    against one show_frame of an empty screen.
// CPU time of this thread; each frame ends with glFinish so the GL's queue
// stays bounded. Needs a display (Xvfb works) or SDL's offscreen driver.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "bench/bench_ratio.h"
#include "runtime/frame/frame_loop.h"
#include "runtime/frame/window.h"
#include "runtime/gfx2d/device.h"
#include "tests/support/gl_window.h"
#include "runtime/gfx2d/draw_batch.h"
#include "runtime/gfx2d/fonts.h"
#include "vexui/internal.h"

namespace {

void build_buttons(int n) {
  vexui_push_dialog(100, 20, 200, 280);
  for (int i = 0; i < n; ++i) vexui_button(TvString("b") + i, TvString("item ") + i, 192, 0);
}

void BM_Build(benchmark::State& state) {
  int n = int(state.range(0));
  for (auto _ : state) {
    build_buttons(n);
    vexui_pop_dialog();
  }
}

// Ids that sort in creation order ("b00000", "b00001", ...): every insertion
// lands at the end of the sorted store.
void BM_BuildOrdered(benchmark::State& state) {
  int n = int(state.range(0));
  for (auto _ : state) {
    vexui_push_dialog(100, 20, 200, 280);
    for (int i = 0; i < n; ++i) {
      char id[16];
      std::snprintf(id, sizeof id, "b%05d", i);
      vexui_button(TvString(id), TvString("item ") + i, 192, 0);
    }
    vexui_pop_dialog();
  }
}

void BM_Show(benchmark::State& state) {
  build_buttons(int(state.range(0)));
  for (auto _ : state) {
    vexui_show(1);
    submit_drawing();  // what was recorded is drawn before the wait
    glFinish();
  }
  vexui_pop_dialog();
}

void build_viewer() {
  vexui_push_dialog(0, 0, 480, 320);
  vexui_tab(TvString("tabs"), TvString("Extended Types|Types|Functions|Subroutines|Constants|Inline"));
  vexui_combo(TvString("names"), TvString("Alpha|Beta|Gamma|Delta|Epsilon"), 300, 0);
  vexui_spacer(10000, 0);
  vexui_add_widget(TvString("author"), TvString("Author: somebody"), 230, 0);
  vexui_add_widget(TvString("description"), TvString("What the snippet does, in one line"), 230, 0);
  TvString code;
  for (int i = 0; i < 60; ++i) code += TvString("LINE ") + i + " = SOMETHING + " + (i * 7) + "\n";
  vexui_text(TvString("code"), code, 470, 200);
  vexui_set(TvString("code"), TvString("READONLY"), TvString("1"));
  vexui_button(TvString("copy"), TvString("Copy To Clipboard"), 0, 0);
  vexui_button(TvString("add"), TvString("Add Snippet"), 0, 0);
}

void BM_ViewerShow(benchmark::State& state) {
  build_viewer();
  for (auto _ : state) {
    vexui_show(1);
    submit_drawing();  // what was recorded is drawn before the wait
    glFinish();
  }
  vexui_pop_dialog();
}

void BM_EmptyShowFrame(benchmark::State& state) {
  for (auto _ : state) {
    show_frame();
    submit_drawing();  // what was recorded is drawn before the wait
    glFinish();
  }
}

BENCHMARK(BM_Build)->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BuildOrdered)->Arg(100)->Arg(1000)->Arg(3000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Show)->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ViewerShow)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EmptyShowFrame)->Unit(benchmark::kMicrosecond);

// The reporter keeps times by function name; the argument is part of the run name.
class ArgReporter : public RatioReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      if (r.iterations > 0 && (r.run_type == Run::RT_Iteration || r.aggregate_name == "mean"))
        by_name[r.benchmark_name()] = r.GetAdjustedCPUTime();
    RatioReporter::ReportRuns(runs);
  }
  std::map<std::string, double> by_name;
  void ratio(const char* what, const char* ours, const char* base, double goal) {
    auto a = by_name.find(ours), b = by_name.find(base);
    if (a == by_name.end() || b == by_name.end() || b->second <= 0) return;
    double r = a->second / b->second;
    std::printf("%s: %.1fx (%.1f us against %.1f us)", what, r, a->second, b->second);
    if (goal > 0) std::printf("; goal at most %.0fx: %s", goal, r <= goal ? "met" : "MISSED");
    std::printf("\n");
  }
};

}  // namespace

int main(int argc, char** argv) {
  timer_start();
  OpenGLVadeviva* device = gl_test_device();
  if (!device) {
    std::fprintf(stderr, "bench_vexui: no window: %s\n", window_failure_cause());
    return 1;
  }
  place_window(*device);
  auto_pause = false;  // focus changes on a shared display must not pause the run
  set_frame_rate(1000);  // pacing waits are not the frame's cost
  set_viewport(0, 0, 0, 0);
  make_default_font(0);
  set_font(0);

  benchmark::Initialize(&argc, argv);
  ArgReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.ratio("building 10,000 buttons against 100", "BM_Build/10000", "BM_Build/100", 150);
  reporter.ratio("building 10,000 buttons with ids in creation order against 100", "BM_BuildOrdered/10000",
                 "BM_BuildOrdered/100", 150);
  reporter.ratio("one vexui_show of 10,000 buttons against 100", "BM_Show/10000", "BM_Show/100", 150);
  reporter.ratio("one vexui_show of the viewer against one empty show_frame", "BM_ViewerShow",
                 "BM_EmptyShowFrame", 0);
  benchmark::Shutdown();
}
