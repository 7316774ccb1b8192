#include "fileio/text_mode.h"

#include <cstring>
#include <memory>
#include <new>

namespace splyce {
namespace {

constexpr char CR = '\r';
constexpr char LF = '\n';
constexpr char END_OF_TEXT = 0x1A;

// Squeezes out every CR in [p, p + n); returns the bytes left.
int64_t drop_carriage_returns(char* p, int64_t n) {
  char* end = p + n;
  char* cr = static_cast<char*>(std::memchr(p, CR, static_cast<std::size_t>(n)));
  if (cr == nullptr) return n;
  char* out = cr;
  const char* in = cr + 1;
  while (in < end) {
    const char* next = static_cast<const char*>(std::memchr(in, CR, static_cast<std::size_t>(end - in)));
    const char* stop = next ? next : end;
    const std::size_t span = static_cast<std::size_t>(stop - in);
    std::memmove(out, in, span);
    out += span;
    in = stop + (next ? 1 : 0);
  }
  return out - p;
}

}  // namespace

int32_t read_text(Platform& platform, TextInput& input, char* dst, int32_t count) {
  int64_t delivered = 0;
  while (!input.met_end_of_text && delivered < count) {
    char* chunk = dst + delivered;
    int64_t got = platform.read(input.fd, chunk, count - delivered);
    if (got < 0) return -1;
    if (got == 0) break;
    if (const void* mark = std::memchr(chunk, END_OF_TEXT, static_cast<std::size_t>(got))) {
      input.met_end_of_text = true;
      got = static_cast<const char*>(mark) - chunk;
      if (got == 0) break;
    }
    if (!input.met_end_of_text && chunk[got - 1] == CR) {
      // A CR at the end of the chunk may start a CR LF pair: take one more byte in its place.
      const int64_t extra = platform.read(input.fd, chunk + got - 1, 1);
      if (extra < 0) return -1;
      if (extra == 1 && chunk[got - 1] == END_OF_TEXT) {
        input.met_end_of_text = true;
        --got;
      }
    }
    const int64_t kept = drop_carriage_returns(chunk, got);
    delivered += kept;
    if (kept > 0) break;
  }
  return static_cast<int32_t>(delivered);
}

int32_t write_text(Platform& platform, int fd, const char* bytes, int32_t count) {
  if (count < 0) return -1;
  const std::size_t n = static_cast<std::size_t>(count);
  std::size_t line_feeds = 0;
  for (const char* p = bytes; (p = static_cast<const char*>(std::memchr(p, LF, n - static_cast<std::size_t>(p - bytes)))) != nullptr; ++p) {
    ++line_feeds;
  }
  if (line_feeds == 0) {
    return platform.write(fd, bytes, count) == count ? count : -1;
  }
  const std::size_t total = n + line_feeds;
  std::unique_ptr<char[]> translated(new (std::nothrow) char[total]);
  if (!translated) return -1;
  char* out = translated.get();
  const char* in = bytes;
  const char* end = bytes + n;
  while (in < end) {
    const char* lf = static_cast<const char*>(std::memchr(in, LF, static_cast<std::size_t>(end - in)));
    const char* stop = lf ? lf : end;
    std::memcpy(out, in, static_cast<std::size_t>(stop - in));
    out += stop - in;
    if (!lf) break;
    *out++ = CR;
    *out++ = LF;
    in = lf + 1;
  }
  const int64_t expected = static_cast<int64_t>(total);
  return platform.write(fd, translated.get(), expected) == expected ? count : -1;
}

}  // namespace splyce
