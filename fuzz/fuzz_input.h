// Takes a fuzzer's bytes apart into the pieces a target needs. Running out
// of bytes is fine: every piece then comes out empty or zero.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace splyce::fuzz {

class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  uint16_t word() { return static_cast<uint16_t>(byte() | (byte() << 8)); }
  // A piece of up to `max` bytes whose length comes first.
  std::string chunk(std::size_t max) {
    std::size_t n = word() % (max + 1);
    if (n > size_ - pos_) n = size_ - pos_;
    std::string s(reinterpret_cast<const char*>(data_ + pos_), n);
    pos_ += n;
    return s;
  }
  std::string rest() {
    std::string s(reinterpret_cast<const char*>(data_ + pos_), size_ - pos_);
    pos_ = size_;
    return s;
  }

 private:
  const uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

// A finding: say what broke and stop, so that libFuzzer keeps the input.
[[noreturn]] inline void fail(const char* what) {
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

inline void check(bool ok, const char* what) {
  if (!ok) fail(what);
}

// What a rewrite puts on disk: every LF as CR LF.
inline std::string with_crlf(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

}  // namespace splyce::fuzz
