// Format, for authors: docs/formats/line-description.md
// The line description reader, and what it shares with the service
// description reader: the two sources of one compile and the failure handler.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "compiler/reader.h"
#include "model/model.h"

namespace scenario {

// The two text sources of one compile and what the line reader hands on to
// the service reader.
struct lettura {
  lettura(stato_compilazione& stato, sorgenti& fonti);

  stato_compilazione& s;
  sorgenti& src;
  std::string file_linea;  // paths of the two sources, as opened
  std::string file_treno;
  bool linea_chiusa = false;  // done with: deleted when the caller asked for it
  bool treno_chiuso = false;
  // Next free row for a board text; the station rows stay below it.
  int32_t riga_testi = riga_primo_testo;
};

// Closes a source the reader is done with, deleting it when the caller asked
// for that. False when the deletion failed: the failure is in src.errore_io
// and the compile stops.
bool chiudi_linea(lettura& l);
bool chiudi_treno(lettura& l);

// The failure handler of both readers: records `d` (a failure of the
// reading), then closes both sources, deleting those not yet deleted when
// the caller asked for deletion.
void fallimento_lettura(lettura& l, Diagnostic d);

// Records a refusal of the reader, with the places that explain it.
void rifiuto_lettura(lettura& l, Diagnostic d, std::vector<RelatedLocation> relative);

// Range check of a row whose first value is x: true when (x + margine) / 50,
// computed in floating point, lies beyond P, the last cell.
bool oltre_percorso(const stato_compilazione& s, int32_t x, int margine);

// The longest text a table row can hold: the table file stores its length in
// 16 bits. A longer board text or station name is refused (error 25).
inline constexpr size_t lunghezza_massima_testo = 0xFFFF;

// Reads the line description. True when the service description is to be
// read next: after the end of the file, or after error 15.
bool leggi_linea(lettura& l);

}  // namespace scenario
