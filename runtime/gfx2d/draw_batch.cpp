// draw_batch.cpp - recording, merging and submitting the 2D vertex stream,
// and the comparison of whole frames.
//
// Submission sets every state of a run explicitly, so what other code did
// to the GL between two submissions does not matter; afterwards the GL
// state is the device's again, as the program left it. Runs are drawn in
// as few driver states as give the same pixels (state_to_draw), helped by
// what each texture's pixels hold (texture_uploaded).
#include "runtime/gfx2d/draw_batch.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "runtime/platform/window_sdl.h"

namespace {

// What a texture's alpha holds (texture_uploaded).
enum TextureAlpha : int8_t { ALPHA_MIXED = 0, ALPHA_ZERO_OR_FULL = 1, ALPHA_FULL = 2 };

// Where a repeatable part lies in a frame's stream (begin_repeatable_part).
struct PartMarks {
  bool open = false, closed = false;
  bool broken = false;  // a second part, or a clear cut into it: not repeatable
  size_t run_begin = 0, run_end = 0, vertex_begin = 0, vertex_end = 0;
};

// A noted area in window pixels, x and y from the bottom-left (as glScissor).
struct Area {
  int32_t x = 0, y = 0, w = 0, h = 0;
};

struct DrawLog {
  std::vector<PolyVertex> vertices;
  std::vector<DrawRun> runs;
  bool incomplete = false;  // drawn parts were let go: cannot be compared
  PartMarks part;
  // The part stands unrecorded for the presented frame's (repeat_presented_part).
  bool repeated = false;
  std::vector<Area> areas;  // note_changing_area
  bool unplaced = false;    // an area could not be placed in the window
  bool vouched = false;     // part_changed_only_in_noted_areas
  void clear() {
    vertices.clear();
    runs.clear();
    incomplete = false;
    part = PartMarks{};
    repeated = false;
    areas.clear();
    unplaced = false;
    vouched = false;
  }
};

// A frame is kept for comparison up to this many vertices; a larger one (or
// drawing without show_frame) lets its drawn part go after each submission.
constexpr size_t kKeptVertices = 1 << 18;

// Room a frame's buffers keep once frames are small again: a big frame
// (a long text on show) must not hold its size for the rest of the run.
constexpr size_t kSpareVertices = 4096;

template <typename T>
void give_back_room(std::vector<T>& v, size_t needed) {
  size_t keep = needed < kSpareVertices ? kSpareVertices : needed;
  if (v.capacity() <= 2 * keep) return;
  std::vector<T> smaller;
  smaller.reserve(needed);
  smaller.assign(v.begin(), v.end());
  v.swap(smaller);
}

}  // namespace

struct DrawRecorder {
  DrawLog current;    // the frame being recorded
  DrawLog presented;  // the frame on screen
  bool have_presented = false;
  size_t submitted_runs = 0;  // runs of `current` already drawn
  size_t sealed_runs = 0;     // runs of `current` that take no more vertices (part edges)
  bool redraw_needed = true;
  uint64_t draw_calls = 0;
  uint64_t frames = 0;
  // Texture changes: a stamp per texture name from one counter, and the
  // counter's value when the frame on screen began to be recorded.
  std::unordered_map<unsigned, uint64_t> texture_stamps;
  uint64_t stamp_counter = 1;
  uint64_t presented_frame_start = 0;
  uint64_t current_frame_start = 0;
  // What each texture's alpha holds and whether it is sampled nearest now
  // (texture_uploaded, and the filters runs set); absent: mixed.
  struct TextureFacts {
    TextureAlpha alpha = ALPHA_MIXED;
    bool nearest = false;
    bool has_white = false;
    float white_u = 0, white_v = 0;  // the centre of an opaque white texel
  };
  std::unordered_map<unsigned, TextureFacts> texture_facts;
  // Until the first frame is on screen, untextured runs are drawn
  // textured, modulated by their colours, so they share the textured runs'
  // driver program: sampling an opaque white texel of the frame's text
  // (no change of the bound texture either, each of which costs the
  // software driver about as much as a small draw's binning), else this
  // 1 x 1 white texture. Later they draw untextured again: that program
  // costs one compile in some later frame, and then rasterises plain
  // fills in about two thirds of the time.
  unsigned white_texture = 0;
  bool white_failed = false;
  bool first_frame_shown = false;
  std::vector<PolyVertex> stand_in_vertices;  // runs drawn now, with the white texel's place
  std::vector<uint32_t> programs;  // draw_programs_met
  // Whether the window's back buffer may still hold the presented frame:
  // no frame was drawn into it since and dropped. Drivers that copy at a
  // swap keep it; drivers that flip give back an older frame, which the
  // presented frame's noted areas, read back before its swap, tell apart.
  bool back_holds_presented = false;
  bool drew_this_frame = false;
  std::vector<uint8_t> area_pixels;       // the presented frame's noted areas
  std::vector<uint8_t> next_area_pixels;  // the frame being presented's
  uint64_t partial_frames = 0;
};

