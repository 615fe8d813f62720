// stack.h - the dialog stack and the per-frame show: every dialog is drawn,
// the top one takes the mouse and keyboard.
#pragma once
#include "vexui/model.h"

void vexui_push_dialog(int32_t x, int32_t y, int32_t width, int32_t height);
void vexui_pop_dialog();
// Moves or resizes the top dialog (only for a positive size), then clears
// every widget's hover and click.
void vexui_set_dialog_rect(int32_t x, int32_t y, int32_t width, int32_t height);
// Called once per frame before show_frame; only_top = 0 also draws (and
// shades) the dialogs below the top one.
void vexui_show(int32_t only_top);
// One dialog's frame, content and deferred action, by its place in the
// stack (a deferred action may push dialogs and move the records); gives
// max(content height, dialog height).
int32_t vexui_show_dialog(int32_t dialog, int32_t interactive);
