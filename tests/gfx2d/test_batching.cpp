// The recorded, batched drawing against the same frame drawn with plain
// OpenGL calls one primitive at a time (the way each operation is defined:
// immediate quads, lines, points and arrays with their state set around
// them). Both are read back whole and must match in every byte, alpha too.
#include <GL/gl.h>
#include <GL/glext.h>

#include <array>
#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "runtime/gfx2d/draw_batch.h"
#include "runtime/gfx2d/fonts.h"
#include "runtime/gfx2d/sprites.h"
#include "runtime/gfx2d/surfaces.h"
#include "tests/gfx2d/gl_test_context.h"

namespace {

// The operations a test frame is made of, drawn either way.
struct Painter {
  virtual ~Painter() = default;
  virtual void clear(TvColor c) = 0;
  virtual void alpha(double a) = 0;
  virtual void viewport(int x, int y, int w, int h) = 0;
  virtual void smooth(bool on) = 0;
  virtual void rect(int x, int y, int w, int h, TvColor c) = 0;
  virtual void line(int x1, int y1, int x2, int y2, TvColor c) = 0;
  virtual void pixel(int x, int y, TvColor c) = 0;
  virtual void sprite(int s, int x, int y, int w, int h) = 0;  // w = 0: image size
  virtual void rotated(int s, int x, int y, float angle, float zoom) = 0;
  virtual void text(const char* t, double x, double y) = 0;
  // a polygon batch: vertices (x, y, tx, ty, colour), new strip before index `split`
  virtual void poly(int sprite, int mode, const std::vector<std::array<float, 5>>& v, int split) = 0;
};

struct Batched : Painter {
  void clear(TvColor c) override { clear_screen(c); }
  void alpha(double a) override { alpha_mode(a); }
  void viewport(int x, int y, int w, int h) override { set_viewport(x, y, w, h); }
  void smooth(bool on) override { set_smoothing(on); }
  void rect(int x, int y, int w, int h, TvColor c) override { draw_rect(x, y, w, h, c); }
  void line(int x1, int y1, int x2, int y2, TvColor c) override { draw_line(x1, y1, x2, y2, c); }
  void pixel(int x, int y, TvColor c) override { set_pixel(x, y, c); }
  void sprite(int s, int x, int y, int w, int h) override {
    if (w)
      stretch_sprite(s, x, y, w, h);
    else
      draw_sprite(s, x, y);
  }
  void rotated(int s, int x, int y, float angle, float zoom) override {
    rot_zoom_sprite(s, x, y, angle, zoom);
  }
  void text(const char* t, double x, double y) override { print_text(t, x, y); }
  void poly(int s, int mode, const std::vector<std::array<float, 5>>& v, int split) override {
    start_poly(s, mode);
    for (size_t i = 0; i < v.size(); ++i) {
      if (int(i) == split) poly_new_strip();
      poly_vector(v[i][0], v[i][1], v[i][2], v[i][3], TvColor(v[i][4]));
    }
    end_poly();
  }
};

// Plain GL, one call sequence per operation.
struct Reference : Painter {
  OpenGLVadeviva* d;
  float factor = 1;
  bool smoothing = true;
  explicit Reference(OpenGLVadeviva* device) : d(device) {}

