// state.cpp - the toolkit's one state record and the default user-widget
// handler it starts with.
#include "vexui/state.h"

#include "runtime/frame/frame_loop.h"
#include "runtime/frame/lifecycle.h"
#include "runtime/gfx2d/device.h"
#include "runtime/gfx2d/fonts.h"
#include "runtime/input/input.h"

VexuiState vexui_state;

VexuiDialog& vexui_top() { return vexui_state.dialogs(-1); }

void vexui_default_user_handler(VexuiWidget& widget) {
  set_viewport(0, 0, 0, 0);
  draw_rect(0, 0, 1024, 1024, 4227327);
  print_text("Must overwrite: vexui_handle_user", 0, 0);
  print_text(TvString("for item: ") + widget.id, 0, 20);
  print_text(TvString("type=") + widget.type, 0, 40);
  show_frame();
  wait_key();
  end_program();
}
