#include <iostream>

#include "platform/file_system.h"
#include "run/run.h"

int main() {
  auto folder = scenario::program_folder();
  if (!folder) {
    std::cerr << "/proc/self/exe: cannot find the program folder\n";
    return 3;
  }
  scenario::PosixFileSystem fs;
  return scenario::esegui(fs, *folder, std::cerr);
}
