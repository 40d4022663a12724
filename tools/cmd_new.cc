// scenario-tool new: a small scenario to start from, with its crew
// documents, instead of the 88 km embedded one.
#include <iostream>

#include "commands.h"
#include "crew/documents.h"
#include "crew/first_scenario.h"
#include "model/file_names.h"
#include "platform/file_system.h"
#include "run/compile.h"
#include "scenario/text_writer.h"
#include "tool_support.h"

namespace scenario::tool {

namespace {

constexpr const char* kHelp =
    "usage: scenario-tool new --out DIR --line NAME --train NAME [--force]\n"
    "\n"
    "Writes a small scenario into DIR (which must exist): a line of about\n"
    "10 km with three stations, a right-hand and a left-hand curve, a tunnel\n"
    "with its board, two signals, one slow-down, a speed-indicator board and\n"
    "one kilometre-post zone, and its crew documents:\n"
    "  NAME_linea.txt                 the line description\n"
    "  NAME_TRAIN-.txt                the service description\n"
    "  NAME_TRAIN_scheda_treno.txt    the timetable card\n"
    "  NAME_TRAIN_rallentamenti.txt   the slow-down order\n"
    "  NAME_TRAIN_note.txt            an empty notes sheet\n"
    "Prints the path of each file written. A folder that already holds either\n"
    "source of these names is left alone unless --force is given.\n"
    "\n"
    "Then compile it with\n"
    "  scenario-tool compile --dir DIR --line NAME --train TRAIN\n"
    "and, after changing the sources, rewrite or check the documents with\n"
    "  scenario-tool documents --dir DIR --line NAME --train TRAIN [--verify]\n"
    "docs/formats/your-first-scenario.md explains every row.\n"
    "\n"
    "status: 0 done, 1 sources already there, 3 a file could not be written\n"
    "(the message names it), 64 bad usage.\n";

}  // namespace

int cmd_new(const args_t& args) {
  command_options o;
  if (auto status = read_command({"new", kHelp, {"--out", "--line", "--train"},
                                {"--force"}, {"--out", "--line", "--train"}},
                               args, &o)) {
    return *status;
  }
  const std::string folder = o.value("--out");
  stato_compilazione s;
  s.nome_linea = o.value("--line");
  s.nome_treno = o.value("--train");
  if (s.nome_linea.find('/') != std::string::npos || s.nome_treno.find('/') != std::string::npos) {
    std::cerr << "scenario-tool new: a name must not contain '/'\n";
    return kUsage;
  }

  if (auto e = make_folder(folder)) {
    std::cerr << *e << '\n';
    return 3;
  }
  PosixFileSystem fs;
  const std::string line_file = join_path(folder, nomi::linea_txt(s.nome_linea));
  const std::string service_file = join_path(folder, nomi::treno_txt(s.nome_linea, s.nome_treno));
  if (!o.has("--force")) {
    for (const auto& p : {line_file, service_file}) {
      std::string existing;
      if (!fs.read(p, &existing)) {
        std::cerr << "scenario-tool new: " << p << " already exists; give --force to replace it\n";
        return 1;
      }
    }
  }
  for (const auto& [p, lines] : {std::pair{line_file, crew::starter_line_description()},
                                 std::pair{service_file, crew::starter_service_description()}}) {
    if (auto e = scrivi_testo(fs, p, lines)) {
      std::cerr << e->path << ": " << e->reason << '\n';
      return 3;
    }
    std::cout << p << '\n';
  }

  if (auto e = crew::read_sources(s, fs, folder)) {
    std::cerr << e->path << ": " << e->reason << '\n';
    return 3;
  }
  // The scenario is fixed and known to compile; a fault here is a fault of
  // this program.
  if (!s.diagnostiche.empty()) {
    report(std::cerr, CompileOutcome{}, s);
    return 2;
  }
  const crew::written_documents docs = crew::write_documents(s, fs, folder);
  if (docs.io_error) {
    std::cerr << docs.io_error->path << ": " << docs.io_error->reason << '\n';
    return 3;
  }
  for (const auto& n : docs.written) std::cout << join_path(folder, n) << '\n';
  return 0;
}

}  // namespace scenario::tool