namespace {

// The device's recorder; a stand-in while there is no device.
DrawRecorder& rec() {
  static DrawRecorder none;
  OpenGLVadeviva* d = graphics_device;
  if (!d) return none;
  if (!d->recorder) d->recorder = std::make_shared<DrawRecorder>();
  return *d->recorder;
}

bool same_state(const RunState& a, const RunState& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Runs [0, end) of `log` use no texture that changed after `since`.
bool textures_unchanged(const DrawRecorder& R, const DrawLog& log, size_t end, uint64_t since) {
  if (R.stamp_counter <= since) return true;  // no texture changed at all
  for (size_t i = 0; i < end; ++i) {
    unsigned texture = log.runs[i].state.texture;
    if (!texture) continue;
    auto stamp = R.texture_stamps.find(texture);
    if (stamp != R.texture_stamps.end() && stamp->second > since) return false;
  }
  return true;
}

// A repeated part becomes recorded: the presented frame's runs and vertices
// of it are appended (the streams before it are equal, so the runs' first
// vertices stay where they are).
void copy_repeated_part(DrawRecorder& R) {
  DrawLog& c = R.current;
  if (!c.repeated) return;
  c.repeated = false;
  const DrawLog& p = R.presented;
  const PartMarks& m = p.part;
  c.runs.insert(c.runs.end(), p.runs.begin() + long(m.run_begin), p.runs.begin() + long(m.run_end));
  c.vertices.insert(c.vertices.end(), p.vertices.begin() + long(m.vertex_begin),
                    p.vertices.begin() + long(m.vertex_end));
  R.sealed_runs = c.runs.size();
}

// The runs and vertices before `runs`/`vertices` of `a` equal those of `b`.
bool same_beginning(const DrawLog& a, const DrawLog& b, size_t runs, size_t vertices) {
  for (size_t i = 0; i < runs; ++i) {
    const DrawRun& x = a.runs[i];
    const DrawRun& y = b.runs[i];
    if (x.first != y.first || x.count != y.count || !same_state(x.state, y.state)) return false;
  }
  return !vertices ||
         std::memcmp(a.vertices.data(), b.vertices.data(), vertices * sizeof(PolyVertex)) == 0;
}

void read_areas(const std::vector<Area>& areas, std::vector<uint8_t>& out) {
  size_t size = 0;
  for (const Area& a : areas) size += size_t(a.w) * size_t(a.h) * 4;
  out.resize(size);
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  size_t at = 0;
  for (const Area& a : areas) {
    glReadPixels(a.x, a.y, a.w, a.h, GL_RGBA, GL_UNSIGNED_BYTE, out.data() + at);
    at += size_t(a.w) * size_t(a.h) * 4;
  }
}

// The frame being recorded may be drawn only inside the areas noted in it
// and in the presented frame; returns their bounds, or false.
bool limit_to_areas(DrawRecorder& R, Area& bounds) {
  const DrawLog& c = R.current;
  const DrawLog& p = R.presented;
  OpenGLVadeviva* d = graphics_device;
  if (!c.vouched || !d || !R.have_presented || R.redraw_needed || !R.back_holds_presented ||
      R.area_pixels.empty() || c.incomplete || p.incomplete || c.unplaced || p.unplaced ||
      c.areas.empty() || p.areas.empty())
    return false;
  const PartMarks &cm = c.part, &pm = p.part;
  if (!cm.closed || cm.broken || !pm.closed || pm.broken || c.repeated) return false;
  // both frames are their parts after the same beginning, drawn into the window
  if (c.runs.size() != cm.run_end || p.runs.size() != pm.run_end ||
      cm.run_begin != pm.run_begin || cm.vertex_begin != pm.vertex_begin)
    return false;
  if (!same_beginning(c, p, cm.run_begin, cm.vertex_begin)) return false;
  for (const DrawRun& r : c.runs)
    if (r.state.target != -1) return false;
  if (!textures_unchanged(R, c, c.runs.size(), R.presented_frame_start)) return false;
  // the back buffer holds the presented frame (where frames differ, at least)
  int age = platform_gl_back_buffer_age(d->window);
  if (age > 1) return false;
  static std::vector<uint8_t> now;
  read_areas(p.areas, now);
  if (now != R.area_pixels) return false;
  int32_t x0 = INT32_MAX, y0 = INT32_MAX, x1 = INT32_MIN, y1 = INT32_MIN;
  for (const std::vector<Area>* list : {&c.areas, &p.areas})
    for (const Area& a : *list) {
      x0 = std::min(x0, a.x), y0 = std::min(y0, a.y);
      x1 = std::max(x1, a.x + a.w), y1 = std::max(y1, a.y + a.h);
    }
  bounds = Area{x0, y0, x1 - x0, y1 - y0};
  return true;
}

template <typename F>
F fn(void* p) {
  return reinterpret_cast<F>(p);
}

// ---- applying a run's state ------------------------------------------------------

void apply_projection(const RunState& s) {
  glViewport(s.viewport[0], s.viewport[1], s.viewport[2], s.viewport[3]);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, s.ortho_w, s.ortho_h, 0, -1, 1);
  if (s.pixel_shift) glTranslatef(0.375f, 0.375f, 0.0f);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  if (s.rotated) {
    glTranslatef(s.rotate[0], s.rotate[1], 0);
    glRotatef(s.rotate[2], 0, 0, -1);
  }
}

void apply_blend(int blend) {
  if (blend == BLEND_OFF) {
    glDisable(GL_BLEND);
  } else {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, blend == BLEND_TRANSLUCENT ? GL_ONE_MINUS_SRC_ALPHA : GL_ONE);
  }
}

