// scenario-tool compile: a scenario author's own text files compiled into
// the binary files, exactly as the one-shot run compiles its own; the
// sources are only read, never deleted or changed.
#include <iostream>
#include <sstream>
#include <string>

#include "commands.h"
#include "model/model.h"
#include "platform/file_system.h"
#include "platform/folder_lock.h"
#include "run/compile.h"
#include "run/errors.h"
#include "tool_support.h"

namespace scenario::tool {

namespace {

constexpr const char* kCompileHelp =
    "usage: scenario-tool compile --dir DIR --line NAME --train NAME [--out DIR]\n"
    "                             [--no-track-plan] [--json]\n"
    "\n"
    "Compiles a line description and a service description into the binary\n"
    "files the simulator loads, as the scenario program does.\n"
    "\n"
    "Reads (never deletes or changes):\n"
    "  DIR/NAME_linea.txt        the line description (NAME from --line)\n"
    "  DIR/LINE_TRAIN-.txt       the service description (LINE from --line,\n"
    "                            TRAIN from --train)\n"
    "Writes, into --out (default DIR):\n"
    "  LINE_linea.dat            the track plan (not with --no-track-plan)\n"
    "  LINE_TRAIN.sim            the scenario table\n"
    "  LINE_TRAIN.dat            the route cells\n"
    "\n"
    "options:\n"
    "  --dir DIR         folder of the two text files\n"
    "  --line NAME       line name\n"
    "  --train NAME      train name\n"
    "  --out DIR         folder for the binary files (default: --dir)\n"
    "  --no-track-plan   build and write no track plan\n"
    "  --json            print the result as one JSON object on standard output\n"
    "  --help            this text\n"
    "\n"
    "Every fault met is printed in order on standard error as\n"
    "  FILE:LINE: error N: text (at P m)\n"
    "the position only where the fault has one, the line only where a row of a\n"
    "text file caused it. Faults do not stop the compile: the files are written\n"
    "from what was read. A header guard refusal prints \" Errore n. 1250\" or\n"
    "\" Errore n. 1251\" and writes nothing.\n"
    "\n"
    "With --json, standard output holds:\n"
    "  {\"numero_errore\": N, \"posizione_errore\": N, \"guard_error\": null|1250|1251,\n"
    "   \"written\": [file names], \"faults\": [{\"numero\": N, \"posizione\": N|null,\n"
    "   \"file\": \"...\", \"line\": N|null, \"message\": \"...\"}]}\n"
    "numero_errore and posizione_errore are the last fault's number and position\n"
    "(0 when none); \"file\" is empty for faults of the derivation rules.\n"
    "\n"
    "exit status:\n"
    "  0   compiled without faults\n"
    "  1   refused by a header guard, or nothing to write (no route length);\n"
    "      no file written\n"
    "  2   written, with faults\n"
    "  3   a file could not be read or written; the message names it\n"
    "  64  bad usage\n";

std::string json(const esito_compilazione& esito, const stato_compilazione& s) {
  std::ostringstream o;
  o << "{\"numero_errore\": " << s.numero_errore
    << ", \"posizione_errore\": " << s.posizione_errore << ", \"guard_error\": ";
  if (esito.errore_guardia) {
    o << *esito.errore_guardia;
  } else {
    o << "null";
  }
  o << ", \"written\": [";
  for (std::size_t i = 0; i < esito.scritti.size(); ++i) {
    o << (i ? ", " : "") << stringa_json(esito.scritti[i]);
  }
  o << "], \"faults\": [";
  for (std::size_t i = 0; i < s.guasti.size(); ++i) {
    const guasto& g = s.guasti[i];
    o << (i ? ", " : "") << "{\"numero\": " << g.numero << ", \"posizione\": ";
    if (g.posizione) {
      o << *g.posizione;
    } else {
      o << "null";
    }
    o << ", \"file\": " << stringa_json(g.file) << ", \"line\": ";
    if (g.riga > 0) {
      o << g.riga;
    } else {
      o << "null";
    }
    o << ", \"message\": " << stringa_json(testo_errore(g.numero)) << "}";
  }
  o << "]}";
  return o.str();
}

}  // namespace

int cmd_compile(const args_t& args) {
  opzioni_comando opzioni;
  if (auto errore = analizza_opzioni(args, {"--dir", "--line", "--train", "--out"},
                                     {"--no-track-plan", "--json"}, &opzioni)) {
    std::cerr << "scenario-tool compile: " << *errore << "\n\n" << kCompileHelp;
    return kUsage;
  }
  if (opzioni.aiuto) {
    std::cout << kCompileHelp;
    return 0;
  }
  if (!opzioni.posizionali.empty()) {
    std::cerr << "scenario-tool compile: unexpected argument '" << opzioni.posizionali.front()
              << "'\n\n"
              << kCompileHelp;
    return kUsage;
  }
  for (const char* richiesta : {"--dir", "--line", "--train"}) {
    if (opzioni.valore(richiesta).empty()) {
      std::cerr << "scenario-tool compile: " << richiesta << " is required\n\n" << kCompileHelp;
      return kUsage;
    }
  }

  stato_compilazione s;
  s.nome_linea = opzioni.valore("--line");
  s.nome_treno = opzioni.valore("--train");
  opzioni_compilazione compilazione;
  compilazione.cartella_sorgenti = opzioni.valore("--dir");
  compilazione.cartella_uscita = opzioni.valore("--out", compilazione.cartella_sorgenti);
  compilazione.elimina_sorgenti = false;
  const int32_t j = opzioni.ha("--no-track-plan") ? 0 : 1;

  PosixFileSystem fs;
  const FolderLock lock(compilazione.cartella_uscita, &std::cerr);  // one writer per --out folder
  const esito_compilazione esito = memorizza_percorso(s, j, fs, compilazione);
  riporta(std::cerr, esito, s);
  if (opzioni.ha("--json")) std::cout << json(esito, s) << '\n';
  return stato_uscita(esito, s);
}

}  // namespace scenario::tool
