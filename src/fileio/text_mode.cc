#include "fileio/text_mode.h"

#include "fileio/text_buffer.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace splyce {
namespace {

constexpr char CR = '\r';
constexpr char LF = '\n';
constexpr char END_OF_TEXT = 0x1A;

// Squeezes out every CR in [p, p + n); returns the bytes left. Works in
// place in one pass, 16 bytes at a time where the CPU allows.
int64_t drop_carriage_returns(char* p, int64_t n) {
  const char* end = p + n;
  char* cr = static_cast<char*>(std::memchr(p, CR, static_cast<std::size_t>(n)));
  if (cr == nullptr) return n;
  char* out = cr;
  const char* in = cr + 1;
#if defined(__SSE2__)
  // Byte by byte until the output trails the input by a whole block, so that
  // a full 16-byte store never reaches input not yet read.
  while (in < end && in - out < 16) {
    *out = *in;
    out += *in++ != CR;
  }
  const __m128i crs = _mm_set1_epi8(CR);
  while (end - in >= 16) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, crs)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), block);
    if (mask == 0) {
      out += 16;
      in += 16;
    } else {
      // Keep the bytes before the first CR; the next block starts after it.
      const int first = __builtin_ctz(mask);
      out += first;
      in += first + 1;
    }
  }
#endif
  while (in < end) {
    *out = *in;
    out += *in++ != CR;
  }
  return out - p;
}

// Copies [in, end) to out with every LF turned into CR LF; out has room for
// the bytes and one CR per LF. Returns the end of the output.
char* expand_line_feeds(const char* in, const char* end, char* out) {
#if defined(__SSE2__)
  // A full block is stored even when only its head counts: the output always
  // has at least as much room left as the input has bytes.
  const __m128i lfs = _mm_set1_epi8(LF);
  while (end - in >= 16) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, lfs)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), block);
    if (mask == 0) {
      out += 16;
      in += 16;
    } else {
      const int first = __builtin_ctz(mask);
      out[first] = CR;
      out[first + 1] = LF;
      out += first + 2;
      in += first + 1;
    }
  }
#endif
  for (; in < end; ++in) {
    if (*in == LF) *out++ = CR;
    *out++ = *in;
  }
  return out;
}

// Texts up to half this size go out in one write. Larger ones go in pieces
// through one reused buffer of this size, so that rewriting a huge page needs
// no second copy of it in memory.
constexpr std::size_t PIECE = std::size_t{8} << 20;

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
  if (std::memchr(bytes, LF, n) == nullptr) {
    return platform.write(fd, bytes, count) == count ? count : -1;
  }
  // Each piece of input at most doubles.
  const std::size_t room = std::min(2 * n, PIECE);
  std::unique_ptr<char[]> translated(new (std::nothrow) char[room]);
  if (!translated) return -1;
  prefer_large_pages(translated.get(), room);
  const char* end = bytes + n;
  for (const char* in = bytes; in < end;) {
    const char* stop = in + std::min(room / 2, static_cast<std::size_t>(end - in));
    const int64_t size = expand_line_feeds(in, stop, translated.get()) - translated.get();
    if (platform.write(fd, translated.get(), size) != size) return -1;
    in = stop;
  }
  return count;
}

}  // namespace splyce
