// search_dialog.h - the search dialog over the viewer (Ctrl+F, and pick
// mode's only dialog): a one-line query field with the focus, the matching
// snippets of all six categories below it (name, then category), the
// highlighted row's description in a label line. Every change of the query
// filters again; Up, Down, Page Up, Page Down, Home and End move the
// highlight while the field keeps the focus; Enter or a click on the
// highlighted row takes it, Escape closes. A build and a step run by the
// toolkit's modal runner.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "app/catalogue.h"
#include "app/search.h"

namespace search_ids {
constexpr const char* kQuery = "query";
constexpr const char* kList = "found";
constexpr const char* kDescription = "found_description";
}  // namespace search_ids

constexpr const char* kNoMatch = "No snippet matches";
// The list shows at most this many rows (the title says how many matched):
// nobody scrolls through more, and the toolkit's list redraws all its items.
constexpr int32_t kSearchRowsShown = 1000;

struct SearchDialog {
  TvString path = "CODE.INI";      // the catalogue file
  SearchIndex index;               // kept between openings; reloaded when the file changed
  std::vector<SearchRow> rows;     // the matches of `query`, best first
  TvString query;                  // what the rows are for
  int32_t highlight = -1;          // the highlighted row (-1: none)
  // after Enter: the snippet taken and its category
  Snippet chosen;
  int32_t chosen_category = -1;
  // Called, with this dialog popped, when the snippet taken is no longer in
  // the file: the viewer shows that category as it is now.
  std::function<void(int32_t category)> show_category_now;
  int32_t end_after_frames = 0;  // the benchmarks' seam: end after this many frames (0: never)
  // state between frames
  bool left_was_down = false;
  int32_t nav_key = 0;         // the navigation key held, 0 when none
  double nav_repeat_at = 0;    // when it moves the highlight again
  double next_stat_ms = 0;     // when the file is looked at again
  TvString note;               // said in the description line instead of a description
};

// The same snippet: name, description, author and code all equal.
bool same_snippet(const Snippet& a, const Snippet& b);

// The list row of an entry: its name ("|" shown as "/"), blanks up to
// `column`, then its category in brackets.
TvString search_row_text(const SearchIndex& ix, const SearchRow& row, int32_t column = 0);

// Loads (or reloads) the catalogue, pushes the dialog with the query field
// focused and the list for an empty query.
void search_dialog_build(SearchDialog& d);
// One frame: vexui_show, then the reactions. VEXUI_DIALOG_RUNNING while
// open, 0 after Escape, 1 after a snippet was taken (then `chosen` and
// `chosen_category` hold it as the file has it now). The runner pops it.
int32_t search_dialog_step(SearchDialog& d);
// The whole dialog run by the modal runner; 1 when a snippet was taken.
int32_t search_dialog_run(SearchDialog& d);
