// Number/text conversion and the append, concatenation and comparison
// operators of TvString.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "runtime/values/tv_string.h"
#include "tests/support/tv_text.h"

namespace {

TEST(StringFromNumber, TableOfTexts) {
  struct Row { double value; const char* text; };
  const Row rows[] = {
      {0, "0"},
      {3, "3"},
      {2.5, "2.5"},
      {-1.5, "-1.5"},
      {0.1, "0.1"},
      {0.123456789012, "0.123456789"},
      {123.456789012, "123.456789"},
      {1234567890, "1234567890"},
      {12345678901.0, "1.23456789e+010"},
      {1e10, "1.e+010"},
      {0.05, "5.e-002"},
      {0.0123, "1.23e-002"},
      {0.00001, "1.e-005"},
      {9999999999.0, "9999999999"},
      {-0.5, "-0.5"},
      {-0.0, "0"},
      {1e100, "1.e+100"},
      {-2.5e-300, "-2.5e-300"},
      {123456.5, "123456.5"},
      {2147483647.0, "2147483647"},
      // rounding to ten digits moves the value into the next decade
      {9999999999.6, "1.e+010"},
      {0.099999999999, "0.1"}, {0.09999999999, "9.999999999e-002"},
      {std::numeric_limits<double>::infinity(), "inf"},
      {-std::numeric_limits<double>::infinity(), "-inf"},
      {std::nan(""), "nan"},
  };
  for (const Row& r : rows) EXPECT_EQ(str(string_from_number(r.value)), r.text) << r.value;
  EXPECT_EQ(str(string_from_number(0.1f)), "0.1000000015");
  EXPECT_EQ(str(string_from_number(2.5f)), "2.5");
}

TEST(StringFromNumber, BufferAndLength) {
  TvString s = string_from_number(1e10);
  EXPECT_EQ(s.capacity, 80u);  // reserved for 63 characters
  EXPECT_EQ(s.length, 7u);
  EXPECT_EQ(s.data[s.length], 0);
}

// The fixed and exponent forms agree with a ten-digit %e rendering of the
// same value for a spread of magnitudes.
TEST(StringFromNumber, AgreesWithTenDigitRounding) {
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> mant(1.0, 10.0);
  std::uniform_int_distribution<int> ex(-30, 30);
  for (int i = 0; i < 20000; ++i) {
    double v = mant(rng) * std::pow(10.0, ex(rng));
    if (i & 1) v = -v;
    TvString s = string_from_number(v);
    // reading the text back gives the value rounded to ten digits
    char ref[64];
    std::snprintf(ref, sizeof ref, "%.9e", v);
    ASSERT_EQ(std::strtod(s.data, nullptr), std::strtod(ref, nullptr)) << s.data << " vs " << ref;
    ASSERT_EQ(s.length, std::strlen(s.data));
  }
}

TEST(StringFromInt, Texts) {
  EXPECT_EQ(str(string_from_int(0)), "0");
  EXPECT_EQ(str(string_from_int(-7)), "-7");
  EXPECT_EQ(str(string_from_int(2147483647)), "2147483647");
  EXPECT_EQ(str(string_from_int(INT32_MIN)), "-2147483648");
  EXPECT_EQ(string_from_int(5).capacity, 32u);  // reserved for 15 characters
  EXPECT_EQ(str(string_from_number(int32_t(-12))), "-12");
}

TEST(StringToNumber, DecimalPrefix) {
  EXPECT_EQ(string_to_int("  -42xyz"), -42);
  EXPECT_EQ(string_to_int("1.9"), 1);
  EXPECT_EQ(string_to_int("12abc"), 12);
  EXPECT_EQ(string_to_int("+7"), 7);
  EXPECT_EQ(string_to_int("\t\n 8"), 8);
  EXPECT_EQ(string_to_int("abc"), 0);
  EXPECT_EQ(string_to_int("0x10"), 0);
  EXPECT_EQ(string_to_int("- 5"), 0);
  EXPECT_EQ(string_to_int(""), 0);
  EXPECT_EQ(string_to_int(static_cast<const char*>(nullptr)), 0);

  EXPECT_EQ(string_to_number("1e3"), 1000.0);
  EXPECT_EQ(string_to_number("abc"), 0.0);
  EXPECT_EQ(string_to_number("  -2.5e-1x"), -0.25);
  EXPECT_EQ(string_to_number(".5"), 0.5);
  EXPECT_EQ(string_to_number("5."), 5.0);
  EXPECT_EQ(string_to_number("3e"), 3.0);
  EXPECT_EQ(string_to_number("3e+"), 3.0);
  EXPECT_EQ(string_to_number("2E2"), 200.0);
  EXPECT_EQ(string_to_number("0x10"), 0.0);
  EXPECT_EQ(string_to_number("inf"), 0.0);
  EXPECT_EQ(string_to_number("-nan"), 0.0);
  EXPECT_EQ(string_to_number("."), 0.0);
  EXPECT_EQ(string_to_number("0.1"), 0.1);
  EXPECT_EQ(string_to_number("1e999"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(string_to_number("-1e999"), -std::numeric_limits<double>::infinity());
  EXPECT_EQ(string_to_number("1e-999"), 0.0);
  EXPECT_EQ(string_to_number("0.0000000001e-330"), 0.0);
  EXPECT_EQ(string_to_number("0e999999999999"), 0.0);
}

TEST(StringToNumber, IntegerSaturates) {
  EXPECT_EQ(string_to_int("2147483647"), INT32_MAX);
  EXPECT_EQ(string_to_int("-2147483648"), INT32_MIN);
  EXPECT_EQ(string_to_int("2147483648"), INT32_MAX);
  EXPECT_EQ(string_to_int("-2147483649"), INT32_MIN);
  EXPECT_EQ(string_to_int("99999999999999999999999999x"), INT32_MAX);
  EXPECT_EQ(string_to_int("-99999999999999999999999999"), INT32_MIN);
}

TEST(StringToNumber, RoundTripsPrintedNumbers) {
  for (double v : {0.1, 2.5, -1.5, 123.456789, 1e10, 0.05, 1.23e-2, 1e-5})
    EXPECT_DOUBLE_EQ(string_to_number(string_from_number(v)), v);
}

TEST(StringOperators, AppendEveryKind) {
  TvString s("abc");
  s += 5;
  s += "-";
  s += 2.5;
  s += TvString("|");
  s += 0.1f;
  s += 0;
  EXPECT_EQ(str(s), "abc5-2.5|0.10000000150");
  TvString& same = string_append(s, -1);
  EXPECT_EQ(&same, &s);
  EXPECT_EQ(str(s), "abc5-2.5|0.10000000150-1");
}

TEST(StringOperators, AppendEmptyDoesNotAllocate) {
  TvString e;
  e += "";
  e += TvString();
  EXPECT_EQ(e.data, empty_string_buffer);
  EXPECT_EQ(e.capacity, 0u);
  TvString s("xy");
  char* before = s.data;
  uint32_t cap = s.capacity;
  s += "";
  EXPECT_EQ(s.data, before);
  EXPECT_EQ(s.capacity, cap);
  EXPECT_EQ(s.length, 2u);
}

TEST(StringOperators, ConcatenationInSourceOrder) {
  TvString abc("abc"), x("x");
  EXPECT_EQ(str(abc + 5), "abc5");
  EXPECT_EQ(str(2.5 + x), "2.5x");
  EXPECT_EQ(str(7 + x), "7x");
  EXPECT_EQ(str(0.5f + x), "0.5x");
  EXPECT_EQ(str("<" + abc + ">"), "<abc>");
  EXPECT_EQ(str(abc + x), "abcx");
  EXPECT_EQ(str(abc + 1e10), "abc1.e+010");
  EXPECT_EQ(str(abc + 0.05f), "abc5.000000075e-002");
  EXPECT_EQ(str(TvString("n=") + 1 + ", m=" + 2.5 + x), "n=1, m=2.5x");
  EXPECT_EQ(str(string_concat("a", "b")), "ab");
  EXPECT_EQ(str(string_concat("a", 3)), "a3");
  EXPECT_EQ(str(string_concat(3, "a")), "3a");
  EXPECT_EQ(str(string_concat(-1.5, "a")), "-1.5a");
  EXPECT_EQ(str(string_concat("", "")), "");
  EXPECT_EQ(abc.length, 3u);  // operands untouched
}

TEST(StringOperators, ConcatenationKeepsEmbeddedZeros) {
  TvString z(std::string("a\0b", 3).c_str(), 3);
  TvString r = z + z;
  EXPECT_EQ(r.length, 6u);
  EXPECT_EQ(std::string(r.data, 6), std::string("a\0ba\0b", 6));
}

TEST(StringOperators, TextWithText) {
  TvString ten("10"), nine("9"), big("B"), small("a");
  EXPECT_TRUE(ten < nine);
  EXPECT_TRUE(big < small);
  EXPECT_TRUE("10" < nine);
  EXPECT_TRUE(ten < "9");
  EXPECT_TRUE(ten == "10");
  EXPECT_TRUE("10" == ten);
  EXPECT_TRUE(ten != nine);
  EXPECT_TRUE(ten <= TvString("10"));
  EXPECT_TRUE(nine >= ten);
  EXPECT_TRUE(nine > "10");
  EXPECT_TRUE((ten <=> nine) < 0);
  EXPECT_TRUE((ten <=> "10") == 0);
  // bytes compare unsigned: 0xE4 sorts after z
  EXPECT_TRUE(TvString("\xe4") > "z");
  EXPECT_EQ(string_order("a", "b"), -1);
  EXPECT_EQ(string_order(big, small), -1);
  EXPECT_EQ(string_order(small, "a"), 0);
  EXPECT_EQ(string_order("b", small), 1);
}

TEST(StringOperators, TextWithNumber) {
  TvString t("1.5");
  EXPECT_TRUE(t > 1.0);
  EXPECT_FALSE(t > 1);  // against an integer the text reads as 1
  EXPECT_TRUE(t == 1);
  EXPECT_TRUE(t == 1.5f);
  EXPECT_TRUE(1 == t);
  EXPECT_TRUE(1.0 < t);
  EXPECT_TRUE(2 > t);
  EXPECT_TRUE(TvString("abc") == 0);
  EXPECT_TRUE(TvString(" 42") >= 42);
  EXPECT_TRUE(TvString("0.1") != 0.1f);  // the single widens to 0.1000000015
  EXPECT_TRUE(TvString("0.1") == 0.1);
  EXPECT_TRUE((t <=> 2) < 0);
  EXPECT_TRUE((2.0 <=> t) > 0);
  EXPECT_EQ(string_order("1.5", 1), 0);
  EXPECT_EQ(string_order("1.5", 1.0), 1);
  EXPECT_EQ(string_order(3, "12"), -1);
  EXPECT_EQ(string_order(0.5f, t), -1);
  EXPECT_EQ(string_order(t, 1.5), 0);
  double nan = std::nan("");
  EXPECT_FALSE(t == nan);
  EXPECT_FALSE(t < nan);
  EXPECT_TRUE(t != nan);
  EXPECT_TRUE((t <=> nan) == std::partial_ordering::unordered);
}

}  // namespace
