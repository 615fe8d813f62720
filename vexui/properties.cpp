// properties.cpp - the key tables of widgets and of the dialog, read by both
// vexui_set and vexui_get, so every key is listed exactly once.
#include "vexui/properties.h"

#include <algorithm>
#include <variant>

#include "runtime/values/tv_convert.h"
#include "runtime/gfx2d/device.h"
#include "vexui/model.h"
#include "vexui/paint.h"

namespace {

using WidgetField = std::variant<TvString VexuiWidget::*, int32_t VexuiWidget::*, double VexuiWidget::*>;
struct WidgetKey {
  const char* name;
  WidgetField field;
  bool writable;
};

// "XPOS" and "YPOS" are found by layout and only read.
const WidgetKey widget_keys[] = {
    {"TEXT", &VexuiWidget::text, true},         {"TYPE", &VexuiWidget::type, true},
    {"FILTER", &VexuiWidget::filter, true},     {"TIPTEXT", &VexuiWidget::tiptext, true},
    {"CLICKED", &VexuiWidget::clicked, true},   {"WIDTH", &VexuiWidget::width, true},
    {"HEIGHT", &VexuiWidget::height, true},     {"SELECT", &VexuiWidget::select, true},
    {"COUNT", &VexuiWidget::count, true},       {"HOVER", &VexuiWidget::hover, true},
    {"READONLY", &VexuiWidget::readonly, true}, {"SELSTART", &VexuiWidget::selstart, true},
    {"SELEND", &VexuiWidget::selend, true},     {"HIDE", &VexuiWidget::hide, true},
    {"SCROLL", &VexuiWidget::scroll, true},     {"ALIGN", &VexuiWidget::align, true},
    {"MINVAL", &VexuiWidget::minval, true},     {"MAXVAL", &VexuiWidget::maxval, true},
    {"STEP", &VexuiWidget::step, true},         {"XPOS", &VexuiWidget::xpos, false},
    {"YPOS", &VexuiWidget::ypos, false},
};

// The dialog's keys; "TEXT", "WIDTH" and "HEIGHT" live in its own widget record.
struct DialogKey {
  const char* name;
  TvString VexuiDialog::*text;
  int32_t VexuiDialog::*number;
  int32_t VexuiWidget::*own;  // a number of the dialog's own widget record
  bool writable;
};

const DialogKey dialog_keys[] = {
    {"FOCUS", &VexuiDialog::focus, nullptr, nullptr, true},
    {"INKEY", &VexuiDialog::inkey, nullptr, nullptr, true},
    {"TEXT", nullptr, nullptr, nullptr, true},
    {"COL_BRIGHT", nullptr, &VexuiDialog::col_bright, nullptr, true},
    {"COL_NORM", nullptr, &VexuiDialog::col_norm, nullptr, true},
    {"COL_HOVER_BRIGHT", nullptr, &VexuiDialog::col_hover_bright, nullptr, true},
    {"COL_HOVER_NORM", nullptr, &VexuiDialog::col_hover_norm, nullptr, true},
    {"XPOS", nullptr, &VexuiDialog::xpos, nullptr, true},
    {"YPOS", nullptr, &VexuiDialog::ypos, nullptr, true},
    {"WIDTH", nullptr, nullptr, &VexuiWidget::width, true},
    {"HEIGHT", nullptr, nullptr, &VexuiWidget::height, true},
    {"MOVEABLE", nullptr, &VexuiDialog::moveable, nullptr, true},
    {"SCALEABLE", nullptr, &VexuiDialog::scaleable, nullptr, true},
    {"MOVING", nullptr, &VexuiDialog::moving, nullptr, false},
    {"SCALING", nullptr, &VexuiDialog::scaling, nullptr, false},
};

template <typename Key, size_t N>
const Key* find_key(const Key (&table)[N], const TvString& key) {
  for (const Key& k : table)
    if (key == k.name) return &k;
  return nullptr;
}

// A title bar sits above the dialog's body: a dialog reaching down to the
// screen's bottom is shortened by the bar's height, so its bottom border shows.
void fit_title_bar(VexuiDialog& d) {
  if (!d.moveable && d.self.text.empty()) return;
  int screen_w, screen_h;
  screen_size(screen_w, screen_h);
  int32_t cw, ch;
  vexui_cell_size(cw, ch);
  int32_t room = screen_h - d.ypos - (ch + 4);
  if (d.self.height > room) d.self.height = std::max(0, room);
}

void set_dialog(VexuiDialog& d, const TvString& key, const TvString& value) {
  const DialogKey* k = find_key(dialog_keys, key);
  if (!k || !k->writable) return;
  if (k->text) d.*(k->text) = value;
  else if (k->number) d.*(k->number) = string_to_int(value);
  else if (k->own) d.self.*(k->own) = string_to_int(value);
  else d.self.text = value;  // the title
  if (key == "TEXT" || key == "MOVEABLE" || key == "HEIGHT") fit_title_bar(d);
}

TvString get_dialog(VexuiDialog& d, const TvString& key) {
  const DialogKey* k = find_key(dialog_keys, key);
  if (!k) return TvString();
  if (k->text) return d.*(k->text);
  if (k->number) return string_from_int(d.*(k->number));
  if (k->own) return string_from_int(d.self.*(k->own));
  return d.self.text;
}

}  // namespace

