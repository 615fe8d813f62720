// frame.h - one dialog's frame as small steps: the mouse's rest and click
// edges, moving by the title bar, title bar and border, the resize grip,
// content area and scrolling, the layout walk and the shading of a dialog
// below the top. show.cpp runs them in this order each frame.
#pragma once
#include "vexui/layout.h"
#include "vexui/state.h"

struct VexuiFrame {
  VexuiPointer pointer;     // mouse, click edge, tool tips, interactive
  int32_t left_down = 0;
  int32_t x = 0, y = 0, width = 0, height = 0;  // the dialog after a move, before a resize
  bool title_bar = false;
  int32_t body_top = 0;     // below the title bar
  // the content area (screen pixels) and where its first line starts
  int32_t area_x = 0, area_y = 0, area_w = 0, area_h = 0, start_y = 0;
};

// -1 on the frame the left button goes down, +1 on the frame it comes up
// after such a press, else 0. Updates the mouse tracking state.
int32_t vexui_click_state(int32_t mx, int32_t my, int32_t left_down);

// The mouse, its rest for tool tips and its click edge (interactive only).
VexuiFrame vexui_frame_pointer(int32_t interactive);
// Dragged by the title bar; a focused widget gives up the focus first.
void vexui_frame_move(VexuiDialog& dialog, VexuiFrame& frame);
// Title bar, border and body; sets the body's top.
void vexui_frame_chrome(VexuiDialog& dialog, VexuiFrame& frame);
// The resize grip of a scaleable dialog: dragged and drawn.
void vexui_frame_grip(VexuiDialog& dialog, const VexuiFrame& frame);
// The content area; the top dialog's content scroll bar, which narrows it.
void vexui_frame_content(VexuiDialog& dialog, VexuiFrame& frame);
// Places, handles and draws every entry; gives the content's height.
int32_t vexui_frame_walk(VexuiDialog& dialog, const VexuiFrame& frame);
// A dialog below the top is drawn shaded.
void vexui_frame_shade(VexuiDialog& dialog, const VexuiFrame& frame);
