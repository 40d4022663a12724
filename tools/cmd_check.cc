// scenario-tool check: every problem of an author's two text files in one
// run, nothing written.
#include <iostream>
#include <sstream>
#include <string>

#include "commands.h"
#include "diagnostic_output.h"
#include "model/model.h"
#include "platform/file_system.h"
#include "run/compile.h"
#include "tool_support.h"

namespace scenario::tool {

namespace {

constexpr const char* kCheckHelp =
    "usage: scenario-tool check --dir DIR --line NAME --train NAME [--json]\n"
    "                           [--allow CODE]... [--Werror]\n"
    "\n"
    "Reads a line description and a service description as compile does and\n"
    "reports every problem found, without writing or changing any file. After\n"
    "an error the reading goes on at the next line of the file, as if the row\n"
    "in error were absent, so later rows are still checked. The derivation\n"
    "rules and the header guards are then applied to what was read.\n"
    "\n"
    "Reads:\n"
    "  DIR/NAME_linea.txt        the line description (NAME from --line)\n"
    "  DIR/LINE_TRAIN-.txt       the service description\n"
    "\n"
    "options:\n"
    "  --dir DIR         folder of the two text files\n"
    "  --line NAME       line name\n"
    "  --train NAME      train name\n"
    "  --allow CODE      do not report the warning CODE (may be repeated)\n"
    "  --Werror          count every warning as an error\n"
    "  --json            print {\"diagnostics\": [...]} on standard output\n"
    "  --help            this text\n"
    "\n"
    "Each problem is printed on standard error, in the order met, as\n"
    "  FILE:LINE:COL: severity: message [code]\n"
    "with notes for the places that explain it.\n"
    "\n"
    "exit status:\n"
    "  0   no error (warnings may have been printed)\n"
    "  2   errors found (or warnings under --Werror)\n"
    "  3   a file could not be read; the message names it\n"
    "  64  bad usage\n";

// Further checks of the two files append their diagnostics here, after the
// reading, the rules and the guards.
void controlli_aggiuntivi(const stato_compilazione&, Diagnostics&) {}

}  // namespace

int cmd_check(const args_t& args) {
  opzioni_comando opzioni;
  if (auto errore = analizza_opzioni(args, {"--dir", "--line", "--train", "--allow"}, {"--json", "--Werror"},
                                     &opzioni)) {
    std::cerr << "scenario-tool check: " << *errore << "\n\n" << kCheckHelp;
    return kUsage;
  }
  if (opzioni.aiuto) {
    std::cout << kCheckHelp;
    return 0;
  }
  if (!opzioni.posizionali.empty()) {
    std::cerr << "scenario-tool check: unexpected argument '" << opzioni.posizionali.front() << "'\n\n"
              << kCheckHelp;
    return kUsage;
  }
  for (const char* richiesta : {"--dir", "--line", "--train"}) {
    if (opzioni.valore(richiesta).empty()) {
      std::cerr << "scenario-tool check: " << richiesta << " is required\n\n" << kCheckHelp;
      return kUsage;
    }
  }
  WarningPolicy politica;
  if (auto errore = politica_avvisi(opzioni, &politica)) {
    std::cerr << "scenario-tool check: " << *errore << "\n";
    return kUsage;
  }

  stato_compilazione s;
  s.nome_linea = opzioni.valore("--line");
  s.nome_treno = opzioni.valore("--train");
  PosixFileSystem fs;
  esito_compilazione esito = verifica_sorgenti(s, 1, fs, opzioni.valore("--dir"), politica);
  if (esito.errore_guardia) {
    s.diagnostiche.push_back(diagnostica_errore(*esito.errore_guardia, std::nullopt, {}));
  }
  Diagnostics aggiunte;
  controlli_aggiuntivi(s, aggiunte);
  apply_policy(aggiunte, politica);
  for (Diagnostic& d : aggiunte) s.diagnostiche.push_back(std::move(d));

  std::cerr << righe_diagnostiche(s.diagnostiche);
  if (esito.errore_io) std::cerr << esito.errore_io->path << ": " << esito.errore_io->reason << '\n';
  if (opzioni.ha("--json")) {
    std::cout << "{\"diagnostics\": " << json_diagnostiche(s.diagnostiche) << "}\n";
  }
  if (esito.errore_io) return 3;
  return has_errors(s.diagnostiche) ? 2 : 0;
}

}  // namespace scenario::tool
