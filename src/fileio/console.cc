#include "fileio/console.h"

#include <cstdarg>
#include <cstdio>
#include <string>

namespace splyce {
namespace {

std::string format_message(const char* format, va_list args) {
  char small[512];
  va_list copy;
  va_copy(copy, args);
  const int needed = std::vsnprintf(small, sizeof small, format, copy);
  va_end(copy);
  if (needed < 0) return {};
  if (static_cast<std::size_t>(needed) < sizeof small) return std::string(small, static_cast<std::size_t>(needed));
  std::string text(static_cast<std::size_t>(needed) + 1, '\0');
  std::vsnprintf(text.data(), text.size(), format, args);
  text.resize(static_cast<std::size_t>(needed));
  return text;
}

}  // namespace

void Console::out(const char* format, ...) {
  va_list args;
  va_start(args, format);
  platform_.write_out(format_message(format, args));
  va_end(args);
}

void Console::err(const char* format, ...) {
  va_list args;
  va_start(args, format);
  platform_.write_err(format_message(format, args));
  va_end(args);
}

void Console::progress(const char* format, ...) {
  if (!verbose_) return;
  va_list args;
  va_start(args, format);
  platform_.write_out(format_message(format, args));
  va_end(args);
}

}  // namespace splyce
