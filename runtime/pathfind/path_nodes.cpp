// path_nodes.cpp - the node pool and the closed set.
#include "runtime/pathfind/path_nodes.h"

#include <cstring>

bool NodeFactory::init(int32_t width, int32_t height) {
  block_.reset();
  index_.reset();
  g_bits_.reset();
  width_ = 0;
  count_ = used_ = 0;
  if (width < 1 || height < 1) return false;
  int64_t cells = int64_t(width) * height;
  if (cells >= int64_t(UINT32_MAX)) return false;
  // the block is written only as nodes are handed out, so its pages cost
  // nothing until then; the per-cell words start at zero
  LargeArray<Node> block = large_array<Node>(cells);
  LargeArray<uint32_t> index = large_array<uint32_t>(cells);
  LargeArray<uint32_t> g_bits = large_array<uint32_t>(cells);
  if (!block || !index || !g_bits) return false;
  block_ = std::move(block);
  index_ = std::move(index);
  g_bits_ = std::move(g_bits);
  width_ = width;
  count_ = cells;
  return true;
}

void NodeFactory::release_all() {
  // clear only the cells that have a node: a search seldom reaches them all
  for (int64_t i = 0; i < used_; ++i) {
    const Node& n = block_.get()[i];
    int64_t cell = int64_t(n.x) + int64_t(width_) * n.y;
    index_.get()[cell] = 0;
    g_bits_.get()[cell] = 0;
  }
  used_ = 0;
}

bool NodeHashTable::create(const NodeFactory* pool, int32_t /*size_hint*/) {
  if (!pool || pool->count() < 1) return false;
  pool_ = pool;
  words_ = (pool->count() + 63) / 64;
  bits_ = large_array<uint64_t>(words_);
  size_ = 0;
  return bits_ != nullptr;
}

void NodeHashTable::clear() {
  if (size_ == 0 || !bits_) return;
  std::memset(bits_.get(), 0, sizeof(uint64_t) * size_t(words_));
  size_ = 0;
}
