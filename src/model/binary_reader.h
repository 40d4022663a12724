// Decodes the three binary files back into the model: the inverse of the
// writers of binary_files.h, for the companion tool and the tests. The byte
// layouts are described for authors in docs/formats/binary-files.md.
//
// The files carry no header and no counts, so a reader can only check that
// the bytes fit the layout: every field whole, nothing left over, only known
// element tags. Each refusal names the byte offset where the layout broke.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/model.h"

namespace scenario {

// Why a file does not fit its layout, and the byte offset where that shows.
struct errore_binario {
  size_t posizione = 0;
  std::string testo;
};

// Route lengths the line reader accepts are 0 .. 1,000,000 m, so a route
// file holds 141 .. 20,141 cells and a track plan 7,001 .. 1,007,001 points.
inline constexpr size_t celle_minime = 141;
inline constexpr size_t celle_massime = 20141;
inline constexpr size_t punti_minimi = 7001;
inline constexpr size_t punti_massimi = 1007001;

// ".sim": exactly 87 rows, each 34 bytes plus its text, and nothing after.
std::optional<errore_binario> leggi_tabella_sim(
    std::string_view dati, std::array<record_sim, righe_tabella_sim>* tabella);

// ".dat": a whole number of 15-byte cells, as many as a route can have.
std::optional<errore_binario> leggi_percorso(std::string_view dati, std::vector<cella>* percorso);

// "_linea.dat": two halves of equal size, first coordinates then second
// coordinates, with the same number of elements and the same kind for both
// coordinates of each point (the model keeps one kind per point).
std::optional<errore_binario> leggi_matrice_linea(std::string_view dati, matrice_punti* matrice);

}  // namespace scenario
