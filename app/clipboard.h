// clipboard.h - the desktop clipboard as the viewer uses it: plain text.
#pragma once
#include "runtime/values/tv_string.h"

// The clipboard's text ("" when it holds none); characters the program's
// Latin-1 text cannot hold read as "?", and `lost` (when given) counts them.
TvString clipboard_get(int32_t* lost = nullptr);
// The same into `text`; false when the clipboard could not be read (no
// answer in time), leaving `text` as it was.
bool clipboard_read(TvString& text, int32_t* lost = nullptr);
// Replaces the clipboard's contents with the text, byte for byte (line
// breaks as they are). Always 0.
double clipboard_set(const TvString& text);
