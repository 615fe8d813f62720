// dialogs.cpp - message box, file chooser and colour picker, each a build
// and a step handed to the modal runner.
#include "vexui/dialogs.h"

#include <algorithm>
#include <cmath>

#include "runtime/frame/frame_loop.h"
#include "runtime/gfx2d/device.h"
#include "runtime/gfx2d/fonts.h"
#include "runtime/input/input.h"
#include "runtime/input/scan_codes.h"
#include "runtime/io/file_channels.h"
#include "runtime/io/filesystem.h"
#include "runtime/io/platform_info.h"
#include "runtime/values/string_lib.h"
#include "vexui/model.h"
#include "vexui/paint.h"
#include "vexui/properties.h"

namespace {

TvString num(int32_t v) { return TvString() + v; }

bool clicked(const char* id) { return vexui_get_number(id, "CLICKED") != 0; }

bool german() { return platform_info("LOCALE") == "de"; }

}  // namespace

// ---------------------------------------------------------------------------
// message box

void vexui_message_box_build(const TvString& text, int32_t yes_no, const TvString& caption) {
  int sw, sh;
  screen_size(sw, sh);
  int32_t w = std::max(sw / 3, 148);
  vexui_push_dialog((sw - w) / 2, sh / 4, w, 150);
  vexui_set("", "MOVEABLE", "1");
  vexui_set("", "TEXT", caption);
  vexui_add_widget("tx_text", text, w - 16, 0);
  vexui_spacer(10000, 5);
  bool de = german();
  vexui_frame("fr_buttons", "", 130);
  vexui_button("bt_yes", de ? "Ja" : "Yes", 64, 32);
  vexui_button("bt_no", de ? "Nein" : "No", 64, 32);
  vexui_unframe();
  vexui_set("tx_text", "ALIGN", "0");
  if (yes_no == 0) {
    vexui_hide("bt_no", 1);
    vexui_set("bt_yes", "TEXT", "OK");
    vexui_set("bt_yes", "ALIGN", "0");
  }
  vexui_set("fr_buttons", "ALIGN", "0");
  vexui_set_dialog_rect(0, 0, 0, 0);
}

int32_t vexui_message_box_step(int32_t yes_no) {
  vexui_show(0);
  if (clicked("bt_yes")) return 1;
  if (clicked("bt_no")) return 0;
  if (vexui_modal_escape()) return yes_no ? 0 : 1;  // what its one button or "No" gives
  // Enter answers the first button, Y and N the question; each key is asked
  // every frame so that a press begun before the box opened never counts
  bool enter = vexui_modal_key(SCAN_ENTER);
  bool pad_enter = vexui_modal_key(SCAN_KEYPAD_ENTER);
  bool yes = vexui_modal_key(SCAN_Y);
  bool no = vexui_modal_key(SCAN_N);
  if (enter || pad_enter || (yes_no && yes)) return 1;
  if (yes_no && no) return 0;
  return VEXUI_DIALOG_RUNNING;
}

int32_t vexui_message_box(const TvString& text, int32_t yes_no, const TvString& caption) {
  vexui_message_box_build(text, yes_no, caption);
  return vexui_modal_run([&] { return vexui_message_box_step(yes_no); }, true);
}

// ---------------------------------------------------------------------------
// file chooser

namespace {

// The extension of a filter such as "*.txt" ("" for "*.*" or none).
TvString filter_extension(const TvString& filter) {
  int32_t dot = -1;
  for (uint32_t i = 0; i < filter.length; ++i)
    if (filter.data[i] == '.') dot = int32_t(i);
  if (dot < 0) return TvString();
  TvString ext = string_mid(filter, dot + 1, int32_t(filter.length) - dot - 1);
  if (ext.empty() || ext == "*" || string_find_any(ext, "*?;") >= 0) return TvString();
  return ext;
}

bool ends_with_nocase(const TvString& name, const TvString& tail) {
  if (tail.length > name.length) return false;
  return string_lower(string_mid(name, int32_t(name.length - tail.length), int32_t(tail.length))) ==
         string_lower(tail);
}

// Whether a new file of this name can be made: made and removed again.
bool creatable(const TvString& path) {
  if (file_exists(path)) return !is_directory(path);
  int32_t channel = free_channel();
  if (channel < 0 || channel >= kChannelCount) return false;
  if (!file_open(channel, path, -1)) return false;
  file_close(channel);
  file_delete(path);
  return true;
}

}  // namespace

