// lists.cpp - the list family: lists, radio groups and tab strips; each
// type's constructor, input handler and drawing together, and the item
// operations. `clicked` of each is 1 only on the release that changes the
// selection; a wheel turn over a list scrolls it three rows.
#include "vexui/lists.h"

#include <algorithm>
#include <cstring>

#include "runtime/gfx2d/device.h"
#include "runtime/values/string_lib.h"
#include "vexui/model.h"
#include "vexui/paint.h"
#include "vexui/scroll.h"

namespace {

constexpr int32_t kTabFaceTop = 4;  // a tab not chosen sits this far below the raised one

TvString join_items(const TvArray<TvString>& items) {
  TvString out;
  for (int32_t i = 0, n = array_total(items); i < n; ++i) {
    if (i) string_append_char(out, '|');
    out += items(i);
  }
  return out;
}

// The caption of a tab item: its part before the first ",".
TvString tab_caption(const TvString& item) {
  const char* comma = static_cast<const char*>(std::memchr(item.data, ',', item.length));
  return comma ? TvString(item.data, uint32_t(comma - item.data)) : item;
}

}  // namespace

// ---- lists -------------------------------------------------------------------

void vexui_list(const TvString& id, const TvString& items, int32_t width, int32_t height) {
  int32_t cw, ch;
  vexui_cell_size(cw, ch);
  TvArray<TvString> parts;
  vexui_split_items(items, parts);
  if (height == 0) {
    height = 4 * ch + 4;
  } else {
    height = height - (ch > 0 ? height % ch : 0) + 4;
  }
  if (width == 0) width = (vexui_longest_item(parts) + 3) * cw;
  int32_t i = vexui_add_widget_index(id, items, width, height);
  VexuiWidget& w = vexui_top().widgets(i);
  w.type = "LIST";
  w.count = array_total(parts);
  if (w.count == 0) w.select = -1;
}

