// tv_convert.h - numbers to text and back, and the operator family
// (append, concatenation, comparison) over text and number operands.
//
// Number kinds are the dialect's: integer = int32_t, single = float,
// number = double. Text operands are zero-terminated `const char*` or
// TvString. A single is widened to double before it becomes text or is
// compared.
//
// Comparing text with a number converts the text first: with string_to_int
// against an integer, with string_to_number against a single or double; the
// operands keep their source order. Text with text compares bytes (so "10"
// sorts before "9").
//
// C++ cannot overload operators where no operand is a class, so mixes of
// `const char*` with `const char*` or with a number exist only as the named
// functions string_concat and string_order. `char` operands are rejected at
// compile time: `s += 'x'` would otherwise append the digits of 120; use
// string_append_char for a single byte.
#pragma once
#include <compare>
#include <cstdint>

#include "runtime/values/tv_string.h"

// --- conversions -------------------------------------------------------------
TvString string_from_int(int32_t value);
TvString string_from_number(double value);
TvString string_from_number(float value);
// An integer prints the same through either path; this keeps
// string_from_number(5) from being ambiguous.
TvString string_from_number(int32_t value);
int32_t string_to_int(const char* text);   // saturates outside 32 bits
double string_to_number(const char* text);
int32_t string_to_int(const TvString& text);
double string_to_number(const TvString& text);

// Writes the text of string_from_number into buf (at least 32 bytes) and
// returns its length; for callers that format without a TvString.
uint32_t format_number_text(double value, char* buf);

// --- append ------------------------------------------------------------------
TvString& string_append(TvString& s, int32_t value);
TvString& string_append(TvString& s, float value);
TvString& string_append(TvString& s, double value);
TvString& string_append(TvString& s, char) = delete;

inline TvString& operator+=(TvString& s, const char* text) { return string_append(s, text); }
inline TvString& operator+=(TvString& s, const TvString& other) { return string_append(s, other); }
TvString& operator+=(TvString& s, int32_t value);
TvString& operator+=(TvString& s, float value);
TvString& operator+=(TvString& s, double value);
TvString& operator+=(TvString& s, char) = delete;

// --- concatenation -----------------------------------------------------------
TvString string_concat(const char* a, const char* b);
TvString string_concat(const char* a, const TvString& b);
TvString string_concat(const TvString& a, const char* b);
TvString string_concat(const TvString& a, const TvString& b);
TvString string_concat(int32_t a, const char* b);
TvString string_concat(int32_t a, const TvString& b);
TvString string_concat(float a, const char* b);
TvString string_concat(float a, const TvString& b);
TvString string_concat(double a, const char* b);
TvString string_concat(double a, const TvString& b);
TvString string_concat(const char* a, int32_t b);
TvString string_concat(const char* a, float b);
TvString string_concat(const char* a, double b);
TvString string_concat(const TvString& a, int32_t b);
TvString string_concat(const TvString& a, float b);
TvString string_concat(const TvString& a, double b);

TvString operator+(const TvString& a, const TvString& b);
TvString operator+(const TvString& a, const char* b);
TvString operator+(const char* a, const TvString& b);
TvString operator+(const TvString& a, int32_t b);
TvString operator+(const TvString& a, float b);
TvString operator+(const TvString& a, double b);
TvString operator+(int32_t a, const TvString& b);
TvString operator+(float a, const TvString& b);
TvString operator+(double a, const TvString& b);
// A temporary on the left is extended in place, so chains such as
// "a" + s + 5 + "b" build one string instead of one per step.
TvString operator+(TvString&& a, const TvString& b);
TvString operator+(TvString&& a, const char* b);
TvString operator+(TvString&& a, int32_t b);
TvString operator+(TvString&& a, float b);
TvString operator+(TvString&& a, double b);
TvString operator+(const TvString& a, char) = delete;
TvString operator+(char, const TvString& b) = delete;

// --- comparison --------------------------------------------------------------
// Three-way forms returning -1, 0 or 1 for every operand mix. Against a NaN
// nothing is less, equal or greater; string_order then answers 1.
int string_order(const char* a, const char* b);
int string_order(const TvString& a, const TvString& b);
int string_order(const TvString& a, const char* b);
int string_order(const char* a, const TvString& b);
int string_order(const char* a, int32_t b);
int string_order(const char* a, float b);
int string_order(const char* a, double b);
int string_order(const TvString& a, int32_t b);
int string_order(const TvString& a, float b);
int string_order(const TvString& a, double b);
int string_order(int32_t a, const char* b);
int string_order(float a, const char* b);
int string_order(double a, const char* b);
int string_order(int32_t a, const TvString& b);
int string_order(float a, const TvString& b);
int string_order(double a, const TvString& b);

// TvString == TvString compares lengths and bytes (string_equal); every other
// text/text relation is string_compare, which stops at a zero byte.
#define TV_DECLARE_RELATIONS(L, R, ORDERING)   \
  bool operator==(L a, R b);                   \
  bool operator!=(L a, R b);                   \
  bool operator<(L a, R b);                    \
  bool operator>(L a, R b);                    \
  bool operator<=(L a, R b);                   \
  bool operator>=(L a, R b);                   \
  ORDERING operator<=>(L a, R b);

TV_DECLARE_RELATIONS(const TvString&, const TvString&, std::strong_ordering)
TV_DECLARE_RELATIONS(const TvString&, const char*, std::strong_ordering)
TV_DECLARE_RELATIONS(const char*, const TvString&, std::strong_ordering)
TV_DECLARE_RELATIONS(const TvString&, int32_t, std::strong_ordering)
TV_DECLARE_RELATIONS(const TvString&, float, std::partial_ordering)
TV_DECLARE_RELATIONS(const TvString&, double, std::partial_ordering)
TV_DECLARE_RELATIONS(int32_t, const TvString&, std::strong_ordering)
TV_DECLARE_RELATIONS(float, const TvString&, std::partial_ordering)
TV_DECLARE_RELATIONS(double, const TvString&, std::partial_ordering)
#undef TV_DECLARE_RELATIONS

#define TV_DELETE_RELATIONS(L, R)              \
  bool operator==(L a, R b) = delete;          \
  bool operator!=(L a, R b) = delete;          \
  bool operator<(L a, R b) = delete;           \
  bool operator>(L a, R b) = delete;           \
  bool operator<=(L a, R b) = delete;          \
  bool operator>=(L a, R b) = delete;          \
  std::strong_ordering operator<=>(L a, R b) = delete;

TV_DELETE_RELATIONS(const TvString&, char)
TV_DELETE_RELATIONS(char, const TvString&)
#undef TV_DELETE_RELATIONS
