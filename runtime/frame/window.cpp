// window.cpp - the window and its OpenGL context: the steps of creation,
// placement and full screen, the window procedure and the driver checks.
// The desktop itself is reached through runtime/platform/window_sdl.
#include "runtime/frame/window.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "runtime/frame/frame_loop.h"
#include "runtime/frame/lifecycle.h"
#include "runtime/frame/settings.h"
#include "runtime/frame/window_scale.h"
#include "runtime/gfx2d/draw_batch.h"
#include "runtime/gfx2d/scaled_frame.h"
#include "runtime/gfx2d/surfaces.h"
#include "runtime/platform/process_info.h"
#include "runtime/platform/window_sdl.h"

TvString window_title;
bool class_registered = false;
bool software_warned = false;

void (*show_driver_warning)(const char* caption, const char* text) = platform_warning_box;

namespace {

const char* failure_cause = "";
std::string failure_text;
std::string renderer_name;  // read once
bool renderer_read = false;

void set_failure(const char* what, const char* why) {
  failure_text = what;
  if (why && *why) {
    failure_text += ": ";
    failure_text += why;
  }
  failure_cause = failure_text.c_str();
}

// Makes a window with the program's pixel format at (x, y), hidden until it
// is placed; the class title "Tolvane" is replaced by start-up.
void* make_window(int x, int y, int width, int height, int bits, int samples) {
  PixelFormatRequest f;
  f.color_bits = bits > 24 ? 24 : bits;
  f.sample_buffers = samples > 0 ? 1 : 0;
  f.samples = samples;
  const char* error = nullptr;
  void* w = platform_window_create("Tolvane", x, y, width, height, f, &error);
  if (!w) set_failure("cannot create the window", error);
  return w;
}

// Makes `device.context` current on the window, creating a context when
// there is none or when the old one cannot be used with this window.
bool attach_context(OpenGLVadeviva& device) {
  const char* error = nullptr;
  if (!device.context) device.context = platform_gl_create_context(device.window, &error);
  if (device.context && platform_gl_make_current(device.window, device.context)) return true;
  platform_gl_delete_context(device.context);
  device.context = platform_gl_create_context(device.window, &error);
  if (device.context && platform_gl_make_current(device.window, device.context)) return true;
  set_failure("cannot create an OpenGL context", error);
  platform_gl_delete_context(device.context);
  device.context = nullptr;
  return false;
}

void look_up_extension_functions(OpenGLVadeviva& device) {
  const char* list = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  if (!list) return;
  GlExtensionFunctions& e = device.ext;
#define GL_EXTENSION_LOOK_UP(name) e.name = platform_gl_proc_address(#name);
  if (std::strstr(list, kGlMultitextureExtension)) {
    GL_MULTITEXTURE_ENTRY_POINTS(GL_EXTENSION_LOOK_UP)
  }
  if (std::strstr(list, kGlShaderExtension)) {
    GL_SHADER_ENTRY_POINTS(GL_EXTENSION_LOOK_UP)
  }
#undef GL_EXTENSION_LOOK_UP
}

// The window was made `scale` times the frame's size: drawing goes into the
// enlarged frame when the driver has frame-buffer objects; otherwise the
// window shrinks back to the frame's size.
void enlarge_window(OpenGLVadeviva& device, int scale) {
  if (scale <= 1) return;
  if (make_scaled_frame(device, scale)) {
    platform_window_set_scale(device.window, scale);
    return;
  }
  log_line("No frame-buffer objects: the window is not enlarged");
  platform_window_set_size(device.window, device.width, device.height);
}

}  // namespace


const char* window_failure_cause() { return failure_cause; }

namespace {
// The title of a window start-up keeps back: it is given with the mapping,
// so whoever waits for the window by its name finds a window on screen.
std::string title_held_back;

// The window is no longer held back: it gets its title, and the caller
// decides whether it is shown.
void stop_holding_back(OpenGLVadeviva& device) {
  if (!device.show_with_first_frame) return;
  device.show_with_first_frame = false;
  platform_window_set_title(device.window, title_held_back.c_str());
}
}  // namespace

