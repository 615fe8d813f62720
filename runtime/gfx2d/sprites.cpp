// sprites.cpp - the sprite table: loading, the drawing variants, collision
// masks and grabbing the screen into a slot.
//
// Sprite quads are recorded into the frame's vertex stream (draw_batch), so
// sprites of one texture and state drawn in a row are one draw call.
// Collision masks are the textures' alpha channels read back once and kept
// until the slot changes.
#include "runtime/gfx2d/sprites.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "runtime/gfx2d/draw_batch.h"
#include "runtime/gfx2d/surfaces.h"
#include "runtime/io/archive.h"
#include "runtime/io/file_stream.h"
#include "runtime/values/errors.h"

namespace {

OpenGLVadeviva* dev() { return graphics_device; }

// The slot to draw; null when the number is outside the table or the slot
// is empty (its texture 0 would draw a plain white quad).
SpriteSlot* drawable(int sprite) {
  SpriteSlot* slot = sprite_slot(sprite);
  if (!slot || slot->image_width <= 0 || slot->texture == 0) return nullptr;
  return slot;
}

// A sprite's run: its texture filtered as smoothing says, clamped at the
// edges, in the current colour (1, 1, 1, alpha factor).
RunState sprite_state(const SpriteSlot& s) {
  RunState st = current_run_state();
  st.texture = s.texture;
  st.filter = dev()->smoothing ? 1 : 0;
  st.clamp = 1;
  return st;
}

// One quad; (u0, v0) is the texture's bottom-left, so the top edge of the
// quad takes v1. The corners carry the run's colour (white, alpha factor).
void textured_quad(const RunState& st, float x0, float y0, float x1, float y1, float u0, float v0,
                   float u1, float v1) {
  const uint8_t white[4] = {255, 255, 255, alpha_byte(st.constant_alpha)};
  record_quad(st, x0, y0, x1, y1, u0, v1, u1, v0, white);
}

// Texture coordinates of animation frame k: u0..u1 left to right, v0..v1
// bottom to top.
struct FrameCoords {
  float u0, v0, u1, v1;
};

bool frame_coords(const SpriteSlot& s, int k, FrameCoords& c) {
  int fw = s.frame_width, fh = s.frame_height;
  if (fw == 0 || fh == 0 || s.texture_width <= 0 || s.texture_height <= 0) return false;
  int n = s.image_width / fw;
  int column = n > 0 ? k % n : k;
  int row = n > 0 ? k / n : 0;
  float tw = float(s.texture_width), th = float(s.texture_height);
  c.u0 = float(column * fw) / tw;
  c.u1 = c.u0 + float(fw) / tw;
  c.v0 = float(s.image_height - fh * (row + 1)) / th;
  c.v1 = c.v0 + float(fh) / th;
  return true;
}

// ---- collision masks ---------------------------------------------------------------

const std::vector<uint8_t>* collision_mask(int sprite) {
  SpriteSlot* s = sprite_slot(sprite);
  if (!s || s->texture == 0 || s->texture_width <= 0 || s->texture_height <= 0) return nullptr;
  std::vector<uint8_t>& mask = dev()->sprite_table.mask(size_t(sprite));
  if (mask.empty()) {
    if (!dev()->context_present) return nullptr;
    submit_drawing();  // drawing into a surface may be pending
    mask.assign(size_t(s->texture_width) * size_t(s->texture_height), 0);
    glBindTexture(GL_TEXTURE_2D, s->texture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_ALPHA, GL_UNSIGNED_BYTE, mask.data());
    glBindTexture(GL_TEXTURE_2D, 0);
  }
  return &mask;
}

// A sprite as a collision candidate: the rectangle it covers on the screen
// and the image pixel that lies at the rectangle's top-left corner.
struct Placement {
  int sprite;
  int x, y, w, h;      // screen rectangle
  int image_x, image_y;
};

// Alpha at image pixel (ix, iy), 0 outside the image.
uint8_t mask_alpha(const SpriteSlot& s, const std::vector<uint8_t>& mask, int ix, int iy) {
  if (ix < 0 || iy < 0 || ix >= s.image_width || iy >= s.image_height) return 0;
  size_t row = size_t(s.image_height - 1 - iy);  // masks are bottom-up
  return mask[row * size_t(s.texture_width) + size_t(ix)];
}

int collide(const Placement& a, const Placement& b) {
  int left = std::max(a.x, b.x), right = std::min(a.x + a.w, b.x + b.w);
  int top = std::max(a.y, b.y), bottom = std::min(a.y + a.h, b.y + b.h);
  if (left >= right || top >= bottom) return 0;
  const std::vector<uint8_t>* ma = collision_mask(a.sprite);
  const std::vector<uint8_t>* mb = collision_mask(b.sprite);
  if (!ma || !mb) return 0;
  const SpriteSlot& sa = *sprite_slot(a.sprite);
  const SpriteSlot& sb = *sprite_slot(b.sprite);
  int ow = right - left, oh = bottom - top;
  // four interleaved passes: large overlaps are usually decided early
  for (int row_parity = 0; row_parity < 2; ++row_parity) {
    for (int column_parity = 0; column_parity < 2; ++column_parity) {
      for (int r = row_parity; r < oh; r += 2) {
        int sy = top + r;
        for (int c = column_parity; c < ow; c += 2) {
          int sx = left + c;
          if (mask_alpha(sa, *ma, sx - a.x + a.image_x, sy - a.y + a.image_y) &&
              mask_alpha(sb, *mb, sx - b.x + b.image_x, sy - b.y + b.image_y))
            return 1;
        }
      }
    }
  }
  return 0;
}

Placement whole_image(int sprite, int x, int y) {
  Placement p{sprite, x, y, 0, 0, 0, 0};
  if (SpriteSlot* s = sprite_slot(sprite)) {
    p.w = s->image_width;
    p.h = s->image_height;
  }
  return p;
}

Placement anim_frame(int sprite, int frame, int x, int y) {
  SpriteSlot* s = sprite_slot(sprite);
  if (!s || s->frame_width <= 0 || s->frame_height <= 0) return whole_image(sprite, x, y);
  int fw = s->frame_width, fh = s->frame_height;
  int n = s->image_width / fw;
  if (n < 1) n = 1;
  Placement p{sprite, x, y, fw, fh, (frame % n) * fw, (frame / n) * fh};
  return p;
}

// ---- grabbing ----------------------------------------------------------------------

// Makes sure the slot has an RGBA8 texture of exactly tw x th, reusing it
// when the size already matches.
void grab_texture(SpriteSlot& s, int tw, int th) {
  texture_changing(s.texture);
  if (s.texture != 0 && s.texture_width == tw && s.texture_height == th) return;
  if (dev()->context_present) {
    if (s.texture) glDeleteTextures(1, &s.texture);
    if (s.mip_texture) glDeleteTextures(1, &s.mip_texture);
  }
  s.texture = s.mip_texture = 0;
  glGenTextures(1, &s.texture);
  texture_changing(s.texture);
  glBindTexture(GL_TEXTURE_2D, s.texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  // start transparent black, so the part outside the image is defined
  std::vector<uint8_t> zero(size_t(tw) * size_t(th) * 4, 0);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, tw, th, 0, GL_RGBA, GL_UNSIGNED_BYTE, zero.data());
  s.texture_width = int16_t(tw);
  s.texture_height = int16_t(th);
}

// Where the pixel at (x, y) of the current viewport lies in GL window
// coordinates of the current target.
void target_pixel(int x, int y, int& gx, int& gy) {
  OpenGLVadeviva* d = dev();
  gx = d->viewport_x + x;
  gy = target_height() - 1 - (d->viewport_y + y);
}

// The colour key as the frame buffer stores it: one key pixel drawn at
// (4, 4), read back, and the previous pixel put back unchanged.
void stored_key_colour(uint8_t bgr[3]) {
  int gx, gy;
  target_pixel(4, 4, gx, gy);
  uint8_t before[4], key[4];
  submit_drawing();
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(gx, gy, 1, 1, GL_BGRA, GL_UNSIGNED_BYTE, before);
  set_pixel(4, 4, dev()->sprite_color_key);
  submit_drawing();
  glReadPixels(gx, gy, 1, 1, GL_BGRA, GL_UNSIGNED_BYTE, key);
  // put the old pixel back as it was, whatever the blend state
  RunState st = current_run_state();
  st.blend = BLEND_OFF;
  st.alpha_test = 0;
  st.colour_array = 1;
  st.pixel_shift = 1;
  st.constant_alpha = 1;
  const uint8_t rgba[4] = {before[2], before[1], before[0], before[3]};
  record_quad(st, 4, 4, 5, 5, 0, 0, 0, 0, rgba);
  submit_drawing();
  bgr[0] = key[0];
  bgr[1] = key[1];
  bgr[2] = key[2];
}

}  // namespace

