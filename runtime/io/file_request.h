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

// The program window gets out of the dialog's way and comes back after it;
// the window code sets these (full screen left and restored, window hidden
// and shown). Null means nothing to do.
extern void (*file_request_hide_window)();
extern void (*file_request_restore_window)();
