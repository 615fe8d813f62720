// archive_pack.h - building the packed archive that resolve_file reads:
// entries compressed with LZO1X-1 and appended to a carrier file (as a rule
// the program's own executable) together with their directory and trailer.
// All stored offsets count from the end, so the archive stays valid
// wherever it ends up.
#pragma once
#include <string>
#include <vector>

struct PackInput {
  std::string name;   // entry name, 1 to 255 bytes, no "/" or "\"
  std::string bytes;  // unpacked content
};

// Appends the entries to `carrier`. An archive already at the end of the
// carrier is extended: its entries stay reachable, and a new entry of the
// same name (ASCII case ignored) is found first.
bool archive_pack(std::string& carrier, const std::vector<PackInput>& entries,
                  std::string& error);

// Appends files (entry name = their base name) to the file at
// `carrier_path`, which is created if missing and replaced crash-safely.
bool archive_pack_files(const char* carrier_path, const std::vector<std::string>& files,
                        std::string& error);
