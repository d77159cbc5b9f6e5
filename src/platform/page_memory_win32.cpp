#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <new>

#include "platform/page_memory.h"

namespace scenario {

// Committed pages straight from the system. Large pages would need a
// privilege that ordinary users lack, so none are asked for.
void* allocate_pages(std::size_t bytes) {
  void* block = ::VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}

void release_pages(void* block, std::size_t) noexcept {
  if (block != nullptr) ::VirtualFree(block, 0, MEM_RELEASE);
}

}  // namespace scenario
