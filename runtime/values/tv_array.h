// tv_array.h - TvArray, the runtime's array of up to four dimensions.
//
// One template serves every element kind: 32-bit integers and doubles
// ("number arrays"), TvString, and records (any default-constructible,
// copyable type stored by value). Elements are contiguous with the first
// index varying fastest: (i, j, k, l) sits at i + j*stride1 + k*stride2 +
// l*stride3.
//
// Storage:
// - number arrays are zero-filled; small contents live inside the array
//   object (integers up to a capacity of 8, doubles up to 16);
// - string and record arrays live in one block that starts with the count
//   of elements constructed in it; all `capacity` elements are constructed,
//   so destruction walks that count backwards.
// - every element past the in-use total holds its default value, which lets
//   array_push grow a one-dimensional array in place; its spare room grows
//   geometrically, so pushing is amortised constant time.
//
// Fatal errors: a size that does not fit 32 bits or cannot be allocated ends
// the program with code 7, a bad index with 9, push/delete misuse with 8.
// A size is checked before anything is allocated or indexed.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <new>
#include <type_traits>
#include <utility>

#include "runtime/values/errors.h"
#include "runtime/values/tv_string.h"

// --- size helpers shared by every element kind (tv_array.cpp) ---------------

// Elements for four sizes: max(W,0) * max(1,X) * max(1,Y) * max(1,Z).
// Ends the program with code 7 when the product does not fit an int32.
int32_t array_checked_total(int32_t w, int32_t x, int32_t y, int32_t z);
// Storage rounded up in blocks: (total / block) * block + block, at most
// INT32_MAX.
int32_t array_rounded_capacity(int32_t total, int32_t block);
// Raw storage of `count` elements of `size` bytes after `header` bytes;
// zero-filled when `zeroed`. Ends the program with code 7 when the request
// cannot be met.
void* array_allocate(int64_t count, size_t size, size_t header, bool zeroed);
void* array_reallocate(void* block, int64_t count, size_t size);
void array_release(void* block);

template <typename T>
inline constexpr bool array_is_number = std::is_same_v<T, int32_t> || std::is_same_v<T, double>;

// Inline room for number arrays; nothing for the other kinds.
template <typename T, bool = array_is_number<T>>
struct ArrayInlineStorage {
  static constexpr int32_t count = 0;
  T* slots() { return nullptr; }
};
template <typename T>
struct ArrayInlineStorage<T, true> {
  static constexpr int32_t count = std::is_same_v<T, int32_t> ? 8 : 16;
  alignas(T) unsigned char bytes[count * sizeof(T)];
  T* slots() { return reinterpret_cast<T*>(bytes); }
};

template <typename T>
struct TvArray {
  T* elements = nullptr;
  [[no_unique_address]] ArrayInlineStorage<T> inline_storage;
  int32_t stride1 = 0;
  int32_t stride2 = 0;
  int32_t stride3 = 0;
  int32_t size1 = 0;
  int32_t size2 = 0;
  int32_t size3 = 0;
  int32_t size4 = 0;
  int32_t dimensions = 0;
  int32_t capacity = 0;

  TvArray() noexcept = default;
  TvArray(const TvArray& other);
  TvArray(TvArray&& other) noexcept;
  TvArray& operator=(const TvArray& other);
  TvArray& operator=(TvArray&& other) noexcept;
  ~TvArray();

  // Element access with the bounds check; a bad index ends the program.
  T& operator()(int32_t i, int32_t j = 0, int32_t k = 0, int32_t l = 0);
  const T& operator()(int32_t i, int32_t j = 0, int32_t k = 0, int32_t l = 0) const;
};

using TvIntArray = TvArray<int32_t>;
using TvNumberArray = TvArray<double>;
using TvStringArray = TvArray<TvString>;

