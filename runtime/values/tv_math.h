// tv_math.h - the numeric library: trigonometry in degrees, guarded
// inverse functions, remainders, powers, absolute values and the ISAAC
// random number generator.
#pragma once
#include <cstdint>

double math_sin(double degrees);
double math_cos(double degrees);
double math_tan(double degrees);
double math_atan2(double y, double x);  // degrees, -180 .. 180
double math_asin(double x);             // degrees; 90 / -90 outside -1 .. 1
double math_acos(double x);             // degrees; 0 / 180 outside -1 .. 1
double math_sqrt(double x);             // NaN for negative x
double math_pow(double base, double exponent);
double math_fmod(double x, double y);   // 0 when y is 0
int32_t int_mod(int32_t a, int32_t b);  // 0 when b is 0; sign of a
double math_abs(double x);
int32_t int_abs(int32_t x);

// ISAAC: 256 words of state, results taken from the result array.
struct IsaacState {
  uint32_t results[256];
  uint32_t memory[256];
  uint32_t a, b, c;
};
// Clears everything, mixes the seed in with the golden-ratio start and fills
// the state; the first result set is generated as well.
void isaac_init(IsaacState& s, uint32_t seed);
// One full generation pass: all 256 results are renewed.
void isaac_generate(IsaacState& s);

// Restarts the runtime's generator from the seed.
void random_seed(int32_t seed);
// 0 if n <= 0 (generator untouched), else 0 .. n inclusive.
int32_t random_int(int32_t n);
