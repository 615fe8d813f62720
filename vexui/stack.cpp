// stack.cpp - push, pop and reposition dialogs; the per-frame show with each
// dialog's title bar, border, move and resize drags and content scrolling.
#include "vexui/stack.h"
#include "vexui/wheel.h"

#include <algorithm>
#include <cstdlib>

#include "runtime/frame/frame_loop.h"
#include "runtime/gfx2d/device.h"
#include "runtime/gfx2d/fonts.h"
#include "runtime/input/input.h"
#include "vexui/input.h"
#include "vexui/layout.h"
#include "vexui/paint.h"
#include "vexui/properties.h"

namespace {

bool touches(int32_t mx, int32_t my, int32_t x, int32_t y, int32_t w, int32_t h) {
  return mx >= x && my >= y && mx < x + w && my < y + h;
}

}  // namespace

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
  if (only_top == 0)
    for (int32_t i = 0; i < n; ++i) vexui_show_dialog(i, 0);
  vexui_show_dialog(array_total(vexui_state.dialogs) - 1, 1);
  vexui_apply_links();
}

int32_t vexui_show_dialog(int32_t at, int32_t interactive) {
  VexuiState& s = vexui_state;
  VexuiDialog& d = s.dialogs(at);
  MouseReading mouse = mouse_state();
  int32_t mx = mouse.x, my = mouse.y, b1 = mouse.left != 0;
  int cw, ch;
  font_size(cw, ch);
  // 1. where and since when the mouse rests, for tool tips
  if (std::abs(mx - s.rest_x) > 4 || std::abs(my - s.rest_y) > 4) {
    s.rest_time = timer_ms();
    s.rest_x = mx;
    s.rest_y = my;
  }
  // 2. press and release edges
  int32_t click = interactive ? vexui_click_state(mx, my, b1) : 0;
  set_viewport(0, 0, 0, 0);
  VexuiColor light = d.col_bright, line = d.col_norm;
  // 4. dragged by the title bar; a focused widget gives up the focus first
  if (interactive && d.moveable) {
    if (b1) {
      if (touches(mx, my, d.xpos, d.ypos, d.self.width, ch) || d.moving) {
        if (d.focus.empty()) {
          d.moving = 1;
          d.xpos = std::max(0, d.xpos + mx - s.last_x);
          d.ypos = std::max(0, d.ypos + my - s.last_y);
        } else {
          d.focus = TvString();
        }
      }
    } else {
      d.moving = 0;
    }
  }
  int32_t X = d.xpos, Y = d.ypos, W = d.self.width, H = d.self.height;
  // 5. title bar and border
  bool title_bar = d.moveable != 0 || !d.self.text.empty();
  int32_t B = Y;
  if (title_bar) {
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
  // 6. body
  draw_rect(X + 1, B + 1, W - 2, H - 2, light);
  // 7. resize grip
  int32_t gx = X + W - ch - 4, gy = B + H - ch - 4, gs = ch + 4;
  if (interactive && d.scaleable) {
    if (b1) {
      if (touches(mx, my, gx, gy, gs, gs) || d.scaling) {
        d.scaling = 1;
        d.self.width = std::max(0, W + mx - s.last_x);
        d.self.height = std::max(0, H + my - s.last_y);
      }
    } else {
      d.scaling = 0;
    }
  }
  if (d.scaleable) {
    VexuiColor grip = touches(mx, my, gx, gy, gs, gs) ? d.col_hover_norm : line;
    int32_t r0 = B + H - ch - 3, third = ch / 3;
    draw_rect(X + W - 5 - third, r0, third, 2, grip);
    draw_rect(X + W - 5 - (2 * ch) / 3, r0 + third, (2 * ch) / 3, 2, grip);
    draw_rect(X + W - 5 - ch, r0 + 2 * third, ch, 2, grip);
  }
  // 8.
  if (interactive) {
    s.last_x = mx;
    s.last_y = my;
  }
  // 9. content area
  int32_t cx = X + 3, cy = B + 3, area_w = W - 6, area_h = H - 6, start_y = cy;
  // 10. content scrolling (the top dialog only)
  if (interactive) {
    VexuiWidget& own = d.self;
    own.scroll_max = std::max(0, d.content_height - area_h - 12);
    if (own.scroll_max) own.scroll_max += 24;
    int32_t grip_room = d.scaleable ? std::max(32, 2 * ch) : 0;
    int32_t bar_h = area_h - grip_room;
    if (vexui_scrollbar_input(d, own, mx - cx + 10, my - cy, click, bar_h)) {
      if (area_w > 0 && area_h > 0) {
        set_viewport(cx, cy, area_w, area_h);
        vexui_draw_scrollbar(d, own, area_w, bar_h, area_h, 0);
      }
      area_w -= cw + 4;
      start_y -= own.scroll;
    }
  }
  // 11. layout walk
  VexuiCursor cursor;
  cursor.x = cx;
  cursor.y = start_y;
  VexuiLimits limits;
  limits.available = area_w;
  limits.left = cx;
  limits.right_clip = cx + area_w;
  limits.top_clip = cy;
  limits.bottom_clip = cy + area_h;
  VexuiPointer pointer;
  pointer.mx = mx;
  pointer.my = my;
  pointer.click = click;
  pointer.interactive = interactive;
  pointer.tips = timer_ms() - s.rest_time > 500;
  for (int32_t i = 0; i < array_total(d.order); ++i) vexui_layout_entry(d, i, cursor, limits, pointer);
  // 12. dialogs below the top are shaded
  set_viewport(0, 0, 0, 0);
  if (!interactive) {
    alpha_mode(-0.5);
    draw_rect(d.xpos, d.ypos, d.self.width, d.self.height + (title_bar ? ch + 4 : 0), 0);
    alpha_mode(0);
  }
  show_mouse(1);
  // 13.
  int32_t content = cursor.y + cursor.line_height - start_y + 2;
  if (interactive) d.content_height = content;
  if (interactive) vexui_wheel_scroll_dialog(d);  // a turn no widget took
  int32_t result = std::max(content, d.self.height);
  // 14. a modal action asked for by a handler runs once the dialog is drawn
  vexui_run_pending_action(at);
  return result;
}
