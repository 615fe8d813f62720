// file_request.h - the desktop's own modal open/save file dialog.
#pragma once
#include <string>
#include <vector>
#include "runtime/platform/file_dialog.h"
#include "runtime/values/tv_string.h"

// open != 0: the open dialog, else the save dialog. The filter holds
// description|pattern pairs ("Text|*.txt|All|*.*"; "*.a;*.b" gives two
// patterns). Answers the chosen path or "NO_FILE" (cancelled, or no dialog
// on this desktop). The current directory is the same afterwards.
TvString file_request(double open, const TvString& filter);

// The (description, pattern) pairs of a filter text in UTF-8; the list ends
// at the first empty entry.
std::vector<PlatformFileFilter> file_request_filters(const TvString& filter);

// A file pattern rewritten so the desktop's dialog matches it without regard
// to ASCII case ("*.png" -> "*.[pP][nN][gG]"); "*.*" becomes "*", which is
// what it means to the runtime. Patterns holding "[" stand as they are.
std::string file_request_pattern(const std::string& pattern);

// Registration point for the program window while the desktop dialog runs:
// file_request calls step_aside(true) before the dialog and step_aside(false)
// after it. The frame fills it at start-up (connect_layers); until then the
// dialog simply opens over whatever is on the screen.
using WindowStepAside = void (*)(bool away);
void set_dialog_window_step_aside(WindowStepAside step_aside);
