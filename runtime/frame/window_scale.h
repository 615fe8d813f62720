// window_scale.h - how many times larger than its frame the window is shown.
//
// The program always draws a frame of the project's screen size; on a large
// display the window shows it enlarged by a whole number N, each frame pixel
// a sharp N x N block. N is the largest one for which the window takes at
// most 60 % of the display's width and 75 % of its height; SNIPVAULT_SCALE
// set to a whole number from 1 to 8 overrides it.
#pragma once

constexpr int kMaxWindowScale = 8;

// The largest N (1 .. kMaxWindowScale) with frame_w * N <= 0.6 * display_w
// and frame_h * N <= 0.75 * display_h; 1 when even N = 1 does not fit.
int fitting_window_scale(int display_w, int display_h, int frame_w, int frame_h);
// SNIPVAULT_SCALE's text as a scale: 1 .. 8 for a whole number in that
// range, 0 for anything else.
int scale_from_text(const char* text);
// The scale for a frame_w x frame_h frame on the display a new window opens
// on: the override when it is valid, else the fitting one. An override that
// is not valid is logged and ignored.
int choose_window_scale(int frame_w, int frame_h);
