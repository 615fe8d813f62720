// platform_files.h - the thin layer of disk-file calls the runtime's file
// code sits on (POSIX here). Everything above it speaks in PlatformFile
// handles and byte offsets; nothing above it includes an OS header.
//
// Reads and writes take an explicit offset, so the runtime keeps its own
// file position and never depends on the OS file pointer.
#pragma once
#include <cstdint>
#include <string>

using PlatformFile = int;
constexpr PlatformFile kNoPlatformFile = -1;

// Opens an existing regular file for reading; directories are refused.
PlatformFile platform_file_open_read(const char* path);
// Deletes the file and creates it anew, read and write access.
PlatformFile platform_file_create(const char* path);
// Opens for writing, creating the file when it is missing.
PlatformFile platform_file_open_append(const char* path);
// Creates a file that must not exist yet (no symlink is followed), mode 0600.
PlatformFile platform_file_create_exclusive(const char* path);
// Creates a new file with a unique name next to `target` (mode 0666 less the
// umask) and stores its path in `temp_path`. The file is locked until closed.
PlatformFile platform_file_create_beside(const char* target, std::string& temp_path);
// Deletes the files platform_file_create_beside made for `target` that no
// open handle holds any more (left by a process that died before its rename);
// gives the number deleted.
int platform_remove_dead_temps(const char* target);

// How opening a file that must be a regular one went.
enum class PlatformOpenStatus { ok, missing, not_regular, denied, failed };
// Opens a regular file for reading (or reading and writing, `create`
// making it when missing) without ever waiting: a named pipe, a device or a
// folder is refused with not_regular instead of blocking the caller.
PlatformFile platform_file_open_regular(const char* path, bool write, bool create, PlatformOpenStatus& status);
// Whether the file's permission bits forbid writing it: no write bit at all
// (which counts even for root), or none for this process.
bool platform_file_write_protected(const char* path);
// True when `path` is a symbolic link whose chain ends at nothing; `target`
// gets the path it names.
bool platform_dangling_link(const char* path, std::string& target);

// An exclusive advisory lock on an open file, waiting up to timeout_ms; the
// lock ends with platform_file_unlock, the handle's close or the process.
bool platform_file_lock(PlatformFile f, int timeout_ms);
// The same, telling a lock held elsewhere (busy) from a failing call.
enum class PlatformLock { taken, busy, failed };
PlatformLock platform_file_lock_wait(PlatformFile f, int timeout_ms);
void platform_file_unlock(PlatformFile f);
bool platform_dir_writable(const char* dir);
// Why the last failed file call failed, in words.
std::string platform_last_error_text();

// Bytes read (fewer at the end of the file), or -1 on an error.
int64_t platform_file_read_at(PlatformFile f, int64_t offset, void* dst, int64_t n);
// True only when all n bytes were written.
bool platform_file_write_at(PlatformFile f, int64_t offset, const void* src, int64_t n);
// -1 when the size cannot be had.
int64_t platform_file_size(PlatformFile f);
bool platform_file_sync(PlatformFile f);
void platform_file_close(PlatformFile f);

// Removes a file (never a directory).
bool platform_file_delete(const char* path);
bool platform_file_rename(const char* from, const char* to);
// Anything at that path: file, folder or other.
bool platform_file_exists(const char* path);
bool platform_dir_sync(const char* dir);

// Permission bits and owner of an existing file; false when it does not exist.
struct PlatformFileMode {
  uint32_t mode = 0;
  uint32_t owner = 0;
  uint32_t group = 0;
  int64_t modified_ns = 0;  // last change of the content
};
bool platform_file_mode(const char* path, PlatformFileMode& out);
// Gives an open file the bits and owner of `mode` (owner change may fail
// quietly for a user who may not give files away).
bool platform_file_set_mode(PlatformFile f, const PlatformFileMode& mode);
// The file a chain of symbolic links ends at; the path itself when it is no
// link or cannot be followed.
std::string platform_link_target(const char* path);

// The temporary directory with a trailing "/".
std::string platform_temp_dir();
