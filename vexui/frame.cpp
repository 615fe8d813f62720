// frame.cpp - the steps of one dialog's frame (see frame.h).
#include "vexui/frame.h"

#include <algorithm>
#include <cstdlib>

#include "runtime/frame/frame_loop.h"
#include "runtime/gfx2d/device.h"
#include "runtime/input/input.h"
#include "vexui/paint.h"
#include "vexui/scroll.h"

namespace {

// Between a dialog's content and its scroll bar: the bar's own right margin
// and a gap of 3.
constexpr int32_t kScrollGap = 4;

bool touches(int32_t mx, int32_t my, int32_t x, int32_t y, int32_t w, int32_t h) {
  return mx >= x && my >= y && mx < x + w && my < y + h;
}

int32_t cell_height() {
  int32_t cw, ch;
  vexui_cell_size(cw, ch);
  return ch;
}

}  // namespace

int32_t vexui_click_state(int32_t mx, int32_t my, int32_t left_down) {
  VexuiState& s = vexui_state;
  if (left_down && s.mouse_down == 0) {
    s.mouse_down = 1;
    s.last_x = mx;
    s.last_y = my;
    return -1;
  }
  if (left_down) return 0;
  if (s.mouse_down >= 1) {
    s.mouse_down = 0;
    if (s.touch_device) {  // nothing stays hovered under a lifted finger
      set_mouse(0, 0);
      s.last_x = s.last_y = 0;
    }
    return 1;
  }
  return 0;
}

VexuiFrame vexui_frame_pointer(int32_t interactive) {
  VexuiState& s = vexui_state;
  MouseReading mouse = mouse_state();
  VexuiFrame f;
  VexuiPointer& p = f.pointer;
  p.mx = mouse.x;
  p.my = mouse.y;
  p.interactive = interactive;
  f.left_down = mouse.left != 0;
  // where and since when the mouse rests, for tool tips
  if (std::abs(p.mx - s.rest_x) > 4 || std::abs(p.my - s.rest_y) > 4) {
    s.rest_time = timer_ms();
    s.rest_x = p.mx;
    s.rest_y = p.my;
  }
  p.click = interactive ? vexui_click_state(p.mx, p.my, f.left_down) : 0;
  return f;
}

void vexui_frame_move(VexuiDialog& d, VexuiFrame& f) {
  VexuiState& s = vexui_state;
  const VexuiPointer& p = f.pointer;
  if (p.interactive && d.moveable) {
    if (f.left_down) {
      if (touches(p.mx, p.my, d.xpos, d.ypos, d.self.width, cell_height()) || d.moving) {
        if (d.focus.empty()) {
          d.moving = 1;
          d.xpos = std::max(0, d.xpos + p.mx - s.last_x);
          d.ypos = std::max(0, d.ypos + p.my - s.last_y);
        } else {
          d.focus = TvString();
        }
      }
    } else {
      d.moving = 0;
    }
  }
  f.x = d.xpos;
  f.y = d.ypos;
  f.width = d.self.width;
  f.height = d.self.height;
}

void vexui_frame_chrome(VexuiDialog& d, VexuiFrame& f) {
  int32_t ch = cell_height();
  int32_t X = f.x, Y = f.y, W = f.width, H = f.height;
  VexuiColor light = d.col_bright, line = d.col_norm;
  f.title_bar = d.moveable != 0 || !d.self.text.empty();
  int32_t B = Y;
  if (f.title_bar) {
    vexui_fill2(light, line, X + 1, Y + 1, W - 2, ch + 4);
    vexui_print(d.self.text, X + 3, Y + 2, 1);
    B = Y + ch + 4;
    draw_rect(X + 1, Y, W - 2, 1, line);
    draw_rect(X, Y + 1, 1, H + ch + 2, line);
    draw_rect(X + W - 1, Y + 1, 1, H + ch + 2, line);
    draw_rect(X + 1, B + H - 1, W - 2, 1, line);
  } else {
    vexui_outline(X, Y, W, H, line);
  }
  draw_rect(X + 1, B + 1, W - 2, H - 2, light);
  f.body_top = B;
}

