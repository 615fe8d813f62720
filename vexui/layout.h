// layout.h - the flow layout: widgets left to right in lines, frames as
// nested groups; each entry is handled (top dialog) and drawn as it is placed.
#pragma once
#include "vexui/state.h"

struct VexuiCursor {
  int32_t x = 0, y = 0;
  int32_t line_height = 0;  // tallest widget of the current line
};

struct VexuiLimits {
  int32_t available = 0;  // width of a line
  int32_t left = 0;       // where a new line starts
  int32_t right_clip = 0, top_clip = 0, bottom_clip = 0;
};

// The mouse in screen pixels and what the frame does with it.
struct VexuiPointer {
  int32_t mx = 0, my = 0;
  int32_t click = 0;        // -1 press edge, 1 release edge
  int32_t interactive = 0;  // the top dialog: handlers run
  int32_t tips = 0;         // the mouse rested long enough for tool tips
};

// Places, handles and draws order entry `entry` of the dialog; a frame moves
// `entry` onto its closing "UNFRAME". 0 for an "UNFRAME", else 1.
int32_t vexui_layout_entry(VexuiDialog& dialog, int32_t& entry, VexuiCursor& cursor, const VexuiLimits& limits,
                           const VexuiPointer& pointer);
