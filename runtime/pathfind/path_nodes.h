// path_nodes.h - the path finder's search nodes and their containers: the
// node pool (NodeFactory), the closed set (NodeHashTable) and the fixed ring
// buffer (FixedDeque) that holds the open list.
//
// A search on a large map reaches most of its cells, so what it reads per
// neighbour must be as small as a plain array per cell: the pool keeps each
// cell's best cost so far in a float array and the node's place in another,
// and hands out the nodes themselves one after the other, so they are
// written in sequence. The closed set is one bit per cell.
#pragma once
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "runtime/platform/large_blocks.h"

struct Node {
  Node* parent;
  int32_t x;
  int32_t y;
  float f;  // priority: g blended with the distance to the goal
  float g;  // path cost from the start
  // insertion number of the node's current open-list entry; older entries
  // of the same node are stale and skipped
  uint32_t order;
};

// The search's arrays grow with the map and are dropped after one call.
template <typename T>
using LargeArray = std::unique_ptr<T, PlatformLargeDeleter>;
template <typename T>
LargeArray<T> large_array(int64_t count) {
  size_t bytes = sizeof(T) * size_t(count > 0 ? count : 1);
  return LargeArray<T>(static_cast<T*>(platform_alloc_large(bytes)), PlatformLargeDeleter{bytes});
}

// Hands out nodes from its block in order, at most one per cell. A node's g
// goes through set_g, which also keeps the cell's copy that g_at reads.
class NodeFactory {
 public:
  bool init(int32_t width, int32_t height);
  // The next node of the block, for cell (x, y), with g = 0; null when that
  // cell already has a node or the block is used up.
  Node* new_node(int32_t x, int32_t y) {
    int64_t cell = int64_t(x) + int64_t(width_) * y;
    if (index_.get()[cell] != 0 || used_ >= count_) return nullptr;
    Node* n = block_.get() + used_;
    n->x = x;
    n->y = y;
    ++used_;
    index_.get()[cell] = uint32_t(used_);
    set_g(n, 0.0f);
    return n;
  }
  // The node of cell number `cell` when it is out, else null.
  Node* node_at(int64_t cell) const {
    uint32_t i = index_.get()[cell];
    return i ? block_.get() + (i - 1) : nullptr;
  }
  // The g of the node of cell number `cell`, or infinity when it has none.
  float g_at(int64_t cell) const {
    uint32_t bits = g_bits_.get()[cell];
    if (bits == 0) return INFINITY;
    float g;
    std::memcpy(&g, &bits, sizeof g);
    return g;
  }
  void set_g(Node* n, float g) {
    n->g = g;
    // g is never negative; 0 is kept as -0 so that a zero word means no node
    float stored = g == 0.0f ? -0.0f : g;
    std::memcpy(g_bits_.get() + int64_t(n->x) + int64_t(width_) * n->y, &stored, sizeof stored);
  }
  void release_all();  // every node back to the pool
  int64_t count() const { return count_; }
  int64_t used() const { return used_; }
  int32_t width() const { return width_; }

 private:
  LargeArray<Node> block_;
  LargeArray<uint32_t> index_;   // per cell: 1 + the node's place in the block, 0 for none
  LargeArray<uint32_t> g_bits_;  // per cell: the bits of the node's g, 0 for none
  int32_t width_ = 0;
  int64_t count_ = 0;
  int64_t used_ = 0;
};

// The closed set keyed by cell: a bit per cell, the nodes themselves in the
// pool. The size parameter of `create` is kept only as a hint and has no
// effect: the table is addressed directly and never collides.
class NodeHashTable {
 public:
  bool create(const NodeFactory* pool, int32_t size_hint);
  // The node of cell (x, y) if it is in the set, else null; `position`
  // receives the cell number either way.
  Node* find(int32_t x, int32_t y, int64_t* position) const {
    int64_t p = int64_t(x) + int64_t(pool_->width()) * y;
    if (position) *position = p;
    return (bits_.get()[p >> 6] >> (p & 63)) & 1 ? pool_->node_at(p) : nullptr;
  }
  bool contains(int64_t position) const { return (bits_.get()[position >> 6] >> (position & 63)) & 1; }
  void erase(int64_t position) {
    uint64_t& word = bits_.get()[position >> 6];
    uint64_t bit = uint64_t(1) << (position & 63);
    if (word & bit) --size_;
    word &= ~bit;
  }
  void insert(Node* node) {
    int64_t p = int64_t(node->x) + int64_t(pool_->width()) * node->y;
    uint64_t& word = bits_.get()[p >> 6];
    uint64_t bit = uint64_t(1) << (p & 63);
    if (!(word & bit)) ++size_;
    word |= bit;
  }
  void clear();
  int64_t size() const { return size_; }

 private:
  LargeArray<uint64_t> bits_;
  const NodeFactory* pool_ = nullptr;
  int64_t words_ = 0;
  int64_t size_ = 0;
};

// A ring buffer of fixed capacity with a head, a tail and an "empty" flag.
// Indexes count from the head.
template <typename T>
class FixedDeque {
 public:
  bool init(int64_t capacity) {
    slots_ = large_array<T>(capacity);
    capacity_ = slots_ ? capacity : 0;
    clear();
    return slots_ != nullptr;
  }
  int64_t capacity() const { return capacity_; }
  int64_t size() const {
    if (empty_) return 0;
    int64_t n = tail_ - head_;
    return n > 0 ? n : n + capacity_;
  }
  bool empty() const { return empty_; }
  T& at(int64_t index) { return slots_.get()[wrap(head_ + index)]; }
  const T& at(int64_t index) const { return slots_.get()[wrap(head_ + index)]; }
  T& back() { return at(size() - 1); }

  // false when full or when the index is past the end
  bool insert(int64_t index, const T& value) {
    int64_t n = size();
    if (n >= capacity_ || index < 0 || index > n) return false;
    if (index == n) {
      slots_.get()[tail_] = value;
    } else if (index < n / 2) {  // shift the front part one slot towards the head
      head_ = wrap(head_ - 1 + capacity_);
      for (int64_t i = 0; i < index; ++i) at(i) = at(i + 1);
      at(index) = value;
      empty_ = false;
      return true;
    } else {
      for (int64_t i = n; i > index; --i) slots_.get()[wrap(head_ + i)] = at(i - 1);
      at(index) = value;
    }
    tail_ = wrap(tail_ + 1);
    empty_ = false;
    return true;
  }
  bool push_back(const T& value) { return insert(size(), value); }
  bool erase(int64_t index) {
    int64_t n = size();
    if (index < 0 || index >= n) return false;
    for (int64_t i = index; i + 1 < n; ++i) at(i) = at(i + 1);
    tail_ = wrap(tail_ - 1 + capacity_);
    empty_ = tail_ == head_;
    return true;
  }
  bool pop_back() { return erase(size() - 1); }
  void clear() {
    head_ = tail_ = 0;
    empty_ = true;
  }

 private:
  int64_t wrap(int64_t i) const { return i >= capacity_ ? i - capacity_ : i; }

  LargeArray<T> slots_;
  int64_t capacity_ = 0;
  int64_t head_ = 0;
  int64_t tail_ = 0;
  bool empty_ = true;
};