// ---- slots -----------------------------------------------------------------------------

SpriteSlot* sprite_slot(int sprite) {
  if (!graphics_device || sprite < 0 || sprite >= kSpriteSlots) return nullptr;
  return &graphics_device->sprite_table[size_t(sprite)];
}

void discard_collision_mask(int sprite) {
  if (sprite_slot(sprite)) std::vector<uint8_t>().swap(dev()->sprite_table.mask(size_t(sprite)));
}

void release_sprite_slot(int sprite) {
  SpriteSlot* s = sprite_slot(sprite);
  if (!s) return;
  if (s->texture) texture_changing(s->texture);
  if (s->mip_texture) texture_changing(s->mip_texture);
  if (dev()->context_present) {
    if (s->texture) glDeleteTextures(1, &s->texture);
    if (s->mip_texture) glDeleteTextures(1, &s->mip_texture);
  }
  s->texture = s->mip_texture = 0;
  s->texture_width = s->texture_height = -1;
  s->image_width = s->image_height = 0;
  s->u_extent = s->v_extent = 1.0f;
  discard_collision_mask(sprite);
}

void free_sprite_table(OpenGLVadeviva& device) {
  OpenGLVadeviva* saved = graphics_device;
  graphics_device = &device;
  for (int i = 0; i < kSpriteSlots; ++i) {
    const SpriteSlot* s = device.sprite_table.find(size_t(i));
    if (s && (s->texture || s->mip_texture || s->image_width)) release_sprite_slot(i);
  }
  device.presented_pixels.clear();
  device.presented_pixels.shrink_to_fit();
  graphics_device = saved;
}

