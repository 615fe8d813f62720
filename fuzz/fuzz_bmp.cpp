// Fuzzes the BMP reader: any bytes in, never a read or write outside a buffer.
#include <cstddef>
#include <cstdint>

#include "runtime/gfx2d/image_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  DecodedImage im;
  if (decode_bmp(data, size, 0x8000FF, im)) {
    if (im.rgba.size() != size_t(im.width) * size_t(im.height) * 4) __builtin_trap();
    TextureImage t;
    if (im.width <= 256 && im.height <= 256) build_texture_image(im, 0, 0, 0, 0, 1024, false, t);
  }
  return 0;
}
