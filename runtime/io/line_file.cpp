// line_file.cpp - loading, editing and writing back the line file.
#include "runtime/io/line_file.h"

#include "runtime/io/archive.h"
#include "runtime/io/file_stream.h"
#include "runtime/io/io_exit.h"
#include "runtime/io/memory_files.h"
#include "runtime/io/safe_write.h"
#include "runtime/platform/log.h"
#include "runtime/platform/platform_files.h"
#include "runtime/values/errors.h"

LineFile line_file;

namespace {

constexpr int32_t kBadLineNumber = 7;

void write_back_at_exit() { line_file_write_back(); }

void clear_table() {
  for (TvString& l : line_file.lines) string_free(l);
  line_file.highest = -1;
  line_file.changed = false;
  line_file.loaded = false;
  line_file.unreadable = false;
}

bool load(const TvString& name) {
  TvString resolved;
  if (!resolve_file(general_resolver, name, resolved, true)) resolved = name;
  FileStream s;
  if (!stream_open_read(s, resolved.c_str())) return false;
  TvString line;
  int32_t n = 0;
  while (n < kLineFileLines && stream_read_line(s, line)) {
    if (line.length > uint32_t(kLineFileLineBytes)) string_truncate(line, kLineFileLineBytes);
    string_swap(line_file.lines[n++], line);
  }
  stream_close(s);
  // loaded lines count as written: changing one line must not drop the rest
  line_file.highest = n - 1;
  return true;
}

// Makes `name` the current line file; false when it could not be loaded.
bool make_current(const TvString& name) {
  static bool hooked = (io_at_exit(write_back_at_exit), true);
  (void)hooked;
  if (line_file.file_name.length && string_equal(line_file.file_name, name))
    return line_file.loaded;
  line_file_write_back();
  clear_table();
  line_file.file_name = name;
  line_file.loaded = load(name);
  // a file that exists but cannot be read is never overwritten
  line_file.unreadable = !line_file.loaded && platform_file_exists(name.c_str());
  return line_file.loaded;
}

}  // namespace

bool line_file_write_back() {
  if (!line_file.changed || line_file.file_name.empty()) return true;
  if (line_file.unreadable) {
    log_line("line file not written back: it exists but could not be read");
    line_file.changed = false;
    return false;
  }
  if (is_memory_file_name(line_file.file_name.c_str())) {
    line_file.changed = false;
    return true;
  }
  SafeWrite w;
  if (safe_write_begin(w, line_file.file_name.c_str())) {
    for (int32_t i = 0; i <= line_file.highest; ++i) {
      safe_write_append(w, line_file.lines[i].data, line_file.lines[i].length);
      safe_write_append(w, "\r\n", 2);
    }
  }
  if (!safe_write_commit(w)) {
    TvString note("line file not written back: ");
    string_append(note, line_file.file_name);
    log_line(note.c_str());
    return false;
  }
  line_file.changed = false;
  return true;
}

TvString line_file_get(const TvString& name, int32_t line) {
  if (line < 0 || line >= kLineFileLines) {
    set_error(kBadLineNumber);
    return TvString("NO_DATA");
  }
  if (!make_current(name)) {
    set_error(ERR_NO_SUCH_FILE);
    return TvString("NO_FILE");
  }
  TvString out(line_file.lines[line]);
  uint32_t n = out.length;
  while (n > 0 && (unsigned char)out.data[n - 1] < 32) --n;
  if (n == 0) return TvString("NO_DATA");
  string_truncate(out, n);
  return out;
}

void line_file_put(const TvString& name, int32_t line, const TvString& text) {
  if (line < 0 || line >= kLineFileLines) {
    set_error(kBadLineNumber);
    return;
  }
  if (!make_current(name)) set_error(ERR_NO_SUCH_FILE);
  // a file that could not be read is started afresh by the first put
  line_file.loaded = true;
  uint32_t n = text.length < uint32_t(kLineFileLineBytes) ? text.length
                                                          : uint32_t(kLineFileLineBytes);
  string_assign_bytes(line_file.lines[line], text.data, n);
  if (line > line_file.highest) line_file.highest = line;
  line_file.changed = true;
}
