// wheel.cpp - who takes this frame's wheel turn: the widget under the
// mouse first, else the dialog.
#include "vexui/wheel.h"

#include <algorithm>

#include "runtime/gfx2d/fonts.h"
#include "runtime/input/input.h"

namespace {
bool taken = false;  // a widget scrolled with this frame's turn
}  // namespace

bool vexui_wheel_scroll_widget(VexuiWidget& w) {
  int32_t wheel = int32_t(mouse_axis(2));
  if (!wheel) return false;
  w.scroll = std::clamp(w.scroll - 3 * wheel, 0, std::max(0, w.scroll_max));
  taken = true;
  return true;
}

void vexui_wheel_scroll_dialog(VexuiDialog& d) {
  bool was_taken = taken;
  taken = false;
  int32_t wheel = int32_t(mouse_axis(2));
  if (!wheel || was_taken || d.self.scroll_max <= 0) return;
  MouseReading m = mouse_state();
  if (m.x < d.xpos || m.x >= d.xpos + d.self.width || m.y < d.ypos || m.y >= d.ypos + d.self.height) return;
  // a row is the first widget's height and its gap (the pop-up list's buttons)
  int cw, ch;
  font_size(cw, ch);
  int32_t row = ch;
  if (array_total(d.order) > 0) row = std::max(row, d.widgets(d.order(0).index).height + 2);
  d.self.scroll = std::clamp(d.self.scroll - 3 * row * wheel, 0, d.self.scroll_max);
}
