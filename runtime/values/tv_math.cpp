// tv_math.cpp - math in degrees and the ISAAC generator.
#include "runtime/values/tv_math.h"

#include <cmath>
#include <cstring>
#include <initializer_list>

#include "runtime/platform/process_info.h"

namespace {
constexpr double kDegToRad = 0.017453292519943295;
constexpr double kRadToDeg = 57.29577951308232;
}  // namespace

double math_sin(double degrees) { return std::sin(degrees * kDegToRad); }
double math_cos(double degrees) { return std::cos(degrees * kDegToRad); }
double math_tan(double degrees) { return std::tan(degrees * kDegToRad); }
double math_atan2(double y, double x) { return std::atan2(y, x) * kRadToDeg; }

double math_asin(double x) {
  if (x >= 1) return 90;
  if (x <= -1) return -90;
  return std::asin(x) * kRadToDeg;
}

double math_acos(double x) {
  if (x >= 1) return 0;
  if (x <= -1) return 180;
  return std::acos(x) * kRadToDeg;
}

double math_sqrt(double x) { return std::sqrt(x); }
double math_pow(double base, double exponent) { return std::pow(base, exponent); }
double math_fmod(double x, double y) { return y == 0 ? 0 : std::fmod(x, y); }

int32_t int_mod(int32_t a, int32_t b) {
  if (b == 0) return 0;
  if (b == -1) return 0;  // INT32_MIN % -1 would trap; the remainder is 0 anyway
  return a % b;
}

double math_abs(double x) { return std::fabs(x); }
// the one value without a positive counterpart stays as it is
int32_t int_abs(int32_t x) { return x < 0 ? int32_t(0u - uint32_t(x)) : x; }

// ---- ISAAC -----------------------------------------------------------------

namespace {
inline void mix(uint32_t v[8]) {
  uint32_t &a = v[0], &b = v[1], &c = v[2], &d = v[3], &e = v[4], &f = v[5], &g = v[6], &h = v[7];
  a ^= b << 11; d += a; b += c;
  b ^= c >> 2;  e += b; c += d;
  c ^= d << 8;  f += c; d += e;
  d ^= e >> 16; g += d; e += f;
  e ^= f << 10; h += e; f += g;
  f ^= g >> 4;  a += f; g += h;
  g ^= h << 8;  b += g; h += a;
  h ^= a >> 9;  c += h; a += b;
}
}  // namespace

void isaac_generate(IsaacState& s) {
  uint32_t* mm = s.memory;
  s.c += 1;
  s.b += s.c;
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t x = mm[i];
    switch (i & 3) {
      case 0: s.a ^= s.a << 13; break;
      case 1: s.a ^= s.a >> 6; break;
      case 2: s.a ^= s.a << 2; break;
      case 3: s.a ^= s.a >> 16; break;
    }
    s.a += mm[(i + 128) & 255];
    uint32_t y = mm[(x >> 2) & 255] + s.a + s.b;
    mm[i] = y;
    s.b = mm[(y >> 10) & 255] + x;
    s.results[i] = s.b;
  }
}

void isaac_init(IsaacState& s, uint32_t seed) {
  std::memset(&s, 0, sizeof s);
  s.results[0] = seed;  // the seed enters the first mixing variable below
  uint32_t v[8];
  for (uint32_t& w : v) w = 0x9e3779b9u;
  for (int i = 0; i < 4; ++i) mix(v);
  for (const uint32_t* src : {s.results, s.memory}) {
    for (int i = 0; i < 256; i += 8) {
      for (int k = 0; k < 8; ++k) v[k] += src[i + k];
      mix(v);
      for (int k = 0; k < 8; ++k) s.memory[i + k] = v[k];
    }
  }
  isaac_generate(s);
}

namespace {
IsaacState generator;
bool generator_seeded = false;
}  // namespace

void random_seed(int32_t seed) {
  isaac_init(generator, uint32_t(seed));
  generator_seeded = true;
}

int32_t random_int(int32_t n) {
  if (n <= 0) return 0;
  // a program that draws before start-up still gets a varying sequence
  if (!generator_seeded) random_seed(int32_t(platform_monotonic_ms()));
  isaac_generate(generator);
  return int32_t(generator.results[0] % (uint32_t(n) + 1u));
}
