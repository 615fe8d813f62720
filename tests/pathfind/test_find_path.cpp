// test_find_path.cpp - find_path against the literal sorted-list search on
// random maps, its fixed cases and failures, bad input, and the containers.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <utility>
#include <vector>

#include "runtime/pathfind/planner.h"
#include "tests/pathfind/literal_astar.h"

namespace {

using Points = std::vector<std::pair<int32_t, int32_t>>;

TvNumberArray grid(int32_t w, int32_t h, double value) {
  TvNumberArray m;
  array_dim(m, w, h);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) m(x, y) = value;
  return m;
}

Points points_of(const TvIntArray& path) {
  Points p;
  for (int32_t i = 0; i < path.size1; ++i) p.push_back({path(i, 0), path(i, 1)});
  return p;
}

// A path that any caller would accept: straight unit steps over passable
// cells from start to goal.
void expect_walkable(const TvNumberArray& map, const Points& p, int32_t sx, int32_t sy, int32_t gx, int32_t gy) {
  ASSERT_GE(p.size(), 2u);
  EXPECT_EQ(p.front(), std::make_pair(sx, sy));
  EXPECT_EQ(p.back(), std::make_pair(gx, gy));
  for (size_t i = 1; i < p.size(); ++i) {
    EXPECT_EQ(std::abs(p[i].first - p[i - 1].first) + std::abs(p[i].second - p[i - 1].second), 1);
    EXPECT_GT(map(p[i].first, p[i].second), 0.0);
  }
}

TvIntArray marked_path() {
  TvIntArray p;
  array_dim(p, 1, 2);
  p(0, 0) = 42;
  return p;
}

}  // namespace

TEST(FindPath, StraightCorridor) {
  TvNumberArray m = grid(3, 1, 1.0);
  TvIntArray path;
  ASSERT_EQ(find_path(m, path, 0.5, 0, 0, 2, 0), 3);
  EXPECT_EQ(path.dimensions, 2);
  EXPECT_EQ(array_bounds(path, 1), 2);
  EXPECT_EQ(points_of(path), (Points{{0, 0}, {1, 0}, {2, 0}}));

  m(1, 0) = 0;  // a cost of exactly 0 is a wall
  path = marked_path();
  EXPECT_EQ(find_path(m, path, 0.5, 0, 0, 2, 0), 0);
  EXPECT_EQ(array_total(path), 0);
}

TEST(FindPath, RefusedRequestsLeaveThePathAlone) {
  TvNumberArray m = grid(4, 3, 1.0);
  const int32_t bad[][4] = {{0, 0, 0, 0}, {-1, 0, 2, 2}, {4, 0, 2, 2}, {0, -1, 2, 2}, {0, 3, 2, 2},
                            {0, 0, -1, 2}, {0, 0, 4, 2}, {0, 0, 2, -1}, {0, 0, 2, 3}};
  for (auto& b : bad) {
    TvIntArray path = marked_path();
    EXPECT_EQ(find_path(m, path, 0.5, b[0], b[1], b[2], b[3]), 0);
    EXPECT_EQ(path(0, 0), 42);
  }
}

TEST(FindPath, NoPathEmptiesThePath) {
  TvNumberArray m = grid(5, 5, 1.0);
  for (int32_t y = 0; y < 5; ++y) m(2, y) = -4;  // a wall across the map
  TvIntArray path = marked_path();
  EXPECT_EQ(find_path(m, path, 0.5, 0, 0, 4, 4), 0);
  EXPECT_EQ(array_total(path), 0);

  TvNumberArray g = grid(3, 3, 1.0);
  g(2, 2) = 0;  // the goal itself is a wall
  path = marked_path();
  EXPECT_EQ(find_path(g, path, 0.5, 0, 0, 2, 2), 0);
  EXPECT_EQ(array_total(path), 0);

  g(2, 2) = 1;
  g(0, 0) = -1;  // a walled start still starts the search
  EXPECT_EQ(find_path(g, path, 0.5, 0, 0, 2, 2), 5);
}

TEST(FindPath, CostsScaleAndOnlyStraightSteps) {
  TvNumberArray ones = grid(6, 4, 1.0), fives = grid(6, 4, 5.0);
  for (double w : {0.0, 0.5, 1.0}) {
    TvIntArray a, b;
    EXPECT_EQ(find_path(ones, a, w, 0, 3, 5, 0), find_path(fives, b, w, 0, 3, 5, 0));
    EXPECT_EQ(points_of(a), points_of(b));
  }
  TvNumberArray open = grid(3, 3, 1.0);
  for (double w : {0.0, 0.3, 0.5, 1.0}) {
    TvIntArray p;
    ASSERT_EQ(find_path(open, p, w, 0, 0, 2, 2), 5);
    expect_walkable(open, points_of(p), 0, 0, 2, 2);
  }
}

