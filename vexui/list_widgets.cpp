// list_widgets.cpp - STAND-IN until the list widgets land.
#include "vexui/list_widgets.h"

void vexui_list_input(VexuiDialog&, VexuiWidget&, int32_t, int32_t, int32_t, int32_t) {}
void vexui_radio_input(VexuiDialog&, VexuiWidget&, int32_t, int32_t, int32_t, int32_t) {}
void vexui_tab_input(VexuiDialog&, VexuiWidget&, int32_t, int32_t, int32_t, int32_t) {}
TvString vexui_get_item(const TvString&, int32_t) { return TvString(); }
void vexui_insert_item(const TvString&, const TvString&, int32_t) {}
void vexui_delete_item(const TvString&, int32_t) {}
void vexui_select_tab(const TvString&, int32_t) {}
int32_t vexui_popup_list(int32_t, int32_t, int32_t, int32_t, const TvString&) { return -1; }