void enable(GLenum cap, bool on) {
  if (on)
    glEnable(cap);
  else
    glDisable(cap);
}

void apply_texture(const RunState& s, DrawRecorder& R) {
  if (!s.texture) {
    glDisable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    return;
  }
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, s.texture);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  if (s.filter >= 0) {
    auto facts = R.texture_facts.find(s.texture);
    if (facts != R.texture_facts.end()) facts->second.nearest = s.filter == 0;
    GLint filter = s.filter ? GL_LINEAR : GL_NEAREST;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
  }
  if (s.clamp) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  }
}

void apply_colour(const RunState& s) {
  if (s.colour_array) {
    glEnableClientState(GL_COLOR_ARRAY);
  } else {
    glDisableClientState(GL_COLOR_ARRAY);
    glColor4f(1, 1, 1, s.constant_alpha);
  }
  glShadeModel(s.smooth ? GL_SMOOTH : GL_FLAT);
  enable(GL_DITHER, s.smooth);
}

// Sets what differs from `was` (everything when `was` is null).
void apply_state(const RunState& s, const RunState* was, DrawRecorder& R) {
  if (!was || std::memcmp(was->viewport, s.viewport, sizeof s.viewport) != 0 ||
      was->ortho_w != s.ortho_w || was->ortho_h != s.ortho_h || was->pixel_shift != s.pixel_shift ||
      was->rotated != s.rotated || std::memcmp(was->rotate, s.rotate, sizeof s.rotate) != 0)
    apply_projection(s);
  if (!was || was->texture != s.texture || was->filter != s.filter || was->clamp != s.clamp)
    apply_texture(s, R);
  if (!was || was->blend != s.blend) apply_blend(s.blend);
  if (!was || was->alpha_test != s.alpha_test) enable(GL_ALPHA_TEST, s.alpha_test);
  if (!was || was->colour_array != s.colour_array || was->constant_alpha != s.constant_alpha ||
      was->smooth != s.smooth)
    apply_colour(s);
}

