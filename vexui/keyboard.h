// keyboard.h - the text entry dialog with its on-screen keyboard.
//
// Key buttons do not edit: each puts its character into the dialog's
// "INKEY", which the focused edit box takes on the next frame as a typed
// character. A tab strip switches the key pages; capitals are one-shot.
#pragma once
#include <string>
#include <vector>

#include "vexui/state.h"

// vexui_text_entry, the whole dialog, is declared in vexui.h.

// The dialog's state across frames and page changes.
struct VexuiTextEntry {
  TvString start_text;               // what Cancel gives back
  int32_t accents = 0;
  int32_t page = 1;                  // 0 "ABC", 1 "abc", 2 "123", 3 accented
  int32_t saved_min_widget_size = 0;
  TvString text;                     // the edit box across rebuilds
  int32_t selstart = 0, selend = 0;
  std::vector<std::string> keys;     // ids of the key buttons of the page
  TvString result;
};
void vexui_text_entry_build(VexuiTextEntry& entry);   // pushes the dialog
void vexui_text_entry_page(VexuiTextEntry& entry);    // (re)builds the widgets of the current page
// VEXUI_DIALOG_RUNNING while it runs, 1 after OK, 0 after Cancel; `result` holds the text.
int32_t vexui_text_entry_step(VexuiTextEntry& entry);
void vexui_text_entry_close(VexuiTextEntry& entry);   // pops, restores the toolkit state