void vexui_set(const TvString& id, const TvString& key, const TvString& value) {
  VexuiDialog& d = vexui_top();
  if (id.empty()) {
    set_dialog(d, key, value);
    return;
  }
  int32_t i = vexui_find_widget(d, id, 1);
  const WidgetKey* k = find_key(widget_keys, key);
  if (!k || !k->writable) return;
  VexuiWidget& w = d.widgets(i);
  // a new text in a text widget starts without the old one's selection
  if (w.type == "TEXT" && key == "TEXT" && !(w.text == value)) w.selstart = w.selend = 0;
  std::visit(
      [&](auto field) {
        using F = std::remove_reference_t<decltype(w.*field)>;
        if constexpr (std::is_same_v<F, TvString>) {
          // the same text again (a link, a program setting it every frame)
          // keeps its stamp: what was worked out from it, and an unchanged
          // frame, stay valid
          if (w.*field == value) return;
          w.*field = value;
          if (&(w.*field) == &w.text) vexui_text_written(w);
        } else if constexpr (std::is_same_v<F, int32_t>) {
          w.*field = string_to_int(value);
        } else {
          w.*field = string_to_number(value);
        }
      },
      k->field);
}

TvString vexui_get(const TvString& id, const TvString& key) {
  if (array_total(vexui_state.dialogs) == 0) return TvString();
  VexuiDialog& d = vexui_top();
  if (id.empty()) return get_dialog(d, key);
  int32_t i = vexui_find_widget(d, id, 0);
  if (i < 0) return TvString();
  const WidgetKey* k = find_key(widget_keys, key);
  if (!k) return TvString("0");
  VexuiWidget& w = d.widgets(i);
  return std::visit(
      [&](auto field) -> TvString {
        using F = std::remove_reference_t<decltype(w.*field)>;
        if constexpr (std::is_same_v<F, TvString>) return w.*field;
        else if constexpr (std::is_same_v<F, int32_t>) return string_from_int(w.*field);
        else return string_from_number(w.*field);
      },
      k->field);
}

double vexui_get_number(const TvString& id, const TvString& key) {
  return string_to_number(vexui_get(id, key));
}

void vexui_apply_links() {
  if (array_total(vexui_state.dialogs) == 0) return;
  // a link may create widgets; read each link afresh
  for (int32_t i = 0; i < array_total(vexui_top().links); ++i) {
    VexuiLink link = vexui_top().links(i);
    vexui_set(link.dst_id, link.dst_key, vexui_get(link.src_id, link.src_key));
  }
}
