// repeat.h - a frame that would draw exactly what the window shows costs a
// comparison, not a recording: before a show records anything, the toolkit
// compares what the frame depends on (its state, the mouse, the caret's
// blink phase, tool tips coming due, the screen and font) with what the
// last frame drawn in full depended on, and lets the draw batch repeat that
// frame's part (draw_batch.h, repeat_presented_part).
#pragma once
#include <cstdint>

// True when this show need record nothing: nothing it depends on changed
// since the last one drawn in full, that frame ended as it began (its walk
// changed no state), and the draw batch took the presented frame's part.
// Never while a key or mouse button is held or typed characters wait (their
// repeats and drags are timed), a deferred action is pending, or a user
// widget draws what the toolkit cannot see.
// `show` receives this show's number, for vexui_frame_recorded.
bool vexui_repeat_frame(int32_t only_top, uint32_t& show);
// After show number `show` was drawn in full: what the next show compares.
void vexui_frame_recorded(uint32_t show);
// vexui_rest_ms (vexui.h) tells how long the frame stays as it is.
