#pragma once

#include <cstddef>
#include <new>

namespace scenario {

/// A block of `bytes` bytes straight from the host, for the few blocks of a
/// build that run to megabytes (the line plan file's bytes). Every page of a
/// fresh block costs a page fault when first touched; where the host has
/// large pages the block asks for them, and its pages are taken at once,
/// which turns the thousand faults of a few megabytes into a handful.
/// Throws std::bad_alloc.
void* allocate_pages(std::size_t bytes);
/// Gives back a block from allocate_pages; `bytes` as it was asked for.
void release_pages(void* block, std::size_t bytes) noexcept;

/// Blocks of this size or more come from the host's pages; smaller ones from
/// the ordinary heap.
inline constexpr std::size_t kPageBlockThreshold = std::size_t{1} << 20;

/// A block from the heap or from the host's pages, by its size.
/// Throws std::bad_alloc.
inline char* allocate_block(std::size_t bytes) {
  return static_cast<char*>(bytes >= kPageBlockThreshold ? allocate_pages(bytes)
                                                         : ::operator new(bytes));
}

/// Gives back a block from allocate_block; `bytes` as it was asked for.
inline void release_block(char* block, std::size_t bytes) noexcept {
  if (block == nullptr) return;
  if (bytes >= kPageBlockThreshold) {
    release_pages(block, bytes);
  } else {
    ::operator delete(block);
  }
}

}  // namespace scenario
