// device.cpp - the 2D render state and the untextured primitives, recorded
// into the frame's vertex stream (draw_batch) and drawn with OpenGL 1.x
// fixed-function calls when it is submitted.
//
// Primitives shift the projection by 0.375 pixel so integer coordinates hit
// pixel centres the same way on every rasteriser; they draw with the alpha
// test off, so the colour key reaches the frame buffer with alpha 0. A
// pixel, and a line along a row or column, is the quad of the pixels it
// covers, so it joins the rectangles' run; other lines draw as lines.
#include "runtime/gfx2d/device.h"

#include "runtime/gfx2d/background.h"
#include "runtime/gfx2d/draw_batch.h"
#include "runtime/gfx2d/scaled_frame.h"
#include "runtime/gfx2d/sprites.h"
#include "runtime/gfx2d/surfaces.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

OpenGLVadeviva* graphics_device = nullptr;
PolyBatch poly_batch;

void OpenGLVadeviva::free_textures() {
  free_screens(*this);
  free_background_sets(*this);
  free_sprite_table(*this);
}

namespace {

int to_int(double v) {
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return 2147483647;
  if (v <= -2147483648.0) return -2147483647 - 1;
  return int(v);  // truncation toward zero
}

bool same_colour(TvColor a, TvColor b) { return ((a ^ b) & 0xFFFFFF) == 0; }

// State of a primitive: untextured, per-vertex colour, alpha test off,
// shifted by 0.375 pixel. Afterwards the alpha test is on, whatever the
// alpha mode. Shaded smoothly: a primitive's corners share one colour, so
// the picture is the flat one, and primitives and opaque colour polygons
// need one driver program between them, not two (each costs a compile in
// the first frame).
RunState primitive_state() {
  RunState st = current_run_state();
  st.alpha_test = 0;
  st.colour_array = 1;
  st.smooth = 1;
  st.pixel_shift = 1;
  st.constant_alpha = 1;
  return st;
}

void primitive_done() { graphics_device->alpha_test = true; }

void record_box(float x0, float y0, float x1, float y1, const uint8_t rgba[4]) {
  record_quad(primitive_state(), x0, y0, x1, y1, 0, 0, 0, 0, rgba);
}

}  // namespace

void primitive_rgba(TvColor colour, uint8_t rgba[4]) {
  rgba[0] = uint8_t(colour & 0xFF);
  rgba[1] = uint8_t((colour >> 8) & 0xFF);
  rgba[2] = uint8_t((colour >> 16) & 0xFF);
  float f = graphics_device ? graphics_device->alpha_factor : 1.0f;
  bool key = graphics_device && same_colour(colour, graphics_device->sprite_color_key);
  rgba[3] = key ? 0 : uint8_t(int(255.0f * f));
}

// ---- render state ---------------------------------------------------------------

void alpha_mode(double a) {
  OpenGLVadeviva* d = graphics_device;
  if (!d) return;
  if (a == 0) {
    d->blend_mode = BLEND_OFF;
    d->alpha_test = true;
    d->alpha_factor = 1.0f;
  } else {
    d->blend_mode = a < 0 ? BLEND_TRANSLUCENT : BLEND_ADDITIVE;
    d->alpha_test = false;
    double f = std::fabs(a);
    d->alpha_factor = float(f > 1.0 ? 1.0 : f);
  }
  apply_device_state();
}

void reset_frame_render_state() { alpha_mode(0); }

void set_transparency(TvColor colour) {
  if (!graphics_device) return;
  graphics_device->sprite_color_key = colour;
  graphics_device->font_color_key = colour;
}

void set_smoothing(int flag) {
  if (graphics_device) graphics_device->smoothing = flag != 0;
}

void clear_screen(TvColor colour) {
  if (!graphics_device) return;
  free_background();
  OpenGLVadeviva* d = graphics_device;
  d->clear_rgba[0] = (colour & 0xFF) / 255.0f;
  d->clear_rgba[1] = ((colour >> 8) & 0xFF) / 255.0f;
  d->clear_rgba[2] = ((colour >> 16) & 0xFF) / 255.0f;
  d->clear_rgba[3] = 1.0f;
  record_clear(d->clear_rgba[0], d->clear_rgba[1], d->clear_rgba[2], 1.0f, false);
}

