// clipboard.h - the desktop clipboard as plain text. The desktop holds
// UTF-8; the runtime's text is Latin-1 bytes, converted at this boundary.
#pragma once
#include <string>

// The desktop's clipboard text in Latin-1: characters beyond U+00FF (and
// bytes that are not UTF-8) become "?". "" when the clipboard holds no text.
std::string platform_clipboard_get();

// Puts Latin-1 text on the desktop clipboard (as UTF-8); false when the
// desktop refused it. The text stays offered while the program pumps its
// events.
bool platform_clipboard_set(const std::string& latin1);

// The lenient conversion used by platform_clipboard_get.
std::string platform_utf8_to_latin1_lossy(const std::string& utf8);
