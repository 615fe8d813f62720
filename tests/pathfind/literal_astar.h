// literal_astar.h - the reference A* for find_path: the open list is a plain
// vector sorted by f from largest to smallest, filled by bisection and
// insertion in the middle, popped from the end; open nodes are found by a
// linear search from the end. Slow on purpose, and kept simple so that it
// can be read against the rules. Shared by the tests and the benchmark.
#pragma once
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <unordered_map>
#include <utility>
#include <vector>

#include "runtime/values/tv_array.h"

struct LiteralResult {
  bool refused = false;  // start/goal outside or equal: path untouched
  std::vector<std::pair<int32_t, int32_t>> points;
};

// Cell costs as the search sees them: c / largest + 1, walls (c <= 0) at -1.
inline std::vector<float> literal_cell_costs(const TvNumberArray& map, int64_t cells) {
  double m = 0;
  for (int64_t i = 0; i < cells; ++i)
    if (map.elements[i] > m) m = map.elements[i];
  std::vector<float> cost(static_cast<size_t>(cells));
  for (int64_t i = 0; i < cells; ++i) {
    double c = map.elements[i];
    cost[size_t(i)] = c <= 0 ? -1.0f : float(c) / float(m) + 1.0f;
  }
  return cost;
}

inline LiteralResult literal_find_path(const TvNumberArray& map, double weight, int32_t sx, int32_t sy,
                                       int32_t gx, int32_t gy) {
  LiteralResult out;
  int32_t w = map.size1, h = map.size2;
  if (sx < 0 || sx >= w || sy < 0 || sy >= h || gx < 0 || gx >= w || gy < 0 || gy >= h ||
      (sx == gx && sy == gy)) {
    out.refused = true;
    return out;
  }
  if (weight < 0) weight = 0;
  if (weight > 1) weight = 1;
  float wt = float(weight);

  int64_t cells = int64_t(w) * h;
  std::vector<float> cost = literal_cell_costs(map, cells);

  struct N {
    int32_t parent, x, y;
    float f, g;
  };
  std::vector<N> nodes;
  std::vector<int32_t> open;                      // node numbers, f descending
  std::unordered_map<int64_t, int32_t> closed;    // cell -> node number
  auto key = [w](int32_t x, int32_t y) { return int64_t(x) + int64_t(w) * y; };
  auto insert = [&](int32_t n) {
    size_t lo = 0, hi = open.size();
    while (lo < hi) {
      size_t mid = (lo + hi) / 2;
      if (nodes[size_t(open[mid])].f > nodes[size_t(n)].f)
        lo = mid + 1;
      else
        hi = mid;
    }
    open.insert(open.begin() + std::ptrdiff_t(lo), n);
  };

  nodes.push_back({-1, sx, sy, 0.0f, 0.0f});
  insert(0);
  int32_t found = -1;
  static const int32_t step_x[4] = {0, 1, -1, 0};
  static const int32_t step_y[4] = {-1, 0, 0, 1};
  while (!open.empty()) {
    int32_t cur = open.back();
    open.pop_back();
    N c = nodes[size_t(cur)];
    if (c.x == gx && c.y == gy) {
      closed[key(c.x, c.y)] = cur;
      found = cur;
      break;
    }
    for (int k = 0; k < 4; ++k) {
      int32_t nx = c.x + step_x[k], ny = c.y + step_y[k];
      if (nx < 0 || ny < 0 || nx >= w || ny >= h) continue;
      float cc = cost[size_t(key(nx, ny))];
      if (cc == -1.0f) continue;
      float g = c.g + cc;
      float hh = float(std::abs(gx - nx) + std::abs(gy - ny));
      float f = g + wt * (hh - g);
      auto it = closed.find(key(nx, ny));
      if (it != closed.end()) {
        int32_t n = it->second;
        if (nodes[size_t(n)].g > g) {
          closed.erase(it);
          nodes[size_t(n)].parent = cur;
          nodes[size_t(n)].g = g;
          nodes[size_t(n)].f = f;
          insert(n);
        }
        continue;
      }
      ptrdiff_t at = -1;
      for (ptrdiff_t i = ptrdiff_t(open.size()) - 1; i >= 0; --i) {
        const N& o = nodes[size_t(open[size_t(i)])];
        if (o.x == nx && o.y == ny) {
          at = i;
          break;
        }
      }
      if (at >= 0) {
        int32_t n = open[size_t(at)];
        if (nodes[size_t(n)].g > g) {
          open.erase(open.begin() + at);
          nodes[size_t(n)].parent = cur;
          nodes[size_t(n)].g = g;
          nodes[size_t(n)].f = f;
          insert(n);
        }
        continue;
      }
      nodes.push_back({cur, nx, ny, f, g});
      insert(int32_t(nodes.size() - 1));
    }
    closed[key(c.x, c.y)] = cur;
  }
  for (int32_t n = found; n >= 0; n = nodes[size_t(n)].parent)
    out.points.insert(out.points.begin(), {nodes[size_t(n)].x, nodes[size_t(n)].y});
  return out;
}
