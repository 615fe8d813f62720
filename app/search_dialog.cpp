// search_dialog.cpp - the search dialog: the query field edited by the
// toolkit's text widget, the rows and the highlight kept here.
//
// The field is an ordinary text widget, so typing, Backspace, Delete, the
// caret keys, the mouse and Ctrl+V behave as in every other field. What a
// one-line query must not take is undone after each frame: a line break
// typed by Enter is taken out again (Enter takes the row), line breaks of a
// paste become blanks, and the caret moves of Up, Down, Home and End are
// put back, since those keys move the highlight instead.
#include "app/search_dialog.h"

#include <algorithm>

#include "runtime/frame/frame_loop.h"
#include "runtime/frame/lifecycle.h"
#include "runtime/gfx2d/device.h"
#include "runtime/gfx2d/fonts.h"
#include "runtime/input/input.h"
#include "runtime/input/scan_codes.h"
#include "runtime/values/string_lib.h"
#include "vexui/vexui.h"

using namespace search_ids;

namespace {

constexpr double kRepeatDelayMs = 400;  // a held key moves again after this
constexpr double kRepeatEveryMs = 50;   // and then this often
constexpr double kStatEveryMs = 1000;   // how often an open dialog looks at the file
constexpr int32_t kCategoryColumn = 30;  // the farthest the category column moves right

int32_t cell_height() {
  int cw = 0, ch = 0;
  font_size(cw, ch);
  return std::max(1, ch);
}

int32_t cell_width() {
  int cw = 0, ch = 0;
  font_size(cw, ch);
  return std::max(1, cw);
}

int32_t shown_rows(const SearchDialog& d) { return int32_t(std::min<size_t>(d.rows.size(), kSearchRowsShown)); }

int32_t get_int(const char* id, const char* key) { return int32_t(vexui_get_number(id, key)); }
void set_int(const char* id, const char* key, int32_t value) { vexui_set(id, key, TvString() + value); }

// Cut to what one line of the dialog holds, line breaks as blanks.
TvString one_line(const TvString& text, int32_t chars) {
  TvString out;
  for (uint32_t i = 0; i < text.length && int32_t(out.length) < chars; ++i) {
    char c = text.data[i];
    string_append_char(out, c == '\n' || c == '\r' ? ' ' : c);
  }
  if (int32_t(text.length) > chars && chars > 3) {
    string_truncate(out, uint32_t(chars - 3));
    string_append(out, "...");
  }
  return out;
}

void describe(SearchDialog& d) {
  TvString line;
  if (!d.note.empty()) {
    line = d.note;
  } else if (d.rows.empty()) {
    line = d.index.error.empty() ? TvString() : "CODE.INI cannot be read: " + d.index.error;
  } else if (d.highlight >= 0) {
    line = "Description : " + search_description(d.index, d.rows[size_t(d.highlight)].entry);
  }
  vexui_set(kDescription, "TEXT", one_line(line, get_int(kDescription, "WIDTH") / cell_width() - 1));
}

void show_title(const SearchDialog& d) {
  TvString title = "Find a Snippet";
  size_t n = d.rows.size();
  if (n > size_t(kSearchRowsShown))
    title += TvString(" (first ") + kSearchRowsShown + " of " + int32_t(n) + ")";
  else if (n > 0)
    title += TvString(" (") + int32_t(n) + (n == 1 ? " snippet)" : " snippets)");
  vexui_set("", "TEXT", title);
}

// Keeps the highlighted row inside the list's view.
void scroll_to_highlight(const SearchDialog& d) {
  int32_t visible = std::max(1, (get_int(kList, "HEIGHT") - 4) / cell_height());
  int32_t scroll = get_int(kList, "SCROLL");
  if (d.highlight < scroll) scroll = std::max(0, d.highlight);
  else if (d.highlight >= scroll + visible) scroll = d.highlight - visible + 1;
  set_int(kList, "SCROLL", scroll);
}

void set_highlight(SearchDialog& d, int32_t row) {
  int32_t n = shown_rows(d);
  d.highlight = n == 0 ? -1 : std::clamp(row, 0, n - 1);
  set_int(kList, "SELECT", d.highlight);
  scroll_to_highlight(d);
  describe(d);
}

// The list shows d.rows; the highlight goes to `keep` (an entry) when it is
// still listed, else to the best match.
void fill_list(SearchDialog& d, int64_t keep = -1) {
  TvString items;
  int32_t n = shown_rows(d), row = 0, column = 0;
  // the categories in one column after the names, unless a name is long
  for (int32_t i = 0; i < n; ++i)
    column = std::max<int32_t>(column, int32_t(d.index.entries[d.rows[size_t(i)].entry].name_length));
  column = std::min(column, kCategoryColumn);
  for (int32_t i = 0; i < n; ++i) {
    if (i > 0) string_append_char(items, '|');
    string_append(items, search_row_text(d.index, d.rows[size_t(i)], column));
    if (int64_t(d.rows[size_t(i)].entry) == keep) row = i;
  }
  // an empty list says so, in a row nobody can highlight or take
  vexui_set(kList, "TEXT", n == 0 ? TvString(kNoMatch) : items);
  set_int(kList, "READONLY", n == 0 ? 1 : 0);
  set_int(kList, "HOVER", -1);
  set_int(kList, "SCROLL", 0);
  show_title(d);
  set_highlight(d, row);
}

void run_query(SearchDialog& d, int64_t keep = -1) {
  search_run(d.index, d.query, d.rows);
  fill_list(d, keep);
}

// The highlighted entry as (category, name), to find it again after a reload.
struct Mark {
  int32_t category = -1;
  TvString name;
};
Mark mark_of(const SearchDialog& d) {
  Mark m;
  if (d.highlight < 0) return m;
  const SearchRow& r = d.rows[size_t(d.highlight)];
  m.category = r.category;
  m.name = search_name(d.index, r.entry);
  return m;
}
int64_t find_mark(const SearchDialog& d, const Mark& m) {
  if (m.category < 0) return -1;
  for (const SearchRow& r : d.rows)
    if (r.category == m.category && string_equal(search_name(d.index, r.entry), m.name)) return r.entry;
  return -1;
}

// Loads the file again when it changed on disk; the highlight stays on its
// snippet where that is still listed.
void reload_if_changed(SearchDialog& d) {
  Mark m = mark_of(d);
  if (!search_refresh(d.index, d.path)) return;
  search_run(d.index, d.query, d.rows);
  fill_list(d, find_mark(d, m));
}

bool is_break(char c) { return c == '\n' || c == '\r'; }

// After the frame's edit: a line break typed by Enter is taken out again and
// reported; line breaks of a paste become blanks. Gives true for Enter.
bool take_line_breaks() {
  TvString text = vexui_get(kQuery, "TEXT");
  bool any = false;
  for (uint32_t i = 0; i < text.length && !any; ++i) any = is_break(text.data[i]);
  if (!any) return false;
  bool enter = key_state(SCAN_ENTER) || key_state(SCAN_KEYPAD_ENTER);
  int32_t caret = get_int(kQuery, "SELEND"), new_caret = caret;
  TvString out;
  for (uint32_t i = 0; i < text.length; ++i) {
    if (!is_break(text.data[i])) {
      string_append_char(out, text.data[i]);
    } else if (!enter) {
      string_append_char(out, ' ');
    } else if (int32_t(i) < caret) {
      --new_caret;
    }
  }
  vexui_set(kQuery, "TEXT", out);
  set_int(kQuery, "SELSTART", new_caret);
  set_int(kQuery, "SELEND", new_caret);
  return enter;
}

// The navigation key held this frame (the first in this list), 0 for none.
int32_t held_nav_key() {
  for (int32_t k : {SCAN_UP, SCAN_DOWN, SCAN_PAGE_UP, SCAN_PAGE_DOWN, SCAN_HOME, SCAN_END})
    if (key_state(k)) return k;
  return 0;
}

void move_highlight(SearchDialog& d, int32_t key) {
  int32_t page = std::max(1, (get_int(kList, "HEIGHT") - 4) / cell_height() - 1);
  int32_t row = std::max(d.highlight, 0);
  switch (key) {
    case SCAN_UP: row -= 1; break;
    case SCAN_DOWN: row = d.highlight < 0 ? 0 : row + 1; break;
    case SCAN_PAGE_UP: row -= page; break;
    case SCAN_PAGE_DOWN: row += page; break;
    case SCAN_HOME: row = 0; break;
    case SCAN_END: row = shown_rows(d) - 1; break;
    default: return;
  }
  d.note = TvString();
  set_highlight(d, row);
}

// Moves once when the key goes down, then again while it is held.
void navigate(SearchDialog& d, int32_t key) {
  double now = timer_ms();
  if (key != d.nav_key) {
    d.nav_key = key;
    if (key) move_highlight(d, key);
    d.nav_repeat_at = now + kRepeatDelayMs;
  } else if (key && now >= d.nav_repeat_at) {
    move_highlight(d, key);
    d.nav_repeat_at = now + kRepeatEveryMs;
  }
}

// The highlighted snippet as the file has it now: 1 when it is there (then
// `chosen` holds it); otherwise the viewer shows its category as it is now
// and the list is loaded again, and the dialog stays.
int32_t take(SearchDialog& d) {
  if (d.highlight < 0 || d.highlight >= shown_rows(d)) return VEXUI_DIALOG_RUNNING;
  const SearchRow& r = d.rows[size_t(d.highlight)];
  Snippet want = search_snippet(d.index, r.entry);
  int32_t category = r.category;
  TvStringArray names;
  categories(names);
  SnippetArray now;
  Catalogue file;
  file.path = d.path;
  load_category(file, names(category), now);
  for (int32_t i = 0; i < now.size1; ++i) {
    if (same_snippet(now(i), want)) {
      d.chosen = now(i);
      d.chosen_category = category;
      return 1;
    }
  }
  // gone or changed since the list was made: never shown half-filled
  TvString caret = vexui_get(kQuery, "SELEND");
  if (d.show_category_now) {
    vexui_pop_dialog();  // the viewer's widgets are addressed while it is on top
    d.show_category_now(category);
    search_dialog_build(d);
    vexui_set(kQuery, "SELSTART", caret);
    vexui_set(kQuery, "SELEND", caret);
  } else {
    search_refresh(d.index, d.path);
    run_query(d);
  }
  d.note = "\"" + want.name + "\" is no longer in CODE.INI as listed; the list is read again.";
  describe(d);
  return VEXUI_DIALOG_RUNNING;
}

bool release_on_highlight(SearchDialog& d) {
  bool down = mouse_state().left != 0;
  bool released = d.left_was_down && !down;
  d.left_was_down = down;
  return released && d.highlight >= 0 && get_int(kList, "HOVER") == d.highlight &&
         get_int(kList, "CLICKED") == 0 && get_int(kList, "READONLY") == 0;
}

}  // namespace

