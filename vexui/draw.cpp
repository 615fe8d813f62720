// draw.cpp - the look of each widget type.
#include "vexui/draw.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "runtime/gfx2d/device.h"
#include "runtime/gfx2d/fonts.h"
#include "runtime/gfx2d/sprites.h"
#include "runtime/values/string_lib.h"
#include "vexui/kinds.h"
#include "vexui/paint.h"
#include "vexui/text_edit.h"

namespace {

struct Pair {
  VexuiColor light, line;
};

// (light, line) normally; the hover colours while hovered and not read-only.
Pair face_pair(const VexuiDialog& d, const VexuiWidget& w) {
  if (w.hover <= 0 || w.readonly) return {d.col_bright, d.col_norm};
  return {d.col_hover_bright, d.col_hover_norm};
}

bool starts_with(const TvString& text, const char* prefix) {
  size_t n = std::strlen(prefix);
  return text.length >= n && std::memcmp(text.data, prefix, n) == 0;
}

// A button's or combo's face content: a sprite, a colour swatch or the
// caption centred in `width` x `height`.
void draw_face_content(const TvString& text, int32_t ix, int32_t iy, int32_t iw, int32_t ih, int32_t width,
                       int32_t height, int32_t yoff) {
  if (starts_with(text, "SPR_B")) {
    stretch_sprite(string_to_int(string_mid(text, 5, -1)), ix + 1, iy + 1, iw - 2, ih - 2);
  } else if (starts_with(text, "SPR_C")) {
    draw_rect(ix, iy, iw, ih, string_to_int(string_mid(text, 5, -1)));
  } else {
    int32_t cw, ch;
    vexui_cell_size(cw, ch);
    vexui_print(text, (width - vexui_text_width(text)) / 2, yoff + (height - ch) / 2, 0);
  }
}

}  // namespace

void vexui_draw_text_block_widget(VexuiDialog& d, VexuiWidget& w, int32_t yoff) {
  alpha_mode(-0.7);
  vexui_text_block(d, w, 0, yoff, w.width, 1, 0);
  alpha_mode(0);
}

void vexui_draw_button(VexuiDialog& d, VexuiWidget& w, int32_t yoff) {
  int32_t W = w.width, H = w.height;
  Pair p = face_pair(d, w);
  vexui_fill2(p.light, p.line, 1, yoff + 1, W - 2, H - 2);
  int32_t inset = w.select ? 2 : 1;
  if (w.hover <= 0) alpha_mode(-0.8);
  draw_face_content(w.text, inset, yoff + inset, W - 2 * inset, H - 2 * inset, W, H, yoff);
  alpha_mode(0);
  vexui_outline(0, yoff, W, H, w.select ? d.col_hover_norm : p.line);
}

void vexui_draw_checkbox(VexuiDialog& d, VexuiWidget& w, int32_t yoff) {
  int32_t cw, ch;
  vexui_cell_size(cw, ch);
  int32_t W = w.width;
  if (w.hover > 0 && !w.readonly) {
    VexuiColor c = d.col_hover_bright;
    draw_rect(2, yoff + 1, W - 3, 1, c);
    draw_rect(1, yoff + 2, 1, ch - 3, c);
    draw_rect(W - 1, yoff + 2, 1, ch - 3, c);
    draw_rect(2, yoff + ch - 1, W - 3, 1, c);
  }
  vexui_print(w.text, int32_t(1.7 * cw + 1), yoff + 1, w.select != 0);
  Pair box = w.select ? Pair{d.col_hover_bright, d.col_hover_norm} : Pair{d.col_bright, d.col_norm};
  vexui_fill2(box.light, box.line, 3, yoff + 3, ch - 4, ch - 4);
  vexui_outline(3, yoff + 3, ch - 4, ch - 4, box.line);
}

