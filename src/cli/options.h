// The command line: options first, then SOURCE, then any DEST arguments.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/outcome.h"
#include "fileio/console.h"

namespace splyce {

constexpr const char* DEFAULT_MARK = "SPLYCE_BLOCK";

struct Options {
  bool test_mode = false;
  bool need_border_marks = false;
  int wait_language = 0;  // 0: no wait; 1: English prompt; 2: German prompt
  std::optional<std::string> start_mark;
  std::optional<std::string> end_mark;
  std::optional<std::string> shared_mark;  // present exactly in shared-mark mode after validation
  std::string source_path;
  std::vector<std::string> dest_args;
  bool pattern_mode = false;
  std::string dest_pattern;
};

// Reads the arguments after the program's path into options (and the
// console's verbose flag), validates the marks and settles the destination
// mode. Returns OUTCOME_SUCCESS when the run goes on.
Outcome parse_options(const std::vector<std::string>& args, Options& options, Console& console,
                      const PathStyle& style);

// The verbose summary of the settings, and the simulation notice.
void print_option_summary(const Options& options, Console& console);

}  // namespace splyce
