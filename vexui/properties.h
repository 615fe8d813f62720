// properties.h - the text-keyed property interface of widgets and dialogs.
//
// Every value travels as text: numbers go in by the runtime's text-to-number
// rules and come out by its number-to-text rules. An empty id addresses the
// top dialog itself. The key tables live in properties.cpp, one per record.
#pragma once
#include "vexui/state.h"

// vexui_set, vexui_get and vexui_get_number are declared in vexui.h.
// Writing a widget that does not exist creates a blank one at the end of the
// layout order; keys outside the table (and "XPOS", "YPOS" of a widget) are
// ignored. Reading gives "" with no dialog or no such widget; a key outside
// the table gives "0" for a widget and "" for the dialog.

// Copies each link of the top dialog, in order: dst = src.
void vexui_apply_links();
