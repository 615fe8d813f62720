// buttons.cpp - the button family: labels ("WIDGET"), buttons, check boxes,
// combo boxes, sliders and file fields; each type's constructor, input
// handler and drawing together.
//
// When each result is set (click = -1 press edge, +1 release edge, hover
// masked to 0 outside the widget, where click counts as 0):
//
//   type               clicked                         other results
//   WIDGET, BUTTON     1 on a release over it          BUTTON "SPR_C": colour picker after the frame
//   CHECKBOX           1 on a release over it          select toggles; read-only: nothing
//   COMBO              0 here; 1 once the pop-up picks  pop-up list after the frame
//   FILE               1 on a release (after the file dialog, also when cancelled)
//   SLIDER             1 on each frame a drag sets it  focus = id from the press until a release over it
#include "vexui/buttons.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "runtime/gfx2d/device.h"
#include "runtime/gfx2d/sprites.h"
#include "runtime/input/input.h"
#include "runtime/io/file_request.h"
#include "runtime/values/string_lib.h"
#include "vexui/lists.h"
#include "vexui/model.h"
#include "vexui/paint.h"
#include "vexui/text.h"

namespace {

bool starts_with(const char* bytes, uint32_t length, const char* prefix) {
  size_t n = std::strlen(prefix);
  return length >= n && std::memcmp(bytes, prefix, n) == 0;
}
bool starts_with(const TvString& text, const char* prefix) { return starts_with(text.data, text.length, prefix); }

// The number after a five-letter prefix ("SPR_B12"), read from a few bytes only.
int32_t number_after_prefix(const char* bytes, uint32_t length) {
  return string_to_int(TvString(bytes + 5, std::min<uint32_t>(length - 5, 24)));
}

struct Pair {
  VexuiColor light, line;
};

// (light, line) normally; the hover colours while hovered and not read-only.
Pair face_pair(const VexuiDialog& d, const VexuiWidget& w) {
  if (w.hover <= 0 || w.readonly) return {d.col_bright, d.col_norm};
  return {d.col_hover_bright, d.col_hover_norm};
}

// A button's or combo's face content: a sprite, a colour swatch or the
// caption centred in `width` x `height`. A caption wider than the face
// shows its start; it is measured no further than the face is wide.
void draw_face_content(const char* text, uint32_t length, int32_t ix, int32_t iy, int32_t iw, int32_t ih,
                       int32_t width, int32_t height, int32_t yoff) {
  if (starts_with(text, length, "SPR_B")) {
    stretch_sprite(number_after_prefix(text, length), ix + 1, iy + 1, iw - 2, ih - 2);
  } else if (starts_with(text, length, "SPR_C")) {
    draw_rect(ix, iy, iw, ih, number_after_prefix(text, length));
  } else {
    int32_t cw, ch;
    vexui_cell_size(cw, ch);
    int32_t x = std::max(0, (width - vexui_text_width_within(text, length, std::max(width, 0))) / 2);
    vexui_print_bytes(text, length, x, yoff + (height - ch) / 2);
  }
}

}  // namespace

// ---- labels ------------------------------------------------------------------

void vexui_widget_input(VexuiDialog& dialog, VexuiWidget& w, int32_t, int32_t, int32_t click, int32_t) {
  w.clicked = click == 1;
  w.height = vexui_text_block(dialog, w, 0, 0, w.width, 0, 0);
}

void vexui_draw_text_block_widget(VexuiDialog& d, VexuiWidget& w, int32_t yoff) {
  alpha_mode(-0.7);
  vexui_text_block(d, w, 0, yoff, w.width, 1, 0);
  alpha_mode(0);
}

// ---- buttons -----------------------------------------------------------------

void vexui_button(const TvString& id, const TvString& text, int32_t width, int32_t height) {
  int32_t i = vexui_add_widget_index(id, text, width, height);
  vexui_top().widgets(i).type = "BUTTON";
}

void vexui_button_input(VexuiDialog& dialog, VexuiWidget& w, int32_t, int32_t, int32_t click, int32_t) {
  bool swatch = starts_with(w.text, "SPR_C");
  if (w.readonly && swatch) return;
  w.clicked = click == 1;
  if (w.clicked && swatch && !w.readonly) {
    dialog.pending_action = VEXUI_COLOR_PICKER;
    dialog.pending_id = w.id;
  }
}

void vexui_draw_button(VexuiDialog& d, VexuiWidget& w, int32_t yoff) {
  int32_t W = w.width, H = w.height;
  Pair p = face_pair(d, w);
  vexui_fill2(p.light, p.line, 1, yoff + 1, W - 2, H - 2);
  int32_t inset = w.select ? 2 : 1;
  if (w.hover <= 0) alpha_mode(-0.8);
  draw_face_content(w.text.data, w.text.length, inset, yoff + inset, W - 2 * inset, H - 2 * inset, W, H, yoff);
  alpha_mode(0);
  vexui_outline(0, yoff, W, H, w.select ? d.col_hover_norm : p.line);
}

