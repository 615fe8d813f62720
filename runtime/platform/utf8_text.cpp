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
