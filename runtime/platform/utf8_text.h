// utf8_text.h - text crossing into the desktop: the runtime's bytes are
// Latin-1, the desktop speaks UTF-8.
#pragma once
#include <string>

std::string platform_latin1_to_utf8(const std::string& latin1);
// False (and `latin1` untouched) if the text is not valid UTF-8 or holds a
// character beyond U+00FF, which Latin-1 cannot carry.
bool platform_utf8_to_latin1(const std::string& utf8, std::string& latin1);
// Never fails: characters beyond U+00FF and bytes that are not UTF-8 become "?".
std::string platform_utf8_to_latin1_lossy(const std::string& utf8);
