// window_sdl.cpp - the desktop window and OpenGL context over SDL2.
//
// Contexts are compatibility contexts (the 2D and 3D code uses the fixed
// function pipeline). SDL fixes a window's pixel format when the window is
// made, so the format is set as GL attributes before each creation.
#include "runtime/platform/window_sdl.h"
#include "runtime/platform/clipboard_x11.h"

#include <SDL2/SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool video_started = false;
// the one enlarged window and its scale
void* scaled_window = nullptr;
int window_scale = 1;

// Text is Latin-1 inside the program; the desktop wants UTF-8.
std::string latin1_to_utf8(const char* text) {
  std::string out;
  if (!text) return out;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
    if (*p < 0x80) {
      out += char(*p);
    } else {
      out += char(0xC0 | (*p >> 6));
      out += char(0x80 | (*p & 0x3F));
    }
  }
  return out;
}

SDL_Window* win(void* w) { return static_cast<SDL_Window*>(w); }

void set_format_attributes(const PixelFormatRequest& f) {
  int per_channel = f.color_bits >= 24 ? 8 : (f.color_bits >= 15 ? 5 : 8);
  SDL_GL_ResetAttributes();
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, per_channel);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, f.color_bits == 16 ? 6 : per_channel);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, per_channel);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, f.alpha_bits);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, f.depth_bits);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, f.stencil_bits);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, f.double_buffer ? 1 : 0);
  SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, f.sample_buffers);
  SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, f.samples);
  // a software renderer is accepted (and reported by the caller)
  SDL_GL_SetAttribute(SDL_GL_ACCELERATED_VISUAL, -1);
}

}  // namespace

bool platform_video_start(const char** error) {
  if (video_started) return true;
  // the program paces itself; keep the screen saver off while it runs
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "0");
  // Left to itself SDL falls back to its invisible drivers ("offscreen",
  // "dummy") when no display answers, and the program would run unseen for
  // ever. Those are used only when SDL_VIDEODRIVER names them; otherwise
  // the display the environment names is the only one tried.
  static std::string why;
  const char* asked = std::getenv("SDL_VIDEODRIVER");
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if (!asked || !*asked) {
    std::string drivers;
    if (x11 && *x11) drivers = "x11";
    if (wayland && *wayland) drivers += drivers.empty() ? "wayland" : ",wayland";
    if (drivers.empty()) {
      why = "no display is named (DISPLAY is not set)";
      if (error) *error = why.c_str();
      return false;
    }
    SDL_SetHint(SDL_HINT_VIDEODRIVER, drivers.c_str());
  }
  x11clip::install_error_handlers_early();
  if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    why = SDL_GetError();
    if ((!asked || !*asked) && x11 && *x11) why = std::string("the display \"") + x11 + "\" does not answer (" + why + ")";
    if (error) *error = why.c_str();
    return false;
  }
  video_started = true;
  return true;
}

void platform_video_stop() {
  if (!video_started) return;
  SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
  video_started = false;
}

bool platform_video_started() { return video_started; }

