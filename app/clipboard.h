// clipboard.h - the desktop clipboard as the viewer uses it: plain text.
#pragma once
#include "runtime/values/tv_string.h"

// The clipboard's text ("" when it holds none); characters the program's
// Latin-1 text cannot hold read as "?".
TvString clipboard_get();
// Replaces the clipboard's contents with the text, byte for byte (line
// breaks as they are). Always 0.
double clipboard_set(const TvString& text);