  void colour_of(TvColor c, uint8_t rgba[4]) const {
    rgba[0] = uint8_t(c), rgba[1] = uint8_t(c >> 8), rgba[2] = uint8_t(c >> 16);
    rgba[3] = ((c ^ d->sprite_color_key) & 0xFFFFFF) == 0 ? 0 : uint8_t(int(255.0f * factor));
  }
  void begin_primitive(TvColor c) {
    uint8_t rgba[4];
    colour_of(c, rgba);
    glDisable(GL_ALPHA_TEST);
    glColor4ub(rgba[0], rgba[1], rgba[2], rgba[3]);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_TEXTURE_2D);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glTranslatef(0.375f, 0.375f, 0.0f);
    glMatrixMode(GL_MODELVIEW);
  }
  void end_primitive() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glColor4f(1, 1, 1, factor);
    glEnable(GL_ALPHA_TEST);
  }
  void clear(TvColor c) override {
    glClearColor((c & 0xFF) / 255.0f, ((c >> 8) & 0xFF) / 255.0f, ((c >> 16) & 0xFF) / 255.0f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  void alpha(double a) override {
    if (a == 0) {
      glDisable(GL_BLEND);
      glEnable(GL_ALPHA_TEST);
      factor = 1;
    } else {
      glEnable(GL_BLEND);
      glBlendFunc(GL_SRC_ALPHA, a < 0 ? GL_ONE_MINUS_SRC_ALPHA : GL_ONE);
      glDisable(GL_ALPHA_TEST);
      factor = float(std::fabs(a) > 1 ? 1 : std::fabs(a));
    }
    d->alpha_factor = factor;  // the batch's vertices take it from the device
    glColor4f(1, 1, 1, factor);
  }
  void viewport(int x, int y, int w, int h) override {
    if (w <= 0 || h <= 0) w = d->width, h = d->height;
    glViewport(x, d->height - h - y, w, h);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, w, h, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_BLEND);
    glDisable(GL_DITHER);
    glShadeModel(GL_FLAT);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.05f);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_TEXTURE_2D);
    glColor4f(1, 1, 1, 1);
    factor = d->alpha_factor = 1;
    smoothing = true;
  }
  void smooth(bool on) override { smoothing = on; }
  void rect(int x, int y, int w, int h, TvColor c) override {
    if (w == 0 || h == 0) return;
    float x0 = float(w >= 0 ? x : x + w + 1), x1 = float(w >= 0 ? x + w : x + 1);
    float y0 = float(h >= 0 ? y : y + h + 1), y1 = float(h >= 0 ? y + h : y + 1);
    begin_primitive(c);
    glBegin(GL_TRIANGLE_FAN);
    glVertex2f(x0, y0);
    glVertex2f(x1, y0);
    glVertex2f(x1, y1);
    glVertex2f(x0, y1);
    glEnd();
    end_primitive();
  }
  void line(int x1, int y1, int x2, int y2, TvColor c) override {
    begin_primitive(c);
    glBegin(GL_LINES);
    glVertex2f(float(x1), float(y1));
    glVertex2f(float(x2), float(y2));
    glEnd();
    glBegin(GL_POINTS);
    glVertex2f(float(x2), float(y2));
    glEnd();
    end_primitive();
  }
  void pixel(int x, int y, TvColor c) override {
    begin_primitive(c);
    glBegin(GL_POINTS);
    glVertex2f(float(x), float(y));
    glEnd();
    end_primitive();
  }
  SpriteSlot* bind(int s) {
    SpriteSlot* slot = sprite_slot(s);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, slot->texture);
    GLint filter = smoothing ? GL_LINEAR : GL_NEAREST;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    return slot;
  }
  static void fan(float x0, float y0, float x1, float y1, float u0, float v0, float u1, float v1) {
    glBegin(GL_TRIANGLE_FAN);
    glTexCoord2f(u0, v1);
    glVertex2f(x0, y0);
    glTexCoord2f(u1, v1);
    glVertex2f(x1, y0);
    glTexCoord2f(u1, v0);
    glVertex2f(x1, y1);
    glTexCoord2f(u0, v0);
    glVertex2f(x0, y1);
    glEnd();
  }
  void sprite(int s, int x, int y, int w, int h) override {
    SpriteSlot* slot = bind(s);
    if (!w) w = slot->image_width, h = slot->image_height;
    fan(float(x), float(y), float(x + w), float(y + h), 0, 0, slot->u_extent, slot->v_extent);
  }
  void rotated(int s, int x, int y, float angle, float zoom) override {
    SpriteSlot* slot = bind(s);
    int iw = slot->image_width, ih = slot->image_height;
    float tw = slot->texture_width, th = slot->texture_height;
    glPushMatrix();
    glTranslatef(float(x + iw / 2), float(y + ih / 2), 0);
    glRotatef(angle, 0, 0, -1);
    float hw = zoom * float(iw) / 2, hh = zoom * float(ih) / 2;
    fan(-hw, -hh, hw, hh, 0.5f / tw, 0.5f / th, (float(iw) - 0.5f) / tw, (float(ih) - 0.5f) / th);
    glPopMatrix();
  }
  void text(const char* t, double x, double y) override {
    SpriteSlot* s = sprite_slot(kFirstFontSlot + d->current_font);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, s->texture);
    int iw = s->image_width, ih = s->image_height;
    int rows = iw < ih ? 16 : 8, cells = iw < ih ? 256 : 128;
    float cell_height = float(ih / rows), advance = float(iw / 16);
    float cu = s->u_extent / 16, cv = s->v_extent / float(rows);
    float pen = float(std::ceil(x)), top = float(std::ceil(y)), bottom = top + cell_height;
    std::vector<float> v;
    for (const char* p = t; *p; ++p) {
      int k = static_cast<unsigned char>(*p) % cells, column = k % 16, row = k / 16;
      float u0 = float(column) * cu, u1 = u0 + cu, v0 = float(rows - 1 - row) * cv, v1 = v0 + cv;
      float r = pen + advance;
      float quad[20] = {pen, bottom, 0, u0, v0, pen, top, 0, u0, v1,
                        r,   bottom, 0, u1, v0, r,   top, 0, u1, v1};
      v.insert(v.end(), quad, quad + 20);
      pen = r;
    }
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, 20, v.data());
    glTexCoordPointer(2, GL_FLOAT, 20, v.data() + 3);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, GLsizei(v.size() / 5));
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
  }
  void poly(int s, int mode, const std::vector<std::array<float, 5>>& v, int split) override {
    // the batch's vertices as the batch makes them, drawn as one array
    start_poly(s, mode);
    for (size_t i = 0; i < v.size(); ++i) {
      if (int(i) == split) poly_new_strip();
      poly_vector(v[i][0], v[i][1], v[i][2], v[i][3], TvColor(v[i][4]));
    }
    PolyBatch& b = poly_batch;
    if (s >= 0) {
      glEnable(GL_TEXTURE_2D);
      glBindTexture(GL_TEXTURE_2D, sprite_slot(s)->texture);
    } else {
      glBindTexture(GL_TEXTURE_2D, 0);
      glDisable(GL_TEXTURE_2D);
    }
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(2, GL_FLOAT, sizeof(PolyVertex), &b.vertices[0].x);
    if (s >= 0) {
      glEnableClientState(GL_TEXTURE_COORD_ARRAY);
      glTexCoordPointer(2, GL_FLOAT, sizeof(PolyVertex), &b.vertices[0].u);
      GLint filter = smoothing ? GL_LINEAR : GL_NEAREST;
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    }
    bool colours = b.colors_used || factor != 1.0f;
    if (colours) {
      glEnable(GL_DITHER);
      glShadeModel(GL_SMOOTH);
      glEnableClientState(GL_COLOR_ARRAY);
      glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(PolyVertex), &b.vertices[0].red);
    }
    static const GLenum modes[] = {GL_TRIANGLE_FAN, GL_TRIANGLES, GL_TRIANGLE_STRIP};
    glDrawArrays(modes[mode], 0, b.count);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    if (colours) {
      glDisableClientState(GL_COLOR_ARRAY);
      glColor4f(1, 1, 1, factor);
      glShadeModel(GL_FLAT);
      glDisable(GL_DITHER);
    }
  }
};

