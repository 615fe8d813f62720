// actions.h - the deferred actions of a frame: what a widget's handler asks
// for that needs a modal dialog of its own (the colour picker of a swatch
// button, the text entry of a touch device, a combo box's pop-up list). The
// handler only records it; it runs once its dialog has been drawn.
#pragma once
#include <cstdint>

// Runs and clears the pending action of the dialog at `dialog` in the stack.
void vexui_run_pending_action(int32_t dialog);
