// popup.cpp - the pop-up pick list: one button per item in a dialog of its
// own, a build and a step handed to the modal runner.
#include "vexui/popup.h"

#include <algorithm>
#include <cstdlib>

#include "runtime/gfx2d/device.h"

#include "runtime/input/input.h"
#include "vexui/model.h"
#include "vexui/paint.h"
#include "vexui/properties.h"
#include "vexui/scroll.h"

namespace {

// "b" followed by the item's number, as text.
TvString button_id(int32_t i) { return TvString("b") + i; }

}  // namespace

bool vexui_popup_build(int32_t x, int32_t y, int32_t width, int32_t height, const TvString& items) {
  TvArray<TvString> parts;
  vexui_split_items(items, parts);
  int32_t n = array_total(parts);
  if (n == 0) return false;
  int32_t cw, ch;
  vexui_cell_size(cw, ch);
  int32_t sw = vexui_scrollbar_width();
  vexui_push_dialog(x, y, width, height);
  VexuiDialog& d = vexui_top();
  // Thousands of items: the records are filled in one pass, sorted by id,
  // instead of one sorted insertion per button.
  int32_t least = vexui_state.min_widget_size;
  int32_t bw = width - 8, bh = std::max(least, ch + 6);
  array_redim(d.widgets, n);
  array_redim(d.order, n);
  for (int32_t i = 0; i < n; ++i) {
    VexuiWidget& w = d.widgets(i);
    w.id = button_id(i);
    w.type = "BUTTON";
    string_swap(w.text, parts(i));
    vexui_text_written(w);
    w.width = bw <= least ? std::max(least, vexui_text_width(w.text) + cw) : bw;
    w.height = bh;
  }
  array_sort(d.widgets, [](const VexuiWidget& a, const VexuiWidget& b) {
    return string_compare(a.id.data, b.id.data);
  });
  for (int32_t k = 0; k < n; ++k) {
    // "b" + number: the number is the creation (layout) position
    int32_t i = int32_t(std::strtol(d.widgets(k).id.data + 1, nullptr, 10));
    d.order(i).id = d.widgets(k).id;
    d.order(i).index = k;
    d.widgets(k).order_entry = i;
  }
  int32_t total = n * (bh + 2);
  if (height < total) {  // room for the bar, moved left as far as the screen needs
    int screen_w, screen_h;
    screen_size(screen_w, screen_h);
    d.self.width = std::min(width + sw, int32_t(screen_w));
    d.xpos = std::max(0, std::min(d.xpos, int32_t(screen_w) - d.self.width));
  }
  if (total + 4 < height) vexui_set(TvString(), "HEIGHT", TvString() + (total + 4));
  return true;
}

int32_t vexui_popup_step() {
  vexui_show(1);
  if (vexui_modal_escape()) return -1;
  VexuiDialog& d = vexui_top();
  MouseReading m = mouse_state();
  bool inside = m.x >= d.xpos && m.x < d.xpos + d.self.width && m.y >= d.ypos && m.y < d.ypos + d.self.height;
  if (m.left && !inside) return -1;
  for (int32_t k = 0, n = array_total(d.widgets); k < n; ++k) {
    const VexuiWidget& w = d.widgets(k);
    if (w.clicked) return int32_t(std::strtol(w.id.data + 1, nullptr, 10));
  }
  return VEXUI_DIALOG_RUNNING;
}

int32_t vexui_popup_list(int32_t x, int32_t y, int32_t width, int32_t height, const TvString& items) {
  if (!vexui_popup_build(x, y, width, height, items)) return -1;
  return vexui_modal_run(vexui_popup_step, true);
}
