// input.h - the mouse reduced to a click state, the per-type input handlers
// and the deferred modal actions.
#pragma once
#include "vexui/model.h"

// -1 on the frame the left button goes down, +1 on the frame it comes up
// after such a press, else 0. Updates the mouse tracking state.
int32_t vexui_click_state(int32_t mx, int32_t my, int32_t left_down);
// Mouse relative to the widget's top-left; hover, clicked, select, text,
// scroll and the dialog's focus are the results.
void vexui_handle_input(VexuiDialog& dialog, VexuiWidget& widget, int32_t mx, int32_t my, int32_t click,
                        int32_t key_flag);
// 0 when the widget has nothing to scroll, else 1 (a bar is shown).
int32_t vexui_scrollbar_input(VexuiDialog& dialog, VexuiWidget& widget, int32_t mx, int32_t my, int32_t click,
                              int32_t height);
// Runs and clears the top-most pending action of the dialog at `dialog`.
void vexui_run_pending_action(int32_t dialog);
