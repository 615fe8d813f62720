// text_layout.h - word wrap of a text block into rows, kept between frames.
//
// A block is the text followed by one space (the place the caret takes
// after the last character). Rows are `ch` apart, so a row is just the index
// of its first character; x positions inside a row are summed from the
// toolkit's glyph advances. A row breaks after "\n", and after a blank or
// tab when the next word would run past the width; a word wider than the
// width is never broken. Laying out is done once per text, width and glyph
// table: the last few layouts are kept, so a long read-only text costs
// nothing per frame beyond the rows on screen. A short text is found again
// by its content; a long one (megabytes on one line) by its buffer and its
// widget's text stamp, so finding it costs nothing per frame either, and
// no copy of it is kept. Nothing here holds a record per character: a row
// is one number, whatever its length. This cache is the one piece
// of toolkit state kept outside VexuiState: it holds nothing a result
// depends on, only work already done.
#pragma once
#include <cstdint>
#include <vector>

#include "runtime/values/tv_string.h"

struct VexuiTextLayout {
  std::vector<int32_t> row_start;  // first character of each row, ascending
  int32_t length = 0;              // characters in the block: text length + 1
  int32_t uniform_advance = 0;     // every glyph's advance when all are equal, else 0
};

// The layout of `text` (plus the trailing space) in `width` pixels, from the
// cache when the same text was laid out in the same width before. `stamp`
// is the text's widget's text stamp (vexui_text_written).
const VexuiTextLayout& vexui_text_layout(const TvString& text, int32_t width, uint64_t stamp = 0);

// Character i of the block: the text's byte, or the trailing space.
inline uint8_t vexui_block_char(const TvString& text, int32_t i) {
  return uint32_t(i) < text.length ? uint8_t(text.data[i]) : uint8_t(' ');
}

// Row of character i (the last row for i beyond the block).
int32_t vexui_layout_row(const VexuiTextLayout& layout, int32_t i);
// Pen x of character i within its row (no walk along the row when every
// glyph advances alike).
int32_t vexui_layout_x(const VexuiTextLayout& layout, const TvString& text, int32_t i);
// The first character, in text order, on a row whose bottom reaches ty and
// that lies at or right of tx - 1.5 advances (or is a "\n"); the block's
// length when none does. Coordinates relative to the block's top-left.
int32_t vexui_layout_find(const VexuiTextLayout& layout, const TvString& text, int32_t tx, int32_t ty,
                          int32_t ch);

// Forgets every kept layout (the glyph tables changed wholesale, tests).
void vexui_text_layout_clear();