TvString vexui_file_dialog_path(const TvString& name, const TvString& filter) {
  TvString path = name.length && name.data[0] == '/' ? name : get_current_dir();
  if (!(name.length && name.data[0] == '/')) {
    if (!path.length || path.data[path.length - 1] != '/') string_append_char(path, '/');
    path += name;
  }
  TvString ext = filter_extension(filter);
  if (!ext.empty() && !ends_with_nocase(path, TvString(".") + ext)) path += TvString(".") + ext;
  return path;
}

void vexui_file_dialog_build(VexuiFileChooser& chooser) {
  vexui_push_dialog(0, 0, 240, 240);
  vexui_set("", "MOVEABLE", "1");
  vexui_reset_dialog();
  TvStringArray names;
  double packed = list_directory(chooser.filter, names);
  int32_t dirs = int32_t(packed) / 65536, files = int32_t(packed) % 65536;
  TvString dir_items, file_items;
  for (int32_t i = 0; i < dirs + files && i < array_total(names); ++i) {
    TvString& target = i < dirs ? dir_items : file_items;
    if (i < dirs && names(i) == ".") continue;
    if (!target.empty()) string_append_char(target, '|');
    target += names(i);
  }
  vexui_list("ls_dir", dir_items, 220, 64);
  vexui_set("ls_dir", "SELECT", "-1");
  vexui_spacer(1000, 4);
  vexui_list("ls_file", file_items, 220, 96);
  vexui_set("ls_file", "SELECT", "-1");
  vexui_spacer(1000, 4);
  vexui_text("tx_file", "", 220, 0);
  vexui_spacer(1000, 4);
  vexui_button("bt_ok", "OK", 0, 0);
  vexui_button("bt_cancel", "Cancel", 0, 0);
}

int32_t vexui_file_dialog_step(VexuiFileChooser& chooser) {
  vexui_show(1);
  if (clicked("ls_dir")) {
    TvString dir = vexui_get_item("ls_dir", -1);
    vexui_pop_dialog();
    if (!dir.empty()) set_current_dir(dir);  // ".." is the parent
    vexui_file_dialog_build(chooser);
    return VEXUI_DIALOG_RUNNING;
  }
  if (clicked("ls_file")) vexui_set("tx_file", "TEXT", vexui_get_item("ls_file", -1));
  if (clicked("bt_cancel") || vexui_modal_escape()) {
    chooser.result = TvString();
    return 0;
  }
  if (clicked("bt_ok")) {
    TvString name = vexui_get("tx_file", "TEXT");
    if (name.empty()) return VEXUI_DIALOG_RUNNING;
    TvString path = vexui_file_dialog_path(name, chooser.filter);
    bool ok = chooser.save ? creatable(path) : file_exists(path) && !is_directory(path);
    if (ok) {
      chooser.result = path;
      return 1;
    }
    // the chooser stays open; the loop tells the reason on top of it
    chooser.message = (chooser.save ? TvString("Cannot create the file\n") : TvString("File not found\n")) + path;
  }
  return VEXUI_DIALOG_RUNNING;
}

TvString vexui_file_dialog(const TvString& filter, int32_t save) {
  VexuiFileChooser chooser;
  chooser.filter = filter.empty() ? TvString("*.*") : filter;
  chooser.save = save;
  chooser.start_dir = get_current_dir();
  vexui_file_dialog_build(chooser);
  vexui_modal_run([&] {
    int32_t result = vexui_file_dialog_step(chooser);
    if (result == VEXUI_DIALOG_RUNNING && !chooser.message.empty()) {
      // why the chosen file cannot be used, told on top of the chooser
      vexui_message_box(chooser.message, 0, chooser.save ? "Save" : "Open");
      chooser.message = TvString();
    }
    return result;
  });
  set_current_dir(chooser.start_dir);
  return chooser.result;
}

