// device.cpp - the 2D render state and the untextured primitives, drawn with
// OpenGL 1.x fixed-function calls into the current target.
//
// Primitives shift the projection by 0.375 pixel so integer coordinates hit
// pixel centres the same way on every rasteriser; they draw with the alpha
// test off, so the colour key reaches the frame buffer with alpha 0.
#include "runtime/gfx2d/device.h"

#include "runtime/gfx2d/background.h"
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

void primitive_begin(const uint8_t rgba[4]) {
  glDisable(GL_ALPHA_TEST);
  glColor4ub(rgba[0], rgba[1], rgba[2], rgba[3]);
  glBindTexture(GL_TEXTURE_2D, 0);
  glDisable(GL_TEXTURE_2D);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glTranslatef(0.375f, 0.375f, 0.0f);
  glMatrixMode(GL_MODELVIEW);
}

void primitive_end() {
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glColor4f(1, 1, 1, graphics_device->alpha_factor);
  glEnable(GL_ALPHA_TEST);  // whatever the alpha mode
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
    glDisable(GL_BLEND);
    glEnable(GL_ALPHA_TEST);
    d->alpha_factor = 1.0f;
  } else {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, a < 0 ? GL_ONE_MINUS_SRC_ALPHA : GL_ONE);
    glDisable(GL_ALPHA_TEST);
    double f = std::fabs(a);
    d->alpha_factor = float(f > 1.0 ? 1.0 : f);
  }
  glColor4f(1, 1, 1, d->alpha_factor);
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
  glClearColor((colour & 0xFF) / 255.0f, ((colour >> 8) & 0xFF) / 255.0f,
               ((colour >> 16) & 0xFF) / 255.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
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
  glViewport(x, d->height - h - y, w, h);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, w, h, 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();

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
  glEnable(GL_ALPHA_TEST);
  glAlphaFunc(GL_GREATER, 0.05f);
  glBindTexture(GL_TEXTURE_2D, 0);
  glDisable(GL_TEXTURE_2D);
  glColor4f(1, 1, 1, 1);
  d->alpha_factor = 1.0f;
  d->smoothing = true;
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
  primitive_begin(rgba);
  glBegin(GL_TRIANGLE_FAN);
  glVertex2f(x0, y0);
  glVertex2f(x1, y0);
  glVertex2f(x1, y1);
  glVertex2f(x0, y1);
  glEnd();
  primitive_end();
}

void draw_line(double x1, double y1, double x2, double y2, TvColor colour) {
  if (!graphics_device) return;
  float ax = float(to_int(x1)), ay = float(to_int(y1));
  float bx = float(to_int(x2)), by = float(to_int(y2));
  uint8_t rgba[4];
  primitive_rgba(colour, rgba);
  primitive_begin(rgba);
  glBegin(GL_LINES);
  glVertex2f(ax, ay);
  glVertex2f(bx, by);
  glEnd();
  glBegin(GL_POINTS);  // the end pixel is always set
  glVertex2f(bx, by);
  glEnd();
  primitive_end();
}

void set_pixel(double x, double y, TvColor colour) {
  if (!graphics_device) return;
  uint8_t rgba[4];
  primitive_rgba(colour, rgba);
  primitive_begin(rgba);
  glBegin(GL_POINTS);
  glVertex2f(float(to_int(x)), float(to_int(y)));
  glEnd();
  primitive_end();
}

TvColor get_pixel(double x, double y) {
  OpenGLVadeviva* d = graphics_device;
  if (!d) return 0;
  int ix = to_int(x), iy = to_int(y);
  uint8_t rgba[4] = {0, 0, 0, 0};
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
  if (sprite >= 0) {
    int tw = 0, th = 0, ih = 0;
    bind_sprite_texture(sprite, tw, th, ih);
    b.sprite = sprite;
    b.inv_texture_width = tw > 0 ? 1.0f / float(tw) : 1.0f;
    b.inv_texture_height = th > 0 ? 1.0f / float(th) : 1.0f;
    b.image_height = ih;
  } else {
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_TEXTURE_2D);
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
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(2, GL_FLOAT, sizeof(PolyVertex), &b.vertices[0].x);
  if (b.sprite >= 0) {
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, sizeof(PolyVertex), &b.vertices[0].u);
    GLint filter = d->smoothing ? GL_LINEAR : GL_NEAREST;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
  }
  if (d->alpha_factor != 1.0f) b.colors_used = true;
  if (b.colors_used) {
    glEnable(GL_DITHER);
    glShadeModel(GL_SMOOTH);
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(PolyVertex), &b.vertices[0].red);
  }
  static const GLenum modes[] = {GL_TRIANGLE_FAN, GL_TRIANGLES, GL_TRIANGLE_STRIP};
  glDrawArrays(b.mode >= 0 && b.mode <= 2 ? modes[b.mode] : GL_TRIANGLE_FAN, 0, b.count);
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  if (b.colors_used) {
    glDisableClientState(GL_COLOR_ARRAY);
    glColor4f(1, 1, 1, d->alpha_factor);
    glShadeModel(GL_FLAT);
    glDisable(GL_DITHER);
  }
}

void release_poly_batch() {
  std::free(poly_batch.vertices);
  poly_batch = PolyBatch{};
}
