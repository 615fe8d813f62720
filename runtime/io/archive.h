// archive.h - the packed archive appended to a file, and resolve_file, the
// one lookup every loader opens names through: a disk file, a memory file,
// or an entry of the archive unpacked into memory or into a temporary file.
//
// The archive's layout is in archive_format.h. Every offset, size and name length is checked against the archive file
// before anything is read; data that does not decode fails the resolve.
#pragma once
#include <cstdint>

#include "runtime/io/memory_files.h"
#include "runtime/values/tv_string.h"

struct PackResolver {
  bool enabled = false;
  TvString archive;              // the archive's file name
  MemoryBlock* block = nullptr;  // last entry unpacked into memory
  TvString temp_file;            // last entry unpacked into a temporary file
};

// General files, and the second archive set by the program with set_archive.
extern PackResolver general_resolver;
extern PackResolver program_resolver;

// Releases the previous result, then resolves `name`; `destination` receives
// the name to open (the name itself, a "mem://" name, or a temporary path).
bool resolve_file(PackResolver& resolver, const TvString& name, TvString& destination,
                  bool to_memory);
bool resolve_file(PackResolver& resolver, const char* name, TvString& destination,
                  bool to_memory);
// Stores both archive names and switches both resolvers on.
void set_archive(const TvString& general_archive, const TvString& program_archive);
// Frees the block and deletes the temporary file a resolver still holds.
void resolver_release(PackResolver& resolver);
