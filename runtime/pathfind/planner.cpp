// planner.cpp - cost conversion, the A* search and find_path.
#include "runtime/pathfind/planner.h"

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <new>

Planner::~Planner() = default;

void Planner::reset() {
  finished_ = false;
  search_count_ = 0;
  result_ = nullptr;
}

void Planner::release() {
  // only handed-out nodes can sit in a table, so clearing by node is enough
  for (int64_t i = 0; i < pool_.used(); ++i) {
    Node* n = pool_.node_at(i);
    int64_t position;
    if (closed_.find(n->x, n->y, &position) == n) closed_.erase(position);
    if (open_cells_.find(n->x, n->y, &position) == n) open_cells_.erase(position);
  }
  open_.clear();
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

  // a NaN or infinite cost, or one beyond the 32-bit range, would make the
  // priorities unordered: such a map is refused
  int64_t cells = int64_t(width) * height;
  const double* in = costs.elements;
  double m = 0;
  for (int64_t i = 0; i < cells; ++i) {
    double c = in[i];
    if (!(std::fabs(c) <= double(FLT_MAX))) return false;
    if (c > m) m = c;
  }
  costs_.reset(new (std::nothrow) float[size_t(cells)]);
  if (!costs_) return false;
  float fm = float(m);
  for (int64_t i = 0; i < cells; ++i) {
    double c = in[i];
    if (c <= 0) {
      costs_[i] = -1.0f;
    } else {
      // fm is 0 only when every cost is below the 32-bit range
      float ratio = fm > 0 ? float(c) / fm : float(c / m);
      costs_[i] = ratio + 1.0f;
    }
  }

  request_ = request;
  request_.width = width;
  request_.height = height;
  if (request_.pool_size <= 0) request_.pool_size = cells;
  if (request_.open_capacity <= 0) request_.open_capacity = cells;
  if (!pool_.init(request_.pool_size) || !open_.init(request_.open_capacity) ||
      !closed_.create(width, height, request_.closed_size) || !open_cells_.create(width, height, 0))
    return false;
  result_ = nullptr;
  if (request_.weight < 0) request_.weight = 0;
  if (request_.weight > 1) request_.weight = 1;
  return true;
}

// ---- open list: binary heap on (f, insertion number) ------------------------
namespace {
inline bool earlier(const Node* a, const Node* b) {
  return a->f < b->f || (a->f == b->f && a->order < b->order);
}
}  // namespace

void Planner::sift_up(int64_t slot) {
  Node* node = open_.at(slot);
  while (slot > 0) {
    int64_t up = (slot - 1) / 2;
    Node* parent = open_.at(up);
    if (!earlier(node, parent)) break;
    place(slot, parent);
    slot = up;
  }
  place(slot, node);
}

void Planner::sift_down(int64_t slot) {
  int64_t n = open_.size();
  Node* node = open_.at(slot);
  for (;;) {
    int64_t child = 2 * slot + 1;
    if (child >= n) break;
    Node* best = open_.at(child);
    if (child + 1 < n) {
      Node* right = open_.at(child + 1);
      if (earlier(right, best)) {
        best = right;
        ++child;
      }
    }
    if (!earlier(best, node)) break;
    place(slot, best);
    slot = child;
  }
  place(slot, node);
}

void Planner::open_insert(Node* node) {
  node->order = next_order_++;
  open_.push_back(node);
  open_cells_.insert(node);
  sift_up(open_.size() - 1);
}

void Planner::open_update(Node* node) {
  // a re-inserted node counts as the newest of its f
  node->order = next_order_++;
  sift_up(node->open_slot);
  sift_down(node->open_slot);
}

Node* Planner::open_pop() {
  Node* top = open_.at(0);
  Node* last = open_.back();
  open_.pop_back();
  if (!open_.empty()) {
    place(0, last);
    sift_down(0);
  }
  int64_t position;
  open_cells_.find(top->x, top->y, &position);
  open_cells_.erase(position);
  top->open_slot = -1;
  return top;
}

// ---- A* ---------------------------------------------------------------------
AStarPlanner::~AStarPlanner() = default;

void AStarPlanner::reset() {
  Planner::reset();
  Node* start = pool_.new_node();
  if (!start) return;
  start->parent = nullptr;
  start->x = request_.start_x;
  start->y = request_.start_y;
  start->g = 0;
  start->f = 0;
  start->open_slot = -1;
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
      float c = costs[int64_t(nx) + int64_t(width) * ny];
      if (c == -1.0f) continue;
      float g = current->g + c;
      float h = float(std::abs(goal_x - nx) + std::abs(goal_y - ny));
      float f = g + weight * (h - g);

      int64_t position;
      Node* n = closed_.find(nx, ny, &position);
      if (n) {
        if (n->g > g) {
          closed_.erase(position);
          n->parent = current;
          n->g = g;
          n->f = f;
          open_insert(n);
        }
        continue;
      }
      n = open_cells_.find(nx, ny, &position);
      if (n) {
        if (n->g > g) {
          n->parent = current;
          n->g = g;
          n->f = f;
          open_update(n);
        }
        continue;
      }
      n = pool_.new_node();
      if (!n) continue;  // cannot happen: one node per cell at most
      n->parent = current;
      n->x = nx;
      n->y = ny;
      n->g = g;
      n->f = f;
      n->open_slot = -1;
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
