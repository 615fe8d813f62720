// sprite_files.cpp - save_sprite, save_screenshot and the copy of the
// presented frame that screenshots are taken from.
//
// After a swap the back buffer is undefined and the front buffer is not
// reliably readable (composited desktops, off-screen drivers), so the frame
// is kept as it is presented: just before each swap the back buffer is
// copied into a texture by the GL itself (glCopyTexSubImage2D). That costs
// no read-back and no wait on the GL; the pixels travel to the processor
// only when a screenshot is actually saved.
#include "runtime/gfx2d/sprite_files.h"

#include <GL/gl.h>

#include <cctype>
#include <cstring>
#include <vector>

#include "runtime/gfx2d/device.h"
#include "runtime/gfx2d/image_codec.h"
#include "runtime/gfx2d/sprites.h"
#include "runtime/io/safe_write.h"
#include "runtime/values/errors.h"

namespace {

bool ends_with_nocase(const char* s, const char* tail) {
  size_t n = std::strlen(s), m = std::strlen(tail);
  if (n < m) return false;
  for (size_t i = 0; i < m; ++i)
    if (std::tolower(static_cast<unsigned char>(s[n - m + i])) != tail[i]) return false;
  return true;
}

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
  if (ends_with_nocase(name, ".png")) {
    if (!encode_png(width, height, bgr, bytes)) return false;
  } else if (ends_with_nocase(name, "jpg")) {
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
  glBindTexture(GL_TEXTURE_2D, s->texture);
  std::vector<uint8_t> bgr =
      bound_texture_bgr(s->texture_width, s->texture_height, s->image_width, s->image_height);
  glBindTexture(GL_TEXTURE_2D, 0);
  return finish(write_image_file(file.data, s->image_width, s->image_height, bgr.data()));
}

int save_screenshot(const TvString& file) {
  OpenGLVadeviva* d = graphics_device;
  if (!d || !d->context_present) return finish(false);
  std::vector<uint8_t> bgr;
  int w, h;
  if (d->presented_frame) {
    w = d->presented_width;
    h = d->presented_height;
    glBindTexture(GL_TEXTURE_2D, d->presented_frame);
    bgr = bound_texture_bgr(d->presented_tex_width, d->presented_tex_height, w, h);
    glBindTexture(GL_TEXTURE_2D, 0);
  } else {
    // nothing presented through show_frame yet: the front buffer is all there is
    w = d->width;
    h = d->height;
    if (w <= 0 || h <= 0) return finish(false);
    bgr.resize(size_t(w) * size_t(h) * 3);
    glReadBuffer(GL_FRONT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_BGR, GL_UNSIGNED_BYTE, bgr.data());
    glReadBuffer(GL_BACK);
  }
  return finish(write_image_file(file.data, w, h, bgr.data()));
}

void keep_presented_frame() {
  OpenGLVadeviva* d = graphics_device;
  if (!d || !d->context_present || !d->keep_presented_frames || d->width <= 0 || d->height <= 0)
    return;
  int tw = power_of_two_at_least(d->width, 16), th = power_of_two_at_least(d->height, 16);
  if (!d->presented_frame || tw != d->presented_tex_width || th != d->presented_tex_height) {
    if (!d->presented_frame) glGenTextures(1, &d->presented_frame);
    glBindTexture(GL_TEXTURE_2D, d->presented_frame);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, tw, th, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    d->presented_tex_width = tw;
    d->presented_tex_height = th;
  }
  d->presented_width = d->width;
  d->presented_height = d->height;
  glReadBuffer(GL_BACK);
  glBindTexture(GL_TEXTURE_2D, d->presented_frame);
  glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, d->width, d->height);
  glBindTexture(GL_TEXTURE_2D, 0);
}
