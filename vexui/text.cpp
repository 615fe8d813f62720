// text.cpp - the text widget family: the "TEXT" constructor, the text block
// renderer (also behind labels), hit-testing, the editor and the paste rule.
//
// Layout comes from the cache in text_layout.cpp; drawing walks only the
// rows inside the current viewport, and of each row only the characters
// up to its right edge, so a long read-only text, or one line of
// megabytes, costs per frame about what a short one does.
#include "vexui/text.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "runtime/frame/frame_loop.h"
#include "runtime/gfx2d/device.h"
#include "runtime/gfx2d/draw_batch.h"
#include "runtime/gfx2d/fonts.h"
#include "runtime/input/input.h"
#include "runtime/input/scan_codes.h"
#include "runtime/platform/clipboard.h"
#include "runtime/values/string_lib.h"
#include "vexui/model.h"
#include "vexui/paint.h"
#include "vexui/scroll.h"
#include "vexui/text_layout.h"

namespace {

int32_t clamp_index(int64_t i, int32_t length) { return int32_t(std::clamp<int64_t>(i, 0, length)); }

// Prints one row's characters [from, to) at pen (x, y). A "\n" can only end
// a row, and the block's trailing space is not printed.
void print_row(const TvString& text, int32_t from, int32_t to, int32_t x, int32_t y) {
  int32_t end = std::min<int32_t>(to, int32_t(text.length));
  if (end > from && text.data[end - 1] == '\n') --end;
  if (end > from) vexui_print_bytes(text.data + from, uint32_t(end - from), x, y);
}

void draw_rows(const VexuiDialog& dialog, const VexuiWidget& w, const VexuiTextLayout& layout, int32_t x0,
               int32_t y0, int32_t ch, int32_t sel_lo, int32_t sel_hi) {
  int vx, vy, vw, vh;
  get_viewport(vx, vy, vw, vh);
  if (vh <= 0) screen_size(vw, vh);
  int32_t rows = int32_t(layout.row_start.size());
  int64_t first = std::max<int64_t>(0, (-int64_t(y0)) / ch - 1);
  int64_t last = std::min<int64_t>(rows - 1, (int64_t(vh) - y0) / ch + 1);
  for (int64_t r = first; r <= last; ++r) {
    int32_t from = layout.row_start[size_t(r)];
    int32_t to = r + 1 < rows ? layout.row_start[size_t(r + 1)] : layout.length;
    int32_t y = int32_t(y0 + r * ch);
    if (sel_lo < sel_hi && sel_lo < to && sel_hi > from) {
      int32_t x = x0, sx = 0, sw = 0;
      // what lies past the right edge is not walked
      for (int32_t i = from; i < to && x < vw; ++i) {
        int32_t adv = vexui_state.glyph_advance[vexui_block_char(w.text, i)];
        if (i == sel_lo || (i == from && sel_lo < from)) sx = x;
        if (i >= sel_lo && i < sel_hi) sw += adv;
        x += adv;
      }
      if (sw > 0) draw_rect(sx, y, sw, ch, dialog.col_hover_norm);
    }
    print_row(w.text, from, to, x0, y);
  }
}

void draw_caret(VexuiWidget& w, const VexuiTextLayout& layout, int32_t x0, int32_t y0, int32_t ch, int32_t caret) {
  int32_t row = vexui_layout_row(layout, caret);
  int32_t x = vexui_layout_x(layout, w.text, caret);
  int32_t adv = vexui_state.glyph_advance[vexui_block_char(w.text, caret)];
  w.caret_x = x + adv / 2;
  w.caret_y = row * ch + ch / 2;
  bool dim = vexui_caret_dim(timer_ms());
  if (dim) alpha_mode(-0.5);
  draw_rect(x0 + x - 1, y0 + row * ch, 2, ch, 0);
  // what changes when only the blink does (repeat.cpp)
  note_changing_area(float(x0 + x - 1), float(y0 + row * ch), float(x0 + x + 1), float(y0 + row * ch + ch));
  if (dim) alpha_mode(0);
}

}  // namespace

int32_t vexui_text_block(VexuiDialog& dialog, VexuiWidget& w, int32_t x0, int32_t y0, int32_t width, int32_t draw,
                         int32_t find) {
  int32_t cw, ch;
  vexui_cell_size(cw, ch);
  const VexuiTextLayout& layout = vexui_text_layout(w.text, width, w.text_stamp);
  if (find) return vexui_layout_find(layout, w.text, x0, y0, ch);
  int32_t length = int32_t(w.text.length);
  bool focused = !w.id.empty() && dialog.focus == w.id;
  if (focused) {
    w.selstart = clamp_index(w.selstart, length);
    w.selend = clamp_index(w.selend, length);
  } else {
    w.selstart = w.selend = -1;  // a widget without the focus shows no selection
  }
  if (draw) {
    draw_rows(dialog, w, layout, x0, y0, ch, std::min(w.selstart, w.selend), std::max(w.selstart, w.selend));
    if (focused) draw_caret(w, layout, x0, y0, ch, w.selend);
  }
  return int32_t(layout.row_start.size()) * ch;
}

