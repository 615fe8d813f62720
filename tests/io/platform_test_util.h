// platform_test_util.h - scratch directories, small files and environment
// control shared by the file-system and platform tests.
#pragma once
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>

#include "runtime/io/filesystem.h"

namespace platform_test {

namespace fs = std::filesystem;

// A fresh directory under the temporary directory, removed at the end.
struct ScratchDir {
  fs::path path;
  ScratchDir() {
    std::random_device rd;
    path = fs::temp_directory_path() / ("svplat-" + std::to_string(rd()) + std::to_string(rd()));
    fs::create_directories(path);
  }
  ~ScratchDir() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
  std::string str() const { return path.string(); }
  std::string operator/(const std::string& name) const { return (path / name).string(); }
};

inline void write_file(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

inline std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void write_script(const std::string& path, const std::string& body) {
  write_file(path, "#!/bin/sh\n" + body);
  fs::permissions(path, fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read);
}

// Waits up to two seconds for a file another process writes.
inline bool wait_for_file(const std::string& path) {
  for (int i = 0; i < 200; ++i) {
    if (fs::exists(path) && fs::file_size(path) > 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

// Sets (or with nullptr removes) a variable and puts the old value back.
struct EnvGuard {
  std::string name, old;
  bool had;
  EnvGuard(const char* n, const char* value) : name(n) {
    std::string all = get_env(TvString("")).c_str();
    had = all.find("\n" + name + "=") != std::string::npos || all.rfind(name + "=", 0) == 0;
    old = get_env(TvString(n)).c_str();
    put_env(TvString(n), TvString(value ? value : ""));
  }
  ~EnvGuard() { put_env(TvString(name.c_str()), TvString(had ? old.c_str() : "")); }
};

// Keeps the current directory as it was.
struct CwdGuard {
  fs::path old = fs::current_path();
  ~CwdGuard() {
    std::error_code ec;
    fs::current_path(old, ec);
  }
};

}  // namespace platform_test
