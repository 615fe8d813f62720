// tv_text.h - TvString to std::string and back, byte for byte (embedded
// zero bytes included), for comparing runtime texts in test expectations.
#pragma once
#include <string>

#include "runtime/values/tv_string.h"

inline std::string str(const TvString& s) { return std::string(s.data, s.length); }
inline TvString tv(const std::string& s) { return TvString(s.data(), uint32_t(s.size())); }