TEST(FindPath, WeightIsClamped) {
  std::mt19937 rng(11);
  TvNumberArray m = grid(20, 20, 1.0);
  for (int32_t i = 0; i < 400; ++i) m.elements[i] = double(rng() % 5);
  m(0, 0) = m(19, 19) = 1;
  for (auto [given, clamped] : {std::pair{-3.0, 0.0}, {7.0, 1.0}, {-INFINITY, 0.0}, {INFINITY, 1.0}}) {
    TvIntArray a, b;
    EXPECT_EQ(find_path(m, a, given, 0, 0, 19, 19), find_path(m, b, clamped, 0, 0, 19, 19));
    EXPECT_EQ(points_of(a), points_of(b));
  }
}

TEST(FindPath, BadInputGivesNoPoints) {
  TvIntArray path = marked_path();
  TvNumberArray line;
  array_fill_list(line, {1.0, 1.0, 1.0});
  EXPECT_EQ(find_path(line, path, 0.5, 0, 0, 2, 0), 0);
  TvNumberArray cube;
  array_dim(cube, 3, 3, 3);
  EXPECT_EQ(find_path(cube, path, 0.5, 0, 0, 2, 2), 0);
  TvNumberArray never, empty;
  array_dim(empty, 0, 3);
  EXPECT_EQ(find_path(never, path, 0.5, 0, 0, 1, 1), 0);
  EXPECT_EQ(find_path(empty, path, 0.5, 0, 0, 0, 1), 0);
  EXPECT_EQ(path(0, 0), 42);

  const double poison[] = {std::nan(""), INFINITY, -INFINITY, 1e39};
  for (double p : poison) {
    TvNumberArray m = grid(8, 8, 1.0);
    m(5, 5) = p;
    TvIntArray out;
    EXPECT_EQ(find_path(m, out, 0.5, 0, 0, 7, 7), 0) << p;
  }
  TvNumberArray m = grid(8, 8, 1.0);
  EXPECT_EQ(find_path(m, path, std::nan(""), 0, 0, 7, 7), 0);
  m(1, 0) = -1e39;  // below the 32-bit range but still just a wall
  m(0, 1) = -1e39;
  EXPECT_EQ(find_path(m, path, 0.5, 0, 0, 7, 7), 0);
  m(0, 1) = 1;
  EXPECT_EQ(find_path(m, path, 0.5, 0, 0, 7, 7), 15);
  EXPECT_EQ(find_path(grid(30, 30, 0.0), path, 0.5, 0, 0, 29, 29), 0);    // all walls
  EXPECT_EQ(find_path(grid(30, 30, -2.0), path, 0.5, 29, 29, 0, 0), 0);
  // tiny costs still give cost 2 per step, not a division by zero
  EXPECT_EQ(find_path(grid(4, 4, 1e-300), path, 0.5, 0, 0, 3, 3), 7);
}

TEST(FindPath, MatchesTheLiteralSortedListSearch) {
  std::mt19937 rng(20261208);
  const double weights[] = {0.0, 0.25, 0.5, 0.75, 1.0, -1.0, 2.0};
  int found = 0;
  for (int round = 0; round < 1200; ++round) {
    int32_t w = 1 + int32_t(rng() % 64), h = 1 + int32_t(rng() % 64);
    double wall_share = double(rng() % 45) / 100.0;
    bool few_costs = rng() % 2;  // few distinct costs make many equal f
    TvNumberArray m;
    array_dim(m, w, h);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int32_t i = 0; i < w * h; ++i) {
      if (unit(rng) < wall_share)
        m.elements[i] = (rng() % 2) ? 0.0 : -1.0;
      else
        m.elements[i] = few_costs ? double(1 + rng() % 4) : unit(rng) * 100.0 + 0.01;
    }
    double weight = round % 8 == 7 ? unit(rng) : weights[round % 7];
    int32_t sx = int32_t(rng() % uint32_t(w)), sy = int32_t(rng() % uint32_t(h));
    int32_t gx = int32_t(rng() % uint32_t(w)), gy = int32_t(rng() % uint32_t(h));

    LiteralResult expected = literal_find_path(m, weight, sx, sy, gx, gy);
    TvIntArray path = marked_path();
    int32_t n = find_path(m, path, weight, sx, sy, gx, gy);
    ASSERT_EQ(size_t(n), expected.points.size()) << "round " << round;
    if (expected.refused) {
      ASSERT_EQ(path(0, 0), 42);
      continue;
    }
    ASSERT_EQ(points_of(path), expected.points) << "round " << round;
    if (n > 0) {
      ++found;
      expect_walkable(m, expected.points, sx, sy, gx, gy);
    }
  }
  EXPECT_GT(found, 300);  // the maps must exercise real searches
}

namespace {
// A planner whose insertion numbers run out early, so the open list is
// renumbered (and cleared of stale entries) many times during one search.
struct ShortCountPlanner : AStarPlanner {
  explicit ShortCountPlanner(uint32_t limit) { order_limit_ = limit; }
};

Points planned_points(Planner& p) {
  Points out;
  for (Node* n = p.result(); n; n = n->parent) out.insert(out.begin(), {n->x, n->y});
  return out;
}
}  // namespace

