#include <iostream>

#include "commands.h"

namespace scenario::tool {

int cmd_export(const args_t&) {
  std::cerr << "scenario-tool export: not available yet\n";
  return kUsage;
}

}  // namespace scenario::tool
