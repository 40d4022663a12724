#include "run/run.h"

#include "documents/documents.h"
#include "model/model.h"
#include "platform/folder_lock.h"
#include "run/compile.h"
#include "scenario/line_description.h"
#include "scenario/service_description.h"

namespace scenario {

int esegui(FileSystem& fs, const std::string& cartella, std::ostream& err) {
  stato_compilazione s;
  s.nome_linea = nome_linea_incorporata;
  s.nome_treno = nome_treno_incorporato;

  err << "Attendere" << std::endl;

  // A second run started at the same moment in this folder waits here until
  // this one has ended, instead of deleting the sources it is reading.
  const FolderLock lock(cartella, &err);

  for (auto writer : {dati_linea, dati_treno, dati_note, dati_rallentamenti, dati_scheda}) {
    if (auto error = writer(fs, cartella, s.nome_linea, s.nome_treno)) {
      err << error->path << ": " << error->reason << '\n';
      return 3;
    }
  }

  opzioni_compilazione opzioni;
  opzioni.cartella_sorgenti = cartella;
  opzioni.cartella_uscita = cartella;
  opzioni.elimina_sorgenti = true;
  const esito_compilazione esito = memorizza_percorso(s, 1, fs, opzioni);
  riporta(err, esito, s);
  return stato_uscita(esito, s);
}

}  // namespace scenario
