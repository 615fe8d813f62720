// dialogs.h - the built-in modal dialogs: message box, file chooser, colour picker.
#pragma once
#include "vexui/model.h"

int32_t vexui_message_box(const TvString& text, int32_t yes_no, const TvString& caption);  // 1 Yes/OK, 0 No
TvString vexui_file_dialog(const TvString& filter, int32_t save);                          // "" when cancelled
VexuiColor vexui_color_dialog(VexuiColor colour);  // the given colour when cancelled