std::vector<uint8_t> read_frame(OpenGLVadeviva* d) {
  std::vector<uint8_t> px(size_t(d->width) * size_t(d->height) * 4);
  submit_drawing();
  glFinish();
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, d->width, d->height, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
  return px;
}

// Where the two frames differ, as "x,y" of the first few pixels.
std::string differences(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, int width) {
  std::string out;
  int n = 0;
  for (size_t i = 0; i + 3 < a.size(); i += 4)
    if (std::memcmp(&a[i], &b[i], 4) != 0 && n++ < 8)
      out += std::to_string(int(i / 4) % width) + "," + std::to_string(int(i / 4) / width) + " ";
  if (n) out += "(" + std::to_string(n) + " pixels)";
  return out;
}

class Batching : public GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    load_images();
  }
  // (again after reset_draw_batch, which forgets what the textures hold)
  void load_images() {
    load_sprite(TvString(write_temp("checker.bmp", test_bmp(24, 16, [](int x, int y) {
                                      if (x < 3 && y < 3) return 0x8000FF;  // see-through corner
                                      return ((x / 4 + y / 4) % 2) ? 0x20C0F0 : 0x104080 + x * 5;
                                    })).c_str()),
                20);
    make_default_font(0);
    set_font(0);
  }
  // The first frame of a device and later ones are drawn with different
  // driver states; both must give the reference's pixels.
  void compare(const std::function<void(Painter&)>& scene) {
    reset_draw_batch();
    load_images();
    std::vector<uint8_t> first = batched_frame(scene);
    frame_presented();
    std::vector<uint8_t> ours = batched_frame(scene);
    set_viewport(0, 0, 0, 0);
    alpha_mode(0);
    submit_drawing();
    Reference reference(d);
    reference.viewport(0, 0, 0, 0);
    scene(reference);
    std::vector<uint8_t> theirs = read_frame(d);
    set_viewport(0, 0, 0, 0);
    EXPECT_EQ(differences(first, theirs, d->width), "") << "first frame";
    EXPECT_EQ(differences(ours, theirs, d->width), "") << "later frame";
  }
  std::vector<uint8_t> batched_frame(const std::function<void(Painter&)>& scene) {
    Batched batched;
    set_viewport(0, 0, 0, 0);
    alpha_mode(0);
    set_smoothing(true);
    scene(batched);
    return read_frame(d);
  }
};

