// scratch_dir.h - a fresh folder per use under the temporary directory,
// removed with everything in it at the end, and small whole-file helpers.
#pragma once
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

struct ScratchDir {
  std::filesystem::path path;
  explicit ScratchDir(const char* tag = "scratch") {
    static int serial = 0;
    // taken once: tests point TMPDIR at scratch folders that come and go
    static const std::filesystem::path base = std::filesystem::temp_directory_path();
    path = base /
           ("snipvault_" + std::string(tag) + "_" + std::to_string(std::random_device{}()) + "_" +
            std::to_string(++serial));
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
  }
  ~ScratchDir() {
    // a test may have taken its own write permission away
    std::error_code ec;
    std::filesystem::permissions(path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  std::string str() const { return path.string(); }
  std::string operator/(const std::string& name) const { return (path / name).string(); }
};

inline void write_file(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), std::streamsize(bytes.size()));
}

// The whole file; empty when it cannot be read.
inline std::string read_file(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

inline size_t count_entries(const std::filesystem::path& dir) {
  size_t n = 0;
  for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir)) ++n;
  return n;
}
