// draw.h - drawing of one widget by its type, in a viewport already set to
// the widget's visible rectangle (coordinates relative to its corner).
#pragma once
#include "vexui/model.h"

// yoff is 0, or negative for a widget partly scrolled out at the top.
void vexui_draw_widget(VexuiDialog& dialog, VexuiWidget& widget, int32_t yoff);
