#include <string>
#include <vector>

#include "cli/run.h"
#ifdef _WIN32
#include "fileio/windows_platform.h"
// The C library must hand over the arguments as typed: a pattern such as
// "sub\p*" is the program's to expand, not the start-up code's.
extern "C" {
int _dowildcard = 0;
}
#else
#include "fileio/posix_platform.h"
#endif

int main(int argc, char** argv) {
  // The program's own path is never used.
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
#ifdef _WIN32
  splyce::WindowsPlatform platform;
#else
  splyce::PosixPlatform platform;
#endif
  return splyce::run_splyce(platform, args);
}
