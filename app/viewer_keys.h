// viewer_keys.h - the viewer's keys: which command this frame's key
// presses give, and the "Keys" box (F1) listing every key.
//
// A key counts on the frame it goes down, so holding it does one thing;
// after a dialog closes, the keys still held count only when pressed again.
#pragma once
#include <cstdint>

enum class ViewerCommand {
  none,
  next_snippet,       // Page Down
  previous_snippet,   // Page Up
  next_category,      // Ctrl+Page Down (wrapping)
  previous_category,  // Ctrl+Page Up (wrapping)
  category,           // Ctrl+1 .. Ctrl+6
  copy,               // Enter
  add,                // Ctrl+N
  edit,               // F2
  remove,             // Delete
  undo,               // Ctrl+Z
  redo,               // Ctrl+Y
  help,               // F1
  search,             // Ctrl+F
};

struct ViewerKeyPress {
  ViewerCommand command = ViewerCommand::none;
  int32_t category = -1;  // for ViewerCommand::category: 0 .. 5
};

struct ViewerKeys {
  uint8_t was_down[256] = {};
};

// The command of the key that went down since the last call. While an
// editable text widget has the focus, only the function keys count: the
// widget keeps Enter, Delete and the rest.
ViewerKeyPress viewer_read_keys(ViewerKeys& keys);
// Takes the keys held now as already seen (after a dialog closed).
void viewer_keys_settle(ViewerKeys& keys);

// The "Keys" box: every key of the viewer and what it does; OK, Enter or
// Escape close it.
void viewer_help_build();
int32_t viewer_help_step();  // VEXUI_DIALOG_RUNNING, then 1
void viewer_help();
