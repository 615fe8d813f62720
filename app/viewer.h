// viewer.h - the viewer window: a tab per category, the combo box of the
// category's snippets, description and author, the read-only code box and
// the copy and add buttons. viewer_main builds it and loops forever; the
// program ends through the runtime's end path (window closed, Escape,
// Alt+F4).
#pragma once
#include "app/catalogue.h"
#include "app/changes.h"
#include "app/live_reload.h"
#include "app/search_dialog.h"
#include "app/viewer_keys.h"

// The viewer's widget ids.
namespace viewer_ids {
constexpr const char* kTab = "tab";
constexpr const char* kCombo = "combo";
constexpr const char* kDescription = "description1";
constexpr const char* kAuthor = "author1";
constexpr const char* kCode = "text";
constexpr const char* kCopy = "copy";
constexpr const char* kAdd = "add";
}  // namespace viewer_ids

struct Viewer {
  Catalogue catalogue;
  TvStringArray categories;
  SnippetArray snippets;  // the category on show; index = the combo's item
  TvString list_text;
  int32_t width = 0, height = 0;
  int32_t end_after_frames = 0;  // the benchmarks' seam: end after this many frames (0: never)
  ViewerKeys keys;
  LiveReload reload;
  ChangeHistory history;  // this run's changes, for undo and redo
  bool right_was_down = false;
  SearchDialog search;  // Ctrl+F's dialog, its catalogue kept between openings
  // How the viewer asks (the toolkit's message box; tests put in one that answers at once).
  int32_t (*message_box)(const TvString& text, int32_t yes_no, const TvString& caption) = nullptr;
};

// The tab text: each category's page lists the combo, labels, code box and
// copy button; "add" is on no page, so it always shows.
TvString viewer_tab_text(const TvStringArray& categories);
// Pushes the dialog, creates the widgets and shows the first category.
void viewer_build(Viewer& v);
// One turn's reactions, after vexui_show, show_frame and wait_input.
void viewer_step(Viewer& v);
// Builds the viewer and runs its loop; `end_after_frames` as in Viewer.
// With `pick` the search dialog opens at once: Enter copies the snippet's
// code and ends with 0, Escape (or closing the window) ends with 1.
[[noreturn]] void viewer_main(int32_t end_after_frames, bool pick = false);

void show_category(const TvString& list_text, SnippetArray& snippets);
void show_snippet(int32_t index, SnippetArray& snippets);

// The tab on show and the combo's snippet (-1 when the category is empty).
int32_t viewer_category(const Viewer& v);
int32_t viewer_snippet(const Viewer& v);
// Selects the tab and shows its category from the file, first snippet.
void viewer_open_category(Viewer& v, int32_t index);
// Selects and shows snippet `index` of the category on show.
void viewer_select_snippet(Viewer& v, int32_t index);
// Reads the category on show again and stays on the snippet shown, when it
// is still there (same name, the same code preferred).
void viewer_reload(Viewer& v);
// Ctrl+F: the search dialog over the viewer; a snippet taken is shown. True then.
bool viewer_search(Viewer& v);
// What viewer_search gives the dialog: the catalogue, and how the viewer
// shows a category when the snippet taken has gone from the file.
void viewer_prepare_search(Viewer& v);
// Shows the snippet of category `category` equal to `s` (tab, combo, labels
// and code); the category's first when the file no longer holds it.
void viewer_show_found(Viewer& v, int32_t category, const Snippet& s);
// The key commands of this frame (viewer_keys.h).
void viewer_keys_step(Viewer& v);

// --- changes (viewer_actions.cpp): each on the snippet on show -----------------
void viewer_add(Viewer& v);        // "Add Own Code", Ctrl+N
void viewer_edit(Viewer& v);       // F2, "Edit..."
void viewer_duplicate(Viewer& v);  // "Duplicate..."
void viewer_delete(Viewer& v);     // Delete, "Delete..." (asks first)
// "Move To...": the pop-up of the other categories at (x, y), then the move.
void viewer_move(Viewer& v, int32_t x, int32_t y);
void viewer_move_to(Viewer& v, int32_t target);
// Ctrl+Z (redo false) and Ctrl+Y: shows the category and snippet it touched.
void viewer_history(Viewer& v, bool redo);
// A right click on the combo box or the code box opens the snippet's menu;
// true when it did.
bool viewer_context_menu(Viewer& v);
