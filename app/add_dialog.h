// add_dialog.h - the "Add Own Code" dialog: name, description, author and
// code (starting from the category's template, or pasted from the
// clipboard), saved into the catalogue and the viewer's list.
#pragma once
#include "app/catalogue.h"

// The message boxes the dialog asks with (vexui_message_box); tests put in
// one that answers at once.
using AddDialogMessageBox = int32_t (*)(const TvString& text, int32_t yes_no, const TvString& caption);
extern AddDialogMessageBox add_dialog_message_box;

// The starting code of the category at `index` of `categories`.
TvString code_template(const TvStringArray& categories, int32_t index);

struct AddDialog {
  TvString category;
  TvString template_code;
  bool escape_was_down = false;
};

// Pushes the dialog on top of the viewer's and creates its widgets.
void add_dialog_build(AddDialog& d, const TvStringArray& categories, int32_t index);
// One turn's reactions after vexui_show, show_frame and wait_input: -1 while
// the dialog stays open, 0 when it closed without saving, 1 after a save
// (then `list_text` and `snippets` hold the category as stored). The dialog
// is popped when the result is not -1.
int32_t add_dialog_step(AddDialog& d, SnippetArray& snippets, TvString& list_text);
// The whole dialog: build, then turns until it closes; 1 when saved.
int32_t add_snippet_dialog(const TvStringArray& categories, int32_t index, SnippetArray& snippets,
                           TvString& list_text);
