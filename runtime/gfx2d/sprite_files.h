// sprite_files.h - writing sprites and screenshots to image files: PNG when
// the name ends in ".png", JPEG when it ends in "jpg", otherwise a 24-bit
// BMP (case does not matter). Both return 1 on success and 0 with error
// code 3 when the pixels cannot be had or the file cannot be written.
#pragma once
#include <cstdint>
#include <vector>

#include "runtime/values/tv_string.h"

int save_sprite(const TvString& file, int sprite);
// Writes the last presented frame at screen size.
int save_screenshot(const TvString& file);

// Encodes bottom-up blue-green-red rows in the format the name asks for
// and writes the file; false when the name is refused or writing fails.
bool write_image_file(const char* name, int width, int height, const uint8_t* bgr);