void vexui_draw_radio(VexuiDialog& d, VexuiWidget& w, int32_t yoff) {
  int32_t cw, ch;
  vexui_cell_size(cw, ch);
  TvArray<TvString> items;
  vexui_split_items(w.text, items);
  int32_t W = w.width;
  for (int32_t i = 0; i < array_total(items); ++i) {
    int32_t y = yoff + i * ch;
    if (y > w.height) break;
    if (i == w.hover && !w.readonly) {
      VexuiColor c = d.col_hover_bright;
      draw_rect(1, y, W - 3, 1, c);
      draw_rect(0, y + 1, 1, ch - 3, c);
      draw_rect(W - 2, y + 1, 1, ch - 3, c);
      draw_rect(1, y + ch - 2, W - 3, 1, c);
    }
    vexui_print(items(i), int32_t(1.7 * cw), y, i == w.select);
    Pair b = i == w.select ? Pair{d.col_hover_bright, d.col_hover_norm} : Pair{d.col_bright, d.col_norm};
    vexui_fill2(b.light, b.line, 3, y + 2, ch - 6, ch - 6);
    vexui_outline(3, y + 2, ch - 6, ch - 6, b.line);
  }
}

void vexui_draw_list(VexuiDialog& d, VexuiWidget& w, int32_t yoff) {
  int32_t cw, ch;
  vexui_cell_size(cw, ch);
  TvArray<TvString> items;
  vexui_split_items(w.text, items);
  w.count = array_total(items);
  int32_t W = w.width, H = w.height;
  for (int32_t i = std::max(w.scroll, 0); i < w.count && ch > 0; ++i) {
    int32_t y = yoff + (i - w.scroll) * ch;
    if (y > H) break;
    bool selected = i == w.select;
    if (selected) {
      if (i == w.hover) vexui_fill2(d.col_hover_bright, d.col_hover_norm, 0, y, W - 1, ch - 1);
      else vexui_fill2(d.col_hover_norm, d.col_hover_bright, 0, y, W - 1, ch - 1);
    } else if (i == w.hover) {
      VexuiColor c = d.col_hover_bright;
      draw_rect(2, y, W - 4, 1, c);
      draw_rect(1, y + 1, 1, ch - 3, c);
      draw_rect(W - 2, y + 1, 1, ch - 3, c);
      draw_rect(2, y + ch - 2, W - 4, 1, c);
    }
    vexui_print(items(i), 4, y, selected);
  }
  vexui_outline(0, yoff, W, H, d.col_norm);
  vexui_draw_scrollbar(d, w, W, H, ch > 0 ? H / ch : 0, yoff);
}

void vexui_draw_text(VexuiDialog& d, VexuiWidget& w, int32_t yoff) {
  int32_t cw, ch;
  vexui_cell_size(cw, ch);
  int32_t W = w.width, H = w.height;
  if (w.readonly) draw_rect(1, yoff + 1, W - 2, H - 2, d.col_bright);
  vexui_text_block(d, w, cw / 2, yoff - ch * w.scroll, vexui_text_area_width(w), 1, 0);
  vexui_draw_scrollbar(d, w, W, H, ch > 0 ? H / ch : 0, yoff);
  vexui_outline(0, yoff, W, H, d.col_norm);
}

void vexui_draw_combo(VexuiDialog& d, VexuiWidget& w, int32_t yoff) {
  int32_t cw, ch;
  vexui_cell_size(cw, ch);
  int32_t W = w.width, H = w.height;
  Pair p = face_pair(d, w);
  vexui_fill2(p.light, p.line, 1, yoff + 1, W - 2, H - 2);
  vexui_fill2(d.col_hover_bright, d.col_hover_norm, W - 2 * cw, yoff + 1, 2 * cw - 1, H - 2);
  start_poly(-1, 1);
  poly_vector(float(W - 1.7 * cw), float(yoff + 0.2 * H), 0, 0, p.light);
  poly_vector(float(W - cw), float(yoff + 0.8 * H), 0, 0, p.light);
  poly_vector(float(W - 0.3 * cw), float(yoff + 0.2 * H), 0, 0, p.light);
  end_poly();
  TvArray<TvString> items;
  vexui_split_items(w.text, items);
  TvString shown = w.select >= 0 && w.select < array_total(items) ? items(w.select) : TvString();
  int32_t face = W - 2 * cw;
  if (w.hover <= 0) alpha_mode(-0.8);
  draw_face_content(shown, 1, yoff + 1, face - 1, H - 2, face, H, yoff);
  alpha_mode(0);
  vexui_outline(0, yoff, W, H, p.line);
}

