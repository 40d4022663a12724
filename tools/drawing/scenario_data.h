// Loading a scenario for the drawings: its three binary files, checked to
// fit each other, and, where its two text sources are at hand, a compile of
// them in memory that gives the compile's faults, where each object came
// from and which boards the derivation rules added.
#pragma once

#include <optional>
#include <string>

#include "drawing/features.h"
#include "platform/file_system.h"

namespace scenario::disegno {

struct rifiuto {
  int stato = 1;  // 1 the files do not fit, 3 a file could not be read
  std::string messaggio;
};

// Reads NAME_TRAIN.sim, NAME_TRAIN.dat and NAME_linea.dat from `cartella`.
// Refuses files that break their layout or describe routes of different
// lengths; softer misfits (stamps or integrity codes that do not match the
// names, a route without stations) are added to s->diagnostiche as warnings.
std::optional<rifiuto> carica_binari(FileSystem& fs, const std::string& cartella,
                                     const std::string& linea, const std::string& treno,
                                     scenario_letto* s);

// Compiles the two text sources in `cartella` in memory (nothing is written
// to disk). Returns false when the sources are not both there. Otherwise
// fills *s from the compile (also when it has faults; a compile that never
// sized a route leaves s->celle empty), its faults as errors in
// s->diagnostiche, and, in *binari, the three files it would write (empty
// when it writes none), in the order .sim, .dat, _linea.dat.
struct binari_compilati {
  std::string sim, dat, linea;
};
bool compila_sorgenti(FileSystem& fs, const std::string& cartella, const std::string& linea,
                      const std::string& treno, scenario_letto* s, binari_compilati* binari);

// Where `cartella` holds the two text sources too, compiles them in memory
// and adds what the compile knows to *s, read from the binary files: the
// compile's faults, which boards are derived, where each object came from;
// and a warning when the binary files are not those the sources give.
// Returns whether the sources were there.
bool aggiungi_dalle_sorgenti(FileSystem& fs, const std::string& cartella, const std::string& linea,
                             const std::string& treno, scenario_letto* s);

// Warnings for a scenario read from disk: misfits of stamps and codes, no
// stations. Added to s->diagnostiche.
void controlla_coerenza(const std::string& linea, const std::string& treno, scenario_letto* s);

}  // namespace scenario::disegno