void vexui_frame_grip(VexuiDialog& d, const VexuiFrame& f) {
  VexuiState& s = vexui_state;
  int32_t ch = cell_height();
  int32_t X = f.x, W = f.width, H = f.height, B = f.body_top;
  int32_t mx = f.pointer.mx, my = f.pointer.my;
  int32_t gx = X + W - ch - 4, gy = B + H - ch - 4, gs = ch + 4;
  if (f.pointer.interactive && d.scaleable) {
    if (f.left_down) {
      if (touches(mx, my, gx, gy, gs, gs) || d.scaling) {
        d.scaling = 1;
        d.self.width = std::max(0, W + mx - s.last_x);
        d.self.height = std::max(0, H + my - s.last_y);
      }
    } else {
      d.scaling = 0;
    }
  }
  if (!d.scaleable) return;
  VexuiColor grip = touches(mx, my, gx, gy, gs, gs) ? d.col_hover_norm : d.col_norm;
  int32_t r0 = B + H - ch - 3, third = ch / 3;
  draw_rect(X + W - 5 - third, r0, third, 2, grip);
  draw_rect(X + W - 5 - (2 * ch) / 3, r0 + third, (2 * ch) / 3, 2, grip);
  draw_rect(X + W - 5 - ch, r0 + 2 * third, ch, 2, grip);
}

void vexui_frame_content(VexuiDialog& d, VexuiFrame& f) {
  const VexuiPointer& p = f.pointer;
  if (p.interactive) {
    vexui_state.last_x = p.mx;
    vexui_state.last_y = p.my;
  }
  int32_t cw, ch;
  vexui_cell_size(cw, ch);
  f.area_x = f.x + 3;
  f.area_y = f.body_top + 3;
  f.area_w = f.width - 6;
  f.area_h = f.height - 6;
  f.start_y = f.area_y;
  if (!p.interactive) return;  // only the top dialog scrolls
  VexuiWidget& own = d.self;
  own.scroll_max = std::max(0, d.content_height - f.area_h - 12);
  if (own.scroll_max) own.scroll_max += 24;
  int32_t grip_room = d.scaleable ? std::max(32, 2 * ch) : 0;
  int32_t bar_h = f.area_h - grip_room;
  if (!vexui_scrollbar_input(d, own, p.mx - f.area_x + 10, p.my - f.area_y, p.click, bar_h)) return;
  if (f.area_w > 0 && f.area_h > 0) {
    set_viewport(f.area_x, f.area_y, f.area_w, f.area_h);
    vexui_draw_scrollbar(d, own, f.area_w, bar_h, f.area_h, 0);
  }
  f.area_w -= vexui_scrollbar_width() + kScrollGap;  // nothing is drawn under the bar
  f.start_y -= own.scroll;
}

int32_t vexui_frame_walk(VexuiDialog& d, const VexuiFrame& f) {
  VexuiCursor cursor;
  cursor.x = f.area_x;
  cursor.y = f.start_y;
  VexuiLimits limits;
  limits.available = f.area_w;
  limits.left = f.area_x;
  limits.right_clip = f.area_x + f.area_w;
  limits.top_clip = f.area_y;
  limits.bottom_clip = f.area_y + f.area_h;
  VexuiPointer pointer = f.pointer;
  pointer.tips = timer_ms() - vexui_state.rest_time > 500;
  for (int32_t i = 0; i < array_total(d.order); ++i) vexui_layout_entry(d, i, cursor, limits, pointer);
  return cursor.y + cursor.line_height - f.start_y + 2;
}

void vexui_frame_shade(VexuiDialog& d, const VexuiFrame& f) {
  if (f.pointer.interactive) return;
  alpha_mode(-0.5);
  draw_rect(d.xpos, d.ypos, d.self.width, d.self.height + (f.title_bar ? cell_height() + 4 : 0), 0);
  alpha_mode(0);
}
