// viewer.cpp - the viewer window and its main loop.
#include "app/viewer.h"

#include "app/add_dialog.h"
#include "app/catalogue_place.h"
#include "app/clipboard.h"
#include "runtime/frame/frame_loop.h"
#include "runtime/frame/lifecycle.h"
#include "runtime/gfx2d/device.h"
#include "runtime/input/input.h"
#include "runtime/io/filesystem.h"
#include "vexui/vexui.h"

using namespace viewer_ids;

TvString viewer_tab_text(const TvStringArray& categories) {
  TvString text;
  for (int32_t i = 0; i < categories.size1; ++i) {
    if (i > 0) string_append_char(text, '|');
    string_append(text, categories(i));
    for (const char* id : {kCombo, kDescription, kAuthor, kCode, kCopy}) {
      string_append_char(text, ',');
      string_append(text, id);
    }
  }
  return text;
}

void show_snippet(int32_t index, SnippetArray& snippets) {
  vexui_set(kDescription, "TEXT", "Description : " + snippets(index).description);
  vexui_set(kAuthor, "TEXT", "Author : " + snippets(index).author);
  vexui_set(kCode, "TEXT", snippets(index).code);
}

void show_category(const TvString& list_text, SnippetArray& snippets) {
  vexui_set(kCombo, "TEXT", list_text);
  vexui_set(kCode, "TEXT", "");
  vexui_set(kDescription, "TEXT", "Description :");
  vexui_set(kAuthor, "TEXT", "Author :");
  vexui_set(kCombo, "SELECT", "0");
  if (snippets.size1 > 0) show_snippet(0, snippets);
}

void viewer_build(Viewer& v) {
  categories(v.categories);
  screen_size(v.width, v.height);
  int32_t w = v.width, h = v.height;
  vexui_push_dialog(0, 0, w, h);
  vexui_tab(kTab, viewer_tab_text(v.categories));
  vexui_combo(kCombo, "", w - 8, 0);
  vexui_add_widget(kDescription, "Description :", w - 8, 0);
  vexui_add_widget(kAuthor, "Author :", w - 8, 0);
  vexui_text(kCode, "", w - 8, h - 132);
  vexui_button(kCopy, "Copy To Clipboard", w - 8, 0);
  vexui_button(kAdd, "Add Own Code", w - 8, 0);
  vexui_set(kCode, "READONLY", "1");
  vexui_set(kTab, "SELECT", "0");
  v.list_text = load_category(v.categories(0), v.snippets);
  show_category(v.list_text, v.snippets);
}

namespace {
bool valid_index(int32_t i, const SnippetArray& s) { return i >= 0 && i < s.size1; }
}  // namespace

void viewer_step(Viewer& v) {
  if (vexui_get_number(kTab, "CLICKED") != 0) {
    int32_t sel = int32_t(vexui_get_number(kTab, "SELECT"));
    if (sel >= 0 && sel < v.categories.size1) {
      v.list_text = load_category(v.categories(sel), v.snippets);
      show_category(v.list_text, v.snippets);
    }
  }
  if (vexui_get_number(kCombo, "CLICKED") != 0) {
    int32_t sel = int32_t(vexui_get_number(kCombo, "SELECT"));
    if (valid_index(sel, v.snippets)) show_snippet(sel, v.snippets);
    return;
  }
  if (vexui_get_number(kCopy, "CLICKED") != 0) {
    int32_t sel = int32_t(vexui_get_number(kCombo, "SELECT"));
    if (valid_index(sel, v.snippets)) clipboard_set(v.snippets(sel).code);
    return;
  }
  if (vexui_get_number(kAdd, "CLICKED") != 0) {
    int32_t sel = int32_t(vexui_get_number(kTab, "SELECT"));
    if (sel >= 0 && sel < v.categories.size1 &&
        add_snippet_dialog(v.categories, sel, v.snippets, v.list_text) == 1)
      show_category(v.list_text, v.snippets);
  }
}

void viewer_main(int32_t end_after_frames) {
  choose_catalogue_place(get_current_dir());
  Viewer v;
  v.end_after_frames = end_after_frames;
  viewer_build(v);
  for (;;) {
    vexui_show(0);
    show_frame();
    if (v.end_after_frames > 0 && --v.end_after_frames == 0) end_program();
    wait_input();
    viewer_step(v);
  }
}
