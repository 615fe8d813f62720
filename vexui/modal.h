// modal.h - the one modal runner (declared in vexui.h with its contract):
// begin, a caller's step each frame until it gives a result, end.
//
// While a dialog runs, Escape cancels it instead of ending the program: the
// runtime's end key is off from begin to end, and comes back (as it was
// before) only once Escape is let go, so the press that closed a dialog
// cannot end the program a frame later. Alt+F4 and the window's close
// button still end it.
#pragma once
#include "vexui/vexui.h"
