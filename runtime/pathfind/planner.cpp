// planner.cpp - cost conversion, the A* search and find_path.
#include "runtime/pathfind/planner.h"

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <algorithm>
#include <new>
#include <vector>

Planner::~Planner() = default;

void Planner::reset() {
  finished_ = false;
  search_count_ = 0;
  result_ = nullptr;
}

void Planner::release() {
  open_.clear();
  closed_.clear();
  pool_.release_all();
  result_ = nullptr;
  finished_ = true;
}

bool Planner::initialize(const TvNumberArray& costs, const PlannerRequest& request) {
  int32_t width = costs.size1;
  int32_t height = costs.size2;
  if (!costs.elements || costs.size3 != 0 || costs.size4 != 0) width = height = 0;
  if (request.start_x < 0 || request.start_x >= width) return false;
  if (request.start_y < 0 || request.start_y >= height) return false;
  if (request.goal_x < 0 || request.goal_x >= width) return false;
  if (request.goal_y < 0 || request.goal_y >= height) return false;
  if (request.start_x == request.goal_x && request.start_y == request.goal_y) return false;

  if (std::isnan(request.weight)) return false;

  // a NaN or infinite cost, or a positive one beyond the 32-bit range, would
  // make the priorities unordered: such a map is refused
  int64_t cells = int64_t(width) * height;
  const double* in = costs.elements;
  double m = 0;
  for (int64_t i = 0; i < cells; ++i) {
    double c = in[i];
    if (!(c <= double(FLT_MAX)) || std::isinf(c)) return false;
    if (c > m) m = c;
  }
  costs_ = large_array<float>(cells);
  if (!costs_) return false;
  float fm = float(m);
  for (int64_t i = 0; i < cells; ++i) {
    double c = in[i];
    if (c <= 0) {
      costs_.get()[i] = -1.0f;
    } else {
      // fm is 0 only when every cost is below the 32-bit range
      float ratio = fm > 0 ? float(c) / fm : float(c / m);
      costs_.get()[i] = ratio + 1.0f;
    }
  }

  request_ = request;
  request_.width = width;
  request_.height = height;
  if (request_.pool_size <= 0) request_.pool_size = cells;
  // every cell at most once, plus room for the entries of improved nodes
  if (request_.open_capacity < cells) request_.open_capacity = cells;
  open_keys_ = large_array<OpenKey>(request_.open_capacity);
  if (!open_keys_ || !pool_.init(width, height) || !open_.init(request_.open_capacity) ||
      !closed_.create(&pool_, request_.closed_size))
    return false;
  result_ = nullptr;
  if (request_.weight < 0) request_.weight = 0;
  if (request_.weight > 1) request_.weight = 1;
  return true;
}

// ---- open list: binary heap on (f, insertion number) ------------------------
void Planner::sift_up(int64_t slot, OpenKey key, Node* node) {
  OpenKey* keys = open_keys_.get();
  while (slot > 0) {
    int64_t up = (slot - 1) / 2;
    if (key >= keys[up]) break;
    place(slot, keys[up], open_.at(up));
    slot = up;
  }
  place(slot, key, node);
}

// Moves the hole at `slot` down along the smaller children to a leaf, then
// lets `key` rise from there: one comparison per level on the way down, and
// the element placed usually belongs near the bottom anyway.
void Planner::sift_down(int64_t slot, OpenKey key, Node* node) {
  OpenKey* keys = open_keys_.get();
  int64_t n = open_.size();
  int64_t top = slot;
  for (;;) {
    int64_t child = 2 * slot + 1;
    if (child >= n) break;
    if (child + 1 < n && keys[child + 1] < keys[child]) ++child;
    place(slot, keys[child], open_.at(child));
    slot = child;
  }
  while (slot > top) {
    int64_t up = (slot - 1) / 2;
    if (key >= keys[up]) break;
    place(slot, keys[up], open_.at(up));
    slot = up;
  }
  place(slot, key, node);
}

void Planner::open_insert(Node* node) {
  if (next_order_ >= order_limit_) rebuild_open(true);
  if (open_.size() >= open_.capacity()) rebuild_open(false);
  node->order = next_order_++;
  open_.push_back(node);
  sift_up(open_.size() - 1, open_key(node->f, node->order), node);
}

Node* Planner::open_pop() {
  while (!open_.empty()) {
    bool live = is_live(0);
    Node* top = open_.at(0);
    int64_t last_slot = open_.size() - 1;
    Node* last = open_.at(last_slot);
    OpenKey last_key = open_keys_.get()[last_slot];
    open_.pop_back();
    if (!open_.empty()) sift_down(0, last_key, last);
    if (live) return top;
  }
  return nullptr;
}

