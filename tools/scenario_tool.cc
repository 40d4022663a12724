#include <iostream>
#include <string>

#include "commands.h"
#include "run/run.h"

namespace {

constexpr const char* kUsageText =
    "usage: scenario-tool COMMAND [OPTIONS]\n"
    "\n"
    "commands:\n"
    "  compile   compile a line and a service description into the binary files\n"
    "  check     report every problem of a line and a service description\n"
    "  export    write the embedded scenario's text files, to start from\n"
    "  dump      decode a .sim, .dat or _linea.dat file\n"
    "  plot      draw the route of compiled binary files as SVG\n"
    "  view      show the route in the browser: an HTML page, or served live\n"
    "  documents write or check the crew documents of a scenario's sources\n"
    "  new       write a small scenario to start from, with its documents\n"
    "  decompile write the sources that compile to given binary files\n"
    "  diff      list what differs between two scenarios, by kilometre post\n"
    "  explain   what a fault or warning code means and how to fix it\n"
    "\n"
    "scenario-tool COMMAND --help describes each command;\n"
    "scenario-tool --version prints the version.\n";

}  // namespace

int main(int argc, char** argv) {
  using namespace scenario::tool;
  if (argc < 2) {
    std::cerr << kUsageText;
    return kUsage;
  }
  scenario::fail_writes_past_size_limit();
  const std::string command = argv[1];
  const args_t args(argv + 2, argv + argc);
  if (command == "--help" || command == "-h" || command == "help") {
    std::cout << kUsageText;
    return 0;
  }
  if (command == "--version") {
    std::cout << "scenario-tool " << scenario::kVersion << '\n';
    return 0;
  }
  if (command == "compile") return cmd_compile(args);
  if (command == "check") return cmd_check(args);
  if (command == "export") return cmd_export(args);
  if (command == "dump") return cmd_dump(args);
  if (command == "plot") return cmd_plot(args);
  if (command == "view") return cmd_view(args);
  if (command == "documents") return cmd_documents(args);
  if (command == "new") return cmd_new(args);
  if (command == "decompile") return cmd_decompile(args);
  if (command == "diff") return cmd_diff(args);
  if (command == "explain") return cmd_explain(args);
  std::cerr << "scenario-tool: unknown command '" << command << "'\n" << kUsageText;
  return kUsage;
}
