// string_lib.h - the text operations Tolvane programs call: substrings,
// search, replace, case change, character codes, splitting, fixed-format
// numbers, hexadecimal text and enciphered text.
//
// Positions are 0-based byte offsets, lengths are byte counts, case rules are
// ASCII only. Searches take their texts up to the first zero byte. Nothing
// here sets the last-error code or ends the program: out-of-range positions
// give the empty string or -1.
#pragma once
#include <cstdint>

#include "runtime/values/tv_array.h"
#include "runtime/values/tv_string.h"

TvString string_mid(const TvString& text, int32_t start, int32_t count);
int32_t string_find(const TvString& text, const TvString& search, int32_t start);
TvString string_replace_all(const TvString& text, const TvString& search,
                            const TvString& replacement);

TvString string_lower(const TvString& text);
TvString string_upper(const TvString& text);
void string_lower_in_place(TvString& text);
void string_upper_in_place(TvString& text);

TvString string_char(int32_t code);     // always one byte, even for code 0
int32_t string_code(const TvString& text);

// Empties `destination` (an array of TvString) and pushes each run of
// non-delimiter bytes; returns the number of parts.
int32_t string_split(const TvString& text, const TvString& delimiters, TvStringArray& destination);

// printf "%<width>.<decimals>f": right-aligned in at least `width` columns
// (a negative width aligns left), exactly `decimals` digits after the point.
TvString string_format_number(double width, double decimals, double value);

TvString string_hex(const void* bytes, int32_t count, bool upper);
TvString string_hex(const TvString& bytes, bool upper);

// Blowfish in electronic code book mode; the cipher text is lower-case hex.
// Both give the empty string for an empty key; string_decrypt also gives the
// empty string for text of odd length or with a byte that is not a hex digit.
TvString string_encrypt(const TvString& data, const TvString& key);
TvString string_decrypt(const TvString& hex, const TvString& key);

// Position of the first byte that is (is not) in `set`, or -1.
int32_t string_find_any(const TvString& text, const TvString& set);
int32_t string_find_not_in(const TvString& text, const TvString& set);
