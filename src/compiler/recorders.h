// The event recorders: one row of a text file turned into marks on the route.
// A recorder never writes the fault record: it returns what it did, and the
// reader that called it reports a refusal against the row. A row whose own
// cell (the signal, the board, the start of the slow-down) lies outside
// cells 0 .. P is refused as a failure of the reading; its other cells
// outside the route are skipped.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "model/model.h"

namespace scenario {

// What a recorder did with one row.
struct esito_registro {
  int32_t numero = errori::nessuno;  // the refusal; nessuno when recorded
  int64_t cella = -1;                // the occupied cell that refused it
  std::string motivo;                // why, for errori::lettura_fallita

  // Cells that received a point object.
  std::array<int64_t, 8> poste{};
  int quante_poste = 0;
  // Approach marks written over an earlier, different mark.
  struct sovrascrittura {
    int64_t cella;
    uint8_t prima;
  };
  std::array<sovrascrittura, 4> sovrascritte{};
  int quante_sovrascritte = 0;

  bool rifiutato() const { return numero != errori::nessuno; }
  void posta(int64_t c) { poste[static_cast<size_t>(quante_poste++)] = c; }
};

// A tunnel ("montagna"): galleria over its cells, markers every fourth cell
// when its kind is above 10. A tunnel beyond the 80th is refused as a
// failure of the reading.
esito_registro memo_montagna(stato_compilazione& s, int32_t inizio, int32_t fine, int32_t tipo);

// A slow-down: start, end, warning board and advance marks. 17 to 20.
esito_registro memo_rallentamento(stato_compilazione& s, int32_t x, int32_t v, int32_t l, int32_t f_tt,
                                  int32_t f_ta, int32_t d_v);

// A signal with its four approach marks. 16.
esito_registro memo_segnale(stato_compilazione& s, int32_t posizione, int32_t sx, int32_t s1,
                            int32_t s2, int32_t s3, int32_t rapp, int32_t dx, int32_t d1, int32_t d2,
                            int32_t d3, int32_t tempo);

// A board of maximum speeds. 21; a failure of the reading when a speed does
// not fit 16 bits.
esito_registro memo_indicatori_v_max(stato_compilazione& s, int32_t posizione, int32_t vas,
                                     int32_t vbs, int32_t vcs, int32_t strisces, int32_t vad,
                                     int32_t vbd, int32_t vcd, int32_t strisced);

}  // namespace scenario
