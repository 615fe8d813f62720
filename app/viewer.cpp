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
#include "runtime/platform/clipboard.h"
#include "runtime/platform/process_info.h"
#include "runtime/values/string_lib.h"
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
  viewer_open_category(v, 0);
}

namespace {
bool valid_index(int32_t i, const SnippetArray& s) { return i >= 0 && i < s.size1; }

// The category on show, read from the file; the stamp taken first, so a
// change while reading shows up at the next look.
void load_shown(Viewer& v, int32_t index) {
  live_reload_mark(v.reload, v.catalogue.path);
  v.list_text = load_category(v.catalogue, v.categories(index), v.snippets);
}
}  // namespace

int32_t viewer_category(const Viewer&) { return int32_t(vexui_get_number(kTab, "SELECT")); }

int32_t viewer_snippet(const Viewer& v) {
  int32_t sel = int32_t(vexui_get_number(kCombo, "SELECT"));
  return valid_index(sel, v.snippets) ? sel : -1;
}

void viewer_open_category(Viewer& v, int32_t index) {
  if (index < 0 || index >= v.categories.size1) return;
  if (viewer_category(v) != index) vexui_select_tab(kTab, index);
  load_shown(v, index);
  show_category(v.list_text, v.snippets);
}

void viewer_select_snippet(Viewer& v, int32_t index) {
  if (!valid_index(index, v.snippets)) return;
  vexui_set(kCombo, "SELECT", TvString() + index);
  show_snippet(index, v.snippets);
}

void viewer_reload(Viewer& v) {
  int32_t cat = viewer_category(v), sel = viewer_snippet(v);
  if (cat < 0 || cat >= v.categories.size1) return;
  Snippet shown;
  if (sel >= 0) shown = v.snippets(sel);
  load_shown(v, cat);
  show_category(v.list_text, v.snippets);
  if (sel < 0) return;
  int32_t found = -1;
  for (int32_t i = 0; i < v.snippets.size1; ++i) {
    if (!string_equal(v.snippets(i).name, shown.name)) continue;
    if (found < 0) found = i;
    if (string_equal(v.snippets(i).code, shown.code)) {
      found = i;
      break;
    }
  }
  if (found >= 0) viewer_select_snippet(v, found);
}

void viewer_show_found(Viewer& v, int32_t category, const Snippet& s) {
  viewer_open_category(v, category);
  for (int32_t i = 0; i < v.snippets.size1; ++i)
    if (same_snippet(v.snippets(i), s)) return viewer_select_snippet(v, i);
}

void viewer_prepare_search(Viewer& v) {
  v.search.path = v.catalogue.path;
  v.search.show_category_now = [&v](int32_t category) { viewer_open_category(v, category); };
}

bool viewer_search(Viewer& v) {
  viewer_prepare_search(v);
  if (search_dialog_run(v.search) != 1) return false;
  viewer_show_found(v, v.search.chosen_category, v.search.chosen);
  return true;
}

void viewer_keys_step(Viewer& v) {
  ViewerKeyPress press = viewer_read_keys(v.keys);
  int32_t cat = viewer_category(v), n = v.categories.size1;
  switch (press.command) {
    case ViewerCommand::next_snippet: viewer_select_snippet(v, viewer_snippet(v) + 1); break;
    case ViewerCommand::previous_snippet: viewer_select_snippet(v, viewer_snippet(v) - 1); break;
    case ViewerCommand::next_category: viewer_open_category(v, (cat + 1) % n); break;
    case ViewerCommand::previous_category: viewer_open_category(v, (cat + n - 1) % n); break;
    case ViewerCommand::category: viewer_open_category(v, press.category); break;
    case ViewerCommand::copy:
      if (viewer_snippet(v) >= 0) clipboard_set(v.snippets(viewer_snippet(v)).code);
      break;
    case ViewerCommand::add: viewer_add(v); break;
    case ViewerCommand::edit: viewer_edit(v); break;
    case ViewerCommand::remove: viewer_delete(v); break;
    case ViewerCommand::undo: viewer_history(v, false); break;
    case ViewerCommand::redo: viewer_history(v, true); break;
    case ViewerCommand::help: viewer_help(); break;
    case ViewerCommand::search: viewer_search(v); break;
    default: return;
  }
  viewer_keys_settle(v.keys);  // a key that closed a dialog does nothing more here
}

void viewer_step(Viewer& v) {
  if (live_reload_changed(v.reload, v.catalogue.path, timer_ms())) viewer_reload(v);
  viewer_keys_step(v);
  if (viewer_context_menu(v)) viewer_keys_settle(v.keys);
  if (vexui_get_number(kTab, "CLICKED") != 0) viewer_open_category(v, viewer_category(v));
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
    viewer_add(v);
    viewer_keys_settle(v.keys);
  }
}

namespace {
// Pick mode: the search dialog straight away; the program ends with it.
[[noreturn]] void pick(Viewer& v) {
  set_end_code(1);  // Escape, Alt+F4 or the close button: nothing copied
  v.search.end_after_frames = v.end_after_frames;
  if (viewer_search(v)) {
    if (platform_clipboard_set(std::string(v.search.chosen.code.text().data, v.search.chosen.code.text().length)))
      set_end_code(0);
    else
      log_line("Pick: the desktop did not take the code onto its clipboard");
  }
  end_program();
}
}  // namespace

void viewer_main(int32_t end_after_frames, bool pick_mode) {
  // the viewer never saves a screenshot: no read-back of every presented frame
  if (graphics_device) graphics_device->keep_presented_frames = false;
  CataloguePlace place = choose_catalogue_place(get_current_dir());
  Viewer v;
  v.catalogue.path = place.path;
  v.end_after_frames = end_after_frames;
  viewer_build(v);
  platform_start_mark("viewer-built");
  // which file is in use, when it is not the expected one or cannot be read
  if (!place.notice.empty()) vexui_message_box(place.notice, 0, "Snipvault");
  if (pick_mode) pick(v);
  for (;;) {
    vexui_show(0);
    show_frame();
    if (v.end_after_frames > 0 && --v.end_after_frames == 0) end_program();
    // asleep until input, the frame changing by itself or the next look at the file
    wait_input_for(vexui_rest_ms(int32_t(v.reload.interval_ms)));
    viewer_step(v);
  }
}
