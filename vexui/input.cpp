// input.cpp - click state, the input handlers of the core widget types, the
// scroll bar and the deferred modal actions.
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
//   LIST, RADIO, TAB   1 on a release changing select  (list_widgets)
//   TEXT               (text_edit)
//   scroll bars        -                               focus = "SB" + id while dragged
//
// Widgets hidden or in a lower dialog are not handled, so they keep `clicked`.
#include "vexui/input.h"

#include <algorithm>
#include <cmath>

#include "runtime/gfx2d/device.h"
#include "runtime/gfx2d/fonts.h"
#include "runtime/input/input.h"
#include "runtime/io/file_request.h"
#include "runtime/io/platform_info.h"
#include "runtime/values/string_lib.h"
#include "vexui/dialogs.h"
#include "vexui/keyboard.h"
#include "vexui/kinds.h"
#include "vexui/list_widgets.h"
#include "vexui/text_edit.h"

namespace {

bool starts_with(const TvString& text, const char* prefix) {
  size_t n = std::strlen(prefix);
  return text.length >= n && std::memcmp(text.data, prefix, n) == 0;
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

// ---- handlers -------------------------------------------------------------------

void vexui_widget_input(VexuiDialog& dialog, VexuiWidget& w, int32_t, int32_t, int32_t click, int32_t) {
  w.clicked = click == 1;
  w.height = vexui_text_block(dialog, w, 0, 0, w.width, 0, 0);
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

void vexui_checkbox_input(VexuiDialog&, VexuiWidget& w, int32_t, int32_t, int32_t click, int32_t) {
  if (w.readonly) return;
  w.clicked = click == 1;
  if (w.clicked) w.select = 1 - w.select;
}

void vexui_combo_input(VexuiDialog& dialog, VexuiWidget& w, int32_t, int32_t, int32_t click, int32_t) {
  w.clicked = 0;
  if (click == 1) {
    dialog.pending_action = VEXUI_POPUP_LIST;
    dialog.pending_id = w.id;
  }
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
    w.clicked = 1;
  }
  if (click == 1 && held) dialog.focus = TvString();
}

void vexui_file_input(VexuiDialog&, VexuiWidget& w, int32_t, int32_t, int32_t click, int32_t) {
  if (w.readonly) return;
  if (w.filter.empty()) w.filter = "*.*";
  w.clicked = 0;
  if (click != 1) return;
  TvString result = file_request(1, w.filter);
  if (result == "NO_FILE") result = TvString();
  w.text = result;
  w.clicked = 1;
}

void vexui_user_input(VexuiDialog&, VexuiWidget& w, int32_t, int32_t, int32_t, int32_t) { vexui_handle_user(w); }

void vexui_handle_input(VexuiDialog& dialog, VexuiWidget& w, int32_t mx, int32_t my, int32_t click,
                        int32_t key_flag) {
  if (mx < 0 || my < 0 || mx >= w.width || my >= w.height) {
    w.hover = 0;
    click = 0;
    key_flag = 0;
  } else {
    w.hover = 1;
  }
  const VexuiKind* kind = vexui_kind(w.type);
  VexuiInputFn input = kind ? kind->input : vexui_user_input;
  if (input) input(dialog, w, mx, my, click, key_flag);
}

int32_t vexui_scrollbar_input(VexuiDialog& dialog, VexuiWidget& w, int32_t mx, int32_t my, int32_t,
                              int32_t h) {
  if (w.scroll_max <= 0) {
    w.scroll = 0;
    w.scroll_max = 0;
    return 0;
  }
  if (w.scroll > w.scroll_max) w.scroll = w.scroll_max;
  int cw, ch;
  font_size(cw, ch);
  int32_t sw = std::max(cw, 20);
  bool down = mouse_state().left != 0;
  TvString bar_focus = TvString("SB") + w.id;
  bool dragging = dialog.focus == bar_focus;
  bool on_bar = mx >= w.width - sw && mx < w.width && my >= 0 && my < h;
  if (!dragging && !(down && on_bar)) return 1;
  dialog.focus = bar_focus;
  int32_t g = std::max(2, h / w.scroll_max);
  int64_t span = int64_t(h) - g;
  w.scroll = span <= 0 ? 0
                       : int32_t(std::max<int64_t>(0, std::min<int64_t>(w.scroll_max, int64_t(my) * w.scroll_max / span)));
  if (!down) dialog.focus = TvString();
  return 1;
}

void vexui_run_pending_action(int32_t at) {
  VexuiDialog& d = vexui_state.dialogs(at);
  int32_t action = d.pending_action;
  d.pending_action = VEXUI_NO_ACTION;
  if (action == VEXUI_NO_ACTION) return;
  TvString id = d.pending_id;
  int32_t i = vexui_find_widget(d, id, 0);
  if (i < 0) return;
  TvString text = d.widgets(i).text;
  // the modal dialogs push onto the stack and may move every record: look
  // the widget up again afterwards
  auto widget = [&]() -> VexuiWidget& {
    VexuiDialog& again = vexui_state.dialogs(at);
    return again.widgets(vexui_find_widget(again, id, 1));
  };
  if (action == VEXUI_COLOR_PICKER) {
    VexuiColor colour = string_to_int(string_mid(text, 5, 64));
    VexuiColor chosen = vexui_color_dialog(colour);
    VexuiWidget& w = widget();
    w.text = TvString("SPR_C") + chosen;
    w.clicked = 1;
  } else if (action == VEXUI_TEXT_ENTRY) {
    TvString result = vexui_text_entry(text, 0);
    widget().text = result;
  } else if (action == VEXUI_POPUP_LIST) {
    int sw, sh;
    screen_size(sw, sh);
    const VexuiWidget& w = d.widgets(i);
    int32_t chosen = vexui_popup_list(std::min(sw - 16, w.xpos), w.ypos, w.width, std::max(16, sh - w.ypos), text);
    if (chosen >= 0) {
      VexuiWidget& again = widget();
      again.select = chosen;
      again.clicked = 1;
    }
  }
}