// --- operations ---------------------------------------------------------------
template <typename T> void array_dim(TvArray<T>& a, int32_t w, int32_t x = 0, int32_t y = 0, int32_t z = 0);
template <typename T> void array_redim(TvArray<T>& a, int32_t w, int32_t x = 0, int32_t y = 0, int32_t z = 0);
template <typename T> int32_t array_bounds(const TvArray<T>& a, int32_t d);
// push/delete work on one-dimensional arrays; on an array using a second,
// third or fourth dimension they end the program with code 8.
template <typename T> void array_push(TvArray<T>& a, const T& value);
template <typename T> void array_delete(TvArray<T>& a, int32_t index);
template <typename T> void array_copy(TvArray<T>& dest, const TvArray<T>& src);
// Fill from a list: dimension to `count`, then element i = values[i].
template <typename T> void array_fill_list(TvArray<T>& a, int32_t count, const T* values);
template <typename T> void array_fill_list(TvArray<T>& a, std::initializer_list<T> values);
// In-place quicksort of the first size1 elements (not stable). Numbers by
// value, strings byte-wise; `compare(x, y)` returns a number below 0 when x
// belongs before y. Record arrays need `compare`.
template <typename T> void array_sort(TvArray<T>& a);
template <typename T, typename Compare> void array_sort(TvArray<T>& a, Compare compare);
template <typename T> void array_swap(TvArray<T>& a, TvArray<T>& b) noexcept;
// Storage position of (i, j, k, l) after the negative-first-index rule, or
// -1 when the access would fail. Never ends the program.
template <typename T> int64_t array_position(const TvArray<T>& a, int32_t i, int32_t j = 0, int32_t k = 0, int32_t l = 0);
// Checked access; code 9 ends the program on a bad index.
template <typename T> T& array_at(TvArray<T>& a, int32_t i, int32_t j = 0, int32_t k = 0, int32_t l = 0);
// Elements in use (the product of the sizes).
template <typename T> int32_t array_total(const TvArray<T>& a);

// ==============================================================================
// implementation
// ==============================================================================
namespace array_detail {

template <typename T>
constexpr int32_t block_size() { return array_is_number<T> ? 8 : 64; }

// Header in front of string and record elements: the constructed count,
// padded so the elements stay aligned.
template <typename T>
constexpr size_t header_bytes() { return alignof(T) < 8 ? 8 : alignof(T); }

template <typename T>
inline int32_t* header_of(T* elements) {
  return reinterpret_cast<int32_t*>(reinterpret_cast<unsigned char*>(elements) - header_bytes<T>());
}

inline int32_t extent(int32_t size) { return size > 0 ? size : 1; }

template <typename T>
bool is_inline(const TvArray<T>& a) {
  if constexpr (array_is_number<T>) {
    return a.elements != nullptr &&
           a.elements == const_cast<TvArray<T>&>(a).inline_storage.slots();
  } else {
    (void)a;
    return false;
  }
}

// Frees the storage (destroying string/record elements) and forgets it.
template <typename T>
void release(TvArray<T>& a) {
  if (!a.elements) return;
  if constexpr (array_is_number<T>) {
    if (!is_inline(a)) array_release(a.elements);
  } else {
    int32_t* count = header_of(a.elements);
    for (int32_t n = *count; n > 0; --n) a.elements[n - 1].~T();
    array_release(count);
  }
  a.elements = nullptr;
  a.capacity = 0;
}

// Fresh storage for `cap` default elements; the old storage must be gone.
template <typename T>
void allocate(TvArray<T>& a, int32_t cap) {
  if constexpr (array_is_number<T>) {
    if (cap <= ArrayInlineStorage<T>::count) {
      a.elements = a.inline_storage.slots();
      std::memset(a.elements, 0, sizeof(T) * size_t(cap));
    } else {
      a.elements = static_cast<T*>(array_allocate(cap, sizeof(T), 0, true));
    }
  } else {
    void* block = array_allocate(cap, sizeof(T), header_bytes<T>(), false);
    int32_t* count = static_cast<int32_t*>(block);
    T* first = reinterpret_cast<T*>(static_cast<unsigned char*>(block) + header_bytes<T>());
    *count = 0;
    for (int32_t n = 0; n < cap; ++n) {
      ::new (static_cast<void*>(first + n)) T();
      *count = n + 1;
    }
    a.elements = first;
  }
  a.capacity = cap;
}

// Moves the first `keep` elements into storage of `cap` elements.
template <typename T>
void reallocate(TvArray<T>& a, int32_t cap, int32_t keep) {
  if constexpr (array_is_number<T>) {
    if (a.elements && !is_inline(a) && cap > ArrayInlineStorage<T>::count) {
      a.elements = static_cast<T*>(array_reallocate(a.elements, cap, sizeof(T)));
      if (cap > a.capacity)
        std::memset(a.elements + a.capacity, 0, sizeof(T) * size_t(cap - a.capacity));
      a.capacity = cap;
      return;
    }
    T kept_inline[ArrayInlineStorage<T>::count ? ArrayInlineStorage<T>::count : 1];
    T* old = a.elements;
    bool old_inline = is_inline(a);
    if (old_inline) {  // the inline room is reused by the new storage
      std::memcpy(kept_inline, old, sizeof(T) * size_t(keep));
      old = kept_inline;
    }
    a.elements = nullptr;
    allocate(a, cap);
    if (keep > 0) std::memcpy(a.elements, old, sizeof(T) * size_t(keep));
    if (!old_inline && old) array_release(old);
  } else {
    TvArray<T> fresh;
    allocate(fresh, cap);
    for (int32_t n = 0; n < keep; ++n) fresh.elements[n] = std::move(a.elements[n]);
    release(a);
    a.elements = fresh.elements;
    a.capacity = fresh.capacity;
    fresh.elements = nullptr;
    fresh.capacity = 0;
  }
}

template <typename T>
void reset_range(TvArray<T>& a, int32_t from, int32_t to) {
  if (from >= to) return;
  if constexpr (array_is_number<T>) {
    std::memset(a.elements + from, 0, sizeof(T) * size_t(to - from));
  } else {
    for (int32_t n = from; n < to; ++n) a.elements[n] = T();
  }
}

// Sizes, strides and the dimension count. Unused dimensions multiply as 1,
// so the strides always agree with the element total.
template <typename T>
void set_shape(TvArray<T>& a, int32_t w, int32_t x, int32_t y, int32_t z) {
  a.size1 = w > 0 ? w : 0;
  a.size2 = x;
  a.size3 = y;
  a.size4 = z;
  a.stride1 = a.size1;
  a.stride2 = a.stride1 * extent(x);
  a.stride3 = a.stride2 * extent(y);
  a.dimensions = z != 0 ? 4 : y != 0 ? 3 : x != 0 ? 2 : a.size1 > 0 ? 1 : 0;
}

template <typename T>
void clear_shape(TvArray<T>& a) {
  a.size1 = a.size2 = a.size3 = a.size4 = 0;
  a.stride1 = a.stride2 = a.stride3 = 0;
  a.dimensions = 0;
}

template <typename T>
bool is_flat(const TvArray<T>& a) { return a.size2 == 0 && a.size3 == 0 && a.size4 == 0; }

// Resizes a one-dimensional array to `n` elements, keeping the first
// min(old, n). Spare room is kept unless it is far more than needed.
template <typename T>
void resize_flat(TvArray<T>& a, int32_t n, int32_t grow_to) {
  int32_t old = a.size1;
  int32_t need = array_rounded_capacity(n, block_size<T>());
  if (a.elements && n <= a.capacity && (a.capacity / 4 <= need || a.capacity <= ArrayInlineStorage<T>::count)) {
    if (n < old) reset_range(a, n, old);
  } else {
    int32_t keep = old < n ? old : n;
    if (keep < old) reset_range(a, keep, old);
    int32_t cap = grow_to > need ? grow_to : need;
    if (!a.elements) {
      allocate(a, cap);
    } else {
      reallocate(a, cap, keep);
    }
  }
  set_shape(a, n, 0, 0, 0);
}

[[noreturn]] void fail_bounds();

}  // namespace array_detail