// The GL state a run is drawn with. A software driver compiles a vertex
// program for every colour source and texturing it meets, a rasteriser
// set-up for every shading and a fragment variant for every blend, alpha
// test and sampling, so runs whose pixels come out the same either way
// share one state:
// - constant colours that the vertices hold too (white, and an alpha whose
//   byte alpha_byte gives) come from the vertices;
// - primitives whose corners share one colour are shaded smoothly;
// - in the first frame, untextured runs take a white texel, which their
//   colours modulate (`stand_in`: a texture that has one, sampled nearest);
// - translucent blending, with the alpha test off, where every fragment's
//   alpha is 1 (blending writes the source as it is), or 0 or 1 and the
//   alpha test was on (blending keeps what the test would have kept out),
//   or, when blending anyway, the test would drop only alpha 0.
// A fragment's alpha is the vertices' times the texture's, known from the
// texture's alpha kind; "0 or 255" holds only when sampled nearest.
RunState state_to_draw(const DrawRun& r, const PolyVertex* v, const DrawRecorder& R,
                       unsigned stand_in) {
  const RunState& s = r.state;
  if (s.kind == RUN_CLEAR) return s;
  // keyed: each primitive's corners share an alpha of 0 or 255; above the
  // test: of 0, or one the alpha test (greater than 0.05) lets through
  bool opaque = true, keyed = true, above_test = true, white = true, flat = true;
  const uint8_t constant = alpha_byte(s.constant_alpha);
  const PolyVertex* p = v + r.first;
  const size_t corners = s.kind == RUN_LINES ? 2 : 3;
  for (size_t i = 0; i < r.count; ++i) {
    const PolyVertex& c = p[i];
    const PolyVertex& first = p[i - i % corners];
    uint8_t a = c.alpha;
    opaque = opaque && a == 255;
    keyed = keyed && (a == 0 || a == 255) && a == first.alpha;
    above_test = above_test && (a == 0 || a >= 14) && a == first.alpha;
    white = white && c.red == 255 && c.green == 255 && c.blue == 255 && a == constant;
    flat = flat && c.red == first.red && c.green == first.green && c.blue == first.blue &&
           a == first.alpha;
  }
  TextureAlpha texels = ALPHA_FULL;
  if (s.texture) {
    auto facts = R.texture_facts.find(s.texture);
    bool known = facts != R.texture_facts.end();
    texels = known ? facts->second.alpha : ALPHA_MIXED;
    bool nearest = s.filter >= 0 ? s.filter == 0 : known && facts->second.nearest;
    if (texels == ALPHA_ZERO_OR_FULL && !nearest) texels = ALPHA_MIXED;
  }
  RunState g = s;
  if (!s.colour_array) {
    // a fraction of a texel's alpha would be scaled by the constant, not
    // by its byte: the same only for texel alphas of 0 and 1
    if (!white || (constant != 255 && texels == ALPHA_MIXED)) return s;
    g.colour_array = 1;  // the same colour, from the vertices
    g.constant_alpha = 1;
  }
  if (flat) g.smooth = 1;
  if (!s.texture && !R.first_frame_shown && (stand_in || R.white_texture)) {
    g.texture = stand_in ? stand_in : R.white_texture;
    g.filter = -1;
    g.clamp = stand_in ? s.clamp : 0;
  }
  bool alpha_one = opaque && texels == ALPHA_FULL;
  bool alpha_zero_or_one = keyed && texels != ALPHA_MIXED;
  bool test_drops_only_zero = above_test && texels != ALPHA_MIXED;
  bool same_with_blending = false;
  if (s.blend == BLEND_OFF)
    same_with_blending = s.alpha_test ? alpha_zero_or_one : alpha_one;
  else if (s.blend == BLEND_TRANSLUCENT)
    same_with_blending = !s.alpha_test || test_drops_only_zero;
  if (same_with_blending) {
    g.blend = BLEND_TRANSLUCENT;
    g.alpha_test = 0;
  }
  return g;
}

// Makes the white texture once per device; drawing goes on without it if
// it cannot be had.
void make_white_texture(DrawRecorder& R) {
  if (R.white_texture || R.white_failed) return;
  // errors left by earlier calls must not be taken for this upload's
  for (int i = 0; i < 16; ++i)
    if (glGetError() == GL_NO_ERROR) break;
  GLuint t = 0;
  glGenTextures(1, &t);
  glBindTexture(GL_TEXTURE_2D, t);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  static const uint8_t white[4] = {255, 255, 255, 255};
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
  glBindTexture(GL_TEXTURE_2D, 0);
  if (t && glGetError() == GL_NO_ERROR) {
    R.white_texture = t;
  } else {
    if (t) glDeleteTextures(1, &t);
    R.white_failed = true;
  }
}

// The texture whose white texel untextured runs of the first frame
// sample: the first textured run's of those to draw now, when it has one
// and is sampled nearest. 0: none.
unsigned choose_stand_in(const DrawRecorder& R) {
  for (size_t i = R.submitted_runs; i < R.current.runs.size(); ++i) {
    const RunState& s = R.current.runs[i].state;
    if (s.kind == RUN_CLEAR || !s.texture) continue;
    auto facts = R.texture_facts.find(s.texture);
    if (facts == R.texture_facts.end() || !facts->second.has_white) return 0;
    bool nearest = s.filter >= 0 ? s.filter == 0 : facts->second.nearest;
    return nearest ? s.texture : 0;
  }
  return 0;
}

