// catalogue.cpp - loading, listing and saving snippets of CODE.INI.
#include "app/catalogue.h"

#include <cstring>

#include "runtime/io/ini.h"
#include "runtime/io/safe_write.h"
#include "runtime/platform/platform_files.h"
#include "runtime/values/string_lib.h"

TvString catalogue_path = "CODE.INI";
int32_t catalogue_lock_wait_ms = 10000;

void categories(TvStringArray& out) {
  array_fill_list(out, {TvString("Extend Types"), TvString("Types"), TvString("Functions"),
                        TvString("Subroutines"), TvString("Constants"), TvString("INLINE")});
}

TvString section_name(const TvString& category) { return string_replace_all(category, " ", "_"); }

// --- text transforms -------------------------------------------------------------

TvString encode_code(const TvString& code) {
  TvString out;
  string_reserve(out, code.length + code.length / 8, false);
  for (uint32_t i = 0; i < code.length; ++i) {
    char c = code.data[i];
    if (c == '\t') string_append(out, "    ");
    else if (c == '\n' || c == '\r') string_append_char(out, '|');
    else string_append_char(out, c);
  }
  return out;
}

TvString decode_code(const TvString& stored) { return string_replace_all(stored, "|", "\n"); }

TvString paste_text(const TvString& clip) {
  TvString out;
  string_reserve(out, clip.length, false);
  for (uint32_t i = 0; i < clip.length; ++i) {
    char c = clip.data[i];
    if (c == '\t') {
      string_append(out, "    ");
    } else if (c == '\r') {
      string_append_char(out, '\n');
      if (i + 1 < clip.length && clip.data[i + 1] == '\n') ++i;
    } else {
      string_append_char(out, c);
    }
  }
  return out;
}

// --- listing ----------------------------------------------------------------------

int32_t compare_names(const Snippet& a, const Snippet& b) {
  uint32_t n = a.name.length < b.name.length ? a.name.length : b.name.length;
  int c = std::memcmp(a.name.data, b.name.data, n);
  if (c != 0) return c < 0 ? -1 : 1;
  if (a.name.length != b.name.length) return a.name.length < b.name.length ? -1 : 1;
  return 0;
}

TvString snippet_list_text(SnippetArray& snippets) {
  array_sort(snippets, compare_names);
  TvString text;
  for (int32_t i = 0; i < snippets.size1; ++i) {
    if (i > 0) string_append_char(text, '|');
    // a "|" inside a name would split it into two items and item i would no
    // longer be snippet i
    string_append(text, string_replace_all(snippets(i).name, "|", "/"));
  }
  return text;
}

namespace {

TvString key(const char* stem, int32_t n) { return TvString(stem) + n; }

// The entries of one section of the open INI table, up to the first number
// without a name. An empty value is never stored, so an empty result means
// the key is missing (a name of "NO_DATA" is a name like any other).
void read_section(const TvString& section, SnippetArray& snippets) {
  array_dim(snippets, 0);
  for (int32_t n = 0;; ++n) {
    TvString name = ini_get(section, key("NAME", n), "");
    if (name.empty()) break;
    TvString raw = ini_get(section, key("CODE", n), "");
    if (raw.empty()) continue;  // an entry without code is skipped
    Snippet s;
    s.name = name;
    s.author = ini_get(section, key("AUTHOR", n), "-----");
    s.description = ini_get(section, key("DESCRIPTION", n), "-----");
    s.code = decode_code(raw);
    array_push(snippets, s);
  }
}

int32_t first_free_number(const TvString& section) {
  int32_t n = 0;
  while (!ini_get(section, key("NAME", n), "").empty()) ++n;
  return n;
}

// A value must stay on its line in the file.
TvString one_line(const TvString& text, const char* line_break) {
  return string_replace_all(string_replace_all(text, "\r", line_break), "\n", line_break);
}

// The catalogue's lock file, held from reading the file to the rename of
// its new copy, so two programs saving at once both land.
struct CatalogueLock {
  PlatformFile file = kNoPlatformFile;
  TvString reason;

  bool take() {
    std::string path = std::string(catalogue_path.c_str()) + ".lock";
    file = platform_file_open_append(path.c_str());
    if (file == kNoPlatformFile) {
      reason = TvString("its lock file cannot be made (") + platform_last_error_text().c_str() + ")";
      return false;
    }
    if (!platform_file_lock(file, catalogue_lock_wait_ms)) {
      reason = TvString("it is being saved by another program (") + platform_last_error_text().c_str() + ")";
      return false;
    }
    return true;
  }
  ~CatalogueLock() {
    if (file != kNoPlatformFile) platform_file_close(file);
  }
};

}  // namespace

TvString load_category(const TvString& category, SnippetArray& snippets) {
  ini_open(catalogue_path);
  read_section(section_name(category), snippets);
  ini_open("");
  return snippet_list_text(snippets);
}

SaveOutcome save_snippet(const TvString& category, SnippetArray& snippets, const Snippet& snippet,
                         const TvString& encoded_code) {
  SaveOutcome out;
  CatalogueLock lock;
  if (!lock.take()) {
    out.reason = lock.reason;
    return out;
  }
  ini_open(catalogue_path);
  if (ini_table.source == IniSource::unreadable) {
    ini_open("");
    out.reason = "the file exists but cannot be read";
    return out;
  }
  TvString section = section_name(category);
  int32_t n = first_free_number(section);
  ini_put(section, key("NAME", n), one_line(snippet.name, " "));
  ini_put(section, key("DESCRIPTION", n), one_line(snippet.description, " "));
  ini_put(section, key("AUTHOR", n), one_line(snippet.author, " "));
  ini_put(section, key("CODE", n), one_line(encoded_code, "|"));

  // written here rather than by the table's own write-back, which cannot
  // tell its caller that it failed
  TvString text = ini_format(ini_table);
  SafeWrite w;
  bool ok = safe_write_begin(w, catalogue_path.c_str());
  if (ok) {
    safe_write_append(w, text.data, text.length);
    ok = safe_write_commit(w);
  }
  ini_table.changed = false;
  if (ok) {
    read_section(section, snippets);  // what the file holds now, others' saves included
    out.saved = true;
    out.list_text = snippet_list_text(snippets);
  } else {
    out.reason = w.error.c_str();
  }
  ini_open("");
  return out;
}