template <typename T>
int32_t array_total(const TvArray<T>& a) {
  if (a.size1 <= 0) return 0;
  using array_detail::extent;
  return a.size1 * extent(a.size2) * extent(a.size3) * extent(a.size4);
}

template <typename T>
TvArray<T>::TvArray(const TvArray& other) {
  if (other.elements) array_copy(*this, other);
}

template <typename T>
TvArray<T>::TvArray(TvArray&& other) noexcept {
  array_swap(*this, other);
}

template <typename T>
TvArray<T>& TvArray<T>::operator=(const TvArray& other) {
  if (this != &other) {
    if (other.elements) {
      array_copy(*this, other);
    } else {
      array_detail::release(*this);
      array_detail::clear_shape(*this);
    }
  }
  return *this;
}

template <typename T>
TvArray<T>& TvArray<T>::operator=(TvArray&& other) noexcept {
  array_swap(*this, other);
  return *this;
}

template <typename T>
TvArray<T>::~TvArray() {
  array_detail::release(*this);
}

template <typename T>
void array_swap(TvArray<T>& a, TvArray<T>& b) noexcept {
  if (&a == &b) return;
  bool a_inline = array_detail::is_inline(a);
  bool b_inline = array_detail::is_inline(b);
  std::swap(a.elements, b.elements);
  if constexpr (array_is_number<T>) {
    std::swap(a.inline_storage, b.inline_storage);
    if (a_inline) b.elements = b.inline_storage.slots();
    if (b_inline) a.elements = a.inline_storage.slots();
  } else {
    (void)a_inline;
    (void)b_inline;
  }
  std::swap(a.stride1, b.stride1);
  std::swap(a.stride2, b.stride2);
  std::swap(a.stride3, b.stride3);
  std::swap(a.size1, b.size1);
  std::swap(a.size2, b.size2);
  std::swap(a.size3, b.size3);
  std::swap(a.size4, b.size4);
  std::swap(a.dimensions, b.dimensions);
  std::swap(a.capacity, b.capacity);
}

