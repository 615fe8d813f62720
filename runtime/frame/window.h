// window.h - the program's one window and its OpenGL context: creation with
// the pixel format the 2D and 3D code need, placement centred on its
// display, full screen, the window procedure (close, activation and pause,
// screen saver), extension look-ups and the software-renderer warning.
#pragma once
#include <cstdint>

#include "runtime/gfx2d/device.h"
#include "runtime/platform/pump.h"
#include "runtime/values/tv_string.h"

// The application name shown as the title; " <pause>" is added while the
// window is inactive and paused.
extern TvString window_title;
extern bool class_registered;
extern bool software_warned;  // a software renderer has been reported

bool create_window(OpenGLVadeviva& device, void* instance, int width, int height, int bits,
                   int fps, int multisample);
int place_window(OpenGLVadeviva& device);
bool switch_display_mode(OpenGLVadeviva& device);
int destroy_window(OpenGLVadeviva& device);
bool has_extension(const char* name);
// Samples per pixel of a multisampled format the driver offers (asking for
// `samples` and halving while that fails), or 0 when none fits.
int choose_multisample_format(void* window, int samples);
intptr_t window_procedure(void* window, unsigned message, uintptr_t w, intptr_t l);

// Sets the window title (Latin-1; the desktop gets UTF-8).
void set_window_title(const char* title);

// Why the last create_window failed (no display, no OpenGL driver, ...).
const char* window_failure_cause();

// ---- pieces with their own rules ---------------------------------------------
// `name` occurs in `list` as a whole blank-separated word.
bool extension_listed(const char* list, const char* name);
// llvmpipe, softpipe and the other rasterisers that run on the processor.
bool is_software_renderer(const char* renderer);
// Top-left corner that centres a width x height client area in the work
// area at (area_x, area_y), on whichever display that area lies.
void centred_position(int area_x, int area_y, int area_w, int area_h, int width, int height,
                      int& x, int& y);
// Software check of a newly made context: the log line once per run, then
// the text of "opengldriver.txt" (when it has any) in a message box.
void check_software_renderer(const char* renderer);
// Shows the driver text and waits for it to be closed (a desktop message box
// unless replaced).
extern void (*show_driver_warning)(const char* caption, const char* text);

// Graphics start-up and shut-down steps of the program frame.
// Creates the device, window and context; a failure ends the program with a
// line on standard error and in the log naming the cause, and exit code 1.
// The window stays unmapped, its title held back (scripts that wait for the
// window by name must find it on screen), until show_window_for_first_frame.
void start_graphics_device();
void hide_window();
// Maps and raises a window start-up kept back, just before its first frame
// is presented; nothing otherwise.
void show_window_for_first_frame();
void set_arrow_cursor();
// Frees the device: textures, window, context, the batch storage.
void free_graphics_device();

// The window while a desktop dialog runs: out of the way when `away` (full
// screen left, plain windowed style, hidden), back after (full screen again
// when the project settings ask for it, else placed as a window). Nothing
// happens without a window.
void window_step_aside(bool away);