// Counts the program a drawn state needs, when not met before.
void note_program(DrawRecorder& R, const RunState& s) {
  uint32_t key = uint32_t(s.texture != 0) | uint32_t(s.filter + 1) << 1 | uint32_t(s.clamp) << 3 |
                 uint32_t(s.blend) << 4 | uint32_t(s.alpha_test) << 6 |
                 uint32_t(s.colour_array) << 7 | uint32_t(s.smooth) << 8;
  if (R.programs.size() < 256 &&
      std::find(R.programs.begin(), R.programs.end(), key) == R.programs.end())
    R.programs.push_back(key);
}

void second_texture_unit_off() {
  OpenGLVadeviva* d = graphics_device;
  if (!d || !d->ext.glActiveTextureARB) return;
  auto active = fn<PFNGLACTIVETEXTUREARBPROC>(d->ext.glActiveTextureARB);
  active(GL_TEXTURE1_ARB);
  glDisable(GL_TEXTURE_2D);
  active(GL_TEXTURE0_ARB);
}

}  // namespace

// ---- recording ---------------------------------------------------------------------

RunState current_run_state() {
  RunState s;
  OpenGLVadeviva* d = graphics_device;
  if (!d) return s;
  s.target = d->current_screen;
  std::memcpy(s.viewport, d->gl_viewport, sizeof s.viewport);
  s.ortho_w = d->viewport_w;
  s.ortho_h = d->viewport_h;
  s.blend = int8_t(d->blend_mode);
  s.alpha_test = d->alpha_test ? 1 : 0;
  s.constant_alpha = d->alpha_factor;
  return s;
}

PolyVertex* record_vertices(const RunState& state, int count) {
  DrawRecorder& R = rec();
  if (count <= 0) return nullptr;
  copy_repeated_part(R);
  size_t at = R.current.vertices.size();
  if (R.current.runs.size() > std::max(R.submitted_runs, R.sealed_runs) &&
      same_state(R.current.runs.back().state, state)) {
    R.current.runs.back().count += uint32_t(count);
  } else {
    DrawRun r;
    r.state = state;
    r.first = uint32_t(at);
    r.count = uint32_t(count);
    R.current.runs.push_back(r);
  }
  R.current.vertices.resize(at + size_t(count));
  return R.current.vertices.data() + at;
}

void record_quad(const RunState& state, float x0, float y0, float x1, float y1, float u0, float v0,
                 float u1, float v1, const uint8_t rgba[4]) {
  PolyVertex* p = record_vertices(state, 6);
  // the two triangles of the fan (0, 1, 2), (0, 2, 3) over the corners
  // top-left, top-right, bottom-right, bottom-left
  const PolyVertex c[4] = {{x0, y0, u0, v0, rgba[0], rgba[1], rgba[2], rgba[3]},
                           {x1, y0, u1, v0, rgba[0], rgba[1], rgba[2], rgba[3]},
                           {x1, y1, u1, v1, rgba[0], rgba[1], rgba[2], rgba[3]},
                           {x0, y1, u0, v1, rgba[0], rgba[1], rgba[2], rgba[3]}};
  p[0] = c[0], p[1] = c[1], p[2] = c[2];
  p[3] = c[0], p[4] = c[2], p[5] = c[3];
}

void record_clear(float r, float g, float b, float a, bool depth) {
  DrawRecorder& R = rec();
  copy_repeated_part(R);
  RunState s = current_run_state();
  // what is pending for this target is painted over: it need not be drawn
  if (R.current.runs.size() > R.submitted_runs) {
    bool same_target = true;
    for (size_t i = R.submitted_runs; i < R.current.runs.size(); ++i)
      if (R.current.runs[i].state.target != s.target) same_target = false;
    if (same_target) {
      PartMarks& m = R.current.part;
      size_t kept = R.submitted_runs;
      // a part whose marks now point past the stream cannot be repeated
      if ((m.closed && kept < m.run_end) || (m.open && kept < m.run_begin)) m.broken = true;
      R.current.vertices.resize(R.current.runs[kept].first);
      R.current.runs.resize(kept);
      R.sealed_runs = std::min(R.sealed_runs, kept);
    }
  }
  RunState c;
  c.kind = RUN_CLEAR;
  c.target = s.target;
  c.clear_rgba[0] = r, c.clear_rgba[1] = g, c.clear_rgba[2] = b, c.clear_rgba[3] = a;
  c.clear_depth = depth ? 1 : 0;
  DrawRun run;
  run.state = c;
  run.first = uint32_t(R.current.vertices.size());
  R.current.runs.push_back(run);
}

// ---- submission ----------------------------------------------------------------------