std::vector<std::array<float, 5>> gradient(float x, float y) {
  return {{x, y, 0, 0, float(0x000000)},       {x, y + 30, 0, 0, float(0x0000FF)},
          {x + 40, y, 0, 0, float(0x00FF00)},  {x + 40, y + 30, 0, 0, float(0xFFFFFF)},
          {x + 60, y, 0, 0, float(0x102030)},  {x + 60, y + 30, 0, 0, float(0xFF0000)},
          {x + 90, y + 5, 0, 0, float(0x8000FF)}, {x + 95, y + 25, 0, 0, float(0x00FFFF)}};
}

TEST_F(Batching, PrimitivesInEveryAlphaModeMatchPlainDrawing) {
  compare([](Painter& p) {
    p.clear(0x302010);
    for (double a : {0.0, -0.5, 0.3, -1.0, 0.0}) {
      p.alpha(a);
      int y = int(std::fabs(a) * 100) + (a < 0 ? 150 : 0);
      p.rect(10, y, 40, 20, 0x4080C0);
      p.rect(60, y, -5, -3, 0xFFFFFF);
      p.rect(70, y, 10, 10, 0x8000FF);  // the colour key: alpha 0
      p.line(90, y, 140, y, 0x00FF00);
      p.line(140, y + 5, 90, y + 5, 0x00FF00);
      p.line(150, y, 150, y + 15, 0xFF00FF);
      p.line(155, y + 15, 155, y, 0xFF00FF);
      p.line(160, y, 190, y + 17, 0xFFFF00);  // slanted lines stay lines
      p.line(200, y + 17, 230, y, 0xFFFF00);
      p.line(240, y, 240, y, 0xFFFFFF);
      p.pixel(250, y + 2, 0x123456);
      p.pixel(251, y + 2, 0x123456);  // twice on one pixel when blending
      p.pixel(251, y + 2, 0x123456);
      p.poly(-1, 2, gradient(260, float(y)), 4);
      p.poly(-1, 0, {{380, float(y), 0, 0, 0xFFFFFF}, {420, float(y), 0, 0, 0xFFFFFF},
                     {430, float(y) + 20, 0, 0, 0xFFFFFF}, {390, float(y) + 25, 0, 0, 0xFFFFFF}},
             -1);
      p.poly(-1, 1, {{440, float(y), 0, 0, 0x0000FF}, {470, float(y), 0, 0, 0x00FF00},
                     {455, float(y) + 25, 0, 0, 0xFF0000}, {0, 0, 0, 0, 0}}, -1);
    }
  });
}

TEST_F(Batching, SpritesTextViewportsAndKeysMatchPlainDrawing) {
  compare([](Painter& p) {
    p.clear(0x000000);
    p.rect(0, 0, 480, 320, 0x203040);
    p.sprite(20, 5, 5, 0, 0);
    p.sprite(20, 40, 5, 48, 40);  // stretched, filtered
    p.smooth(false);
    p.sprite(20, 100, 5, 37, 23);
    p.text("Batched text: 0123 {}~", 10.4, 60.2);
    p.rotated(20, 200, 10, 30.0f, 1.5f);
    p.smooth(true);
    p.rotated(20, 260, 10, -75.0f, 2.0f);
    p.poly(20, 2, {{300, 10, 0, 0, 0xFFFFFF}, {300, 40, 0, 16, 0xFFFFFF},
                   {340, 10, 24, 0, 0xFFFFFF}, {340, 40, 24, 16, 0xFFFFFF}}, -1);
    p.alpha(-0.6);
    p.sprite(20, 10, 80, 60, 40);
    p.text("translucent", 20, 90);
    p.rect(5, 100, 30, 30, 0xFF8000);
    p.sprite(20, 40, 100, 0, 0);  // after a primitive the alpha test is on again
    p.alpha(0.5);
    p.text("additive", 100, 90);
    p.sprite(20, 100, 100, 0, 0);
    p.viewport(150, 150, 200, 100);
    p.rect(-10, -10, 50, 50, 0x00FF00);  // clipped by the viewport
    p.text("in a viewport", 5, 40);
    p.sprite(20, 180, 80, 40, 40);
    p.line(0, 0, 199, 99, 0xFFFFFF);
    p.viewport(300, 250, 0, 30);  // the whole screen
    p.alpha(0);
    p.rect(400, 280, 30, 30, 0x8000FF);
    p.text("end", 400, 300);
    p.viewport(10, 200, 100, 100);
    p.clear(0x204020);  // clears everything, not the viewport
    p.text("after clear", 0, 0);
  });
}