void Planner::rebuild_open(bool renumber) {
  OpenKey* keys = open_keys_.get();
  int64_t n = open_.size(), kept = 0;
  for (int64_t i = 0; i < n; ++i) {
    if (!is_live(i)) continue;
    open_.at(kept) = open_.at(i);
    keys[kept] = keys[i];
    ++kept;
  }
  while (open_.size() > kept) open_.pop_back();
  if (renumber) {
    // live orders are distinct; rank them
    std::vector<int64_t> by_order(size_t(kept), 0);
    for (int64_t i = 0; i < kept; ++i) by_order[size_t(i)] = i;
    std::sort(by_order.begin(), by_order.end(),
              [keys](int64_t a, int64_t b) { return uint32_t(keys[a]) < uint32_t(keys[b]); });
    for (int64_t r = 0; r < kept; ++r) {
      int64_t i = by_order[size_t(r)];
      keys[i] = (keys[i] & ~OpenKey(UINT32_MAX)) | uint32_t(r);
      open_.at(i)->order = uint32_t(r);
    }
    next_order_ = uint32_t(kept);
  }
  for (int64_t i = kept / 2 - 1; i >= 0; --i) sift_down(i, keys[i], open_.at(i));
}

// ---- A* ---------------------------------------------------------------------
AStarPlanner::~AStarPlanner() = default;

void AStarPlanner::reset() {
  Planner::reset();
  Node* start = pool_.new_node(request_.start_x, request_.start_y);
  if (!start) return;
  start->parent = nullptr;
  start->f = 0;
  open_insert(start);
}

bool AStarPlanner::search() {
  static const int32_t step_x[4] = {0, 1, -1, 0};
  static const int32_t step_y[4] = {-1, 0, 0, 1};
  const int32_t width = request_.width, height = request_.height;
  const int32_t goal_x = request_.goal_x, goal_y = request_.goal_y;
  const float weight = request_.weight;
  const float* costs = costs_.get();

  while (!open_.empty()) {
    Node* current = open_pop();
    if (!current) break;
    ++search_count_;
    if (current->x == goal_x && current->y == goal_y) {
      closed_.insert(current);
      result_ = current;
      finished_ = true;
      return true;
    }
    for (int k = 0; k < 4; ++k) {
      int32_t nx = current->x + step_x[k];
      int32_t ny = current->y + step_y[k];
      if (nx < 0 || ny < 0 || nx >= width || ny >= height) continue;
      int64_t cell = int64_t(nx) + int64_t(width) * ny;
      float c = costs[cell];
      if (c == -1.0f) continue;
      float g = current->g + c;
      // a node already there, open or closed, changes only when g improves
      if (!(pool_.g_at(cell) > g)) continue;
      float h = float(std::abs(goal_x - nx) + std::abs(goal_y - ny));
      float f = g + weight * (h - g);
      Node* n = pool_.node_at(cell);
      if (n)
        closed_.erase(cell);  // no-op unless closed
      else if (!(n = pool_.new_node(nx, ny)))
        continue;
      n->parent = current;
      pool_.set_g(n, g);
      n->f = f;
      open_insert(n);
    }
    closed_.insert(current);
  }
  finished_ = true;
  return false;
}

// ---- the runtime operation --------------------------------------------------
int32_t find_path(const TvNumberArray& map, TvIntArray& path, double weight, int32_t start_x,
                  int32_t start_y, int32_t goal_x, int32_t goal_y) {
  if (std::isnan(weight)) return 0;
  if (weight < 0) weight = 0;
  if (weight > 1) weight = 1;
  PlannerRequest request;
  request.start_x = start_x;
  request.start_y = start_y;
  request.goal_x = goal_x;
  request.goal_y = goal_y;
  request.weight = float(weight);
  AStarPlanner planner;
  if (!planner.initialize(map, request)) return 0;
  planner.reset();
  planner.search();
  Node* goal = planner.result();
  if (!goal) {
    array_dim(path, 0);
    planner.release();
    return 0;
  }
  int32_t n = 0;
  for (Node* p = goal; p; p = p->parent) ++n;
  array_dim(path, n, 2);
  int32_t i = n;
  for (Node* p = goal; p; p = p->parent) {
    --i;
    path(i, 0) = p->x;
    path(i, 1) = p->y;
  }
  planner.release();
  return n;
}