void vexui_sprite_buttons(const TvArray<TvString>& ids, const TvArray<double>& sprites) {
  int32_t n = std::min(array_total(ids), array_total(sprites));
  int32_t most_w = 0, most_h = 0;
  for (int32_t k = 0; k < n; ++k) {
    int w, h;
    sprite_size(int(sprites.elements[k]), w, h);
    most_w = std::max(most_w, int32_t(w));
    most_h = std::max(most_h, int32_t(h));
  }
  for (int32_t k = 0; k < n; ++k) {
    TvString text = TvString("SPR_B") + int32_t(sprites.elements[k]);
    vexui_button(ids.elements[k], text, most_w, most_h);
  }
  vexui_spacer(10000, 0);
}

// ---- check boxes -------------------------------------------------------------

void vexui_checkbox(const TvString& id, const TvString& text, int32_t width, int32_t height) {
  int32_t cw, ch;
  vexui_cell_size(cw, ch);
  if (width == 0) width = vexui_text_width(text) + 2 * cw;
  int32_t i = vexui_add_widget_index(id, text, width, height);
  vexui_top().widgets(i).type = "CHECKBOX";
}

void vexui_checkbox_input(VexuiDialog&, VexuiWidget& w, int32_t, int32_t, int32_t click, int32_t) {
  if (w.readonly) return;
  w.clicked = click == 1;
  if (w.clicked) w.select = 1 - w.select;
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

// ---- combo boxes -------------------------------------------------------------

void vexui_combo(const TvString& id, const TvString& items, int32_t width, int32_t height) {
  int32_t cw, ch;
  vexui_cell_size(cw, ch);
  vexui_list(id, items, width, height == 0 ? ch : height);
  VexuiDialog& d = vexui_top();
  // the list made the widget under this id or, for an empty id, the last one named
  int32_t i = vexui_find_widget(d, id.empty() ? d.order(-1).id : id, 0);
  d.widgets(i).type = "COMBO";
}

void vexui_combo_input(VexuiDialog& dialog, VexuiWidget& w, int32_t, int32_t, int32_t click, int32_t) {
  w.clicked = 0;
  if (click == 1) {
    dialog.pending_action = VEXUI_POPUP_LIST;
    dialog.pending_id = w.id;
  }
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
  uint32_t from = 0, length = 0;
  if (!vexui_item_span(w.text, w.text_stamp, w.select, from, length)) length = 0;
  int32_t face = W - 2 * cw;
  if (w.hover <= 0) alpha_mode(-0.8);
  draw_face_content(w.text.data + from, length, 1, yoff + 1, face - 1, H - 2, face, H, yoff);
  alpha_mode(0);
  vexui_outline(0, yoff, W, H, p.line);
}

// ---- sliders -----------------------------------------------------------------

void vexui_slider(const TvString& id, double value, int32_t width, int32_t height) {
  if (width == 0) width = 100;
  if (height == 0) height = 16;
  int32_t i = vexui_add_widget_index(id, string_from_number(value), width, height);
  vexui_top().widgets(i).type = "SLIDER";
}

void vexui_slider_input(VexuiDialog& dialog, VexuiWidget& w, int32_t mx, int32_t my, int32_t click, int32_t) {
  if (w.readonly) return;
  w.clicked = 0;  // a pulse of the frames whose drag sets the value
  if (click == -1 && mx > 0 && mx < w.width && my > 0 && my < w.height) dialog.focus = w.id;
  bool held = dialog.focus == w.id;
  if (held && mouse_axis(3) != 0) {
    // a slider 9 pixels wide or less has no track to measure along
    double track = w.width - 9;
    double f = track > 0 ? std::min(1.0, std::max(0.0, (mx - 5) / track)) : (mx > 5 ? 1.0 : 0.0);
    double value = w.minval + f * (w.maxval - w.minval);
    TvString text;
    if (w.step > 0) {
      double stepped = w.step * std::trunc(value / w.step + 0.4);
      // rounding to the step must not leave the range
      double lo = std::min(w.minval, w.maxval), hi = std::max(w.minval, w.maxval);
      text = string_from_number(std::min(hi, std::max(lo, stepped)));
    } else {
      text = string_format_number(0, 2, value);
    }
    w.text = text;
    vexui_text_written(w);
    w.clicked = 1;
  }
  if (click == 1 && held) dialog.focus = TvString();
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

// ---- file fields -------------------------------------------------------------

void vexui_file(const TvString& id, const TvString& text, const TvString& filter, int32_t width, int32_t height) {
  int32_t cw, ch;
  vexui_cell_size(cw, ch);
  if (width == 0) width = 12 * cw;
  int32_t i = vexui_add_widget_index(id, text, width, height);
  VexuiWidget& w = vexui_top().widgets(i);
  w.type = "FILE";
  w.filter = filter;
}

void vexui_file_input(VexuiDialog&, VexuiWidget& w, int32_t, int32_t, int32_t click, int32_t) {
  if (w.readonly) return;
  if (w.filter.empty()) w.filter = "*.*";
  w.clicked = 0;
  if (click != 1) return;
  TvString result = file_request(1, w.filter);
  if (result == "NO_FILE") result = TvString();
  w.text = result;
  vexui_text_written(w);
  w.clicked = 1;
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
