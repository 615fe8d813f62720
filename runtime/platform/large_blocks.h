// large_blocks.h - zero-filled blocks for large working arrays that live
// for one operation (the path finder's per-cell arrays). Blocks of a few
// megabytes are mapped so that the system may back them with huge pages:
// one fault and one TLB entry per 2 MiB instead of per 4 KiB, which decides
// the speed of a search that wanders over a whole large map. Also: handing
// the heap's free pages back to the system once a program comes to rest.
#pragma once
#include <cstddef>

// A zero-filled block of `bytes`, or null when there is no memory. Free it
// with platform_free_large and the same size.
void* platform_alloc_large(size_t bytes);
void platform_free_large(void* block, size_t bytes);

// Owns one such block; `bytes` is what it was allocated with.
struct PlatformLargeDeleter {
  size_t bytes = 0;
  void operator()(void* block) const { platform_free_large(block, bytes); }
};

// Gives the free pages inside the heap back to the system. A burst of short
// lived allocations (the GL driver compiling its shaders for a new kind of
// drawing) leaves them resident otherwise, long after the memory was freed.
void platform_return_free_memory();
