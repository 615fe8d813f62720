// console.h - text to standard output and standard error, lines from
// standard input. Bytes pass through unchanged.
#pragma once
#include "runtime/values/tv_string.h"

void console_write(const TvString& text);        // no line end added
void console_write_error(const TvString& text);
// One line of at most 4095 bytes without its LF (a CR before the LF stays);
// the rest of a longer line is left for the next call. Empty at end of input.
TvString console_read_line();
