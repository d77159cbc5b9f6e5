#pragma once

#include <cstddef>
#include <limits>
#include <new>

namespace scenario {

/// Blocks of this size or more come from the host's pages; smaller ones from
/// the ordinary heap.
inline constexpr std::size_t kPageBlockThreshold = std::size_t{1} << 20;

/// A block of `bytes` bytes straight from the host, for the few arrays of a
/// build that run to megabytes (the line plan and its file's bytes). Every
/// page of a fresh block costs a page fault when first touched; where the
/// host has large pages the block asks for them, which turns the thousand
/// faults of a few megabytes into a handful. Throws std::bad_alloc.
void* allocate_pages(std::size_t bytes);
/// Gives back a block from allocate_pages; `bytes` as it was asked for.
void release_pages(void* block, std::size_t bytes) noexcept;

/// A standard allocator over allocate_pages for blocks of
/// kPageBlockThreshold bytes or more. Values are initialised as with
/// std::allocator.
template <class T>
struct PageAllocator {
  using value_type = T;

  PageAllocator() = default;
  template <class U>
  PageAllocator(const PageAllocator<U>&) noexcept {}

  T* allocate(std::size_t n) {
    if (n > std::numeric_limits<std::size_t>::max() / sizeof(T)) throw std::bad_array_new_length();
    const std::size_t bytes = n * sizeof(T);
    if (bytes >= kPageBlockThreshold) return static_cast<T*>(allocate_pages(bytes));
    return static_cast<T*>(::operator new(bytes));
  }
  void deallocate(T* p, std::size_t n) noexcept {
    const std::size_t bytes = n * sizeof(T);
    if (bytes >= kPageBlockThreshold) {
      release_pages(p, bytes);
    } else {
      ::operator delete(p);
    }
  }

  template <class U>
  bool operator==(const PageAllocator<U>&) const noexcept {
    return true;
  }
};

}  // namespace scenario
