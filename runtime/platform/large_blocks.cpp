// large_blocks.cpp - large blocks by anonymous mappings aligned to 2 MiB,
// and the heap's free pages given back.
#include "runtime/platform/large_blocks.h"

#include <malloc.h>
#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>

namespace {
constexpr size_t huge_page = size_t(2) << 20;
// smaller blocks stay with the allocator: a mapping costs a system call and
// a huge page would be mostly wasted
constexpr size_t large_from = huge_page;

size_t mapped_size(size_t bytes) { return (bytes + huge_page - 1) & ~(huge_page - 1); }
}  // namespace

void* platform_alloc_large(size_t bytes) {
  if (bytes < large_from) return std::calloc(bytes ? bytes : 1, 1);
  size_t size = mapped_size(bytes);
  if (size < bytes) return nullptr;
  // map one huge page more and trim, so the block starts on a 2 MiB boundary
  void* raw = mmap(nullptr, size + huge_page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return nullptr;
  uintptr_t start = uintptr_t(raw), aligned = (start + huge_page - 1) & ~uintptr_t(huge_page - 1);
  if (aligned > start) munmap(raw, aligned - start);
  uintptr_t end = aligned + size, raw_end = start + size + huge_page;
  if (raw_end > end) munmap(reinterpret_cast<void*>(end), raw_end - end);
  void* block = reinterpret_cast<void*>(aligned);
  madvise(block, size, MADV_HUGEPAGE);  // only advice: without it the block still works
  return block;
}

void platform_free_large(void* block, size_t bytes) {
  if (!block) return;
  if (bytes < large_from) {
    std::free(block);
    return;
  }
  munmap(block, mapped_size(bytes));
}

void platform_return_free_memory() { malloc_trim(0); }
