// sprite_files.cpp - save_sprite, save_screenshot and the copy of the
// presented frame that screenshots are taken from.
//
// After a swap the back buffer is undefined and the front buffer is not
// reliably readable (under X with a software renderer it reads as black), so
// the frame is kept as it is presented: just before each swap the back
// buffer is read into memory in the frame buffer's own byte order (BGRA),
// which is a plain copy for the driver. A copy into a texture looked
// cheaper but costs a software renderer a full textured draw per frame,
// several times the read.
#include "runtime/gfx2d/sprite_files.h"

#include <GL/gl.h>

#include <cctype>
#include <cstring>
#include <vector>

#include "runtime/gfx2d/device.h"
#include "runtime/gfx2d/draw_batch.h"
#include "runtime/gfx2d/image_codec.h"
#include "runtime/gfx2d/scaled_frame.h"
#include "runtime/gfx2d/sprites.h"
#include "runtime/io/safe_write.h"
#include "runtime/values/errors.h"
#include "runtime/values/ascii_case.h"

namespace {

// Reads the bound texture as bottom-up BGR and keeps the lower-left
// width x height part.
std::vector<uint8_t> bound_texture_bgr(int tw, int th, int width, int height) {
  std::vector<uint8_t> all(size_t(tw) * size_t(th) * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_BGR, GL_UNSIGNED_BYTE, all.data());
  std::vector<uint8_t> part(size_t(width) * size_t(height) * 3);
  for (int r = 0; r < height; ++r)
    std::memcpy(part.data() + size_t(r) * size_t(width) * 3, all.data() + size_t(r) * size_t(tw) * 3,
                size_t(width) * 3);
  return part;
}

int finish(bool ok) {
  set_error(ok ? ERR_SUCCESS : ERR_NO_SUCH_FILE);
  return ok ? 1 : 0;
}

}  // namespace

bool write_image_file(const char* name, int width, int height, const uint8_t* bgr) {
  if (!name || !*name || width <= 0 || height <= 0) return false;
  // memory files cannot be written into
  if (std::strncmp(name, "mem://", 6) == 0) return false;
  std::vector<uint8_t> bytes;
  if (ascii_ends_with_blind(name, ".png")) {
    if (!encode_png(width, height, bgr, bytes)) return false;
  } else if (ascii_ends_with_blind(name, "jpg")) {
    if (!encode_jpeg(width, height, bgr, bytes)) return false;
  } else {
    bytes = encode_bmp24(width, height, bgr);
  }
  return !bytes.empty() && safe_write_file(name, bytes.data(), bytes.size());
}

int save_sprite(const TvString& file, int sprite) {
  SpriteSlot* s = sprite_slot(sprite);
  if (!s || s->image_width <= 0 || s->image_height <= 0 || !s->texture ||
      !graphics_device->context_present)
    return finish(false);
  submit_drawing();  // drawing into a surface may be pending
  glBindTexture(GL_TEXTURE_2D, s->texture);
  std::vector<uint8_t> bgr =
      bound_texture_bgr(s->texture_width, s->texture_height, s->image_width, s->image_height);
  glBindTexture(GL_TEXTURE_2D, 0);
  return finish(write_image_file(file.data, s->image_width, s->image_height, bgr.data()));
}

int save_screenshot(const TvString& file) {
  OpenGLVadeviva* d = graphics_device;
  if (!d || !d->context_present) return finish(false);
  submit_drawing();
  std::vector<uint8_t> bgr;
  int w, h;
  if (!d->presented_pixels.empty()) {
    w = d->presented_width;
    h = d->presented_height;
    bgr.resize(size_t(w) * size_t(h) * 3);
    const uint8_t* src = d->presented_pixels.data();
    for (size_t i = 0, n = size_t(w) * size_t(h); i < n; ++i) std::memcpy(&bgr[i * 3], src + i * 4, 3);
  } else {
    // nothing presented through show_frame yet: the front buffer is all there is
    w = d->width;
    h = d->height;
    if (w <= 0 || h <= 0) return finish(false);
    int n = frame_scale(*d);
    std::vector<uint8_t> window(size_t(w * n) * size_t(h * n) * 3);
    if (n > 1) use_scaled_frame(*d, false);  // the front buffer is the window's
    glReadBuffer(GL_FRONT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w * n, h * n, GL_BGR, GL_UNSIGNED_BYTE, window.data());
    glReadBuffer(GL_BACK);
    if (n > 1) use_scaled_frame(*d, true);
    // an enlarged window shows each frame pixel as an n x n block
    bgr.resize(size_t(w) * size_t(h) * 3);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        std::memcpy(&bgr[(size_t(y) * size_t(w) + size_t(x)) * 3],
                    &window[(size_t(y * n) * size_t(w * n) + size_t(x * n)) * 3], 3);
  }
  return finish(write_image_file(file.data, w, h, bgr.data()));
}

void keep_presented_frame() {
  OpenGLVadeviva* d = graphics_device;
  if (!d || !d->context_present || !d->keep_presented_frames || d->width <= 0 || d->height <= 0)
    return;
  submit_drawing();
  d->presented_width = d->width;
  d->presented_height = d->height;
  d->presented_pixels.resize(size_t(d->width) * size_t(d->height) * 4);
  glReadBuffer(window_read_buffer());
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(0, 0, d->width, d->height, GL_BGRA, GL_UNSIGNED_BYTE, d->presented_pixels.data());
}
