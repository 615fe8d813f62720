// path_nodes.h - the path finder's search nodes and their containers: the
// node pool (NodeFactory), the closed set (NodeHashTable) and the fixed ring
// buffer (FixedDeque) that holds the open list.
//
// Every cell has at most one node at a time, so the pool and the open list
// are sized to the cell count once per call and never overflow.
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
  // open-list bookkeeping: slot in the open list (-1 when not in it) and the
  // insertion number that orders nodes of equal f
  int32_t open_slot;
  uint64_t order;
};

namespace pathfind_detail {
struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};
}  // namespace pathfind_detail

// Hands out nodes from one block in order. Pages of the block are touched
// only as nodes are used, so a large map that needs few nodes stays cheap.
class NodeFactory {
 public:
  bool init(int64_t count);
  Node* new_node();       // null when the block is used up
  void release_all() { next_ = 0; }
  int64_t count() const { return count_; }
  int64_t used() const { return next_; }
  Node* node_at(int64_t i) { return block_.get() + i; }

 private:
  std::unique_ptr<Node, pathfind_detail::FreeDeleter> block_;
  int64_t count_ = 0;
  int64_t next_ = 0;
};

// The closed set keyed by cell. Cells are numbered x + width * y, so the
// table is addressed directly: one slot per cell, no collisions. The size
// parameter of `create` is kept only as a hint and has no effect.
class NodeHashTable {
 public:
  bool create(int32_t width, int32_t height, int32_t size_hint);
  // The node of cell (x, y), or null; `position` receives the slot either way.
  Node* find(int32_t x, int32_t y, int64_t* position) const;
  void erase(int64_t position);
  void insert(Node* node);
  void clear();
  int64_t size() const { return size_; }

 private:
  std::unique_ptr<Node*, pathfind_detail::FreeDeleter> slots_;
  int32_t width_ = 0;
  int32_t height_ = 0;
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
