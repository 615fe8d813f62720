// text_layout.cpp - row breaking and the small cache of finished layouts.
#include "vexui/text_layout.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "vexui/model.h"

namespace {

// Texts up to this length are compared byte for byte; longer ones by identity.
constexpr uint32_t kCompareLimit = 1 << 16;

struct CachedLayout {
  std::string text;  // a short text's copy
  const char* data = nullptr;  // a long text's identity: buffer, capacity, stamp
  uint32_t length = 0, capacity = 0;
  uint64_t stamp = 0;
  int32_t width = 0;
  int32_t advance[256] = {};
  uint64_t used = 0;  // for dropping the least recently used
  VexuiTextLayout layout;
};

// A dialog shows a handful of text blocks; each is asked for in up to two
// widths per frame (editing and drawing).
constexpr int kKept = 16;
CachedLayout kept[kKept];
uint64_t use_clock = 0;

int32_t advance_of(uint8_t c) { return vexui_state.glyph_advance[c]; }

bool is_blank(uint8_t c) { return c == ' ' || c == '\t'; }

void lay_out(const TvString& text, int32_t width, VexuiTextLayout& out) {
  out.row_start.assign(1, 0);
  out.length = int32_t(text.length) + 1;
  out.uniform_advance = advance_of(0);
  for (int c = 1; c < 256; ++c)
    if (advance_of(uint8_t(c)) != out.uniform_advance) out.uniform_advance = 0;
  int64_t x = 0;
  for (int32_t i = 0; i < out.length; ++i) {
    uint8_t c = vexui_block_char(text, i);
    if (c == '\n') {
      out.row_start.push_back(i + 1);
      x = 0;
      continue;
    }
    x += advance_of(c);
    if (!is_blank(c)) continue;
    // the next word runs to the next blank; it never reaches past a line end
    int64_t word = 0;
    for (int32_t j = i + 1; j < out.length; ++j) {
      uint8_t n = vexui_block_char(text, j);
      if (is_blank(n) || n == '\n') break;
      word += advance_of(n);
    }
    if (x + word > width) {
      out.row_start.push_back(i + 1);
      x = 0;
    }
  }
}

bool matches(const CachedLayout& e, const TvString& text, int32_t width, uint64_t stamp) {
  if (!e.used || e.width != width || e.length != text.length ||
      std::memcmp(e.advance, vexui_state.glyph_advance, sizeof e.advance) != 0)
    return false;
  if (text.length > kCompareLimit) return e.data == text.data && e.capacity == text.capacity && e.stamp == stamp;
  return e.text.size() == text.length && (text.length == 0 || std::memcmp(e.text.data(), text.data, text.length) == 0);
}

}  // namespace

const VexuiTextLayout& vexui_text_layout(const TvString& text, int32_t width, uint64_t stamp) {
  ++use_clock;
  CachedLayout* oldest = &kept[0];
  for (CachedLayout& e : kept) {
    if (matches(e, text, width, stamp)) {
      e.used = use_clock;
      return e.layout;
    }
    if (e.used < oldest->used) oldest = &e;
  }
  CachedLayout& e = *oldest;
  bool small = text.length <= kCompareLimit;
  if (small) e.text.assign(text.data ? text.data : "", text.length);
  else std::string().swap(e.text);
  e.data = text.data;
  e.length = text.length;
  e.capacity = text.capacity;
  e.stamp = stamp;
  e.width = width;
  std::memcpy(e.advance, vexui_state.glyph_advance, sizeof e.advance);
  e.used = use_clock;
  lay_out(text, width, e.layout);
  return e.layout;
}

void vexui_text_layout_clear() {
  for (CachedLayout& e : kept) {
    e.used = 0;
    std::string().swap(e.text);
    e.data = nullptr;
    e.layout = VexuiTextLayout{};
  }
}

int32_t vexui_layout_row(const VexuiTextLayout& layout, int32_t i) {
  auto it = std::upper_bound(layout.row_start.begin(), layout.row_start.end(), i);
  return int32_t(it - layout.row_start.begin()) - 1;
}

int32_t vexui_layout_x(const VexuiTextLayout& layout, const TvString& text, int32_t i) {
  int32_t row = vexui_layout_row(layout, i);
  int32_t start = layout.row_start[size_t(row)];
  if (layout.uniform_advance) return (std::clamp(i, start, layout.length) - start) * layout.uniform_advance;
  int32_t x = 0;
  for (int32_t k = layout.row_start[size_t(row)]; k < i && k < layout.length; ++k)
    x += advance_of(vexui_block_char(text, k));
  return x;
}

int32_t vexui_layout_find(const VexuiTextLayout& layout, const TvString& text, int32_t tx, int32_t ty,
                          int32_t ch) {
  int32_t rows = int32_t(layout.row_start.size());
  // the first row whose top y satisfies y >= ty - ch
  int64_t need = int64_t(ty) - ch;
  int32_t row = 0;
  if (need > 0 && ch > 0) row = int32_t(std::min<int64_t>(rows, (need + ch - 1) / ch));
  if (row >= rows) return layout.length;
  int32_t next_row = row + 1;
  int32_t x = 0;
  for (int32_t i = layout.row_start[size_t(row)]; i < layout.length; ++i) {
    while (next_row < rows && layout.row_start[size_t(next_row)] == i) {
      x = 0;
      ++next_row;
    }
    uint8_t c = vexui_block_char(text, i);
    int32_t adv = advance_of(c);
    if (c == '\n' || x >= tx - 1.5 * adv) return i;
    x += adv;
  }
  return layout.length;
}
