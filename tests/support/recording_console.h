// A console on the in-memory platform, for unit tests.
#pragma once

#include "fileio/console.h"
#include "support/memory_platform.h"

namespace splyce::testing {

struct ConsoleFixture {
  MemoryPlatform platform;
  Console console{platform};
  explicit ConsoleFixture(bool verbose = false) {
    if (verbose) console.set_verbose();
  }
};

}  // namespace splyce::testing
