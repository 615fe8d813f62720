// viewer_keys.cpp - the viewer's key commands and the box listing them.
#include "app/viewer_keys.h"

#include "runtime/gfx2d/device.h"
#include "runtime/input/input.h"
#include "runtime/input/scan_codes.h"
#include "vexui/vexui.h"

namespace {

constexpr int32_t kWatched[] = {SCAN_PAGE_DOWN, SCAN_PAGE_UP, SCAN_ENTER, SCAN_KEYPAD_ENTER, SCAN_DELETE,
                                SCAN_F1,        SCAN_F2,      SCAN_Z,     SCAN_Y,            SCAN_N,
                                SCAN_1,         SCAN_1 + 1,   SCAN_1 + 2, SCAN_1 + 3,        SCAN_1 + 4,
                                SCAN_1 + 5,     SCAN_F};

bool held(int32_t code) { return key_state(code) != 0; }

// Whether the dialog's focused widget is a text box the user types into.
bool typing() {
  TvString focus = vexui_get("", "FOCUS");
  return !focus.empty() && vexui_get(focus, "TYPE") == "TEXT" && vexui_get_number(focus, "READONLY") == 0;
}

// One key, with the modifiers it needs, as a command.
struct KeyRow {
  int32_t code;
  bool ctrl;
  ViewerCommand command;
  bool in_text;  // also while typing in a text box
};
constexpr KeyRow kRows[] = {
    {SCAN_PAGE_DOWN, false, ViewerCommand::next_snippet, false},
    {SCAN_PAGE_UP, false, ViewerCommand::previous_snippet, false},
    {SCAN_PAGE_DOWN, true, ViewerCommand::next_category, false},
    {SCAN_PAGE_UP, true, ViewerCommand::previous_category, false},
    {SCAN_ENTER, false, ViewerCommand::copy, false},
    {SCAN_KEYPAD_ENTER, false, ViewerCommand::copy, false},
    {SCAN_N, true, ViewerCommand::add, false},
    {SCAN_F2, false, ViewerCommand::edit, true},
    {SCAN_DELETE, false, ViewerCommand::remove, false},
    {SCAN_Z, true, ViewerCommand::undo, false},
    {SCAN_Y, true, ViewerCommand::redo, false},
    {SCAN_F1, false, ViewerCommand::help, true},
    {SCAN_F, true, ViewerCommand::search, false},
};

}  // namespace

ViewerKeyPress viewer_read_keys(ViewerKeys& keys) {
  bool went_down[256] = {};
  for (int32_t code : kWatched) {
    bool now = held(code);
    went_down[code] = now && !keys.was_down[code];
    keys.was_down[code] = now;
  }
  bool ctrl = held(SCAN_LEFT_CTRL) || held(SCAN_RIGHT_CTRL);
  bool alt = held(SCAN_LEFT_ALT) || held(SCAN_RIGHT_ALT);
  ViewerKeyPress press;
  if (alt) return press;  // Alt chords belong to the desktop
  bool in_text = typing();
  for (const KeyRow& r : kRows) {
    if (!went_down[r.code] || r.ctrl != ctrl || (in_text && !r.in_text)) continue;
    press.command = r.command;
    return press;
  }
  for (int32_t k = 0; k < 6 && ctrl && !in_text; ++k) {
    if (!went_down[SCAN_1 + k]) continue;
    press.command = ViewerCommand::category;
    press.category = k;
  }
  return press;
}

void viewer_keys_settle(ViewerKeys& keys) {
  for (int32_t code : kWatched) keys.was_down[code] = held(code) ? 1 : 0;
}

namespace {

const char* const kHelp[][2] = {
    {"Page Down / Up", "next / previous snippet"},
    {"Ctrl+Page Down / Up", "next / previous category"},
    {"Ctrl+1 ... Ctrl+6", "that category"},
    {"Enter", "Copy To Clipboard"},
    {"Ctrl+N", "Add Own Code"},
    {"F2", "edit the snippet"},
    {"Delete", "delete the snippet"},
    {"Ctrl+Z / Ctrl+Y", "undo / redo a change"},
    {"Right click", "the snippet's menu"},
    {"Ctrl+F", "find a snippet in every category"},
    {"F1", "this list"},
    {"Escape", "end Snipvault"},
};

}  // namespace

void viewer_help_build() {
  int32_t sw = 0, sh = 0;
  screen_size(sw, sh);
  int32_t w = sw - 40 < 440 ? sw - 40 : 440;
  vexui_push_dialog((sw - w) / 2, 24, w, 200);
  vexui_set("", "MOVEABLE", "1");
  vexui_set("", "TEXT", "Keys");
  int32_t i = 0;
  for (const auto& row : kHelp) {
    vexui_add_widget(TvString("key") + i, row[0], w * 2 / 5 - 8, 0);
    vexui_add_widget(TvString("does") + i, row[1], w * 3 / 5 - 16, 0);
    ++i;
  }
  vexui_spacer(10000, 5);
  vexui_frame("fr_ok", "", 80);
  vexui_button("ok", "OK", 64, 32);
  vexui_unframe();
  vexui_set("fr_ok", "ALIGN", "0");
  vexui_set_dialog_rect(0, 0, 0, 0);
}

int32_t viewer_help_step() {
  vexui_show(0);
  bool enter = vexui_modal_key(SCAN_ENTER);
  bool pad_enter = vexui_modal_key(SCAN_KEYPAD_ENTER);
  if (vexui_get_number("ok", "CLICKED") != 0 || vexui_modal_escape() || enter || pad_enter) return 1;
  return VEXUI_DIALOG_RUNNING;
}

void viewer_help() {
  viewer_help_build();
  vexui_modal_run(viewer_help_step, true);
}