int max_texture_size() {
  OpenGLVadeviva* d = dev();
  if (!d) return 0;
  if (d->max_texture_size <= 0 && d->context_present) {
    GLint n = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &n);
    d->max_texture_size = n > 0 ? n : 1024;
  }
  return d->max_texture_size > 0 ? d->max_texture_size : 1024;
}

bool sprite_texture_info(int sprite, unsigned& texture, int& texture_width, int& texture_height,
                         int& image_height) {
  SpriteSlot* s = sprite_slot(sprite);
  if (!s) return false;
  texture = s->texture;
  texture_width = s->texture_width;
  texture_height = s->texture_height;
  image_height = s->image_height;
  return s->image_width > 0;
}

// Names go through the resolver, so an image may be a disk file, an entry
// of the packed archive or a memory file.
bool read_image_file(const char* name, std::vector<uint8_t>& bytes) {
  bytes.clear();
  TvString resolved;
  if (!resolve_file(general_resolver, name, resolved, true)) return false;
  FileStream s;
  if (!stream_open_read(s, resolved.c_str())) return false;
  bool ok = s.size >= 0 && uint64_t(s.size) <= kMaxImageBytes;  // no image file is larger
  if (ok) {
    bytes.resize(size_t(s.size));
    ok = stream_read(s, bytes.data(), s.size) && s.position == s.size;
  }
  stream_close(s);
  if (!ok) bytes.clear();
  return ok;
}

