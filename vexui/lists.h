// lists.h - the list family: lists, radio groups and tab strips (their
// constructors and item operations are public in vexui.h); the handlers
// and drawing the kinds table names, and the tabs' one measure.
//
// Items are one text with "|" between them; empty parts do not count.
// `select` is an item index or -1, and every handler keeps it inside the items.
#pragma once
#include "vexui/state.h"

void vexui_list_input(VexuiDialog& dialog, VexuiWidget& widget, int32_t mx, int32_t my, int32_t click,
                      int32_t key_flag);
void vexui_radio_input(VexuiDialog& dialog, VexuiWidget& widget, int32_t mx, int32_t my, int32_t click,
                       int32_t key_flag);
void vexui_tab_input(VexuiDialog& dialog, VexuiWidget& widget, int32_t mx, int32_t my, int32_t click,
                     int32_t key_flag);
void vexui_draw_list(VexuiDialog&, VexuiWidget&, int32_t);
void vexui_draw_radio(VexuiDialog&, VexuiWidget&, int32_t);
void vexui_draw_tab(VexuiDialog&, VexuiWidget&, int32_t);

// Where each tab's face lies along the strip (x from the strip's left) and
// its caption: drawing and hit-testing both read this.
struct VexuiTabExtent {
  int32_t x = 0, width = 0;
  TvString caption;
};
void vexui_tab_extents(const VexuiWidget& tab, TvArray<VexuiTabExtent>& out);
