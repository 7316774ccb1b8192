// One file held whole in memory, always followed by a NUL byte.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace splyce {

// Asks the system to back a large block with huge pages: a page fault per
// 4 KB costs more than the copy itself on big files. No-op elsewhere.
void prefer_large_pages(void* block, std::size_t size);

class TextBuffer {
 public:
  TextBuffer() = default;

  // Room for capacity bytes, all zero. False when capacity is not positive or
  // the memory cannot be had; the buffer is then left empty.
  bool allocate(int32_t capacity);
  // Keeps the content; false, with nothing changed, when the memory cannot be had.
  bool reallocate(int32_t capacity);
  void release();

  bool allocated() const { return bytes_ != nullptr; }
  char* bytes() { return bytes_.get(); }
  const char* bytes() const { return bytes_.get(); }
  int32_t length() const { return length_; }
  int32_t capacity() const { return capacity_; }

  // Sets the text length and writes the NUL after it; needs length < capacity.
  void set_length(int32_t length);

 private:
  struct FreeDeleter {
    void operator()(char* p) const { std::free(p); }
  };
  std::unique_ptr<char, FreeDeleter> bytes_;
  int32_t length_ = 0;
  int32_t capacity_ = 0;
};

}  // namespace splyce
