// show.cpp - push, pop and reposition dialogs; the per-frame show, which
// runs each dialog's frame steps (frame.h) and then its deferred action,
// or, when nothing changed, repeats the presented frame's part (repeat.h).
//
// The modal edge: a deferred action (actions.h, the toolkit's top tier)
// runs a modal dialog, whose nested loop shows frames through this file
// again. It is the one call from the core up into the top tier.
#include "vexui/show.h"

#include <algorithm>

#include "runtime/gfx2d/device.h"
#include "runtime/gfx2d/draw_batch.h"
#include "runtime/input/input.h"
#include "vexui/actions.h"
#include "vexui/frame.h"
#include "vexui/kinds.h"
#include "vexui/properties.h"
#include "vexui/repeat.h"
#include "vexui/scroll.h"

void vexui_push_dialog(int32_t x, int32_t y, int32_t width, int32_t height) {
  VexuiState& s = vexui_state;
  if (s.min_widget_size < 1) s.min_widget_size = 16;
  array_push(s.dialogs, VexuiDialog{});
  vexui_reset_dialog();
  int sw, sh;
  screen_size(sw, sh);
  VexuiDialog& d = vexui_top();
  // a size left negative by a position beyond the screen is kept as given;
  // layout and drawing cope with it
  d.xpos = std::min(x, sw - 1);
  d.ypos = std::min(y, sh - 1);
  d.self.width = std::min(width, sw - x);
  d.self.height = std::min(height, sh - y);
  const VexuiDialog& bottom = s.dialogs(0);
  d.col_norm = bottom.col_norm;
  d.col_bright = bottom.col_bright;
  d.col_hover_norm = bottom.col_hover_norm;
  d.col_hover_bright = bottom.col_hover_bright;
}

void vexui_pop_dialog() {
  VexuiState& s = vexui_state;
  int32_t n = array_total(s.dialogs);
  if (n == 0) return;
  array_redim(s.dialogs, n - 1);
  if (n > 1) vexui_set_dialog_rect(0, 0, 0, 0);
}

void vexui_set_dialog_rect(int32_t x, int32_t y, int32_t width, int32_t height) {
  if (width > 0 && height > 0) {
    int sw, sh;
    screen_size(sw, sh);
    vexui_set(TvString(), "XPOS", string_from_int(x));
    vexui_set(TvString(), "YPOS", string_from_int(y));
    vexui_set(TvString(), "WIDTH", string_from_int(std::min(sw, width)));
    vexui_set(TvString(), "HEIGHT", string_from_int(std::min(sh, height)));
  }
  VexuiDialog& d = vexui_top();
  for (int32_t i = 0; i < array_total(d.widgets); ++i) vexui_handle_input(d, d.widgets(i), -1, -1, 0, 0);
}

void vexui_show(int32_t only_top) {
  int32_t n = array_total(vexui_state.dialogs);
  if (n == 0) return;
  uint32_t show;
  if (vexui_repeat_frame(only_top, show)) {
    // what a drawn frame leaves set
    set_viewport(0, 0, 0, 0);
    show_mouse(1);
    return;
  }
  begin_repeatable_part();
  if (only_top == 0)
    for (int32_t i = 0; i < n; ++i) vexui_show_dialog(i, 0);
  vexui_show_dialog(array_total(vexui_state.dialogs) - 1, 1);
  vexui_apply_links();
  end_repeatable_part();
  vexui_frame_recorded(show);
}

int32_t vexui_show_dialog(int32_t at, int32_t interactive) {
  VexuiDialog& d = vexui_state.dialogs(at);
  VexuiFrame f = vexui_frame_pointer(interactive);
  set_viewport(0, 0, 0, 0);
  vexui_frame_move(d, f);
  vexui_frame_chrome(d, f);
  vexui_frame_grip(d, f);
  vexui_frame_content(d, f);
  int32_t content = vexui_frame_walk(d, f);
  set_viewport(0, 0, 0, 0);
  vexui_frame_shade(d, f);
  show_mouse(1);
  if (interactive) {
    d.content_height = content;
    vexui_wheel_scroll_dialog(d);  // a turn no widget took
  }
  int32_t result = std::max(content, d.self.height);
  vexui_run_pending_action(at);  // the modal edge (see the top of this file)
  return result;
}
