// popup.h - the pop-up pick list (vexui_popup_list in vexui.h runs it): a
// combo box's items, and any menu an application shows the same way.
#pragma once
#include "vexui/state.h"

// The build pushes the dialog (false, and nothing pushed, when there are no
// items); one step shows a frame and gives VEXUI_DIALOG_RUNNING while the
// list stays open, else the chosen item's index or -1 (a press outside,
// Escape). The runner (or a test) pops the dialog.
bool vexui_popup_build(int32_t x, int32_t y, int32_t width, int32_t height, const TvString& items);
int32_t vexui_popup_step();
