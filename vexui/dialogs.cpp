// dialogs.cpp - STAND-IN until the built-in dialogs land: every dialog is cancelled.
#include "vexui/dialogs.h"

int32_t vexui_message_box(const TvString&, int32_t yes_no, const TvString&) { return yes_no ? 0 : 1; }
TvString vexui_file_dialog(const TvString&, int32_t) { return TvString(); }
VexuiColor vexui_color_dialog(VexuiColor colour) { return colour; }