TvString vexui_paste_text(const TvString& clipboard) {
  TvString out;
  for (uint32_t i = 0; i < clipboard.length; ++i) {
    char c = clipboard.data[i];
    if (c == '\r') {
      if (i + 1 < clipboard.length && clipboard.data[i + 1] == '\n') ++i;
      string_append_char(out, '\n');
    } else if (c == '\t') {
      string_append(out, "    ");
    } else {
      string_append_char(out, c);
    }
  }
  return out;
}

namespace {

struct EditKeys {
  TvString typed;
  bool backspace = false, del = false, shift = false, copy = false, paste = false;
  int32_t h = 0, v = 0;
  bool any() const { return !typed.empty() || backspace || del || h || v; }
};

// Every typed character waiting, in typing order: the on-screen keyboard's
// one pending key, else the whole queue.
TvString take_typed(VexuiDialog& dialog) {
  if (!dialog.inkey.empty()) {
    TvString typed = dialog.inkey;
    dialog.inkey = TvString();
    return typed;
  }
  TvString typed;
  for (TvString c = typed_key(); !c.empty(); c = typed_key()) typed += c;
  return typed;
}

// The scan-code keys of a frame, unless a key handled less than 150 ms ago
// is still held; `typed_any` says whether characters came this frame.
EditKeys read_keys(VexuiWidget& w, int32_t ch, bool typed_any) {
  EditKeys k;
  VexuiKeyRepeat& rep = vexui_state.key_repeat;
  double now = timer_ms();
  int32_t guard = now - rep.last_key_time <= 150 ? rep.last_key : 0;
  if (guard != 0 && key_state(guard)) return k;

  int32_t handled = 0;
  auto held = [&](int32_t code) {
    if (!key_state(code)) return false;
    if (!handled) handled = code;
    return true;
  };
  bool ctrl = key_state(SCAN_LEFT_CTRL) || key_state(SCAN_RIGHT_CTRL);
  if (ctrl && key_state(SCAN_C)) k.copy = true, handled = SCAN_LEFT_CTRL;
  if (ctrl && key_state(SCAN_V)) k.paste = true, handled = SCAN_LEFT_CTRL;
  // A press of Backspace types "\b" into the queue and is handled there, in
  // order with the characters before it; the scan code only repeats it.
  if (!typed_any && held(SCAN_BACKSPACE)) k.backspace = true;
  if (held(SCAN_DELETE)) k.del = true;
  if (held(SCAN_TAB)) k.typed = " ";
  k.v = int32_t(held(SCAN_DOWN)) - int32_t(held(SCAN_UP));
  k.h = int32_t(held(SCAN_RIGHT)) - int32_t(held(SCAN_LEFT));
  k.shift = key_state(SCAN_LEFT_SHIFT) || key_state(SCAN_RIGHT_SHIFT);
  if (held(SCAN_HOME)) {
    w.caret_x = 0;
    w.caret_y += ch;
    k.v = -1;
  }
  if (held(SCAN_END)) {
    w.caret_x = w.width;
    w.caret_y += ch;
    k.v = -1;
  }
  if (handled) {
    rep.last_key = handled;
    rep.last_key_time = now;
  }
  return k;
}

void copy_selection(const VexuiWidget& w) {
  int32_t length = int32_t(w.text.length);
  int32_t a = clamp_index(w.selstart, length), b = clamp_index(w.selend, length);
  if (a == b) return;
  if (a > b) std::swap(a, b);
  platform_clipboard_set(std::string(w.text.data + a, size_t(b - a)));
}

void apply_keys(VexuiDialog& dialog, VexuiWidget& w, EditKeys& k, int32_t width, int32_t ch) {
  int32_t length = int32_t(w.text.length);
  auto find = [&](int32_t v) {
    return vexui_text_block(dialog, w, w.caret_x, w.caret_y + v * ch, width, 0, 1);
  };
  if (k.shift && (k.h || k.v)) {  // extend the selection
    int64_t p = k.v ? find(k.v) : int64_t(clamp_index(w.selend, length)) + k.h;
    w.selstart = clamp_index(w.selstart, length);
    w.selend = clamp_index(p, length);
    return;
  }
  int32_t a = clamp_index(w.selstart, length), b = clamp_index(w.selend, length);
  TvString text = w.text;
  int64_t p = k.v ? find(k.v) : int64_t(a) + k.h;
  if (a != b && (k.backspace || k.del || !k.typed.empty())) {
    if (a > b) std::swap(a, b);
    text = string_mid(w.text, 0, a) + string_mid(w.text, b, length - b);
    k.backspace = k.del = false;
    if (!k.v) p = a + k.h;
  }
  TvString left = string_mid(text, 0, a);
  TvString right = string_mid(text, a, int32_t(text.length) - a);
  if (k.del && right.length) right = string_mid(right, 1, int32_t(right.length) - 1);
  if (k.backspace) {
    if (left.length) string_truncate(left, left.length - 1);
    p -= 1;
  }
  if (!k.typed.empty()) {
    left += k.typed;
    p += k.typed.length;
  }
  w.text = left + right;
  vexui_text_written(w);
  w.selstart = w.selend = clamp_index(p, int32_t(w.text.length));
}

// Each typed character with the rules of a typed character, in typing order
// ("\b" is Backspace); a read-only widget takes them and keeps its text.
// True when any came.
bool type_characters(VexuiDialog& dialog, VexuiWidget& w, int32_t width, int32_t ch) {
  TvString typed = take_typed(dialog);
  bool backspace_typed = false;
  for (uint32_t i = 0; i < typed.length && !w.readonly; ++i) {
    EditKeys k;
    if (typed.data[i] == 8) {
      k.backspace = backspace_typed = true;
    } else {
      k.typed = TvString(typed.data + i, 1);
    }
    apply_keys(dialog, w, k, width, ch);
  }
  if (backspace_typed) {  // a held Backspace repeats only after the usual pause
    vexui_state.key_repeat.last_key = SCAN_BACKSPACE;
    vexui_state.key_repeat.last_key_time = timer_ms();
  }
  if (!typed.empty() && !w.readonly && vexui_state.wheel.parked_id == w.id.c_str())
    vexui_state.wheel.parked_id.clear();
  return !typed.empty();
}

void edit(VexuiDialog& dialog, VexuiWidget& w, int32_t width, int32_t ch, bool typed_any) {
  EditKeys k = read_keys(w, ch, typed_any);
  if (k.copy) copy_selection(w);
  if (k.paste && !w.readonly) k.typed += vexui_paste_text(TvString(platform_clipboard_get().c_str()));
  if (w.readonly) {
    k.typed = TvString();
    k.backspace = k.del = false;
  }
  if (!k.any()) return;
  apply_keys(dialog, w, k, width, ch);
  if (vexui_state.wheel.parked_id == w.id.c_str()) vexui_state.wheel.parked_id.clear();
}

// The view follows the caret by one row per frame, while the caret is the
// one shown (the widget has the focus) and the wheel has not moved the view.
void follow_caret(const VexuiDialog& dialog, VexuiWidget& w, int32_t ch) {
  if (dialog.focus != w.id || vexui_state.wheel.parked_id == w.id.c_str()) return;
  if (w.height + ch * w.scroll < ch + w.caret_y && w.scroll < w.scroll_max) w.scroll += 1;
  if (w.caret_y - ch < ch * w.scroll && w.scroll > 0) w.scroll -= 1;
}

}  // namespace

