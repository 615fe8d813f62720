// utf8_text.cpp - Latin-1 <-> UTF-8.
#include "runtime/platform/utf8_text.h"

std::string platform_latin1_to_utf8(const std::string& latin1) {
  std::string out;
  out.reserve(latin1.size());
  for (unsigned char c : latin1) {
    if (c < 0x80) {
      out += char(c);
    } else {
      out += char(0xC0 | (c >> 6));
      out += char(0x80 | (c & 0x3F));
    }
  }
  return out;
}

bool platform_utf8_to_latin1(const std::string& utf8, std::string& latin1) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      out += char(c);
      continue;
    }
    // only C2 and C3 lead bytes encode U+0080..U+00FF
    if ((c != 0xC2 && c != 0xC3) || i + 1 >= utf8.size()) return false;
    unsigned char d = static_cast<unsigned char>(utf8[i + 1]);
    if ((d & 0xC0) != 0x80) return false;
    out += char(((c & 0x1F) << 6) | (d & 0x3F));
    ++i;
  }
  latin1.swap(out);
  return true;
}

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
