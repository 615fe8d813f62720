// tv_convert.h - numbers to text and back, and the operator family
// (append, concatenation, comparison) over text and number operands.
#pragma once
#include <cstdint>

struct TvString;

TvString string_from_int(int32_t value);
TvString string_from_number(double value);
TvString string_from_number(float value);
int32_t string_to_int(const char* text);
double string_to_number(const char* text);
