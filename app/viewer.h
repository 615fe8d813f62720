// viewer.h - the viewer window: a tab per category, the combo box of the
// category's snippets, description and author, the read-only code box and
// the copy and add buttons. viewer_main builds it and loops forever; the
// program ends through the runtime's end path (window closed, Escape,
// Alt+F4).
#pragma once
#include "app/catalogue.h"

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
  TvStringArray categories;
  SnippetArray snippets;  // the category on show; index = the combo's item
  TvString list_text;
  int32_t width = 0, height = 0;
  int32_t end_after_frames = 0;  // the benchmarks' seam: end after this many frames (0: never)
};

// The tab text: each category's page lists the combo, labels, code box and
// copy button; "add" is on no page, so it always shows.
TvString viewer_tab_text(const TvStringArray& categories);
// Pushes the dialog, creates the widgets and shows the first category.
void viewer_build(Viewer& v);
// One turn's reactions, after vexui_show, show_frame and wait_input.
void viewer_step(Viewer& v);
// Builds the viewer and runs its loop; `end_after_frames` as in Viewer.
[[noreturn]] void viewer_main(int32_t end_after_frames);

void show_category(const TvString& list_text, SnippetArray& snippets);
void show_snippet(int32_t index, SnippetArray& snippets);
