// blowfish.h - the Blowfish block cipher (64-bit blocks, 16 rounds), used by
// string_encrypt / string_decrypt. A block is two 32-bit halves; how bytes map
// onto the halves is the caller's business.
#pragma once
#include <cstddef>
#include <cstdint>

struct BlowfishContext {
  uint32_t p[18];
  uint32_t s[4][256];
};

// Key schedule: the pi tables, the key bytes taken cyclically four at a time
// (first byte most significant) XORed into P, then rekeying by enciphering a
// zero block. key_length must be at least 1; bytes past 72 have no effect.
void blowfish_init(BlowfishContext& ctx, const uint8_t* key, size_t key_length);
void blowfish_encipher(const BlowfishContext& ctx, uint32_t& left, uint32_t& right);
void blowfish_decipher(const BlowfishContext& ctx, uint32_t& left, uint32_t& right);
