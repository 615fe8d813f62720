// The search dialog over the viewer on a real window, driven through the
// runtime's input entry points (keys, typed text, mouse) and the dialog's
// own step, as the modal runner runs it, against a CODE.INI in a scratch
// folder.
#include <gtest/gtest.h>

#include <string>

#include "app/catalogue.h"
#include "app/clipboard.h"
#include "app/search_dialog.h"
#include "app/viewer.h"
#include "runtime/input/scan_codes.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/vexui_test.h"

namespace {

using namespace search_ids;

const char* kFile =
    "[Extend_Types]\r\nNAME0=TVector\r\nDESCRIPTION0=a vector of two\r\nAUTHOR0=Al\r\nCODE0=TYPE TVector|x|ENDTYPE\r\n"
    "[Functions]\r\nNAME0=Clamp\r\nDESCRIPTION0=keeps a value in range\r\nAUTHOR0=Bo\r\nCODE0=FUNCTION Clamp: v|ENDFUNCTION\r\n"
    "NAME1=Vector length\r\nDESCRIPTION1=how long a vector is\r\nAUTHOR1=Bo\r\nCODE1=FUNCTION Len: v|ENDFUNCTION\r\n"
    "NAME2=Absolute\r\nCODE2=FUNCTION Abs: v|ENDFUNCTION\r\n"
    "[INLINE]\r\nNAME0=beep\r\nDESCRIPTION0=a short sound\r\nAUTHOR0=Cy\r\nCODE0=INLINE|beep()|ENDINLINE\r\n";

class SearchDialogTest : public VexuiTest {
 protected:
  ScratchDir dir{"search_dialog"};
  std::string ini = dir / "CODE.INI";
  Viewer v;
  bool open = false;

  void SetUp() override {
    VexuiTest::SetUp();
    for (int i = 0; i < 256; i++) input_device.key_map[i] = uint16_t(i);
    input_device.focused = true;
    v.catalogue.path = ini.c_str();
    escape_switch(1);
  }
  void TearDown() override {
    if (open) {
      vexui_pop_dialog();
      vexui_modal_end();
    }
    escape_switch(1);
    VexuiTest::TearDown();
  }

