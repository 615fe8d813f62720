// ascii_case.h - ASCII case folding and case-blind comparison, the one rule
// behind INI keys, archive entry names, file names and filters,
// platform-information keys and module names: only 'A'..'Z' and 'a'..'z'
// change; every other byte, Latin-1 letters included, compares as it is.
// Inline because the INI table folds every byte of every key it hashes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

inline char ascii_lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; }
inline char ascii_upper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 32) : c; }
inline uint8_t ascii_lower(uint8_t c) { return (c >= 'A' && c <= 'Z') ? uint8_t(c + 32) : c; }
inline uint8_t ascii_upper(uint8_t c) { return (c >= 'a' && c <= 'z') ? uint8_t(c - 32) : c; }
inline bool ascii_is_letter(char c) { return ascii_lower(c) >= 'a' && ascii_lower(c) <= 'z'; }

inline void ascii_lower_in_place(char* text, size_t n) {
  for (size_t i = 0; i < n; ++i) text[i] = ascii_lower(text[i]);
}
inline void ascii_upper_in_place(char* text, size_t n) {
  for (size_t i = 0; i < n; ++i) text[i] = ascii_upper(text[i]);
}
inline void ascii_lower_in_place(std::string& text) { ascii_lower_in_place(text.data(), text.size()); }
inline void ascii_upper_in_place(std::string& text) { ascii_upper_in_place(text.data(), text.size()); }

// The first n bytes of a and b are equal once ASCII case is folded.
inline bool ascii_equal_blind(const char* a, const char* b, size_t n) {
  for (size_t i = 0; i < n; ++i)
    if (a[i] != b[i] && ascii_lower(a[i]) != ascii_lower(b[i])) return false;
  return true;
}
inline bool ascii_equal_blind(std::string_view a, std::string_view b) {
  return a.size() == b.size() && ascii_equal_blind(a.data(), b.data(), a.size());
}
// Orders two zero-ended texts by their folded bytes (unsigned): <0, 0, >0.
inline int ascii_compare_blind(const char* a, const char* b) {
  for (;; ++a, ++b) {
    uint8_t p = ascii_lower(uint8_t(*a)), q = ascii_lower(uint8_t(*b));
    if (p != q) return p < q ? -1 : 1;
    if (!p) return 0;
  }
}
// `text` ends with `tail` once ASCII case is folded.
inline bool ascii_ends_with_blind(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && ascii_equal_blind(text.substr(text.size() - tail.size()), tail);
}