void set_viewport(int x, int y, int w, int h) {
  OpenGLVadeviva* d = graphics_device;
  if (!d) return;
  if (w <= 0 || h <= 0) {
    w = d->width;
    h = d->height;
  }
  d->viewport_x = x;
  d->viewport_y = y;
  d->viewport_w = w;
  d->viewport_h = h;
  d->gl_viewport[0] = x;
  d->gl_viewport[1] = d->height - h - y;
  d->gl_viewport[2] = w;
  d->gl_viewport[3] = h;

  static const GLenum off[] = {GL_DEPTH_TEST,     GL_CULL_FACE,      GL_FOG,
                               GL_LINE_SMOOTH,    GL_POINT_SMOOTH,   GL_STENCIL_TEST,
                               GL_NORMALIZE,      GL_LIGHTING,       GL_COLOR_MATERIAL,
                               GL_DITHER,         GL_POLYGON_SMOOTH, GL_POLYGON_OFFSET_POINT,
                               GL_AUTO_NORMAL,    GL_BLEND};
  for (GLenum cap : off) glDisable(cap);
  glFrontFace(GL_CCW);
  glShadeModel(GL_FLAT);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_FASTEST);
  glHint(GL_FOG_HINT, GL_FASTEST);
  glAlphaFunc(GL_GREATER, 0.05f);
  d->blend_mode = BLEND_OFF;
  d->alpha_test = true;
  d->alpha_factor = 1.0f;
  d->smoothing = true;
  apply_device_state();
}

void get_viewport(int& x, int& y, int& w, int& h) {
  OpenGLVadeviva* d = graphics_device;
  x = d ? d->viewport_x : 0;
  y = d ? d->viewport_y : 0;
  w = d ? d->viewport_w : 0;
  h = d ? d->viewport_h : 0;
}

void get_viewport(double& x, double& y, double& w, double& h) {
  int ix, iy, iw, ih;
  get_viewport(ix, iy, iw, ih);
  x = ix, y = iy, w = iw, h = ih;
}

void screen_size(int& width, int& height) {
  width = graphics_device ? graphics_device->width : 0;
  height = graphics_device ? graphics_device->height : 0;
}

void screen_size(double& width, double& height) {
  int w, h;
  screen_size(w, h);
  width = w, height = h;
}

// ---- primitives -------------------------------------------------------------------

void draw_rect(double x, double y, double w, double h, TvColor colour) {
  if (!graphics_device) return;
  int ix = to_int(x), iy = to_int(y), iw = to_int(w), ih = to_int(h);
  if (iw == 0 || ih == 0) return;
  // a negative size extends left/up and includes the start column/row
  float x0 = float(iw >= 0 ? ix : ix + iw + 1), x1 = float(iw >= 0 ? ix + iw : ix + 1);
  float y0 = float(ih >= 0 ? iy : iy + ih + 1), y1 = float(ih >= 0 ? iy + ih : iy + 1);
  uint8_t rgba[4];
  primitive_rgba(colour, rgba);
  record_box(x0, y0, x1, y1, rgba);
  primitive_done();
}

void draw_line(double x1, double y1, double x2, double y2, TvColor colour) {
  if (!graphics_device) return;
  int ax = to_int(x1), ay = to_int(y1), bx = to_int(x2), by = to_int(y2);
  uint8_t rgba[4];
  primitive_rgba(colour, rgba);
  if (ax == bx || ay == by) {
    // along a row or column: the line and its end point cover these pixels
    float left = float(ax < bx ? ax : bx), right = float((ax < bx ? bx : ax) + 1);
    float top = float(ay < by ? ay : by), bottom = float((ay < by ? by : ay) + 1);
    record_box(left, top, right, bottom, rgba);
  } else {
    PolyVertex* p = nullptr;
    RunState st = primitive_state();
    st.kind = RUN_LINES;
    p = record_vertices(st, 2);
    p[0] = {float(ax), float(ay), 0, 0, rgba[0], rgba[1], rgba[2], rgba[3]};
    p[1] = {float(bx), float(by), 0, 0, rgba[0], rgba[1], rgba[2], rgba[3]};
    // the end pixel is always set
    record_box(float(bx), float(by), float(bx + 1), float(by + 1), rgba);
  }
  primitive_done();
}

void set_pixel(double x, double y, TvColor colour) {
  if (!graphics_device) return;
  uint8_t rgba[4];
  primitive_rgba(colour, rgba);
  float px = float(to_int(x)), py = float(to_int(y));
  record_box(px, py, px + 1, py + 1, rgba);
  primitive_done();
}

