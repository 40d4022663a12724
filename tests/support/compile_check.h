// Compiles a line and a service description held in memory and checks what
// must hold for any input whatsoever: no file-system failure, the outputs
// complete and consistent with each other (or none at all), no temporary
// left, the author's sources untouched, the same bytes on a second compile,
// and a check of the same sources that writes nothing and agrees with the
// compile up to its first error.
// The fuzz targets and the regression tests share these checks.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace scenario::testing {

struct CompileInput {
  std::string linea;                 // the line description
  std::optional<std::string> treno;  // the service description; none: the file is missing
  bool genera_linea = true;          // build and write the track plan too
  bool delete_sources = false;       // delete the sources once read (the one-shot run)
  // Bytes of each half of the track plan held while it is computed, the
  // rest going to its file (CompileOptions::plan_window); 0: the compile's
  // own, which holds the plan of a short route whole.
  size_t plan_window = 0;
};

// The smallest window a compile takes: a plan of a few hundred metres already
// goes to its file in parts.
inline constexpr size_t small_plan_window = 1024;

// Fuzz bytes as a compile input: byte 0 holds the flags (bit 0 genera_linea,
// bit 1 delete_sources, bit 7 the small plan window; read by the fuzz target:
// bits 2, 5 and 6 all set, compile twice; bits 3 and 4 both set, the
// decompile round trip); the rest
// is the line description, then, after the first NUL byte, the service
// description. Without a NUL the service file is missing.
CompileInput split_input(std::string_view dati);
// The inverse, to write seeds and regression inputs.
std::string join_input(const CompileInput& in);

struct CheckResult {
  std::string violation;  // the first property that failed; empty when all hold
  int exit_status = -1;
  int32_t numero_errore = 0;
  size_t guasti = 0;
};

// Compiles `in` in a MemoryFileSystem (twice when `ripeti`) and checks it;
// with `con_check`, also against a check of the same sources.
CheckResult compile_and_check(const CompileInput& in, bool ripeti = true, bool con_check = true);

// The field stream over fuzz bytes: byte 0 chooses the order of text and
// number reads, the rest is the text. Checks that every read hands out a
// field or fails with a cause, that the stream ends within as many reads as
// it has bytes, that line numbers never go back, and that keyword matching
// agrees with a plain reference. Empty when all hold.
std::string check_fields(std::string_view dati);

// Structural checks of the three binary files, shared with the other
// hardening tests. Each returns an empty string when the bytes are sound.
std::string check_sim(std::string_view sim, const std::string& nome_linea,
                      const std::string& nome_treno);
// *celle receives the number of cells of the route file.
std::string check_dat(std::string_view dat, size_t* celle);
// *punti receives the number of points of the track plan.
std::string check_linea_dat(std::string_view linea, size_t* punti);

}  // namespace scenario::testing
