// fonts.cpp - font slots, the built-in font and print_text.
//
// A text is recorded as two triangles per character into the frame's
// vertex stream (draw_batch): the triangles of a strip of four vertices per
// character, without the joining ones, which have no area. Text in one font
// and state joins one run, so a screen of text is a single draw call.
// Only the characters that fall inside the viewport are recorded: a line
// of millions of characters costs what its visible part does.
#include "runtime/gfx2d/fonts.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "runtime/gfx2d/draw_batch.h"
#include "runtime/gfx2d/image_codec.h"
#include "runtime/gfx2d/sprites.h"
#include "runtime/values/errors.h"

namespace {

int clamp_font(int font) { return font < 0 ? 0 : font >= kFontSlots ? kFontSlots - 1 : font; }

SpriteSlot* current_font_slot() {
  if (!graphics_device) return nullptr;
  return sprite_slot(kFirstFontSlot + clamp_font(graphics_device->current_font));
}

}  // namespace

void make_default_font(int font) {
  if (!graphics_device) return;
  int slot = kFirstFontSlot + clamp_font(font);
  release_sprite_slot(slot);
  TextureImage t;
  if (build_texture_image(make_default_font_image(), 0, 0, 0, 0, max_texture_size(), true, t))
    upload_slot_texture(slot, t, true);
}

void load_font(const TvString& file, int font) {
  set_error(ERR_SUCCESS);
  OpenGLVadeviva* d = graphics_device;
  if (!d) return;
  int n = clamp_font(font);
  if (file.length == 0) {
    release_sprite_slot(kFirstFontSlot + n);
    return;
  }
  d->current_font = n;
  if (!load_image_into_slot(kFirstFontSlot + n, file.data, d->font_color_key, true)) {
    set_error(ERR_NO_SUCH_FILE);
    make_default_font(n);
  }
}

void set_font(int font) {
  if (graphics_device) graphics_device->current_font = clamp_font(font);
}

void font_size(int& cell_width, int& cell_height) {
  SpriteSlot* s = current_font_slot();
  int w = s ? s->image_width : 0, h = s ? s->image_height : 0;
  cell_width = w / 16;
  cell_height = w < h ? h / 16 : h / 8;
}

void font_size(double& cell_width, double& cell_height) {
  int w, h;
  font_size(w, h);
  cell_width = w;
  cell_height = h;
}

int free_font_slot() {
  if (!graphics_device) return -1;
  for (int n = 0; n < kFontSlots - 1; ++n) {
    const SpriteSlot* s = graphics_device->sprite_table.find(size_t(kFirstFontSlot + n));
    if (!s || s->image_width == 0) return n;
  }
  return -1;
}

namespace {

void print_bytes(const char* text, size_t length, double x, double y) {
  OpenGLVadeviva* d = graphics_device;
  if (!d || !text || length == 0) return;
  SpriteSlot* s = current_font_slot();
  if (!s || s->image_width <= 0 || s->image_height <= 0) return;

  int iw = s->image_width, ih = s->image_height;
  bool tall = iw < ih;
  int rows = tall ? 16 : 8, cells = tall ? 256 : 128;
  float cell_height = float(ih / rows), advance = float(iw / 16);
  float cell_u = s->u_extent / 16, cell_v = s->v_extent / float(rows);

  RunState st = current_run_state();
  st.texture = s->texture;
  // the cells inside the projection's 0..ortho_w x 0..ortho_h; the rest
  // would be clipped away by the GL anyway
  double left = std::ceil(x), top_y = std::ceil(y);
  if (top_y + cell_height <= 0 || top_y >= st.ortho_h || advance <= 0) return;
  double skip = left < 0 ? std::floor(-left / advance) : 0;
  double room = std::ceil((st.ortho_w - left) / advance);
  if (room <= skip) return;
  size_t first = size_t(std::min<double>(skip, double(length)));
  size_t end = size_t(std::min<double>(room, double(length)));
  if (end <= first) return;
  float pen = float(left + double(first) * advance), top = float(top_y), bottom = top + cell_height;
  // the vertices carry the alpha factor too, for the per-vertex colour's program
  const uint8_t alpha = alpha_byte(st.constant_alpha);
  PolyVertex* p = record_vertices(st, int(6 * (end - first)));
  for (size_t i = first; i < end; ++i) {
    int k = static_cast<unsigned char>(text[i]) % cells;
    int column = k % 16, row = k / 16;
    float u0 = float(column) * cell_u, u1 = u0 + cell_u;
    float v0 = float(rows - 1 - row) * cell_v, v1 = v0 + cell_v;
    float right = pen + advance;
    const PolyVertex a = {pen, bottom, u0, v0, 255, 255, 255, alpha};
    const PolyVertex b = {pen, top, u0, v1, 255, 255, 255, alpha};
    const PolyVertex c = {right, bottom, u1, v0, 255, 255, 255, alpha};
    const PolyVertex e = {right, top, u1, v1, 255, 255, 255, alpha};
    // the strip's triangles (a, b, c) and (c, b, e)
    p[0] = a, p[1] = b, p[2] = c;
    p[3] = c, p[4] = b, p[5] = e;
    p += 6;
    pen = right;
  }
}

}  // namespace

void print_text(const TvString& text, double x, double y) {
  print_bytes(text.data, text.length, x, y);
}

void print_text(const char* text, double x, double y) {
  if (text) print_bytes(text, std::strlen(text), x, y);
}

void load_start_up_font() {
  if (!graphics_device) return;
  make_default_font(0);
  const char* names[] = {"smalfont.png", "smalfont.bmp"};
  for (const char* name : names) {
    if (image_file_resolves(name)) {
      load_font(TvString(name), 0);
      break;
    }
  }
  set_font(0);
}
