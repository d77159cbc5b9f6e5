#pragma once

#include <cstdint>

namespace scenario {

/// Nearest integer, halves to the even neighbour (round(1.5) = 2,
/// round(2.5) = 2). Throws RunFailure when the result does not fit 32 bits
/// or `r` is not a number.
int32_t round_long(double r);

/// round_long into a signed 16-bit value; RunFailure outside -32768..32767.
int16_t round16(double r);

/// round_long into a byte; RunFailure outside 0..255.
uint8_t round_byte(double r);

/// The low 16 bits of an exact integer result, as a signed field keeps them.
constexpr int16_t low16(int64_t v) {
  return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint64_t>(v) & 0xFFFFu));
}

/// The low 8 bits of an exact integer result.
constexpr uint8_t low8(int64_t v) { return static_cast<uint8_t>(static_cast<uint64_t>(v) & 0xFFu); }

}  // namespace scenario
