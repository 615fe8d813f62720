// model.h - Vexui's records and its one global state.
//
// A dialog is a plain record holding its widgets sorted by id (for bisection)
// and, beside them, the same ids in creation order, which is layout order.
// Every attribute travels through the text-keyed property interface
// (properties.h); the records here are what those keys read and write.
// Everything addresses the top dialog of `vexui_state.dialogs`.
#pragma once
#include <cstdint>
#include "runtime/values/tv_array.h"
#include "runtime/values/tv_string.h"

using VexuiColor = int32_t;  // red + green * 256 + blue * 65536, as the runtime's TvColor

struct VexuiWidget {
  TvString id;
  TvString type;
  TvString text;
  int32_t xpos = 0;        // written by layout each frame
  int32_t ypos = 0;        // visible top edge after clipping
  int32_t width = 0;       // a frame's 0 means "as wide as its widest child"
  int32_t height = 0;
  int32_t hover = 0;       // a list keeps the hovered item here (-1 none)
  int32_t hide = 0;
  TvString filter;
  TvString tiptext;
  int32_t clicked = 0;     // one-frame pulse
  int32_t select = 0;
  int32_t count = 0;
  int32_t readonly = 0;
  int32_t selstart = 0;    // selection anchor
  int32_t selend = 0;      // caret
  double minval = 0;
  double maxval = 1;
  double step = 0.01;
  int32_t scroll = 0;      // first line (lists, text) or pixel offset (a dialog's own record)
  int32_t scroll_max = 0;
  int32_t caret_x = 0;
  int32_t caret_y = 0;
  int32_t align = -1;      // <0 left, 0 centred, >0 right
  int32_t order_entry = 0; // where this widget's entry sits in the dialog's `order`
};

struct VexuiOrderEntry {
  TvString id;
  int32_t index = 0;       // position of `id` in `widgets`
};

struct VexuiLink {
  TvString src_id;
  TvString dst_id;
  TvString src_key;
  TvString dst_key;
};

struct VexuiDialog {
  TvString focus;                 // widget taking keys, "SB"+id while a bar is dragged
  int32_t moveable = 0;
  int32_t moving = 0;
  int32_t scaling = 0;
  int32_t scaleable = 0;
  VexuiColor col_bright = 0;
  VexuiColor col_norm = 0;
  VexuiColor col_hover_bright = 0;
  VexuiColor col_hover_norm = 0;
  TvString inkey;                 // one pending typed character for the focused text widget
  int32_t xpos = 0;
  int32_t ypos = 0;
  int32_t content_height = 0;
  int32_t pending_action = 0;     // VexuiAction
  TvString pending_id;
  VexuiWidget self;               // title, size and content scroll
  TvArray<VexuiLink> links;
  TvArray<VexuiWidget> widgets;   // sorted by id, byte-wise
  TvArray<VexuiOrderEntry> order; // creation order = layout order
};

// Deferred modal actions, run after a dialog has been drawn.
enum VexuiAction : int32_t { VEXUI_NO_ACTION = 0, VEXUI_COLOR_PICKER = 1, VEXUI_TEXT_ENTRY = 2, VEXUI_POPUP_LIST = 3 };

struct VexuiState {
  TvArray<VexuiDialog> dialogs;   // the last one is the top, active dialog
  int32_t min_widget_size = 0;    // requested sizes at or below this become automatic
  double touch_device = 0;
  double keyboard_open = 0;       // the on-screen keyboard runs; text widgets must not reopen it
  // text measuring (paint.h)
  int32_t glyph_offset[256] = {};
  int32_t glyph_advance[256] = {};
  int32_t glyph_tables_built = 0; // entries filled (256 once built)
  int32_t proportional = 0;
  // mouse tracking across frames
  int32_t mouse_down = 0;
  int32_t last_x = 0, last_y = 0;
  int32_t rest_x = 0, rest_y = 0;
  double rest_time = 0;
};

extern VexuiState vexui_state;

// The top dialog; the runtime's array-index error ends the program when the stack is empty.
VexuiDialog& vexui_top();

int32_t vexui_find_widget(VexuiDialog& dialog, const TvString& id, int32_t create);
void vexui_add_widget(const TvString& id, const TvString& text, int32_t width, int32_t height);
void vexui_hide(const TvString& id, int32_t hidden);
void vexui_link(const TvString& src_id, const TvString& src_key, const TvString& dst_id, const TvString& dst_key);
void vexui_reset_dialog();

// Constructors: each adds a widget to the top dialog and sets its type.
void vexui_text(const TvString& id, const TvString& text, int32_t width, int32_t height);
void vexui_list(const TvString& id, const TvString& items, int32_t width, int32_t height);
void vexui_combo(const TvString& id, const TvString& items, int32_t width, int32_t height);
void vexui_file(const TvString& id, const TvString& text, const TvString& filter, int32_t width, int32_t height);
void vexui_radio(const TvString& id, const TvString& items, int32_t width);
void vexui_checkbox(const TvString& id, const TvString& text, int32_t width, int32_t height);
void vexui_slider(const TvString& id, double value, int32_t width, int32_t height);
void vexui_button(const TvString& id, const TvString& text, int32_t width, int32_t height);
void vexui_tab(const TvString& id, const TvString& items);
void vexui_frame(const TvString& id, const TvString& text, int32_t width);
void vexui_unframe();
void vexui_spacer(int32_t width, int32_t height);
void vexui_user_widget(const TvString& id, const TvString& type, int32_t width, int32_t height);
void vexui_sprite_buttons(const TvArray<TvString>& ids, const TvArray<double>& sprites);

// The font's cell width and height (at least 1 high).
void vexui_cell_size(int32_t& cw, int32_t& ch);

// Item lists are one text with "|" between items: `vexui_split_items` gives
// the items (none for an empty text), read strictly inside the text.
void vexui_split_items(const TvString& text, TvArray<TvString>& items);

// The handler every widget of a type the toolkit does not know reaches. The
// application replaces it with vexui_set_user_handler; the default stops the
// program visibly.
using VexuiUserHandler = void (*)(VexuiWidget& widget);
void vexui_set_user_handler(VexuiUserHandler handler);  // nullptr restores the default
void vexui_handle_user(VexuiWidget& widget);