TvColor get_pixel(double x, double y) {
  OpenGLVadeviva* d = graphics_device;
  if (!d) return 0;
  int ix = to_int(x), iy = to_int(y);
  uint8_t rgba[4] = {0, 0, 0, 0};
  submit_drawing();
  if (d->current_screen >= 0) {
    if (!read_screen_pixel(ix, iy, rgba)) return 0;
  } else {
    glReadBuffer(window_read_buffer());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(ix, d->height - 1 - iy, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
  }
  return TvColor(rgba[0]) | (TvColor(rgba[1]) << 8) | (TvColor(rgba[2]) << 16);
}

// ---- polygon batch ------------------------------------------------------------------

namespace {

void poly_reserve(int needed) {
  if (needed <= poly_batch.capacity) return;
  int cap = needed <= 512 ? 512 : 128 * (needed / 128 + 1);
  void* p = std::realloc(poly_batch.vertices, size_t(cap) * sizeof(PolyVertex));
  if (!p) std::abort();  // out of memory while drawing: nothing sensible to do
  poly_batch.vertices = static_cast<PolyVertex*>(p);
  poly_batch.capacity = cap;
}

void poly_push(const PolyVertex& v) {
  poly_reserve(poly_batch.count + 1);
  poly_batch.vertices[poly_batch.count++] = v;
}

}  // namespace

void start_poly(int sprite, int mode) {
  PolyBatch& b = poly_batch;
  b.sprite = -1;
  b.texture = 0;
  if (sprite >= 0) {
    int tw = 0, th = 0, ih = 0;
    sprite_texture_info(sprite, b.texture, tw, th, ih);
    b.sprite = sprite;
    b.inv_texture_width = tw > 0 ? 1.0f / float(tw) : 1.0f;
    b.inv_texture_height = th > 0 ? 1.0f / float(th) : 1.0f;
    b.image_height = ih;
  }
  if (b.capacity < 3) poly_reserve(512);
  b.count = 0;
  b.colors_used = false;
  b.mode = mode;
  b.strip_join_pending = false;
}

void poly_vector(float x, float y, float tx, float ty, TvColor colour) {
  PolyBatch& b = poly_batch;
  PolyVertex v;
  v.x = x;
  v.y = y;
  v.u = 0;
  v.v = 0;
  if (b.sprite >= 0) {
    v.u = tx * b.inv_texture_width;
    v.v = (float(b.image_height) - ty) * b.inv_texture_height;
  }
  if ((colour & 0xFFFFFF) == 0xFFFFFF) {
    v.red = v.green = v.blue = 255;
  } else {
    v.red = uint8_t(colour & 0xFF);
    v.green = uint8_t((colour >> 8) & 0xFF);
    v.blue = uint8_t((colour >> 16) & 0xFF);
    b.colors_used = true;
  }
  float f = graphics_device ? graphics_device->alpha_factor : 1.0f;
  if (graphics_device && same_colour(colour, graphics_device->sprite_color_key))
    v.alpha = 0;
  else
    v.alpha = f == 1.0f ? 255 : uint8_t(int(255.0f * f));
  poly_push(v);
  if (b.strip_join_pending) {
    poly_push(v);
    b.strip_join_pending = false;
  }
}

void poly_new_strip() {
  PolyBatch& b = poly_batch;
  if (b.count < 1 || b.strip_join_pending) return;
  PolyVertex last = b.vertices[b.count - 1];
  poly_push(last);
  b.strip_join_pending = true;
}

void end_poly() {
  PolyBatch& b = poly_batch;
  OpenGLVadeviva* d = graphics_device;
  if (!d || b.count == 0) return;
  RunState st = current_run_state();
  if (b.sprite >= 0) {
    // an empty slot draws with texture 0, that is untextured
    st.texture = b.texture;
    st.filter = st.texture ? (d->smoothing ? 1 : 0) : -1;
  }
  if (d->alpha_factor != 1.0f) b.colors_used = true;
  st.colour_array = b.colors_used ? 1 : 0;
  st.smooth = b.colors_used ? 1 : 0;
  if (!b.colors_used) st.constant_alpha = d->alpha_factor;
  if (!st.texture) {
    // the corners carry white where no colour was given, and an alpha test
    // cannot drop anything between opaque corners: the same picture with
    // the primitives' driver program (one program fewer to compile)
    st.colour_array = 1;
    st.smooth = 1;
    bool opaque = true;
    for (int i = 0; i < b.count && opaque; ++i) opaque = b.vertices[i].alpha == 255;
    if (opaque) st.alpha_test = 0;
  }
  // fans and strips become separate triangles in the order and with the
  // last (provoking) vertex the rasteriser gives them
  const PolyVertex* v = b.vertices;
  int n = b.count;
  if (b.mode == 1) {
    int triangles = n / 3;
    if (triangles == 0) return;
    PolyVertex* p = record_vertices(st, 3 * triangles);
    std::memcpy(p, v, sizeof(PolyVertex) * size_t(3 * triangles));
  } else if (n >= 3) {
    PolyVertex* p = record_vertices(st, 3 * (n - 2));
    for (int i = 0; i + 2 < n; ++i) {
      if (b.mode == 2) {
        bool odd = i & 1;
        *p++ = v[odd ? i + 1 : i];
        *p++ = v[odd ? i : i + 1];
        *p++ = v[i + 2];
      } else {
        *p++ = v[0];
        *p++ = v[i + 1];
        *p++ = v[i + 2];
      }
    }
  }
}

void release_poly_batch() {
  std::free(poly_batch.vertices);
  poly_batch = PolyBatch{};
}
