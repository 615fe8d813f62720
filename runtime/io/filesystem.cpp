// filesystem.cpp - directory, file-test and environment operations over the
// platform layer (runtime/platform/dirs.h, env.h).
#include "runtime/io/filesystem.h"

#include <string>
#include <vector>

#include "runtime/io/file_stream.h"
#include "runtime/platform/dirs.h"
#include "runtime/platform/env.h"
#include "runtime/platform/platform_files.h"
#include "runtime/values/errors.h"
#include "runtime/values/ascii_case.h"

namespace {

TvString text_of(const std::string& s) { return TvString(s.data(), uint32_t(s.size())); }

// ASCII case ignored; names equal but for case keep a fixed byte order.
int compare_names(const TvString& a, const TvString& b) {
  int blind = ascii_compare_blind(a.c_str(), b.c_str());
  return blind ? blind : string_compare(a.c_str(), b.c_str());
}

}  // namespace

TvString get_current_dir() {
  std::string dir;
  if (!platform_get_current_dir(dir)) return TvString();
  if (dir.empty() || dir.back() != '/') dir += '/';
  return text_of(dir);
}

double set_current_dir(const TvString& path) {
  set_error(0);
  if (!platform_set_current_dir(path.c_str())) {
    set_error(ERR_NO_SUCH_FILE);
    return 0;
  }
  return 1;
}

double list_directory(const TvString& filter, TvStringArray& destination) {
  std::vector<PlatformDirEntry> entries;
  if (!platform_list_dir(".", entries)) {
    array_dim(destination, 0);
    return 0;
  }
  TvStringArray dirs, files;
  for (const PlatformDirEntry& e : entries) {
    if (e.is_dir)
      array_push(dirs, text_of(e.name));
    else if (filter_match(e.name.c_str(), filter.c_str()))
      array_push(files, text_of(e.name));
  }
  array_sort(dirs, compare_names);
  array_sort(files, compare_names);
  int32_t nd = array_total(dirs), nf = array_total(files);
  array_dim(destination, nd + nf);
  for (int32_t i = 0; i < nd; ++i) string_swap(destination(i), dirs(i));
  for (int32_t i = 0; i < nf; ++i) string_swap(destination(nd + i), files(i));
  return double(nf) + 65536.0 * double(nd);
}

bool filter_match(const char* name, const char* pattern) {
  if (pattern[0] == '*' && pattern[1] == '.' && pattern[2] == '*' && pattern[3] == 0) return true;
  const char* n = name;
  const char* p = pattern;
  const char* star_p = nullptr;  // pattern just after the most recent star
  const char* star_n = nullptr;  // where that star's run currently ends
  while (*n) {
    if (*p == '*') {
      while (*p == '*') ++p;
      if (!*p) return true;
      star_p = p;
      star_n = n;
      continue;
    }
    if (*p && (*p == '?' ? *n != '.' : ascii_lower(*p) == ascii_lower(*n))) {
      ++n;
      ++p;
      continue;
    }
    if (!star_p) return false;
    n = ++star_n;
    p = star_p;
  }
  while (*p == '*') ++p;
  return *p == 0;
}

int32_t file_exists(const TvString& name) {
  // the packed archive is not asked: only what opens as it stands counts
  FileStream s;
  if (!stream_open_read(s, name.c_str())) return 0;
  stream_close(s);
  return 1;
}

int32_t is_directory(const TvString& name) { return platform_is_directory(name.c_str()) ? 1 : 0; }

int32_t file_delete(const TvString& name) { return platform_file_delete(name.c_str()) ? 1 : 0; }

int32_t make_dir(const TvString& name) { return platform_make_dir(name.c_str()) ? 1 : 0; }

void path_to_slashes(TvString& text) {
  for (uint32_t i = 0; i < text.length; ++i)
    if (text.data[i] == '\\') text.data[i] = '/';
}

TvString get_env(const TvString& name) {
  if (name.empty()) {
    TvString all;
    for (const std::string& entry : platform_environment()) {
      string_append_bytes(all, entry.data(), uint32_t(entry.size()));
      string_append_char(all, '\n');
    }
    return all;
  }
  std::string value;
  platform_get_env(name.c_str(), value);
  return text_of(value);
}

void put_env(const TvString& name, const TvString& value) {
  if (name.empty()) return;
  if (value.empty())
    platform_unset_env(name.c_str());
  else
    platform_set_env(name.c_str(), value.c_str());
}
