// data_list.cpp - reading the program's inline data lists.
#include "runtime/values/errors.h"
#include "runtime/values/debug.h"

namespace {
DataList* current_list = nullptr;

const DataItem& next_item() {
  if (!current_list || !current_list->items || current_list->cursor < 0 ||
      current_list->cursor >= current_list->count)
    fail(ERR_OUT_OF_DATA);
  return current_list->items[current_list->cursor++];
}
}  // namespace

void data_restore(DataList& list) { current_list = &list; }

TvString data_read_text() {
  const DataItem& item = next_item();
  if (item.is_text) return TvString(item.text ? item.text : "");
  return string_from_number(item.number);
}

double data_read_number() {
  const DataItem& item = next_item();
  if (!item.is_text) return item.number;
  return string_to_number(item.text ? item.text : "");
}
