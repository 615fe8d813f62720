// path_nodes.h - the path finder's search nodes and their containers: the
// node pool (NodeFactory), the closed set (NodeHashTable) and the fixed ring
// buffer (FixedDeque) that holds the open list.
//
// Every cell has at most one node at a time, so the pool holds one node
// slot per cell and a cell's node is found at its cell number x + width * y.
// The closed set then needs only one bit per cell, which stays in cache on
// large maps where a table of pointers would not.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

struct Node {
  Node* parent;
  int32_t x;
  int32_t y;
  float f;  // priority: g blended with the distance to the goal
  float g;  // path cost from the start
  // insertion number of the node's current open-list entry; older entries
  // of the same node are stale and skipped
  uint32_t order;
  uint16_t generation;  // equals the pool's generation while handed out
  uint8_t open;         // in the open list
};

namespace pathfind_detail {
struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};
}  // namespace pathfind_detail

// Hands out nodes, one slot per cell. The block comes zeroed from the
// system and its pages are touched only as nodes are used, so a large map
// that needs few nodes stays cheap. A node is out while its generation
// matches the pool's, so giving every node back is one increment.
class NodeFactory {
 public:
  bool init(int32_t width, int32_t height);
  // The node of cell (x, y), set up as not in any list; null when that
  // cell's node is already out.
  Node* new_node(int32_t x, int32_t y) {
    int64_t cell = int64_t(x) + int64_t(width_) * y;
    Node* n = block_.get() + cell;
    if (n->generation == generation_) return nullptr;
    n->generation = generation_;
    n->x = x;
    n->y = y;
    n->open = 0;
    ++used_;
    return n;
  }
  // The node of cell number `cell` when it is out, else null.
  Node* node_at(int64_t cell) const {
    Node* n = block_.get() + cell;
    return n->generation == generation_ ? n : nullptr;
  }
  const Node* slot(int64_t cell) const { return block_.get() + cell; }
  void release_all();  // every node back to the pool
  int64_t count() const { return count_; }
  int64_t used() const { return used_; }
  int32_t width() const { return width_; }

 private:
  std::unique_ptr<Node, pathfind_detail::FreeDeleter> block_;
  uint16_t generation_ = 1;
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
  std::unique_ptr<uint64_t, pathfind_detail::FreeDeleter> bits_;
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
    slots_.reset(static_cast<T*>(std::malloc(sizeof(T) * size_t(capacity > 0 ? capacity : 1))));
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

  std::unique_ptr<T, pathfind_detail::FreeDeleter> slots_;
  int64_t capacity_ = 0;
  int64_t head_ = 0;
  int64_t tail_ = 0;
  bool empty_ = true;
};
