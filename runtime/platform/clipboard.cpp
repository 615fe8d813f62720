// clipboard.cpp - the desktop clipboard over SDL2.
#include "runtime/platform/clipboard.h"

#include <SDL.h>

#include "runtime/platform/utf8_text.h"
#include "runtime/platform/window_sdl.h"

std::string platform_utf8_to_latin1_lossy(const std::string& utf8) {
  std::string out;
  out.reserve(utf8.size());
  size_t i = 0, n = utf8.size();
  while (i < n) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      out += char(c);
      ++i;
      continue;
    }
    int len = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 0;
    if (c > 0xF4) len = 0;
    unsigned cp = len == 2 ? c & 0x1F : len == 3 ? c & 0x0F : c & 0x07;
    bool ok = len > 0 && i + len <= n;
    for (int k = 1; ok && k < len; ++k) {
      unsigned char d = static_cast<unsigned char>(utf8[i + k]);
      if ((d & 0xC0) != 0x80) ok = false;
      else cp = (cp << 6) | (d & 0x3F);
    }
    if (!ok) {  // a stray byte stands for one unknown character
      out += '?';
      ++i;
      continue;
    }
    out += cp <= 0xFF ? char(cp) : '?';
    i += len;
  }
  return out;
}

std::string platform_clipboard_get() {
  if (!platform_video_start(nullptr)) return "";
  if (!SDL_HasClipboardText()) return "";
  char* text = SDL_GetClipboardText();
  if (!text) return "";
  std::string utf8 = text;
  SDL_free(text);
  return platform_utf8_to_latin1_lossy(utf8);
}

bool platform_clipboard_set(const std::string& latin1) {
  if (!platform_video_start(nullptr)) return false;
  // the desktop's text ends at the first NUL
  std::string utf8 = platform_latin1_to_utf8(latin1.substr(0, latin1.find('\0')));
  return SDL_SetClipboardText(utf8.c_str()) == 0;
}
