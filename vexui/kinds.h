// kinds.h - one row per built-in widget type, shared by input and drawing.
// A type without a row is a user widget: vexui_handle_user and the
// placeholder drawing.
#pragma once
#include "vexui/model.h"

using VexuiInputFn = void (*)(VexuiDialog& dialog, VexuiWidget& widget, int32_t mx, int32_t my, int32_t click,
                              int32_t key_flag);
using VexuiDrawFn = void (*)(VexuiDialog& dialog, VexuiWidget& widget, int32_t yoff);

struct VexuiKind {
  const char* type;
  VexuiInputFn input;  // null: no input
  VexuiDrawFn draw;    // null: draws nothing
};

const VexuiKind* vexui_kind(const TvString& type);  // null for a user type
const VexuiKind* vexui_kinds(int32_t& count);

// Handlers of the core types (input.cpp) and their drawing (draw.cpp).
void vexui_widget_input(VexuiDialog&, VexuiWidget&, int32_t, int32_t, int32_t, int32_t);
void vexui_button_input(VexuiDialog&, VexuiWidget&, int32_t, int32_t, int32_t, int32_t);
void vexui_checkbox_input(VexuiDialog&, VexuiWidget&, int32_t, int32_t, int32_t, int32_t);
void vexui_combo_input(VexuiDialog&, VexuiWidget&, int32_t, int32_t, int32_t, int32_t);
void vexui_slider_input(VexuiDialog&, VexuiWidget&, int32_t, int32_t, int32_t, int32_t);
void vexui_file_input(VexuiDialog&, VexuiWidget&, int32_t, int32_t, int32_t, int32_t);
void vexui_draw_text_block_widget(VexuiDialog&, VexuiWidget&, int32_t);
void vexui_draw_button(VexuiDialog&, VexuiWidget&, int32_t);
void vexui_draw_checkbox(VexuiDialog&, VexuiWidget&, int32_t);
void vexui_draw_radio(VexuiDialog&, VexuiWidget&, int32_t);
void vexui_draw_list(VexuiDialog&, VexuiWidget&, int32_t);
void vexui_draw_text(VexuiDialog&, VexuiWidget&, int32_t);
void vexui_draw_combo(VexuiDialog&, VexuiWidget&, int32_t);
void vexui_draw_slider(VexuiDialog&, VexuiWidget&, int32_t);
void vexui_draw_tab(VexuiDialog&, VexuiWidget&, int32_t);
void vexui_draw_file(VexuiDialog&, VexuiWidget&, int32_t);
