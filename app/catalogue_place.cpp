// catalogue_place.cpp - choosing the catalogue's file at start-up, and what
// to tell the user about that choice.
#include "app/catalogue_place.h"

#include <string>

#include "app/catalogue.h"
#include "runtime/io/filesystem.h"
#include "runtime/io/safe_write.h"
#include "runtime/platform/clipboard.h"
#include "runtime/platform/log.h"
#include "runtime/platform/platform_files.h"

namespace {

std::string bytes_of(const TvString& s) { return std::string(s.data, s.length); }
// A path as a message shows it.
std::string shown(const std::string& path) { return platform_utf8_to_latin1_lossy(path); }

bool make_folders(const std::string& p) {
  for (size_t slash = p.find('/', 1); slash != std::string::npos; slash = p.find('/', slash + 1))
    make_dir(TvString(p.substr(0, slash).c_str()));
  make_dir(TvString(p.c_str()));
  return is_directory(TvString(p.c_str())) != 0;
}

bool read_all(const std::string& path, std::string& out) {
  PlatformOpenStatus status;
  PlatformFile f = platform_file_open_regular(path.c_str(), false, false, status);
  if (f == kNoPlatformFile) return false;
  out.clear();
  char chunk[1 << 16];
  int64_t at = 0, n = 0;
  while ((n = platform_file_read_at(f, at, chunk, sizeof chunk)) > 0) {
    out.append(chunk, size_t(n));
    at += n;
  }
  platform_file_close(f);
  return n == 0;
}

bool copy_file(const std::string& from, const std::string& to) {
  std::string bytes;
  return read_all(from, bytes) && safe_write_file(to.c_str(), bytes.data(), bytes.size());
}

std::string base_name(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// "" when the catalogue in use can be read (or does not exist yet).
std::string unreadable_note(const std::string& path) {
  std::string target;
  if (platform_dangling_link(path.c_str(), target))
    return "It is a symbolic link to " + shown(target) + ", which does not exist. ";
  PlatformOpenStatus status;
  PlatformFile f = platform_file_open_regular(path.c_str(), false, false, status);
  if (f != kNoPlatformFile) {
    platform_file_close(f);
    return "";
  }
  if (status == PlatformOpenStatus::missing) return "";
  if (status == PlatformOpenStatus::not_regular) return "It is not a plain file (a pipe, a device or a folder). ";
  return "It cannot be read (" + platform_last_error_text() + "). ";
}

}  // namespace

TvString user_data_folder() {
  TvString base = get_env("XDG_DATA_HOME");
  if (base.empty() || base.data[0] != '/') base = get_env("HOME") + "/.local/share";
  return base + "/snipvault";
}

CataloguePlace choose_catalogue_place(const TvString& program_folder) {
  std::string folder = bytes_of(program_folder);
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  if (folder.empty()) folder = ".";
  std::string own = folder + "/CODE.INI";
  std::string shared = folder + "/../share/snipvault";
  bool system_wide = base_name(folder) == "bin" && is_directory(TvString(shared.c_str()));
  CataloguePlace place;
  std::string notice;
  std::string path = own;
  if (system_wide || !platform_dir_writable(folder.c_str())) {
    std::string user = bytes_of(user_data_folder());
    path = user + "/CODE.INI";
    if (!make_folders(user)) {
      notice = "The folder for your catalogue, " + shown(user) + ", cannot be made (" + platform_last_error_text() +
               "). ";
      log_line("The catalogue's folder cannot be made: " + user);
    } else if (!platform_file_exists(path.c_str())) {
      // the sample sits beside the program or in the install's share folder
      std::string sample = platform_file_exists(own.c_str()) ? own : shared + "/CODE.INI";
      if (!copy_file(sample, path)) log_line("The sample catalogue could not be copied from " + sample + " to " + path);
    }
    std::string mine, theirs;
    if (platform_file_exists(own.c_str()) && read_all(own, theirs) && (!read_all(path, mine) || mine != theirs))
      notice += shown(own) + " is not used, since " +
                (system_wide ? "the folder of a system-wide install is never written. "
                             : "the program's folder cannot be written. ");
  }
  std::string unreadable = unreadable_note(path);
  if (!notice.empty() || !unreadable.empty())
    notice = "Your snippets are read from and saved to " + shown(path) + ". " + unreadable + notice;
  while (!notice.empty() && notice.back() == ' ') notice.pop_back();
  place.path = TvString(path.data(), uint32_t(path.size()));
  place.notice = TvString(notice.data(), uint32_t(notice.size()));
  if (!notice.empty()) log_line(notice);
  return place;
}
