// memory_files.h - blocks of memory that can be opened like files under a
// name of the form "mem://%8x.%8x" (size, identifier).
//
// The identifier is a key into a table of live blocks, never an address: a
// name whose identifier is not in the table is not a file, and a name whose
// size field claims more than the block holds is refused. Blocks are counted
// references: the maker holds one, and every stream reading the block holds
// one, so a block the maker lets go stays valid for readers still on it.
#pragma once
#include <cstdint>

#include "runtime/values/tv_string.h"

struct MemoryBlock {
  char* bytes = nullptr;
  int32_t size = 0;
  uint32_t id = 0;  // 0 once the block is no longer listed
  int32_t references = 0;
};

// A new listed block of `size` bytes (uninitialised) with one reference; null
// when the memory cannot be had or size is negative.
MemoryBlock* memory_block_new(int32_t size);
// Takes the block out of the table (its name stops working) and drops the
// maker's reference.
void memory_block_release(MemoryBlock* block);
void memory_block_add_reference(MemoryBlock* block);
void memory_block_drop_reference(MemoryBlock* block);

// "mem://" followed by the size and identifier fields.
TvString memory_file_name(const MemoryBlock* block);
bool is_memory_file_name(const char* name);
// The live block a name denotes and the size the name gives it; null when the
// name is malformed, unknown, or larger than the block.
MemoryBlock* memory_block_find(const char* name, int32_t& size);
// Number of listed blocks (for tests and leak checks).
int32_t memory_block_count();
