#include <iostream>
#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "run/run.h"

namespace {

constexpr const char* kUsageText =
    "usage: genera_scenario [--help | --version]\n"
    "\n"
    "Writes the embedded scenario (the line Borgo Varnello_Calmea and the\n"
    "service Reg 27594) into the folder that holds this program, whatever the\n"
    "current directory: the three crew documents and the three binary files\n"
    "the simulator loads. Older files of the same names are replaced whole.\n"
    "Run it with no argument; it asks nothing.\n"
    "\n"
    "options:\n"
    "  --help      this text; writes no file\n"
    "  --version   the program's version; writes no file\n"
    "\n"
    "exit status:\n"
    "  0   done\n"
    "  1   refused by a header guard (\" Errore n. 1250\" or \" Errore n. 1251\");\n"
    "      no binary file written\n"
    "  2   written, but the compile recorded a fault\n"
    "  3   a file could not be created, written or deleted; the message names it\n"
    "  64  bad usage; no file written\n"
    "\n"
    "scenario-tool, built beside it, compiles scenarios of your own.\n";

}  // namespace

int main(int argc, char** argv) {
  // Any argument is read before a file is touched: the run writes over the
  // outputs of an earlier one, so a mistyped option must not start it.
  if (argc > 1) {
    const std::string_view argument = argv[1];
    if (argc == 2 && (argument == "--help" || argument == "-h")) {
      std::cout << kUsageText;
      return 0;
    }
    if (argc == 2 && argument == "--version") {
      std::cout << "genera_scenario " << scenario::kVersion << '\n';
      return 0;
    }
    std::cerr << "genera_scenario: "
              << (argc == 2 ? "unexpected argument '" + std::string(argument) + "'"
                            : std::string("at most one option"))
              << "\n\n"
              << kUsageText;
    return 64;
  }
  auto folder = scenario::program_folder();
  if (!folder) {
    std::cerr << "/proc/self/exe: cannot find the program folder\n";
    return 3;
  }
  scenario::fail_writes_past_size_limit();
  scenario::PosixFileSystem fs;
  return scenario::esegui(fs, *folder, std::cerr);
}
