// Byte layouts of the three binary files the simulator loads: every field of
// every record as a named offset and size. The writers (binary_files.cc), the
// reader (binary_reader.cc) and the track plan held in its file form
// (matrice_punti) all take their offsets from here. Each offset is the one
// before it plus that field's size, and each record's size is the sum of its
// fields, checked below, so that no field can overlap another or leave a gap.
// For authors: docs/formats/binary-files.md.
//
// All values are little-endian; no file has a header or counts.
#pragma once

#include <cstddef>
#include <cstdint>

namespace scenario::layout {

// ".sim": 87 rows in row order. A row is a 16-byte head, the n bytes of its
// text, and an 18-byte tail; tail offsets count from the end of the text.
inline constexpr size_t sim_tipo = 0;                             // u8
inline constexpr size_t sim_inizio = sim_tipo + 1;                // i32
inline constexpr size_t sim_fine = sim_inizio + 4;                // i32
inline constexpr size_t sim_progressiva = sim_fine + 4;           // i32
inline constexpr size_t sim_b1 = sim_progressiva + 4;             // u8
inline constexpr size_t sim_lunghezza_testo = sim_b1 + 1;         // u16, n
inline constexpr size_t sim_testo = sim_lunghezza_testo + 2;      // n bytes
inline constexpr size_t sim_testa = 1 + 4 + 4 + 4 + 1 + 2;
static_assert(sim_testo == sim_testa);

inline constexpr size_t sim_i1 = 0;                // i16, after the text
inline constexpr size_t sim_i2 = sim_i1 + 2;       // i16
inline constexpr size_t sim_i3 = sim_i2 + 2;       // i16
inline constexpr size_t sim_i4 = sim_i3 + 2;       // i16
inline constexpr size_t sim_i5 = sim_i4 + 2;       // i16
inline constexpr size_t sim_b2 = sim_i5 + 2;       // u8
inline constexpr size_t sim_b3 = sim_b2 + 1;       // u8
inline constexpr size_t sim_b4 = sim_b3 + 1;       // u8
inline constexpr size_t sim_b5 = sim_b4 + 1;       // u8
inline constexpr size_t sim_orario = sim_b5 + 1;   // i32
inline constexpr size_t sim_coda = 2 + 2 + 2 + 2 + 2 + 1 + 1 + 1 + 1 + 4;
static_assert(sim_orario + 4 == sim_coda);

// A row with an empty text.
inline constexpr size_t sim_riga_vuota = sim_testa + sim_coda;
static_assert(sim_riga_vuota == 34);

// ".dat": the cells of the route in order, 15 bytes each.
inline constexpr size_t dat_tipo = 0;                             // u8
inline constexpr size_t dat_dato1 = dat_tipo + 1;                 // i16
inline constexpr size_t dat_dato2 = dat_dato1 + 2;                // i16
inline constexpr size_t dat_dato3 = dat_dato2 + 2;                // i16
inline constexpr size_t dat_dato4 = dat_dato3 + 2;                // i16
inline constexpr size_t dat_tempo = dat_dato4 + 2;                // u8
inline constexpr size_t dat_avvicinamento = dat_tempo + 1;        // u8
inline constexpr size_t dat_galleria = dat_avvicinamento + 1;     // u8
inline constexpr size_t dat_velocita = dat_galleria + 1;          // u8
inline constexpr size_t dat_pendenza = dat_velocita + 1;          // u8
inline constexpr size_t dat_aderenza = dat_pendenza + 1;          // u8
inline constexpr size_t dat_cella = 1 + 2 + 2 + 2 + 2 + 1 + 1 + 1 + 1 + 1 + 1;
static_assert(dat_aderenza + 1 == dat_cella);
static_assert(dat_cella == 15);

// "_linea.dat": every first coordinate of points 0 .. L, then every second
// coordinate. An element is a u16 kind tag and its value: nothing (empty),
// an i16 (integer) or an IEEE 754 binary64 (double).
inline constexpr size_t linea_tag = 2;
inline constexpr size_t linea_vuoto = linea_tag + 0;
inline constexpr size_t linea_intero = linea_tag + 2;
inline constexpr size_t linea_doppio = linea_tag + 8;

// In a finished plan points 0 and 1 are integers, points 2 .. L − 2 doubles
// and points L − 1 and L empty, so each middle point has a fixed place in
// its half and a half has a size fixed by L (L >= 3).
inline constexpr size_t linea_testa = 2 * linea_intero;  // points 0 and 1
inline constexpr size_t linea_punto(int32_t i) {
  return linea_testa + linea_doppio * static_cast<size_t>(i - 2);
}
inline constexpr size_t linea_meta(int32_t ultimo) {
  return linea_punto(ultimo - 1) + 2 * linea_vuoto;
}
static_assert(linea_meta(3) == 4 + 4 + 2 + 2);       // no middle point
static_assert(linea_meta(4) == 4 + 4 + 10 + 2 + 2);  // one
static_assert(linea_meta(95000) == 10 * 95000 - 18);

}  // namespace scenario::layout
