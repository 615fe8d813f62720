// dialogs.h - the built-in modal dialogs: message box, file chooser, colour picker.
//
// Each is a build (pushes the dialog and its widgets) and a step (one shown
// frame and its checks) handed to the modal runner, so a test can build one
// and step it with input of its own. Escape cancels the dialog on top. The
// whole dialogs (vexui_message_box, ...) are declared in vexui.h.
#pragma once
#include "vexui/state.h"

void vexui_message_box_build(const TvString& text, int32_t yes_no, const TvString& caption);
int32_t vexui_message_box_step(int32_t yes_no);  // VEXUI_DIALOG_RUNNING, 1 or 0

// The file chooser's state across its frames and directories.
struct VexuiFileChooser {
  TvString filter;
  int32_t save = 0;
  TvString start_dir;  // restored when the dialog ends
  TvString result;     // the chosen absolute path, "" when cancelled
  TvString message;    // why the chosen file cannot be used; told by the loop
};
void vexui_file_dialog_build(VexuiFileChooser& chooser);
// VEXUI_DIALOG_RUNNING, or 1 when a file was chosen, 0 when cancelled. A
// chosen directory is entered within the step (the dialog is built anew).
int32_t vexui_file_dialog_step(VexuiFileChooser& chooser);
// Pops the chooser and goes back to the directory it started in.
void vexui_file_dialog_finish(VexuiFileChooser& chooser);
// The full path for `name` in the current directory, with the filter's
// extension appended when missing; a name beginning with "/" is absolute.
TvString vexui_file_dialog_path(const TvString& name, const TvString& filter);

struct VexuiColorPicker {
  VexuiColor start = 0;
  VexuiColor colour = 0;
};
void vexui_color_dialog_build(VexuiColorPicker& picker);
int32_t vexui_color_dialog_step(VexuiColorPicker& picker);  // VEXUI_DIALOG_RUNNING, 1 OK, 0 Cancel
// Colour from the three components and the brightness slider (0..1, 0.5 neutral).
VexuiColor vexui_color_mix(double r, double g, double b, double brightness);
