// text.h - the text widget family: text blocks (labels and "TEXT" widgets)
// and the editor.
//
// The caret is `selend`, the selection anchor `selstart`, both character
// indexes kept inside 0..length while the widget has the focus and -1 when
// it has not. Keys come by scan code (arrows, Home, End, Delete, Tab,
// Backspace held down, Ctrl+C, Ctrl+V) and as typed characters: a widget
// taking keys takes every character waiting, in typing order, each as if
// typed alone; a held key repeats every 150 ms (vexui_state.key_repeat).
#pragma once
#include <cmath>

#include "vexui/state.h"

// The caret blinks: drawn dim for the second half of every 1024 ms. The
// frame's signature (repeat.cpp) follows the same phases.
constexpr double kCaretPhaseMs = 512;
inline bool vexui_caret_dim(double now_ms) { return std::fmod(now_ms, 2 * kCaretPhaseMs) > kCaretPhaseMs; }
// Milliseconds until the caret's next phase begins.
inline double vexui_caret_phase_left(double now_ms) { return kCaretPhaseMs - std::fmod(now_ms, kCaretPhaseMs); }

// find = 0: the height in pixels of the widget's text laid out in `width`,
// drawn at (x0, y0) when draw != 0; find != 0: the character index at (x0, y0).
int32_t vexui_text_block(VexuiDialog& dialog, VexuiWidget& widget, int32_t x0, int32_t y0, int32_t width,
                         int32_t draw, int32_t find);
// The "TEXT" widget's input handler (mouse relative to the widget) and drawing.
void vexui_text_input(VexuiDialog& dialog, VexuiWidget& widget, int32_t mx, int32_t my, int32_t click,
                      int32_t key_flag);
void vexui_draw_text(VexuiDialog& dialog, VexuiWidget& widget, int32_t yoff);

// The width a "TEXT" widget lays its text out in: its width less a cell,
// or, while it has a scroll bar, up to where the bar begins. Drawing and editing
// use the same, so the caret lands where the text is drawn.
int32_t vexui_text_area_width(const VexuiWidget& widget);
