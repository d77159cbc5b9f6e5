#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <new>

#include "platform/page_memory.h"

namespace scenario {

// AddressSanitizer watches the bounds of heap blocks only: under it the
// large blocks come from the heap too.
#if defined(__SANITIZE_ADDRESS__)
#define SCENARIO_PAGES_FROM_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SCENARIO_PAGES_FROM_HEAP 1
#endif
#endif

#if defined(SCENARIO_PAGES_FROM_HEAP)

void* allocate_pages(std::size_t bytes) { return ::operator new(bytes); }

void release_pages(void* block, std::size_t) noexcept { ::operator delete(block); }

#else

namespace {

// Large pages are 2 MiB on the hosts this runs on; a block is rounded up to
// whole large pages and starts on a large-page boundary, so that the advice
// below can be followed for all of it.
constexpr std::uintptr_t kLargePage = std::uintptr_t{2} << 20;

std::uintptr_t round_up(std::uintptr_t v, std::uintptr_t to) { return (v + to - 1) / to * to; }

}  // namespace

void* allocate_pages(std::size_t bytes) {
  if (bytes > SIZE_MAX - 2 * kLargePage) throw std::bad_alloc();
  const std::size_t length = round_up(bytes, kLargePage);
  const std::size_t span = length + kLargePage;
  void* raw = ::mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) throw std::bad_alloc();
  const auto first = reinterpret_cast<std::uintptr_t>(raw);
  const std::uintptr_t start = round_up(first, kLargePage);
  // Give back the unaligned head and the tail beyond the block.
  if (start > first) ::munmap(raw, start - first);
  const std::uintptr_t end = start + length;
  if (first + span > end) ::munmap(reinterpret_cast<void*>(end), first + span - end);
    // Advice only: a host without large pages, or a kernel without the
    // request, ignores it. The block is about to be filled whole, so its pages
    // are also taken now, in one call, rather than by a fault each.
#if defined(MADV_HUGEPAGE)
  ::madvise(reinterpret_cast<void*>(start), length, MADV_HUGEPAGE);
#endif
#if defined(MADV_POPULATE_WRITE)
  const long page = ::sysconf(_SC_PAGESIZE);
  const std::size_t used = page > 0 ? round_up(bytes, static_cast<std::uintptr_t>(page)) : length;
  ::madvise(reinterpret_cast<void*>(start), used, MADV_POPULATE_WRITE);
#endif
  return reinterpret_cast<void*>(start);
}

void release_pages(void* block, std::size_t bytes) noexcept {
  if (block != nullptr) ::munmap(block, round_up(bytes, kLargePage));
}

#endif

}  // namespace scenario
