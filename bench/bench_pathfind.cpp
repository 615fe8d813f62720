// bench_pathfind.cpp - find_path on a 1024 x 1024 map (30% walls, random
// costs, corner to corner) against two searches run on the same map in the
// same run: the literal sorted-list search the tests use as reference, and a
// textbook A* on std::priority_queue with the same costs and priorities.
// Each search takes the number array and fills an integer path array, so all
// three do the same work from input to output.
#include <benchmark/benchmark.h>

#include "bench/bench_ratio.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <queue>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "runtime/pathfind/planner.h"
#include "tests/pathfind/literal_astar.h"

namespace {

constexpr int32_t side = 1024;
constexpr double weight = 0.5;

const TvNumberArray& bench_map() {
  static TvNumberArray m = [] {
    TvNumberArray a;
    array_dim(a, side, side);
    std::mt19937 rng(1024);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int32_t i = 0; i < side * side; ++i) a.elements[i] = unit(rng) < 0.3 ? 0.0 : 1.0 + unit(rng) * 99.0;
    a(0, 0) = a(side - 1, side - 1) = 1.0;
    return a;
  }();
  return m;
}

// Textbook A*: g per cell, lazy deletion on a binary heap of (f, cell).
int32_t textbook_find_path(const TvNumberArray& map, TvIntArray& path, float wt, int32_t sx, int32_t sy,
                           int32_t gx, int32_t gy) {
  const int32_t w = map.size1, h = map.size2;
  const int64_t cells = int64_t(w) * h;
  std::vector<float> cost = literal_cell_costs(map, cells);
  std::vector<float> g(static_cast<size_t>(cells), INFINITY);
  std::vector<int32_t> parent(static_cast<size_t>(cells), -1);
  std::vector<char> closed(static_cast<size_t>(cells), 0);
  using Entry = std::pair<float, int32_t>;
  std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> open;
  int32_t start = sx + w * sy, goal = gx + w * gy;
  g[size_t(start)] = 0;
  open.push({0.0f, start});
  static const int32_t step_x[4] = {0, 1, -1, 0};
  static const int32_t step_y[4] = {-1, 0, 0, 1};
  bool found = false;
  while (!open.empty()) {
    int32_t cur = open.top().second;
    open.pop();
    if (closed[size_t(cur)]) continue;
    if (cur == goal) {
      found = true;
      break;
    }
    closed[size_t(cur)] = 1;
    int32_t cx = cur % w, cy = cur / w;
    for (int k = 0; k < 4; ++k) {
      int32_t nx = cx + step_x[k], ny = cy + step_y[k];
      if (nx < 0 || ny < 0 || nx >= w || ny >= h) continue;
      int32_t n = nx + w * ny;
      float c = cost[size_t(n)];
      if (c < 0) continue;
      float ng = g[size_t(cur)] + c;
      if (ng < g[size_t(n)]) {
        g[size_t(n)] = ng;
        parent[size_t(n)] = cur;
        closed[size_t(n)] = 0;
        float hh = float(std::abs(gx - nx) + std::abs(gy - ny));
        open.push({ng + wt * (hh - ng), n});
      }
    }
  }
  if (!found) {
    array_dim(path, 0);
    return 0;
  }
  int32_t n = 0;
  for (int32_t p = goal; p >= 0; p = parent[size_t(p)]) ++n;
  array_dim(path, n, 2);
  int32_t i = n;
  for (int32_t p = goal; p >= 0; p = parent[size_t(p)]) {
    --i;
    path(i, 0) = p % w;
    path(i, 1) = p / w;
  }
  return n;
}

int64_t path_points = 0;

void BM_FindPath(benchmark::State& state) {
  const TvNumberArray& m = bench_map();
  for (auto _ : state) {
    TvIntArray path;
    path_points = find_path(m, path, weight, 0, 0, side - 1, side - 1);
    benchmark::DoNotOptimize(path.elements);
  }
  state.counters["points"] = double(path_points);
}

void BM_Textbook(benchmark::State& state) {
  const TvNumberArray& m = bench_map();
  int32_t n = 0;
  for (auto _ : state) {
    TvIntArray path;
    n = textbook_find_path(m, path, float(weight), 0, 0, side - 1, side - 1);
    benchmark::DoNotOptimize(path.elements);
  }
  state.counters["points"] = double(n);
}

void BM_LiteralSortedList(benchmark::State& state) {
  const TvNumberArray& m = bench_map();
  size_t n = 0;
  for (auto _ : state) {
    LiteralResult r = literal_find_path(m, weight, 0, 0, side - 1, side - 1);
    TvIntArray path;
    array_dim(path, int32_t(r.points.size()), 2);
    for (size_t i = 0; i < r.points.size(); ++i) {
      path(int32_t(i), 0) = r.points[i].first;
      path(int32_t(i), 1) = r.points[i].second;
    }
    n = r.points.size();
    benchmark::DoNotOptimize(path.elements);
  }
  state.counters["points"] = double(n);
}

BENCHMARK(BM_FindPath)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Textbook)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LiteralSortedList)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  bench_map();  // built once, outside the timings
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto ratio = [&](const char* what, const char* a, const char* b) {
    auto x = reporter.seconds.find(a), y = reporter.seconds.find(b);
    if (x == reporter.seconds.end() || y == reporter.seconds.end() || y->second <= 0) return;
    std::printf("%s ratio: %.2fx\n", what, x->second / y->second);
  };
  ratio("find_path / textbook A*", "BM_FindPath", "BM_Textbook");
  ratio("find_path / literal sorted list", "BM_FindPath", "BM_LiteralSortedList");
  benchmark::Shutdown();
}
