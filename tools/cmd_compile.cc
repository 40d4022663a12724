#include <iostream>

#include "commands.h"

namespace scenario::tool {

int cmd_compile(const args_t&) {
  std::cerr << "scenario-tool compile: not available yet\n";
  return kUsage;
}

}  // namespace scenario::tool
