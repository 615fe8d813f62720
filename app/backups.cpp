// backups.cpp - the run's copy of the catalogue and the pruning of old ones.
#include "app/backups.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "runtime/io/safe_write.h"
#include "runtime/platform/dirs.h"
#include "runtime/platform/log.h"
#include "runtime/platform/platform_files.h"

namespace {

struct NameParts {
  std::string folder;  // with a trailing "/", or ""
  std::string stem;    // "CODE"
  std::string ext;     // ".INI", or ""
};

NameParts split(const TvString& path) {
  std::string p = path.c_str();
  NameParts out;
  size_t slash = p.rfind('/');
  if (slash != std::string::npos) {
    out.folder = p.substr(0, slash + 1);
    p = p.substr(slash + 1);
  }
  size_t dot = p.rfind('.');
  out.stem = dot == std::string::npos || dot == 0 ? p : p.substr(0, dot);
  out.ext = dot == std::string::npos || dot == 0 ? "" : p.substr(dot);
  return out;
}

bool read_all(const std::string& path, std::string& out, bool& missing) {
  missing = !platform_file_exists(path.c_str());
  if (missing) return false;
  PlatformFile f = platform_file_open_read(path.c_str());
  if (f == kNoPlatformFile) return false;
  int64_t size = platform_file_size(f);
  bool ok = size >= 0;
  if (ok) {
    out.resize(size_t(size));
    ok = platform_file_read_at(f, 0, out.data(), size) == size;
  }
  platform_file_close(f);
  return ok;
}

// A copy made by this code: the stem, "-", a stamp of 19 characters, maybe a
// "-n" of a second copy within the same second, the extension.
bool is_copy(const std::string& name, const NameParts& parts) {
  size_t head = parts.stem.size() + 1;
  if (name.size() < head + 19 + parts.ext.size()) return false;
  if (name.compare(0, parts.stem.size(), parts.stem) != 0 || name[parts.stem.size()] != '-') return false;
  if (name.compare(name.size() - parts.ext.size(), parts.ext.size(), parts.ext) != 0) return false;
  const char* shape = "dddd-dd-dd_dd-dd-dd";
  for (size_t i = 0; i < 19; ++i) {
    char c = name[head + i];
    if (shape[i] == 'd' ? (c < '0' || c > '9') : c != shape[i]) return false;
  }
  return true;
}

// Oldest first: by the stamp, then a second copy of the same second ("-2")
// after the first.
bool older(const std::string& a, const std::string& b, size_t stamp_at) {
  int c = a.compare(stamp_at, 19, b, stamp_at, 19);
  if (c != 0) return c < 0;
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

void prune(const std::string& folder, const NameParts& parts, int32_t keep) {
  std::vector<PlatformDirEntry> entries;
  if (!platform_list_dir(folder.c_str(), entries)) return;
  std::vector<std::string> copies;
  for (const PlatformDirEntry& e : entries)
    if (!e.is_dir && is_copy(e.name, parts)) copies.push_back(e.name);
  size_t stamp_at = parts.stem.size() + 1;
  std::sort(copies.begin(), copies.end(),
            [&](const std::string& a, const std::string& b) { return older(a, b, stamp_at); });
  for (size_t i = 0; i + size_t(std::max(keep, 0)) < copies.size(); ++i)
    platform_file_delete((folder + copies[i]).c_str());
}

}  // namespace

TvString backup_folder(const TvString& catalogue_path) {
  return TvString((split(catalogue_path).folder + "backups").c_str());
}

TvString backup_file_name(const TvString& catalogue_path, const PlatformLocalTime& t) {
  NameParts parts = split(catalogue_path);
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "-%04d-%02d-%02d_%02d-%02d-%02d", t.year, t.month, t.day, t.hour, t.minute,
                t.second);
  return TvString((parts.stem + stamp + parts.ext).c_str());
}

void backup_before_change(Backups& b, const TvString& catalogue_path) {
  if (b.tried) return;
  b.tried = true;
  std::string bytes;
  bool missing = false;
  std::string reason;
  if (!read_all(catalogue_path.c_str(), bytes, missing)) {
    if (missing) return;  // nothing to keep yet
    reason = "it cannot be read (" + platform_last_error_text() + ")";
  }
  std::string folder = std::string(backup_folder(catalogue_path).c_str()) + "/";
  std::string name = backup_file_name(catalogue_path, platform_local_time()).c_str();
  NameParts parts = split(catalogue_path);
  if (reason.empty() && !platform_is_directory(folder.c_str()) && !platform_make_dir(folder.c_str()))
    reason = "the folder cannot be made (" + platform_last_error_text() + ")";
  if (reason.empty()) {
    std::string path = folder + name;
    // a second run within the same second gets a name of its own
    for (int n = 2; platform_file_exists(path.c_str()) && n < 100; ++n)
      path = folder + name.substr(0, name.size() - parts.ext.size()) + "-" + std::to_string(n) + parts.ext;
    if (safe_write_file(path.c_str(), bytes.data(), bytes.size())) {
      b.made = path.c_str();
      prune(folder, parts, b.keep);
      return;
    }
    reason = "it cannot be written (" + platform_last_error_text() + ")";
  }
  log_line("No backup of " + std::string(catalogue_path.c_str()) + " before this run's first change: " + reason);
}
