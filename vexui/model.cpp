// model.cpp - widget look-up and insertion, the constructors' common part,
// the layout elements, item lists and the user-widget hook.
//
// `widgets` stays sorted by id for bisection and `order` keeps creation
// order. An insertion at position p moves the records above p up by one and
// shifts every order index at or above p by one, so each order entry always
// names its widget's position without looking every id up again; each record
// knows its order entry, so only the moved records' entries are touched.
#include "vexui/model.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "runtime/io/platform_info.h"
#include "vexui/paint.h"

namespace {

// Byte-wise order of two ids, shorter first on a common prefix.
int compare_ids(const TvString& a, const TvString& b) {
  uint32_t n = std::min(a.length, b.length);
  int c = n ? std::memcmp(a.data, b.data, n) : 0;
  if (c) return c;
  return a.length < b.length ? -1 : (a.length > b.length ? 1 : 0);
}

// Opens a default record at `at` of a record array holding `count` elements.
// The records hold only texts and numbers and do not point into themselves,
// so they are moved as bytes: an insertion into a large dialog costs one
// memmove instead of a chain of member-wise moves.
void open_slot(TvArray<VexuiWidget>& widgets, int32_t at) {
  array_push(widgets, VexuiWidget{});
  int32_t last = array_total(widgets) - 1;
  if (at >= last) return;
  VexuiWidget* w = widgets.elements;
  w[last].~VexuiWidget();
  std::memmove(static_cast<void*>(w + at + 1), static_cast<const void*>(w + at),
               sizeof(VexuiWidget) * size_t(last - at));
  ::new (static_cast<void*>(w + at)) VexuiWidget();
}

}  // namespace

int32_t vexui_longest_item(const TvArray<TvString>& items) {
  uint32_t longest = 0;
  for (int32_t i = 0; i < array_total(items); ++i) longest = std::max(longest, items.elements[i].length);
  return int32_t(longest);
}

VexuiWidget* vexui_find(const TvString& id) {
  if (array_total(vexui_state.dialogs) == 0) return nullptr;
  VexuiDialog& d = vexui_top();
  int32_t i = vexui_find_widget(d, id, 0);
  return i < 0 ? nullptr : &d.widgets(i);
}

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

int32_t vexui_find_widget(VexuiDialog& dialog, const TvString& id, int32_t create) {
  TvArray<VexuiWidget>& widgets = dialog.widgets;
  int32_t count = array_total(widgets);
  int32_t lo = 0, hi = count - 1;
  while (lo < hi) {
    int32_t mid = (lo + hi) / 2;
    int c = compare_ids(widgets.elements[mid].id, id);
    if (c > 0) {
      hi = std::max(mid - 1, lo);
    } else if (c < 0) {
      lo = std::min(hi, mid + 1);
    } else {
      return mid;
    }
  }
  int c = count > 0 ? compare_ids(widgets.elements[lo].id, id) : 1;
  if (count > 0 && c == 0) return lo;
  if (!create) return -1;
  int32_t at = (count > 0 && c < 0) ? lo + 1 : lo;
  open_slot(widgets, at);
  VexuiWidget* w = widgets.elements;
  w[at].id = id;
  w[at].order_entry = array_total(dialog.order);
  // the records above `at` moved up by one: so do their order entries' indexes
  VexuiOrderEntry* e = dialog.order.elements;
  for (int32_t k = at + 1; k <= count; ++k) e[w[k].order_entry].index = k;
  VexuiOrderEntry entry;
  entry.id = id;
  entry.index = at;
  array_push(dialog.order, entry);
  return at;
}

// vexui_add_widget, giving the widget's index for the constructors.
int32_t vexui_add_widget_index(const TvString& id, const TvString& text, int32_t width, int32_t height) {
  VexuiDialog& d = vexui_top();
  TvString name = id;
  if (name.empty()) name = TvString("iwdg%") + (array_total(d.widgets) + 1);
  int32_t cw, ch;
  vexui_cell_size(cw, ch);
  int32_t least = vexui_state.min_widget_size;
  if (width <= least) width = std::max(least, vexui_text_width(text) + cw);
  if (height <= least) height = std::max(least, ch + 6);
  int32_t i = vexui_find_widget(d, name, 1);
  VexuiWidget& w = d.widgets(i);
  w.width = width;
  w.height = height;
  w.type = "WIDGET";
  w.text = text;
  vexui_text_written(w);
  return i;
}

void vexui_add_widget(const TvString& id, const TvString& text, int32_t width, int32_t height) {
  vexui_add_widget_index(id, text, width, height);
}

void vexui_split_items(const TvString& text, TvArray<TvString>& items) {
  array_redim(items, 0);
  const char* p = text.data;
  const char* end = text.data + text.length;
  int32_t n = 0;
  while (p < end) {
    const char* bar = static_cast<const char*>(std::memchr(p, '|', size_t(end - p)));
    if (!bar) bar = end;
    if (bar > p) {  // empty parts are dropped
      array_push(items, TvString());
      string_assign_bytes(items(n++), p, uint32_t(bar - p));
    }
    p = bar + 1;
  }
}