void vexui_list_input(VexuiDialog& dialog, VexuiWidget& w, int32_t mx, int32_t my, int32_t click, int32_t) {
  int32_t cw, ch;
  vexui_cell_size(cw, ch);
  w.count = vexui_count_items(w.text);
  w.scroll_max = w.count - w.height / ch;
  if (w.scroll < 0) w.scroll = 0;
  int32_t bar = vexui_scrollbar_input(dialog, w, mx, my, click, w.height);
  bool inside = !(my < 1 || my > w.height || mx < 1 || mx >= w.width - bar * vexui_scrollbar_inset());
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

void vexui_draw_list(VexuiDialog& d, VexuiWidget& w, int32_t yoff) {
  int32_t cw, ch;
  vexui_cell_size(cw, ch);
  TvArray<TvString> items;
  vexui_split_items(w.text, items);
  w.count = array_total(items);
  int32_t W = w.width, H = w.height;
  for (int32_t i = std::max(w.scroll, 0); i < w.count && ch > 0; ++i) {
    int32_t y = yoff + (i - w.scroll) * ch;
    if (y > H) break;
    bool selected = i == w.select;
    if (selected) {
      if (i == w.hover) vexui_fill2(d.col_hover_bright, d.col_hover_norm, 0, y, W - 1, ch - 1);
      else vexui_fill2(d.col_hover_norm, d.col_hover_bright, 0, y, W - 1, ch - 1);
    } else if (i == w.hover) {
      VexuiColor c = d.col_hover_bright;
      draw_rect(2, y, W - 4, 1, c);
      draw_rect(1, y + 1, 1, ch - 3, c);
      draw_rect(W - 2, y + 1, 1, ch - 3, c);
      draw_rect(2, y + ch - 2, W - 4, 1, c);
    }
    vexui_print(items(i), 4, y, selected);
  }
  vexui_outline(0, yoff, W, H, d.col_norm);
  vexui_draw_scrollbar(d, w, W, H, ch > 0 ? H / ch : 0, yoff);
}

// ---- radio groups ------------------------------------------------------------

void vexui_radio(const TvString& id, const TvString& items, int32_t width) {
  int32_t cw, ch;
  vexui_cell_size(cw, ch);
  TvArray<TvString> parts;
  vexui_split_items(items, parts);
  if (width == 0) width = (vexui_longest_item(parts) + 2) * cw;
  int32_t i = vexui_add_widget_index(id, items, width, 0);
  VexuiWidget& w = vexui_top().widgets(i);
  w.type = "RADIO";
  if (array_total(parts) == 0) w.select = -1;
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

void vexui_draw_radio(VexuiDialog& d, VexuiWidget& w, int32_t yoff) {
  int32_t cw, ch;
  vexui_cell_size(cw, ch);
  TvArray<TvString> items;
  vexui_split_items(w.text, items);
  int32_t W = w.width;
  for (int32_t i = 0; i < array_total(items); ++i) {
    int32_t y = yoff + i * ch;
    if (y > w.height) break;
    if (i == w.hover && !w.readonly) {
      VexuiColor c = d.col_hover_bright;
      draw_rect(1, y, W - 3, 1, c);
      draw_rect(0, y + 1, 1, ch - 3, c);
      draw_rect(W - 2, y + 1, 1, ch - 3, c);
      draw_rect(1, y + ch - 2, W - 3, 1, c);
    }
    vexui_print(items(i), int32_t(1.7 * cw), y, i == w.select);
    bool chosen = i == w.select;
    VexuiColor light = chosen ? d.col_hover_bright : d.col_bright, line = chosen ? d.col_hover_norm : d.col_norm;
    vexui_fill2(light, line, 3, y + 2, ch - 6, ch - 6);
    vexui_outline(3, y + 2, ch - 6, ch - 6, line);
  }
}

// ---- tab strips --------------------------------------------------------------

void vexui_tab(const TvString& id, const TvString& items) {
  int32_t cw, ch;
  vexui_cell_size(cw, ch);
  // as wide as any content so it always starts its own line; clipped to the dialog
  int32_t i = vexui_add_widget_index(id, items, 10000, ch + 7);
  vexui_top().widgets(i).type = "TAB";
  vexui_spacer(10000, 0);
}

void vexui_tab_extents(const VexuiWidget& tab, TvArray<VexuiTabExtent>& out) {
  int32_t cw, ch;
  vexui_cell_size(cw, ch);
  TvArray<TvString> items;
  vexui_split_items(tab.text, items);
  int32_t n = array_total(items);
  array_redim(out, n);
  for (int32_t i = 0, x = 0; i < n; ++i) {
    VexuiTabExtent& t = out(i);
    t.caption = tab_caption(items(i));
    t.x = x;
    t.width = std::max(vexui_state.min_widget_size, vexui_text_width(t.caption) + cw);
    x += t.width;
  }
}

void vexui_tab_input(VexuiDialog&, VexuiWidget& w, int32_t mx, int32_t my, int32_t click, int32_t) {
  w.clicked = 0;
  TvString id = w.id;  // vexui_select_tab looks the widget up again
  if (w.select == -1) vexui_select_tab(id, 0);
  VexuiWidget* tab = vexui_find(id);
  if (!tab) return;
  // the other tabs' faces run from 4 rows down to the strip's base line
  if (click != 1 || my < kTabFaceTop || my >= tab->height || mx <= 0 || mx >= tab->width) return;
  TvArray<VexuiTabExtent> tabs;
  vexui_tab_extents(*tab, tabs);
  for (int32_t i = 0, n = array_total(tabs); i < n; ++i) {
    if (mx >= tabs(i).x && mx < tabs(i).x + tabs(i).width) {
      if (i != tab->select) {
        tab->clicked = 1;
        vexui_select_tab(id, i);
      }
      return;
    }
  }
}

void vexui_draw_tab(VexuiDialog& d, VexuiWidget& w, int32_t yoff) {
  int32_t W = w.width, H = w.height;
  draw_rect(0, yoff, W, H - 1, d.col_bright);
  int32_t cw, ch;
  vexui_cell_size(cw, ch);
  TvArray<VexuiTabExtent> tabs;
  vexui_tab_extents(w, tabs);
  int32_t selected = -1;
  for (int32_t i = 0, n = array_total(tabs); i < n; ++i) {
    const VexuiTabExtent& t = tabs(i);
    if (i == w.select) {
      selected = i;
      continue;
    }
    vexui_fill2(d.col_bright, d.col_norm, t.x + 1, yoff + kTabFaceTop, t.width - 1, H - kTabFaceTop);
    vexui_outline(t.x + 1, yoff + kTabFaceTop, t.width - 1, H - kTabFaceTop, d.col_norm);
    vexui_print(t.caption, t.x + cw / 2, yoff + 5, 0);
  }
  if (selected >= 0) {  // raised above its neighbours
    const VexuiTabExtent& t = tabs(selected);
    vexui_fill2(d.col_hover_bright, d.col_hover_norm, t.x, yoff + 1, t.width, H);
    vexui_outline(t.x, yoff + 1, t.width, H, d.col_hover_norm);
    vexui_print(t.caption, t.x + cw / 2, yoff + 5, 1);
  }
  draw_rect(0, yoff + H - 1, W - 1, 1, d.col_norm);
}

// ---- items -------------------------------------------------------------------

void vexui_select_tab(const TvString& id, int32_t index) {
  VexuiWidget* w = vexui_find(id);
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
      if (vexui_find(ids(k))) vexui_hide(ids(k), hidden);
  };
  int32_t n = array_total(items);
  for (int32_t i = 0; i < n; ++i)
    if (i != index) pages(i, 1);
  if (index >= 0 && index < n) pages(index, 0);
}

TvString vexui_get_item(const TvString& id, int32_t index) {
  VexuiWidget* w = vexui_find(id);
  if (!w) return TvString();
  if (index < 0) index = w->select;
  if (index < 0) return TvString();
  TvArray<TvString> items;
  vexui_split_items(w->text, items);
  return index < array_total(items) ? items(index) : TvString();
}

void vexui_insert_item(const TvString& id, const TvString& item, int32_t index) {
  VexuiWidget* w = vexui_find(id);
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
  vexui_text_written(*w);
  w->count = vexui_count_items(w->text);
  if (inside && w->select >= index) w->select += 1;
}

void vexui_delete_item(const TvString& id, int32_t index) {
  VexuiWidget* w = vexui_find(id);
  if (!w) return;
  TvArray<TvString> items;
  vexui_split_items(w->text, items);
  if (index >= 0 && index < array_total(items)) array_delete(items, index);
  w->text = join_items(items);
  vexui_text_written(*w);
  w->count = array_total(items);
  if (index < 0) {
    w->select = -1;
  } else if (w->select >= index) {
    w->select -= 1;
  }
}
