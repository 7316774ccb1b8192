#include "cli/run.h"

#include <optional>

#include "cli/help_texts.h"
#include "cli/options.h"
#include "dest/destination_selection.h"
#include "dest/section_replacement.h"
#include "marks/section_table.h"
#include "source/source_extraction.h"

namespace splyce {
namespace {

constexpr const char* TRY_HELP = "Try: splyce --help\nVersuchen Sie: splyce --hilfe\n";

// What the run holds until its end.
struct RunResources {
  TextBuffer source;
  std::optional<DestinationSelection> destinations;  // the listing and the current destination
};

Outcome run_destination_loop(const Options& options, Console& console, const SectionTable& table,
                             DestinationSelection& destinations) {
  Outcome outcome = OUTCOME_SUCCESS;
  bool any_file_changed = false;
  while (destinations.next_destination()) {
    if (!update_destination(options, console, table, destinations.text(), destinations.full_path(),
                            any_file_changed)) {
      outcome = OUTCOME_REPORTED;
      break;
    }
  }
  if (!any_file_changed) console.out("splyce: No file has been changed.\n");
  return outcome;
}

void print_final_message(Outcome outcome, Console& console) {
  switch (outcome) {
    case OUTCOME_HELP_DE:
      console.out("%s", help_text_de);
      break;
    case OUTCOME_HELP_EN:
      console.out("%s", help_text_en);
      break;
    case OUTCOME_MISSING_SOURCE:
      console.err("splyce: Missing source file name.\n%s", TRY_HELP);
      break;
    case OUTCOME_UNKNOWN_OPTION:
      console.err("splyce: Option not recognized.\n%s", TRY_HELP);
      break;
    case OUTCOME_SOURCE_INACCESSIBLE:
      console.err("splyce: Could not access source file.\n");
      break;
    case OUTCOME_SOURCE_TOO_LARGE:
      console.err("splyce: File size too large.\n");
      break;
    case OUTCOME_DIRECTORY_INACCESSIBLE:
      console.err("splyce: Cannot access destination directory.\n");
      break;
    case OUTCOME_START_WITHOUT_END:
      console.err("splyce: Option -s requires option -e, and vice versa.\n");
      break;
    case OUTCOME_SHARED_WITH_PAIR:
      console.err("splyce: Option -a may not be combined with -s nor -e.\n");
      break;
    case OUTCOME_BORDER_MARKS_WITH_PAIR:
      console.err("splyce: Option --need-start-mark may not be combined with -s nor -e.\n");
      break;
    case OUTCOME_SUCCESS:
    case OUTCOME_REPORTED:
      break;
  }
}

// The single end of every run: release, final message, wait, exit status.
int finish_run(Outcome outcome, const Options& options, Console& console, RunResources& resources) {
  resources.source.release();
  resources.destinations.reset();
  print_final_message(outcome, console);
  if (options.wait_language != 0) {
    console.out("%s", options.wait_language == 2 ? "--- Bitte die Eingabetaste druecken. --- "
                                                 : "--- Please press Enter. --- ");
    console.platform().read_char();
  }
  return outcome > 0 ? 1 : 0;
}

}  // namespace

int run_splyce(Platform& platform, const std::vector<std::string>& args) {
  Console console(platform);
  Options options;
  RunResources resources;
  SectionTable table(console);

  Outcome outcome = parse_options(args, options, console, platform.path_style());
  if (outcome == OUTCOME_SUCCESS) {
    print_option_summary(options, console);
    outcome = extract_sections(options, console, resources.source, table);
  }
  if (outcome == OUTCOME_SUCCESS) {
    DestinationSelection& destinations =
        resources.destinations.emplace(options, console, table.total_section_size());
    outcome = destinations.open_destinations();
    if (outcome == OUTCOME_SUCCESS) outcome = run_destination_loop(options, console, table, destinations);
  }
  return finish_run(outcome, options, console, resources);
}

}  // namespace splyce