template <typename T>
void array_dim(TvArray<T>& a, int32_t w, int32_t x, int32_t y, int32_t z) {
  using namespace array_detail;
  int32_t total = array_checked_total(w, x, y, z);
  int32_t cap = array_rounded_capacity(total, block_size<T>());
  if (a.capacity < cap || w < 1 || !a.elements) {
    release(a);
    allocate(a, cap);
  } else {
    // everything past the old total is already default
    reset_range(a, 0, array_total(a));
  }
  set_shape(a, w, x, y, z);
}

template <typename T>
void array_redim(TvArray<T>& a, int32_t w, int32_t x, int32_t y, int32_t z) {
  using namespace array_detail;
  if (w < 1) {
    // the storage stays; its elements go back to their defaults
    if (a.elements) reset_range(a, 0, array_total(a));
    clear_shape(a);
    return;
  }
  if (x == 0 && y == 0 && z == 0 && is_flat(a)) {
    resize_flat(a, w, 0);
    return;
  }
  array_checked_total(w, x, y, z);  // fail before touching anything
  TvArray<T> fresh;
  array_dim(fresh, w, x, y, z);
  if (a.elements && a.size1 > 0) {
    int32_t n1 = a.size1 < w ? a.size1 : w;
    int32_t n2 = extent(a.size2) < extent(x) ? extent(a.size2) : extent(x);
    int32_t n3 = extent(a.size3) < extent(y) ? extent(a.size3) : extent(y);
    int32_t n4 = extent(a.size4) < extent(z) ? extent(a.size4) : extent(z);
    for (int32_t l = 0; l < n4; ++l)
      for (int32_t k = 0; k < n3; ++k)
        for (int32_t j = 0; j < n2; ++j) {
          T* from = a.elements + (int64_t(j) * a.stride1 + int64_t(k) * a.stride2 + int64_t(l) * a.stride3);
          T* to = fresh.elements + (int64_t(j) * fresh.stride1 + int64_t(k) * fresh.stride2 + int64_t(l) * fresh.stride3);
          for (int32_t i = 0; i < n1; ++i) to[i] = std::move(from[i]);
        }
  }
  array_swap(a, fresh);
}

template <typename T>
int32_t array_bounds(const TvArray<T>& a, int32_t d) {
  switch (d) {
    case 0: return a.size1;
    case 1: return a.size2;
    case 2: return a.size3;
    case 3: return a.size4;
    default: return 0;
  }
}

template <typename T>
int64_t array_position(const TvArray<T>& a, int32_t i, int32_t j, int32_t k, int32_t l) {
  if (i < 0) i += a.size1;
  if (i < 0 || j < 0 || k < 0 || l < 0 || !a.elements || i >= a.size1) return -1;
  // an index in a dimension that is not in use must be 0: anything else
  // would reach past the elements
  if (a.size2 != 0 ? j >= a.size2 : j != 0) return -1;
  if (a.size3 != 0 ? k >= a.size3 : k != 0) return -1;
  if (a.size4 != 0 ? l >= a.size4 : l != 0) return -1;
  return int64_t(i) + int64_t(j) * a.stride1 + int64_t(k) * a.stride2 + int64_t(l) * a.stride3;
}

template <typename T>
T& array_at(TvArray<T>& a, int32_t i, int32_t j, int32_t k, int32_t l) {
  int64_t p = array_position(a, i, j, k, l);
  if (p < 0) array_detail::fail_bounds();
  return a.elements[p];
}

template <typename T>
T& TvArray<T>::operator()(int32_t i, int32_t j, int32_t k, int32_t l) {
  return array_at(*this, i, j, k, l);
}

template <typename T>
const T& TvArray<T>::operator()(int32_t i, int32_t j, int32_t k, int32_t l) const {
  return array_at(const_cast<TvArray<T>&>(*this), i, j, k, l);
}

