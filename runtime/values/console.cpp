// console.cpp - console text input and output over the C streams. Output is
// flushed at once so it interleaves sensibly with the other stream.
#include "runtime/values/console.h"

#include <cstdio>

namespace {

void write_to(std::FILE* stream, const TvString& text) {
  if (text.length) std::fwrite(text.data, 1, text.length, stream);
  std::fflush(stream);
}

}  // namespace

void console_write(const TvString& text) { write_to(stdout, text); }
void console_write_error(const TvString& text) { write_to(stderr, text); }

TvString console_read_line() {
  char line[4096];
  uint32_t n = 0;
  int c = 0;
  while (n < sizeof line - 1 && (c = std::getc(stdin)) != EOF) {
    if (c == '\n') break;
    line[n++] = char(c);
  }
  return TvString(line, n);
}
