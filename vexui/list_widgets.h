// list_widgets.h - list, radio, tab and the pop-up list; item operations.
//
// Items are one text with "|" between them; empty parts do not count.
// `select` is an item index or -1, and every handler keeps it inside the
// items. `clicked` of a list, radio or tab is 1 only on the release that
// changes the selection. A wheel turn over a list scrolls it three rows.
#pragma once
#include "vexui/model.h"

void vexui_list_input(VexuiDialog& dialog, VexuiWidget& widget, int32_t mx, int32_t my, int32_t click,
                      int32_t key_flag);
void vexui_radio_input(VexuiDialog& dialog, VexuiWidget& widget, int32_t mx, int32_t my, int32_t click,
                       int32_t key_flag);
void vexui_tab_input(VexuiDialog& dialog, VexuiWidget& widget, int32_t mx, int32_t my, int32_t click,
                     int32_t key_flag);

TvString vexui_get_item(const TvString& id, int32_t index);  // index < 0: the selected item
void vexui_insert_item(const TvString& id, const TvString& item, int32_t index);
void vexui_delete_item(const TvString& id, int32_t index);
void vexui_select_tab(const TvString& id, int32_t index);

// Modal pick list; the chosen item's index or -1 (a press outside, Escape).
int32_t vexui_popup_list(int32_t x, int32_t y, int32_t width, int32_t height, const TvString& items);
// Its parts: the build pushes the dialog (false, and nothing pushed, when
// there are no items); one step shows a frame and gives -2 while the list
// stays open, else the result. The caller pops the dialog.
bool vexui_popup_build(int32_t x, int32_t y, int32_t width, int32_t height, const TvString& items);
int32_t vexui_popup_step();

// Items in `text` without splitting it.
int32_t vexui_count_items(const TvString& text);