void apply_device_state() {
  OpenGLVadeviva* d = graphics_device;
  if (!d || !d->context_present) return;
  RunState s = current_run_state();
  apply_projection(s);
  apply_blend(s.blend);
  enable(GL_ALPHA_TEST, s.alpha_test);
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
  glColor4f(1, 1, 1, d->alpha_factor);
  glShadeModel(GL_FLAT);
  glDisable(GL_DITHER);
  glBindTexture(GL_TEXTURE_2D, 0);
  glDisable(GL_TEXTURE_2D);
}

void submit_drawing() {
  DrawRecorder& R = rec();
  OpenGLVadeviva* d = graphics_device;
  copy_repeated_part(R);  // something reads the frame: the part must be drawn
  if (R.current.runs.size() <= R.submitted_runs) return;
  if (!d || !d->context_present) {
    R.submitted_runs = R.current.runs.size();
    return;
  }
  Area bounds;
  bool limited = R.submitted_runs == 0 && limit_to_areas(R, bounds);
  if (limited) {
    glEnable(GL_SCISSOR_TEST);
    glScissor(bounds.x, bounds.y, bounds.w, bounds.h);
    ++R.partial_frames;
  }
  R.drew_this_frame = true;
  second_texture_unit_off();
  unsigned stand_in = 0;
  const PolyVertex* v = R.current.vertices.data();
  uint32_t copied_from = 0;  // index in the stream of the copy's first vertex
  if (!R.first_frame_shown) {
    make_white_texture(R);
    stand_in = choose_stand_in(R);
    if (stand_in) {
      // a copy of what is drawn now, its untextured runs pointing at the
      // white texel
      const DrawRecorder::TextureFacts& f = R.texture_facts[stand_in];
      copied_from = R.current.runs[R.submitted_runs].first;
      R.stand_in_vertices.assign(R.current.vertices.begin() + long(copied_from),
                                 R.current.vertices.end());
      for (size_t i = R.submitted_runs; i < R.current.runs.size(); ++i) {
        const DrawRun& r = R.current.runs[i];
        if (r.state.texture || r.state.kind == RUN_CLEAR) continue;
        for (uint32_t k = r.first; k < r.first + r.count; ++k) {
          R.stand_in_vertices[k - copied_from].u = f.white_u;
          R.stand_in_vertices[k - copied_from].v = f.white_v;
        }
      }
      v = R.stand_in_vertices.data();
    }
  }
  glEnableClientState(GL_VERTEX_ARRAY);
  if (v) {
    glVertexPointer(2, GL_FLOAT, sizeof(PolyVertex), &v->x);
    glTexCoordPointer(2, GL_FLOAT, sizeof(PolyVertex), &v->u);
    glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(PolyVertex), &v->red);
  }
  RunState drawn, was;
  bool have_was = false;
  for (size_t i = R.submitted_runs; i < R.current.runs.size(); ++i) {
    const DrawRun& r = R.current.runs[i];
    if (r.state.kind == RUN_CLEAR) {
      glClearColor(r.state.clear_rgba[0], r.state.clear_rgba[1], r.state.clear_rgba[2],
                   r.state.clear_rgba[3]);
      glClear(GL_COLOR_BUFFER_BIT | (r.state.clear_depth ? GL_DEPTH_BUFFER_BIT : 0));
      continue;
    }
    // the white texel is there only while the texture is sampled nearest
    // (a run before this one may have changed its filter)
    unsigned white_from = stand_in && R.texture_facts[stand_in].nearest ? stand_in : 0;
    drawn = state_to_draw(r, R.current.vertices.data(), R, white_from);
    if (!have_was || !same_state(drawn, was)) note_program(R, drawn);
    apply_state(drawn, have_was ? &was : nullptr, R);
    was = drawn;
    have_was = true;
    glDrawArrays(r.state.kind == RUN_LINES ? GL_LINES : GL_TRIANGLES, GLint(r.first - copied_from),
                 GLsizei(r.count));
    ++R.draw_calls;
  }
  // drawing after this submission has the rest of the window as it should be
  if (limited) glDisable(GL_SCISSOR_TEST);
  R.submitted_runs = R.current.runs.size();
  if (R.current.vertices.size() > kKeptVertices) {
    R.current.clear();
    R.current.incomplete = true;
    R.submitted_runs = 0;
    R.sealed_runs = 0;
  }
  glClearColor(d->clear_rgba[0], d->clear_rgba[1], d->clear_rgba[2], d->clear_rgba[3]);
  apply_device_state();
}

void texture_changing(unsigned texture) {
  DrawRecorder& R = rec();
  submit_drawing();
  if (texture) {
    R.texture_stamps[texture] = ++R.stamp_counter;
    R.texture_facts.erase(texture);
  }
}