bool same_snippet(const Snippet& a, const Snippet& b) {
  return string_equal(a.name, b.name) && string_equal(a.code, b.code) && string_equal(a.description, b.description) &&
         string_equal(a.author, b.author);
}

TvString search_row_text(const SearchIndex& ix, const SearchRow& row, int32_t column) {
  TvStringArray names;
  categories(names);
  // a "|" would split the row in two; the list shows it as the viewer's combo does
  TvString text = string_replace_all(search_name(ix, row.entry), "|", "/");
  do string_append_char(text, ' ');
  while (int32_t(text.length) <= column);
  return text + "(" + names(row.category) + ")";
}

void search_dialog_build(SearchDialog& d) {
  search_refresh(d.index, d.path);
  int32_t w = 0, h = 0;
  screen_size(w, h);
  int32_t ch = cell_height();
  // inside the window, so the viewer shows around it
  int32_t dw = w - 24, dh = h - 20;
  vexui_push_dialog(12, 10, dw, dh);
  vexui_set("", "TEXT", "Find a Snippet");
  vexui_text(kQuery, d.query, dw - 8, 0);
  vexui_list(kList, "", dw - 8, dh - 3 * ch - 26);
  vexui_add_widget(kDescription, "", dw - 8, 0);
  vexui_set("", "FOCUS", kQuery);
  set_int(kQuery, "SELSTART", int32_t(d.query.length));
  set_int(kQuery, "SELEND", int32_t(d.query.length));
  d.highlight = -1;
  d.note = TvString();
  d.nav_key = held_nav_key();  // a key already down when it opens moves nothing
  d.left_was_down = mouse_state().left != 0;
  d.next_stat_ms = timer_ms() + kStatEveryMs;
  run_query(d);
}

