#pragma once
#include <cstdint>

namespace tamro {

// The Tiny Encryption Algorithm (32 cycles). A block is two 32-bit words v[0], v[1]; the key
// four words k[0]..k[3].
void teaEncipher(uint32_t v[2], const uint32_t k[4]);
void teaDecipher(uint32_t v[2], const uint32_t k[4]);

// Deciphers `blocks` 8-byte blocks in place; each block is two little-endian words.
void teaDecipherBytes(uint8_t *data, int blocks, const uint32_t k[4]);

} // namespace tamro
