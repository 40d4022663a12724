// The small scenario that `scenario-tool new` hands a new author: about
// 10 km, three stations, a right-hand and a left-hand curve, a tunnel with
// its board, two signals, one slow-down, a speed-indicator board and one
// kilometre-post zone. It compiles without a fault; docs/formats/
// your-first-scenario.md explains it row by row.
#pragma once

#include <string>
#include <vector>

namespace scenario::crew {

// The line description's and the service description's lines, in file
// order, without the end marker.
std::vector<std::string> starter_line_description();
std::vector<std::string> starter_service_description();

}  // namespace scenario::crew
