// io_test_util.h - a scratch folder per test and small file helpers.
#pragma once
#include <filesystem>
#include <fstream>
#include <sstream>
#include <random>
#include <string>

namespace iotest {

inline std::string make_scratch_dir(const char* tag) {
  static int serial = 0;
  std::filesystem::path p = std::filesystem::temp_directory_path() /
                            ("snipvault_io_" + std::string(tag) + "_" + std::to_string(std::random_device{}()) +
                             "_" + std::to_string(++serial));
  std::filesystem::remove_all(p);
  std::filesystem::create_directories(p);
  return p.string();
}

inline void write_bytes(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), std::streamsize(bytes.size()));
}

inline std::string read_bytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

inline size_t count_entries(const std::string& dir) {
  size_t n = 0;
  for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir)) ++n;
  return n;
}

struct ScratchDir {
  std::string path;
  explicit ScratchDir(const char* tag) : path(make_scratch_dir(tag)) {}
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::permissions(path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path, ec);
  }
  std::string operator/(const std::string& name) const { return path + "/" + name; }
};

}  // namespace iotest
