// modal.h - what every built-in modal dialog does around its own loop.
//
// While one runs, Escape cancels it instead of ending the program: the
// runtime's end key is off from begin to end, and comes back (as it was
// before) only once Escape is let go, so the press that closed a dialog
// cannot end the program a frame later. Alt+F4 and the window's close
// button still end it.
#pragma once

void vexui_modal_begin();
void vexui_modal_end();
// True on a press of Escape that began while the innermost dialog ran.
bool vexui_modal_escape();
