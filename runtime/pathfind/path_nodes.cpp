// path_nodes.cpp - the node pool and the closed set.
#include "runtime/pathfind/path_nodes.h"

#include <cstring>

bool NodeFactory::init(int32_t width, int32_t height) {
  if (width < 1 || height < 1) return false;
  int64_t cells = int64_t(width) * height;
  // calloc: a fresh zeroed block costs nothing until a node is used
  block_.reset(static_cast<Node*>(std::calloc(size_t(cells), sizeof(Node))));
  generation_ = 1;
  bool ok = block_ != nullptr;
  width_ = ok ? width : 0;
  count_ = ok ? cells : 0;
  used_ = 0;
  return ok;
}

void NodeFactory::release_all() {
  used_ = 0;
  if (++generation_ != 0) return;
  // the generation wrapped: clear the marks once so no old node looks out
  for (int64_t i = 0; i < count_; ++i) block_.get()[i].generation = 0;
  generation_ = 1;
}

bool NodeHashTable::create(const NodeFactory* pool, int32_t /*size_hint*/) {
  if (!pool || pool->count() < 1) return false;
  pool_ = pool;
  words_ = (pool->count() + 63) / 64;
  bits_.reset(static_cast<uint64_t*>(std::calloc(size_t(words_), sizeof(uint64_t))));
  size_ = 0;
  return bits_ != nullptr;
}

void NodeHashTable::clear() {
  if (size_ == 0 || !bits_) return;
  std::memset(bits_.get(), 0, sizeof(uint64_t) * size_t(words_));
  size_ = 0;
}
