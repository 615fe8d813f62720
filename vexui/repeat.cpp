// repeat.cpp - the signature of a frame (what it depends on, as bytes) and
// the decision to repeat the presented frame's toolkit part (repeat.h).
//
// Texts enter by their stamp (renewed at every write), never by content, so
// a megabyte code box costs eight bytes here. Everything else a frame reads
// enters by value. Exact bytes, not a hash: equal means equal.
#include "vexui/repeat.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <type_traits>

#include "runtime/frame/frame_loop.h"
#include "runtime/gfx2d/device.h"
#include "runtime/gfx2d/draw_batch.h"
#include "runtime/gfx2d/fonts.h"
#include "runtime/input/input.h"
#include "vexui/kinds.h"
#include "vexui/state.h"
#include "vexui/text.h"

namespace {

// A new field in these records must be added to the signature below.
static_assert(sizeof(VexuiWidget) == 184, "add the new widget field to put_widget");
static_assert(sizeof(VexuiDialog) == 424, "add the new dialog field to put_state");

template <typename T>
void put(std::string& out, const T& value) {
  static_assert(std::is_trivially_copyable_v<T>);
  out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

void put_text(std::string& out, const TvString& s) {
  put(out, s.length);
  out.append(s.data, s.length);
}

void put_text(std::string& out, const std::string& s) {
  put(out, s.size());
  out.append(s);
}

void put_widget(std::string& out, const VexuiWidget& w) {
  put_text(out, w.id);
  put_text(out, w.type);
  put(out, w.text_stamp);
  put(out, w.text.length);
  const int32_t numbers[] = {w.xpos,     w.ypos,   w.width,  w.height,   w.hover,      w.hide,
                             w.clicked,  w.select, w.count,  w.readonly, w.selstart,   w.selend,
                             w.scroll,   w.scroll_max, w.caret_x, w.caret_y, w.align, w.order_entry};
  put(out, numbers);
  const double values[] = {w.minval, w.maxval, w.step};
  put(out, values);
  put_text(out, w.filter);
  put_text(out, w.tiptext);
}

// The toolkit's state; false when something in it rules a repeat out.
bool put_state(std::string& out) {
  const VexuiState& s = vexui_state;
  out.clear();
  const int32_t numbers[] = {s.min_widget_size, s.glyph_tables_built, s.proportional, s.mouse_down,
                             s.last_x,          s.last_y,             s.rest_x,       s.rest_y,
                             s.key_repeat.last_key, s.modal.depth,    s.busy.sprite,  s.caps.range_elements};
  put(out, numbers);
  const double values[] = {s.touch_device, s.keyboard_open, s.rest_time, s.key_repeat.last_key_time};
  put(out, values);
  put(out, s.wheel.taken);
  put_text(out, s.wheel.parked_id);
  put(out, s.modal.close_requested);
  put(out, s.user_handler);
  for (int32_t i = 0; i < array_total(s.dialogs); ++i) {
    const VexuiDialog& d = s.dialogs(i);
    if (d.pending_action != VEXUI_NO_ACTION) return false;  // a modal dialog is about to run
    const int32_t flags[] = {d.moveable, d.moving, d.scaling, d.scaleable, d.xpos, d.ypos, d.content_height};
    put(out, flags);
    const VexuiColor colours[] = {d.col_bright, d.col_norm, d.col_hover_bright, d.col_hover_norm};
    put(out, colours);
    put_text(out, d.focus);
    put_text(out, d.inkey);
    put_text(out, d.pending_id);
    put_text(out, d.self.text);  // the title: short, and written without a stamp
    put_widget(out, d.self);
    put(out, array_total(d.links));
    for (int32_t k = 0; k < array_total(d.links); ++k) {
      const VexuiLink& l = d.links(k);
      put_text(out, l.src_id);
      put_text(out, l.dst_id);
      put_text(out, l.src_key);
      put_text(out, l.dst_key);
    }
    put(out, array_total(d.widgets));
    for (int32_t k = 0; k < array_total(d.widgets); ++k) {
      const VexuiWidget& w = d.widgets(k);
      if (!vexui_kind(w.type)) return false;  // a user widget: its handler draws unseen
      put_widget(out, w);
    }
    put(out, array_total(d.order));
    for (int32_t k = 0; k < array_total(d.order); ++k) {
      put_text(out, d.order(k).id);
      put(out, d.order(k).index);
    }
  }
  return true;
}

bool any_key_held() {
  refresh_keyboard();
  for (uint8_t k : input_device.key_states)
    if (k & 0x80) return true;
  return false;
}

bool any_focus() {
  for (int32_t i = 0; i < array_total(vexui_state.dialogs); ++i)
    if (!vexui_state.dialogs(i).focus.empty()) return true;
  return false;
}

// What a frame reads from outside the toolkit; false when something rules a
// repeat out (held keys and buttons repeat by time, typed characters wait).
bool put_inputs(std::string& out, int32_t only_top) {
  out.clear();
  put(out, only_top);
  RunState run = current_run_state();  // what the program left set: blend, alpha, target
  const int32_t device[] = {run.target,  run.viewport[0], run.viewport[1], run.viewport[2],
                            run.viewport[3], run.ortho_w, run.ortho_h, run.blend, run.alpha_test};
  put(out, device);
  put(out, run.constant_alpha);
  int sw, sh, fw, fh;
  screen_size(sw, sh);
  font_size(fw, fh);
  const int32_t screen[] = {sw, sh, fw, fh, graphics_device ? graphics_device->current_font : -1};
  put(out, screen);
  MouseReading m = mouse_state();
  if (m.left || m.right || input_device.buttons[2] || mouse_axis(2) != 0) return false;
  put(out, m.x);
  put(out, m.y);
  if (typed_waiting() > 0 || any_key_held()) return false;
  // the phases of time a frame shows: the caret's blink (text.cpp) and
  // tool tips coming due (frame.cpp)
  double now = timer_ms();
  bool caret_dim = any_focus() && vexui_caret_dim(now);
  bool tips_due = now - vexui_state.rest_time > 500;
  put(out, tips_due);
  put(out, caret_dim);  // last: blink_only compares what comes before it
  return true;
}

}  // namespace

bool vexui_repeat_frame(int32_t only_top, uint32_t& show) {
  VexuiRepeat& r = vexui_state.repeat;
  show = ++r.shows;
  bool allowed = put_inputs(r.now_inputs, only_top);
  allowed = put_state(r.now_state) && allowed;
  bool same = allowed && r.valid && r.now_inputs == r.inputs && r.now_state == r.after &&
              r.before == r.after;
  if (same && repeat_presented_part()) {
    ++r.repeated;
    return true;
  }
  // only the caret's blink phase moved on: the frame changes where the caret is
  r.blink_only = allowed && r.valid && r.now_state == r.after && r.before == r.after &&
                 r.now_inputs.size() == r.inputs.size() && !r.inputs.empty() &&
                 r.now_inputs.compare(0, r.inputs.size() - 1, r.inputs, 0, r.inputs.size() - 1) == 0;
  r.inputs.swap(r.now_inputs);
  r.before.swap(r.now_state);
  r.valid = allowed;
  return false;
}

void vexui_frame_recorded(uint32_t show) {
  VexuiRepeat& r = vexui_state.repeat;
  // a modal dialog ran inside this show: the signatures are its own
  bool blink_only = r.blink_only;
  r.blink_only = false;
  if (show != r.shows) {
    r.valid = false;
    return;
  }
  if (r.valid) r.valid = put_state(r.after);
  // the walk changed nothing either: what differs is what the caret noted
  if (blink_only && r.valid && r.after == r.before) part_changed_only_in_noted_areas();
}

int32_t vexui_rest_ms(int32_t longest) {
  constexpr int32_t kBusyMs = 75;  // wait_input's wait
  const VexuiRepeat& r = vexui_state.repeat;
  if (!r.valid || r.before != r.after) return std::min(longest, kBusyMs);
  double now = timer_ms();
  double wait = longest;
  if (any_focus()) wait = std::min(wait, vexui_caret_phase_left(now) + 1);
  double tips_at = vexui_state.rest_time + 500;
  if (now <= tips_at) wait = std::min(wait, tips_at - now + 1);
  return std::max<int32_t>(1, int32_t(wait));
}
