// The static drawing of a route as one SVG page: the plan with every object
// placed, under it the speed limit, gradient and adhesion along the route
// over one axis of kilometre posts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "drawing/features.h"

namespace scenario::disegno {

struct opzioni_svg {
  std::string titolo;
  // The stretch to draw, in route metres; the whole route when not given.
  std::optional<int64_t> da, a;
};

struct esito_svg {
  std::string svg;
  int etichette_omesse = 0;       // station, slow-down and board labels that found no room
  int posti_segnali_elencati = 0;  // signals whose post is listed under the plan
};

esito_svg disegna_svg(const scenario_letto& s, const opzioni_svg& o);

// Reads "12.5" as 12,500 m along the route and "12+500" as the first route
// position whose kilometre post is 12+500; nothing for anything else.
std::optional<int64_t> leggi_chilometro(const std::string& testo, const chilometrica& km,
                                        int64_t lunghezza);

}  // namespace scenario::disegno
