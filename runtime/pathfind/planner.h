// planner.h - the A* path finder: find_path and the planner classes behind
// it. A planner lives for one call; nothing persists between calls.
//
// The open list expands the node with the smallest f first and, of nodes
// with equal f, the one inserted earliest. It is kept as a binary heap on
// (f, insertion number), so insertions and removals are logarithmic while
// the expansion order - and so every path - is the same as that of a list
// sorted by f with new nodes placed in front of their equals. A node whose
// cost improves while open gets a new entry; its old entry is recognised by
// its insertion number and dropped when it comes up.
#pragma once
#include <cstdint>
#include <cstring>
#include <memory>

#include "runtime/pathfind/path_nodes.h"
#include "runtime/values/tv_array.h"

struct PlannerRequest {
  int32_t start_x = 0;
  int32_t start_y = 0;
  int32_t goal_x = 0;
  int32_t goal_y = 0;
  bool diagonal_cost = false;
  bool diagonal_moves = false;  // only straight steps are searched
  int64_t pool_size = 0;        // 0: width * height
  int64_t open_capacity = 0;    // 0: width * height
  int32_t closed_size = 8;
  float weight = 0.5f;
  int32_t width = 0;
  int32_t height = 0;
};

class Planner {
 public:
  Planner() = default;
  Planner(const Planner&) = delete;
  Planner& operator=(const Planner&) = delete;
  virtual ~Planner();
  virtual void reset();
  virtual bool search() { return false; }
  // Every node goes back to the pool; the open list and closed set empty.
  virtual void release();

  // Takes the request and converts the costs (x + width * y, walls -1,
  // others c / m + 1). False for a start or goal outside the map, start
  // equal to goal, a map that is not two-dimensional, a NaN weight, or a
  // cost that is NaN, infinite or a positive number beyond 32-bit floats.
  bool initialize(const TvNumberArray& costs, const PlannerRequest& request);
  Node* result() const { return result_; }
  int64_t search_count() const { return search_count_; }
  float cost_at(int32_t x, int32_t y) const { return costs_.get()[int64_t(x) + int64_t(request_.width) * y]; }

 protected:
  void open_insert(Node* node);  // also for a node already open: new g/f
  Node* open_pop();              // null when only stale entries are left

  bool finished_ = false;
  NodeFactory pool_;
  PlannerRequest request_;
  LargeArray<float> costs_;
  int64_t search_count_ = 0;
  FixedDeque<Node*> open_;
  NodeHashTable closed_;
  Node* result_ = nullptr;
  uint32_t next_order_ = 0;
  // Insertion numbers are renumbered before they reach this; lowered only by
  // tests, to exercise the renumbering.
  uint32_t order_limit_ = UINT32_MAX;

 private:
  // The ordering key of each open-list slot, kept beside the node pointers
  // so the heap compares without visiting the nodes: the bits of f (never
  // negative, so they order like the number) above the insertion number.
  using OpenKey = uint64_t;
  static OpenKey open_key(float f, uint32_t order) {
    f += 0.0f;  // -0 becomes +0
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return (OpenKey(bits) << 32) | order;
  }
  LargeArray<OpenKey> open_keys_;

  void sift_up(int64_t slot, OpenKey key, Node* node);
  void sift_down(int64_t slot, OpenKey key, Node* node);
  void place(int64_t slot, OpenKey key, Node* node) {
    open_.at(slot) = node;
    open_keys_.get()[slot] = key;
  }
  // An entry is live while its node was not inserted again since: a popped
  // node's number leaves the list with it, so a closed node has none.
  bool is_live(int64_t slot) { return open_.at(slot)->order == uint32_t(open_keys_.get()[slot]); }
  // Drops stale entries and restores the heap; with `renumber` the live
  // entries also get fresh insertion numbers 0, 1, ... in their old order.
  void rebuild_open(bool renumber);
};

class AStarPlanner : public Planner {
 public:
  ~AStarPlanner() override;
  void reset() override;
  bool search() override;
};

// Path from (start_x, start_y) to (goal_x, goal_y) over the cost map (first
// index x, second y). The path gets n x 2 points, start first; the result is
// n. 0 when start or goal lie outside, start equals goal, or the map or
// weight is unusable (path unchanged), or when there is no path (path
// emptied). The weight is clamped to 0..1.
int32_t find_path(const TvNumberArray& map, TvIntArray& path, double weight, int32_t start_x,
                  int32_t start_y, int32_t goal_x, int32_t goal_y);
