// memory_files.cpp - the table of live memory blocks and their names.
#include "runtime/io/memory_files.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <unordered_map>

namespace {
std::unordered_map<uint32_t, MemoryBlock*>& block_table() {
  static std::unordered_map<uint32_t, MemoryBlock*> table;
  return table;
}
uint32_t last_id = 0;

// A field of up to 8 characters: leading spaces, then hexadecimal digits.
bool parse_hex_field(const char* p, size_t n, uint32_t& out) {
  size_t i = 0;
  while (i < n && p[i] == ' ') ++i;
  if (i == n) return false;
  uint32_t v = 0;
  for (; i < n; ++i) {
    char c = p[i];
    uint32_t d;
    if (c >= '0' && c <= '9') d = uint32_t(c - '0');
    else if (c >= 'a' && c <= 'f') d = uint32_t(c - 'a' + 10);
    else if (c >= 'A' && c <= 'F') d = uint32_t(c - 'A' + 10);
    else return false;
    v = v * 16 + d;
  }
  out = v;
  return true;
}
}  // namespace

MemoryBlock* memory_block_new(int32_t size) {
  if (size < 0) return nullptr;
  auto* block = new (std::nothrow) MemoryBlock;
  if (!block) return nullptr;
  block->bytes = static_cast<char*>(std::malloc(size_t(size) + 1));
  if (!block->bytes) {
    delete block;
    return nullptr;
  }
  block->bytes[size] = 0;
  block->size = size;
  block->references = 1;
  auto& table = block_table();
  do {
    ++last_id;
  } while (last_id == 0 || table.count(last_id));
  block->id = last_id;
  table[block->id] = block;
  return block;
}

void memory_block_add_reference(MemoryBlock* block) {
  if (block) ++block->references;
}

void memory_block_drop_reference(MemoryBlock* block) {
  if (!block || --block->references > 0) return;
  if (block->id) block_table().erase(block->id);
  std::free(block->bytes);
  delete block;
}

void memory_block_release(MemoryBlock* block) {
  if (!block) return;
  if (block->id) block_table().erase(block->id);
  block->id = 0;
  memory_block_drop_reference(block);
}

TvString memory_file_name(const MemoryBlock* block) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "mem://%8x.%8x", unsigned(block ? block->size : 0),
                unsigned(block ? block->id : 0));
  return TvString(buf);
}

bool is_memory_file_name(const char* name) {
  return name && std::strncmp(name, "mem://", 6) == 0;
}

MemoryBlock* memory_block_find(const char* name, int32_t& size) {
  size = 0;
  if (!is_memory_file_name(name)) return nullptr;
  // "mem://" + 8 size characters + "." + 8 identifier characters
  if (std::strlen(name) != 23 || name[14] != '.') return nullptr;
  uint32_t claimed = 0, id = 0;
  if (!parse_hex_field(name + 6, 8, claimed) || !parse_hex_field(name + 15, 8, id)) return nullptr;
  auto& table = block_table();
  auto it = table.find(id);
  if (it == table.end()) return nullptr;
  MemoryBlock* block = it->second;
  if (claimed > uint32_t(block->size)) return nullptr;
  size = int32_t(claimed);
  return block;
}

int32_t memory_block_count() { return int32_t(block_table().size()); }
