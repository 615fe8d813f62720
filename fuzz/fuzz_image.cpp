// Fuzzes our libpng and libjpeg wrappers (and the BMP reader before them),
// the same chain a sprite load runs.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "runtime/gfx2d/image_codec.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::freopen("/dev/null", "w", stdout);  // refusal messages go to standard output
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  DecodedImage im;
  if (decode_image(data, size, 0x8000FF, im, "fuzz")) {
    if (im.rgba.size() != size_t(im.width) * size_t(im.height) * 4) __builtin_trap();
  }
  return 0;
}
