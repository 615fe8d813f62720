// vexui.h - what an application uses of the toolkit: dialogs of widgets
// addressed by text ids, their properties as text, the built-in dialogs and
// the modal runner. The records and the drawing and input machinery live
// behind vexui/internal.h.
//
// Every call addresses the top dialog of the stack. A program pushes its
// dialog, creates widgets, then each frame calls vexui_show, the runtime's
// show_frame, and reads what happened through vexui_get ("CLICKED",
// "SELECT", "TEXT", ...).
#pragma once
#include <cstdint>
#include <functional>

#include "runtime/values/tv_string.h"

using VexuiColor = int32_t;  // red + green * 256 + blue * 65536, as the runtime's TvColor
struct VexuiWidget;

// ---- the dialog stack ---------------------------------------------------------
void vexui_push_dialog(int32_t x, int32_t y, int32_t width, int32_t height);
void vexui_pop_dialog();
// Moves or resizes the top dialog (only for a positive size), then clears
// every widget's hover and click.
void vexui_set_dialog_rect(int32_t x, int32_t y, int32_t width, int32_t height);
// Once per frame before show_frame: the top dialog takes mouse and keys;
// only_top = 0 also draws (and shades) the dialogs below it.
void vexui_show(int32_t only_top);
// How long a program may wait for input (wait_input_for) while the
// toolkit's frame stays as it is, at most `longest` ms: until the caret's
// blink or tool tips coming due change it; the ordinary 75 ms while it is
// not at rest (the last show drew a change, keys or buttons are held).
int32_t vexui_rest_ms(int32_t longest);
// Drops the top dialog's widgets and links (a fresh page of the same dialog).
void vexui_reset_dialog();

// ---- widgets: each constructor adds one to the top dialog ------------------------
// A size at or below the least widget size (16) is worked out from the text.
// Item lists are one text with "|" between the items.
void vexui_add_widget(const TvString& id, const TvString& text, int32_t width, int32_t height);  // a label
void vexui_text(const TvString& id, const TvString& text, int32_t width, int32_t height);
void vexui_list(const TvString& id, const TvString& items, int32_t width, int32_t height);
void vexui_combo(const TvString& id, const TvString& items, int32_t width, int32_t height);
void vexui_file(const TvString& id, const TvString& text, const TvString& filter, int32_t width, int32_t height);
void vexui_radio(const TvString& id, const TvString& items, int32_t width);
void vexui_checkbox(const TvString& id, const TvString& text, int32_t width, int32_t height);
void vexui_slider(const TvString& id, double value, int32_t width, int32_t height);
void vexui_button(const TvString& id, const TvString& text, int32_t width, int32_t height);
// Items "caption,id,id..." show and hide the named widgets with their page.
void vexui_tab(const TvString& id, const TvString& items);
void vexui_frame(const TvString& id, const TvString& text, int32_t width);
void vexui_unframe();
void vexui_spacer(int32_t width, int32_t height);
void vexui_user_widget(const TvString& id, const TvString& type, int32_t width, int32_t height);
void vexui_hide(const TvString& id, int32_t hidden);
// Each frame after the show: dst's key = src's key.
void vexui_link(const TvString& src_id, const TvString& src_key, const TvString& dst_id, const TvString& dst_key);

// ---- properties ---------------------------------------------------------------------
// Values travel as text; an empty id is the top dialog itself. Writing a
// widget that does not exist creates a blank one; reading never creates.
void vexui_set(const TvString& id, const TvString& key, const TvString& value);
TvString vexui_get(const TvString& id, const TvString& key);
double vexui_get_number(const TvString& id, const TvString& key);

TvString vexui_get_item(const TvString& id, int32_t index);  // index < 0: the selected item
void vexui_insert_item(const TvString& id, const TvString& item, int32_t index);
void vexui_delete_item(const TvString& id, int32_t index);
void vexui_select_tab(const TvString& id, int32_t index);

// Desktop text as a text widget takes it: CR LF, a lone CR and a lone LF
// each become "\n", a tab four blanks. Ctrl+V and every paste button use it.
TvString vexui_paste_text(const TvString& clipboard);

// ---- the modal runner ----------------------------------------------------------------
// A modal dialog is two functions of its own:
//   build - pushes the dialog and creates its widgets;
//   step  - shows one frame (vexui_show), reads what happened and gives
//           VEXUI_DIALOG_RUNNING, or its result (any other number).
// vexui_modal_run(step) runs an already built dialog to its end:
//   begin: Escape stops ending the program; vexui_modal_escape() tells a
//          step that it was pressed in this dialog;
//   each frame: step(), then show_frame(); when `idle`, asleep until input
//          or the frame changing by itself (wait_input_for, vexui_rest_ms);
//   end:   pops the dialog and gives Escape back once it is let go, so the
//          press that closed the dialog cannot end the program too.
// Dialogs nest: a step may run another dialog. A test calls build and step
// itself, between vexui_modal_begin() and vexui_modal_end().
constexpr int32_t VEXUI_DIALOG_RUNNING = -2;
using VexuiModalStep = std::function<int32_t()>;
int32_t vexui_modal_run(const VexuiModalStep& step, bool idle = false);
bool vexui_modal_escape();  // a press of Escape that began in the innermost dialog
// A press of the key (scan code) that began in the innermost dialog, once
// per press: a key still held from before the dialog opened does not count.
// Ask about the key every frame, so its release is seen.
bool vexui_modal_key(int32_t code);
void vexui_modal_begin();
void vexui_modal_end();     // Escape only; the caller pops
// Closing the window (Alt+F4, the close button) ends the program at once,
// unless a running dialog holds entered work: a step calls
// vexui_modal_hold_close(true) on each frame its dialog holds some, and a
// close request then does not end the program but makes
// vexui_modal_close_requested() true once, for the step to ask its user
// (and end the program, through the runtime's end path, or carry on).
void vexui_modal_hold_close(bool holds);
bool vexui_modal_close_requested();

// ---- the built-in dialogs --------------------------------------------------------------
int32_t vexui_message_box(const TvString& text, int32_t yes_no, const TvString& caption);  // 1 Yes/OK, 0 No
TvString vexui_file_dialog(const TvString& filter, int32_t save);                          // "" when cancelled
VexuiColor vexui_color_dialog(VexuiColor colour);  // the given colour when cancelled
// The edited text after OK, the given text after Cancel (or Escape).
TvString vexui_text_entry(const TvString& text, int32_t accents);
// A pick list at (x, y), kept inside the screen; the chosen item's index,
// or -1 after a press outside it or Escape.
int32_t vexui_popup_list(int32_t x, int32_t y, int32_t width, int32_t height, const TvString& items);

// ---- the rest --------------------------------------------------------------------------
// Widgets of a type the toolkit does not know reach this handler each frame
// (nullptr restores the default, which stops the program visibly).
using VexuiUserHandler = void (*)(VexuiWidget& widget);
void vexui_set_user_handler(VexuiUserHandler handler);
// Fixed cells (0) or measured glyphs (1) for every text the toolkit draws.
void vexui_build_text_tables(int32_t proportional, int32_t spacing);
// A dimmed picture of the screen with a moving bar while on; off frees it.
void vexui_busy(int32_t on, int32_t sprite);
