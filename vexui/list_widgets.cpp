// list_widgets.cpp - the handlers of list, radio and tab, the item
// operations and the pop-up list.
#include "vexui/list_widgets.h"

#include <algorithm>
#include <cstring>

#include "runtime/frame/frame_loop.h"
#include "runtime/gfx2d/fonts.h"
#include "runtime/input/input.h"
#include "runtime/values/string_lib.h"
#include "vexui/input.h"
#include "vexui/modal.h"
#include "vexui/paint.h"
#include "vexui/properties.h"
#include "vexui/stack.h"
#include "vexui/wheel.h"

namespace {

TvString join_items(const TvArray<TvString>& items) {
  TvString out;
  for (int32_t i = 0, n = array_total(items); i < n; ++i) {
    if (i) string_append_char(out, '|');
    out += items(i);
  }
  return out;
}

// The widget `id` of the top dialog, or null.
VexuiWidget* find(const TvString& id) {
  if (array_total(vexui_state.dialogs) == 0) return nullptr;
  VexuiDialog& d = vexui_top();
  int32_t i = vexui_find_widget(d, id, 0);
  return i < 0 ? nullptr : &d.widgets(i);
}

}  // namespace

int32_t vexui_count_items(const TvString& text) {
  int32_t n = 0;
  bool in_item = false;
  for (uint32_t i = 0; i < text.length; ++i) {
    bool bar = text.data[i] == '|';
    if (!bar && !in_item) ++n;
    in_item = !bar;
  }
  return n;
}

void vexui_list_input(VexuiDialog& dialog, VexuiWidget& w, int32_t mx, int32_t my, int32_t click, int32_t) {
  int32_t cw, ch;
  vexui_cell_size(cw, ch);
  w.count = vexui_count_items(w.text);
  w.scroll_max = w.count - w.height / ch;
  if (w.scroll < 0) w.scroll = 0;
  int32_t bar = vexui_scrollbar_input(dialog, w, mx, my, click, w.height);
  bool inside = !(my < 1 || my > w.height || mx < 1 || mx >= w.width - bar * 1.5 * cw);
  if (inside) vexui_wheel_scroll_widget(w);
  if (w.readonly) return;
  if (!inside) {
    w.hover = -1;
    w.clicked = 0;
    return;
  }
  int32_t line = w.scroll + my / ch;
  w.clicked = 0;
  if (click == 1 && line != w.select) {
    w.select = line < w.count ? line : -1;  // below the last item: nothing selected
    w.clicked = 1;
  }
  w.hover = line;
}

void vexui_radio_input(VexuiDialog&, VexuiWidget& w, int32_t mx, int32_t my, int32_t click, int32_t) {
  if (w.readonly) return;
  int32_t cw, ch;
  vexui_cell_size(cw, ch);
  int32_t items = vexui_count_items(w.text);
  w.clicked = 0;
  w.height = items * ch;
  w.hover = -1;
  if (my < 1 || my > w.height || mx < 1 || mx >= w.width) return;
  int32_t line = my / ch;
  if (click == 1 && line != w.select) {
    int32_t chosen = std::min(line, items - 1);
    w.clicked = chosen != w.select;
    w.select = chosen;
  }
  w.hover = line;
}

namespace {

// The caption of a tab item: its part before the first ",".
TvString tab_caption(const TvString& item) {
  const char* comma = static_cast<const char*>(std::memchr(item.data, ',', item.length));
  return comma ? TvString(item.data, uint32_t(comma - item.data)) : item;
}

}  // namespace

void vexui_tab_input(VexuiDialog&, VexuiWidget& w, int32_t mx, int32_t my, int32_t click, int32_t) {
  w.clicked = 0;
  TvString id = w.id;  // vexui_select_tab looks the widget up again
  if (w.select == -1) vexui_select_tab(id, 0);
  VexuiWidget* tab = find(id);
  if (!tab) return;
  int32_t cw, ch;
  vexui_cell_size(cw, ch);
  if (click != 1 || my <= 0 || my > ch || mx <= 0 || mx >= tab->width) return;
  TvArray<TvString> items;
  vexui_split_items(tab->text, items);
  int32_t x = 0;
  for (int32_t i = 0, n = array_total(items); i < n; ++i) {
    int32_t width = std::max(vexui_state.min_widget_size, vexui_text_width(tab_caption(items(i))) + cw);
    if (mx >= x && mx < x + width) {
      if (i != tab->select) {
        tab->clicked = 1;
        vexui_select_tab(id, i);
      }
      return;
    }
    x += width;
  }
}

void vexui_select_tab(const TvString& id, int32_t index) {
  VexuiWidget* w = find(id);
  if (!w) return;
  w->select = index;
  TvArray<TvString> items;
  vexui_split_items(w->text, items);
  // A page id that names no widget is skipped: hiding would not create one,
  // and a blank widget in the layout would only be in the way.
  auto pages = [&](int32_t item, int32_t hidden) {
    TvArray<TvString> ids;
    string_split(items(item), ",", ids);
    for (int32_t k = 1, n = array_total(ids); k < n; ++k)
      if (find(ids(k))) vexui_hide(ids(k), hidden);
  };
  int32_t n = array_total(items);
  for (int32_t i = 0; i < n; ++i)
    if (i != index) pages(i, 1);
  if (index >= 0 && index < n) pages(index, 0);
}

