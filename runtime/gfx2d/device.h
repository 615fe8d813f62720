// device.h - OpenGLVadeviva, the one graphics device object, and the 2D
// render state with its untextured primitives.
//
// The device holds the window and its OpenGL context (runtime/frame/window),
// the frame pacing state (runtime/frame/frame_loop), the 2D state used here
// (colour keys, alpha factor, viewport, smoothing) and the extension entry
// points looked up when the context is made. Sprites, fonts, background
// tiles and off-screen surfaces live in the same object; their modules add
// their members in the marked section below.
//
// Colours are TvColor integers: red + green * 256 + blue * 65536, bits 24-31
// ignored. Every 2D operation acts on the one global device `graphics_device`
// and does nothing while there is none.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

using TvColor = int32_t;

// Extension entry points, the one list of their names: each X(name) is a
// field of GlExtensionFunctions and the name the window looks it up by once
// the context is current and the driver lists the group's extension.
#define GL_MULTITEXTURE_ENTRY_POINTS(X)                                                        \
  X(glActiveTextureARB) X(glMultiTexCoord2fARB) X(glClientActiveTextureARB) X(glGenBuffersARB) \
  X(glBindBufferARB) X(glBufferDataARB) X(glDeleteBuffersARB) X(glMapBufferARB)               \
  X(glUnmapBufferARB) X(glGetBufferParameterivARB)
#define GL_SHADER_ENTRY_POINTS(X)                                                                  \
  X(glCreateProgramObjectARB) X(glDeleteObjectARB) X(glCreateShaderObjectARB) X(glShaderSourceARB) \
  X(glCompileShaderARB) X(glGetObjectParameterivARB) X(glAttachObjectARB) X(glGetInfoLogARB)       \
  X(glLinkProgramARB) X(glUseProgramObjectARB) X(glGetUniformLocationARB) X(glUniform1fARB)        \
  X(glUniform1iARB) X(glGetAttribLocationARB) X(glVertexAttrib1fARB)
// The extension each group comes with.
constexpr const char* kGlMultitextureExtension = "GL_ARB_multitexture";
constexpr const char* kGlShaderExtension = "GL_ARB_fragment_program";

// A missing entry point stays null; its users test it.
struct GlExtensionFunctions {
#define GL_EXTENSION_FIELD(name) void* name = nullptr;
  GL_MULTITEXTURE_ENTRY_POINTS(GL_EXTENSION_FIELD)  // multitexture and buffer objects
  GL_SHADER_ENTRY_POINTS(GL_EXTENSION_FIELD)        // shader objects
#undef GL_EXTENSION_FIELD
};

// ---- records of the sprite, font, background and surface modules -----------
// The frame's recorded drawing (runtime/gfx2d/draw_batch).
struct DrawRecorder;

// One slot of the sprite table; fonts and surfaces live in the same table.
struct SpriteSlot {
  unsigned texture = 0;      // main texture, no mipmaps; 0 = none
  unsigned mip_texture = 0;  // mipmapped copy for the 3D engine; 0 = none
  float u_extent = 1.0f;     // image width / texture width
  float v_extent = 1.0f;     // image height / texture height
  int16_t texture_width = -1;  // power of two; -1 when free
  int16_t texture_height = -1;
  int16_t image_width = 0;  // 0 = the slot is empty
  int16_t image_height = 0;
  int16_t frame_width = 0;  // animation frame size; 0 = no animation
  int16_t frame_height = 0;
};

constexpr int kSpriteSlots = 65536;
constexpr int kFontSlots = 32;
constexpr int kFirstFontSlot = kSpriteSlots - kFontSlots;  // 65504
constexpr int kScratchSprite = kFirstFontSlot - 1;         // surface fallback
constexpr int kBackgroundSets = 8;

// The sprite slots with their collision masks, in pages of 256 made when a
// slot of the page is first written: a program uses a few slots at the
// bottom and the fonts' at the top, and the rest costs no memory.
class SpriteTable {
 public:
  static constexpr int kPageSlots = 256;
  // The slot, its page made on demand (0 <= i < kSpriteSlots).
  SpriteSlot& operator[](size_t i) { return page(i).slots[i % kPageSlots]; }
  std::vector<uint8_t>& mask(size_t i) { return page(i).masks[i % kPageSlots]; }
  // The slot when its page exists, else null (a slot nobody wrote is empty).
  const SpriteSlot* find(size_t i) const {
    const Page* p = pages_[i / kPageSlots].get();
    return p ? &p->slots[i % kPageSlots] : nullptr;
  }

