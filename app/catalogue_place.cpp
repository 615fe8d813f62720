// catalogue_place.cpp - choosing the catalogue's folder at start-up.
#include "app/catalogue_place.h"

#include <memory>

#include "app/catalogue.h"
#include "runtime/io/file_stream.h"
#include "runtime/io/filesystem.h"
#include "runtime/io/safe_write.h"
#include "runtime/platform/platform_files.h"

namespace {

void make_folders(const TvString& path) {
  std::string p = path.c_str();
  for (size_t slash = p.find('/', 1); slash != std::string::npos; slash = p.find('/', slash + 1))
    make_dir(TvString(p.substr(0, slash).c_str()));
  make_dir(path);
}

bool copy_file(const TvString& from, const TvString& to) {
  FileStream s;
  if (!stream_open_read(s, from.c_str())) return false;
  std::unique_ptr<char[]> bytes(new char[size_t(s.size) + 1]);
  bool ok = s.size == 0 || stream_read(s, bytes.get(), s.size);
  int32_t n = s.size;
  stream_close(s);
  return ok && safe_write_file(to.c_str(), bytes.get(), size_t(n));
}

}  // namespace

TvString user_data_folder() {
  TvString base = get_env("XDG_DATA_HOME");
  if (base.empty() || base.data[0] != '/') base = get_env("HOME") + "/.local/share";
  return base + "/snipvault";
}

TvString choose_catalogue_place(const TvString& program_folder) {
  TvString folder = program_folder;
  while (folder.length > 1 && folder.data[folder.length - 1] == '/') string_truncate(folder, folder.length - 1);
  if (folder.empty()) folder = ".";
  if (platform_dir_writable(folder.c_str())) {
    catalogue_path = folder + "/CODE.INI";
    return catalogue_path;
  }
  TvString user = user_data_folder();
  make_folders(user);
  TvString target = user + "/CODE.INI";
  if (!platform_file_exists(target.c_str())) {
    // the sample sits beside the program or in the install's share folder
    if (!copy_file(folder + "/CODE.INI", target))
      copy_file(folder + "/../share/snipvault/CODE.INI", target);
  }
  catalogue_path = target;
  return catalogue_path;
}
