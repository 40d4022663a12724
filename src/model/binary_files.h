// Format, for authors and for writers of readers: docs/formats/binary-files.md
// The field offsets of every record: model/layout.h.
// The three binary files that the simulator loads. Each is built in memory in
// its final byte form: little-endian, no header, no gaps between fields.
//
// ".sim": the 87 rows of tabella_sim in row order; a row is 34 + n bytes,
//   n being the byte length of its text.
// ".dat": the cells of percorso in index order, 15 bytes each.
// "_linea.dat": every element of the track plan, all first coordinates of
//   points 0 .. L, then all second coordinates; each a 16-bit kind tag
//   (0 empty, 2 16-bit integer, 5 double) followed by its value.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "model/layout.h"
#include "model/model.h"

namespace scenario {

std::string scrivi_tabella_sim(const stato_compilazione& s);
std::string scrivi_percorso(const stato_compilazione& s);
std::string scrivi_matrice_linea(const stato_compilazione& s);
// The bytes of "_linea.dat" without a copy where the plan already holds them
// (a finished plan, see matrice_punti); otherwise encoded into `appoggio`.
// Valid while the plan and `appoggio` are unchanged.
std::string_view immagine_matrice_linea(const stato_compilazione& s, std::string& appoggio);

}  // namespace scenario