// Alpha factors whose byte lies on a rounding tie (0.3, 0.7), sprites
// sampled nearest and filtered, their see-through corner under the alpha
// test and blended.
TEST_F(Batching, TextAndSpritesInEveryTranslucencyMatchPlainDrawing) {
  compare([](Painter& p) {
    p.clear(0x102030);
    p.rect(0, 0, 480, 150, 0x80A0C0);
    int y = 0;
    for (double a : {-0.3, -0.7, -0.8, -0.5, 0.3, -0.999, 0.0}) {
      p.alpha(a);
      p.text("Tie 0123 {}~", 10, y);
      p.smooth(false);
      p.sprite(20, 150, y, 0, 0);
      p.smooth(true);
      p.sprite(20, 200, y, 30, 20);
      p.rect(260, y, 20, 10, 0xFFFFFF);
      y += 22;
    }
  });
}

TEST_F(Batching, ATextureDrawnIntoIsNoLongerTakenForSeeThroughOrOpaque) {
  create_screen(1, 22, 32, 32);  // starts fully transparent
  use_screen(1);
  alpha_mode(-0.5);
  draw_rect(0, 0, 32, 32, 0xFFFFFF);  // its alpha becomes a quarter
  alpha_mode(0);
  use_screen(-1);
  set_smoothing(false);
  clear_screen(0x0000FF);
  draw_sprite(22, 0, 0);  // passes the alpha test: written as it is, not blended
  TvColor c = get_pixel(5, 5);
  EXPECT_EQ((c >> 8) & 0xFF, c & 0xFF) << std::hex << c;
}

TEST_F(Batching, RectanglesLinesAndTextInAnyTranslucencyShareOneDriverProgram) {
  reset_draw_batch();  // counts programs from here; the font is told again
  load_images();
  clear_screen(0x203040);
  draw_rect(0, 0, 480, 20, 0xC0C0C0);
  draw_line(0, 30, 200, 30, 0x00FF00);
  print_text("opaque", 0, 40);
  for (double a : {-0.5, -0.7, -0.8}) {
    alpha_mode(a);
    draw_rect(0, 60, 480, 20, 0x000000);
    print_text("translucent", 0, 60);
  }
  alpha_mode(0);
  print_text("opaque again", 0, 90);
  submit_drawing();
  EXPECT_EQ(draw_programs_met(), 1u);
}

TEST_F(Batching, AFirstFrameReadHalfWayDrawsTheRestWhereItWasRecorded) {
  reset_draw_batch();  // a device's first frame: fills sample the font's white
  load_images();
  print_text("before the read", 0, 0);
  draw_rect(100, 100, 10, 10, 0x00FF00);
  EXPECT_EQ(get_pixel(105, 105), 0x00FF00);  // draws the first part
  print_text("after it", 0, 20);
  draw_rect(200, 200, 10, 10, 0x0000FF);
  EXPECT_EQ(get_pixel(205, 205), 0x0000FF);
  EXPECT_EQ(get_pixel(105, 105), 0x00FF00);
}

TEST_F(Batching, ConsecutiveRectanglesAndTextAreOneDrawCallEach) {
  clear_screen(0);
  submit_drawing();
  uint64_t before = submitted_draw_calls();
  for (int i = 0; i < 500; ++i) draw_rect(i % 470, (i * 7) % 310, 10, 10, 0x010203 * (i % 80));
  for (int row = 0; row < 40; ++row) print_text("0123456789012345678901234567890123456789", 0, row * 8);
  for (int i = 0; i < 100; ++i) draw_sprite(20, i * 4, i * 3);
  EXPECT_EQ(get_pixel(0, 0) == 0x123456, false);  // reading submits
  EXPECT_EQ(submitted_draw_calls() - before, 3u);
  alpha_mode(-0.5);  // a change of state starts a new run
  draw_rect(0, 0, 5, 5, 0xFFFFFF);
  draw_rect(10, 0, 5, 5, 0xFFFFFF);
  alpha_mode(-0.5);
  draw_rect(20, 0, 5, 5, 0xFFFFFF);
  submit_drawing();
  EXPECT_EQ(submitted_draw_calls() - before, 4u);
}

