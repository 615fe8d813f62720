// kinds.h - one row per built-in widget type, shared by input and drawing,
// and the two dispatches that read it. A type without a row is a user
// widget: vexui_handle_user and the placeholder drawing.
//
// Adding a widget type: its family file (constructor, handler, drawing),
// one row here, one test file.
#pragma once
#include "vexui/state.h"

using VexuiInputFn = void (*)(VexuiDialog& dialog, VexuiWidget& widget, int32_t mx, int32_t my, int32_t click,
                              int32_t key_flag);
using VexuiDrawFn = void (*)(VexuiDialog& dialog, VexuiWidget& widget, int32_t yoff);

struct VexuiKind {
  const char* type;
  VexuiInputFn input;  // null: no input
  VexuiDrawFn draw;    // null: draws nothing
};

const VexuiKind* vexui_kind(const TvString& type);  // null for a user type
const VexuiKind* vexui_kinds(int32_t& count);

// Mouse relative to the widget's top-left. The one place hover is masked:
// outside the widget hover is 0 and the click and keys count as none; then
// the type's handler sets clicked, select, text, scroll and the focus.
// Widgets hidden or in a lower dialog are not handled, so they keep `clicked`.
void vexui_handle_input(VexuiDialog& dialog, VexuiWidget& widget, int32_t mx, int32_t my, int32_t click,
                        int32_t key_flag);
// Draws in a viewport already set to the widget's visible rectangle;
// yoff is 0, or negative for a widget partly scrolled out at the top.
void vexui_draw_widget(VexuiDialog& dialog, VexuiWidget& widget, int32_t yoff);
