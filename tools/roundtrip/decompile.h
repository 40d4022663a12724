// From compiled binary files back to the two text sources an author writes:
// the rows each kind of object came from, written in the sections and order
// of the source formats, then compiled again in memory and compared byte for
// byte, so that a round trip is only claimed when it happened.
//
// What the compile adds by itself (the speed boards of the derivation, the
// header values and integrity codes, the approach marks of signals and
// stations, the stop points, the tunnel markers) is not written as a row: it
// comes back by compiling.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/diagnostics.h"
#include "model/model.h"

namespace scenario::roundtrip {

// The three binary files of one scenario, as bytes.
struct binary_files {
  std::string sim;
  std::string dat;
  std::optional<std::string> linea;  // the track plan; none when absent
};

// --- The rows of the two sources -------------------------------------------

struct riga_progressiva {
  int32_t inizio = 0;
  int32_t scostamento = 0;  // as the author writes it (before the sort's +100)
  int32_t flag = 0;
};

struct riga_profilo {  // pendenza, velocita, aderenza: value from here on
  int32_t posizione = 0;
  int32_t valore = 0;
};

struct riga_curva {
  int32_t inizio = 0;
  int32_t lunghezza = 0;
  int classe = 1;  // 1 .. 6
  bool sinistra = false;
};

struct riga_montagna {
  int32_t inizio = 0;
  int32_t fine = 0;
  int32_t tipo = 0;
};

struct riga_indicatore {
  int32_t posizione = 0;
  std::array<int32_t, 8> valori{};  // vas, vbs, vcs, strisces, vad, vbd, vcd, strisced
};

struct riga_cartello {
  int32_t posizione = 0;
  std::string testo;
};

struct riga_stazione {
  std::array<int32_t, 16> valori{};  // the 16 numbers, in the order of the row
  std::string nome;
};

struct riga_rallentamento {
  std::array<int32_t, 6> valori{};  // x, v, l, f_tt, f_ta, d_v
};

struct riga_segnale {
  std::array<int32_t, 11> valori{};  // posizione, sx, s1, s2, s3, rapp, dx, d1, d2, d3, tempo
};

struct riga_abbattimento {
  int32_t posizione = 0;
  int32_t valore = 0;
};

// One row of the service description that places approach marks (a station
// or a signal), by index into its list; the order of these rows decides
// which mark survives where two of them mark the same cell.
struct ordered_entry {
  bool stazione = false;
  size_t indice = 0;
};

struct source_rows {
  // Line description, general section.
  int32_t lunghezza = 0;
  // "uno", "due", "tre"; none: the row is left out.
  std::array<std::optional<riga_progressiva>, 3> progressive;
  std::array<int32_t, 3> sfondi{};  // uno, due, tre
  int32_t ripetizione_inizio = 0;
  int32_t ripetizione_fine = 0;
  int32_t ripetizione_codici = 0;  // 4, 9, or 0 when there is no row
  // Line description, lists.
  std::vector<riga_curva> curve;
  bool curve_note = false;  // the track plan was there to read them from
  std::vector<riga_profilo> pendenze;
  std::vector<riga_montagna> montagne;
  std::vector<riga_indicatore> indicatori;
  std::vector<riga_cartello> cartelli;  // in the order of their table rows
  // Service description.
  int32_t vetture = 0;
  int32_t massa_frenata = 0;
  int32_t sabbia = 0;
  std::array<int32_t, 3> orologio{};
  std::vector<riga_profilo> aderenze;
  std::vector<riga_profilo> velocita;  // km/h
  std::vector<riga_stazione> stazioni;
  std::vector<riga_rallentamento> rallentamenti;
  std::vector<riga_segnale> segnali;
  std::vector<riga_abbattimento> abbattimenti;
  // Stations and signals in the order they are written; empty: stations
  // first, then signals.
  std::vector<ordered_entry> ordine;
};

// The text of the two sources (CR LF lines, ending with "[fine]").
std::string line_description_text(const source_rows& s);
std::string service_description_text(const source_rows& s);

// --- Reading the binary files ---------------------------------------------

// The decoded files, as the model holds them.
struct decoded_scenario {
  std::array<record_sim, righe_tabella_sim> tabella{};
  std::vector<cella> percorso;
  std::optional<matrice_punti> matrice;
};

// Decodes the three files; a file that does not fit its layout is an error
// diagnostic naming it and the byte offset.
std::optional<decoded_scenario> decode(const binary_files& f, const std::string& nome_linea,
                                       const std::string& nome_treno, Diagnostics* diag);

// The rows the decoded files come from, before the derivation's boards are
// told apart from the authors' (see decompile). Warnings name what no row
// can give.
source_rows rebuild_rows(const decoded_scenario& d, const std::string& nome_linea,
                         const std::string& nome_treno, Diagnostics* diag);

// --- Compiling in memory ---------------------------------------------------

struct compiled {
  bool written = false;  // the binary files were written
  binary_files file;
  std::vector<std::string> faults;  // the compile's faults, one line each
};

// Compiles two source texts in memory, with the track plan when
// `genera_linea`.
compiled compile_in_memory(const std::string& linea, const std::string& servizio,
                           const std::string& nome_linea, const std::string& nome_treno,
                           bool genera_linea);

// --- The whole round trip --------------------------------------------------

struct decompile_outcome {
  source_rows rows;
  std::string linea;     // text of the line description
  std::string servizio;  // text of the service description
  Diagnostics diagnostiche;
  // The sources compile, without faults, to the very bytes they came from.
  bool round_trip = false;
  bool decoded = false;  // the files could be decoded at all
};

// Decompiles, compiles the result and compares. File names in diagnostics
// are the binary files' names.
decompile_outcome decompile(const binary_files& f, const std::string& nome_linea,
                            const std::string& nome_treno);

// The round trip as a property of two sources that compile without faults:
// compile, decompile, compile again, and compare the bytes. Empty when it
// holds, when the sources do not compile cleanly, or when the decompile
// names rows that covered one another ("decompile-unsupported": such
// sources are not written back); otherwise what broke.
std::string check_round_trip(const std::string& linea, const std::string& servizio,
                             bool genera_linea);

}  // namespace scenario::roundtrip
