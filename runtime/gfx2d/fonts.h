// fonts.h - fixed-pitch bitmap fonts: 32 font slots at the top of the
// sprite table (font n is sprite 65504 + n), the built-in 8 x 8 font, and
// text output.
//
// A font image holds 16 cells per row: 8 rows (128 characters) when it is
// at least as wide as tall, else 16 rows (256 characters). Cell k shows
// character code k; no code is special when printing.
#pragma once
#include "runtime/gfx2d/device.h"
#include "runtime/values/tv_string.h"

// Loads an image into font `font` (clamped to 0-31) and makes it current;
// black (the font colour key) becomes transparent. A missing or undecodable
// file sets error code 3 and puts the built-in font there instead. An empty
// name only frees the slot.
void load_font(const TvString& file, int font);
// Current font = font clamped to 0-31.
void set_font(int font);
// Draws the text with the current font; the first cell's top-left corner
// is at (ceil(x), ceil(y)).
void print_text(const TvString& text, double x, double y);
void print_text(const char* text, double x, double y);
// Cell size of the current font; 0 x 0 for an empty slot.
void font_size(int& cell_width, int& cell_height);
void font_size(double& cell_width, double& cell_height);
// First font number 0-30 whose slot is empty, or -1 (font 31 is never offered).
int free_font_slot();
// Generates the built-in font into font `font` (clamped to 0-31).
void make_default_font(int font);

// Start-up: the built-in font into font 0, replaced by "smalfont.png" or,
// failing that, "smalfont.bmp" when one is found; then font 0 is current.
void load_start_up_font();