void set_window_title(const char* title) {
  if (!graphics_device) return;
  if (graphics_device->show_with_first_frame) {
    title_held_back = title ? title : "";
    return;
  }
  platform_window_set_title(graphics_device->window, title);
}

bool extension_listed(const char* list, const char* name) {
  if (!list || !name || !*name) return false;
  size_t n = std::strlen(name);
  for (const char* p = std::strstr(list, name); p; p = std::strstr(p + 1, name)) {
    bool starts = p == list || p[-1] == ' ';
    bool ends = p[n] == ' ' || p[n] == '\0';
    if (starts && ends) return true;
  }
  return false;
}

bool has_extension(const char* name) {
  const char* list = platform_gl_window_system_extensions(graphics_device ? graphics_device->window
                                                                          : nullptr);
  if (!list || !*list) list = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  if (!list) return false;
  return extension_listed(list, name);
}

int choose_multisample_format(void* window, int samples) {
  if (!has_extension("GLX_ARB_multisample") && !has_extension("GL_ARB_multisample") &&
      !has_extension("EGL_KHR_create_context"))
    return 0;
  void* previous = graphics_device ? graphics_device->context : nullptr;
  for (;;) {
    // a pixel format is fixed with its window: try one on a hidden probe
    PixelFormatRequest f;
    f.sample_buffers = 1;
    f.samples = samples;
    void* probe = platform_window_create("", 0, 0, 16, 16, f, nullptr);
    int got = 0;
    if (probe) {
      void* c = platform_gl_create_context(probe, nullptr);
      if (c && platform_gl_make_current(probe, c)) got = platform_gl_samples();
      platform_gl_delete_context(c);
      platform_window_destroy(probe);
    }
    if (window && previous) platform_gl_make_current(window, previous);
    if (got > 0) return got;
    if (samples / 2 == 0) return 0;
    samples /= 2;
  }
}

bool is_software_renderer(const char* renderer) {
  if (!renderer) return false;
  static const char* const kSoftware[] = {"llvmpipe", "softpipe", "Software Rasterizer",
                                          "swrast", "Mesa Windows GDI Driver",
                                          "Mesa X11", "Mesa OffScreen"};
  for (const char* s : kSoftware)
    if (std::strstr(renderer, s)) return true;
  return false;
}

void check_software_renderer(const char* renderer) {
  if (software_warned || !is_software_renderer(renderer)) return;
  software_warned = true;
  log_line("*** OpenGL Software Emulation - update driver!");
  FILE* f = std::fopen("opengldriver.txt", "rb");
  if (!f) return;
  char text[2048];
  size_t n = std::fread(text, 1, 2047, f);
  std::fclose(f);
  text[n] = '\0';
  if (n > 0 && text[0] != '\0') show_driver_warning("No OpenGL Hardware Drivers", text);
}

