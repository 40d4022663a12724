#include <climits>
#include <string>

#include <unistd.h>

#include "platform/file_system.h"

namespace scenario {

std::optional<std::string> program_folder() {
  char buffer[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return std::nullopt;
  std::string exe(buffer, static_cast<size_t>(n));
  auto slash = exe.rfind('/');
  if (slash == std::string::npos) return std::nullopt;
  return slash == 0 ? std::string("/") : exe.substr(0, slash);
}

}  // namespace scenario
