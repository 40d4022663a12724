#include <iostream>

#include "commands.h"

namespace scenario::tool {

int cmd_dump(const args_t&) {
  std::cerr << "scenario-tool dump: not available yet\n";
  return kUsage;
}

}  // namespace scenario::tool