bool create_window(OpenGLVadeviva& device, void*, int width, int height, int bits, int fps,
                   int multisample) {
  device.frame_ms = fps > 0 ? 1000.0 / fps : 2.0;  // 1.
  const char* error = nullptr;
  if (!platform_video_start(&error)) {  // 2. once per process
    set_failure("no display can be opened", error);
    return false;
  }
  class_registered = true;
  platform_start_mark("video-started");
  if (bits == 0) bits = platform_desktop_bits_per_pixel();  // 3. the format is set with the window
  // made at its enlarged size at once: a driver may notice a later resize
  // of the window only at the next buffer swap
  int scale = width > 0 && height > 0 ? choose_window_scale(width, height) : 1;
  // made where place_window puts it: moving a shown window makes the
  // desktop library wait for the move to be seen
  int x = 0, y = 0;
  if (width > 0 && height > 0) {
    int ax = 0, ay = 0, aw = 0, ah = 0;
    if (platform_display_work_area(nullptr, ax, ay, aw, ah))
      centred_position(ax, ay, aw, ah, width * scale, height * scale, x, y);
  }
  device.window = make_window(x, y, width * scale, height * scale, bits, 0);  // 4.
  if (!device.window) return false;
  platform_start_mark("window-made");
  int w = 0, h = 0;
  platform_window_size(device.window, w, h);
  device.width = width > 0 ? width : w;
  device.height = height > 0 ? height : h;
  device.color_bits = bits;
  device.multisample = multisample;
  if (!attach_context(device)) {  // 5.
    platform_window_destroy(device.window);
    device.window = nullptr;
    return false;
  }
  if (multisample) {  // 6. a window's pixel format can be set only once: make it anew
    int samples = choose_multisample_format(device.window, 0);
    if (samples > 0) {
      platform_gl_release_current(device.window);
      platform_gl_delete_context(device.context);
      device.context = nullptr;
      platform_window_destroy(device.window);
      device.window = make_window(x, y, device.width * scale, device.height * scale, bits, samples);
      if (!device.window || !attach_context(device)) {
        if (device.window) platform_window_destroy(device.window);
        device.window = nullptr;
        return false;
      }
    }
  }
  device.context_present = true;
  platform_start_mark("context-made");
  if (!renderer_read) {  // 7.
    const char* r = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    renderer_name = r ? r : "";
    renderer_read = true;
  }
  check_software_renderer(renderer_name.c_str());
  glClearColor(0, 0, 0, 1);  // 8.
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  invalidate_presented_frame();
  timer_ms();
  look_up_extension_functions(device);  // 9.
  init_screens();                       // 10.
  enlarge_window(device, scale);
  if (!device.show_with_first_frame) platform_window_show(device.window);
  if (!graphics_device) graphics_device = &device;
  if (graphics_device == &device) set_viewport(0, 0, 0, 0);
  return true;
}

void centred_position(int area_x, int area_y, int area_w, int area_h, int width, int height,
                      int& x, int& y) {
  // C++ division truncates toward zero, as the placement rule wants
  x = area_x + (area_w - width) / 2;
  y = area_y + (area_h - height) / 2;
}

int place_window(OpenGLVadeviva& device) {
  // 1. (the desktop puts the other windows back itself when the mode returns)
  if (device.fullscreen_active) platform_leave_fullscreen(device.window);
  platform_window_set_windowed_style(device.window);                      // 2.
  if (device.scaled.window_scale > 1 && frame_scale(device) == 1) {
    // back from full screen: the enlarged frame again
    use_scaled_frame(device, true);
    int n = frame_scale(device);
    platform_window_set_size(device.window, device.width * n, device.height * n);
    platform_window_set_scale(device.window, n);
  }
  int n = frame_scale(device);
  int ww = device.width * n, wh = device.height * n;
  int ax = 0, ay = 0, aw = ww, ah = wh;  // 3.
  platform_display_work_area(device.window, ax, ay, aw, ah);
  int x, y;  // 4. on the window's own display: its offset counts
  centred_position(ax, ay, aw, ah, ww, wh, x, y);
  platform_window_set_position(device.window, x, y);                     // 5.
  if (!device.show_with_first_frame) {
    platform_window_show(device.window);
    platform_window_raise(device.window);
  }
  if (graphics_device == &device) set_viewport(0, 0, 0, 0);
  device.fullscreen_active = false;
  invalidate_presented_frame();
  return 1;
}

bool switch_display_mode(OpenGLVadeviva& device) {
  if (&device == graphics_device) show_window_for_first_frame();  // full screen wants a mapped window
  if (frame_scale(device) > 1) {
    // full screen switches the display to the frame's own size: no enlargement
    use_scaled_frame(device, false);
    platform_window_set_scale(device.window, 1);
    platform_window_set_size(device.window, device.width, device.height);
  }
  int desktop = platform_desktop_bits_per_pixel();
  int bits = device.color_bits && device.color_bits != desktop ? device.color_bits : 0;
  bool ok = platform_enter_fullscreen(device.window, device.width, device.height, bits);
  if (!ok && bits) ok = platform_enter_fullscreen(device.window, device.width, device.height, 0);
  if (!ok) {
    platform_warning_beep();
    log_line("No Fullscreen Mode available");
    place_window(device);
    return false;
  }
  // the desktop keeps the window and its context through the mode change,
  // so textures and other GL objects survive without re-creating it
  platform_window_raise(device.window);
  if (graphics_device == &device) set_viewport(0, 0, 0, 0);
  device.fullscreen_active = true;
  invalidate_presented_frame();
  return true;
}

