#include "fileio/text_buffer.h"

#include <cassert>

namespace splyce {

bool TextBuffer::allocate(int32_t capacity) {
  release();
  if (capacity <= 0) return false;
  char* storage = static_cast<char*>(std::calloc(static_cast<std::size_t>(capacity), 1));
  if (storage == nullptr) return false;
  bytes_.reset(storage);
  capacity_ = capacity;
  return true;
}

bool TextBuffer::reallocate(int32_t capacity) {
  if (capacity <= 0 || capacity < length_ + 1) return false;
  char* storage = static_cast<char*>(std::realloc(bytes_.get(), static_cast<std::size_t>(capacity)));
  if (storage == nullptr) return false;
  (void)bytes_.release();
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
