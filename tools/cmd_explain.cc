// scenario-tool explain: what a fault number or a warning code means, a
// wrong and a right example, and how to fix it.
#include <iostream>

#include "commands.h"
#include "explanations.h"
#include "tool_support.h"

namespace scenario::tool {

namespace {

constexpr const char* kHelp =
    "usage: scenario-tool explain CODE\n"
    "       scenario-tool explain --list\n"
    "       scenario-tool explain --markdown\n"
    "\n"
    "Explains a code of the compile's messages: what it means, a wrong and a\n"
    "right example and how to fix it. CODE is an error (E16, or just 16) or a\n"
    "warning's name (unknown-keyword), or a code of the crew documents'\n"
    "checks (card-time), explained without an example.\n"
    "\n"
    "options:\n"
    "  --list       every code with its title\n"
    "  --markdown   every explanation, as the reference section of\n"
    "               docs/formats/diagnostics.md\n"
    "  --help       this text\n"
    "\n"
    "status: 0 done, 64 bad usage or an unknown code.\n";

}  // namespace

int cmd_explain(const args_t& args) {
  command_options o;
  if (auto e = parse_options(args, {}, {"--list", "--markdown"}, &o)) {
    std::cerr << "scenario-tool explain: " << *e << "\n\n" << kHelp;
    return kUsage;
  }
  if (o.help) {
    std::cout << kHelp;
    return 0;
  }
  const bool list = o.has("--list"), markdown = o.has("--markdown");
  if (list + markdown + o.positionals.size() != 1) {
    std::cerr << "scenario-tool explain: give one code, --list or --markdown\n\n" << kHelp;
    return kUsage;
  }
  if (list) {
    std::cout << explanation_list();
    return 0;
  }
  if (markdown) {
    std::cout << reference_markdown();
    return 0;
  }
  const std::string& code = o.positionals.front();
  if (const crew::CrewCode* c = crew::find_crew_code(code)) {
    std::cout << crew_code_text(*c);
    return 0;
  }
  const Explanation* e = find_explanation(code);
  if (!e) {
    std::cerr << "scenario-tool explain: no code '" << code
              << "'; scenario-tool explain --list shows every code\n";
    return kUsage;
  }
  std::cout << explanation_text(*e);
  return 0;
}

}  // namespace scenario::tool
