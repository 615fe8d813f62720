// state.h - Vexui's records and the one record of mutable toolkit state.
//
// A dialog is a plain record holding its widgets sorted by id (for bisection)
// and, beside them, the same ids in creation order, which is layout order.
// Every attribute travels through the text-keyed property interface
// (properties.h); the records here are what those keys read and write.
// Everything addresses the top dialog of `vexui_state.dialogs`.
//
// `vexui_state = VexuiState{}` resets the whole toolkit; the only state kept
// apart is the text-layout cache (text_layout.h), a pure cache.
#pragma once
#include <cstdint>
#include <string>

#include "runtime/values/tv_array.h"
#include "runtime/values/tv_string.h"
#include "vexui/vexui.h"

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
  uint64_t text_stamp = 0; // renewed at every write of `text` (vexui_text_written)
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

// Deferred modal actions, run after a dialog has been drawn (actions.h).
enum VexuiAction : int32_t { VEXUI_NO_ACTION = 0, VEXUI_COLOR_PICKER = 1, VEXUI_TEXT_ENTRY = 2, VEXUI_POPUP_LIST = 3 };

// The key repeat shared by every text widget: the scan code last handled
// and when (timer_ms).
struct VexuiKeyRepeat {
  int32_t last_key = 0;
  double last_key_time = 0;
};

// Who took this frame's wheel turn, and the text widget whose view the
// wheel moved away from its caret (it stays there until the caret moves).
struct VexuiWheel {
  bool taken = false;
  std::string parked_id;
};

// The modal runner's nesting: the end key as the program had it, and per
// level whether Escape (and each other key a dialog asks about) was seen up
// since that dialog began.
struct VexuiModal {
  static constexpr int kDepth = 16;
  int depth = 0;
  bool escape_was_on = true;
  bool armed[kDepth] = {};
  uint8_t keys_up[kDepth][32] = {};  // one bit per scan code
  bool holds_work[kDepth] = {};  // that dialog asks before a close request ends the program
  bool close_requested = false;  // a close request a dialog holding work took, not yet answered
};

struct VexuiBusy {
  int32_t sprite = -1;
  double last = -1e300;
};

// What the driver offers, asked once per run (-1: not asked yet).
struct VexuiCapabilities {
  int32_t range_elements = -1;  // glDrawRangeElements: the two-colour fill as one polygon
};

// Where an item of a long "|" list was found (vexui_item_span), by the
// text's buffer and stamp.
struct VexuiItemSpan {
  const char* data = nullptr;
  uint32_t length = 0, capacity = 0;
  uint64_t stamp = 0;
  int32_t index = -1;
  bool found = false;
  uint32_t from = 0, count = 0;
};
struct VexuiItemSpans {
  static constexpr int kKept = 4;
  VexuiItemSpan spans[kKept];
  int next = 0;
};

// What the last frame drawn in full depended on, to tell a frame that would
// draw the same again (repeat.h). The scratch strings keep their capacity.
struct VexuiRepeat {
  std::string inputs;          // what that frame read from outside, as it began
  std::string before, after;   // the toolkit's state as it began and as it ended
  std::string now_inputs, now_state;
  bool valid = false;          // nothing in that frame ruled a repeat out
  bool blink_only = false;     // this show differs from that frame in the caret's blink alone
  uint32_t shows = 0;          // vexui_show calls begun; a nested modal loop shows frames too
  uint64_t repeated = 0;       // frames taken from the presented one (tests, benchmarks)
};

void vexui_default_user_handler(VexuiWidget& widget);

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
  VexuiKeyRepeat key_repeat;
  VexuiWheel wheel;
  VexuiModal modal;
  VexuiBusy busy;
  VexuiCapabilities caps;
  VexuiUserHandler user_handler = vexui_default_user_handler;
  uint64_t text_stamps = 0;       // the last stamp handed out
  VexuiItemSpans item_spans;
  VexuiRepeat repeat;
};

extern VexuiState vexui_state;

// Every write of a widget's text gives it a new stamp: what was worked out
// from a long text (its layout, where an item starts) is known to be still
// valid without comparing megabytes each frame.
inline void vexui_text_written(VexuiWidget& widget) { widget.text_stamp = ++vexui_state.text_stamps; }

// The top dialog; the runtime's array-index error ends the program when the stack is empty.
VexuiDialog& vexui_top();
