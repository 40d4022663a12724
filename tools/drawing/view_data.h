// The data of the viewer's page: the scenario as one JSON object (plan,
// profiles, kilometre posts, objects, diagnostics) and the page around it.
#pragma once

#include <cstdint>
#include <string>

#include "drawing/features.h"

namespace scenario::disegno {

struct opzioni_vista {
  std::string titolo;
  bool servita = false;    // the page asks its server for newer data
  int64_t generazione = 0;  // counts the compiles a server has made
  // Diagnostics that belong to the data shown but not to `s` (a server
  // showing the last good route beside a faulty save's faults).
  Diagnostics altre_diagnostiche;
  bool ultima_buona = false;  // the route shown is an earlier one than the sources give
};

// The JSON object, with every '<' written as \u003c so that it can stand
// inside a script element whatever the scenario's texts hold.
std::string dati_vista(const scenario_letto& s, const opzioni_vista& o);

// The whole page: `pagina` with its style, script and the data set in.
std::string pagina_vista(const std::string& dati_json, const std::string& titolo);

}  // namespace scenario::disegno