TvString vexui_get_item(const TvString& id, int32_t index) {
  VexuiWidget* w = find(id);
  if (!w) return TvString();
  if (index < 0) index = w->select;
  if (index < 0) return TvString();
  TvArray<TvString> items;
  vexui_split_items(w->text, items);
  return index < array_total(items) ? items(index) : TvString();
}

void vexui_insert_item(const TvString& id, const TvString& item, int32_t index) {
  VexuiWidget* w = find(id);
  if (!w) return;
  TvArray<TvString> items;
  vexui_split_items(w->text, items);
  int32_t n = array_total(items);
  TvString entry = item.empty() ? TvString("<null>") : item;
  bool inside = index >= 0 && index < n;
  if (!inside) {
    array_push(items, entry);
  } else {
    array_push(items, TvString());
    for (int32_t k = n; k > index; --k) string_swap(items(k), items(k - 1));
    items(index) = entry;
  }
  w->text = join_items(items);
  w->count = vexui_count_items(w->text);
  if (inside && w->select >= index) w->select += 1;
}

void vexui_delete_item(const TvString& id, int32_t index) {
  VexuiWidget* w = find(id);
  if (!w) return;
  TvArray<TvString> items;
  vexui_split_items(w->text, items);
  if (index >= 0 && index < array_total(items)) array_delete(items, index);
  w->text = join_items(items);
  w->count = array_total(items);
  if (index < 0) {
    w->select = -1;
  } else if (w->select >= index) {
    w->select -= 1;
  }
}

// ---------------------------------------------------------------------------
// the pop-up list

namespace {

// "b" followed by the item's number, as text.
TvString button_id(int32_t i) { return TvString("b") + i; }

}  // namespace

bool vexui_popup_build(int32_t x, int32_t y, int32_t width, int32_t height, const TvString& items) {
  TvArray<TvString> parts;
  vexui_split_items(items, parts);
  int32_t n = array_total(parts);
  if (n == 0) return false;
  int32_t cw, ch;
  vexui_cell_size(cw, ch);
  int32_t sw = std::max(cw, 20);
  vexui_push_dialog(x, y, width, height);
  VexuiDialog& d = vexui_top();
  // Thousands of items: the records are filled in one pass, sorted by id,
  // instead of one sorted insertion per button.
  int32_t least = vexui_state.min_widget_size;
  int32_t bw = width - 8, bh = std::max(least, ch + 6);
  array_redim(d.widgets, n);
  array_redim(d.order, n);
  for (int32_t i = 0; i < n; ++i) {
    VexuiWidget& w = d.widgets(i);
    w.id = button_id(i);
    w.type = "BUTTON";
    string_swap(w.text, parts(i));
    w.width = bw <= least ? std::max(least, vexui_text_width(w.text) + cw) : bw;
    w.height = bh;
  }
  array_sort(d.widgets, [](const VexuiWidget& a, const VexuiWidget& b) {
    return string_compare(a.id.data, b.id.data);
  });
  for (int32_t k = 0; k < n; ++k) {
    // "b" + number: the number is the creation (layout) position
    int32_t i = int32_t(std::strtol(d.widgets(k).id.data + 1, nullptr, 10));
    d.order(i).id = d.widgets(k).id;
    d.order(i).index = k;
    d.widgets(k).order_entry = i;
  }
  int32_t total = n * (bh + 2);
  if (height < total) vexui_set(TvString(), "WIDTH", TvString() + (width + sw));
  if (total + 4 < height) vexui_set(TvString(), "HEIGHT", TvString() + (total + 4));
  return true;
}

int32_t vexui_popup_step() {
  vexui_show(1);
  if (vexui_modal_escape()) return -1;
  VexuiDialog& d = vexui_top();
  MouseReading m = mouse_state();
  bool inside = m.x >= d.xpos && m.x < d.xpos + d.self.width && m.y >= d.ypos && m.y < d.ypos + d.self.height;
  if (m.left && !inside) return -1;
  for (int32_t k = 0, n = array_total(d.widgets); k < n; ++k) {
    const VexuiWidget& w = d.widgets(k);
    if (w.clicked) return int32_t(std::strtol(w.id.data + 1, nullptr, 10));
  }
  return -2;
}

int32_t vexui_popup_list(int32_t x, int32_t y, int32_t width, int32_t height, const TvString& items) {
  if (!vexui_popup_build(x, y, width, height, items)) return -1;
  vexui_modal_begin();
  int32_t result;
  while ((result = vexui_popup_step()) == -2) show_frame();
  vexui_pop_dialog();
  vexui_modal_end();
  return result;
}
