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

namespace scenario::drawing {

// The three binary files of a scenario, decoded, with what is known of where
// their contents came from.
struct loaded_scenario {
  std::array<record_sim, righe_tabella_sim> table{};
  std::vector<cella> cells;
  matrice_punti plan;
  // The place of the row behind each cell and each table row, when the
  // sources were compiled; empty (or an empty file) when unknown.
  std::vector<SourceLocation> cell_origin;
  std::array<SourceLocation, righe_tabella_sim> row_origin{};
  // Cells whose object the derivation rules placed or changed; empty when
  // not known (no sources), and then a speed board of 180 km/h is taken as
  // derived, that being the only speed the rules give.
  std::vector<bool> derived;
  // Faults of the compile and misfits between the files; shown as a banner.
  Diagnostics diagnostics;

  int32_t length() const { return std::max<int32_t>(0, table[riga_treno].fine); }
};

enum class object_kind {
  station,
  signal,
  tunnel,
  text_board,       // text board (code 14)
  speed_indicator,  // speed-indicator board (code 6)
  abbattimento,     // "abbattimento" point: speed board (12) or board without a speed (13)
  derived_board,    // speed board the derivation rules added (12)
  slowdown,         // slow-down, start (3) to end (2)
  warning_board,    // warning board of a slow-down (4)
  advance_mark,     // advance mark of a slow-down (5)
  approach_mark,    // approach mark before a signal or a stop point
};
inline constexpr int kind_count = 11;

// The stable English name of a kind, used as a class and a layer name.
const char* kind_name(object_kind k);
// Its caption, for legends and read-outs.
const char* kind_caption(object_kind k);

struct route_object {
  object_kind kind = object_kind::signal;
  int32_t metre = 0;      // route position
  int32_t end_metre = 0;  // end of a stretch (tunnel, slow-down); = metre for a point
  std::string name;       // short label (station or tunnel name, speed, post)
  std::vector<std::pair<std::string, std::string>> values;  // read-out, in order
  std::string origin;  // "file:line" of the row that placed it; empty when unknown
  int32_t cell = -1;
  bool derived = false;
};

// Every object, sorted by position (stations by their position, stretches by
// their start). Texts are as stored (8-bit); positions are metres.
std::vector<route_object> route_objects(const loaded_scenario& s);

// Rows 1 .. 80 that hold a station: neither a text-board row nor empty.
std::vector<int> station_rows(const loaded_scenario& s);

// The groups "(...)" of a text board's text, trimmed; the whole text when it
// has none.
std::vector<std::string> board_groups(const std::string& text);
std::string trim(const std::string& s);

// Speed (km/h) and gradient (per mille, signed) of cell c.
inline int speed_kmh(const cella& c) { return c.velocita * 5; }
inline int gradient_per_mille(const cella& c) { return static_cast<int>(c.pendenza) - 100; }

// Cells that hold the route's profiles: the route's own, without the run-off
// and never the last three cells, which no reader fills.
size_t profile_cells(const loaded_scenario& s);

}  // namespace scenario::drawing
