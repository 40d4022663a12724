// Route cells compared field by field, for tests that check a whole route.
#pragma once

#include <string>
#include <vector>

#include "model/model.h"

namespace scenario::testing {

// Every field of a cell, in one line.
std::string describe_cell(const cella& c);

// Every cell that differs from what was expected, or a size mismatch.
std::vector<std::string> cell_differences(const std::vector<cella>& expected,
                                          const std::vector<cella>& found);

}  // namespace scenario::testing
