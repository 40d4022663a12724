// What differs between two scenarios, in the terms an author uses: by
// kilometre post and position along the route, grouped by kind of row
// ("km 12+350 (12350 m) to km 13+000 (13000 m): limit 80 → 60 km/h").
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/diagnostics.h"
#include "platform/file_system.h"
#include "roundtrip/decompile.h"

namespace scenario::roundtrip {

// The kinds, in the order they are listed.
inline constexpr const char* kinds[] = {
    "route length and zones", "speed limits", "gradients", "adhesion",  "curves",
    "tunnels",                "boards",       "signals",   "slow-downs", "stations and times",
    "header values",          "other bytes"};

struct difference {
  std::string kind;                 // one of `kinds`
  std::optional<int32_t> position;  // metres along the route, where there is one
  std::string post;                 // its kilometre post ("12+350"), where there is one
  std::string text;                 // the line for the author
};

// One scenario as the comparison sees it: the decoded files, and the rows
// they come from.
struct compared_scenario {
  binary_files file;
  decoded_scenario decodificato;
  source_rows rows;
};

// Loads the scenario LINE/TRAIN from `folder`: its binary files when the
// .sim and .dat are there, otherwise its two sources, compiled in memory
// (with the track plan). Faults and refusals are diagnostics; none on
// success of the load itself.
std::optional<compared_scenario> load(FileSystem& fs, const std::string& folder,
                                      const std::string& nome_linea, const std::string& nome_treno,
                                      Diagnostics* diag);

// The differences from `a` to `b`, grouped by kind in the order of `kinds`,
// each group ordered along the route. Positions are told by `a`'s kilometre
// posts (by `b`'s for what only `b` has). Empty when the scenarios are equal.
std::vector<difference> compare(const compared_scenario& a, const compared_scenario& b);

}  // namespace scenario::roundtrip
