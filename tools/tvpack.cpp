// tvpack - appends files to a file as a packed archive that the runtime's
// resolve_file finds by base name (typically: the program's own executable,
// so it carries its data with it).
//
//   tvpack CARRIER FILE...
//
// Each FILE is stored under its base name, compressed with LZO1X-1. An
// archive already at the end of CARRIER is extended; a file of the same name
// replaces the older entry. CARRIER is created if it does not exist.
#include <cstdio>
#include <string>
#include <vector>

#include "runtime/io/archive_pack.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s CARRIER FILE...\n", argv[0]);
    return 2;
  }
  std::vector<std::string> files(argv + 2, argv + argc);
  std::string error;
  if (!archive_pack_files(argv[1], files, error)) {
    std::fprintf(stderr, "tvpack: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
