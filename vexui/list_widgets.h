// list_widgets.h - list, radio, tab and the pop-up list; item operations.
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
// Modal pick list; the chosen item's index or -1.
int32_t vexui_popup_list(int32_t x, int32_t y, int32_t width, int32_t height, const TvString& items);
