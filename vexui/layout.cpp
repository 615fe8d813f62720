// layout.cpp - placing one order entry, and frames with their content.
#include "vexui/layout.h"

#include <algorithm>

#include "runtime/gfx2d/device.h"
#include "vexui/kinds.h"
#include "vexui/paint.h"

namespace {

const int32_t kSpacing = 2;

VexuiWidget& entry_widget(VexuiDialog& d, int32_t entry) { return d.widgets(d.order(entry).index); }

// Visible part of a widget at (x, y) of size (w, h) inside the clip limits.
struct Visible {
  int32_t width, top, height, offset;
};

Visible clip(int32_t x, int32_t y, int32_t w, int32_t h, const VexuiLimits& l) {
  Visible v;
  v.width = std::min(w, l.right_clip - x);
  v.top = std::max(y, l.top_clip);
  v.offset = y < l.top_clip ? y - l.top_clip : 0;
  v.height = y + h > l.bottom_clip ? l.bottom_clip - v.top : h + v.offset;
  return v;
}

// Lays out the content of frame `entry` and sizes the frame; leaves `entry`
// on the closing "UNFRAME" (or the last entry).
void layout_frame(VexuiDialog& d, int32_t& entry, VexuiCursor& c, const VexuiLimits& l, const VexuiPointer& p) {
  int32_t ccw, cch;
  vexui_cell_size(ccw, cch);
  int32_t top = c.y, frame_x = c.x, inner_left = c.x, margin = 0;
  VexuiWidget& f = entry_widget(d, entry);
  if (!f.text.empty()) {
    Visible v = clip(c.x, c.y, f.width, f.height, l);
    if (v.width > 0 && v.height > 0) {
      set_viewport(c.x, v.top, v.width, v.height);
      vexui_draw_frame_box(d, f, v.offset);
    }
    c.y += cch + 4 + 4;
    c.x += 4;
    inner_left += 4;
    margin = 4;
  }
  VexuiCursor inner;
  inner.x = c.x;
  inner.y = c.y;
  VexuiLimits inner_limits = l;
  inner_limits.available = entry_widget(d, entry).width - 2 * margin;
  inner_limits.left = inner_left;
  int32_t frame_entry = entry, widest = 0;
  for (++entry; entry < array_total(d.order); ++entry) {
    if (!vexui_layout_entry(d, entry, inner, inner_limits, p)) break;
    const VexuiWidget& child = entry_widget(d, entry);
    if (!child.hide) widest = std::max(widest, child.width);
  }
  if (entry >= array_total(d.order)) entry = array_total(d.order) - 1;  // no "UNFRAME": the rest is content
  VexuiWidget& frame = entry_widget(d, frame_entry);
  if (frame.width == 0) frame.width = 2 * margin + widest;
  frame.height = inner.y + inner.line_height + 2 * margin - top;
  c.x = frame_x;
  c.y = top;
}

}  // namespace

int32_t vexui_layout_entry(VexuiDialog& d, int32_t& entry, VexuiCursor& c, const VexuiLimits& l,
                           const VexuiPointer& p) {
  int32_t own_entry = entry;
  {
    VexuiWidget& w = entry_widget(d, entry);
    if (w.hide) return 1;
    if (l.left + l.available < c.x + w.width) {
      c.x = l.left;
      c.y += c.line_height + kSpacing;
      c.line_height = w.height;
    }
    if (w.align == 0) c.x += (l.available - w.width) / 2;
    else if (w.align > 0) c.x += l.available - w.width;
    if (w.type == "UNFRAME") return 0;
    if (w.type == "FRAME") layout_frame(d, entry, c, l, p);
  }
  // the handler may add widgets (moving the records): look the widget up afresh
  if (p.interactive) {
    VexuiWidget& w = entry_widget(d, own_entry);
    vexui_handle_input(d, w, p.mx - c.x, p.my - c.y, p.click, 1);
  }
  VexuiWidget& w = entry_widget(d, own_entry);
  if (!p.interactive) w.hover = -1;  // a dialog under the top one shows no hover
  Visible v = clip(c.x, c.y, w.width, w.height, l);
  w.xpos = c.x;
  w.ypos = v.top;
  if (v.width > 0 && v.height > 0) {
    set_viewport(c.x, v.top, v.width, v.height);
    vexui_draw_widget(d, w, v.offset);
  }
  if (p.tips && p.interactive && w.hover != 0 && !w.tiptext.empty()) {
    set_viewport(0, 0, 0, 0);
    vexui_draw_tooltip(d, w);
  }
  c.x += w.width + kSpacing;
  c.line_height = std::max(c.line_height, w.height);
  return 1;
}
