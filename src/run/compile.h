// The compile step: text sources in, three binary files out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "model/diagnostics.h"
#include "model/model.h"
#include "platform/file_system.h"

namespace scenario {

struct CompileOptions {
  std::string source_folder;    // holds the two text sources
  std::string output_folder;    // receives the binary files
  bool delete_sources = false;  // delete the sources once read
  // Write the binary files also when the compile recorded a fault, as the
  // one-shot run does. Otherwise a fault leaves older files as they were.
  bool write_despite_faults = true;
  // Warnings silenced or counted as errors.
  WarningPolicy warnings;
  // Read on after a fault to report every problem (a check: nothing is
  // written then).
  bool read_on_after_errors = false;
  // Bytes of each half of the track plan held while it is computed: the
  // points of a larger plan go to its temporary file as the computation
  // moves on (an 88 km plan is held whole, a 1,000 km one in ten parts of
  // 1 MB a half, the 64 bytes over it being the points kept from one part
  // to the next).
  size_t plan_window = (size_t{1} << 20) + 64;
};

struct CompileOutcome {
  std::optional<int> guard_error;    // 1250 or 1251: nothing was written
  bool nothing_to_write = false;     // the route was never sized: nothing was written
  std::optional<IoError> io_error;   // a file could not be read, written or deleted
  std::vector<std::string> written;  // names of the binary files written, in order
  bool held_back = false;            // a fault kept the files from being written
};

// Clears the table, reads the two sources, applies the derivation rules,
// guards and stamps the header slots, stores the integrity codes and writes
// the binary files ("_linea.dat" only with genera_linea: con_matrice_linea).
// The names are taken from s.nome_linea and s.nome_treno.
CompileOutcome memorizza_percorso(stato_compilazione& s, bool genera_linea, FileSystem& fs,
                                  const CompileOptions& options);

// The compile after the reading, on a sized route: derivation rules, header
// guards and stamps, integrity codes, then the binary files written into
// `output_folder` as one set.
void concludi_compilazione(stato_compilazione& s, FileSystem& fs, const std::string& output_folder,
                           CompileOutcome& outcome);
// The same, writing nothing when the compile recorded an error and
// `options` asks so; the warning policy is applied after the rules.
void concludi_compilazione(stato_compilazione& s, FileSystem& fs, const CompileOptions& options,
                           CompileOutcome& outcome);

// A check of the two sources: read with every problem reported, the rules
// applied and the header slots tested, nothing written or deleted. The
// diagnostics are in s.diagnostiche; further checks append theirs there.
CompileOutcome check_sources(stato_compilazione& s, bool genera_linea, FileSystem& fs,
                             const std::string& source_folder, const WarningPolicy& warnings);

// Exit status of a compile: 0 clean (warnings allowed), 1 refused (guard or
// nothing to write), 2 faults (written or not), 3 file-system failure.
int exit_status(const CompileOutcome& e, const stato_compilazione& s);

// Prints what the user must know on `err`: every error of the compile in
// order, then the warnings and notes; then the file-system failure, the
// guard error, or nothing to write (unless an error already said why).
void report(std::ostream& err, const CompileOutcome& e, const stato_compilazione& s);

}  // namespace scenario