bool image_file_resolves(const char* name) {
  TvString resolved;
  return resolve_file(general_resolver, name, resolved, true);
}

void upload_slot_texture(int sprite, const TextureImage& t, bool nearest) {
  SpriteSlot* s = sprite_slot(sprite);
  if (!s || !dev()->context_present) return;
  texture_changing(s->texture);
  if (s->texture) glDeleteTextures(1, &s->texture);
  s->texture = 0;
  glGenTextures(1, &s->texture);
  texture_changing(s->texture);
  glBindTexture(GL_TEXTURE_2D, s->texture);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  GLint filter = nearest ? GL_NEAREST : GL_LINEAR;
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, t.texture_width, t.texture_height, 0, GL_RGBA,
               GL_UNSIGNED_BYTE, t.rgba.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  texture_uploaded(s->texture, t.rgba.data(), t.texture_width, t.texture_height, nearest);
  s->texture_width = int16_t(t.texture_width);
  s->texture_height = int16_t(t.texture_height);
  s->image_width = int16_t(t.width);
  s->image_height = int16_t(t.height);
  s->u_extent = float(t.width) / float(t.texture_width);
  s->v_extent = float(t.height) / float(t.texture_height);
  discard_collision_mask(sprite);
}

bool load_image_into_slot(int sprite, const char* file, TvColor colour_key, bool font) {
  if (!sprite_slot(sprite)) return false;
  std::vector<uint8_t> bytes;
  bool found = read_image_file(file, bytes);
  release_sprite_slot(sprite);
  if (!found) return false;
  DecodedImage image;
  if (!decode_image(bytes.data(), bytes.size(), colour_key, image, file)) return false;
  if (image.width <= 0 || image.height <= 0) return false;
  TextureImage t;
  if (!build_texture_image(image, 0, 0, 0, 0, max_texture_size(), font, t)) return false;
  upload_slot_texture(sprite, t, font);
  return sprite_slot(sprite)->texture != 0;
}

// ---- loading ---------------------------------------------------------------------------

void load_sprite(const TvString& file, int sprite) {
  set_error(ERR_SUCCESS);
  if (!sprite_slot(sprite)) return;
  if (!load_image_into_slot(sprite, file.data, graphics_device->sprite_color_key, false))
    set_error(ERR_NO_SUCH_FILE);
}

void load_anim(const TvString& file, int sprite, int frame_width, int frame_height) {
  load_sprite(file, sprite);
  set_sprite_anim(sprite, frame_width, frame_height);
}

void set_sprite_anim(int sprite, int frame_width, int frame_height) {
  SpriteSlot* s = sprite_slot(sprite);
  if (!s || s->image_width == 0) return;
  s->frame_width = int16_t(frame_width);
  s->frame_height = int16_t(frame_height);
}

// ---- drawing ---------------------------------------------------------------------------

void draw_sprite(int sprite, int x, int y) {
  SpriteSlot* s = drawable(sprite);
  if (!s) return;
  textured_quad(sprite_state(*s), float(x), float(y), float(x + s->image_width),
                float(y + s->image_height), 0, 0, s->u_extent, s->v_extent);
}

void draw_sprite_exactly(int sprite, int x, int y) {
  SpriteSlot* s = drawable(sprite);
  if (!s) return;
  RunState st = sprite_state(*s);
  st.alpha_test = 0;
  textured_quad(st, float(x), float(y), float(x + s->image_width), float(y + s->image_height), 0, 0,
                s->u_extent, s->v_extent);
}

void stretch_sprite(int sprite, int x, int y, int width, int height) {
  SpriteSlot* s = drawable(sprite);
  if (!s) return;
  textured_quad(sprite_state(*s), float(x), float(y), float(x + width), float(y + height), 0, 0,
                s->u_extent, s->v_extent);
}

