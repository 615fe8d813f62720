// add_dialog.cpp - the add-snippet dialog.
#include "app/add_dialog.h"

#include <functional>

#include "app/clipboard.h"
#include "runtime/frame/frame_loop.h"
#include "runtime/frame/lifecycle.h"
#include "runtime/gfx2d/device.h"
#include "runtime/values/string_lib.h"
#include "vexui/vexui.h"

namespace {

using namespace add_ids;

int32_t ask(const AddDialog& d, const TvString& text, int32_t yes_no, const TvString& caption) {
  return (d.message_box ? d.message_box : vexui_message_box)(text, yes_no, caption);
}

bool has_entries(const AddDialog& d) {
  if (d.mode != SnippetDialogMode::add)
    return !string_equal(vexui_get(kName, "TEXT"), d.start.name) ||
           !string_equal(vexui_get(kDescription, "TEXT"), d.start.description) ||
           !string_equal(vexui_get(kAuthor, "TEXT"), d.start.author) ||
           !string_equal(vexui_get(kCode, "TEXT"), d.start.code);
  return !vexui_get(kName, "TEXT").empty() || !vexui_get(kDescription, "TEXT").empty() ||
         !vexui_get(kAuthor, "TEXT").empty() || !string_equal(vexui_get(kCode, "TEXT"), d.template_code);
}

SaveOutcome save_new(AddDialog& d, SnippetArray& snippets, const Snippet& s) {
  if (d.history) return change_add(d.catalogue, *d.history, d.category, snippets, s);
  return save_snippet(d.catalogue, d.category, snippets, s, encode_code(s.code));
}

SaveOutcome save_edit(AddDialog& d, SnippetArray& snippets, const Snippet& s) {
  if (d.history) return change_replace(d.catalogue, *d.history, d.category, snippets, d.original, s);
  return replace_snippet(d.catalogue, d.category, snippets, d.original, s);
}

bool clicked(const char* id) { return vexui_get_number(id, "CLICKED") != 0; }

// One save while another copy may hold the catalogue's lock: the window
// keeps drawing, with a line saying so and a Cancel button on top, which
// gives the save up (error `cancelled`) with everything entered still here.
SaveOutcome waiting_visibly(AddDialog& d, const std::function<SaveOutcome()>& save) {
  bool shown = false, cancelled = false;
  Catalogue kept = d.catalogue;
  d.catalogue.lock_wait_ms = -1;
  d.catalogue.waiting = [&] {
    if (!shown) add_dialog_lock_wait_build();
    shown = true;
    vexui_show(0);
    show_frame();
    cancelled = cancelled || clicked("wait_cancel");
    return !cancelled;
  };
  SaveOutcome o = save();
  d.catalogue = kept;
  if (shown) vexui_pop_dialog();
  return o;
}

int32_t try_save(AddDialog& d, SnippetArray& snippets, TvString& list_text) {
  Snippet s;
  s.name = vexui_get(kName, "TEXT");
  s.description = vexui_get(kDescription, "TEXT");
  s.author = vexui_get(kAuthor, "TEXT");
  s.code = vexui_get(kCode, "TEXT");
  // checked as the file will give it back: a name or code of blanks only
  // would vanish on the next start
  CatalogueError problem = prepare_snippet(s);
  if (problem != CatalogueError::none) {
    ask(d, problem == CatalogueError::empty_name ? "A name MUST be given" : "Some code MUST be given", 0, "Information");
    return VEXUI_DIALOG_RUNNING;
  }
  if (string_find(s.code, "|", 0) >= 0 &&
      ask(d, "The code holds \"|\", which the catalogue stores as a line break. Save anyway?", 1, "Information") != 1)
    return VEXUI_DIALOG_RUNNING;
  if (d.pasted_lost > 0 &&
      ask(d, TvString() + d.pasted_lost + (d.pasted_lost == 1 ? " character" : " characters") +
                 " of the pasted code cannot be kept and became \"?\". Save anyway?",
          1, "Information") != 1)
    return VEXUI_DIALOG_RUNNING;
  SaveOutcome o = waiting_visibly(
      d, [&] { return d.mode == SnippetDialogMode::edit ? save_edit(d, snippets, s) : save_new(d, snippets, s); });
  if (o.error == CatalogueError::changed || o.error == CatalogueError::vanished) {
    // nothing is overwritten unseen: the edit goes in as a new snippet, or
    // the user goes back to the dialog
    TvString what = o.error == CatalogueError::changed ? "changed" : "removed";
    if (ask(d,
            "Another program " + what + " this snippet in CODE.INI since it was shown. Save your edit as a new snippet?",
            1, "Edit Your Code") != 1)
      return VEXUI_DIALOG_RUNNING;
    o = waiting_visibly(d, [&] { return save_new(d, snippets, s); });
  }
  if (o.error == CatalogueError::cancelled) return VEXUI_DIALOG_RUNNING;
  if (!o.saved) {
    ask(d,
        "The snippet could not be saved: " + o.reason +
            ". CODE.INI is unchanged and everything you entered is still here.",
        0, "Information");
    return VEXUI_DIALOG_RUNNING;
  }
  list_text = o.list_text;
  return 1;
}

}  // namespace

