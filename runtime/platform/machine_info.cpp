// machine_info.cpp - Linux sources of the facts in machine_info.h: /etc/machine-id,
// statvfs, /sys/class/power_supply, the locale variables and
// $XDG_CONFIG_HOME/user-dirs.dirs.
#include "runtime/platform/machine_info.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>

namespace {

bool read_small_file(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  text = s.str();
  return true;
}

std::string trimmed(std::string s) {
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ' || s.back() == '\t'))
    s.pop_back();
  return s;
}

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool platform_fold_machine_id(const std::string& text, uint32_t& serial) {
  std::string id = trimmed(text);
  if (id.size() != 32) return false;
  uint32_t folded = 0;
  for (size_t word = 0; word < 4; ++word) {
    uint32_t w = 0;
    for (size_t i = 0; i < 8; ++i) {
      int v = hex_value(id[word * 8 + i]);
      if (v < 0) return false;
      w = (w << 4) | uint32_t(v);
    }
    folded ^= w;
  }
  serial = folded;
  return true;
}

bool platform_machine_serial(uint32_t& serial) {
  std::string text;
  for (const char* p : {"/etc/machine-id", "/var/lib/dbus/machine-id"}) {
    if (read_small_file(p, text) && platform_fold_machine_id(text, serial)) return true;
  }
  struct statvfs vfs;
  if (statvfs("/", &vfs) == 0 && vfs.f_fsid != 0) {
    uint64_t id = uint64_t(vfs.f_fsid);
    serial = uint32_t(id) ^ uint32_t(id >> 32);
    return true;
  }
  return false;
}

int platform_battery_percent(const char* supply_dir) {
  DIR* d = opendir(supply_dir);
  if (!d) return 255;
  long total = 0;
  int count = 0;
  while (struct dirent* e = readdir(d)) {
    if (e->d_name[0] == '.') continue;
    std::string base = std::string(supply_dir) + "/" + e->d_name + "/";
    std::string type, capacity;
    if (!read_small_file(base + "type", type) || trimmed(type) != "Battery") continue;
    if (!read_small_file(base + "capacity", capacity)) continue;
    capacity = trimmed(capacity);
    char* end = nullptr;
    long v = std::strtol(capacity.c_str(), &end, 10);
    if (capacity.empty() || *end != 0 || v < 0 || v > 100) continue;
    total += v;
    ++count;
  }
  closedir(d);
  if (count == 0) return 255;
  return int(total / count);
}

std::string platform_user_language() {
  const char* value = nullptr;
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* v = std::getenv(name);
    if (v && *v) {
      value = v;
      break;
    }
  }
  if (!value) return "";
  std::string lang(value, std::strcspn(value, "_.@"));
  if (lang == "C" || lang == "POSIX") return "";
  return lang;
}

namespace {

// One value of user-dirs.dirs: "$HOME/Documents" or "/abs/path", with the
// shell's backslash escapes.
bool parse_user_dir_value(const std::string& raw, const std::string& home, std::string& out) {
  size_t open = raw.find('"');
  if (open == std::string::npos) return false;
  std::string v;
  size_t i = open + 1;
  for (; i < raw.size() && raw[i] != '"'; ++i) {
    if (raw[i] == '\\' && i + 1 < raw.size()) ++i;
    v += raw[i];
  }
  if (i >= raw.size()) return false;
  if (v.rfind("$HOME", 0) == 0 && (v.size() == 5 || v[5] == '/')) {
    if (home.empty()) return false;
    v = home + v.substr(5);
  } else if (v.empty() || v[0] != '/') {
    return false;
  }
  out = v;
  return true;
}

}  // namespace

bool platform_documents_dir(std::string& dir) {
  const char* h = std::getenv("HOME");
  std::string home = h ? h : "";
  const char* cfg = std::getenv("XDG_CONFIG_HOME");
  std::string config = (cfg && cfg[0] == '/') ? std::string(cfg) : (home.empty() ? "" : home + "/.config");
  std::string found;
  std::string text;
  if (!config.empty() && read_small_file(config + "/user-dirs.dirs", text)) {
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
      size_t start = line.find_first_not_of(" \t");
      if (start == std::string::npos || line[start] == '#') continue;
      if (line.compare(start, 18, "XDG_DOCUMENTS_DIR=") != 0) continue;
      std::string v;
      if (parse_user_dir_value(line.substr(start + 18), home, v)) found = v;
    }
  }
  if (found.empty() && !home.empty()) {
    struct stat st;
    std::string guess = home + "/Documents";
    if (stat(guess.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) found = guess;
  }
  while (found.size() > 1 && found.back() == '/') found.pop_back();
  if (found.empty()) return false;
  dir = found;
  return true;
}

PlatformLocalTime platform_local_time() {
  std::time_t now = std::time(nullptr);
  struct tm t{};
  localtime_r(&now, &t);
  return {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec};
}
