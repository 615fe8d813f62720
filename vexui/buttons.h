// buttons.h - the button family: labels ("WIDGET"), buttons, check boxes,
// combo boxes, sliders and file fields (their constructors are public in
// vexui.h); the handlers and drawing the kinds table names.
#pragma once
#include "vexui/state.h"

void vexui_widget_input(VexuiDialog&, VexuiWidget&, int32_t, int32_t, int32_t, int32_t);
void vexui_button_input(VexuiDialog&, VexuiWidget&, int32_t, int32_t, int32_t, int32_t);
void vexui_checkbox_input(VexuiDialog&, VexuiWidget&, int32_t, int32_t, int32_t, int32_t);
void vexui_combo_input(VexuiDialog&, VexuiWidget&, int32_t, int32_t, int32_t, int32_t);
void vexui_slider_input(VexuiDialog&, VexuiWidget&, int32_t, int32_t, int32_t, int32_t);
void vexui_file_input(VexuiDialog&, VexuiWidget&, int32_t, int32_t, int32_t, int32_t);
void vexui_draw_text_block_widget(VexuiDialog&, VexuiWidget&, int32_t);
void vexui_draw_button(VexuiDialog&, VexuiWidget&, int32_t);
void vexui_draw_checkbox(VexuiDialog&, VexuiWidget&, int32_t);
void vexui_draw_combo(VexuiDialog&, VexuiWidget&, int32_t);
void vexui_draw_slider(VexuiDialog&, VexuiWidget&, int32_t);
void vexui_draw_file(VexuiDialog&, VexuiWidget&, int32_t);

// One button per sprite, each as large as the largest sprite, then a new line.
void vexui_sprite_buttons(const TvArray<TvString>& ids, const TvArray<double>& sprites);