 private:
  struct Page {
    SpriteSlot slots[kPageSlots];
    std::vector<uint8_t> masks[kPageSlots];  // alpha, bottom-up, made on first collision test
  };
  Page& page(size_t i) {
    std::unique_ptr<Page>& p = pages_[i / kPageSlots];
    if (!p) p = std::make_unique<Page>();
    return *p;
  }
  std::unique_ptr<Page> pages_[kSpriteSlots / kPageSlots];
};
constexpr int kMaxBackgroundTiles = 8;  // per row and per column
constexpr int kScreenCount = 32;

// A tiled background image: at most 8 x 8 tiles, row by row from the top-left.
struct BackgroundSet {
  unsigned textures[kMaxBackgroundTiles * kMaxBackgroundTiles] = {};
  int16_t texture_width[kMaxBackgroundTiles * kMaxBackgroundTiles] = {};
  int16_t texture_height[kMaxBackgroundTiles * kMaxBackgroundTiles] = {};
  int16_t used_width[kMaxBackgroundTiles * kMaxBackgroundTiles] = {};
  int16_t used_height[kMaxBackgroundTiles * kMaxBackgroundTiles] = {};
  int rows = 0;           // tile rows
  int tiles_per_row = 0;
  int tile_size = 0;      // distance between tile origins in pixels
};

// An off-screen surface.
struct ScreenRecord {
  unsigned framebuffer = 0;   // frame-buffer object; 0 = none
  unsigned depth_buffer = 0;  // render buffer of the depth attachment
  int saved_binding = 0;      // binding current when the screen was selected
  int width = 0;              // texture width; 0 = no usable object (fallback)
  int height = 0;
  int sprite = 0;
};

// The frame-buffer-object entry points, looked up by their EXT names once
// per context. A missing one stays null and the surfaces fall back.
struct FramebufferFunctions {
  bool looked_up = false;
  void* glBindRenderbufferEXT = nullptr;
  void* glDeleteRenderbuffersEXT = nullptr;
  void* glGenRenderbuffersEXT = nullptr;
  void* glRenderbufferStorageEXT = nullptr;
  void* glBindFramebufferEXT = nullptr;
  void* glDeleteFramebuffersEXT = nullptr;
  void* glGenFramebuffersEXT = nullptr;
  void* glCheckFramebufferStatusEXT = nullptr;
  void* glFramebufferTexture2DEXT = nullptr;
  void* glFramebufferRenderbufferEXT = nullptr;
  void* glGetFramebufferAttachmentParameterivEXT = nullptr;
};

// The frame of an enlarged window: drawing goes into this frame-buffer
// object of the screen's size, and each presentation draws it `scale` times
// larger into the window (runtime/gfx2d/scaled_frame).
struct ScaledFrame {
  int window_scale = 1;  // chosen for the windowed mode; 1 = not enlarged
  int scale = 1;         // in use now; 1 in full screen
  unsigned framebuffer = 0;
  unsigned texture = 0;       // power-of-two colour texture, frame at its bottom-left
  unsigned depth_buffer = 0;  // depth (and stencil when the driver has both in one)
  int texture_width = 0, texture_height = 0;
};

class OpenGLVadeviva {
 public:
  OpenGLVadeviva() = default;
  virtual ~OpenGLVadeviva() = default;
  OpenGLVadeviva(const OpenGLVadeviva&) = delete;
  OpenGLVadeviva& operator=(const OpenGLVadeviva&) = delete;

  // Frees every texture the device owns (sprites, fonts, background tiles,
  // surfaces). Called by destroy_window while the context is still current.
  virtual void free_textures();

  // ---- window and context -------------------------------------------------
  void* window = nullptr;   // platform window handle
  int width = 0;            // client size = screen size in pixels
  int height = 0;
  int color_bits = 0;       // 0 = the desktop's depth
  bool fullscreen_active = false;
  // Start-up leaves the window unmapped until its first frame is drawn:
  // the desktop then shows the program's first picture, not a blank one.
  bool show_with_first_frame = false;
  int multisample = 0;
  void* context = nullptr;  // the one GL context, reused across re-creation
  ScaledFrame scaled;       // the enlarged window's frame
  // ---- frame pacing ---------------------------------------------------------
  double frame_ms = 1000.0 / 60.0;
  double next_frame_time = 0;

