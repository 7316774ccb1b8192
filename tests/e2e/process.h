// Runs the built program in a directory and captures everything it does.
#pragma once

#include <string>
#include <vector>

namespace splyce::e2e {

struct RunResult {
  std::string out;
  std::string err;
  int status = -1;  // exit status, or -1 when the program did not exit normally
};

// Runs `program` with `args` in `directory`, with standard input from /dev/null.
// A non-empty `runner` (such as "wine") is put in front of the program.
RunResult run_program(const std::string& runner, const std::string& program, const std::vector<std::string>& args,
                      const std::string& directory, const std::string& input = "");

}  // namespace splyce::e2e
