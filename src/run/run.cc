#include "run/run.h"

#include "documents/documents.h"
#include "model/file_names.h"
#include "model/model.h"
#include "platform/folder_lock.h"
#include "run/compile.h"
#include "scenario/line_description.h"
#include "scenario/service_description.h"

namespace scenario {

const std::array<testo_incorporato, 5>& testi_incorporati() {
  static const std::array<testo_incorporato, 5> testi = {{
      {dati_linea,
       [](const std::string& linea, const std::string&) { return nomi::linea_txt(linea); }},
      {dati_treno, nomi::treno_txt},
      {dati_note, nomi::note},
      {dati_rallentamenti, nomi::rallentamenti},
      {dati_scheda, nomi::scheda},
  }};
  return testi;
}

int esegui(FileSystem& fs, const std::string& cartella, std::ostream& err) {
  stato_compilazione s;
  s.nome_linea = nome_linea_incorporata;
  s.nome_treno = nome_treno_incorporato;

  err << "Attendere" << std::endl;

  // A second run started at the same moment in this folder waits here until
  // this one has ended, instead of deleting the sources it is reading.
  const FolderLock lock(cartella, &err);

  for (const auto& testo : testi_incorporati()) {
    if (auto error = testo.scrivi(fs, cartella, s.nome_linea, s.nome_treno)) {
      err << error->path << ": " << error->reason << '\n';
      return 3;
    }
  }

  CompileOptions opzioni;
  opzioni.source_folder = cartella;
  opzioni.output_folder = cartella;
  opzioni.delete_sources = true;
  const CompileOutcome esito = memorizza_percorso(s, con_matrice_linea, fs, opzioni);
  report(err, esito, s);
  return exit_status(esito, s);
}

}  // namespace scenario
