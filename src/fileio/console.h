// Formatted messages on the platform's console streams. Progress messages go
// to standard output and only in verbose runs.
#pragma once

#include "fileio/platform.h"

namespace splyce {

class Console {
 public:
  explicit Console(Platform& platform) : platform_(platform) {}

  void set_verbose() { verbose_ = true; }
  bool verbose() const { return verbose_; }

  // Always printed, on standard output.
  void out(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // Always printed, on standard error.
  void err(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // Printed on standard output in verbose runs only.
  void progress(const char* format, ...) __attribute__((format(printf, 2, 3)));

  Platform& platform() { return platform_; }

 private:
  Platform& platform_;
  bool verbose_ = false;
};

}  // namespace splyce
