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
  const std::string cartella = o.value("--out");
  stato_compilazione s;
  s.nome_linea = o.value("--line");
  s.nome_treno = o.value("--train");
  if (s.nome_linea.find('/') != std::string::npos || s.nome_treno.find('/') != std::string::npos) {
    std::cerr << "scenario-tool new: a name must not contain '/'\n";
    return kUsage;
  }

  if (auto e = make_folder(cartella)) {
    std::cerr << *e << '\n';
    return 3;
  }
  PosixFileSystem fs;
  const std::string linea = join_path(cartella, nomi::linea_txt(s.nome_linea));
  const std::string treno = join_path(cartella, nomi::treno_txt(s.nome_linea, s.nome_treno));
  if (!o.has("--force")) {
    for (const auto& p : {linea, treno}) {
      std::string vecchio;
      if (!fs.read(p, &vecchio)) {
        std::cerr << "scenario-tool new: " << p << " already exists; give --force to replace it\n";
        return 1;
      }
    }
  }
  for (const auto& [p, righe] : {std::pair{linea, crew::linea_iniziale()},
                                 std::pair{treno, crew::treno_iniziale()}}) {
    if (auto e = scrivi_testo(fs, p, righe)) {
      std::cerr << e->path << ": " << e->reason << '\n';
      return 3;
    }
    std::cout << p << '\n';
  }

  if (auto e = crew::leggi_sorgenti(s, fs, cartella)) {
    std::cerr << e->path << ": " << e->reason << '\n';
    return 3;
  }
  // The scenario is fixed and known to compile; a fault here is a fault of
  // this program.
  if (!s.diagnostiche.empty()) {
    riporta(std::cerr, esito_compilazione{}, s);
    return 2;
  }
  const crew::documenti_scritti scritti = crew::scrivi_documenti(s, fs, cartella);
  if (scritti.errore_io) {
    std::cerr << scritti.errore_io->path << ": " << scritti.errore_io->reason << '\n';
    return 3;
  }
  for (const auto& n : scritti.scritti) std::cout << join_path(cartella, n) << '\n';
  return 0;
}

}  // namespace scenario::tool
