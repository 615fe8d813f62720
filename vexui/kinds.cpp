// kinds.cpp - the type table.
#include "vexui/kinds.h"

#include "vexui/list_widgets.h"
#include "vexui/text_edit.h"

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