  // ---- 2D render state --------------------------------------------------------
  int viewport_x = 0, viewport_y = 0, viewport_w = 0, viewport_h = 0;
  float alpha_factor = 0;  // 0 until the first set_viewport
  bool smoothing = true;
  TvColor sprite_color_key = 0x8000FF;
  TvColor font_color_key = 0;
  int current_screen = -1;  // off-screen surface drawn into, -1 = window
  bool context_present = false;
  // What the drawing of the recorded stream uses (runtime/gfx2d/draw_batch):
  int blend_mode = 0;       // 0 off, 1 translucent, 2 additive
  bool alpha_test = true;   // on after every primitive, whatever the alpha mode
  int gl_viewport[4] = {0, 0, 0, 0};  // x, y from the bottom, w, h
  float clear_rgba[4] = {0, 0, 0, 1};  // the colour every new frame is cleared with
  std::shared_ptr<DrawRecorder> recorder;  // made on first use

  GlExtensionFunctions ext;

  // ---- sprites, fonts, background tiles, off-screen surfaces ----------------
  // (owned by their modules: sprites, fonts, background, surfaces)
  SpriteTable sprite_table;  // with each slot's collision mask
  std::vector<uint8_t> grab_buffer;  // read-back grabs; only grows
  int framebuffer_alpha_bits = 0;    // queried until non-zero, then remembered
  bool grab_readback_forced = false; // take the read-back path even with alpha bits
  int max_texture_size = 0;          // queried once
  // A copy of the frame as it was presented, for save_screenshot.
  std::vector<uint8_t> presented_pixels;  // BGRA, bottom row first
  int presented_width = 0, presented_height = 0;
  bool keep_presented_frames = true;

  int current_font = 0;

  BackgroundSet backgrounds[kBackgroundSets];

  ScreenRecord screens[kScreenCount];
  FramebufferFunctions fbo;
};

// The one device, created by start-up; null before and after.
extern OpenGLVadeviva* graphics_device;

// ---- render state ------------------------------------------------------------
void alpha_mode(double a);
void set_transparency(TvColor colour);
void set_smoothing(int flag);
void clear_screen(TvColor colour);
void set_viewport(int x, int y, int w, int h);
void get_viewport(int& x, int& y, int& w, int& h);
void get_viewport(double& x, double& y, double& w, double& h);
void screen_size(int& width, int& height);
void screen_size(double& width, double& height);

// ---- primitives (numbers arrive as doubles, truncated toward zero) ----------
void draw_rect(double x, double y, double w, double h, TvColor colour);
void draw_line(double x1, double y1, double x2, double y2, TvColor colour);
void set_pixel(double x, double y, TvColor colour);
TvColor get_pixel(double x, double y);

// ---- polygon batch -----------------------------------------------------------
struct PolyVertex {
  float x, y, u, v;
  uint8_t red, green, blue, alpha;
};
static_assert(sizeof(PolyVertex) == 20, "vertices are 20 bytes, interleaved");

struct PolyBatch {
  PolyVertex* vertices = nullptr;
  int count = 0;
  int capacity = 0;
  int sprite = -1;  // -1 = untextured
  unsigned texture = 0;  // the sprite's texture when the batch was started
  float inv_texture_width = 1, inv_texture_height = 1;
  int image_height = 0;  // of the bound sprite, for v = (image height - ty)
  int mode = 0;          // 0 fan, 1 triangles, 2 strip
  bool colors_used = false;
  bool strip_join_pending = false;
};
extern PolyBatch poly_batch;

void start_poly(int sprite, int mode);
void poly_vector(float x, float y, float tx, float ty, TvColor colour);
void poly_new_strip();
void end_poly();
void release_poly_batch();  // program end

// ---- used by the frame and by the sprite and surface modules ----------------
// Alpha mode 0, colour opaque white: the first step of every new frame.
void reset_frame_render_state();
// Drawing colour of a primitive: alpha 0 for the sprite colour key.
void primitive_rgba(TvColor colour, uint8_t rgba[4]);

// Provided by the sprite, background and surface modules. A sprite's
// texture name and its texture and image size; false = no such image.
bool sprite_texture_info(int sprite, unsigned& texture, int& texture_width, int& texture_height,
                         int& image_height);
// Leaves any off-screen surface so the window's back buffer is current.
void leave_screen();
// Draws background image 0 when one is loaded.
void draw_background();
// Drops background image 0.
void free_background();
// Reads one RGBA pixel of the current off-screen surface; false = none.
bool read_screen_pixel(int x, int y, uint8_t rgba[4]);
// Keeps a copy of the back buffer as it is about to be presented, so that
// save_screenshot writes exactly the last presented frame. Called right
// before every buffer swap.
void keep_presented_frame();
