// clipboard.h - the desktop clipboard as plain text. The desktop holds
// UTF-8; the runtime's text is Latin-1 bytes, converted at this boundary.
//
// On X11 the clipboard is our own code over Xlib, both ways: a reader that
// takes large text in pieces, an owner that answers other programs from a
// thread of its own, and at the program's end a hand-over to the desktop's
// clipboard manager or to a small keeper process, so copied text outlives
// the program. Without an X display SDL's clipboard stands in.
#pragma once
#include <string>

// Reads the desktop's clipboard text as Latin-1 into `latin1`: characters
// beyond U+00FF (and bytes that are not UTF-8) become "?", the text ends at
// its first NUL. "" when the clipboard holds no text. False when the read
// failed or timed out; then `latin1` is untouched, and the clipboard itself
// is never changed by a read.
// `lost` (when given) gets how many characters became "?".
bool platform_clipboard_read(std::string& latin1, int* lost = nullptr);

// platform_clipboard_read's text, "" when it holds none or the read failed.
std::string platform_clipboard_get();

// Puts Latin-1 text (up to its first NUL) on the desktop clipboard, offered
// as UTF-8 and Latin-1; false when the desktop refused it. The text stays
// offered until another program takes the clipboard, also after the program
// has ended (see platform_clipboard_keep_after_exit).
bool platform_clipboard_set(const std::string& latin1);

// What became of text the program still offered when it ended.
enum class ClipboardKept {
  nothing,  // nothing was offered (never copied, or another program copied since)
  manager,  // the desktop's clipboard manager took a copy
  keeper,   // a keeper process of ours serves it until another program copies
  lost,     // neither could take it
};
// Called on the way out (the runtime's shut-down, which every end of the
// program passes; nothing else calls it, so a process that merely exits
// leaves no keeper behind): lets
// the desktop's clipboard manager save the offered text (at most one
// second), otherwise starts the keeper. Later calls do nothing.
ClipboardKept platform_clipboard_keep_after_exit();
// Stops answering other programs until the hand-over above; called before
// the window's video ends, since that puts back Xlib's handler that ends the
// process on any error, our connections' included. Requests wait meanwhile.
void platform_clipboard_pause_serving();

// The lenient conversion used by platform_clipboard_read.
std::string platform_utf8_to_latin1_lossy(const std::string& utf8);
