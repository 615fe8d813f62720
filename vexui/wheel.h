// wheel.h - the mouse wheel: a turn over a list or text widget scrolls it
// three rows; a turn elsewhere over a dialog with a scroll bar scrolls its
// content three rows of its widgets. Away from the user scrolls up.
#pragma once
#include "vexui/model.h"

// Called by a widget handler with the mouse over it: scrolls the widget's
// rows within 0..scroll_max; true when the wheel was turned this frame.
bool vexui_wheel_scroll_widget(VexuiWidget& widget);
// Called once per interactive frame of a dialog after its widgets: a turn
// that no widget took scrolls the dialog's content when the mouse is over it.
void vexui_wheel_scroll_dialog(VexuiDialog& dialog);
