#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
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
  FileBytes(char* block, size_t capacity, size_t size) : block_(block), capacity_(capacity), size_(size) {}
  FileBytes(FileBytes&& other) noexcept
      : block_(std::exchange(other.block_, nullptr)),
        capacity_(std::exchange(other.capacity_, 0)),
        size_(std::exchange(other.size_, 0)) {}
  FileBytes& operator=(FileBytes&& other) noexcept {
    if (this != &other) {
      release();
      block_ = std::exchange(other.block_, nullptr);
      capacity_ = std::exchange(other.capacity_, 0);
      size_ = std::exchange(other.size_, 0);
    }
    return *this;
  }
  FileBytes(const FileBytes&) = delete;
  FileBytes& operator=(const FileBytes&) = delete;
  ~FileBytes() { release(); }

  const char* data() const { return block_; }
  size_t size() const { return size_; }
  std::string_view view() const { return {block_, size_}; }
  operator std::string_view() const { return view(); }

 private:
  void release() {
    if (block_ != nullptr) PageAllocator<char>().deallocate(block_, capacity_);
  }

  char* block_ = nullptr;
  size_t capacity_ = 0;
  size_t size_ = 0;
};

/// Appends little-endian integers and reals to one buffer. Every value is
/// taken apart by shifts, so the bytes are the same on every host; nothing
/// is copied from memory. The buffer is not cleared before it is written:
/// every byte handed out by take() was put there by one of the writers.
class ByteWriter {
 public:
  ByteWriter() = default;
  ByteWriter(const ByteWriter&) = delete;
  ByteWriter& operator=(const ByteWriter&) = delete;
  ~ByteWriter() {
    if (block_ != nullptr) PageAllocator<char>().deallocate(block_, capacity_);
  }

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
    if (capacity_ - used_ < n) grow(n);
  }

  /// `n` bytes at the end of the buffer, to be filled at once with the
  /// store_le helpers: one capacity test for a whole run of values.
  char* claim(size_t n) { return room(n); }

  size_t size() const { return used_; }
  /// The bytes written so far; the writer starts empty again.
  FileBytes take() {
    FileBytes out(block_, capacity_, used_);
    block_ = nullptr;
    capacity_ = 0;
    used_ = 0;
    return out;
  }

 private:
  char* room(size_t n) {
    if (capacity_ - used_ < n) grow(n);
    char* p = block_ + used_;
    used_ += n;
    return p;
  }

  void grow(size_t n) {
    if (n > std::numeric_limits<size_t>::max() / 2 - used_) throw std::bad_alloc();
    const size_t capacity = std::max({used_ + n, capacity_ * 2, size_t{256}});
    PageAllocator<char> alloc;
    char* bigger = alloc.allocate(capacity);
    if (used_ != 0) std::memcpy(bigger, block_, used_);
    if (block_ != nullptr) alloc.deallocate(block_, capacity_);
    block_ = bigger;
    capacity_ = capacity;
  }

  char* block_ = nullptr;
  size_t capacity_ = 0;
  size_t used_ = 0;
};

}  // namespace scenario