void vexui_file_dialog_finish(VexuiFileChooser& chooser) {
  vexui_pop_dialog();
  set_current_dir(chooser.start_dir);
}

// ---------------------------------------------------------------------------
// colour picker

namespace {

const char* const kLetters[4] = {"R", "G", "B", "H"};

double slider_value(const char* letter) { return vexui_get_number(TvString("sl_") + letter, "TEXT"); }

void show_values() {
  for (int i = 0; i < 4; ++i) {
    double v = slider_value(kLetters[i]);
    int32_t shown = i < 3 ? int32_t(std::trunc(v * 255.01)) : int32_t(std::trunc(v * 100.0001));
    vexui_set(TvString("tx_") + kLetters[i], "TEXT", num(shown));
  }
}

}  // namespace

VexuiColor vexui_color_mix(double r, double g, double b, double brightness) {
  double k = 2 * brightness;
  double c[3] = {r, g, b};
  for (double& v : c) {
    if (k <= 1) {
      v = k * v;  // darker
    } else {
      v = std::min(1.0, std::max(0.0, (k - 1) * (1 - v) + v));  // lighter, towards white
    }
  }
  return int32_t(std::trunc(c[0] * 255)) + int32_t(std::trunc(c[1] * 255)) * 256 +
         int32_t(std::trunc(c[2] * 255)) * 65536;
}

void vexui_color_dialog_build(VexuiColorPicker& picker) {
  int32_t cw, ch;
  vexui_cell_size(cw, ch);
  picker.colour = picker.start;
  double value[4] = {(picker.start & 0xFF) / 255.0, (picker.start & 0xFF00) / 65280.0,
                     (picker.start & 0xFF0000) / 16711680.0, 0.5};
  vexui_push_dialog(0, 0, 240, 240);
  vexui_set("", "MOVEABLE", "1");
  vexui_set("", "TEXT", "Color Picker");
  vexui_spacer(10000, 80);  // room for the preview
  for (int i = 0; i < 4; ++i) {
    vexui_add_widget("", kLetters[i], 0, 0);
    vexui_slider(TvString("sl_") + kLetters[i], value[i], 0, 0);
    vexui_text(TvString("tx_") + kLetters[i], "", 3 * cw, 0);
    vexui_set(TvString("tx_") + kLetters[i], "READONLY", "1");
    vexui_spacer(10000, 0);
  }
  show_values();
  vexui_frame("fr_center", "", 200);
  vexui_button("bt_ok", "OK", 64, 32);
  vexui_button("bt_cancel", "Cancel", 128, 32);
  vexui_unframe();
  vexui_set("fr_center", "ALIGN", "0");
}

int32_t vexui_color_dialog_step(VexuiColorPicker& picker) {
  int32_t cw, ch;
  vexui_cell_size(cw, ch);
  vexui_show(0);
  bool moved = false;
  for (const char* letter : kLetters) moved = moved || clicked((TvString("sl_") + letter).c_str());
  if (moved) {
    picker.colour = vexui_color_mix(slider_value("R"), slider_value("G"), slider_value("B"), slider_value("H"));
    show_values();
  }
  // the preview, with a black line just inside its edge
  const VexuiDialog& d = vexui_top();
  int32_t x = d.xpos + 2 * cw, y = d.ypos + 2 * ch;
  draw_rect(x, y, 128, 64, picker.colour);
  draw_rect(x, y, 128, 1, 0);
  draw_rect(x, y + 63, 128, 1, 0);
  draw_rect(x, y + 1, 1, 62, 0);
  draw_rect(x + 127, y + 1, 1, 62, 0);
  if (clicked("bt_ok")) return 1;
  if (clicked("bt_cancel") || vexui_modal_escape()) return 0;
  return VEXUI_DIALOG_RUNNING;
}

VexuiColor vexui_color_dialog(VexuiColor colour) {
  VexuiColorPicker picker;
  picker.start = colour;
  vexui_color_dialog_build(picker);
  int32_t result = vexui_modal_run([&] { return vexui_color_dialog_step(picker); }, true);
  return result == 1 ? picker.colour : colour;
}
