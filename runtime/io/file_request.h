// file_request.h - the desktop's own modal open/save file dialog.
#pragma once
#include <string>
#include <vector>
#include "runtime/platform/os_file_dialog.h"
#include "runtime/values/tv_string.h"

// open != 0: the open dialog, else the save dialog. The filter holds
// description|pattern pairs ("Text|*.txt|All|*.*"; "*.a;*.b" gives two
// patterns). Answers the chosen path or "NO_FILE" (cancelled, or no dialog
// on this desktop). The current directory is the same afterwards.
TvString file_request(double open, const TvString& filter);

// The (description, pattern) pairs of a filter text in UTF-8; the list ends
// at the first empty entry.
std::vector<OsFileFilter> file_request_filters(const TvString& filter);

// The program window while a desktop dialog runs: out of the way before
// (full screen left, plain windowed style, hidden), back after (full screen
// again when the project settings ask for it, else placed as a window).
// Nothing happens without a window.
void file_request_window_away();
void file_request_window_back();
