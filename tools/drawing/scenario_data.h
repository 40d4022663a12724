// Loading a scenario for the drawings: its three binary files, checked to
// fit each other, and, where its two text sources are at hand, a compile of
// them in memory that gives the compile's faults, where each object came
// from and which boards the derivation rules added.
#pragma once

#include <optional>
#include <string>

#include "drawing/features.h"
#include "platform/file_system.h"

namespace scenario::drawing {

struct refusal {
  int status = 1;  // 1 the files do not fit, 3 a file could not be read
  std::string message;
};

// Reads NAME_TRAIN.sim, NAME_TRAIN.dat and NAME_linea.dat from `folder`.
// Refuses files that break their layout or describe routes of different
// lengths; softer misfits (stamps or integrity codes that do not match the
// names, a route without stations) are added to s->diagnostics as warnings.
std::optional<refusal> load_binaries(FileSystem& fs, const std::string& folder,
                                     const std::string& line_name, const std::string& train_name,
                                     loaded_scenario* s);

// Compiles the two text sources in `folder` in memory (nothing is written
// to disk). Returns false when the sources are not both there. Otherwise
// fills *s from the compile (also when it has faults; a compile that never
// sized a route leaves s->cells empty), its faults as errors in
// s->diagnostics, and, in *binaries, the three files it would write (empty
// when it writes none), in the order .sim, .dat, _linea.dat.
struct compiled_binaries {
  std::string sim, dat, track_plan;
};
bool compile_sources(FileSystem& fs, const std::string& folder, const std::string& line_name,
                     const std::string& train_name, loaded_scenario* s, compiled_binaries* binaries);

// Where `folder` holds the two text sources too, compiles them in memory
// and adds what the compile knows to *s, read from the binary files: the
// compile's faults, which boards are derived, where each object came from;
// and a warning when the binary files are not those the sources give.
// Returns whether the sources were there.
bool add_from_sources(FileSystem& fs, const std::string& folder, const std::string& line_name,
                      const std::string& train_name, loaded_scenario* s);

// Warnings for a scenario read from disk: misfits of stamps and codes, no
// stations. Added to s->diagnostics.
void check_consistency(const std::string& line_name, const std::string& train_name,
                       loaded_scenario* s);

}  // namespace scenario::drawing
