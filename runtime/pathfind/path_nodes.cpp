// path_nodes.cpp - the node pool and the closed set.
#include "runtime/pathfind/path_nodes.h"

bool NodeFactory::init(int64_t count) {
  if (count < 1) return false;
  // no construction: a node is set up when it is handed out
  block_.reset(static_cast<Node*>(std::malloc(sizeof(Node) * size_t(count))));
  count_ = block_ ? count : 0;
  next_ = 0;
  return block_ != nullptr;
}

Node* NodeFactory::new_node() {
  if (next_ >= count_) return nullptr;
  return block_.get() + next_++;
}

bool NodeHashTable::create(int32_t width, int32_t height, int32_t /*size_hint*/) {
  if (width < 1 || height < 1) return false;
  // calloc: a fresh zeroed block costs nothing until a slot is used
  slots_.reset(static_cast<Node**>(std::calloc(size_t(width) * size_t(height), sizeof(Node*))));
  width_ = slots_ ? width : 0;
  height_ = slots_ ? height : 0;
  size_ = 0;
  return slots_ != nullptr;
}

Node* NodeHashTable::find(int32_t x, int32_t y, int64_t* position) const {
  int64_t p = int64_t(x) + int64_t(width_) * y;
  if (position) *position = p;
  return slots_.get()[p];
}

void NodeHashTable::erase(int64_t position) {
  if (slots_.get()[position]) --size_;
  slots_.get()[position] = nullptr;
}

void NodeHashTable::insert(Node* node) {
  Node*& slot = slots_.get()[int64_t(node->x) + int64_t(width_) * node->y];
  if (!slot) ++size_;
  slot = node;
}

void NodeHashTable::clear() {
  if (size_ == 0 || !slots_) return;
  for (int64_t i = 0, n = int64_t(width_) * height_; i < n; ++i) slots_.get()[i] = nullptr;
  size_ = 0;
}
