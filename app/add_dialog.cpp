// add_dialog.cpp - the add-snippet dialog.
#include "app/add_dialog.h"

#include "app/clipboard.h"
#include "runtime/frame/frame_loop.h"
#include "runtime/gfx2d/device.h"
#include "runtime/input/input.h"
#include "runtime/values/string_lib.h"
#include "vexui/vexui.h"

AddDialogMessageBox add_dialog_message_box = vexui_message_box;

namespace {

constexpr int32_t kEscapeKey = 1;

const char* const kTemplates[kCategoryCount] = {
    "TYPE T<put type name here>\n    //Enter code here\nENDTYPE",
    "TYPE t<put type name here>\n    // Put variables here\nENDTYPE",
    "FUNCTION <put function name here>:\n    // Put code here\nENDFUNCTION",
    "SUB <put subroutine name here>:\n    // Put code here\nENDSUB",
    "CONSTANT <put variable here>    =    <put value here>",
    "INLINE\n  }\n\n  <put code here>\n\n  namespace __TOLVANE__ {\nENDINLINE",
};

bool has_entries(const AddDialog& d) {
  return !vexui_get("name2", "TEXT").empty() || !vexui_get("description2", "TEXT").empty() ||
         !vexui_get("author2", "TEXT").empty() || !string_equal(vexui_get("text", "TEXT"), d.template_code);
}

bool only_blanks(const TvString& s) {
  for (uint32_t i = 0; i < s.length; ++i)
    if (s.data[i] != ' ') return false;
  return true;
}

int32_t close_dialog(int32_t result) {
  vexui_pop_dialog();
  return result;
}

// Escape closes the dialog (asking first when something was entered)
// instead of ending the program with the new snippet.
bool escape_pressed(AddDialog& d) {
  bool down = key_state(kEscapeKey) != 0;
  bool pressed = down && !d.escape_was_down;
  d.escape_was_down = down;
  return pressed;
}

// -1: the dialog stays open.
int32_t try_save(AddDialog& d, SnippetArray& snippets, TvString& list_text) {
  Snippet s;
  s.name = vexui_get("name2", "TEXT");
  // a name of blanks only would not survive the file (blanks after "=" are
  // not read back) and the entry would vanish
  if (only_blanks(s.name)) {
    add_dialog_message_box("A name MUST be given", 0, "Information");
    return -1;
  }
  s.description = vexui_get("description2", "TEXT");
  if (s.description.empty()) s.description = "-----";
  s.author = vexui_get("author2", "TEXT");
  if (s.author.empty()) s.author = "-----";
  s.code = vexui_get("text", "TEXT");
  if (s.code.empty()) {
    add_dialog_message_box("Some code MUST be given", 0, "Information");
    return -1;
  }
  if (string_find(s.code, "|", 0) >= 0 &&
      add_dialog_message_box("The code holds \"|\", which the catalogue stores as a line break. Save anyway?", 1,
                        "Information") != 1)
    return -1;
  SaveOutcome o = save_snippet(d.category, snippets, s, encode_code(s.code));
  if (!o.saved) {
    add_dialog_message_box("The snippet could not be saved: " + o.reason +
                          ". CODE.INI is unchanged and everything you entered is still here.",
                      0, "Information");
    return -1;
  }
  list_text = o.list_text;
  return close_dialog(1);
}

}  // namespace

TvString code_template(const TvStringArray& categories, int32_t index) {
  TvStringArray names;
  ::categories(names);
  for (int32_t i = 0; i < kCategoryCount; ++i)
    if (string_equal(categories(index), names(i))) return kTemplates[i];
  return "";
}

void add_dialog_build(AddDialog& d, const TvStringArray& categories, int32_t index) {
  int32_t w = 0, h = 0;
  screen_size(w, h);
  d.category = categories(index);
  d.template_code = code_template(categories, index);
  d.escape_was_down = key_state(kEscapeKey) != 0;
  escape_switch(0);  // the viewer switches it back once Escape is up
  vexui_push_dialog(0, 0, w, h);
  vexui_set("", "TEXT", "Add Your Own Code (" + d.category + ")");
  vexui_add_widget("name1", "Name :", 108, 0);
  vexui_text("name2", "", w - 124, 0);
  vexui_add_widget("description1", "Description :", 108, 0);
  vexui_text("description2", "", w - 124, 0);
  vexui_add_widget("author1", "Author :", 108, 0);
  vexui_text("author2", "", w - 124, 0);
  vexui_text("text", d.template_code, w - 8, h - 158);
  vexui_button("paste", "Paste From Clipboard", w - 8, 0);
  vexui_button("save", "Save And Close Window", w - 8, 0);
  vexui_button("exit", "Close WITHOUT Saving", w - 8, 0);
}

int32_t add_dialog_step(AddDialog& d, SnippetArray& snippets, TvString& list_text) {
  if (escape_pressed(d)) {
    if (!has_entries(d) ||
        add_dialog_message_box("Discard the new snippet?", 1, "Add Your Own Code") == 1)
      return close_dialog(0);
    d.escape_was_down = key_state(kEscapeKey) != 0;
    return -1;
  }
  if (vexui_get_number("paste", "CLICKED") != 0) {
    vexui_set("text", "TEXT", paste_text(clipboard_get()));
    return -1;
  }
  if (vexui_get_number("exit", "CLICKED") != 0) return close_dialog(0);
  if (vexui_get_number("save", "CLICKED") != 0) return try_save(d, snippets, list_text);
  return -1;
}

int32_t add_snippet_dialog(const TvStringArray& categories, int32_t index, SnippetArray& snippets,
                           TvString& list_text) {
  AddDialog d;
  add_dialog_build(d, categories, index);
  for (;;) {
    vexui_show(0);
    show_frame();
    wait_input();
    int32_t result = add_dialog_step(d, snippets, list_text);
    if (result >= 0) return result;
  }
}
