// show.h - the dialog stack and the per-frame show (push, pop and
// vexui_show are declared in vexui.h): every dialog is drawn, the top one
// takes the mouse and keyboard.
#pragma once
#include "vexui/state.h"

// One dialog's frame, content and deferred action, by its place in the
// stack (a deferred action may push dialogs and move the records); gives
// max(content height, dialog height).
int32_t vexui_show_dialog(int32_t dialog, int32_t interactive);
