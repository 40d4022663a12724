#include <iostream>

#include "commands.h"

namespace scenario::tool {

int cmd_plot(const args_t&) {
  std::cerr << "scenario-tool plot: not available yet\n";
  return kUsage;
}

}  // namespace scenario::tool
