#include "fileio/text_buffer.h"

#include <cassert>
#include <cstdint>

#if defined(__linux__) && defined(__GLIBC__)
#include <malloc.h>
#include <sys/mman.h>
#endif

namespace splyce {

void prefer_large_pages(void* block, std::size_t size) {
#if defined(__linux__) && defined(__GLIBC__) && defined(MADV_HUGEPAGE)
  // Only blocks the allocator maps on their own; small ones share the heap.
  constexpr std::size_t LARGE = std::size_t{4} << 20;
  constexpr std::uintptr_t PAGE = 4096;
  if (block == nullptr || size < LARGE) return;
  // Flag the allocator's whole mapping: a partly flagged one is split in two
  // and can then no longer grow in place on reallocation.
  const std::uintptr_t at = reinterpret_cast<std::uintptr_t>(block);
  const std::uintptr_t start = at & ~(PAGE - 1);
  const std::uintptr_t end = (at + malloc_usable_size(block) + PAGE - 1) & ~(PAGE - 1);
  madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
#else
  (void)block;
  (void)size;
#endif
}

bool TextBuffer::allocate(int32_t capacity) {
  release();
  if (capacity <= 0) return false;
  char* storage = static_cast<char*>(std::calloc(static_cast<std::size_t>(capacity), 1));
  if (storage == nullptr) return false;
  prefer_large_pages(storage, static_cast<std::size_t>(capacity));
  bytes_.reset(storage);
  capacity_ = capacity;
  return true;
}

bool TextBuffer::reallocate(int32_t capacity) {
  if (capacity <= 0 || capacity < length_ + 1) return false;
  char* storage = static_cast<char*>(std::realloc(bytes_.get(), static_cast<std::size_t>(capacity)));
  if (storage == nullptr) return false;
  (void)bytes_.release();
  prefer_large_pages(storage, static_cast<std::size_t>(capacity));
  bytes_.reset(storage);
  capacity_ = capacity;
  return true;
}

void TextBuffer::release() {
  bytes_.reset();
  length_ = 0;
  capacity_ = 0;
}

void TextBuffer::set_length(int32_t length) {
  assert(length >= 0 && length < capacity_);
  length_ = length;
  bytes_.get()[length] = '\0';
}

}  // namespace splyce