void zoom_sprite(int sprite, int x, int y, float x_factor, float y_factor) {
  SpriteSlot* s = sprite_slot(sprite);
  if (!s) return;
  float w = s->image_width, h = s->image_height;
  stretch_sprite(sprite, int(float(x) - (x_factor * w - w) / 2), int(float(y) - (y_factor * h - h) / 2),
                 int(x_factor * w), int(y_factor * h));
}

void rotate_sprite(int sprite, int x, int y, float angle) {
  rot_zoom_sprite(sprite, x, y, angle, 1.0f);
}

void rot_zoom_sprite(int sprite, int x, int y, float angle, float zoom) {
  SpriteSlot* s = drawable(sprite);
  if (!s || s->texture_width <= 0 || s->texture_height <= 0) return;
  int iw = s->image_width, ih = s->image_height;
  float tw = s->texture_width, th = s->texture_height;
  // the turn is the GL's own model-view transform, as a state of the run
  RunState st = sprite_state(*s);
  st.rotated = 1;
  st.rotate[0] = float(x + iw / 2);
  st.rotate[1] = float(y + ih / 2);
  st.rotate[2] = angle;
  float hw = zoom * float(iw) / 2, hh = zoom * float(ih) / 2;
  // inset by half a texel so linear filtering never reaches outside
  textured_quad(st, -hw, -hh, hw, hh, 0.5f / tw, 0.5f / th, (float(iw) - 0.5f) / tw,
                (float(ih) - 0.5f) / th);
}

void draw_anim(int sprite, int frame, int x, int y) {
  SpriteSlot* s = sprite_slot(sprite);
  FrameCoords c;
  if (!s || !frame_coords(*s, frame, c)) return;
  if (!drawable(sprite)) return;
  textured_quad(sprite_state(*s), float(x), float(y), float(x + s->frame_width),
                float(y + s->frame_height), c.u0, c.v0, c.u1, c.v1);
}

void stretch_anim(int sprite, int frame, int x, int y, int width, int height) {
  SpriteSlot* s = sprite_slot(sprite);
  FrameCoords c;
  if (!s || !frame_coords(*s, frame, c)) return;
  if (!drawable(sprite)) return;
  // the 0.1 makes the far edge cover its last row and column
  textured_quad(sprite_state(*s), float(x), float(y), float(x + width) + 0.1f,
                float(y + height) + 0.1f, c.u0, c.v0, c.u1, c.v1);
}

void rot_zoom_anim(int sprite, int frame, int x, int y, float angle, float zoom) {
  SpriteSlot* s = sprite_slot(sprite);
  FrameCoords c;
  if (!s || !frame_coords(*s, frame, c)) return;
  if (!drawable(sprite)) return;
  float tw = s->texture_width, th = s->texture_height;
  c.u0 += 0.5f / tw;
  c.u1 -= 0.5f / tw;
  c.v0 += 0.5f / th;
  c.v1 -= 0.5f / th;
  int fw = s->frame_width, fh = s->frame_height;
  float cx = float(x + fw / 2), cy = float(y + fh / 2);
  double a = double(angle) * 0.017453292;
  float ca = float(std::cos(a)), sa = float(std::sin(a));
  float hw = zoom * float(fw) / 2, hh = zoom * float(fh) / 2;
  const float dx[4] = {-hw, hw, hw, -hw}, dy[4] = {-hh, -hh, hh, hh};
  const float u[4] = {c.u0, c.u1, c.u1, c.u0}, v[4] = {c.v1, c.v1, c.v0, c.v0};
  PolyVertex corner[4];
  for (int i = 0; i < 4; ++i)
    corner[i] = {cx + dx[i] * ca + dy[i] * sa, cy - dx[i] * sa + dy[i] * ca, u[i], v[i],
                 255, 255, 255, alpha_byte(dev()->alpha_factor)};
  PolyVertex* p = record_vertices(sprite_state(*s), 6);
  p[0] = corner[0], p[1] = corner[1], p[2] = corner[2];
  p[3] = corner[0], p[4] = corner[2], p[5] = corner[3];
}

// ---- collisions -----------------------------------------------------------------------

