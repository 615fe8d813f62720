// platform_test_util.h - scripts, waiting for files, and environment and
// current-directory guards shared by the file-system and platform tests.
#pragma once
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "runtime/io/filesystem.h"
#include "tests/support/scratch_dir.h"

namespace fs = std::filesystem;

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