  void start(const std::string& file) {
    if (!file.empty()) write_file(ini, file);
    viewer_build(v);
    vexui_show(0);
    vexui_show(0);
    viewer_prepare_search(v);
    search_dialog_build(v.search);
    vexui_modal_begin();
    open = true;
    turn();
    turn();
  }
  // One frame of the runner; a result pops the dialog and shows the snippet
  // taken, as viewer_search does.
  int32_t turn() {
    input_frame_start();
    int32_t r = search_dialog_step(v.search);
    if (r != VEXUI_DIALOG_RUNNING) {
      vexui_pop_dialog();
      vexui_modal_end();
      open = false;
      if (r == 1) viewer_show_found(v, v.search.chosen_category, v.search.chosen);
    }
    return r;
  }
  // A key pressed for one frame and let go; the result of its frame.
  int32_t key(int code) {
    input_on_key(code, true, false);
    int32_t r = turn();
    input_on_key(code, false, false);
    for (int i = 0; i < 2 && r == VEXUI_DIALOG_RUNNING; i++) r = turn();
    return r;
  }
  // Characters typed as the desktop sends them: a key, then its text.
  void type(const std::string& text) {
    for (char c : text) {
      char utf8[3] = {c, 0, 0};
      if (uint8_t(c) >= 0x80) utf8[0] = char(0xC0 | (uint8_t(c) >> 6)), utf8[1] = char(0x80 | (c & 0x3F));
      input_on_key(30, true, false);
      input_on_text(utf8);
      input_on_key(30, false, false);
      turn();
    }
    turn();
    turn();
  }
  void paste(const std::string& text) {
    vexui_test::clock_now += 200;  // a key handled just before does not block Ctrl+V
    clipboard_set(TvString(text.data(), uint32_t(text.size())));
    input_on_key(SCAN_LEFT_CTRL, true, false);
    input_on_key(SCAN_V, true, false);
    turn();
    input_on_key(SCAN_V, false, false);
    input_on_key(SCAN_LEFT_CTRL, false, false);
    turn();
    turn();
  }
  void reopen() {
    search_dialog_build(v.search);
    vexui_modal_begin();
    open = true;
    turn();
  }
  static std::string rows() { return get(kList, "TEXT"); }
  static std::string highlighted() { return vexui_get_item(kList, -1).c_str(); }
};

TEST_F(SearchDialogTest, TypingFiltersAtOnceAndTheKeysMoveTheHighlightNotTheCaret) {
  start(kFile);
  EXPECT_EQ(get("", "FOCUS"), kQuery);
  // an empty query: every snippet, by category then name, the first highlighted
  EXPECT_EQ(rows(),
            "TVector       (Extend Types)|Absolute      (Functions)|Clamp         (Functions)|"
            "Vector length (Functions)|beep          (INLINE)");
  EXPECT_EQ(num(kList, "SELECT"), 0);
  EXPECT_EQ(get(kDescription, "TEXT"), "Description : a vector of two");
  EXPECT_EQ(get("", "TEXT"), "Find a Snippet (5 snippets)");

  type("ECT");
  EXPECT_EQ(rows(), "TVector       (Extend Types)|Vector length (Functions)");
  key(SCAN_HOME);  // the caret stays at the end
  type("S");
  EXPECT_EQ(get(kQuery, "TEXT"), "ECTS");
  EXPECT_EQ(rows(), kNoMatch);
  for (int i = 0; i < 4; i++) key(SCAN_BACKSPACE);
  type("vec");
  // the name starting with the word first, then a name holding it
  EXPECT_EQ(rows(), "Vector length (Functions)|TVector       (Extend Types)");
  EXPECT_EQ(get(kDescription, "TEXT"), "Description : how long a vector is");

  int caret = num(kQuery, "SELEND");
  EXPECT_EQ(caret, 3);
  key(SCAN_DOWN);
  EXPECT_EQ(highlighted(), "TVector       (Extend Types)");
  key(SCAN_DOWN);  // stays on the last
  EXPECT_EQ(num(kList, "SELECT"), 1);
  key(SCAN_UP);
  EXPECT_EQ(num(kList, "SELECT"), 0);
  key(SCAN_END);
  EXPECT_EQ(num(kList, "SELECT"), 1);
  key(SCAN_HOME);
  EXPECT_EQ(num(kList, "SELECT"), 0);
  key(SCAN_PAGE_DOWN);
  EXPECT_EQ(num(kList, "SELECT"), 1);
  EXPECT_EQ(num(kQuery, "SELEND"), caret);
  EXPECT_EQ(get(kQuery, "TEXT"), "vec");
  EXPECT_EQ(get("", "FOCUS"), kQuery);
}

TEST_F(SearchDialogTest, EnterShowsTheSnippetInTheViewerAndEscapeLeavesItAsItWas) {
  start(kFile);
  type("o");
  key(SCAN_PAGE_DOWN);
  EXPECT_EQ(highlighted(), "beep          (INLINE)");
  ASSERT_EQ(key(SCAN_ESCAPE), 0);
  EXPECT_EQ(num("tab", "SELECT"), 0);
  EXPECT_EQ(get("text", "TEXT"), "TYPE TVector\nx\nENDTYPE");

  // again, with the query kept; Enter types a line break the field never keeps
  reopen();
  EXPECT_EQ(get(kQuery, "TEXT"), "o");
  type(" cl");
  ASSERT_EQ(rows(), "Clamp (Functions)");
  ASSERT_EQ(key(SCAN_ENTER), 1);
  EXPECT_EQ(num("tab", "SELECT"), 2);
  EXPECT_EQ(get("combo", "TEXT"), "Absolute|Clamp|Vector length");
  EXPECT_EQ(num("combo", "SELECT"), 1);
  EXPECT_EQ(get("description1", "TEXT"), "Description : keeps a value in range");
  EXPECT_EQ(get("author1", "TEXT"), "Author : Bo");
  EXPECT_EQ(get("text", "TEXT"), "FUNCTION Clamp: v\nENDFUNCTION");
  EXPECT_EQ(std::string(v.search.query.c_str()), "o cl");
}

TEST_F(SearchDialogTest, AClickHighlightsAndAClickOnTheHighlightedRowTakesIt) {
  start(kFile);
  int x = num(kList, "XPOS") + 40, row2 = num(kList, "YPOS") + 2 * 8 + 4;
  frame_at(x, row2, false, 0);
  input_on_mouse_button(0, true);
  EXPECT_EQ(turn(), VEXUI_DIALOG_RUNNING);
  input_on_mouse_button(0, false);
  EXPECT_EQ(turn(), VEXUI_DIALOG_RUNNING);
  EXPECT_EQ(highlighted(), "Clamp         (Functions)");
  EXPECT_EQ(get("", "FOCUS"), kQuery);
  input_on_mouse_button(0, true);
  EXPECT_EQ(turn(), VEXUI_DIALOG_RUNNING);
  input_on_mouse_button(0, false);
  EXPECT_EQ(turn(), 1);
  EXPECT_EQ(get("text", "TEXT"), "FUNCTION Clamp: v\nENDFUNCTION");
}

TEST_F(SearchDialogTest, NothingMatchingSaysSoAndNoQueryFails) {
  start(kFile);
  type("zebra");
  EXPECT_EQ(rows(), kNoMatch);
  EXPECT_EQ(num(kList, "SELECT"), -1);
  EXPECT_EQ(get("", "TEXT"), "Find a Snippet");
  EXPECT_EQ(key(SCAN_ENTER), VEXUI_DIALOG_RUNNING);  // nothing to take
  EXPECT_EQ(key(SCAN_DOWN), VEXUI_DIALOG_RUNNING);
  EXPECT_EQ(num(kList, "SELECT"), -1);

  // a paste's line breaks become blanks; its words all count
  set(kQuery, "TEXT", "");
  paste("value\r\nrange");
  EXPECT_EQ(get(kQuery, "TEXT"), "value range");
  EXPECT_EQ(rows(), "Clamp (Functions)");
  // every byte, quotes unbalanced, and a 100 KB paste: a list, maybe empty
  std::string all;
  for (int c = 1; c < 256; c++) all += char(c);
  for (const std::string& q : {all, std::string("\""), std::string("\"vec"), std::string(100000, 'v')}) {
    vexui_set(kQuery, "TEXT", TvString(q.data(), uint32_t(q.size())));
    turn();
    EXPECT_EQ(get(kQuery, "TEXT").size(), q.size());
    EXPECT_FALSE(rows().empty());
  }
  EXPECT_EQ(rows(), kNoMatch);
  set(kQuery, "TEXT", "\"vec");  // the open quote runs to the end
  turn();
  EXPECT_EQ(rows(), "TVector       (Extend Types)|Vector length (Functions)");
}

TEST_F(SearchDialogTest, NoFileOrAnEmptyOneListsNothing) {
  start("");
  EXPECT_EQ(rows(), kNoMatch);
  ASSERT_EQ(key(SCAN_ESCAPE), 0);
  write_file(ini, "[Functions]\r\n");
  reopen();
  EXPECT_EQ(rows(), kNoMatch);
}

TEST_F(SearchDialogTest, ASnippetGoneBeforeEnterIsNeverShownHalfFilled) {
  start(kFile);
  type("clamp");
  ASSERT_EQ(rows(), "Clamp (Functions)");
  // another program removes it (and adds one) while the list is shown
  std::string without = kFile;
  without.replace(without.find("NAME0=Clamp"), std::string("NAME0=Clamp").size(), "NAME0=Clamps");
  without.replace(without.find("CODE0=FUNCTION Clamp"), 20, "CODE0=FUNCTION Other");
  write_file(ini, without);
  EXPECT_EQ(key(SCAN_ENTER), VEXUI_DIALOG_RUNNING);
  EXPECT_EQ(rows(), "Clamps (Functions)");
  EXPECT_NE(get(kDescription, "TEXT").find("no longer in CODE.INI"), std::string::npos);
  EXPECT_EQ(get("", "FOCUS"), kQuery);
  EXPECT_EQ(get(kQuery, "TEXT"), "clamp");
  // beneath it the viewer shows that category as it is now, whole
  vexui_pop_dialog();
  EXPECT_EQ(num("tab", "SELECT"), 2);
  EXPECT_EQ(get("combo", "TEXT"), "Absolute|Clamps|Vector length");
  EXPECT_EQ(get("text", "TEXT"), "FUNCTION Abs: v\nENDFUNCTION");
  EXPECT_EQ(get("description1", "TEXT"), "Description : -----");
  search_dialog_build(v.search);
  turn();
  ASSERT_EQ(key(SCAN_ENTER), 1);
  EXPECT_EQ(get("text", "TEXT"), "FUNCTION Other: v\nENDFUNCTION");
}

TEST_F(SearchDialogTest, EveryRowOpensTheSnippetTheViewerShows) {
  // entries the viewer skips (no code) or never reaches (after a gap)
  start("[Types]\r\nNAME0=kept\r\nCODE0=a\r\nNAME1=no code\r\nNAME2=also kept\r\nCODE2=b\r\n"
        "NAME4=after a gap\r\nCODE4=c\r\n[Constants]\r\nNAME0=x\r\nDESCRIPTION0=d\r\nDESCRIPTION0=second\r\nCODE0=K\r\n");
  EXPECT_EQ(rows(), "also kept (Types)|kept      (Types)|x         (Constants)");
  ASSERT_EQ(key(SCAN_ESCAPE), 0);
  for (int row = 0; row < 3; row++) {
    reopen();
    for (int k = 0; k < row; k++) key(SCAN_DOWN);
    std::string want = highlighted();
    ASSERT_EQ(key(SCAN_ENTER), 1) << want;
    std::string name = vexui_get_item("combo", -1).c_str();
    EXPECT_EQ(want.substr(0, name.size()), name);
  }
  EXPECT_EQ(get("description1", "TEXT"), "Description : d");
}

}  // namespace
