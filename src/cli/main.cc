#include <string>
#include <vector>

#include "cli/run.h"
#include "fileio/posix_platform.h"

int main(int argc, char** argv) {
  // The program's own path is never used.
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  splyce::PosixPlatform platform;
  return splyce::run_splyce(platform, args);
}