void texture_uploaded(unsigned texture, const uint8_t* rgba, int width, int height, bool nearest) {
  if (!texture || !rgba || width <= 0 || height <= 0) return;
  DrawRecorder& R = rec();
  DrawRecorder::TextureFacts f;
  f.nearest = nearest;
  bool full = true, mixed = false;
  const size_t pixels = size_t(width) * size_t(height);
  for (size_t i = 0; i < pixels && !(mixed && f.has_white); ++i) {
    const uint8_t* p = rgba + 4 * i;
    if (p[3] != 255) {
      full = false;
      mixed = mixed || p[3] != 0;
    } else if (!f.has_white && p[0] == 255 && p[1] == 255 && p[2] == 255) {
      f.has_white = true;
      f.white_u = (float(i % size_t(width)) + 0.5f) / float(width);
      f.white_v = (float(i / size_t(width)) + 0.5f) / float(height);
    }
  }
  f.alpha = full ? ALPHA_FULL : mixed ? ALPHA_MIXED : ALPHA_ZERO_OR_FULL;
  if (f.alpha == ALPHA_MIXED && !f.has_white)
    R.texture_facts.erase(texture);
  else
    R.texture_facts[texture] = f;
}

uint8_t alpha_byte(float alpha) {
  if (!(alpha > 0)) return 0;
  if (alpha >= 1) return 255;
  // single-precision steps, each rounded, not fused into one
  volatile float scaled = alpha * (255.0f / 256.0f);
  float sum = scaled + 32768.0f;  // 32768 has a step of 1/256: the rounding
  uint32_t bits;
  std::memcpy(&bits, &sum, sizeof bits);
  return uint8_t(bits & 0xFF);
}

// ---- whole frames ----------------------------------------------------------------------

bool frame_unchanged() {
  DrawRecorder& R = rec();
  if (R.redraw_needed || !R.have_presented || R.current.incomplete || R.presented.incomplete)
    return false;
  if (R.current.repeated) {
    // the prefix was found equal when the part was repeated, and nothing was
    // recorded since: equal unless the presented frame went on after its part
    const PartMarks& m = R.presented.part;
    return R.presented.runs.size() == m.run_end && R.presented.vertices.size() == m.vertex_end &&
           textures_unchanged(R, R.presented, m.run_end, R.presented_frame_start);
  }
  if (R.current.runs.size() != R.presented.runs.size() ||
      R.current.vertices.size() != R.presented.vertices.size())
    return false;
  for (size_t i = 0; i < R.current.runs.size(); ++i) {
    const DrawRun& a = R.current.runs[i];
    const DrawRun& b = R.presented.runs[i];
    if (a.first != b.first || a.count != b.count || !same_state(a.state, b.state)) return false;
  }
  if (!textures_unchanged(R, R.current, R.current.runs.size(), R.presented_frame_start)) return false;
  return R.current.vertices.empty() ||
         std::memcmp(R.current.vertices.data(), R.presented.vertices.data(),
                     R.current.vertices.size() * sizeof(PolyVertex)) == 0;
}

void frame_presented() {
  DrawRecorder& R = rec();
  submit_drawing();
  R.area_pixels.swap(R.next_area_pixels);
  R.next_area_pixels.clear();
  R.back_holds_presented = true;
  R.drew_this_frame = false;
  std::swap(R.current, R.presented);
  R.current.clear();
  // the next frame is likely the size of this one
  give_back_room(R.current.vertices, R.presented.vertices.size());
  give_back_room(R.current.runs, R.presented.runs.size());
  give_back_room(R.presented.vertices, R.presented.vertices.size());
  give_back_room(R.presented.runs, R.presented.runs.size());
  R.submitted_runs = 0;
  R.sealed_runs = 0;
  R.have_presented = true;
  R.first_frame_shown = true;
  std::vector<PolyVertex>().swap(R.stand_in_vertices);
  ++R.frames;
  R.redraw_needed = false;
  R.presented_frame_start = R.current_frame_start;
  R.current_frame_start = R.stamp_counter;
}

void frame_dropped() {
  DrawRecorder& R = rec();
  // the frame's drawing, equal as it is, began with a clear of the back buffer
  if (R.drew_this_frame) R.back_holds_presented = false;
  R.drew_this_frame = false;
  R.next_area_pixels.clear();
  R.current.clear();
  R.submitted_runs = 0;
  R.sealed_runs = 0;
  R.current_frame_start = R.stamp_counter;
}

// ---- a part of the frame repeated unrecorded -------------------------------------------

void begin_repeatable_part() {
  DrawRecorder& R = rec();
  copy_repeated_part(R);
  PartMarks& m = R.current.part;
  if (m.open || m.closed) {
    m.broken = true;
    return;
  }
  m.open = true;
  m.run_begin = R.current.runs.size();
  m.vertex_begin = R.current.vertices.size();
  R.sealed_runs = R.current.runs.size();
}

