// catalogue_scan.h - every snippet of CODE.INI found in one pass over the
// file's bytes, for the search and the command line, which read the whole
// catalogue at once: values are spans of the bytes read, nothing is copied
// per value and code stays in its stored form ("|" for each line break).
//
// What it finds is what the viewer shows (catalogue.h): the first section
// of each category's name holding a kept key, entries 0 .. the first absent
// NAMEn, the first key of each field, entries without code skipped, missing
// descriptions and authors "-----"; lines end at CR, LF or CR LF; a UTF-8
// file (a byte-order mark, or valid UTF-8 with bytes above 127) is read as
// Latin-1, characters beyond it as "?".
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

#include "runtime/platform/large_blocks.h"
#include "runtime/values/tv_string.h"

enum ScanField : int32_t { kScanName, kScanDescription, kScanAuthor, kScanCode, kScanFieldCount };

struct ScanText {
  const char* data;
  uint32_t length;
};

struct ScanEntry {
  ScanText field[kScanFieldCount];  // code in its stored form
  int32_t category;                 // tab order
  int32_t number;                   // n of NAMEn
};

// A block for a whole file's text: mapped so that the system can back it
// with huge pages, since faulting in 4 KiB pages costs more than reading.
using ScanBlock = std::unique_ptr<char, PlatformLargeDeleter>;
ScanBlock scan_block(size_t bytes);

// The same for the arrays a whole catalogue fills: from 64 KiB on, each
// has a block of at least one huge page (2 MiB) of its own.
template <class T>
struct ScanAllocator {
  using value_type = T;
  static constexpr size_t kLarge = size_t(64) << 10, kHugePage = size_t(2) << 20;
  ScanAllocator() = default;
  template <class U>
  ScanAllocator(const ScanAllocator<U>&) {}
  static size_t block_size(size_t n) {
    size_t bytes = n * sizeof(T);
    return bytes < kLarge ? bytes : bytes < kHugePage ? kHugePage : bytes;
  }
  T* allocate(size_t n) {
    if (n * sizeof(T) < kLarge) return std::allocator<T>().allocate(n);
    void* p = platform_alloc_large(block_size(n));
    if (!p) throw std::bad_alloc();
    return static_cast<T*>(p);
  }
  void deallocate(T* p, size_t n) {
    if (n * sizeof(T) < kLarge) std::allocator<T>().deallocate(p, n);
    else platform_free_large(p, block_size(n));
  }
  template <class U>
  bool operator==(const ScanAllocator<U>&) const { return true; }
  template <class U>
  bool operator!=(const ScanAllocator<U>&) const { return false; }
};
template <class T>
using ScanVector = std::vector<T, ScanAllocator<T>>;

// A kept key of a category's section.
struct ScanKey {
  const char* value;
  uint32_t length;
  int32_t field;
  int32_t number;
};

struct CatalogueScan {
  ScanBlock block;        // the Latin-1 text the spans point into
  size_t size = 0;
  ScanVector<ScanEntry> entries;  // by category, then number
  // working room of the scan, kept so that a reload needs no new memory
  ScanVector<ScanKey> keys;
  ScanVector<ScanEntry> slots;
};

// Reads and scans the file; a missing file is an empty catalogue. False
// (with `reason`, and no entries) when the file exists but cannot be read.
bool catalogue_scan_file(CatalogueScan& scan, const TvString& path, TvString& reason);
// Scans bytes already read (the first n of `bytes`).
void catalogue_scan_bytes(CatalogueScan& scan, ScanBlock bytes, size_t n);
