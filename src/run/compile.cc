#include "run/compile.h"

#include "compiler/codes.h"
#include "compiler/derivation.h"
#include "compiler/reader.h"
#include "model/binary_files.h"
#include "model/file_names.h"
#include "platform/forwarding_file_system.h"
#include "run/errors.h"

namespace scenario {

namespace {

// The one-shot run reads sources it wrote a moment before: one that is gone
// by then was removed behind the run's back. That is a failure of the file
// system, reported with its path, not the scenario fault that a missing file
// is for an author's own compile.
class RunSourcesFileSystem final : public ForwardingFileSystem {
 public:
  using ForwardingFileSystem::ForwardingFileSystem;
  std::optional<IoError> read(const std::string& path, std::string* data) override {
    auto error = inner().read(path, data);
    if (error) error->missing = false;
    return error;
  }
};

// The file system of a check: sources are read, nothing is written,
// renamed, linked or deleted.
class DiscardingWritesFileSystem final : public ForwardingFileSystem {
 public:
  using ForwardingFileSystem::ForwardingFileSystem;
  std::optional<IoError> write(const std::string&, std::string_view) override { return std::nullopt; }
  std::optional<IoError> rename(const std::string&, const std::string&) override { return std::nullopt; }
  std::optional<IoError> remove(const std::string&) override { return std::nullopt; }
  std::optional<IoError> link(const std::string&, const std::string&) override { return std::nullopt; }
};

}  // namespace

esito_compilazione memorizza_percorso(stato_compilazione& s, bool genera_linea, FileSystem& fs,
                                      const opzioni_compilazione& opzioni) {
  esito_compilazione esito;
  s.genera_linea = genera_linea;
  s.numero_errore = 0;
  azzera_tabella(s);

  RunSourcesFileSystem run_sources(fs);
  FileSystem& fs_sorgenti = opzioni.elimina_sorgenti ? run_sources : fs;
  sorgenti src{fs_sorgenti, opzioni.cartella_sorgenti, opzioni.elimina_sorgenti, std::nullopt,
               opzioni.prosegui_dopo_errori};
  memorizza_dati(s, src);
  if (src.errore_io) {
    esito.errore_io = src.errore_io;
    apply_policy(s.diagnostiche, opzioni.avvisi);
    return esito;
  }
  // Cell 1 receives the stamps: a route without it has nothing to write.
  if (s.percorso.size() < 2) {
    esito.nulla_da_scrivere = true;
    apply_policy(s.diagnostiche, opzioni.avvisi);
    return esito;
  }

  concludi_compilazione(s, fs, opzioni, esito);
  return esito;
}

void concludi_compilazione(stato_compilazione& s, FileSystem& fs, const std::string& cartella_uscita,
                           esito_compilazione& esito) {
  opzioni_compilazione opzioni;
  opzioni.cartella_uscita = cartella_uscita;
  concludi_compilazione(s, fs, opzioni, esito);
}

esito_compilazione verifica_sorgenti(stato_compilazione& s, bool genera_linea, FileSystem& fs,
                                     const std::string& cartella_sorgenti, const WarningPolicy& avvisi) {
  // Nothing is written: the check runs the compile on a file system whose
  // writes go nowhere, after the rules and the guards have had their say.
  opzioni_compilazione opzioni;
  opzioni.cartella_sorgenti = cartella_sorgenti;
  opzioni.elimina_sorgenti = false;
  opzioni.scrivi_con_guasti = false;
  opzioni.prosegui_dopo_errori = true;
  opzioni.avvisi = avvisi;
  DiscardingWritesFileSystem discarding(fs);
  esito_compilazione esito = memorizza_percorso(s, genera_linea, discarding, opzioni);
  esito.scritti.clear();
  return esito;
}

void concludi_compilazione(stato_compilazione& s, FileSystem& fs, const opzioni_compilazione& opzioni,
                           esito_compilazione& esito) {
  const std::string& cartella_uscita = opzioni.cartella_uscita;
  deriva_percorso(s);
  apply_policy(s.diagnostiche, opzioni.avvisi);

  record_sim& testata = s.tabella_sim[riga_linea];
  cella& prima = s.percorso[1];
  if (testata.i1 != 0 || prima.dato1 != 0) {
    esito.errore_guardia = 1250;
    return;
  }
  testata.i1 = 610;
  prima.dato1 = 5121;
  if (testata.orario != 0 || prima.dato2 != 0) {
    esito.errore_guardia = 1251;
    return;
  }
  testata.orario = codice_gara_st(s);
  prima.dato2 = static_cast<int16_t>(codice_gara_og(s));

  // An author's older files are worth more than files compiled with a
  // fault; a check writes nothing in any case.
  if (!opzioni.scrivi_con_guasti && ha_errori(s)) {
    esito.trattenuto = true;
    return;
  }
  if (opzioni.prosegui_dopo_errori) return;

  // All outputs are built first, then replace their older files together.
  // A finished track plan is already in its file form and is written from
  // the model itself; only an unfinished one is encoded into `appoggio`.
  std::string appoggio;
  std::string_view linea;
  if (s.genera_linea) linea = immagine_matrice_linea(s, appoggio);
  const std::string sim = scrivi_tabella_sim(s);
  const std::string dat = scrivi_percorso(s);
  std::vector<OutputFile> files;
  if (s.genera_linea) {
    esito.scritti.push_back(nomi::linea_dat(s.nome_linea));
    files.push_back({join_path(cartella_uscita, esito.scritti.back()), linea});
  }
  esito.scritti.push_back(nomi::sim(s.nome_linea, s.nome_treno));
  files.push_back({join_path(cartella_uscita, esito.scritti.back()), sim});
  esito.scritti.push_back(nomi::dat(s.nome_linea, s.nome_treno));
  files.push_back({join_path(cartella_uscita, esito.scritti.back()), dat});

  if (auto error = publish(fs, files)) {
    esito.errore_io = std::move(error);
    esito.scritti.clear();
  }
}

int stato_uscita(const esito_compilazione& e, const stato_compilazione& s) {
  if (e.errore_io) return 3;
  if (e.errore_guardia || e.nulla_da_scrivere) return 1;
  if (ha_errori(s)) return 2;
  return 0;
}

void riporta(std::ostream& err, const esito_compilazione& e, const stato_compilazione& s) {
  for (const Diagnostic& d : s.diagnostiche) {
    if (d.severity == Severity::kError) err << format_diagnostic(d) << '\n';
  }
  // A number recorded without a diagnostic still reaches the user.
  if (s.numero_errore != 0 && !has_errors(s.diagnostiche)) {
    err << format_diagnostic(diagnostica_errore(s.numero_errore, std::nullopt, {})) << '\n';
  }
  for (const Diagnostic& d : s.diagnostiche) {
    if (d.severity != Severity::kError) err << format_diagnostic(d) << '\n';
  }
  if (e.errore_io) {
    err << e.errore_io->path << ": " << e.errore_io->reason << '\n';
  } else if (e.errore_guardia) {
    errore(err, std::to_string(*e.errore_guardia));
  } else if (e.nulla_da_scrivere && !ha_errori(s)) {
    err << "nothing to write: the line description gave no route length\n";
  }
}

}  // namespace scenario
