// background.cpp - background set 0: loading an image into tiles, grabbing
// the screen into tiles, and drawing them.
//
// Tiles are square power-of-two textures (512 pixels, or the driver's
// limit when smaller), so an image of any size needs no non-power-of-two
// support; at most 8 x 8 tiles are kept.
#include "runtime/gfx2d/background.h"

#include <GL/gl.h>

#include <algorithm>
#include <vector>

#include "runtime/gfx2d/draw_batch.h"
#include "runtime/gfx2d/image_codec.h"
#include "runtime/gfx2d/sprites.h"
#include "runtime/gfx2d/surfaces.h"
#include "runtime/values/errors.h"

namespace {

void delete_tiles(OpenGLVadeviva& d, BackgroundSet& set, int from) {
  const int n = kMaxBackgroundTiles * kMaxBackgroundTiles;
  for (int i = from; i < n; ++i) {
    if (set.textures[i]) texture_changing(set.textures[i]);
    if (set.textures[i] && d.context_present) glDeleteTextures(1, &set.textures[i]);
    set.textures[i] = 0;
    set.texture_width[i] = set.texture_height[i] = 0;
    set.used_width[i] = set.used_height[i] = 0;
  }
  if (from == 0) {
    set.rows = set.tiles_per_row = 0;
    set.tile_size = 0;
  }
}

void new_tile_texture(unsigned& texture) {
  glGenTextures(1, &texture);
  texture_changing(texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
}

int tiles_needed(int pixels, int tile) {
  return std::min(kMaxBackgroundTiles, (pixels + tile - 1) / tile);
}

}  // namespace

void free_background() {
  if (graphics_device) delete_tiles(*graphics_device, graphics_device->backgrounds[0], 0);
}

void free_background_sets(OpenGLVadeviva& device) {
  for (BackgroundSet& set : device.backgrounds) delete_tiles(device, set, 0);
}

void load_background(const TvString& file) {
  OpenGLVadeviva* d = graphics_device;
  set_error(ERR_SUCCESS);
  if (!d) return;
  BackgroundSet& set = d->backgrounds[0];
  delete_tiles(*d, set, 0);
  std::vector<uint8_t> bytes;
  DecodedImage image;
  if (!d->context_present || !read_image_file(file.data, bytes) ||
      !decode_image(bytes.data(), bytes.size(), -1, image, file.data) || image.width <= 0 ||
      image.height <= 0) {
    set_error(ERR_NO_SUCH_FILE);
    clear_screen(0);
    return;
  }
  int tile = std::min(max_texture_size(), 512);
  set.tile_size = tile;
  set.tiles_per_row = tiles_needed(image.width, tile);
  set.rows = tiles_needed(image.height, tile);
  for (int row = 0; row < set.rows; ++row) {
    for (int col = 0; col < set.tiles_per_row; ++col) {
      int i = row * kMaxBackgroundTiles + col;
      TextureImage t;
      if (!build_texture_image(image, col * tile, row * tile, tile, tile, tile, false, t, tile))
        continue;
      new_tile_texture(set.textures[i]);
      glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
      glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, t.texture_width, t.texture_height, 0, GL_RGBA,
                   GL_UNSIGNED_BYTE, t.rgba.data());
      texture_uploaded(set.textures[i], t.rgba.data(), t.texture_width, t.texture_height, false);
      set.texture_width[i] = int16_t(t.texture_width);
      set.texture_height[i] = int16_t(t.texture_height);
      set.used_width[i] = int16_t(t.width);
      set.used_height[i] = int16_t(t.height);
    }
  }
  glBindTexture(GL_TEXTURE_2D, 0);
  draw_background();
}

void draw_background() {
  OpenGLVadeviva* d = graphics_device;
  if (!d) return;
  const BackgroundSet& set = d->backgrounds[0];
  if (set.rows == 0 || set.tiles_per_row == 0) return;
  RunState st = current_run_state();
  st.alpha_test = 0;
  const uint8_t white[4] = {255, 255, 255, alpha_byte(st.constant_alpha)};
  for (int row = 0; row < set.rows; ++row) {
    for (int col = 0; col < set.tiles_per_row; ++col) {
      int i = row * kMaxBackgroundTiles + col;
      if (!set.textures[i] || set.texture_width[i] <= 0 || set.texture_height[i] <= 0) continue;
      st.texture = set.textures[i];
      float x0 = float(col * set.tile_size), y0 = float(row * set.tile_size);
      float x1 = x0 + set.used_width[i], y1 = y0 + set.used_height[i];
      float u1 = float(set.used_width[i]) / set.texture_width[i];
      float v1 = float(set.used_height[i]) / set.texture_height[i];
      record_quad(st, x0, y0, x1, y1, 0, v1, u1, 0, white);
    }
  }
  d->alpha_test = true;
}

void grab_background() {
  OpenGLVadeviva* d = graphics_device;
  if (!d || !d->context_present || d->width <= 0 || d->height <= 0) return;
  BackgroundSet& set = d->backgrounds[0];
  int side = std::max(d->width, d->height);
  int tile = std::min(power_of_two_at_least(side, 128), max_texture_size());
  int cols = tiles_needed(d->width, tile), rows = tiles_needed(d->height, tile);
  // tiles outside the new grid go; the others are reused when their size fits
  for (int i = 0; i < kMaxBackgroundTiles * kMaxBackgroundTiles; ++i) {
    bool inside = i / kMaxBackgroundTiles < rows && i % kMaxBackgroundTiles < cols;
    bool fits = set.texture_width[i] == tile && set.texture_height[i] == tile;
    if ((!inside || !fits) && set.textures[i]) {
      texture_changing(set.textures[i]);
      glDeleteTextures(1, &set.textures[i]);
      set.textures[i] = 0;
      set.texture_width[i] = set.texture_height[i] = 0;
      set.used_width[i] = set.used_height[i] = 0;
    }
  }
  set.tile_size = tile;
  set.tiles_per_row = cols;
  set.rows = rows;
  submit_drawing();
  select_read_buffer();
  int height = target_height();
  for (int row = 0; row < rows; ++row) {
    for (int col = 0; col < cols; ++col) {
      int i = row * kMaxBackgroundTiles + col;
      if (!set.textures[i]) {
        new_tile_texture(set.textures[i]);
        std::vector<uint8_t> zero(size_t(tile) * size_t(tile) * 4, 0);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, tile, tile, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     zero.data());
        set.texture_width[i] = set.texture_height[i] = int16_t(tile);
      }
      int x0 = col * tile, y0 = row * tile;
      int uw = std::min(tile, d->width - x0), uh = std::min(tile, d->height - y0);
      set.used_width[i] = int16_t(uw);
      set.used_height[i] = int16_t(uh);
      texture_changing(set.textures[i]);
      glBindTexture(GL_TEXTURE_2D, set.textures[i]);
      glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, x0, height - y0 - uh, uw, uh);
    }
  }
  glBindTexture(GL_TEXTURE_2D, 0);
}
