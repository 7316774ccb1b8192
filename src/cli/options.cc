#include "cli/options.h"

#include "fileio/path_text.h"

namespace splyce {
namespace {

bool given(const std::optional<std::string>& mark) { return mark.has_value() && !mark->empty(); }

Outcome validate_marks(Options& options) {
  if (given(options.shared_mark)) {
    if (given(options.start_mark) || given(options.end_mark)) return OUTCOME_SHARED_WITH_PAIR;
    return OUTCOME_SUCCESS;
  }
  if (given(options.start_mark) != given(options.end_mark)) return OUTCOME_START_WITHOUT_END;
  if (given(options.start_mark)) {
    options.shared_mark.reset();
    return options.need_border_marks ? OUTCOME_BORDER_MARKS_WITH_PAIR : OUTCOME_SUCCESS;
  }
  options.shared_mark = DEFAULT_MARK;
  return OUTCOME_SUCCESS;
}

void detect_destination_mode(Options& options, const PathStyle& style) {
  if (options.dest_args.empty()) {
    options.pattern_mode = true;
    options.dest_pattern.clear();
    return;
  }
  const std::string& first = options.dest_args.front();
  if (!first.empty() && last_component(style, first).find('*') != std::string_view::npos) {
    options.pattern_mode = true;
    options.dest_pattern = first;
  }
}

}  // namespace

Outcome parse_options(const std::vector<std::string>& args, Options& options, Console& console,
                      const PathStyle& style) {
  std::size_t i = 0;
  for (; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help") return OUTCOME_HELP_EN;
    if (arg == "--hilfe") return OUTCOME_HELP_DE;
    if (arg == "--verbose") {
      console.set_verbose();
    } else if (arg == "--test") {
      options.test_mode = true;
    } else if (arg == "--need-border-marks") {
      options.need_border_marks = true;
    } else if (arg == "--wait") {
      options.wait_language = 1;
    } else if (arg == "--warten") {
      options.wait_language = 2;
    } else if (arg.starts_with("-s=")) {
      options.start_mark = arg.substr(3);
    } else if (arg.starts_with("-e=")) {
      options.end_mark = arg.substr(3);
    } else if (arg.starts_with("-a=")) {
      options.shared_mark = arg.substr(3);
    } else if (arg == "--") {
      ++i;
      break;
    } else if (arg.starts_with("-")) {
      return OUTCOME_UNKNOWN_OPTION;
    } else {
      break;
    }
  }
  if (i >= args.size()) return OUTCOME_MISSING_SOURCE;
  options.source_path = args[i];
  options.dest_args.assign(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());

  if (const Outcome outcome = validate_marks(options); outcome != OUTCOME_SUCCESS) return outcome;
  detect_destination_mode(options, style);
  return OUTCOME_SUCCESS;
}

void print_option_summary(const Options& options, Console& console) {
  if (console.verbose()) {
    std::string text = "splyce: Verbose mode activated.\nsplyce: Options";
    if (options.test_mode) text += " --test";
    if (options.need_border_marks) text += " --need-border-marks";
    if (options.wait_language == 1) text += " --wait";
    if (options.wait_language == 2) text += " --warten";
    if (options.start_mark) text += " -s=" + *options.start_mark;
    if (options.end_mark) text += " -e=" + *options.end_mark;
    if (options.shared_mark) text += " -a=" + *options.shared_mark;
    text += "\nsplyce: Sourcefile is " + options.source_path + "\nsplyce: Destination file";
    const std::vector<std::string>& dests = options.dest_args;
    text += (dests.size() == 1 && !options.pattern_mode) ? " is " : "s are ";
    if (dests.empty()) {
      text += "all .htm and .html files.\n";
    } else if (options.pattern_mode) {
      text += "all files matching " + dests.front() + "\n";
    } else {
      text += dests.front();
      if (dests.size() >= 2) text += ", " + dests[1];
      text += dests.size() >= 3 ? ", ...\n" : "\n";
    }
    console.out("%s", text.c_str());
  }
  if (options.test_mode) console.out("splyce: Simulation mode activated.\n");
}

}  // namespace splyce