TEST_F(Batching, ABigFrameGivesItsRoomBackOnceFramesAreSmallAgain) {
  for (int i = 0; i < 20000; ++i) draw_rect(i % 470, (i * 7) % 310, 2, 2, 0x102030);
  frame_presented();
  EXPECT_GE(kept_vertex_room(), 120000u);
  for (int frame = 0; frame < 2; ++frame) {
    draw_rect(0, 0, 10, 10, 0xFFFFFF);
    frame_presented();
  }
  EXPECT_LE(kept_vertex_room(), 4u * 4096);
  draw_rect(0, 0, 10, 10, 0xFFFFFF);
  EXPECT_TRUE(frame_unchanged());  // the smaller buffers still hold the frame on screen
  frame_dropped();
}

TEST_F(Batching, ReadsAndTargetChangesSeeWhatWasDrawnBefore) {
  draw_rect(0, 0, 20, 20, 0x0000FF);
  EXPECT_EQ(get_pixel(5, 5), 0x0000FF);  // get_pixel submits first

  draw_rect(30, 0, 16, 16, 0x00FF00);
  grab_sprite(21, 30, 0, 16, 16);  // the grab sees the pending rectangle
  clear_screen(0);
  draw_sprite(21, 100, 100);
  EXPECT_EQ(get_pixel(105, 105), 0x00FF00);

  create_screen(1, 22, 32, 32);
  draw_rect(0, 0, 10, 10, 0xFF0000);  // pending on the window
  use_screen(1);
  draw_rect(0, 0, 8, 8, 0xFFFFFF);    // pending on the surface
  EXPECT_EQ(get_pixel(2, 2), 0xFFFFFF);
  use_screen(-1);
  EXPECT_EQ(get_pixel(2, 2), 0xFF0000);
  draw_rect(200, 200, 8, 8, 0x0000FF);
  use_screen(1);  // leaving the window submits its drawing too
  use_screen(-1);
  EXPECT_EQ(get_pixel(202, 202), 0x0000FF);
  EXPECT_EQ(sprite_collision(22, 0, 0, 22, 4, 4), 1);
}

// A frame that changed only where its caller noted is drawn only there, and
// only while the window's back buffer still holds the frame on screen.
TEST_F(Batching, AFrameChangedOnlyWhereNotedIsDrawnThereWhileTheBackBufferHoldsTheLast) {
  auto frame = [](TvColor mark, bool vouch, bool read_early = false) {
    set_viewport(0, 0, 0, 0);
    clear_screen(0);
    if (read_early) {
      EXPECT_EQ(get_pixel(30, 30), 0);
    }
    begin_repeatable_part();
    draw_rect(0, 0, 480, 320, 0x404040);
    draw_rect(20, 20, 100, 40, 0x00FF00);
    draw_rect(200, 100, 4, 16, mark);
    note_changing_area(200, 100, 204, 116);
    end_repeatable_part();
    if (vouch) part_changed_only_in_noted_areas();
  };
  auto present = [] {
    submit_drawing();
    frame_about_to_present();
    frame_presented();
  };
  for (int i = 0; i < 2; ++i) {  // the second begins as the next ones do
    frame(0xFFFFFF, false);
    present();
  }
  uint64_t partly = partly_drawn_frames();
  frame(0x0000FF, true);
  present();
  EXPECT_EQ(partly_drawn_frames(), partly + 1);
  EXPECT_EQ(get_pixel(201, 101), 0x0000FF);
  EXPECT_EQ(get_pixel(30, 30), 0x00FF00);

  // the same frame again, read half-way: its clear reached the back buffer
  // before it was found unchanged and dropped
  frame(0x0000FF, true, true);
  ASSERT_TRUE(frame_unchanged());
  frame_dropped();
  frame(0xFFFFFF, true);
  present();
  EXPECT_EQ(partly_drawn_frames(), partly + 1);
  EXPECT_EQ(get_pixel(30, 30), 0x00FF00);

  // a driver that handed back an older buffer: told apart by the noted area
  glClearColor(1, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  frame(0x0000FF, true);
  present();
  EXPECT_EQ(partly_drawn_frames(), partly + 1);
  EXPECT_EQ(get_pixel(30, 30), 0x00FF00);
  EXPECT_EQ(get_pixel(201, 101), 0x0000FF);
}

}  // namespace