void vexui_draw_slider(VexuiDialog& d, VexuiWidget& w, int32_t yoff) {
  int32_t W = w.width, H = w.height;
  VexuiColor line = w.hover > 0 ? d.col_hover_norm : d.col_norm;
  draw_rect(0, yoff + H / 2, W, 3, d.col_norm);
  double value = string_to_number(w.text);
  double range = w.maxval - w.minval;
  // an empty range puts the knob at the start
  double f = range != 0 ? (value - w.minval) / range : 0;
  f = std::min(1.0, std::max(0.0, f));
  float x = float(f * (W - 12) + 6);
  float top = float(yoff + 2), bottom = float(yoff + H - 2);
  start_poly(-1, 0);
  poly_vector(x, bottom, 0, 0, line);
  poly_vector(x - 5, bottom - 5, 0, 0, line);
  poly_vector(x - 5, top, 0, 0, line);
  poly_vector(x + 5, top, 0, 0, line);
  poly_vector(x + 5, bottom - 5, 0, 0, line);
  end_poly();
  vexui_outline(0, yoff, W, H, line);
}

void vexui_draw_tab(VexuiDialog& d, VexuiWidget& w, int32_t yoff) {
  int32_t cw, ch;
  vexui_cell_size(cw, ch);
  int32_t W = w.width, H = w.height;
  draw_rect(0, yoff, W, H - 1, d.col_bright);
  TvArray<TvString> items;
  vexui_split_items(w.text, items);
  int32_t count = array_total(items);
  int32_t selected_x = -1, selected_w = 0;
  TvString selected_caption;
  for (int32_t i = 0, x = 0; i < count; ++i) {
    const TvString& item = items(i);
    const char* comma = static_cast<const char*>(std::memchr(item.data, ',', item.length));
    TvString caption(item.data, comma ? uint32_t(comma - item.data) : item.length);
    int32_t tw = std::max(vexui_state.min_widget_size, vexui_text_width(caption) + cw);
    if (i == w.select) {
      selected_x = x;
      selected_w = tw;
      selected_caption = caption;
    } else {
      vexui_fill2(d.col_bright, d.col_norm, x + 1, yoff + 4, tw - 1, H - 4);
      vexui_outline(x + 1, yoff + 4, tw - 1, H - 4, d.col_norm);
      vexui_print(caption, x + cw / 2, yoff + 5, 0);
    }
    x += tw;
  }
  if (selected_x >= 0) {  // raised above its neighbours
    vexui_fill2(d.col_hover_bright, d.col_hover_norm, selected_x, yoff + 1, selected_w, H);
    vexui_outline(selected_x, yoff + 1, selected_w, H, d.col_hover_norm);
    vexui_print(selected_caption, selected_x + cw / 2, yoff + 5, 1);
  }
  draw_rect(0, yoff + H - 1, W - 1, 1, d.col_norm);
}

void vexui_draw_file(VexuiDialog& d, VexuiWidget& w, int32_t yoff) {
  int32_t cw, ch;
  vexui_cell_size(cw, ch);
  int32_t W = w.width, H = w.height;
  Pair p = face_pair(d, w);
  vexui_fill2(p.light, p.line, 0, yoff, W, H);
  int32_t side = int32_t(1.2 * ch);
  vexui_fill2(0xFF5050, 0xFF0000, 1, yoff + 1, side, side);
  for (int32_t k = 0; k < 4; ++k)  // lines of text on the page
    draw_rect(3, yoff + 3 + k * side / 5, side - 4 - (k % 2) * side / 4, 1, 0xC0C0C0);
  const char* slash = nullptr;
  for (uint32_t i = 0; i < w.text.length; ++i)
    if (w.text.data[i] == '/') slash = w.text.data + i;
  uint32_t from = slash ? uint32_t(slash - w.text.data) + 1 : 0;
  vexui_print(TvString(w.text.data + from, w.text.length - from), side + 3, yoff + 3, 0);
  vexui_outline(0, yoff, W, H, p.line);
}

void vexui_draw_widget(VexuiDialog& d, VexuiWidget& w, int32_t yoff) {
  const VexuiKind* kind = vexui_kind(w.type);
  if (kind) {
    if (kind->draw) kind->draw(d, w, yoff);
    return;
  }
  vexui_fill2(0, 0xFFFFFF, 0, yoff, w.width, w.height);
  vexui_print(TvString("user: id=") + w.id, 0, yoff, 0);
}
