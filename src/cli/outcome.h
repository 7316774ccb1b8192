// The run's result: negative values ask for a help text, 0 is success,
// positive values select one final error message; 99 means the error has
// been reported where it happened.
#pragma once

namespace splyce {

enum Outcome : int {
  OUTCOME_HELP_DE = -2,
  OUTCOME_HELP_EN = -1,
  OUTCOME_SUCCESS = 0,
  OUTCOME_MISSING_SOURCE = 1,
  OUTCOME_UNKNOWN_OPTION = 2,
  OUTCOME_SOURCE_INACCESSIBLE = 3,
  OUTCOME_SOURCE_TOO_LARGE = 4,
  OUTCOME_DIRECTORY_INACCESSIBLE = 5,
  OUTCOME_START_WITHOUT_END = 6,
  OUTCOME_SHARED_WITH_PAIR = 7,
  OUTCOME_BORDER_MARKS_WITH_PAIR = 8,
  OUTCOME_REPORTED = 99,
};

}  // namespace splyce
