// tv_convert.cpp - number/text conversion and the operator family.
//
// Numbers print with 10 significant digits: fixed form while the leading
// digit's decimal exponent is -1..9, otherwise d.ddddddddde+XXX with at least
// three exponent digits; trailing fraction zeros go, and a point that ends
// the whole text goes too (so 1.e+010 keeps its point). The digits come from
// one correctly rounded std::to_chars pass; no snprintf retries.
#include "runtime/values/tv_convert.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "runtime/values/tv_string.h"

// --- number to text ----------------------------------------------------------

TvString string_from_int(int32_t value) {
  char digits[12];
  int n = 0;
  // work in unsigned so the smallest integer needs no special case
  uint32_t u = value < 0 ? 0u - uint32_t(value) : uint32_t(value);
  do {
    digits[n++] = char('0' + u % 10);
    u /= 10;
  } while (u != 0);
  TvString s;
  string_reserve(s, 15, false);
  uint32_t len = 0;
  if (value < 0) s.data[len++] = '-';
  while (n > 0) s.data[len++] = digits[--n];
  s.data[len] = 0;
  s.length = len;
  return s;
}

uint32_t format_number_text(double value, char* buf) {
  char* out = buf;
  if (std::isnan(value)) {
    std::memcpy(buf, "nan", 4);
    return 3;
  }
  if (std::signbit(value)) {
    value = -value;
    if (value != 0) *out++ = '-';  // negative zero prints as 0
  }
  if (std::isinf(value)) {
    std::memcpy(out, "inf", 4);
    return uint32_t(out - buf) + 3;
  }
  if (value == 0) {
    out[0] = '0';
    out[1] = 0;
    return uint32_t(out - buf) + 1;
  }

  // d.ddddddddde[+-]XX[X]: ten digits, correctly rounded
  char sci[32];
  auto res = std::to_chars(sci, sci + sizeof sci, value, std::chars_format::scientific, 9);
  char d[10];
  d[0] = sci[0];
  std::memcpy(d + 1, sci + 2, 9);
  const char* e = sci + 12;  // sign of the exponent
  int x = 0;
  for (const char* p = e + 1; p < res.ptr; ++p) x = x * 10 + (*p - '0');
  if (*e == '-') x = -x;

  int last = 9;  // last significant digit kept after dropping trailing zeros
  while (last > 0 && d[last] == '0') --last;

  if (x < -1 || x > 9) {
    *out++ = d[0];
    *out++ = '.';
    for (int i = 1; i <= last; ++i) *out++ = d[i];
    *out++ = 'e';
    *out++ = x < 0 ? '-' : '+';
    int ax = x < 0 ? -x : x;
    out[0] = char('0' + ax / 100);
    out[1] = char('0' + ax / 10 % 10);
    out[2] = char('0' + ax % 10);
    out += 3;
  } else if (x == -1) {
    *out++ = '0';
    *out++ = '.';
    for (int i = 0; i <= last; ++i) *out++ = d[i];
  } else {
    for (int i = 0; i <= x; ++i) *out++ = d[i];
    if (last > x) {
      *out++ = '.';
      for (int i = x + 1; i <= last; ++i) *out++ = d[i];
    }
  }
  *out = 0;
  return uint32_t(out - buf);
}

TvString string_from_number(double value) {
  TvString s;
  string_reserve(s, 63, false);
  s.length = format_number_text(value, s.data);
  return s;
}

TvString string_from_number(float value) { return string_from_number(double(value)); }
TvString string_from_number(int32_t value) { return string_from_int(value); }

// --- text to number ----------------------------------------------------------

