// test_array.cpp - TvArray: dimensioning, access, resizing with preservation,
// push/delete/copy/sort, and the fatal paths (codes 7, 8 and 9).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "runtime/values/tv_array.h"

namespace {

// The fatal paths end the process with code 0; the error code they set is
// reported on stderr by an exit handler so the death tests can see it.
void report_error_code() { std::fprintf(stderr, "[error code %d]\n", runtime_error.error_code); }

#define EXPECT_FAILS_WITH(code, statement)                             \
  EXPECT_EXIT(                                                         \
      {                                                                \
        std::atexit(report_error_code);                                \
        statement;                                                     \
      },                                                               \
      ::testing::ExitedWithCode(0), "\\[error code " #code "\\]")

std::string text(const TvString& s) { return std::string(s.data, s.length); }

TvStringArray strings_of(std::initializer_list<const char*> items) {
  TvStringArray a;
  for (const char* s : items) array_push(a, TvString(s));
  return a;
}

std::vector<std::string> contents(const TvStringArray& a) {
  std::vector<std::string> out;
  for (int32_t i = 0; i < a.size1; ++i) out.push_back(text(a(i)));
  return out;
}

struct Item {
  int32_t key = 0;
  TvString name;
  TvIntArray values;
};

}  // namespace

TEST(Array, DimSetsShapeAndRoundedCapacity) {
  TvIntArray a;
  EXPECT_EQ(a.elements, nullptr);
  array_dim(a, 3, 2);
  EXPECT_EQ(a.dimensions, 2);
  EXPECT_EQ(array_bounds(a, 0), 3);
  EXPECT_EQ(array_bounds(a, 1), 2);
  EXPECT_EQ(array_bounds(a, 2), 0);
  EXPECT_EQ(array_bounds(a, 4), 0);
  EXPECT_EQ(array_bounds(a, -1), 0);
  EXPECT_EQ(array_position(a, 2, 1), 5);
  EXPECT_EQ(&a(2, 1), a.elements + 5);
  EXPECT_EQ(a.capacity, 8);

  array_dim(a, 8);
  EXPECT_EQ(a.capacity, 16);  // an exact block still gets one more
  TvStringArray s;
  array_dim(s, 64);
  EXPECT_EQ(s.capacity, 128);
  array_dim(s, 63);
  EXPECT_EQ(s.capacity, 128);  // storage that fits is kept

  TvIntArray d;
  array_dim(d, 2, 3, 4, 5);
  EXPECT_EQ(d.dimensions, 4);
  EXPECT_EQ(array_total(d), 120);
  EXPECT_EQ(array_position(d, 1, 2, 3, 4), 1 + 2 * 2 + 3 * 6 + 4 * 24);
  array_dim(d, 2, -3);  // a negative size counts as 1 in the total
  EXPECT_EQ(array_total(d), 2);
}

TEST(Array, DimResetsEveryElement) {
  TvStringArray s;
  array_dim(s, 10);
  for (int32_t i = 0; i < 10; ++i) s(i) = "x";
  array_dim(s, 3);
  array_redim(s, 10);
  for (int32_t i = 0; i < 10; ++i) EXPECT_TRUE(s(i).empty()) << i;

  TvNumberArray n;
  array_dim(n, 100);
  n(99) = 2.5;
  array_dim(n, 100);
  EXPECT_EQ(n(99), 0.0);
}

TEST(Array, IndexRules) {
  TvIntArray a;
  array_dim(a, 5);
  for (int32_t i = 0; i < 5; ++i) a(i) = i * 10;
  EXPECT_EQ(a(-1), 40);
  EXPECT_EQ(a(-5), 0);
  EXPECT_EQ(array_position(a, -6), -1);
  EXPECT_EQ(array_position(a, 5), -1);
  // an index in a dimension that is not in use would land outside storage
  EXPECT_EQ(array_position(a, 0, 1), -1);
  EXPECT_EQ(array_position(a, 0, 0, 0, 1), -1);

  TvIntArray b;
  array_dim(b, 3, 2);
  EXPECT_EQ(array_position(b, -1, 1), 5);
  EXPECT_EQ(array_position(b, 0, -1), -1);  // only the first index wraps
  EXPECT_EQ(array_position(b, 0, 2), -1);

  TvIntArray empty;
  EXPECT_EQ(array_position(empty, 0), -1);
  array_dim(empty, 0);
  EXPECT_EQ(array_bounds(empty, 0), 0);
  EXPECT_EQ(array_position(empty, 0), -1);
}

TEST(ArrayDeathTest, BadIndexEndsWithCode9) {
  TvIntArray a;
  EXPECT_FAILS_WITH(9, a(0));
  array_dim(a, 5);
  EXPECT_FAILS_WITH(9, a(-6));
  EXPECT_FAILS_WITH(9, a(5));
  EXPECT_FAILS_WITH(9, a(1, 1));
  array_dim(a, 0);
  EXPECT_FAILS_WITH(9, a(0));
}

TEST(Array, RedimKeepsElementsByIndex) {
  TvIntArray a;
  array_dim(a, 3, 2);
  for (int32_t j = 0; j < 2; ++j)
    for (int32_t i = 0; i < 3; ++i) a(i, j) = 10 * i + j + 1;
  array_redim(a, 4, 2);
  for (int32_t j = 0; j < 2; ++j) {
    for (int32_t i = 0; i < 3; ++i) EXPECT_EQ(a(i, j), 10 * i + j + 1);
    EXPECT_EQ(a(3, j), 0);
  }
  array_redim(a, 2, 3, 2);
  EXPECT_EQ(a.dimensions, 3);
  EXPECT_EQ(a(1, 1, 0), 12);
  EXPECT_EQ(a(1, 2, 0), 0);
  EXPECT_EQ(a(1, 1, 1), 0);
  array_redim(a, 2);  // back to one dimension: row j = 0 stays
  EXPECT_EQ(a.dimensions, 1);
  EXPECT_EQ(a(1), 11);
  array_redim(a, 0);
  EXPECT_EQ(a.dimensions, 0);
  EXPECT_EQ(array_bounds(a, 0), 0);
}

TEST(Array, ShrinkingNeverLeavesStaleElements) {
  TvStringArray s;
  for (int i = 0; i < 300; ++i) array_push(s, TvString("v"));
  array_redim(s, 2);
  array_redim(s, 300);
  for (int32_t i = 2; i < 300; ++i) ASSERT_TRUE(s(i).empty()) << i;
  array_redim(s, 0);
  array_push(s, TvString("w"));
  EXPECT_EQ(contents(s), std::vector<std::string>{"w"});

  TvNumberArray n;
  for (int i = 0; i < 40; ++i) array_push(n, 1.0 + i);
  array_delete(n, 0);
  array_redim(n, 40);
  EXPECT_EQ(n(38), 40.0);
  EXPECT_EQ(n(39), 0.0);
}

TEST(Array, PushGrowsOneDimension) {
  TvStringArray s;
  array_push(s, TvString("first"));
  EXPECT_EQ(s.size1, 1);
  EXPECT_EQ(s.dimensions, 1);
  EXPECT_EQ(text(s(0)), "first");

  TvIntArray a;
  for (int32_t i = 0; i < 5000; ++i) array_push(a, i * 3);
  ASSERT_EQ(a.size1, 5000);
  for (int32_t i = 0; i < 5000; ++i) ASSERT_EQ(a(i), i * 3);

  // pushing an element of the same array, also when storage must move
  TvStringArray t = strings_of({"a", "b"});
  while (t.size1 < t.capacity) array_push(t, t(0));
  array_push(t, t(1));
  EXPECT_EQ(text(t(-1)), "b");
  EXPECT_EQ(text(t(-2)), "a");
}

TEST(Array, DeleteKeepsOrder) {
  TvStringArray s = strings_of({"one", "two", "three"});
  array_delete(s, 0);
  EXPECT_EQ(contents(s), (std::vector<std::string>{"two", "three"}));
  s = strings_of({"one", "two", "three"});
  array_delete(s, -1);
  EXPECT_EQ(contents(s), (std::vector<std::string>{"one", "two"}));
  array_delete(s, 0);
  array_delete(s, 0);
  EXPECT_EQ(s.size1, 0);

  TvIntArray a;
  array_fill_list(a, {1, 2, 3, 4, 5});
  array_delete(a, 2);
  array_delete(a, -4);
  ASSERT_EQ(a.size1, 3);
  EXPECT_EQ(a(0), 2);
  EXPECT_EQ(a(1), 4);
  EXPECT_EQ(a(2), 5);
}

TEST(ArrayDeathTest, PushAndDeleteMisuseEndWithCode8) {
  TvIntArray a;
  array_dim(a, 3, 2);
  EXPECT_FAILS_WITH(8, array_push(a, 1));
  EXPECT_FAILS_WITH(8, array_delete(a, 0));
  TvIntArray b;
  EXPECT_FAILS_WITH(8, array_delete(b, 0));
  array_dim(b, 3);
  EXPECT_FAILS_WITH(8, array_delete(b, 3));
  EXPECT_FAILS_WITH(8, array_delete(b, -4));
}

TEST(ArrayDeathTest, OversizedArraysEndWithCode7) {
  // 65536 * 65536 wraps to 0 in 32 bits; it must never be taken as 0
  TvIntArray a;
  EXPECT_FAILS_WITH(7, array_dim(a, 65536, 65536));
  EXPECT_FAILS_WITH(7, array_dim(a, 50000, 50000));
  EXPECT_FAILS_WITH(7, array_dim(a, 2, 1024, 1024, 1024));
  array_dim(a, 4);
  a(3) = 7;
  EXPECT_FAILS_WITH(7, array_redim(a, 65536, 65536));
  EXPECT_EQ(a(3), 7);

  struct Huge {
    char bytes[1 << 26];
  };
  TvArray<Huge> h;
  EXPECT_FAILS_WITH(7, array_dim(h, 1 << 20));
  TvNumberArray n;
  EXPECT_FAILS_WITH(7, array_dim(n, INT32_MAX, 2));
}

TEST(Array, CopyIsDeep) {
  TvStringArray src = strings_of({"one", "two"});
  TvStringArray dst;
  array_copy(dst, src);
  dst(0) = "changed";
  EXPECT_EQ(text(src(0)), "one");
  EXPECT_EQ(contents(dst), (std::vector<std::string>{"changed", "two"}));
  array_copy(src, src);  // copying onto itself keeps the contents
  EXPECT_EQ(contents(src), (std::vector<std::string>{"one", "two"}));

  TvNumberArray m;
  array_dim(m, 2, 3, 4);
  m(1, 2, 3) = 4.5;
  TvNumberArray m2(m);
  EXPECT_EQ(m2.dimensions, 3);
  EXPECT_EQ(m2(1, 2, 3), 4.5);

  TvArray<Item> items;
  Item it;
  it.key = 1;
  it.name = "first";
  array_push(it.values, 10);
  array_push(items, it);
  TvArray<Item> other(items);
  other(0).name = "other";
  other(0).values(0) = 20;
  EXPECT_EQ(text(items(0).name), "first");
  EXPECT_EQ(items(0).values(0), 10);
}

TEST(Array, InlineStorageFollowsTheArray) {
  TvIntArray a;
  array_fill_list(a, {1, 2, 3, 4, 5, 6, 7});
  auto inside = [](const auto& arr) {
    auto p = reinterpret_cast<const unsigned char*>(arr.elements);
    auto o = reinterpret_cast<const unsigned char*>(&arr);
    return p >= o && p < o + sizeof(arr);
  };
  EXPECT_TRUE(inside(a));
  TvIntArray moved(std::move(a));
  EXPECT_TRUE(inside(moved));
  EXPECT_EQ(moved(6), 7);
  array_push(moved, 8);
  array_push(moved, 9);
  EXPECT_FALSE(inside(moved));
  EXPECT_EQ(moved(8), 9);
  EXPECT_EQ(moved(0), 1);

  TvNumberArray d;
  array_dim(d, 15);
  EXPECT_TRUE(inside(d));
  d(14) = 1.5;
  TvNumberArray e;
  array_dim(e, 100);
  array_swap(d, e);
  EXPECT_TRUE(inside(e));
  EXPECT_FALSE(inside(d));
  EXPECT_EQ(e(14), 1.5);
  array_dim(d, 16);
  EXPECT_FALSE(inside(d));
}

TEST(Array, SortOrdersByKind) {
  TvIntArray a;
  std::mt19937 rng(7);
  for (int i = 0; i < 3000; ++i) array_push(a, int32_t(rng() % 100));
  array_sort(a);
  for (int32_t i = 1; i < a.size1; ++i) ASSERT_LE(a(i - 1), a(i));

  TvStringArray s = strings_of({"pear", "Apple", "apple", "\xe9t\xe9", "", "fig"});
  array_sort(s);
  EXPECT_EQ(contents(s), (std::vector<std::string>{"", "Apple", "apple", "fig", "pear", "\xe9t\xe9"}));

  TvArray<Item> items;
  for (int32_t k : {3, 1, 2}) {
    Item it;
    it.key = k;
    array_push(items, it);
  }
  array_sort(items, [](const Item& x, const Item& y) { return double(y.key - x.key); });
  EXPECT_EQ(items(0).key, 3);
  EXPECT_EQ(items(2).key, 1);
}

TEST(Array, SortSurvivesABrokenComparison) {
  TvIntArray a;
  for (int32_t i = 0; i < 500; ++i) array_push(a, i);
  std::mt19937 rng(3);
  array_sort(a, [](int32_t, int32_t) { return -1; });
  array_sort(a, [&rng](int32_t, int32_t) { return int(rng() % 3) - 1; });
  std::vector<int32_t> seen(a.elements, a.elements + a.size1);
  std::sort(seen.begin(), seen.end());
  for (int32_t i = 0; i < 500; ++i) ASSERT_EQ(seen[i], i);

  TvNumberArray n;
  array_fill_list(n, {3.0, std::nan(""), 1.0, 2.0});
  array_sort(n);
  EXPECT_EQ(n.size1, 4);
}
