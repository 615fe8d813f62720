// paint.h - the toolkit's drawing primitives: text measure and print on the
// runtime's bitmap font, the two-colour face fill, borders, the titled
// frame, the tool tip and the busy overlay.
//
// All coordinates are relative to the current viewport; `yoff` (0, or
// negative for a widget partly scrolled out at the top) is added to every y.
#pragma once
#include "vexui/state.h"

// The font's cell width and height (at least 1 high).
void vexui_cell_size(int32_t& cw, int32_t& ch);
int32_t vexui_text_width(const TvString& text);
// The width, or some number above `limit` once the text is known to be
// wider: a caption megabytes long is not measured to its end every frame.
int32_t vexui_text_width_within(const char* bytes, uint32_t n, int32_t limit);
// Only the characters that fall inside the viewport are drawn (and walked
// over, past its right edge): a line's length costs nothing beyond that.
void vexui_print(const TvString& text, int32_t x, int32_t y, int32_t shadow);
void vexui_print_bytes(const char* bytes, uint32_t n, int32_t x, int32_t y);
// Wide areas fade top-down, tall ones left-right, from colour1 to colour2.
void vexui_fill2(VexuiColor colour1, VexuiColor colour2, double x, double y, double width, double height);
// The four lines around (x, y, w, h) that leave its corner pixels empty.
void vexui_outline(int32_t x, int32_t y, int32_t w, int32_t h, VexuiColor colour);
// The group box of a titled frame, in a viewport of the frame's last size.
void vexui_draw_frame_box(VexuiDialog& dialog, VexuiWidget& frame, int32_t yoff);
// Above the widget at its screen position; the viewport must be the screen.
void vexui_draw_tooltip(VexuiDialog& dialog, VexuiWidget& widget);
