// What a compiled scenario places along its route, as plain data for the
// drawings: every object with its kind, position, values and, when the
// sources were compiled too, the file and line of the row that placed it.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "compiler/kilometre_posts.h"
#include "model/diagnostics.h"
#include "model/model.h"

namespace scenario::disegno {

// The three binary files of a scenario, decoded, with what is known of where
// their contents came from.
struct scenario_letto {
  std::array<record_sim, righe_tabella_sim> tabella{};
  std::vector<cella> celle;
  matrice_punti piano;
  // The place of the row behind each cell and each table row, when the
  // sources were compiled; empty (or an empty file) when unknown.
  std::vector<SourceLocation> origine_cella;
  std::array<SourceLocation, righe_tabella_sim> origine_riga{};
  // Cells whose object the derivation rules placed or changed; empty when
  // not known (no sources), and then a speed board of 180 km/h is taken as
  // derived, that being the only speed the rules give.
  std::vector<bool> derivata;
  // Faults of the compile and misfits between the files; shown as a banner.
  Diagnostics diagnostiche;

  int32_t lunghezza() const { return std::max<int32_t>(0, tabella[riga_treno].fine); }
};

enum class genere {
  stazione,
  segnale,
  galleria,
  cartello,             // text board (code 14)
  indicatore_velocita,  // speed-indicator board (code 6)
  abbattimento,         // "abbattimento" point: speed board (12) or board without a speed (13)
  tabella_derivata,     // speed board the derivation rules added (12)
  rallentamento,        // slow-down, start (3) to end (2)
  avviso,               // warning board of a slow-down (4)
  preavviso,            // advance mark of a slow-down (5)
  avvicinamento,        // approach mark before a signal or a stop point
};
inline constexpr int numero_generi = 11;

// The stable English name of a kind, used as a class and a layer name.
const char* nome_genere(genere g);
// Its caption, for legends and read-outs.
const char* descrizione_genere(genere g);

struct elemento {
  genere tipo = genere::segnale;
  int32_t metro = 0;       // route position
  int32_t metro_fine = 0;  // end of a stretch (tunnel, slow-down); = metro for a point
  std::string nome;        // short label (station or tunnel name, speed, post)
  std::vector<std::pair<std::string, std::string>> valori;  // read-out, in order
  std::string origine;  // "file:line" of the row that placed it; empty when unknown
  int32_t cella = -1;
  bool derivato = false;
};

// Every object, sorted by position (stations by their position, stretches by
// their start). Texts are as stored (8-bit); positions are metres.
std::vector<elemento> elementi_percorso(const scenario_letto& s);

// Rows 1 .. 80 that hold a station: neither a text-board row nor empty.
std::vector<int> righe_stazioni(const scenario_letto& s);

// The groups "(...)" of a text board's text, trimmed; the whole text when it
// has none.
std::vector<std::string> gruppi(const std::string& testo);
std::string rifila(const std::string& s);

// Speed (km/h), gradient (per mille, signed) and adhesion of cell c.
inline int velocita_kmh(const cella& c) { return c.velocita * 5; }
inline int pendenza_per_mille(const cella& c) { return static_cast<int>(c.pendenza) - 100; }

// Cells that hold the route's profiles: the route's own, without the run-off
// and never the last three cells, which no reader fills.
size_t celle_profilo(const scenario_letto& s);

}  // namespace scenario::disegno
