// paint.cpp - text tables, measure and print, the two-colour fill, borders,
// frame box, tool tip and busy overlay.
#include "vexui/paint.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

#include "runtime/frame/frame_loop.h"
#include "runtime/gfx2d/device.h"
#include "runtime/gfx2d/fonts.h"
#include "runtime/gfx2d/sprites.h"
#include "runtime/io/platform_info.h"

namespace {

// The first sprite number from `from` whose slot holds no image.
int32_t empty_sprite(int32_t from) {
  for (int32_t n = from; n <= 4000; ++n) {
    int w, h;
    sprite_size(n, w, h);
    if (w == 0 && h == 0) return n;
  }
  return -1;
}

}  // namespace

void vexui_build_text_tables(int32_t proportional, int32_t spacing) {
  VexuiState& s = vexui_state;
  int32_t cw, ch;
  vexui_cell_size(cw, ch);
  s.glyph_tables_built = 256;
  s.proportional = 0;
  for (int c = 0; c < 256; ++c) {
    s.glyph_offset[c] = 0;
    s.glyph_advance[c] = cw;
  }
  if (!proportional) return;
  int32_t column = empty_sprite(1);
  int32_t glyph = column < 0 ? -1 : empty_sprite(column + 1);
  if (glyph < 0) return;  // no room: keep fixed cells
  s.proportional = 1;
  set_transparency(0x8000FF);
  set_viewport(0, 0, 0, 0);
  draw_rect(0, 0, cw, ch, 0xFFFFFF);
  grab_sprite(column, 0, 0, 1, ch);
  for (int c = 0; c < 256; ++c) {
    draw_rect(0, 0, cw + 2, ch + 2, 0x8000FF);
    char text[2] = {char(c), 0};
    print_text(TvString(text, 1), 1, 1);
    grab_sprite(glyph, 1, 1, cw, ch);
    int32_t first = -1, last = -1;
    for (int32_t k = 0; k < cw; ++k)
      if (sprite_collision(column, k, 0, glyph, 0, 0)) {
        if (first < 0) first = k;
        last = k;
      }
    int32_t offset = first < 0 ? 0 : first;
    int32_t advance = first < 0 ? 0 : last + spacing - offset;
    if (advance < 2) {  // an empty glyph
      advance = spacing + cw / 10;
      offset = 0;
    }
    s.glyph_offset[c] = offset;
    s.glyph_advance[c] = advance;
  }
  release_sprite_slot(column);
  release_sprite_slot(glyph);
  s.glyph_advance[' '] = s.glyph_advance['n'];
  s.glyph_offset[' '] = 0;
}

int32_t vexui_text_width(const TvString& text) {
  return vexui_text_width_within(text.data, text.length, INT32_MAX - 256);
}

int32_t vexui_text_width_within(const char* bytes, uint32_t n, int32_t limit) {
  const VexuiState& s = vexui_state;
  if (!s.proportional) {
    int32_t cw, ch;
    vexui_cell_size(cw, ch);
    return int32_t(std::min<int64_t>(int64_t(cw) * n, int64_t(limit) + 1));
  }
  int64_t width = 0;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes);
  for (uint32_t i = 0; i < n && width <= limit; ++i) width += s.glyph_advance[p[i]];
  return int32_t(std::min<int64_t>(width, int64_t(limit) + 1));
}

void vexui_print(const TvString& text, int32_t x, int32_t y, int32_t shadow) {
  if (shadow) {
    alpha_mode(-0.5);
    vexui_print(text, x + 1, y, 0);
    alpha_mode(0);
  }
  vexui_print_bytes(text.data, text.length, x, y);
}

void vexui_print_bytes(const char* bytes, uint32_t n, int32_t x, int32_t y) {
  const VexuiState& s = vexui_state;
  int32_t cw, ch;
  vexui_cell_size(cw, ch);
  int vx, vy, vw, vh;
  get_viewport(vx, vy, vw, vh);
  if (n == 0 || y + ch <= 0 || y >= vh || x >= vw) return;
  if (!s.proportional) {
    if (cw <= 0) return;
    int64_t first = x < 0 ? int64_t(-x) / cw : 0;
    int64_t end = std::min<int64_t>(n, (int64_t(vw) - x + cw - 1) / cw);
    if (first < end) print_text(TvString(bytes + first, uint32_t(end - first)), double(x + first * cw), y);
    return;
  }
  // a glyph's pixels lie within a cell of the pen, whatever its offset
  const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes);
  int64_t pen = x;
  for (uint32_t i = 0; i < n && pen < int64_t(vw) + cw; ++i) {
    if (pen + cw > 0) print_text(TvString(bytes + i, 1), double(pen - s.glyph_offset[p[i]]), y);
    pen += s.glyph_advance[p[i]];
  }
}