namespace {

bool find_item(const TvString& text, int32_t index, uint32_t& from, uint32_t& length) {
  const char* p = text.data;
  const char* end = text.data + text.length;
  for (int32_t n = 0; p < end && index >= 0;) {
    const char* bar = static_cast<const char*>(std::memchr(p, '|', size_t(end - p)));
    if (!bar) bar = end;
    if (bar > p && n++ == index) {
      from = uint32_t(p - text.data);
      length = uint32_t(bar - p);
      return true;
    }
    p = bar + 1;
  }
  return false;
}

}  // namespace

bool vexui_item_span(const TvString& text, uint64_t stamp, int32_t index, uint32_t& from, uint32_t& length) {
  // a short text is walked again, which costs less than comparing it
  if (text.length <= (1u << 16)) return find_item(text, index, from, length);
  VexuiItemSpans& kept = vexui_state.item_spans;
  for (const VexuiItemSpan& k : kept.spans)
    if (k.data == text.data && k.length == text.length && k.capacity == text.capacity && k.stamp == stamp &&
        k.index == index) {
      from = k.from;
      length = k.count;
      return k.found;
    }
  VexuiItemSpan& k = kept.spans[kept.next];
  kept.next = (kept.next + 1) % VexuiItemSpans::kKept;
  k = VexuiItemSpan{text.data, text.length, text.capacity, stamp, index, find_item(text, index, from, length), 0, 0};
  if (k.found) k.from = from, k.count = length;
  return k.found;
}

void vexui_hide(const TvString& id, int32_t hidden) {
  VexuiDialog& d = vexui_top();
  int32_t i = vexui_find_widget(d, id, 0);
  if (i < 0) return;
  d.widgets(i).hide = hidden;
  if (!(d.widgets(i).type == "FRAME")) return;
  int32_t entries = array_total(d.order);
  int32_t start = 0;
  while (start < entries && d.order(start).index != i) ++start;
  // the frame's own entry opens the count: its "UNFRAME" is the one that
  // brings it back to 0, so content after a nested frame is hidden as well
  int32_t depth = 0;
  for (int32_t k = start; k < entries; ++k) {
    VexuiWidget& w = d.widgets(d.order(k).index);
    if (w.type == "FRAME") ++depth;
    if (w.type == "UNFRAME") {
      --depth;
      if (depth <= 0) break;
    }
    w.hide = hidden;
    if (hidden) w.clicked = 0;
  }
}

void vexui_link(const TvString& src_id, const TvString& src_key, const TvString& dst_id, const TvString& dst_key) {
  VexuiLink link;
  link.src_id = src_id;
  link.src_key = src_key;
  link.dst_id = dst_id;
  link.dst_key = dst_key;
  array_push(vexui_top().links, link);
}

void vexui_reset_dialog() {
  if (vexui_state.glyph_tables_built < 256) vexui_build_text_tables(0, 2);
  if (array_total(vexui_state.dialogs) == 0) array_redim(vexui_state.dialogs, 1);
  VexuiDialog& d = vexui_top();
  if (d.col_norm == 0 && d.col_bright == 0) {
    d.col_norm = 0xC0C0C0;
    d.col_bright = 0xFFFFFF;
    d.col_hover_norm = 0xFF9040;
    d.col_hover_bright = 0xFFF0A0;
  }
  array_redim(d.widgets, 0);
  array_redim(d.order, 0);
  array_redim(d.links, 0);
  TvString platform = platform_info(TvString());
  vexui_state.touch_device =
      (platform == "WINCE" || platform == "GP2X" || platform == "IPHONE") ? 1 : 0;
}

// ---- layout elements -----------------------------------------------------------

void vexui_frame(const TvString& id, const TvString& text, int32_t width) {
  TvString name = id;
  if (name.empty()) name = TvString("frm") + (array_total(vexui_top().widgets) + 1);
  int32_t i = vexui_add_widget_index(name, text, width, 100);
  VexuiWidget& w = vexui_top().widgets(i);
  w.type = "FRAME";
  if (width == 0) w.width = 0;  // as wide as the widest child, found by layout
}

void vexui_unframe() {
  TvString name = TvString("frm") + (array_total(vexui_top().widgets) + 1);
  int32_t i = vexui_add_widget_index(name, TvString(), 0, 0);
  VexuiWidget& w = vexui_top().widgets(i);
  w.type = "UNFRAME";
  w.width = 0;
  w.height = 0;
}

void vexui_spacer(int32_t width, int32_t height) {
  TvString name = TvString("ID_SPACER_") + array_total(vexui_top().widgets);
  int32_t i = vexui_add_widget_index(name, TvString(), width, height);
  VexuiWidget& w = vexui_top().widgets(i);
  w.type = "SPACER";
  w.width = width;
  w.height = height;
}

void vexui_user_widget(const TvString& id, const TvString& type, int32_t width, int32_t height) {
  int32_t i = vexui_add_widget_index(id, TvString(), width, height);
  vexui_top().widgets(i).type = type;
}

// ---- the user-widget hook ------------------------------------------------------

void vexui_set_user_handler(VexuiUserHandler handler) {
  vexui_state.user_handler = handler ? handler : vexui_default_user_handler;
}

void vexui_handle_user(VexuiWidget& widget) { vexui_state.user_handler(widget); }