namespace {

bool is_blank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

int32_t string_to_int(const char* text) {
  if (!text) return 0;
  const char* p = text;
  while (is_blank(*p)) ++p;
  bool neg = false;
  if (*p == '+' || *p == '-') neg = *p++ == '-';
  // accumulate towards the limit of the sign, then saturate
  const int64_t limit = neg ? int64_t(INT32_MAX) + 1 : int64_t(INT32_MAX);
  int64_t v = 0;
  while (is_digit(*p)) {
    v = v * 10 + (*p++ - '0');
    if (v > limit) {
      v = limit;
      while (is_digit(*p)) ++p;
    }
  }
  return int32_t(neg ? -v : v);
}

double string_to_number(const char* text) {
  if (!text) return 0;
  const char* p = text;
  while (is_blank(*p)) ++p;
  bool neg = false;
  if (*p == '+' || *p == '-') neg = *p++ == '-';
  const char* start = p;
  // decimal exponent of the first significant digit, to tell an overflow
  // from an underflow when the value does not fit a double
  int64_t magnitude = 0;
  bool significant = false;
  int digits = 0;
  for (; is_digit(*p); ++p, ++digits) {
    if (significant) ++magnitude;
    else if (*p != '0') significant = true;
  }
  if (*p == '.') {
    ++p;
    for (; is_digit(*p); ++p, ++digits) {
      if (!significant) {
        --magnitude;
        if (*p != '0') significant = true;
      }
    }
  }
  if (digits == 0) return 0;  // no leading number (this also rules out inf, nan)
  if (*p == 'e' || *p == 'E') {
    const char* q = p + 1;
    bool eneg = false;
    if (*q == '+' || *q == '-') eneg = *q++ == '-';
    if (is_digit(*q)) {
      int64_t ex = 0;
      for (; is_digit(*q); ++q)
        if (ex < 1000000) ex = ex * 10 + (*q - '0');
      magnitude += eneg ? -ex : ex;
      p = q;
    }
  }
  double v = 0;
  auto res = std::from_chars(start, p, v, std::chars_format::general);
  if (res.ec == std::errc::result_out_of_range)
    v = magnitude >= 0 ? std::numeric_limits<double>::infinity() : 0.0;
  return neg ? -v : v;
}

int32_t string_to_int(const TvString& text) { return string_to_int(text.data); }
double string_to_number(const TvString& text) { return string_to_number(text.data); }

// --- append ------------------------------------------------------------------

TvString& string_append(TvString& s, int32_t value) {
  return string_append(s, string_from_int(value));
}

TvString& string_append(TvString& s, double value) {
  char buf[32];
  uint32_t n = format_number_text(value, buf);
  return string_append_bytes(s, buf, n);
}

TvString& string_append(TvString& s, float value) { return string_append(s, double(value)); }

TvString& operator+=(TvString& s, int32_t value) { return string_append(s, value); }
TvString& operator+=(TvString& s, float value) { return string_append(s, value); }
TvString& operator+=(TvString& s, double value) { return string_append(s, value); }

// --- concatenation -----------------------------------------------------------

namespace {

// The left operand becomes a new string, the right one is appended.
template <class L, class R>
TvString concat(const L& a, const R& b) {
  TvString s(a);
  string_append(s, b);
  return s;
}

template <class R>
TvString concat_number(TvString left, const R& b) {
  string_append(left, b);
  return left;
}

}  // namespace

TvString string_concat(const char* a, const char* b) { return concat(a, b); }
TvString string_concat(const char* a, const TvString& b) { return concat(a, b); }
TvString string_concat(const TvString& a, const char* b) { return concat(a, b); }
TvString string_concat(const TvString& a, const TvString& b) { return concat(a, b); }
TvString string_concat(int32_t a, const char* b) { return concat_number(string_from_int(a), b); }
TvString string_concat(int32_t a, const TvString& b) { return concat_number(string_from_int(a), b); }
TvString string_concat(float a, const char* b) { return concat_number(string_from_number(a), b); }
TvString string_concat(float a, const TvString& b) { return concat_number(string_from_number(a), b); }
TvString string_concat(double a, const char* b) { return concat_number(string_from_number(a), b); }
TvString string_concat(double a, const TvString& b) { return concat_number(string_from_number(a), b); }
TvString string_concat(const char* a, int32_t b) { return concat(a, b); }
TvString string_concat(const char* a, float b) { return concat(a, b); }
TvString string_concat(const char* a, double b) { return concat(a, b); }
TvString string_concat(const TvString& a, int32_t b) { return concat(a, b); }
TvString string_concat(const TvString& a, float b) { return concat(a, b); }
TvString string_concat(const TvString& a, double b) { return concat(a, b); }

TvString operator+(const TvString& a, const TvString& b) { return string_concat(a, b); }
TvString operator+(const TvString& a, const char* b) { return string_concat(a, b); }
TvString operator+(const char* a, const TvString& b) { return string_concat(a, b); }
TvString operator+(const TvString& a, int32_t b) { return string_concat(a, b); }
TvString operator+(const TvString& a, float b) { return string_concat(a, b); }
TvString operator+(const TvString& a, double b) { return string_concat(a, b); }
TvString operator+(int32_t a, const TvString& b) { return string_concat(a, b); }
TvString operator+(float a, const TvString& b) { return string_concat(a, b); }
TvString operator+(double a, const TvString& b) { return string_concat(a, b); }

TvString operator+(TvString&& a, const TvString& b) { return concat_number(std::move(a), b); }
TvString operator+(TvString&& a, const char* b) { return concat_number(std::move(a), b); }
TvString operator+(TvString&& a, int32_t b) { return concat_number(std::move(a), b); }
TvString operator+(TvString&& a, float b) { return concat_number(std::move(a), b); }
TvString operator+(TvString&& a, double b) { return concat_number(std::move(a), b); }

// --- comparison --------------------------------------------------------------

namespace {

int sign_of(int c) { return (c > 0) - (c < 0); }
int order_int(int32_t a, int32_t b) { return (a > b) - (a < b); }
int order_real(double a, double b) { return a < b ? -1 : (a == b ? 0 : 1); }

const char* text_of(const char* t) { return t ? t : ""; }
const char* text_of(const TvString& t) { return t.data; }

std::strong_ordering as_ordering(int c) {
  return c < 0 ? std::strong_ordering::less
               : (c > 0 ? std::strong_ordering::greater : std::strong_ordering::equal);
}

}  // namespace

int string_order(const char* a, const char* b) { return sign_of(string_compare(a, b)); }
int string_order(const TvString& a, const TvString& b) { return sign_of(string_compare(a.data, b.data)); }
int string_order(const TvString& a, const char* b) { return sign_of(string_compare(a.data, b)); }
int string_order(const char* a, const TvString& b) { return sign_of(string_compare(a, b.data)); }
int string_order(const char* a, int32_t b) { return order_int(string_to_int(a), b); }
int string_order(const char* a, float b) { return order_real(string_to_number(a), double(b)); }
int string_order(const char* a, double b) { return order_real(string_to_number(a), b); }
int string_order(const TvString& a, int32_t b) { return order_int(string_to_int(a), b); }
int string_order(const TvString& a, float b) { return order_real(string_to_number(a), double(b)); }
int string_order(const TvString& a, double b) { return order_real(string_to_number(a), b); }
int string_order(int32_t a, const char* b) { return order_int(a, string_to_int(b)); }
int string_order(float a, const char* b) { return order_real(double(a), string_to_number(b)); }
int string_order(double a, const char* b) { return order_real(a, string_to_number(b)); }
int string_order(int32_t a, const TvString& b) { return order_int(a, string_to_int(b)); }
int string_order(float a, const TvString& b) { return order_real(double(a), string_to_number(b)); }
int string_order(double a, const TvString& b) { return order_real(a, string_to_number(b)); }

// Text with text: every relation through string_compare, except that two
// TvStrings are equal exactly when string_equal says so.
#define TV_TEXT_RELATIONS(L, R, EQ)                                               \
  bool operator==(L a, R b) { return EQ; }                                        \
  bool operator!=(L a, R b) { return !(EQ); }                                     \
  bool operator<(L a, R b) { return string_compare(text_of(a), text_of(b)) < 0; }  \
  bool operator>(L a, R b) { return string_compare(text_of(a), text_of(b)) > 0; }  \
  bool operator<=(L a, R b) { return string_compare(text_of(a), text_of(b)) <= 0; } \
  bool operator>=(L a, R b) { return string_compare(text_of(a), text_of(b)) >= 0; } \
  std::strong_ordering operator<=>(L a, R b) {                                    \
    return as_ordering(string_compare(text_of(a), text_of(b)));                   \
  }

TV_TEXT_RELATIONS(const TvString&, const TvString&, string_equal(a, b))
TV_TEXT_RELATIONS(const TvString&, const char*, string_compare(a.data, b) == 0)
TV_TEXT_RELATIONS(const char*, const TvString&, string_compare(a, b.data) == 0)
#undef TV_TEXT_RELATIONS

// Text with a number: both sides become numbers of the number's kind
// (A and B are the converted operands in source order).
#define TV_NUMBER_RELATIONS(L, R, T, A, B, ORDERING)          \
  bool operator==(L a, R b) { return T(A) == T(B); }          \
  bool operator!=(L a, R b) { return T(A) != T(B); }          \
  bool operator<(L a, R b) { return T(A) < T(B); }            \
  bool operator>(L a, R b) { return T(A) > T(B); }            \
  bool operator<=(L a, R b) { return T(A) <= T(B); }          \
  bool operator>=(L a, R b) { return T(A) >= T(B); }          \
  ORDERING operator<=>(L a, R b) { return T(A) <=> T(B); }

TV_NUMBER_RELATIONS(const TvString&, int32_t, int32_t, string_to_int(a), b, std::strong_ordering)
TV_NUMBER_RELATIONS(const TvString&, float, double, string_to_number(a), b, std::partial_ordering)
TV_NUMBER_RELATIONS(const TvString&, double, double, string_to_number(a), b, std::partial_ordering)
TV_NUMBER_RELATIONS(int32_t, const TvString&, int32_t, a, string_to_int(b), std::strong_ordering)
TV_NUMBER_RELATIONS(float, const TvString&, double, a, string_to_number(b), std::partial_ordering)
TV_NUMBER_RELATIONS(double, const TvString&, double, a, string_to_number(b), std::partial_ordering)
#undef TV_NUMBER_RELATIONS
