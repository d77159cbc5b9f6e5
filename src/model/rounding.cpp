#include "model/rounding.h"

#include <cmath>
#include <string>

#include "model/run_failure.h"

namespace scenario {

int32_t round_long(double r) {
  if (std::isnan(r)) throw RunFailure("conversion of a value that is not a number");
  // nearbyint honours the default rounding mode, which is to nearest with
  // halves to even; the range test comes after rounding so that 2147483647.4
  // is still accepted.
  const double n = std::nearbyint(r);
  if (n < -2147483648.0 || n > 2147483647.0) {
    throw RunFailure("value out of the 32-bit range: " + std::to_string(r));
  }
  return static_cast<int32_t>(n);
}

int16_t round16(double r) {
  const int32_t v = round_long(r);
  if (v < -32768 || v > 32767) {
    throw RunFailure("value out of the 16-bit range: " + std::to_string(v));
  }
  return static_cast<int16_t>(v);
}

uint8_t round_byte(double r) {
  const int32_t v = round_long(r);
  if (v < 0 || v > 255) throw RunFailure("value out of the byte range: " + std::to_string(v));
  return static_cast<uint8_t>(v);
}

}  // namespace scenario
