// scroll.cpp - scroll bars and who takes this frame's wheel turn: the
// widget under the mouse first, else the dialog.
#include "vexui/scroll.h"

#include <algorithm>

#include "runtime/gfx2d/device.h"
#include "runtime/input/input.h"
#include "vexui/paint.h"

int32_t vexui_scrollbar_width() {
  int32_t cw, ch;
  vexui_cell_size(cw, ch);
  return std::max(cw, 20);
}

int32_t vexui_scrollbar_inset() { return vexui_scrollbar_width() + 1; }

int32_t vexui_scrollbar_input(VexuiDialog& dialog, VexuiWidget& w, int32_t mx, int32_t my, int32_t,
                              int32_t h) {
  if (w.scroll_max <= 0) {
    w.scroll = 0;
    w.scroll_max = 0;
    return 0;
  }
  if (w.scroll > w.scroll_max) w.scroll = w.scroll_max;
  int32_t sw = vexui_scrollbar_width();
  bool down = mouse_state().left != 0;
  TvString bar_focus = TvString("SB") + w.id;
  bool dragging = dialog.focus == bar_focus;
  bool on_bar = mx >= w.width - sw && mx < w.width && my >= 0 && my < h;
  if (!dragging && !(down && on_bar)) return 1;
  dialog.focus = bar_focus;
  int32_t g = std::max(2, h / w.scroll_max);
  int64_t span = int64_t(h) - g;
  w.scroll = span <= 0 ? 0
                       : int32_t(std::max<int64_t>(0, std::min<int64_t>(w.scroll_max, int64_t(my) * w.scroll_max / span)));
  if (!down) dialog.focus = TvString();
  return 1;
}

void vexui_draw_scrollbar(VexuiDialog& dialog, VexuiWidget& widget, int32_t width, int32_t height, int32_t page,
                          int32_t yoff) {
  int32_t smax = widget.scroll_max;
  if (smax <= 0) return;
  int32_t sw = vexui_scrollbar_width();
  int32_t x0 = width - sw - 1;
  bool dragged = dialog.focus == TvString("SB") + widget.id;
  VexuiColor c1 = dragged ? dialog.col_hover_bright : dialog.col_bright;
  VexuiColor c2 = dragged ? dialog.col_hover_norm : dialog.col_norm;
  draw_rect(x0, yoff, sw, height, c1);
  vexui_outline(x0, yoff, sw, height, c2);
  // A page of 0 lines (a widget lower than one line) or a page larger than
  // the whole text leaves no proportion to show: the thumb keeps its least height.
  int64_t per_page = page > 0 ? ((int64_t(smax) + page) * 128 - 128) / page : 0;
  int64_t th = per_page > 0 ? std::max<int64_t>(2, (int64_t(height) - 2) * 128 / per_page) : 2;
  th = std::max<int64_t>(2, std::min<int64_t>(th, int64_t(height) - 22));
  int64_t shown = std::min(std::max(widget.scroll, 0), smax);
  int64_t p = std::max<int64_t>(0, (int64_t(height) - 2 - th) * shown / smax);
  vexui_fill2(c1, c2, x0 + 4, yoff + 1 + double(p), sw - 8, double(th));
  vexui_outline(x0 + 4, int32_t(yoff + 1 + p), sw - 8, int32_t(th), c2);
}

bool vexui_wheel_scroll_widget(VexuiWidget& w) {
  int32_t wheel = int32_t(mouse_axis(2));
  if (!wheel) return false;
  w.scroll = std::clamp(w.scroll - 3 * wheel, 0, std::max(0, w.scroll_max));
  vexui_state.wheel.taken = true;
  return true;
}

void vexui_wheel_scroll_dialog(VexuiDialog& d) {
  bool was_taken = vexui_state.wheel.taken;
  vexui_state.wheel.taken = false;
  int32_t wheel = int32_t(mouse_axis(2));
  if (!wheel || was_taken || d.self.scroll_max <= 0) return;
  MouseReading m = mouse_state();
  if (m.x < d.xpos || m.x >= d.xpos + d.self.width || m.y < d.ypos || m.y >= d.ypos + d.self.height) return;
  // a row is the first widget's height and its gap (the pop-up list's buttons)
  int32_t cw, ch;
  vexui_cell_size(cw, ch);
  int32_t row = ch;
  if (array_total(d.order) > 0) row = std::max(row, d.widgets(d.order(0).index).height + 2);
  d.self.scroll = std::clamp(d.self.scroll - 3 * row * wheel, 0, d.self.scroll_max);
}
