// add_dialog.h - the "Add Own Code" dialog: name, description, author and
// code (starting from the category's template, or pasted from the
// clipboard), saved into the catalogue and the viewer's list. It is a build
// and a step run by the toolkit's modal runner, which also handles Escape.
// Escape, Alt+F4 and the window's close button ask before dropping what was
// entered.
#pragma once
#include "app/catalogue.h"
#include "app/changes.h"

// The dialog's widget ids.
namespace add_ids {
constexpr const char* kName = "name2";
constexpr const char* kNameLabel = "name1";
constexpr const char* kDescription = "description2";
constexpr const char* kDescriptionLabel = "description1";
constexpr const char* kAuthor = "author2";
constexpr const char* kAuthorLabel = "author1";
constexpr const char* kCode = "text";
constexpr const char* kPaste = "paste";
constexpr const char* kSave = "save";
constexpr const char* kExit = "exit";
}  // namespace add_ids

// How the dialog asks (the toolkit's message box; tests put in one that
// answers at once).
using AddDialogMessageBox = int32_t (*)(const TvString& text, int32_t yes_no, const TvString& caption);

// The starting code of the category at `index` of `categories`.
TvString code_template(const TvStringArray& categories, int32_t index);

// The one dialog serves three ways: a new snippet from the template, an
// edit of the snippet on show (saved in place, under its number), and a
// duplicate (the snippet under name + " (copy)", saved as a new one).
enum class SnippetDialogMode { add, edit, duplicate };

struct AddDialog {
  SnippetDialogMode mode = SnippetDialogMode::add;
  Snippet original;                // edit, duplicate: the snippet as shown
  Snippet start;                   // what the fields started with
  ChangeHistory* history = nullptr;  // where saves are recorded for undo (null: not recorded)
  Catalogue catalogue;
  TvString category;
  TvString template_code;
  AddDialogMessageBox message_box = nullptr;  // null: vexui_message_box
  int32_t pasted_lost = 0;  // characters of the last paste that became "?"
};

// The line shown while another copy of the program holds the catalogue's
// lock, with its Cancel button (ids "wait_line", "wait_cancel"), pushed on
// top of the dialog at the first tick of the wait.
void add_dialog_lock_wait_build();

// Pushes the dialog on top of the viewer's and creates its widgets.
void add_dialog_build(AddDialog& d, const Catalogue& catalogue, const TvStringArray& categories, int32_t index);
// The same for an edit or a duplicate of `shown` (d.mode set first),
// titled "Edit Your Code (category)" or "Duplicate Your Code (category)".
void snippet_dialog_build(AddDialog& d, const Catalogue& catalogue, const TvStringArray& categories, int32_t index,
                          const Snippet& shown);
// One frame: vexui_show, then the reactions. VEXUI_DIALOG_RUNNING while the
// dialog stays open, 0 when it closed without saving, 1 after a save (then
// `list_text` and `snippets` hold the category as stored). The runner pops it.
int32_t add_dialog_step(AddDialog& d, SnippetArray& snippets, TvString& list_text);
// The edit (or duplicate) dialog run to its end; 1 when saved.
int32_t snippet_dialog(AddDialog& d, const TvStringArray& categories, int32_t index, const Snippet& shown,
                       SnippetArray& snippets, TvString& list_text);
// The whole dialog: build, then the runner until it closes; 1 when saved.
int32_t add_snippet_dialog(const Catalogue& catalogue, const TvStringArray& categories, int32_t index, SnippetArray& snippets,
                           TvString& list_text);
