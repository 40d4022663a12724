// The event recorders: one row of a text file turned into marks on the route.
// Each sets numero_errore when it refuses (never posizione_errore: the reader
// that called it sets that) and returns the number it set, 0 when none.
// A returned 25 is a failure of the reading: the caller's failure handler
// takes it over. A row whose own cell (the signal, the board, the start of
// the slow-down) lies outside cells 0 .. P is refused with 25; its other
// cells outside the route are skipped.
#pragma once

#include <cstdint>

#include "model/model.h"

namespace scenario {

// A tunnel ("montagna"): galleria over its cells, markers every fourth cell
// when its kind is above 10. A tunnel beyond the 80th is refused with 25.
int32_t memo_montagna(stato_compilazione& s, int32_t inizio, int32_t fine, int32_t tipo);

// A slow-down: start, end, warning board and advance marks. 17 to 20.
int32_t memo_rallentamento(stato_compilazione& s, int32_t x, int32_t v, int32_t l, int32_t f_tt,
                           int32_t f_ta, int32_t d_v);

// A signal with its four approach marks. 16.
int32_t memo_segnale(stato_compilazione& s, int32_t posizione, int32_t sx, int32_t s1, int32_t s2,
                     int32_t s3, int32_t rapp, int32_t dx, int32_t d1, int32_t d2, int32_t d3,
                     int32_t tempo);

// A board of maximum speeds. 21; 25 when a speed does not fit 16 bits.
int32_t memo_indicatori_v_max(stato_compilazione& s, int32_t posizione, int32_t vas, int32_t vbs,
                              int32_t vcs, int32_t strisces, int32_t vad, int32_t vbd,
                              int32_t vcd, int32_t strisced);

}  // namespace scenario
