#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <string_view>
#include <utility>

#include "platform/page_memory.h"

namespace scenario {

/// Stores the `n` low bytes of `v` at `p`, low byte first, taken apart by
/// shifts so that the bytes are the same on every host.
inline void store_le(char* p, uint64_t v, int n) {
  for (int i = 0; i < n; ++i) p[i] = static_cast<char>(v >> (8 * i));
}

/// The bit pattern of a 64-bit IEEE 754 real.
inline uint64_t real_bits(double v) {
  static_assert(std::numeric_limits<double>::is_iec559, "reals must be IEEE 754 doubles");
  return std::bit_cast<uint64_t>(v);
}

/// The bytes of one file, in one block. Moves; never copies.
class FileBytes {
 public:
  FileBytes() = default;
  FileBytes(FileBytes&& other) noexcept
      : block_(std::exchange(other.block_, nullptr)),
        capacity_(std::exchange(other.capacity_, 0)),
        size_(std::exchange(other.size_, 0)) {}
  FileBytes& operator=(FileBytes&& other) noexcept {
    if (this != &other) {
      release_block(block_, capacity_);
      block_ = std::exchange(other.block_, nullptr);
      capacity_ = std::exchange(other.capacity_, 0);
      size_ = std::exchange(other.size_, 0);
    }
    return *this;
  }
  FileBytes(const FileBytes&) = delete;
  FileBytes& operator=(const FileBytes&) = delete;
  ~FileBytes() { release_block(block_, capacity_); }

  const char* data() const { return block_; }
  size_t size() const { return size_; }
  std::string_view view() const { return {block_, size_}; }
  operator std::string_view() const { return view(); }

 private:
  friend class ByteWriter;

  char* block_ = nullptr;
  size_t capacity_ = 0;
  size_t size_ = 0;
};

/// Appends little-endian integers and reals to the one block of a file.
/// Every value is taken apart by shifts, so the bytes are the same on every
/// host; nothing is copied from memory. The block is not cleared before it
/// is written: every byte handed out by take() was put there by one of the
/// writers.
class ByteWriter {
 public:
  void u8(uint8_t v) { *room(1) = static_cast<char>(v); }
  void u16(uint16_t v) { store_le(room(2), v, 2); }
  void u32(uint32_t v) { store_le(room(4), v, 4); }
  void u64(uint64_t v) { store_le(room(8), v, 8); }
  // Signed values keep their two's complement bits.
  void i16(int16_t v) { u16(static_cast<uint16_t>(v)); }
  void i32(int32_t v) { u32(static_cast<uint32_t>(v)); }
  /// A 64-bit IEEE 754 real: its bit pattern, low byte first.
  void f64(double v) { u64(real_bits(v)); }
  void bytes(std::string_view s) {
    if (!s.empty()) std::memcpy(room(s.size()), s.data(), s.size());
  }
  /// Room for `n` more bytes, so that a large file is laid out in one
  /// block that never moves.
  void reserve(size_t n) {
    if (out_.capacity_ - out_.size_ < n) grow(n);
  }
  /// `n` bytes at the end of the block, to be filled at once with store_le:
  /// one capacity test for a whole run of values.
  char* claim(size_t n) { return room(n); }

  /// The bytes written so far; the writer starts empty again.
  FileBytes take() { return std::exchange(out_, FileBytes{}); }

 private:
  char* room(size_t n) {
    if (out_.capacity_ - out_.size_ < n) grow(n);
    char* p = out_.block_ + out_.size_;
    out_.size_ += n;
    return p;
  }

  void grow(size_t n) {
    if (n > std::numeric_limits<size_t>::max() / 2 - out_.size_) throw std::bad_alloc();
    const size_t capacity = std::max({out_.size_ + n, out_.capacity_ * 2, size_t{256}});
    char* bigger = allocate_block(capacity);
    if (out_.size_ != 0) std::memcpy(bigger, out_.block_, out_.size_);
    release_block(out_.block_, out_.capacity_);
    out_.block_ = bigger;
    out_.capacity_ = capacity;
  }

  FileBytes out_;
};

}  // namespace scenario