int destroy_window(OpenGLVadeviva& device) {
  device.show_with_first_frame = false;
  if (device.context_present) device.free_textures();
  reset_draw_batch();
  free_scaled_frame(device);
  if (device.window) {
    if (device.fullscreen_active) place_window(device);  // leaves full screen
    // the software renderer's worker threads must be idle before the context
    // lets go of the window, or deleting the context can wait on them forever
    if (device.context_present) glFinish();
    platform_gl_release_current(device.window);
    platform_window_destroy(device.window);
  }
  device.window = nullptr;
  device.width = 0;
  device.height = 0;
  return 0;
}

intptr_t window_procedure(void*, unsigned message, uintptr_t w, intptr_t) {
  switch (message) {
    case WINDOW_MSG_ACTIVATE: {
      unsigned low = unsigned(w & 0xFFFF);
      if (project_settings.debug_mode || !auto_pause) return 0;
      if (low == 1 || low == 2) {
        set_window_title(window_title.c_str());
        paused = false;
      } else if (low == 0) {
        TvString t(window_title);
        string_append(t, " <pause>");
        set_window_title(t.c_str());
        paused = true;
      }
      return 0;
    }
    case WINDOW_MSG_CLOSE:
      request_close();
      return 0;
    case WINDOW_MSG_ERASE_BACKGROUND:
      invalidate_presented_frame();  // the next frame is drawn even if unchanged
      return 1;                      // OpenGL redraws the whole client area
    case WINDOW_MSG_SYSCOMMAND: {
      uintptr_t command = w & ~uintptr_t(0xF);
      if (command == SYSCOMMAND_SCREENSAVE || command == SYSCOMMAND_MONITORPOWER) return 0;
      if (command == SYSCOMMAND_CLOSE) request_close();
      return 0;
    }
    default:
      return 0;  // the desktop's default handling needs nothing from us
  }
}

void start_graphics_device() {
  graphics_device = new OpenGLVadeviva();
  graphics_device->show_with_first_frame = true;
  if (!create_window(*graphics_device, nullptr, project_settings.screen_width,
                     project_settings.screen_height, 0, project_settings.frame_rate,
                     project_settings.multisample)) {
    // without a window the program could only run blind: say why and stop
    std::string line = app_name.c_str();
    line += " cannot start: ";
    line += failure_cause;
    log_line(line.c_str());
    std::fprintf(stderr, "%s\n", line.c_str());
    delete graphics_device;
    graphics_device = nullptr;
    platform_video_stop();
    std::exit(1);
  }
  platform_hold_off_screen_saver();
}

void hide_window() {
  if (!graphics_device) return;
  stop_holding_back(*graphics_device);  // hidden stays hidden
  platform_window_hide(graphics_device->window);
}

void show_window_for_first_frame() {
  OpenGLVadeviva* d = graphics_device;
  if (!d || !d->show_with_first_frame) return;
  stop_holding_back(*d);
  platform_window_show(d->window);
  platform_window_raise(d->window);
}

void set_arrow_cursor() { platform_show_arrow_cursor(); }

void free_graphics_device() {
  OpenGLVadeviva* d = graphics_device;
  if (!d) return;
  destroy_window(*d);
  platform_gl_delete_context(d->context);
  d->context = nullptr;
  d->context_present = false;
  release_poly_batch();
  graphics_device = nullptr;
  delete d;
  platform_video_stop();
}

void window_step_aside(bool away) {
  OpenGLVadeviva* device = graphics_device;
  if (!device || !device->window) return;
  if (away) {
    if (device->fullscreen_active) platform_leave_fullscreen(device->window);
    platform_window_set_windowed_style(device->window);
    platform_window_hide(device->window);
    device->fullscreen_active = false;
    stop_holding_back(*device);  // placed and shown on the way back
  } else if (project_settings.fullscreen) {
    device->width = project_settings.screen_width;
    device->height = project_settings.screen_height;
    switch_display_mode(*device);
  } else {
    place_window(*device);
  }
}