TEST(FindPath, RenumberingAndReuseKeepTheOrder) {
  std::mt19937 rng(99);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int round = 0; round < 60; ++round) {
    int32_t w = 8 + int32_t(rng() % 40), h = 8 + int32_t(rng() % 40);
    TvNumberArray m;
    array_dim(m, w, h);
    for (int32_t i = 0; i < w * h; ++i) m.elements[i] = unit(rng) < 0.25 ? 0.0 : double(1 + rng() % 3);
    PlannerRequest r;
    r.goal_x = w - 1;
    r.goal_y = h - 1;
    r.weight = float(round % 5) / 4.0f;
    LiteralResult expected = literal_find_path(m, r.weight, 0, 0, w - 1, h - 1);

    ShortCountPlanner p(uint32_t(5 + round));
    ASSERT_TRUE(p.initialize(m, r));
    for (int pass = 0; pass < 2; ++pass) {  // a released planner searches again
      p.reset();
      EXPECT_EQ(p.search(), !expected.points.empty());
      ASSERT_EQ(planned_points(p), expected.points) << "round " << round << " pass " << pass;
      p.release();
      EXPECT_EQ(p.result(), nullptr);
    }
  }
}

TEST(PathContainers, FixedDequeInsertsAndErasesAcrossTheWrap) {
  FixedDeque<int> d;
  ASSERT_TRUE(d.init(5));
  std::vector<int> model;
  std::mt19937 rng(5);
  for (int step = 0; step < 2000; ++step) {
    int64_t n = int64_t(model.size());
    if (rng() % 2 && n < 5) {
      int64_t at = int64_t(rng() % uint32_t(n + 1));
      ASSERT_TRUE(d.insert(at, step));
      model.insert(model.begin() + at, step);
    } else if (n > 0) {
      int64_t at = int64_t(rng() % uint32_t(n));
      ASSERT_TRUE(d.erase(at));
      model.erase(model.begin() + at);
    }
    ASSERT_EQ(d.size(), int64_t(model.size()));
    ASSERT_EQ(d.empty(), model.empty());
    for (size_t i = 0; i < model.size(); ++i) ASSERT_EQ(d.at(int64_t(i)), model[i]);
  }
  while (d.size() < 5) d.push_back(1);
  EXPECT_FALSE(d.insert(0, 9));  // full
  EXPECT_FALSE(d.erase(5));
  d.clear();
  EXPECT_TRUE(d.empty());
  EXPECT_FALSE(d.pop_back());
}

TEST(PathContainers, ClosedSetAndPool) {
  NodeFactory pool;
  ASSERT_TRUE(pool.init(4, 2));
  Node* a = pool.new_node(3, 1);
  Node* b = pool.new_node(0, 0);
  ASSERT_TRUE(a && b);
  EXPECT_EQ(pool.new_node(3, 1), nullptr);  // one node per cell
  EXPECT_EQ(pool.node_at(7), a);
  EXPECT_EQ(pool.node_at(1), nullptr);

  NodeHashTable closed;
  ASSERT_TRUE(closed.create(&pool, 8));
  int64_t pos = -1;
  EXPECT_EQ(closed.find(3, 1, &pos), nullptr);
  EXPECT_EQ(pos, 7);
  closed.insert(a);
  closed.insert(b);
  closed.insert(b);
  EXPECT_EQ(closed.size(), 2);
  EXPECT_EQ(closed.find(3, 1, &pos), a);
  closed.erase(pos);
  EXPECT_EQ(closed.find(3, 1, nullptr), nullptr);
  EXPECT_EQ(closed.size(), 1);
  closed.clear();
  EXPECT_EQ(closed.find(0, 0, nullptr), nullptr);
  pool.release_all();
  EXPECT_EQ(pool.used(), 0);
  EXPECT_EQ(pool.node_at(7), nullptr);
  EXPECT_EQ(pool.new_node(3, 1), a);
}

// A winding map of two-cell corridors, large enough that the search's arrays
// are mapped blocks rather than small allocations, with random costs so the
// search still chooses between ways.
TEST(FindPath, LargeWindingMapMatchesTheReference) {
  const int32_t w = 400, h = 401;
  std::mt19937 rng(400);
  TvNumberArray m;
  array_dim(m, w, h);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      bool wall_row = y % 3 == 2;
      bool gap = (y / 3) % 2 ? x == 0 : x == w - 1;
      m(x, y) = wall_row && !gap ? 0.0 : double(1 + rng() % 9);
    }
  LiteralResult expected = literal_find_path(m, 0.5, 0, 0, w - 1, h - 1);
  ASSERT_GT(expected.points.size(), size_t(w) * (h / 3));
  for (int pass = 0; pass < 2; ++pass) {  // the second call gets fresh blocks
    TvIntArray path;
    ASSERT_EQ(size_t(find_path(m, path, 0.5, 0, 0, w - 1, h - 1)), expected.points.size());
    ASSERT_EQ(points_of(path), expected.points);
  }
}
