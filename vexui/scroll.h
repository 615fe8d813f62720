// scroll.h - the scroll bar (drawing and input side by side, with its
// measures) and the mouse wheel.
//
// A bar sits at the right edge of a list, a text widget or a dialog's
// content area. The wheel over a list or text widget scrolls it three rows;
// a turn elsewhere over a dialog with a bar scrolls its content three rows
// of its widgets. Away from the user scrolls up.
#pragma once
#include "vexui/state.h"

// The bar's width: a cell, at least 20 pixels.
int32_t vexui_scrollbar_width();
// What a list or text widget keeps clear of text and clicks at its right
// edge while it has a bar: the bar and its right margin.
int32_t vexui_scrollbar_inset();

// 0 when the widget has nothing to scroll, else 1 (a bar is shown). Mouse
// relative to the widget; a press on the bar drags it ("SB" + id is the
// dialog's focus meanwhile).
int32_t vexui_scrollbar_input(VexuiDialog& dialog, VexuiWidget& widget, int32_t mx, int32_t my, int32_t click,
                              int32_t height);
// The bar in a viewport `width` wide, `page` rows of the widget shown.
void vexui_draw_scrollbar(VexuiDialog& dialog, VexuiWidget& widget, int32_t width, int32_t height, int32_t page,
                          int32_t yoff);

// Called by a widget handler with the mouse over it: scrolls the widget's
// rows within 0..scroll_max; true when the wheel was turned this frame.
bool vexui_wheel_scroll_widget(VexuiWidget& widget);
// Called once per interactive frame of a dialog after its widgets: a turn
// that no widget took scrolls the dialog's content when the mouse is over it.
void vexui_wheel_scroll_dialog(VexuiDialog& dialog);