void* platform_window_create(const char* title, int x, int y, int width, int height,
                             const PixelFormatRequest& format, const char** error) {
  if (!video_started) {
    if (error) *error = "video not started";
    return nullptr;
  }
  set_format_attributes(format);
  std::string t = latin1_to_utf8(title);
  SDL_Window* w = SDL_CreateWindow(t.c_str(), x, y, width > 0 ? width : 640,
                                   height > 0 ? height : 480,
                                   SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (!w && error) *error = SDL_GetError();
  return w;
}

void platform_window_destroy(void* window) {
  if (window && window == scaled_window) platform_window_set_scale(nullptr, 1);
  if (window) SDL_DestroyWindow(win(window));
}

void platform_window_set_title(void* window, const char* title) {
  if (!window) return;
  std::string t = latin1_to_utf8(title);
  SDL_SetWindowTitle(win(window), t.c_str());
}

void platform_window_show(void* window) {
  if (window) SDL_ShowWindow(win(window));
}

void platform_window_hide(void* window) {
  if (window) SDL_HideWindow(win(window));
}

void platform_window_raise(void* window) {
  if (!window) return;
  SDL_RaiseWindow(win(window));
}

void platform_window_set_position(void* window, int x, int y) {
  if (window) SDL_SetWindowPosition(win(window), x, y);
}

void platform_window_size(void* window, int& width, int& height) {
  width = height = 0;
  if (window) SDL_GetWindowSize(win(window), &width, &height);
}

void platform_window_set_size(void* window, int width, int height) {
  if (window && width > 0 && height > 0) SDL_SetWindowSize(win(window), width, height);
}

void platform_window_set_scale(void* window, int scale) {
  scaled_window = scale > 1 ? window : nullptr;
  window_scale = scale > 1 ? scale : 1;
}

int platform_window_scale(void* window) {
  return window && window == scaled_window ? window_scale : 1;
}

void platform_window_set_windowed_style(void* window) {
  if (!window) return;
  SDL_SetWindowBordered(win(window), SDL_TRUE);
  SDL_SetWindowResizable(win(window), SDL_FALSE);
  SDL_SetWindowAlwaysOnTop(win(window), SDL_FALSE);
}

bool platform_window_has_focus(void* window) {
  return window && (SDL_GetWindowFlags(win(window)) & SDL_WINDOW_INPUT_FOCUS) != 0;
}

bool platform_display_work_area(void* window, int& x, int& y, int& width, int& height) {
  int index = window ? SDL_GetWindowDisplayIndex(win(window)) : 0;
  if (index < 0) index = 0;
  SDL_Rect r;
  if (SDL_GetDisplayUsableBounds(index, &r) != 0 && SDL_GetDisplayBounds(index, &r) != 0)
    return false;
  x = r.x, y = r.y, width = r.w, height = r.h;
  return true;
}

bool platform_display_size(void* window, int& width, int& height) {
  int index = window ? SDL_GetWindowDisplayIndex(win(window)) : -1;
  if (index < 0) {
    // a new window opens at the desktop's origin: the display holding it
    index = 0;
    SDL_Point origin{0, 0};
    for (int i = 0, n = SDL_GetNumVideoDisplays(); i < n; ++i) {
      SDL_Rect r;
      if (SDL_GetDisplayBounds(i, &r) == 0 && SDL_PointInRect(&origin, &r)) {
        index = i;
        break;
      }
    }
  }
  SDL_Rect r;
  if (SDL_GetDisplayBounds(index, &r) != 0 || r.w <= 0 || r.h <= 0) return false;
  width = r.w, height = r.h;
  return true;
}

int platform_desktop_bits_per_pixel() {
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return 24;
  int bits = SDL_BITSPERPIXEL(mode.format);
  return bits > 0 ? bits : 24;
}

bool platform_enter_fullscreen(void* window, int width, int height, int bits) {
  if (!window) return false;
  int index = SDL_GetWindowDisplayIndex(win(window));
  if (index < 0) index = 0;
  SDL_DisplayMode want{}, got{};
  want.w = width;
  want.h = height;
  if (!SDL_GetClosestDisplayMode(index, &want, &got)) return false;
  if (got.w != width || got.h != height) return false;
  if (bits && int(SDL_BITSPERPIXEL(got.format)) != bits) {
    // the depth asked for is not offered at this size
    return false;
  }
  if (SDL_SetWindowDisplayMode(win(window), &got) != 0) return false;
  return SDL_SetWindowFullscreen(win(window), SDL_WINDOW_FULLSCREEN) == 0;
}

void platform_leave_fullscreen(void* window) {
  if (window) SDL_SetWindowFullscreen(win(window), 0);
}

void* platform_gl_create_context(void* window, const char** error) {
  if (!window) return nullptr;
  SDL_GLContext c = SDL_GL_CreateContext(win(window));
  if (!c && error) *error = SDL_GetError();
  return c;
}

bool platform_gl_make_current(void* window, void* context) {
  return window && context && SDL_GL_MakeCurrent(win(window), context) == 0;
}

void platform_gl_release_current(void* window) {
  if (window) SDL_GL_MakeCurrent(win(window), nullptr);
}

void platform_gl_delete_context(void* context) {
  if (context) SDL_GL_DeleteContext(context);
}

void platform_gl_swap(void* window) {
  if (window) SDL_GL_SwapWindow(win(window));
}

void* platform_gl_proc_address(const char* name) { return SDL_GL_GetProcAddress(name); }

int platform_gl_back_buffer_age(void* window) {
  if (!window) return 0;
  using CurrentDisplay = void* (*)();
  using CurrentDrawable = unsigned long (*)();
  using QueryDrawable = void (*)(void*, unsigned long, int, unsigned*);
  static bool looked = false;
  static CurrentDisplay display = nullptr;
  static CurrentDrawable current_surface = nullptr;
  static QueryDrawable query = nullptr;
  if (!looked) {
    looked = true;
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* extensions = platform_gl_window_system_extensions(window);
    if (driver && std::strcmp(driver, "x11") == 0 && extensions &&
        std::strstr(extensions, "GLX_EXT_buffer_age")) {
      display = reinterpret_cast<CurrentDisplay>(SDL_GL_GetProcAddress("glXGetCurrentDisplay"));
      current_surface = reinterpret_cast<CurrentDrawable>(SDL_GL_GetProcAddress("glXGetCurrentDrawable"));
      query = reinterpret_cast<QueryDrawable>(SDL_GL_GetProcAddress("glXQueryDrawable"));
    }
  }
  if (!display || !current_surface || !query) return 0;
  void* dpy = display();
  unsigned long surface = current_surface();
  if (!dpy || !surface) return 0;
  const int kBackBufferAge = 0x20F4;  // GLX_BACK_BUFFER_AGE_EXT
  unsigned age = 0;
  query(dpy, surface, kBackBufferAge, &age);
  return int(age);
}

int platform_gl_samples() {
  int buffers = 0, samples = 0;
  if (SDL_GL_GetAttribute(SDL_GL_MULTISAMPLEBUFFERS, &buffers) != 0 || buffers == 0) return 0;
  if (SDL_GL_GetAttribute(SDL_GL_MULTISAMPLESAMPLES, &samples) != 0) return 0;
  return samples;
}

const char* platform_gl_window_system_extensions(void*) {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver && std::strcmp(driver, "x11") == 0) {
    using CurrentDisplay = void* (*)();
    using QueryExtensions = const char* (*)(void*, int);
    auto current = reinterpret_cast<CurrentDisplay>(SDL_GL_GetProcAddress("glXGetCurrentDisplay"));
    auto query =
        reinterpret_cast<QueryExtensions>(SDL_GL_GetProcAddress("glXQueryExtensionsString"));
    void* display = current ? current() : nullptr;
    return display && query ? query(display, 0) : nullptr;
  }
  using EglCurrentDisplay = void* (*)();
  using EglQueryString = const char* (*)(void*, int);
  auto current = reinterpret_cast<EglCurrentDisplay>(SDL_GL_GetProcAddress("eglGetCurrentDisplay"));
  auto query = reinterpret_cast<EglQueryString>(SDL_GL_GetProcAddress("eglQueryString"));
  void* display = current ? current() : nullptr;
  const int kEglExtensions = 0x3055;
  return display && query ? query(display, kEglExtensions) : nullptr;
}

void platform_warning_box(const char* caption, const char* text) {
  std::string c = latin1_to_utf8(caption), t = latin1_to_utf8(text);
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_WARNING, c.c_str(), t.c_str(), nullptr);
}

void platform_warning_beep() {
  // the desktop has no system beep through SDL; the terminal bell stands in
  fputs("\a", stderr);
}

void platform_hold_off_screen_saver() { SDL_DisableScreenSaver(); }

void platform_show_arrow_cursor() {
  static SDL_Cursor* arrow = nullptr;
  if (!video_started) return;
  if (!arrow) arrow = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
  if (arrow) SDL_SetCursor(arrow);
}