int32_t search_dialog_step(SearchDialog& d) {
  int32_t caret_start = get_int(kQuery, "SELSTART"), caret_end = get_int(kQuery, "SELEND");
  TvString before = vexui_get(kQuery, "TEXT");
  vexui_show(0);
  if (d.end_after_frames > 0 && --d.end_after_frames == 0) {
    show_frame();
    set_end_code(0);
    end_program();
  }
  if (vexui_modal_escape()) return 0;
  // the field keeps the focus (a press on the title bar or the list's bar takes it)
  if (vexui_get("", "FOCUS").empty()) vexui_set("", "FOCUS", kQuery);

  bool enter = take_line_breaks();
  int32_t key = held_nav_key();
  TvString text = vexui_get(kQuery, "TEXT");
  if (key && string_equal(text, before)) {  // those keys are the list's, not the caret's
    set_int(kQuery, "SELSTART", caret_start);
    set_int(kQuery, "SELEND", caret_end);
  }
  double now = timer_ms();
  if (!string_equal(text, d.query)) {
    d.query = text;
    d.note = TvString();
    search_refresh(d.index, d.path);
    run_query(d);
    d.next_stat_ms = now + kStatEveryMs;
  } else if (now >= d.next_stat_ms) {
    d.next_stat_ms = now + kStatEveryMs;
    reload_if_changed(d);
  }
  navigate(d, key);

  if (get_int(kList, "CLICKED") != 0) {
    int32_t row = get_int(kList, "SELECT");
    d.note = TvString();
    set_highlight(d, row >= 0 ? row : d.highlight);  // below the last row: the highlight stays
  }
  if (release_on_highlight(d) || enter) return take(d);
  return VEXUI_DIALOG_RUNNING;
}

int32_t search_dialog_run(SearchDialog& d) {
  search_dialog_build(d);
  return vexui_modal_run([&d] { return search_dialog_step(d); }, true);
}
