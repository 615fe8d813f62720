// The string function library: substrings, search, replace, case, codes,
// splitting, fixed-format numbers, hex, the cipher and the console.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>

#include "runtime/values/ascii_case.h"
#include "runtime/values/blowfish.h"
#include "runtime/values/console.h"
#include "runtime/values/string_lib.h"
#include "tests/support/tv_text.h"

namespace {


TEST(StringMid, Ranges) {
  TvString hello("Hello");
  EXPECT_EQ(str(string_mid(hello, 1, 3)), "ell");
  EXPECT_EQ(str(string_mid(hello, 3, -1)), "lo");
  EXPECT_EQ(str(string_mid(hello, 4, 10)), "o");
  EXPECT_EQ(str(string_mid(hello, 0, 5)), "Hello");
  EXPECT_EQ(str(string_mid(hello, 5, 1)), "");
  EXPECT_EQ(str(string_mid(hello, -1, 2)), "");
  EXPECT_EQ(str(string_mid(hello, 2, 0)), "");
  EXPECT_EQ(str(string_mid(hello, INT32_MAX, INT32_MAX)), "");
  EXPECT_EQ(str(string_mid(hello, 1, INT32_MAX)), "ello");
  EXPECT_EQ(string_mid(hello, 9, 1).capacity, 0u);
  EXPECT_EQ(str(string_mid(tv(std::string("a\0bc", 4)), 1, 2)), std::string("\0b", 2));
}

TEST(StringFind, Positions) {
  EXPECT_EQ(string_find("abcabc", "bc", 2), 4);
  EXPECT_EQ(string_find("abcabc", "bc", 0), 1);
  EXPECT_EQ(string_find("abc", "x", 0), -1);
  EXPECT_EQ(string_find("abc", "a", 5), -1);
  EXPECT_EQ(string_find("abc", "", 1), 1);
  EXPECT_EQ(string_find("abc", "", 3), 3);
  EXPECT_EQ(string_find("abc", "", 4), -1);
  EXPECT_EQ(string_find("abc", "a", -1), -1);
  EXPECT_EQ(string_find("abc", "abcd", 0), -1);
  // the text ends at its first zero byte
  EXPECT_EQ(string_find(tv(std::string("ab\0cd", 5)), "cd", 0), -1);
  EXPECT_EQ(string_find(tv(std::string("ab\0cd", 5)), "", 4), -1);
}

TEST(StringReplaceAll, Cases) {
  EXPECT_EQ(str(string_replace_all("Add_own_code", "_", " ")), "Add own code");
  EXPECT_EQ(str(string_replace_all("aaa", "a", "aa")), "aaaaaa");
  EXPECT_EQ(str(string_replace_all("abcabc", "abc", "")), "");
  EXPECT_EQ(str(string_replace_all("xyz", "y", "Y")), "xYz");
  EXPECT_EQ(str(string_replace_all("aaa", "aa", "bb")), "bba");
  EXPECT_EQ(str(string_replace_all("a|b||c", "|", "\r\n")), "a\r\nb\r\n\r\nc");
  EXPECT_EQ(str(string_replace_all("xyz", "q", "long")), "xyz");
  EXPECT_EQ(str(string_replace_all("", "q", "long")), "");
  // nothing is searched past a zero byte, but those bytes are kept
  EXPECT_EQ(str(string_replace_all(tv(std::string("a\0a", 3)), "a", "bb")), std::string("bb\0a", 4));
}

TEST(StringReplaceAll, EmptySearchReturnsTextUnchanged) {
  EXPECT_EQ(str(string_replace_all("abc", "", "x")), "abc");
  EXPECT_EQ(str(string_replace_all("abc", "", "")), "abc");
  EXPECT_EQ(str(string_replace_all("", "", "x")), "");
}

TEST(StringCase, AsciiOnly) {
  TvString mixed("\xc4" "B-aZ\xe4");
  EXPECT_EQ(str(string_lower(mixed)), "\xc4" "b-az\xe4");
  EXPECT_EQ(str(string_upper(mixed)), "\xc4" "B-AZ\xe4");
  EXPECT_EQ(str(mixed), "\xc4" "B-aZ\xe4");  // the argument is unchanged
  EXPECT_EQ(str(string_lower("@[`{")), "@[`{");
  TvString s("MiXeD");
  string_lower_in_place(s);
  EXPECT_EQ(str(s), "mixed");
  string_upper_in_place(s);
  EXPECT_EQ(str(s), "MIXED");
}

// The one case-blind rule behind keys and names: Latin-1 letters are not
// folded, and order is by folded bytes read unsigned.
TEST(StringCase, BlindComparisonFoldsAsciiOnly) {
  EXPECT_TRUE(ascii_equal_blind("Code.INI", "code.ini"));
  EXPECT_FALSE(ascii_equal_blind("\xc4rger", "\xe4rger"));
  EXPECT_FALSE(ascii_equal_blind("@", "`"));  // 0x40 and 0x60 differ by the case bit only
  EXPECT_FALSE(ascii_equal_blind("abc", "ab"));
  EXPECT_EQ(ascii_compare_blind("apple", "BANANA"), -1);
  EXPECT_EQ(ascii_compare_blind("Zebra", "\xe4"), -1);  // bytes above 127 sort last
  EXPECT_EQ(ascii_compare_blind("ab", "AB"), 0);
  EXPECT_EQ(ascii_compare_blind("ab", "abc"), -1);
  EXPECT_TRUE(ascii_ends_with_blind("ball.PNG", ".png"));
  EXPECT_FALSE(ascii_ends_with_blind("png", ".png"));
}

TEST(StringCharCode, Bytes) {
  TvString zero = string_char(0);
  EXPECT_EQ(zero.length, 1u);
  EXPECT_EQ(zero.data[0], 0);
  EXPECT_EQ(str(string_char(65)), "A");
  EXPECT_EQ(str(string_char(0x141)), "A");  // low 8 bits
  EXPECT_EQ(string_code("A"), 65);
  EXPECT_EQ(string_code("\xe4x"), 0xe4);
  EXPECT_EQ(string_code(""), 0);
  EXPECT_EQ(string_code(string_char(200)), 200);
}

TEST(StringSplit, Parts) {
  TvStringArray parts;
  EXPECT_EQ(string_split(" a  b ", " ", parts), 2);
  EXPECT_EQ(parts.size1, 2);
  EXPECT_EQ(str(parts(0)), "a");
  EXPECT_EQ(str(parts(1)), "b");

  EXPECT_EQ(string_split("a||b|", "|", parts), 2);
  EXPECT_EQ(str(parts(0)), "a");
  EXPECT_EQ(str(parts(1)), "b");

  EXPECT_EQ(string_split("one, two;three", ",; ", parts), 3);
  EXPECT_EQ(str(parts(2)), "three");

  EXPECT_EQ(string_split("|||", "|", parts), 0);
  EXPECT_EQ(parts.size1, 0);
  EXPECT_EQ(string_split("", "|", parts), 0);
  EXPECT_EQ(parts.size1, 0);
}

TEST(StringSplit, EmptyDelimiterSetGivesWholeText) {
  TvStringArray parts;
  array_fill_list(parts, {TvString("old"), TvString("stuff"), TvString("here")});
  EXPECT_EQ(string_split("a b|c", "", parts), 1);
  EXPECT_EQ(parts.size1, 1);
  EXPECT_EQ(str(parts(0)), "a b|c");
  EXPECT_EQ(string_split("", "", parts), 0);
}

TEST(StringSplit, ReplacesEarlierContents) {
  TvStringArray parts;
  array_dim(parts, 3, 2);  // two dimensions: split must still start afresh
  parts(2, 1) = "stale";
  EXPECT_EQ(string_split("x y", " ", parts), 2);
  EXPECT_EQ(parts.size1, 2);
  EXPECT_EQ(parts.size2, 0);
  EXPECT_EQ(str(parts(1)), "y");
}

TEST(StringFormatNumber, Printf) {
  EXPECT_EQ(str(string_format_number(6, 2, 3.14159)), "  3.14");
  EXPECT_EQ(str(string_format_number(1, 3, -2)), "-2.000");
  EXPECT_EQ(str(string_format_number(0, 0, 2.4)), "2");
  EXPECT_EQ(str(string_format_number(6.9, 1.9, 2.25)), "   2.2");  // truncated arguments
  EXPECT_EQ(str(string_format_number(-6, 1, 2.5)), "2.5   ");
  EXPECT_EQ(str(string_format_number(3, -2, 7.75)), "  8");
  std::string big = str(string_format_number(0, 2, 1e200));
  EXPECT_EQ(big.size(), 203u);  // longer than the 128 reserved at first
  EXPECT_EQ(big.substr(0, 2), "99");  // 1e200 is stored as 9.99...e199
  EXPECT_EQ(string_format_number(1e12, 1e12, 1).length, 1026u);  // 1. and 1024 zeros
}

TEST(StringHex, Digits) {
  const unsigned char b[] = {0x00, 0x1f, 0xa0, 0xff};
  EXPECT_EQ(str(string_hex(b, 4, false)), "001fa0ff");
  EXPECT_EQ(str(string_hex(b, 4, true)), "001FA0FF");
  EXPECT_EQ(str(string_hex(b, 0, true)), "");
  EXPECT_EQ(str(string_hex(b, -3, true)), "");
  EXPECT_EQ(str(string_hex(TvString("Hi"), false)), "4869");
}

TEST(StringFindSets, AnyAndNotIn) {
  EXPECT_EQ(string_find_any("hello world", " o"), 4);
  EXPECT_EQ(string_find_any("hello", "xyz"), -1);
  EXPECT_EQ(string_find_any("hello", ""), -1);
  EXPECT_EQ(string_find_any("", "a"), -1);
  EXPECT_EQ(string_find_not_in("   x", " "), 3);
  EXPECT_EQ(string_find_not_in("aaa", "a"), -1);
  EXPECT_EQ(string_find_not_in("abc", ""), 0);
  EXPECT_EQ(string_find_any("\xe4x", "\xe4"), 0);
}

// --- cipher --------------------------------------------------------------------

uint32_t be32(const char* hex) { return uint32_t(std::stoul(std::string(hex, 8), nullptr, 16)); }

// Published test vectors: 8-byte key, plain block, cipher block, all as hex
// with the first byte of each half most significant.
TEST(Blowfish, PublishedVectors) {
  struct Vector { const char* key; const char* plain; const char* cipher; };
  const Vector vectors[] = {
      {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
      {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
      {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
      {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
      {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
      {"1111111111111111", "0123456789ABCDEF", "7D0CC630AFDA1EC7"},
      {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
      {"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
      {"0131D9619DC1376E", "5CD54CA83DEF57DA", "B1B8CC0B250F09A0"},
  };
  for (const Vector& v : vectors) {
    uint8_t key[8];
    for (int i = 0; i < 8; ++i) key[i] = uint8_t(std::stoul(std::string(v.key + 2 * i, 2), nullptr, 16));
    BlowfishContext ctx;
    blowfish_init(ctx, key, 8);
    uint32_t l = be32(v.plain), r = be32(v.plain + 8);
    blowfish_encipher(ctx, l, r);
    EXPECT_EQ(l, be32(v.cipher)) << v.key;
    EXPECT_EQ(r, be32(v.cipher + 8)) << v.key;
    blowfish_decipher(ctx, l, r);
    EXPECT_EQ(l, be32(v.plain));
    EXPECT_EQ(r, be32(v.plain + 8));
  }
}

TEST(Blowfish, TextKeys) {
  BlowfishContext ctx;
  const char* k1 = "abcdefghijklmnopqrstuvwxyz";
  blowfish_init(ctx, reinterpret_cast<const uint8_t*>(k1), 26);
  uint32_t l = be32("424c4f57"), r = be32("46495348");  // "BLOWFISH"
  blowfish_encipher(ctx, l, r);
  EXPECT_EQ(l, 0x324ed0feu);
  EXPECT_EQ(r, 0xf413a203u);
  const char* k2 = "Who is John Galt?";
  blowfish_init(ctx, reinterpret_cast<const uint8_t*>(k2), 17);
  l = 0xfedcba98u;
  r = 0x76543210u;
  blowfish_encipher(ctx, l, r);
  EXPECT_EQ(l, 0xcc91732bu);
  EXPECT_EQ(r, 0x8022f684u);
}

TEST(StringCipher, BlockLayoutAndPadding) {
  // an all-zero key of 8 bytes and data of 8 zero bytes: the published
  // cipher block 4EF99745 6198DD78 stored as two little-endian halves
  std::string zeros(8, '\0');
  TvString enc = string_encrypt(tv(zeros), tv(zeros));
  EXPECT_EQ(str(enc), "4597f94e78dd9861");
  // one byte of data is filled up to a whole block
  EXPECT_EQ(string_encrypt("x", "key").length, 16u);
  EXPECT_EQ(string_encrypt("12345678", "key").length, 16u);
  EXPECT_EQ(string_encrypt("123456789", "key").length, 32u);
  EXPECT_EQ(str(string_encrypt("", "key")), "");
  // ECB: equal blocks encipher equally
  TvString twice = string_encrypt("abcdefghabcdefgh", "k");
  EXPECT_EQ(str(twice).substr(0, 16), str(twice).substr(16));
}

TEST(StringCipher, RoundTrip) {
  const char* texts[] = {"a", "Hello, world", "exactly8", "\xff\xfe high bytes \x80", "0123456789abcdefX"};
  const char* keys[] = {"k", "secret", "a much longer key than seventy-two bytes, which the key schedule "
                                       "never gets to the end of at all"};
  for (const char* t : texts)
    for (const char* k : keys) {
      TvString enc = string_encrypt(t, k);
      EXPECT_EQ(str(string_decrypt(enc, k)), t) << t << " / " << k;
      EXPECT_EQ(str(string_decrypt(string_upper(enc), k)), t);  // hex read in lower case
      EXPECT_NE(str(string_decrypt(enc, "other")), t);
    }
  // the text ends at the first zero byte of the deciphered data
  TvString enc = string_encrypt(tv(std::string("ab\0cd", 5)), "k");
  TvString dec = string_decrypt(enc, "k");
  EXPECT_EQ(str(dec), "ab");
  string_truncate(dec, 4);  // the dropped bytes are gone, not merely hidden
  EXPECT_EQ(std::string(dec.data, 4), std::string("ab\0\0", 4));
}

TEST(StringCipher, MalformedInputGivesEmptyText) {
  TvString enc = string_encrypt("secret text", "k");
  EXPECT_EQ(str(string_encrypt("data", "")), "");
  EXPECT_EQ(str(string_decrypt(enc, "")), "");
  EXPECT_EQ(str(string_decrypt(string_mid(enc, 0, int32_t(enc.length) - 1), "k")), "");  // odd length
  EXPECT_EQ(str(string_decrypt("abc", "k")), "");
  EXPECT_EQ(str(string_decrypt("zz" + string_mid(enc, 2, -1), "k")), "");
  EXPECT_EQ(str(string_decrypt("0g", "k")), "");
  EXPECT_EQ(str(string_decrypt(tv(std::string("00\0" "0", 4)), "k")), "");
  EXPECT_EQ(str(string_decrypt("", "k")), "");
  // a short but well-formed text is filled up to a block and deciphered
  EXPECT_LE(string_decrypt("00ff", "k").length, 8u);
}

// --- console -------------------------------------------------------------------

// Runs `body` with file descriptor `fd` redirected to a temporary file and
// returns what was written.
template <class F>
std::string capture(int fd, F body) {
  std::FILE* tmp = std::tmpfile();
  std::fflush(nullptr);
  int saved = dup(fd);
  dup2(fileno(tmp), fd);
  body();
  std::fflush(nullptr);
  dup2(saved, fd);
  close(saved);
  std::string out;
  std::rewind(tmp);
  for (int c; (c = std::fgetc(tmp)) != EOF;) out += char(c);
  std::fclose(tmp);
  return out;
}

TEST(Console, WriteUnchanged) {
  EXPECT_EQ(capture(1, [] { console_write(tv(std::string("a\0b\r\n", 5))); console_write(""); }),
            std::string("a\0b\r\n", 5));
  EXPECT_EQ(capture(2, [] { console_write_error("err"); }), "err");
}

TEST(Console, ReadLines) {
  std::FILE* in = std::tmpfile();
  std::string long_line(5000, 'x');
  std::string data = "first\nwith cr\r\n\n" + long_line + "\nlast";
  std::fwrite(data.data(), 1, data.size(), in);
  std::rewind(in);
  std::FILE* saved = stdin;
  stdin = in;
  EXPECT_EQ(str(console_read_line()), "first");
  EXPECT_EQ(str(console_read_line()), "with cr\r");
  EXPECT_EQ(str(console_read_line()), "");
  EXPECT_EQ(console_read_line().length, 4095u);
  EXPECT_EQ(console_read_line().length, 5000u - 4095u);
  EXPECT_EQ(str(console_read_line()), "last");
  EXPECT_EQ(str(console_read_line()), "");
  stdin = saved;
  std::fclose(in);
}

}  // namespace