int32_t vexui_text_area_width(const VexuiWidget& w) {
  int32_t cw, ch;
  vexui_cell_size(cw, ch);
  // text starts half a cell in; with a bar it ends where the bar begins
  if (w.scroll_max != 0) return w.width - vexui_scrollbar_inset() - cw / 2;
  return w.width - cw;
}

void vexui_text_input(VexuiDialog& dialog, VexuiWidget& w, int32_t mx, int32_t my, int32_t click, int32_t) {
  int32_t cw, ch;
  vexui_cell_size(cw, ch);
  int32_t text_width = vexui_text_area_width(w);
  int32_t lines = (vexui_text_block(dialog, w, 0, 0, text_width, 0, 0) - w.height) / ch;
  w.scroll_max = lines > 0 ? lines + 1 : 0;
  int32_t bar = vexui_scrollbar_input(dialog, w, mx, my, click, w.height);

  bool focused = dialog.focus == w.id;
  bool over = mx >= 0 && mx < w.width - bar * vexui_scrollbar_inset() && my >= 0 && my < w.height;
  bool takes_keys = focused || over;
  // every character typed so far goes in before this frame's click moves the caret
  bool typed_any = takes_keys && type_characters(dialog, w, text_width, ch);
  if (over) {
    if (click != 0) {
      dialog.focus = w.id;
      w.selend = 0;
    }
    if (click == 1 && !w.readonly && vexui_state.keyboard_open == 0 && vexui_state.touch_device != 0) {
      dialog.pending_action = VEXUI_TEXT_ENTRY;
      dialog.pending_id = w.id;
    }
    if (click == 0 && mouse_axis(3) != 0) click = 1;  // a drag moves the caret end
    if (click != 0) {
      int32_t length = int32_t(w.text.length);
      int32_t pos = clamp_index(vexui_text_block(dialog, w, mx, my + ch * w.scroll, text_width, 0, 1), length);
      if (click == -1) w.selstart = pos;
      w.selend = pos;
      w.selstart = clamp_index(w.selstart, length);
      vexui_state.wheel.parked_id.clear();
    }
    if (vexui_wheel_scroll_widget(w)) vexui_state.wheel.parked_id = w.id.c_str();
  }
  if (takes_keys) edit(dialog, w, text_width, ch, typed_any);
  follow_caret(dialog, w, ch);
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

void vexui_text(const TvString& id, const TvString& text, int32_t width, int32_t height) {
  int32_t i = vexui_add_widget_index(id, text, width, height);
  vexui_top().widgets(i).type = "TEXT";
}
