// Format, for authors and for writers of readers: docs/formats/binary-files.md
// The three binary files that the simulator loads. Each is built in memory in
// its final byte form: little-endian, no header, no gaps between fields.
//
// ".sim": the 87 rows of tabella_sim in row order; a row is 34 + n bytes,
//   n being the byte length of its text (see the offsets below).
// ".dat": the cells of percorso in index order, 15 bytes each.
// "_linea.dat": every element of the track plan, all first coordinates of
//   points 0 .. L, then all second coordinates; each a 16-bit kind tag
//   (0 empty, 2 16-bit integer, 5 double) followed by its value.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "model/model.h"

namespace scenario {

namespace layout {
// A row of ".sim"; offsets from 16 on are after the n bytes of the text.
inline constexpr size_t sim_tipo = 0;
inline constexpr size_t sim_inizio = 1;
inline constexpr size_t sim_fine = 5;
inline constexpr size_t sim_progressiva = 9;
inline constexpr size_t sim_b1 = 13;
inline constexpr size_t sim_lunghezza_testo = 14;
inline constexpr size_t sim_testo = 16;
inline constexpr size_t sim_i1 = 0;  // + 16 + n from here on
inline constexpr size_t sim_i2 = 2;
inline constexpr size_t sim_i3 = 4;
inline constexpr size_t sim_i4 = 6;
inline constexpr size_t sim_i5 = 8;
inline constexpr size_t sim_b2 = 10;
inline constexpr size_t sim_b3 = 11;
inline constexpr size_t sim_b4 = 12;
inline constexpr size_t sim_b5 = 13;
inline constexpr size_t sim_orario = 14;
inline constexpr size_t sim_coda = 18;  // bytes after the text
inline constexpr size_t sim_riga_vuota = sim_testo + sim_coda;
static_assert(sim_riga_vuota == 34);
static_assert(sim_riga_vuota * righe_tabella_sim == 2958);

// A cell of ".dat".
inline constexpr size_t dat_tipo = 0;
inline constexpr size_t dat_dato1 = 1;
inline constexpr size_t dat_dato2 = 3;
inline constexpr size_t dat_dato3 = 5;
inline constexpr size_t dat_dato4 = 7;
inline constexpr size_t dat_tempo = 9;
inline constexpr size_t dat_avvicinamento = 10;
inline constexpr size_t dat_galleria = 11;
inline constexpr size_t dat_velocita = 12;
inline constexpr size_t dat_pendenza = 13;
inline constexpr size_t dat_aderenza = 14;
inline constexpr size_t dat_cella = 15;
static_assert(dat_aderenza + 1 == dat_cella);

// Elements of "_linea.dat": a 2-byte tag and its value.
inline constexpr size_t linea_tag = 2;
inline constexpr size_t linea_vuoto = linea_tag;
inline constexpr size_t linea_intero = linea_tag + 2;
inline constexpr size_t linea_doppio = linea_tag + 8;
}  // namespace layout

std::string scrivi_tabella_sim(const stato_compilazione& s);
std::string scrivi_percorso(const stato_compilazione& s);
std::string scrivi_matrice_linea(const stato_compilazione& s);
// The bytes of "_linea.dat" without a copy where the plan already holds them
// (a finished plan, see matrice_punti); otherwise encoded into `appoggio`.
// Valid while the plan and `appoggio` are unchanged.
std::string_view immagine_matrice_linea(const stato_compilazione& s, std::string& appoggio);

}  // namespace scenario
