// text_edit.cpp - STAND-IN until the text editor lands: one line per "\n", no editing.
#include "vexui/text_edit.h"

int32_t vexui_text_block(VexuiDialog&, VexuiWidget& widget, int32_t, int32_t, int32_t, int32_t, int32_t find) {
  if (find) return 0;
  int32_t lines = 1;
  for (uint32_t i = 0; i < widget.text.length; ++i) lines += widget.text.data[i] == '\n';
  return lines * 8;
}
void vexui_text_input(VexuiDialog&, VexuiWidget&, int32_t, int32_t, int32_t, int32_t) {}
