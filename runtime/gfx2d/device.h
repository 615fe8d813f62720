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
#include <vector>

using TvColor = int32_t;

// Extension entry points, looked up by name once the context is current. A
// missing one stays null; its users test it.
struct GlExtensionFunctions {
  // multitexture and buffer objects
  void* glActiveTextureARB = nullptr;
  void* glMultiTexCoord2fARB = nullptr;
  void* glClientActiveTextureARB = nullptr;
  void* glGenBuffersARB = nullptr;
  void* glBindBufferARB = nullptr;
  void* glBufferDataARB = nullptr;
  void* glDeleteBuffersARB = nullptr;
  void* glMapBufferARB = nullptr;
  void* glUnmapBufferARB = nullptr;
  void* glGetBufferParameterivARB = nullptr;
  // shader objects
  void* glCreateProgramObjectARB = nullptr;
  void* glDeleteObjectARB = nullptr;
  void* glCreateShaderObjectARB = nullptr;
  void* glShaderSourceARB = nullptr;
  void* glCompileShaderARB = nullptr;
  void* glGetObjectParameterivARB = nullptr;
  void* glAttachObjectARB = nullptr;
  void* glGetInfoLogARB = nullptr;
  void* glLinkProgramARB = nullptr;
  void* glUseProgramObjectARB = nullptr;
  void* glGetUniformLocationARB = nullptr;
  void* glUniform1fARB = nullptr;
  void* glUniform1iARB = nullptr;
  void* glGetAttribLocationARB = nullptr;
  void* glVertexAttrib1fARB = nullptr;
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
  int multisample = 0;
  void* context = nullptr;  // the one GL context, reused across re-creation
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

  GlExtensionFunctions ext;

  // ---- sprites, fonts, background tiles, off-screen surfaces ----------------
  // (owned by their modules; added here)
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

// Hooks that the sprite and surface modules provide; until they exist the
// defaults do nothing. Bind a sprite's texture for drawing (texturing on)
// and report its texture and image size; false = no such image.
bool bind_sprite_texture(int sprite, int& texture_width, int& texture_height,
                         int& image_height);
// Leaves any off-screen surface so the window's back buffer is current.
void leave_screen();
// Draws background image 0 when one is loaded.
void draw_background();
// Drops background image 0.
void free_background();
// Reads one RGBA pixel of the current off-screen surface; false = none.
bool read_screen_pixel(int x, int y, uint8_t rgba[4]);
