#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <utility>

namespace scenario {

/// Appends little-endian integers and reals to one buffer. Every value is
/// taken apart by shifts, so the bytes are the same on every host; nothing
/// is copied from memory.
class ByteWriter {
 public:
  void u8(uint8_t v) { buffer_.push_back(static_cast<char>(v)); }
  void u16(uint16_t v) {
    u8(static_cast<uint8_t>(v));
    u8(static_cast<uint8_t>(v >> 8));
  }
  void u32(uint32_t v) {
    u16(static_cast<uint16_t>(v));
    u16(static_cast<uint16_t>(v >> 16));
  }
  void u64(uint64_t v) {
    u32(static_cast<uint32_t>(v));
    u32(static_cast<uint32_t>(v >> 32));
  }
  // Signed values keep their two's complement bits.
  void i16(int16_t v) { u16(static_cast<uint16_t>(v)); }
  void i32(int32_t v) { u32(static_cast<uint32_t>(v)); }
  /// A 64-bit IEEE 754 real: its bit pattern, low byte first.
  void f64(double v) {
    static_assert(std::numeric_limits<double>::is_iec559, "reals must be IEEE 754 doubles");
    u64(std::bit_cast<uint64_t>(v));
  }
  void bytes(std::string_view s) { buffer_.append(s); }
  /// Room for `n` more bytes, so that a large file grows its buffer once.
  void reserve(size_t n) { buffer_.reserve(buffer_.size() + n); }

  const std::string& buffer() const { return buffer_; }
  std::string take() { return std::move(buffer_); }

 private:
  std::string buffer_;
};

}  // namespace scenario