template <typename T>
void array_push(TvArray<T>& a, const T& value) {
  using namespace array_detail;
  if (!is_flat(a)) fail(ERR_UNKNOWN);
  if (a.size1 == INT32_MAX) fail(ERR_OUT_OF_MEMORY);
  int32_t n = a.size1 + 1;
  if (a.elements && n <= a.capacity) {
    set_shape(a, n, 0, 0, 0);
    a.elements[n - 1] = value;
    return;
  }
  // the value may be one of our own elements: copy it before moving storage
  T copy(value);
  int64_t doubled = int64_t(a.capacity) * 2;
  resize_flat(a, n, doubled > INT32_MAX ? INT32_MAX : int32_t(doubled));
  if (!a.elements || n > a.capacity) fail(ERR_OUT_OF_BOUNDS);
  a.elements[n - 1] = std::move(copy);
}

template <typename T>
void array_delete(TvArray<T>& a, int32_t index) {
  using namespace array_detail;
  if (index < 0) index += a.size1;
  if (index < 0 || index >= a.size1 || !a.elements) fail(ERR_UNKNOWN);
  if (!is_flat(a)) fail(ERR_UNKNOWN);
  if constexpr (array_is_number<T>) {
    T gone = a.elements[index];
    std::memmove(a.elements + index, a.elements + index + 1, sizeof(T) * size_t(a.size1 - 1 - index));
    a.elements[a.size1 - 1] = gone;
  } else {
    using std::swap;
    for (int32_t n = index; n + 1 < a.size1; ++n) swap(a.elements[n], a.elements[n + 1]);
  }
  resize_flat(a, a.size1 - 1, 0);
}

template <typename T>
void array_copy(TvArray<T>& dest, const TvArray<T>& src) {
  if (&dest == &src) return;  // dimensioning would wipe the source first
  array_dim(dest, src.size1, src.size2, src.size3, src.size4);
  int32_t total = array_total(src);
  if (total == 0 || !src.elements) return;
  if constexpr (array_is_number<T>) {
    std::memcpy(dest.elements, src.elements, sizeof(T) * size_t(total));
  } else {
    for (int32_t n = 0; n < total; ++n) dest.elements[n] = src.elements[n];
  }
}

template <typename T>
void array_fill_list(TvArray<T>& a, int32_t count, const T* values) {
  array_dim(a, count);
  for (int32_t n = 0; n < count; ++n) a.elements[n] = values[n];
}

template <typename T>
void array_fill_list(TvArray<T>& a, std::initializer_list<T> values) {
  array_fill_list(a, int32_t(values.size()), values.begin());
}

namespace array_detail {

// Quicksort with two inward cursors; the cursors are kept inside the range so
// a comparison that is not a consistent order cannot walk them off the end.
template <typename T, typename Less>
void quicksort(T* v, int32_t lo, int32_t hi, Less& before) {
  using std::swap;
  while (hi - lo > 0) {
    int32_t mid = lo + (hi - lo) / 2;
    // median of three as the pivot keeps sorted input fast
    if (before(v[mid], v[lo])) swap(v[mid], v[lo]);
    if (before(v[hi], v[lo])) swap(v[hi], v[lo]);
    if (before(v[hi], v[mid])) swap(v[hi], v[mid]);
    if (hi - lo < 3) return;
    T pivot(v[mid]);
    int32_t i = lo, j = hi;
    for (;;) {
      while (i < hi && before(v[i], pivot)) ++i;
      while (j > lo && before(pivot, v[j])) --j;
      if (i >= j) break;
      swap(v[i], v[j]);
      ++i;
      --j;
    }
    // [lo, j] and [j + 1, hi]; j may sit at hi when the order is broken
    if (j >= hi) j = hi - 1;
    if (j < lo) j = lo;
    if (j - lo < hi - j - 1) {
      quicksort(v, lo, j, before);
      lo = j + 1;
    } else {
      quicksort(v, j + 1, hi, before);
      hi = j;
    }
  }
}

}  // namespace array_detail

template <typename T, typename Compare>
void array_sort(TvArray<T>& a, Compare compare) {
  if (!a.elements || a.size1 < 2) return;
  auto before = [&compare](const T& x, const T& y) { return compare(x, y) < 0; };
  array_detail::quicksort(a.elements, 0, a.size1 - 1, before);
}

template <typename T>
void array_sort(TvArray<T>& a) {
  static_assert(array_is_number<T> || std::is_same_v<T, TvString>,
                "record arrays are sorted with a comparison function");
  if constexpr (std::is_same_v<T, TvString>) {
    array_sort(a, [](const TvString& x, const TvString& y) { return string_compare(x.data, y.data); });
  } else {
    array_sort(a, [](T x, T y) { return x < y ? -1 : (y < x ? 1 : 0); });
  }
}

extern template struct TvArray<int32_t>;
extern template struct TvArray<double>;
extern template struct TvArray<TvString>;
