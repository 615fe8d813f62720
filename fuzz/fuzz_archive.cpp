// Fuzzes the packed-archive reader: the input is the archive file's bytes
// (served as a memory file, or now and then as a disk file); a few
// names are resolved, and each result is read back in full.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "runtime/io/archive.h"
#include "runtime/io/file_stream.h"
#include "runtime/io/memory_files.h"
#include "runtime/platform/platform_files.h"

namespace {

void read_all(const TvString& name) {
  FileStream s;
  if (!stream_open_read(s, name.c_str())) __builtin_trap();  // a result must open
  char buf[4096];
  while (s.position < s.size) {
    int32_t n = s.size - s.position < int32_t(sizeof buf) ? s.size - s.position : int32_t(sizeof buf);
    if (!stream_read(s, buf, n)) break;
  }
  stream_close(s);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  MemoryBlock* block = memory_block_new(int32_t(size));
  if (!block) return 0;
  if (size) std::memcpy(block->bytes, data, size);
  TvString archive = memory_file_name(block);
  // now and then the archive is a disk file, which goes through the read-ahead
  static const std::string disk_copy = platform_temp_dir() + "snipvault_fuzz_archive.bin";
  bool on_disk = size % 8 == 3;
  if (on_disk) {
    PlatformFile f = platform_file_create(disk_copy.c_str());
    bool ok = f != kNoPlatformFile && platform_file_write_at(f, 0, data, int64_t(size));
    platform_file_close(f);
    if (ok) archive = disk_copy.c_str();
  }
  set_archive(archive, archive);

  static const char* const names[] = {"a", "ball.png", "gfx/Ball.PNG", "CODE.INI", "x\\y\\z"};
  TvString dest;
  for (const char* name : names) {
    if (resolve_file(general_resolver, name, dest, true)) read_all(dest);
  }
  // the temporary-file path, now and then (it costs disk writes)
  if (size % 16 == 1 && resolve_file(program_resolver, "a", dest, false)) read_all(dest);
  resolver_release(general_resolver);
  resolver_release(program_resolver);
  memory_block_release(block);
  if (on_disk) platform_file_delete(disk_copy.c_str());
  if (memory_block_count() != 0) __builtin_trap();  // nothing may leak out of the table
  return 0;
}
