// The built-in dialogs and the on-screen keyboard, each built and stepped
// frame by frame with the mouse pushed through the runtime's input.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "runtime/io/filesystem.h"
#include "tests/support/vexui_test.h"
#include "vexui/internal.h"

namespace {

class Dialogs : public VexuiTest {
 protected:
  void SetUp() override {
    VexuiTest::SetUp();
    for (int i = 0; i < 256; ++i) input_device.key_map[i] = uint16_t(i);
    input_device.focused = true;
    unsetenv("LC_ALL");
    setenv("LANG", "en_GB.UTF-8", 1);
  }
  void TearDown() override {
    graphics_device->width = 480;
    unsetenv("LC_ALL");
    VexuiTest::TearDown();
  }
  int cx(const char* id) { return num(id, "XPOS") + num(id, "WIDTH") / 2; }
  int cy(const char* id) { return num(id, "YPOS") + num(id, "HEIGHT") / 2; }
  // Presses and releases the left button over a widget; `step` runs one
  // frame of the dialog and gives its result, which is returned for the
  // release frame.
  template <typename Step>
  int click(const char* id, Step step) {
    int x = cx(id), y = cy(id);
    input_on_mouse_motion(x, y, 0, 0);
    input_on_mouse_button(0, true);
    input_frame_start();
    step();
    input_on_mouse_button(0, false);
    input_frame_start();
    return step();
  }
};

TEST_F(Dialogs, MessageBoxSizesCaptionsAndResults) {
  vexui_message_box_build("Sure?", 1, "Question");
  EXPECT_EQ(num("", "WIDTH"), 160);  // a third of 480
  EXPECT_EQ(get("bt_yes", "TEXT"), "Yes");
  EXPECT_EQ(get("bt_no", "TEXT"), "No");
  EXPECT_EQ(vexui_message_box_step(1), VEXUI_DIALOG_RUNNING);
  EXPECT_EQ(click("bt_no", [] { return vexui_message_box_step(1); }), 0);
  vexui_pop_dialog();

  graphics_device->width = 320;
  vexui_message_box_build("Done.", 0, "Note");
  EXPECT_EQ(num("", "WIDTH"), 148);  // 320 / 3 is too narrow
  EXPECT_EQ(num("", "XPOS"), (320 - 148) / 2);
  EXPECT_EQ(get("bt_yes", "TEXT"), "OK");
  EXPECT_EQ(num("bt_no", "HIDE"), 1);
  vexui_message_box_step(0);
  // the single button is centred in its frame, the frame in the dialog
  EXPECT_EQ(num("bt_yes", "XPOS") - num("fr_buttons", "XPOS"), (130 - 64) / 2);
  EXPECT_EQ(click("bt_yes", [] { return vexui_message_box_step(0); }), 1);
  vexui_pop_dialog();

  setenv("LC_ALL", "de_DE.UTF-8", 1);
  vexui_message_box_build("Sicher?", 1, "Frage");
  EXPECT_EQ(get("bt_yes", "TEXT"), "Ja");
  EXPECT_EQ(get("bt_no", "TEXT"), "Nein");
  vexui_pop_dialog();
}

TEST_F(Dialogs, EscapeClosesTheBoxWithWhatItsCancelGives) {
  for (int yes_no : {1, 0}) {
    vexui_message_box_build("x", yes_no, "t");
    vexui_modal_begin();
    input_frame_start();
    EXPECT_EQ(vexui_message_box_step(yes_no), VEXUI_DIALOG_RUNNING);
    input_on_key(1, true, false);
    input_frame_start();
    EXPECT_EQ(vexui_message_box_step(yes_no), yes_no ? 0 : 1);
    input_on_key(1, false, false);
    vexui_pop_dialog();
    vexui_modal_end();
  }
}

// Enter answers the first button, Y and N the question; a key already held
// when the box opened (the Delete that asked, the Enter of the dialog
// below) does not answer it until pressed again.
TEST_F(Dialogs, KeysAnswerTheBoxOnlyWhenPressedInsideIt) {
  struct Case { int yes_no; int key; int result; };
  for (Case c : {Case{1, 28, 1}, Case{1, 156, 1}, Case{1, 21, 1}, Case{1, 49, 0}, Case{0, 28, 1}}) {
    SCOPED_TRACE(c.key);
    input_on_key(c.key, true, false);  // held from before
    input_frame_start();
    vexui_message_box_build("x", c.yes_no, "t");
    vexui_modal_begin();
    EXPECT_EQ(vexui_message_box_step(c.yes_no), VEXUI_DIALOG_RUNNING);
    input_on_key(c.key, false, false);
    input_frame_start();
    input_frame_start();
    EXPECT_EQ(vexui_message_box_step(c.yes_no), VEXUI_DIALOG_RUNNING);
    input_on_key(c.key, true, false);
    input_frame_start();
    EXPECT_EQ(vexui_message_box_step(c.yes_no), c.result);
    input_on_key(c.key, false, false);
    input_frame_start();
    input_frame_start();
    vexui_pop_dialog();
    vexui_modal_end();
  }
  // an OK box has no question: N does nothing
  vexui_message_box_build("x", 0, "t");
  vexui_modal_begin();
  vexui_message_box_step(0);
  input_on_key(49, true, false);
  input_frame_start();
  EXPECT_EQ(vexui_message_box_step(0), VEXUI_DIALOG_RUNNING);
  input_on_key(49, false, false);
  vexui_pop_dialog();
  vexui_modal_end();
}

class FileChooser : public Dialogs {
 protected:
  void SetUp() override {
    Dialogs::SetUp();
    namespace fs = std::filesystem;
    dir = fs::path(TEST_BINARY_DIR) / ("chooser_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "sub");
    fs::create_directories(dir / "Zdir");
    for (const char* f : {"b.txt", "a.TXT", "c.dat", "sub/inner.txt"}) std::ofstream(dir / f) << "x";
    old_dir = get_current_dir();
    set_current_dir(TvString(dir.c_str()));
    chooser.filter = "*.txt";
    chooser.start_dir = get_current_dir();
  }
  void TearDown() override {
    set_current_dir(old_dir);
    std::filesystem::remove_all(dir);
    Dialogs::TearDown();
  }
  int step() { return vexui_file_dialog_step(chooser); }
  // Picks item `row` of a list by clicking its row.
  int pick(const char* list, int row) {
    int x = num(list, "XPOS") + 20, y = num(list, "YPOS") + row * 8 + 4;
    input_on_mouse_motion(x, y, 0, 0);
    input_on_mouse_button(0, true);
    input_frame_start();
    step();
    input_on_mouse_button(0, false);
    input_frame_start();
    return step();
  }
  std::filesystem::path dir;
  TvString old_dir;
  VexuiFileChooser chooser;
};

TEST_F(FileChooser, DirectoriesFirstUpAndIntoAFolderThenAFileWithItsExtension) {
  vexui_file_dialog_build(chooser);
  EXPECT_EQ(get("ls_dir", "TEXT"), "..|sub|Zdir");
  EXPECT_EQ(get("ls_file", "TEXT"), "a.TXT|b.txt");
  EXPECT_EQ(num("ls_dir", "SELECT"), -1);
  EXPECT_EQ(num("ls_dir", "WIDTH"), 220);
  step();
  // widgets in their order, each list on a line of its own
  EXPECT_LT(num("ls_dir", "YPOS"), num("ls_file", "YPOS"));
  EXPECT_LT(num("ls_file", "YPOS"), num("tx_file", "YPOS"));
  EXPECT_LT(num("tx_file", "YPOS"), num("bt_ok", "YPOS"));
  EXPECT_EQ(num("bt_ok", "YPOS"), num("bt_cancel", "YPOS"));

  EXPECT_EQ(pick("ls_dir", 1), VEXUI_DIALOG_RUNNING);  // into "sub"
  EXPECT_EQ(std::string(get_current_dir().c_str()), (dir / "sub").string() + "/");
  EXPECT_EQ(get("ls_file", "TEXT"), "inner.txt");
  step();
  EXPECT_EQ(pick("ls_dir", 0), VEXUI_DIALOG_RUNNING);  // ".." back up
  EXPECT_EQ(std::string(get_current_dir().c_str()), dir.string() + "/");
  step();
  pick("ls_file", 1);
  EXPECT_EQ(get("tx_file", "TEXT"), "b.txt");
  EXPECT_EQ(click("bt_ok", [&] { return step(); }), 1);
  EXPECT_EQ(std::string(chooser.result.c_str()), (dir / "b.txt").string());
  vexui_file_dialog_finish(chooser);
  EXPECT_EQ(array_total(vexui_state.dialogs), 0);
}

TEST_F(FileChooser, AMissingFileKeepsItOpenWithTheReasonAndCancelRestoresTheFolder) {
  vexui_file_dialog_build(chooser);
  step();
  set("tx_file", "TEXT", "nothere");
  EXPECT_EQ(click("bt_ok", [&] { return step(); }), VEXUI_DIALOG_RUNNING);
  EXPECT_NE(std::string(chooser.message.c_str()).find((dir / "nothere.txt").string()), std::string::npos);
  chooser.message = TvString();

  // saving: the extension is added, a file that can be made is fine, and nothing is left behind
  chooser.save = 1;
  set("tx_file", "TEXT", "new");
  EXPECT_EQ(click("bt_ok", [&] { return step(); }), 1);
  EXPECT_EQ(std::string(chooser.result.c_str()), (dir / "new.txt").string());
  EXPECT_FALSE(std::filesystem::exists(dir / "new.txt"));
  EXPECT_EQ(std::string(vexui_file_dialog_path("A.Txt", "*.txt").c_str()), (dir / "A.Txt").string());
  EXPECT_EQ(std::string(vexui_file_dialog_path("/tmp/x", "*.*").c_str()), "/tmp/x");
  set("tx_file", "TEXT", "no_such_dir/new");
  EXPECT_EQ(click("bt_ok", [&] { return step(); }), VEXUI_DIALOG_RUNNING);
  EXPECT_FALSE(chooser.message.empty());

  step();
  pick("ls_dir", 1);
  step();
  EXPECT_EQ(click("bt_cancel", [&] { return step(); }), 0);
  EXPECT_TRUE(chooser.result.empty());
  vexui_file_dialog_finish(chooser);
  EXPECT_EQ(std::string(get_current_dir().c_str()), dir.string() + "/");
}

TEST_F(Dialogs, ColourPickerShowsTheComponentsAndMixesBrightness) {
  VexuiColorPicker picker;
  picker.start = 0x0000FF;  // red
  vexui_color_dialog_build(picker);
  EXPECT_EQ(get("", "TEXT"), "Color Picker");
  EXPECT_EQ(get("tx_R", "TEXT"), "255");
  EXPECT_EQ(get("tx_G", "TEXT"), "0");
  EXPECT_EQ(get("tx_B", "TEXT"), "0");
  EXPECT_EQ(get("tx_H", "TEXT"), "50");
  EXPECT_EQ(num("tx_R", "READONLY"), 1);
  EXPECT_EQ(vexui_color_dialog_step(picker), VEXUI_DIALOG_RUNNING);
  // brightness at the far right: white; at the far left: black
  int y = cy("sl_H"), left = num("sl_H", "XPOS"), right = left + num("sl_H", "WIDTH") - 1;
  input_on_mouse_motion(right, y, 0, 0);
  input_on_mouse_button(0, true);
  input_frame_start();
  EXPECT_EQ(vexui_color_dialog_step(picker), VEXUI_DIALOG_RUNNING);
  EXPECT_EQ(picker.colour, 0xFFFFFF);
  EXPECT_EQ(get("tx_H", "TEXT"), "100");
  input_on_mouse_motion(left, y, 0, 0);
  input_frame_start();
  vexui_color_dialog_step(picker);
  EXPECT_EQ(picker.colour, 0);
  input_on_mouse_button(0, false);
  input_frame_start();
  vexui_color_dialog_step(picker);
  EXPECT_EQ(vexui_color_mix(1, 0.5, 0, 0.5), 255 + 127 * 256);
  EXPECT_EQ(vexui_color_mix(0, 0, 0, 0.75), 127 + 127 * 256 + 127 * 65536);
  // the preview shows the colour
  EXPECT_EQ(get_pixel(num("", "XPOS") + 16 + 10, num("", "YPOS") + 16 + 10), 0);
  EXPECT_EQ(click("bt_cancel", [&] { return vexui_color_dialog_step(picker); }), 0);
  vexui_pop_dialog();
}

class Keyboard : public Dialogs {
 protected:
  int step() { return vexui_text_entry_step(entry); }
  int press(const char* id) {
    return click(id, [&] { return step(); });
  }
  VexuiTextEntry entry;
};

TEST_F(Keyboard, ShiftTypesOneCapitalBackspaceAndOk) {
  entry.start_text = "x";
  vexui_text_entry_build(entry);
  EXPECT_EQ(vexui_state.keyboard_open, 1);
  EXPECT_EQ(vexui_state.min_widget_size, 16);
  EXPECT_EQ(num("tab", "SELECT"), 1);
  EXPECT_EQ(get("tab", "TEXT"), "ABC|abc|123");
  step();
  press("bShift");
  step();  // the capitals page is built after the frame, laid out in the next
  step();
  EXPECT_EQ(num("tab", "SELECT"), 0);
  press("bA");
  step();
  step();
  EXPECT_EQ(num("tab", "SELECT"), 1);  // one capital only
  press("bb");
  step();
  EXPECT_EQ(get("tx_text", "TEXT"), "xAb");
  press(std::string("b\x08").c_str());
  step();
  EXPECT_EQ(get("tx_text", "TEXT"), "xA");
  EXPECT_EQ(get("bq", "TIPTEXT"), "q");
  EXPECT_EQ(num("bq", "WIDTH"), 28);
  EXPECT_EQ(num("b ", "WIDTH"), 6 * 28 + 10);
  EXPECT_EQ(get(std::string("b\n").c_str(), "TEXT"), "Enter");
  EXPECT_EQ(press("btOK"), 1);
  EXPECT_EQ(std::string(entry.result.c_str()), "xA");
  vexui_text_entry_close(entry);
  EXPECT_EQ(vexui_state.keyboard_open, 0);
  EXPECT_EQ(array_total(vexui_state.dialogs), 0);
}

TEST_F(Keyboard, CancelGivesBackTheTextSmallScreensGetSmallKeysGermanCaptions) {
  graphics_device->width = 240;
  setenv("LC_ALL", "de_DE.UTF-8", 1);
  vexui_state.min_widget_size = 4;
  entry.start_text = "keep";
  entry.accents = 1;
  vexui_text_entry_build(entry);
  EXPECT_EQ(get("tab", "TEXT"), "ABC|abc|123|\xc4\xd6\xdc");
  EXPECT_EQ(num("bq", "WIDTH"), 20);
  EXPECT_EQ(num("bq", "HEIGHT"), 20);
  EXPECT_EQ(get("btCancel", "TEXT"), "Abbrechen");
  EXPECT_EQ(get("btOK", "TEXT"), "OK");
  step();
  press("bq");
  step();
  EXPECT_EQ(get("tx_text", "TEXT"), "keepq");
  // the accented page holds Latin-1 bytes
  set("tab", "SELECT", "3");
  set("tab", "CLICKED", "1");
  step();
  step();
  EXPECT_GE(vexui_find_widget(vexui_top(), "b\xe4", 0), 0);
  EXPECT_EQ(get("tx_text", "TEXT"), "keepq");  // kept across the page change
  EXPECT_EQ(press("btCancel"), 0);
  EXPECT_EQ(std::string(entry.result.c_str()), "keep");
  vexui_text_entry_close(entry);
  EXPECT_EQ(vexui_state.min_widget_size, 4);
}

}  // namespace
