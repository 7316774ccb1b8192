// One whole run of the program, from the arguments to the exit status.
#pragma once

#include <string>
#include <vector>

#include "fileio/platform.h"

namespace splyce {

// Runs the program with the arguments after its own path; returns the exit
// status, 0 or 1.
int run_splyce(Platform& platform, const std::vector<std::string>& args);

}  // namespace splyce
