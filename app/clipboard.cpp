// clipboard.cpp - the clipboard pair over the platform layer.
#include "app/clipboard.h"

#include "runtime/platform/clipboard.h"

TvString clipboard_get() {
  std::string text = platform_clipboard_get();
  return TvString(text.data(), uint32_t(text.size()));
}

bool clipboard_read(TvString& text) {
  std::string latin1;
  if (!platform_clipboard_read(latin1)) return false;
  text = TvString(latin1.data(), uint32_t(latin1.size()));
  return true;
}

double clipboard_set(const TvString& text) {
  platform_clipboard_set(std::string(text.data, text.length));
  return 0;
}
