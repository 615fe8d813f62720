// viewer.cpp - the viewer window and its main loop.
#include "app/viewer.h"

#include "app/add_dialog.h"
#include "app/catalogue_place.h"
#include "app/clipboard.h"
#include "runtime/frame/frame_loop.h"
#include "runtime/frame/lifecycle.h"
#include "runtime/gfx2d/device.h"
#include "runtime/input/input.h"
#include "runtime/input/scan_codes.h"
#include "runtime/io/filesystem.h"
#include "vexui/vexui.h"

TvString viewer_tab_text(const TvStringArray& categories) {
  TvString text;
  for (int32_t i = 0; i < categories.size1; ++i) {
    if (i > 0) string_append_char(text, '|');
    string_append(text, categories(i));
    string_append(text, ",combo,description1,author1,text,copy");
  }
  return text;
}

void show_snippet(int32_t index, SnippetArray& snippets) {
  vexui_set("description1", "TEXT", "Description : " + snippets(index).description);
  vexui_set("author1", "TEXT", "Author : " + snippets(index).author);
  vexui_set("text", "TEXT", snippets(index).code);
}

void show_category(const TvString& list_text, SnippetArray& snippets) {
  vexui_set("combo", "TEXT", list_text);
  vexui_set("text", "TEXT", "");
  vexui_set("description1", "TEXT", "Description :");
  vexui_set("author1", "TEXT", "Author :");
  vexui_set("combo", "SELECT", "0");
  if (snippets.size1 > 0) show_snippet(0, snippets);
}

void viewer_build(Viewer& v) {
  categories(v.categories);
  screen_size(v.width, v.height);
  int32_t w = v.width, h = v.height;
  vexui_push_dialog(0, 0, w, h);
  vexui_tab("tab", viewer_tab_text(v.categories));
  vexui_combo("combo", "", w - 8, 0);
  vexui_add_widget("description1", "Description :", w - 8, 0);
  vexui_add_widget("author1", "Author :", w - 8, 0);
  vexui_text("text", "", w - 8, h - 132);
  vexui_button("copy", "Copy To Clipboard", w - 8, 0);
  vexui_button("add", "Add Own Code", w - 8, 0);
  vexui_set("text", "READONLY", "1");
  vexui_set("tab", "SELECT", "0");
  v.list_text = load_category(v.categories(0), v.snippets);
  show_category(v.list_text, v.snippets);
}

namespace {
bool valid_index(int32_t i, const SnippetArray& s) { return i >= 0 && i < s.size1; }
}  // namespace

void viewer_step(Viewer& v) {
  // Escape ends the program here again once the key that closed the add
  // dialog has been let go
  if (!escape_ends_program && !key_state(SCAN_ESCAPE)) escape_switch(1);
  if (vexui_get_number("tab", "CLICKED") != 0) {
    int32_t sel = int32_t(vexui_get_number("tab", "SELECT"));
    if (sel >= 0 && sel < v.categories.size1) {
      v.list_text = load_category(v.categories(sel), v.snippets);
      show_category(v.list_text, v.snippets);
    }
  }
  if (vexui_get_number("combo", "CLICKED") != 0) {
    int32_t sel = int32_t(vexui_get_number("combo", "SELECT"));
    if (valid_index(sel, v.snippets)) show_snippet(sel, v.snippets);
    return;
  }
  if (vexui_get_number("copy", "CLICKED") != 0) {
    int32_t sel = int32_t(vexui_get_number("combo", "SELECT"));
    if (valid_index(sel, v.snippets)) clipboard_set(v.snippets(sel).code);
    return;
  }
  if (vexui_get_number("add", "CLICKED") != 0) {
    int32_t sel = int32_t(vexui_get_number("tab", "SELECT"));
    if (sel >= 0 && sel < v.categories.size1 &&
        add_snippet_dialog(v.categories, sel, v.snippets, v.list_text) == 1)
      show_category(v.list_text, v.snippets);
  }
}

void viewer_main() {
  choose_catalogue_place(get_current_dir());
  Viewer v;
  viewer_build(v);
  // the benchmarks' seam: end after this many frames (0: never)
  int32_t frames_left = int32_t(string_to_number(get_env("SNIPVAULT_END_AFTER_FRAMES")));
  for (;;) {
    vexui_show(0);
    show_frame();
    if (frames_left > 0 && --frames_left == 0) end_program();
    wait_input();
    viewer_step(v);
  }
}