void end_repeatable_part() {
  DrawRecorder& R = rec();
  PartMarks& m = R.current.part;
  if (!m.open) return;
  m.open = false;
  m.closed = true;
  m.run_end = R.current.runs.size();
  m.vertex_end = R.current.vertices.size();
  R.sealed_runs = R.current.runs.size();
}

bool repeat_presented_part() {
  DrawRecorder& R = rec();
  DrawLog& c = R.current;
  const DrawLog& p = R.presented;
  const PartMarks& m = p.part;
  if (R.redraw_needed || !R.have_presented || c.incomplete || p.incomplete) return false;
  if (!m.closed || m.broken || c.part.open || c.part.closed || c.part.broken || c.repeated)
    return false;
  // this frame so far must be what the presented one held before its part
  if (c.runs.size() != m.run_begin || c.vertices.size() != m.vertex_begin) return false;
  if (!same_beginning(c, p, m.run_begin, m.vertex_begin)) return false;
  if (!textures_unchanged(R, p, m.run_end, R.presented_frame_start)) return false;
  c.part = m;
  c.repeated = true;
  return true;
}

void invalidate_presented_frame() { rec().redraw_needed = true; }

// ---- a frame drawn only where it changed -------------------------------------------

void note_changing_area(float x0, float y0, float x1, float y1) {
  DrawRecorder& R = rec();
  OpenGLVadeviva* d = graphics_device;
  if (!d) return;
  RunState s = current_run_state();
  if (s.target != -1 || s.ortho_w <= 0 || s.ortho_h <= 0) {
    R.current.unplaced = true;
    return;
  }
  const float sx = float(s.viewport[2]) / float(s.ortho_w);
  const float sy = float(s.viewport[3]) / float(s.ortho_h);
  const float top = float(s.viewport[1] + s.viewport[3]);
  // a pixel more on every side: smoothing and the primitives' shift
  int32_t ax0 = int32_t(std::floor(float(s.viewport[0]) + x0 * sx)) - 1;
  int32_t ax1 = int32_t(std::ceil(float(s.viewport[0]) + x1 * sx)) + 1;
  int32_t ay0 = int32_t(std::floor(top - y1 * sy)) - 1;
  int32_t ay1 = int32_t(std::ceil(top - y0 * sy)) + 1;
  // what falls outside the viewport and the window is never drawn
  ax0 = std::max({ax0, s.viewport[0], 0});
  ay0 = std::max({ay0, s.viewport[1], 0});
  ax1 = std::min({ax1, s.viewport[0] + s.viewport[2], d->width});
  ay1 = std::min({ay1, s.viewport[1] + s.viewport[3], d->height});
  if (ax1 <= ax0 || ay1 <= ay0) return;
  R.current.areas.push_back(Area{ax0, ay0, ax1 - ax0, ay1 - ay0});
}

void part_changed_only_in_noted_areas() { rec().current.vouched = true; }

void frame_about_to_present(bool drawn_into_window) {
  DrawRecorder& R = rec();
  OpenGLVadeviva* d = graphics_device;
  R.next_area_pixels.clear();
  if (!drawn_into_window || !d || !d->context_present || R.current.areas.empty() || R.current.unplaced)
    return;
  read_areas(R.current.areas, R.next_area_pixels);
}

uint64_t partly_drawn_frames() { return rec().partial_frames; }

void reset_draw_batch() {
  DrawRecorder& R = rec();
  R.current.clear();
  R.presented.clear();
  R.submitted_runs = 0;
  R.sealed_runs = 0;
  R.have_presented = false;
  R.redraw_needed = true;
  R.texture_stamps.clear();
  R.texture_facts.clear();
  R.programs.clear();  // a new context compiles anew
  OpenGLVadeviva* d = graphics_device;
  if (R.white_texture && d && d->context_present) glDeleteTextures(1, &R.white_texture);
  R.white_texture = 0;
  R.white_failed = false;
  R.first_frame_shown = false;
  R.back_holds_presented = false;
  R.drew_this_frame = false;
}

uint64_t submitted_draw_calls() { return rec().draw_calls; }
uint64_t presented_frames() { return rec().frames; }
size_t recorded_vertices() { return rec().current.vertices.size(); }
size_t draw_programs_met() { return rec().programs.size(); }
size_t kept_vertex_room() {
  DrawRecorder& R = rec();
  return R.current.vertices.capacity() + R.presented.vertices.capacity();
}
