// actions.cpp - running a dialog's deferred action: each opens a built-in
// modal dialog and writes what it gave back into the widget that asked.
#include "vexui/actions.h"

#include <algorithm>

#include "runtime/gfx2d/device.h"
#include "runtime/values/string_lib.h"
#include "vexui/dialogs.h"
#include "vexui/keyboard.h"
#include "vexui/model.h"
#include "vexui/popup.h"

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
    vexui_text_written(w);
    w.clicked = 1;
  } else if (action == VEXUI_TEXT_ENTRY) {
    TvString result = vexui_text_entry(text, 0);
    widget().text = result;
    vexui_text_written(widget());
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
