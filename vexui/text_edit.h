// text_edit.h - the text block renderer and the text widget's editor.
#pragma once
#include "vexui/model.h"

// find = 0: the height in pixels of the widget's text laid out in `width`,
// drawn at (x0, y0) when draw != 0; find != 0: the character index at (x0, y0).
int32_t vexui_text_block(VexuiDialog& dialog, VexuiWidget& widget, int32_t x0, int32_t y0, int32_t width,
                         int32_t draw, int32_t find);
// The "TEXT" widget's input handler (mouse relative to the widget).
void vexui_text_input(VexuiDialog& dialog, VexuiWidget& widget, int32_t mx, int32_t my, int32_t click,
                      int32_t key_flag);
