// keyboard.cpp - the on-screen keyboard: pages of key buttons over an edit
// box, a build and a step handed to the modal runner.
#include "vexui/keyboard.h"

#include <algorithm>
#include <string>

#include "runtime/frame/frame_loop.h"
#include "runtime/gfx2d/device.h"
#include "runtime/io/platform_info.h"
#include "vexui/model.h"
#include "vexui/properties.h"

namespace {

// One row of a page: its keys' characters; the named keys are spelt out.
constexpr const char* kShift = "\x01";
constexpr const char* kBack = "\x08";
constexpr const char* kSpace = " ";
constexpr const char* kEnter = "\n";

struct Row {
  std::vector<std::string> keys;
};

std::vector<std::string> chars(const char* letters) {
  std::vector<std::string> out;
  for (const char* p = letters; *p; ++p) out.emplace_back(1, *p);
  return out;
}

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

std::vector<std::vector<std::string>> page_rows(int32_t page) {
  std::vector<std::string> shift{kShift}, back{kBack}, tail{kSpace, kEnter};
  switch (page) {
    case 0:
      return {chars("QWERTYUIOP"), chars("ASDFGHJKL,"), shift + chars("ZXCVBNM") + back, chars(".") + tail};
    case 1:
      return {chars("qwertyuiop"), chars("asdfghjkl,"), shift + chars("zxcvbnm") + back, chars(".") + tail};
    case 2:
      return {chars("@#[]~789/*"), chars("?!{}=456-+"), chars(":;()0123") + back, chars(",.<>'\"") + tail};
    default:  // Latin-1 bytes
      return {chars("\xe1\xe9\xed\xf3\xfa\xc1\xc9\xcd\xd3\xda"), chars("\xe0\xe8\xec\xf2\xf9\xc0\xc8\xcc\xd2\xd9"),
              chars("\xe4\xf6\xfc\xc4\xd6\xdc\xdf") + back, chars("\xb4`\xb0") + tail};
  }
}

int32_t key_size() {
  int sw, sh;
  screen_size(sw, sh);
  return sw >= 241 ? 28 : 20;
}

void add_key(const std::string& key, int32_t k) {
  if (key == kShift) return vexui_button("bShift", "^", k, k);
  TvString id = TvString("b") + TvString(key.data(), uint32_t(key.size()));
  if (key == kBack) return vexui_button(id, "<-", k, k);
  if (key == kSpace) return vexui_button(id, "", 6 * k + 10, k);
  if (key == kEnter) return vexui_button(id, "Enter", 2 * k + 2, k);
  vexui_button(id, TvString(key.data(), uint32_t(key.size())), k, k);
}

bool clicked(const TvString& id) { return vexui_get_number(id, "CLICKED") != 0; }

}  // namespace

void vexui_text_entry_page(VexuiTextEntry& e) {
  int32_t k = key_size();
  vexui_reset_dialog();
  vexui_text("tx_text", e.text, 210, 72);
  vexui_set("tx_text", "SELSTART", TvString() + e.selstart);
  vexui_set("tx_text", "SELEND", TvString() + e.selend);
  vexui_spacer(10000, 2);
  TvString pages("ABC|abc|123");
  if (e.accents) pages += "|\xc4\xd6\xdc";
  vexui_tab("tab", pages);
  vexui_set("tab", "SELECT", TvString() + e.page);
  for (const auto& row : page_rows(e.page)) {
    for (const std::string& key : row) add_key(key, k);
    vexui_spacer(10000, 0);
  }
  vexui_set(TvString("b") + "\n", "TEXT", "Enter");
  vexui_spacer(10000, 0);
  vexui_button("btOK", "OK", 0, k);
  vexui_button("btCancel", platform_info("LOCALE") == "de" ? "Abbrechen" : "Cancel", 0, k);
  // key buttons: ids of two characters beginning with "b"; each shows its
  // caption enlarged as a tool tip above a resting finger
  e.keys.clear();
  const VexuiDialog& d = vexui_top();
  for (int32_t i = 0, n = array_total(d.order); i < n; ++i) {
    const TvString& id = d.order(i).id;
    if (id.length == 2 && id.data[0] == 'b') e.keys.emplace_back(id.data, 2);
  }
  for (const std::string& id : e.keys) {
    TvString tid(id.data(), 2);
    vexui_set(tid, "TIPTEXT", vexui_get(tid, "TEXT"));
  }
}

void vexui_text_entry_build(VexuiTextEntry& e) {
  e.saved_min_widget_size = vexui_state.min_widget_size;
  vexui_state.min_widget_size = 16;
  int sw, sh;
  screen_size(sw, sh);
  int32_t s = std::min({320, sw, sh});
  vexui_push_dialog((sw - s) / 2, (sh - s) / 2, s, s);
  vexui_state.keyboard_open = 1;
  e.page = 1;
  e.text = e.start_text;
  e.selstart = e.selend = int32_t(e.text.length);
  vexui_text_entry_page(e);
}

int32_t vexui_text_entry_step(VexuiTextEntry& e) {
  vexui_set("", "FOCUS", "tx_text");
  bool tab_clicked = clicked("tab");
  vexui_show(1);
  if (tab_clicked || clicked("tab")) {  // a page was chosen
    e.text = vexui_get("tx_text", "TEXT");
    e.selstart = int32_t(vexui_get_number("tx_text", "SELSTART"));
    e.selend = int32_t(vexui_get_number("tx_text", "SELEND"));
    e.page = int32_t(vexui_get_number("tab", "SELECT"));
    vexui_text_entry_page(e);
    return VEXUI_DIALOG_RUNNING;
  }
  for (const std::string& key : e.keys) {
    TvString id(key.data(), 2);
    if (!clicked(id)) continue;
    vexui_set("", "INKEY", TvString(key.data() + 1, 1));
    if (e.page == 0) {  // capitals are one-shot
      vexui_set("tab", "SELECT", "1");
      vexui_set("tab", "CLICKED", "1");
    }
  }
  if (clicked("bShift") && (e.page == 0 || e.page == 1)) {
    vexui_set("tab", "SELECT", TvString() + (1 - e.page));
    vexui_set("tab", "CLICKED", "1");
  }
  if (clicked("btOK")) {
    e.result = vexui_get("tx_text", "TEXT");
    return 1;
  }
  if (clicked("btCancel") || vexui_modal_escape()) {
    e.result = e.start_text;
    return 0;
  }
  return VEXUI_DIALOG_RUNNING;
}

namespace {

void restore_toolkit(const VexuiTextEntry& e) {
  vexui_state.keyboard_open = 0;
  vexui_state.min_widget_size = e.saved_min_widget_size;
}

}  // namespace

void vexui_text_entry_close(VexuiTextEntry& e) {
  vexui_pop_dialog();
  restore_toolkit(e);
}

TvString vexui_text_entry(const TvString& text, int32_t accents) {
  VexuiTextEntry e;
  e.start_text = text;
  e.accents = accents;
  vexui_text_entry_build(e);
  vexui_modal_run([&] { return vexui_text_entry_step(e); });
  restore_toolkit(e);
  return e.result;
}