void add_dialog_lock_wait_build() {
  int32_t w = 0, h = 0;
  screen_size(w, h);
  vexui_push_dialog(0, h / 2 - 40, w, 80);
  vexui_set("", "TEXT", "Saving");
  vexui_add_widget("wait_line", "Waiting for another copy of Snipvault to finish saving...", w - 8, 0);
  vexui_button("wait_cancel", "Cancel", w - 8, 0);
}

TvString code_template(const TvStringArray& categories, int32_t index) {
  TvStringArray names;
  ::categories(names);
  for (int32_t i = 0; i < kCategoryCount; ++i)
    if (string_equal(categories(index), names(i))) return category_template(i);
  return "";
}

void add_dialog_build(AddDialog& d, const Catalogue& catalogue, const TvStringArray& categories, int32_t index) {
  d.mode = SnippetDialogMode::add;
  snippet_dialog_build(d, catalogue, categories, index, Snippet());
}

void snippet_dialog_build(AddDialog& d, const Catalogue& catalogue, const TvStringArray& categories, int32_t index,
                          const Snippet& shown) {
  int32_t w = 0, h = 0;
  screen_size(w, h);
  d.catalogue = catalogue;
  d.category = categories(index);
  d.template_code = code_template(categories, index);
  d.original = shown;
  d.start = shown;
  if (d.mode == SnippetDialogMode::duplicate) d.start.name = shown.name + " (copy)";
  const char* title = d.mode == SnippetDialogMode::edit        ? "Edit Your Code ("
                      : d.mode == SnippetDialogMode::duplicate ? "Duplicate Your Code ("
                                                               : "Add Your Own Code (";
  vexui_push_dialog(0, 0, w, h);
  vexui_set("", "TEXT", title + d.category + ")");
  vexui_add_widget(kNameLabel, "Name :", 108, 0);
  vexui_text(kName, "", w - 124, 0);
  vexui_add_widget(kDescriptionLabel, "Description :", 108, 0);
  vexui_text(kDescription, "", w - 124, 0);
  vexui_add_widget(kAuthorLabel, "Author :", 108, 0);
  vexui_text(kAuthor, "", w - 124, 0);
  vexui_text(kCode, d.template_code, w - 8, h - 158);
  vexui_button(kPaste, "Paste From Clipboard", w - 8, 0);
  vexui_button(kSave, "Save And Close Window", w - 8, 0);
  vexui_button(kExit, "Close WITHOUT Saving", w - 8, 0);
  if (d.mode == SnippetDialogMode::add) return;
  vexui_set(kName, "TEXT", d.start.name);
  vexui_set(kDescription, "TEXT", d.start.description);
  vexui_set(kAuthor, "TEXT", d.start.author);
  vexui_set(kCode, "TEXT", d.start.code);
}

int32_t add_dialog_step(AddDialog& d, SnippetArray& snippets, TvString& list_text) {
  vexui_show(0);
  // closing the window never drops a half-typed snippet unasked
  bool entered = has_entries(d);
  const char* question = d.mode == SnippetDialogMode::edit ? "Discard your changes?" : "Discard the new snippet?";
  vexui_modal_hold_close(entered);
  if (vexui_modal_close_requested()) {
    if (!entered || ask(d, question, 1, vexui_get("", "TEXT")) == 1) end_program();
    return VEXUI_DIALOG_RUNNING;
  }
  // Escape closes the dialog (asking first when something was entered)
  // instead of ending the program with the new snippet
  if (vexui_modal_escape()) {
    if (!entered || ask(d, question, 1, vexui_get("", "TEXT")) == 1) return 0;
    return VEXUI_DIALOG_RUNNING;
  }
  if (clicked(kPaste)) {
    TvString clip;
    if (clipboard_read(clip, &d.pasted_lost)) vexui_set(kCode, "TEXT", vexui_paste_text(clip));
    else ask(d, "The clipboard could not be read; the code is unchanged.", 0, "Information");
    return VEXUI_DIALOG_RUNNING;
  }
  if (clicked(kExit)) return 0;
  if (clicked(kSave)) return try_save(d, snippets, list_text);
  return VEXUI_DIALOG_RUNNING;
}

int32_t add_snippet_dialog(const Catalogue& catalogue, const TvStringArray& categories, int32_t index,
                           SnippetArray& snippets, TvString& list_text) {
  AddDialog d;
  add_dialog_build(d, catalogue, categories, index);
  return vexui_modal_run([&] { return add_dialog_step(d, snippets, list_text); }, true);
}

int32_t snippet_dialog(AddDialog& d, const TvStringArray& categories, int32_t index, const Snippet& shown,
                       SnippetArray& snippets, TvString& list_text) {
  snippet_dialog_build(d, d.catalogue, categories, index, shown);
  return vexui_modal_run([&] { return add_dialog_step(d, snippets, list_text); }, true);
}
