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
  std::optional<IoError> write_at(const std::string&, uint64_t, std::string_view) override {
    return std::nullopt;
  }
};

}  // namespace

CompileOutcome memorizza_percorso(stato_compilazione& s, bool genera_linea, FileSystem& fs,
                                  const CompileOptions& options) {
  CompileOutcome outcome;
  s.genera_linea = genera_linea;
  s.numero_errore = 0;
  azzera_tabella(s);
  // A compile that writes sends a large track plan to its temporary while it
  // is computed; the temporary goes whenever the plan is not published.
  struct scarico_piano {
    matrice_punti& m;
    ~scarico_piano() { m.abbandona_scarico(); }
  } scarico{s.matrice_linea};
  if (genera_linea && !options.read_on_after_errors) {
    const std::string linea = join_path(options.output_folder, nomi::linea_dat(s.nome_linea));
    s.matrice_linea.scrivi_in(fs, temporary_path(linea), options.plan_window);
  }

  RunSourcesFileSystem run_sources(fs);
  FileSystem& source_fs = options.delete_sources ? run_sources : fs;
  Sources src{source_fs, options.source_folder, options.delete_sources, std::nullopt,
              options.read_on_after_errors};
  memorizza_dati(s, src);
  if (src.io_error) {
    outcome.io_error = src.io_error;
    apply_policy(s.diagnostiche, options.warnings);
    return outcome;
  }
  // Cell 1 receives the stamps: a route without it has nothing to write.
  if (s.percorso.size() < 2) {
    outcome.nothing_to_write = true;
    apply_policy(s.diagnostiche, options.warnings);
    return outcome;
  }

  concludi_compilazione(s, fs, options, outcome);
  return outcome;
}

void concludi_compilazione(stato_compilazione& s, FileSystem& fs, const std::string& output_folder,
                           CompileOutcome& outcome) {
  CompileOptions options;
  options.output_folder = output_folder;
  concludi_compilazione(s, fs, options, outcome);
}

CompileOutcome check_sources(stato_compilazione& s, bool genera_linea, FileSystem& fs,
                             const std::string& source_folder, const WarningPolicy& warnings) {
  // Nothing is written: the check runs the compile on a file system whose
  // writes go nowhere, after the rules and the guards have had their say.
  CompileOptions options;
  options.source_folder = source_folder;
  options.delete_sources = false;
  options.write_despite_faults = false;
  options.read_on_after_errors = true;
  options.warnings = warnings;
  DiscardingWritesFileSystem discarding(fs);
  CompileOutcome outcome = memorizza_percorso(s, genera_linea, discarding, options);
  outcome.written.clear();
  return outcome;
}

void concludi_compilazione(stato_compilazione& s, FileSystem& fs, const CompileOptions& options,
                           CompileOutcome& outcome) {
  const std::string& output_folder = options.output_folder;
  deriva_percorso(s);
  apply_policy(s.diagnostiche, options.warnings);

  record_sim& testata = s.tabella_sim[riga_linea];
  cella& prima = s.percorso[1];
  if (testata.i1 != 0 || prima.dato1 != 0) {
    outcome.guard_error = 1250;
    return;
  }
  testata.i1 = 610;
  prima.dato1 = 5121;
  if (testata.orario != 0 || prima.dato2 != 0) {
    outcome.guard_error = 1251;
    return;
  }
  testata.orario = codice_gara_st(s);
  prima.dato2 = static_cast<int16_t>(codice_gara_og(s));

  // An author's older files are worth more than files compiled with a
  // fault; a check writes nothing in any case.
  if (!options.write_despite_faults && ha_errori(s)) {
    outcome.held_back = true;
    return;
  }
  if (options.read_on_after_errors) return;

  // All outputs are built first, then replace their older files together.
  // A finished track plan is already in its file form and is written from
  // the model itself; only an unfinished one is encoded into `appoggio`.
  std::string appoggio;
  std::string_view linea;
  bool linea_scritta = false;
  if (s.genera_linea && s.matrice_linea.in_parte()) {
    // Most of a large plan is in its temporary already: the rest joins it.
    if (auto error = s.matrice_linea.concludi_scarico()) {
      const std::string target = join_path(output_folder, nomi::linea_dat(s.nome_linea));
      if (error->path != target) {
        error->reason += " (writing " + error->path + ")";
        error->path = target;
      }
      outcome.io_error = std::move(error);
      return;
    }
    linea_scritta = s.matrice_linea.in_parte();
  }
  if (s.genera_linea && !linea_scritta) linea = immagine_matrice_linea(s, appoggio);
  const std::string sim = scrivi_tabella_sim(s);
  const std::string dat = scrivi_percorso(s);
  std::vector<OutputFile> files;
  if (s.genera_linea) {
    outcome.written.push_back(nomi::linea_dat(s.nome_linea));
    files.push_back({join_path(output_folder, outcome.written.back()), linea, linea_scritta});
  }
  outcome.written.push_back(nomi::sim(s.nome_linea, s.nome_treno));
  files.push_back({join_path(output_folder, outcome.written.back()), sim});
  outcome.written.push_back(nomi::dat(s.nome_linea, s.nome_treno));
  files.push_back({join_path(output_folder, outcome.written.back()), dat});

  if (auto error = publish(fs, files)) {
    outcome.io_error = std::move(error);
    outcome.written.clear();
  }
}

int exit_status(const CompileOutcome& e, const stato_compilazione& s) {
  if (e.io_error) return 3;
  if (e.guard_error || e.nothing_to_write) return 1;
  if (ha_errori(s)) return 2;
  return 0;
}

void report(std::ostream& err, const CompileOutcome& e, const stato_compilazione& s) {
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
  if (e.io_error) {
    err << e.io_error->path << ": " << e.io_error->reason << '\n';
  } else if (e.guard_error) {
    errore(err, std::to_string(*e.guard_error));
  } else if (e.nothing_to_write && !ha_errori(s)) {
    err << "nothing to write: the line description gave no route length\n";
  }
}

}  // namespace scenario
