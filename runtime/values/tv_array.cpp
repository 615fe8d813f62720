// tv_array.cpp - the size arithmetic and raw storage behind TvArray, kept out
// of the template so every element kind shares one checked path to error 7.
#include "runtime/values/tv_array.h"

#include <cstdlib>

namespace {

// Requests beyond this are refused without asking the allocator: no machine
// we run on has a terabyte to give, and some allocators abort on such sizes
// instead of returning null.
constexpr uint64_t max_request_bytes = uint64_t(1) << 40;

uint64_t request_bytes(int64_t count, size_t size, size_t header) {
  if (count < 0) fail(ERR_OUT_OF_MEMORY);
  uint64_t n = uint64_t(count);
  if (size != 0 && n > (max_request_bytes - header) / size) fail(ERR_OUT_OF_MEMORY);
  return header + n * size;
}

}  // namespace

int32_t array_checked_total(int32_t w, int32_t x, int32_t y, int32_t z) {
  if (w <= 0) return 0;
  int64_t total = w;
  for (int32_t s : {x, y, z}) {
    total *= (s > 0 ? s : 1);
    if (total > INT32_MAX) fail(ERR_OUT_OF_MEMORY);
  }
  return int32_t(total);
}

int32_t array_rounded_capacity(int32_t total, int32_t block) {
  int64_t cap = int64_t(total) / block * block + block;
  return cap > INT32_MAX ? INT32_MAX : int32_t(cap);
}

void* array_allocate(int64_t count, size_t size, size_t header, bool zeroed) {
  uint64_t bytes = request_bytes(count, size, header);
  if (bytes == 0) bytes = 1;
  void* block = zeroed ? std::calloc(size_t(bytes), 1) : std::malloc(size_t(bytes));
  if (!block) fail(ERR_OUT_OF_MEMORY);
  return block;
}

void* array_reallocate(void* block, int64_t count, size_t size) {
  uint64_t bytes = request_bytes(count, size, 0);
  if (bytes == 0) bytes = 1;
  void* grown = std::realloc(block, size_t(bytes));
  if (!grown) fail(ERR_OUT_OF_MEMORY);
  return grown;
}

void array_release(void* block) { std::free(block); }

namespace array_detail {
void fail_bounds() { fail(ERR_OUT_OF_BOUNDS); }
}  // namespace array_detail

template struct TvArray<int32_t>;
template struct TvArray<double>;
template struct TvArray<TvString>;
