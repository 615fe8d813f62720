// window_sdl.h - the desktop window and its OpenGL context, over SDL2.
//
// The frame's window module (runtime/frame/window) keeps the logic; these
// calls are the thin platform steps it needs: video start, window and
// context creation with the pixel format asked for, placement, full screen,
// titles (Latin-1 in, UTF-8 to the desktop), GL entry points by name and the
// window-system extension string, a blocking message box, and the screen
// saver. Handles are opaque pointers; no SDL type leaks out.
#pragma once

// Starts the video subsystem once; on failure `error` gets the cause.
bool platform_video_start(const char** error);
void platform_video_stop();
bool platform_video_started();

// The frame-buffer format asked for when a window is made.
struct PixelFormatRequest {
  int color_bits = 24;  // red + green + blue
  int alpha_bits = 8;
  int depth_bits = 24;
  int stencil_bits = 8;
  bool double_buffer = true;
  int sample_buffers = 0;  // 1 = multisampled
  int samples = 0;
};

// A hidden window with a client area of width x height at (x, y), ready for
// OpenGL with `format`; null on failure with the cause in `error`.
void* platform_window_create(const char* title_latin1, int x, int y, int width, int height,
                             const PixelFormatRequest& format, const char** error);
void platform_window_destroy(void* window);
void platform_window_set_title(void* window, const char* title_latin1);
void platform_window_show(void* window);
void platform_window_hide(void* window);
void platform_window_raise(void* window);  // to the top, with the focus
void platform_window_set_position(void* window, int x, int y);
void platform_window_size(void* window, int& width, int& height);
void platform_window_set_size(void* window, int width, int height);
// Whole window pixels per frame pixel of an enlarged window (1 = none). The
// mouse positions reported for that window are divided by it and cursor
// warps multiplied, so the input layer sees frame pixels only.
void platform_window_set_scale(void* window, int scale);
int platform_window_scale(void* window);
// Windowed style: a title bar with the system buttons, not resizable.
void platform_window_set_windowed_style(void* window);
bool platform_window_has_focus(void* window);

// The usable area (desktop minus panels) of the display the window is on,
// in desktop coordinates; false when no display can be found.
bool platform_display_work_area(void* window, int& x, int& y, int& width, int& height);
// Full size of the display the window is on (of the display holding the
// desktop's origin when window is null); false when none can be found.
bool platform_display_size(void* window, int& width, int& height);
int platform_desktop_bits_per_pixel();
// Switch the window to a full-screen display mode of width x height (and
// bits, when nonzero); false when no such mode can be set.
bool platform_enter_fullscreen(void* window, int width, int height, int bits);
void platform_leave_fullscreen(void* window);

// OpenGL context of a window.
void* platform_gl_create_context(void* window, const char** error);
bool platform_gl_make_current(void* window, void* context);
void platform_gl_release_current(void* window);
void platform_gl_delete_context(void* context);
void platform_gl_swap(void* window);
// How many frames ago the current context's back buffer was presented (1:
// it holds the last frame), or 0 when the driver does not tell.
int platform_gl_back_buffer_age(void* window);
void* platform_gl_proc_address(const char* name);
// The samples per pixel of the current context's frame buffer.
int platform_gl_samples();
// The window system's own extension string, or null when it has none.
const char* platform_gl_window_system_extensions(void* window);

// A blocking message box with a warning icon.
void platform_warning_box(const char* caption_latin1, const char* text_latin1);
void platform_warning_beep();
void platform_hold_off_screen_saver();
void platform_show_arrow_cursor();