void vexui_fill2(VexuiColor c1, VexuiColor c2, double x, double y, double w, double h) {
  if (c1 == c2) {
    draw_rect(x, y, w, h, c1);
    return;
  }
  int32_t& range_elements = vexui_state.caps.range_elements;
  if (range_elements < 0) range_elements = string_to_int(platform_info(TvString("GLEXT:glDrawRangeElements"))) != 0;
  bool wide = w >= 0.65 * h;
  if (range_elements) {
    start_poly(-1, 2);
    if (wide) {
      poly_vector(float(x + w), float(y), 0, 0, c1);
      poly_vector(float(x), float(y), 0, 0, c1);
      poly_vector(float(x + w), float(y + 0.35 * h), 0, 0, c2);
      poly_vector(float(x), float(y + 0.35 * h), 0, 0, c2);
      poly_vector(float(x + w), float(y + h), 0, 0, c2);
      poly_vector(float(x), float(y + h), 0, 0, c2);
    } else {
      poly_vector(float(x), float(y), 0, 0, c1);
      poly_vector(float(x), float(y + h), 0, 0, c1);
      poly_vector(float(x + 0.35 * w), float(y), 0, 0, c2);
      poly_vector(float(x + 0.35 * w), float(y + h), 0, 0, c2);
      poly_vector(float(x + w), float(y), 0, 0, c2);
      poly_vector(float(x + w), float(y + h), 0, 0, c2);
    }
    end_poly();
    return;
  }
  if (wide) {
    draw_rect(x, y, w, 0.35 * h, c1);
    draw_rect(x, y + 0.35 * h, w, 0.65 * h + 0.99, c2);
  } else {
    draw_rect(x, y, 0.35 * w, h, c1);
    draw_rect(x + 0.35 * w, y, 0.65 * w + 0.99, h, c2);
  }
}

void vexui_outline(int32_t x, int32_t y, int32_t w, int32_t h, VexuiColor colour) {
  draw_rect(x + 1, y, w - 2, 1, colour);
  draw_rect(x, y + 1, 1, h - 2, colour);
  draw_rect(x + w - 1, y + 1, 1, h - 2, colour);
  draw_rect(x + 1, y + h - 1, w - 2, 1, colour);
}

void vexui_draw_frame_box(VexuiDialog& dialog, VexuiWidget& frame, int32_t v) {
  int32_t cw, ch;
  vexui_cell_size(cw, ch);
  int32_t W = frame.width, H = frame.height, O = ch / 2;
  VexuiColor line = dialog.col_norm;
  alpha_mode(-0.5);
  draw_rect(2, v + O + 1, W - 4, 1, line);
  draw_rect(1, v + O + 2, 1, H - O - 4, line);
  draw_rect(W - 2, v + O + 2, 1, H - O - 4, line);
  draw_rect(2, v + H - 2, W - 4, 1, line);
  alpha_mode(0);
  draw_rect(1, v + O, W - 2, 1, line);
  draw_rect(0, v + O + 1, 1, H - O - 2, line);
  draw_rect(W - 1, v + O + 1, 1, H - O - 2, line);
  draw_rect(1, v + H - 1, W - 2, 1, line);
  draw_rect(4, v, vexui_text_width(frame.text) + 16, ch, dialog.col_bright);
  vexui_print(frame.text, 8, v, 0);
}

void vexui_draw_tooltip(VexuiDialog& dialog, VexuiWidget& widget) {
  int32_t cw, ch;
  vexui_cell_size(cw, ch);
  TvArray<TvString> lines;
  const TvString& tip = widget.tiptext;
  // lines at "\n"; blank lines keep their row
  uint32_t start = 0;
  for (uint32_t i = 0; i <= tip.length; ++i)
    if (i == tip.length || tip.data[i] == '\n') {
      array_push(lines, TvString(tip.data + start, i - start));
      start = i + 1;
    }
  int32_t count = array_total(lines);
  int32_t tw = 0;
  for (int32_t i = 0; i < count; ++i) tw = std::max(tw, vexui_text_width(lines(i)));
  if (count == 1) tw = std::max(widget.width, tw);
  int32_t th = count * ch;
  int32_t bx = std::max(0, widget.xpos + (widget.width - tw) / 2 - 1);
  int32_t by = std::max(0, widget.ypos - th - 2);
  alpha_mode(-0.7);
  draw_rect(bx, by, tw + 2, th + 2, dialog.col_hover_bright);
  alpha_mode(0);
  vexui_outline(bx, by, tw + 2, th + 2, dialog.col_norm);
  for (int32_t i = 0; i < count; ++i)
    vexui_print(lines(i), bx + 1 + (tw - vexui_text_width(lines(i))) / 2, by + 1 + i * ch, 0);
}

void vexui_busy(int32_t on, int32_t sprite) {
  VexuiBusy& b = vexui_state.busy;
  if (!on) {
    if (b.sprite >= 0) release_sprite_slot(b.sprite);
    b = VexuiBusy{};
    return;
  }
  double now = timer_ms();
  if (now - b.last < 16.7) return;
  b.last = now;
  int sw, sh;
  screen_size(sw, sh);
  set_viewport(0, 0, 0, 0);
  if (b.sprite < 0) {
    b.sprite = sprite >= 0 ? sprite : free_sprite_slot();
    if (b.sprite < 0) return;
    grab_sprite(b.sprite, 0, 0, sw, sh);
  }
  draw_sprite(b.sprite, 0, 0);
  alpha_mode(-0.5);
  draw_rect(0, 0, sw, sh, 0);
  alpha_mode(0);
  for (int i = 0; i < 5; ++i) {
    double f = std::fabs(std::sin((i / 5.0 * 90.0 + 0.1 * now) * M_PI / 180.0));
    int32_t grey = int32_t(f * 225 + 30);
    draw_rect(sw / 2 + (i - 2) * 24 - 8, sh / 2 - 16, 16, 32, grey | grey << 8 | grey << 16);
  }
  show_frame();
}

void vexui_cell_size(int32_t& cw, int32_t& ch) {
  int w, h;
  font_size(w, h);
  cw = w;
  ch = h > 0 ? h : 1;  // no font yet: one row per pixel rather than a division by zero
}
