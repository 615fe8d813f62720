// viewer_actions.cpp - what the viewer does to the catalogue: add, edit,
// duplicate, move, delete, undo and redo, reached by keys and by the
// snippet's context menu; each a save through the change history
// (changes.h), a failure told in a message box.
#include "app/add_dialog.h"
#include "app/viewer.h"
#include "runtime/input/input.h"
#include "runtime/values/string_lib.h"
#include "vexui/vexui.h"

using namespace viewer_ids;

namespace {

int32_t ask(const Viewer& v, const TvString& text, int32_t yes_no, const TvString& caption) {
  return (v.message_box ? v.message_box : vexui_message_box)(text, yes_no, caption);
}

bool have_category(const Viewer& v) { return viewer_category(v) >= 0 && viewer_category(v) < v.categories.size1; }

// After a change: the category as stored, on the snippet of that name.
void show_changed(Viewer& v, const TvString& name) {
  show_category(v.list_text, v.snippets);
  for (int32_t i = 0; i < v.snippets.size1; ++i)
    if (string_equal(v.snippets(i).name, name)) {
      viewer_select_snippet(v, i);
      break;
    }
  live_reload_mark(v.reload, v.catalogue.path);
}

void tell_failure(Viewer& v, const SaveOutcome& o, const char* what) {
  if (o.error == CatalogueError::changed || o.error == CatalogueError::vanished) {
    ask(v,
        TvString("Another program ") + (o.error == CatalogueError::changed ? "changed" : "removed") +
            " this snippet in CODE.INI since it was shown, so it was not " + what + ". The list now shows the file as it is.",
        0, "Information");
    viewer_reload(v);
    return;
  }
  ask(v, TvString("The snippet could not be ") + what + ": " + o.reason + ". CODE.INI is unchanged.", 0,
      "Information");
}

int32_t run_dialog(Viewer& v, SnippetDialogMode mode) {
  int32_t cat = viewer_category(v), sel = viewer_snippet(v);
  if (!have_category(v) || (mode != SnippetDialogMode::add && sel < 0)) return 0;
  AddDialog d;
  d.mode = mode;
  d.history = &v.history;
  d.catalogue = v.catalogue;
  d.message_box = v.message_box;
  int32_t r = mode == SnippetDialogMode::add
                  ? (add_dialog_build(d, v.catalogue, v.categories, cat),
                     vexui_modal_run([&] { return add_dialog_step(d, v.snippets, v.list_text); }, true))
                  : snippet_dialog(d, v.categories, cat, v.snippets(sel), v.snippets, v.list_text);
  if (r == 1) show_changed(v, v.history.done.empty() ? TvString() : v.history.done.back().after.name);
  return r;
}

}  // namespace

void viewer_add(Viewer& v) {
  if (run_dialog(v, SnippetDialogMode::add) == 1) show_category(v.list_text, v.snippets);  // the first again
}
void viewer_edit(Viewer& v) { run_dialog(v, SnippetDialogMode::edit); }
void viewer_duplicate(Viewer& v) { run_dialog(v, SnippetDialogMode::duplicate); }

void viewer_delete(Viewer& v) {
  int32_t sel = viewer_snippet(v);
  if (!have_category(v) || sel < 0) return;
  Snippet shown = v.snippets(sel);
  if (ask(v, "Delete the snippet \"" + shown.name + "\"?", 1, "Delete") != 1) return;
  SaveOutcome o = change_delete(v.catalogue, v.history, v.categories(viewer_category(v)), v.snippets, shown);
  if (!o.saved) return tell_failure(v, o, "deleted");
  v.list_text = o.list_text;
  show_category(v.list_text, v.snippets);
  // the one after it in the list, now at its place
  viewer_select_snippet(v, sel < v.snippets.size1 ? sel : v.snippets.size1 - 1);
  live_reload_mark(v.reload, v.catalogue.path);
}

void viewer_move_to(Viewer& v, int32_t target) {
  int32_t cat = viewer_category(v), sel = viewer_snippet(v);
  if (!have_category(v) || sel < 0 || target < 0 || target >= v.categories.size1 || target == cat) return;
  Snippet shown = v.snippets(sel);
  SaveOutcome o = change_move(v.catalogue, v.history, v.categories(cat), v.categories(target), v.snippets, shown);
  if (!o.saved) return tell_failure(v, o, "moved");
  v.list_text = o.list_text;
  show_category(v.list_text, v.snippets);
  viewer_select_snippet(v, sel < v.snippets.size1 ? sel : v.snippets.size1 - 1);
  live_reload_mark(v.reload, v.catalogue.path);
}

void viewer_move(Viewer& v, int32_t x, int32_t y) {
  int32_t cat = viewer_category(v);
  if (!have_category(v) || viewer_snippet(v) < 0) return;
  TvString items;
  int32_t targets[kCategoryCount] = {};
  int32_t n = 0;
  for (int32_t i = 0; i < v.categories.size1 && n < kCategoryCount; ++i) {
    if (i == cat) continue;
    if (n > 0) string_append_char(items, '|');
    string_append(items, v.categories(i));
    targets[n++] = i;
  }
  int32_t pick = vexui_popup_list(x, y, 140, 320, items);  // the list shrinks to its items
  if (pick >= 0 && pick < n) viewer_move_to(v, targets[pick]);
}

void viewer_history(Viewer& v, bool redo) {
  HistoryStep step = redo ? change_redo(v.catalogue, v.history) : change_undo(v.catalogue, v.history);
  if (!step.any) return;
  if (!step.outcome.saved) return tell_failure(v, step.outcome, redo ? "redone" : "undone");
  for (int32_t i = 0; i < v.categories.size1; ++i)
    if (string_equal(v.categories(i), step.category)) viewer_open_category(v, i);
  show_changed(v, step.name);
}

bool viewer_context_menu(Viewer& v) {
  MouseReading m = mouse_state();
  bool pressed = m.right && !v.right_was_down;
  v.right_was_down = m.right != 0;
  if (!pressed || viewer_snippet(v) < 0) return false;
  bool over = false;
  for (const char* id : {kCombo, kCode}) {
    int32_t x = int32_t(vexui_get_number(id, "XPOS")), y = int32_t(vexui_get_number(id, "YPOS"));
    int32_t w = int32_t(vexui_get_number(id, "WIDTH")), h = int32_t(vexui_get_number(id, "HEIGHT"));
    over = over || (m.x >= x && m.x < x + w && m.y >= y && m.y < y + h);
  }
  if (!over) return false;
  switch (vexui_popup_list(m.x, m.y, 120, 320, "Edit...|Duplicate...|Move To...|Delete...")) {
    case 0: viewer_edit(v); break;
    case 1: viewer_duplicate(v); break;
    case 2: viewer_move(v, m.x, m.y); break;
    case 3: viewer_delete(v); break;
    default: break;
  }
  v.right_was_down = mouse_state().right != 0;
  return true;
}