int sprite_collision(int sprite1, int x1, int y1, int sprite2, int x2, int y2) {
  if (!sprite_slot(sprite1) || !sprite_slot(sprite2)) return 0;
  return collide(whole_image(sprite1, x1, y1), whole_image(sprite2, x2, y2));
}

int anim_collision(int sprite1, int frame1, int x1, int y1, int sprite2, int frame2, int x2,
                   int y2) {
  if (!sprite_slot(sprite1) || !sprite_slot(sprite2)) return 0;
  return collide(anim_frame(sprite1, frame1, x1, y1), anim_frame(sprite2, frame2, x2, y2));
}

// ---- grabbing and queries ---------------------------------------------------------------

int grab_sprite(int sprite, int x, int y, int width, int height) {
  SpriteSlot* s = sprite_slot(sprite);
  if (!s || !dev()->context_present) return 1;
  OpenGLVadeviva* d = dev();
  s->frame_width = s->frame_height = 0;
  discard_collision_mask(sprite);
  int limit = max_texture_size();
  int w = width < 0 ? 0 : width > limit ? limit : width;
  int h = height < 0 ? 0 : height > limit ? limit : height;
  int tw = power_of_two_at_least(w, 16), th = power_of_two_at_least(h, 16);
  grab_texture(*s, tw, th);
  s->image_width = int16_t(w);
  s->image_height = int16_t(h);
  s->u_extent = float(w) / float(tw);
  s->v_extent = float(h) / float(th);
  if (w == 0 || h == 0) return 1;

  submit_drawing();
  select_read_buffer();
  if (d->framebuffer_alpha_bits == 0) {
    GLint bits = 0;
    glGetIntegerv(GL_ALPHA_BITS, &bits);
    d->framebuffer_alpha_bits = bits;
  }
  int gx = x, gy = target_height() - y - h;
  if (d->framebuffer_alpha_bits > 0 && !d->grab_readback_forced) {
    // the frame buffer keeps the colour key's alpha 0 itself
    glBindTexture(GL_TEXTURE_2D, s->texture);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, gx, gy, w, h);
    glBindTexture(GL_TEXTURE_2D, 0);
    return 1;
  }
  size_t bytes = size_t(tw) * size_t(th) * 4;
  if (d->grab_buffer.size() < bytes) d->grab_buffer.resize(bytes);
  uint8_t* px = d->grab_buffer.data();
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(gx, gy, tw, th, GL_BGRA, GL_UNSIGNED_BYTE, px);
  uint8_t key[3];
  stored_key_colour(key);
  for (int r = 0; r < th; ++r) {
    uint8_t* row = px + size_t(r) * size_t(tw) * 4;
    for (int c = 0; c < tw; ++c) {
      uint8_t* p = row + size_t(c) * 4;
      if (r >= h || c >= w) {
        std::memset(p, 0, 4);  // outside the area: transparent black, not screen leftovers
      } else if (p[0] == key[0] && p[1] == key[1] && p[2] == key[2]) {
        p[3] = 0;
      }
    }
  }
  glBindTexture(GL_TEXTURE_2D, s->texture);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, tw, th, GL_BGRA, GL_UNSIGNED_BYTE, px);
  glBindTexture(GL_TEXTURE_2D, 0);
  return 1;
}

void sprite_size(int sprite, int& width, int& height) {
  SpriteSlot* s = sprite_slot(sprite);
  width = s ? s->image_width : 0;
  height = s ? s->image_height : 0;
}

void sprite_size(int sprite, double& width, double& height) {
  int w, h;
  sprite_size(sprite, w, h);
  width = w;
  height = h;
}

int free_sprite_slot() {
  if (!graphics_device) return -1;
  for (int i = 0; i < kFirstFontSlot; ++i) {
    const SpriteSlot* s = graphics_device->sprite_table.find(size_t(i));
    if (!s || s->image_width == 0) return i;
  }
  return -1;
}

unsigned sprite_texture(int sprite) {
  SpriteSlot* s = sprite_slot(sprite);
  return s ? s->texture : 0;
}
