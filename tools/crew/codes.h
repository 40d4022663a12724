// The codes of the crew documents' checks (`check`, `documents --verify`,
// the timetable's feasibility): what each means and how to fix it, for
// `explain` and for `--allow`.
#pragma once

#include <span>
#include <string_view>

#include "model/diagnostics.h"

namespace scenario::crew {

struct CrewCode {
  std::string_view code;
  Severity severity;
  std::string_view title;    // one line
  std::string_view meaning;  // what the check found
  std::string_view fix;
};

std::span<const CrewCode> crew_codes();
// Null when `code` is not a code of these checks.
const CrewCode* find_crew_code(std::string_view code);

}  // namespace scenario::crew
