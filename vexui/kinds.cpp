// kinds.cpp - the type table and the dispatch of input and drawing by it.
#include "vexui/kinds.h"

#include "vexui/buttons.h"
#include "vexui/lists.h"
#include "vexui/model.h"
#include "vexui/paint.h"
#include "vexui/text.h"

namespace {

const VexuiKind kinds[] = {
    {"WIDGET", vexui_widget_input, vexui_draw_text_block_widget},
    {"BUTTON", vexui_button_input, vexui_draw_button},
    {"CHECKBOX", vexui_checkbox_input, vexui_draw_checkbox},
    {"RADIO", vexui_radio_input, vexui_draw_radio},
    {"SLIDER", vexui_slider_input, vexui_draw_slider},
    {"FILE", vexui_file_input, vexui_draw_file},
    {"LIST", vexui_list_input, vexui_draw_list},
    {"TEXT", vexui_text_input, vexui_draw_text},
    {"TAB", vexui_tab_input, vexui_draw_tab},
    {"COMBO", vexui_combo_input, vexui_draw_combo},
    {"SPACER", nullptr, nullptr},
    {"FRAME", nullptr, nullptr},
    {"UNFRAME", nullptr, nullptr},
};

void user_input(VexuiDialog&, VexuiWidget& w, int32_t, int32_t, int32_t, int32_t) { vexui_handle_user(w); }

}  // namespace

const VexuiKind* vexui_kind(const TvString& type) {
  for (const VexuiKind& k : kinds)
    if (type == k.type) return &k;
  return nullptr;
}

const VexuiKind* vexui_kinds(int32_t& count) {
  count = int32_t(sizeof kinds / sizeof kinds[0]);
  return kinds;
}

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
  VexuiInputFn input = kind ? kind->input : user_input;
  if (input) input(dialog, w, mx, my, click, key_flag);
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
