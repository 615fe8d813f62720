// clipboard.cpp - the clipboard pair over the platform layer.
#include "app/clipboard.h"

#include "runtime/platform/clipboard.h"

TvString clipboard_get(int32_t* lost) {
  std::string text;
  int replaced = 0;
  if (!platform_clipboard_read(text, &replaced)) text.clear();
  if (lost) *lost = replaced;
  return TvString(text.data(), uint32_t(text.size()));
}

bool clipboard_read(TvString& text, int32_t* lost) {
  std::string latin1;
  int replaced = 0;
  if (!platform_clipboard_read(latin1, &replaced)) return false;
  if (lost) *lost = replaced;
  text = TvString(latin1.data(), uint32_t(latin1.size()));
  return true;
}

double clipboard_set(const TvString& text) {
  platform_clipboard_set(std::string(text.data, text.length));
  return 0;
}
