// Kilometre posts along a stretch of the route, for axes and read-outs: the
// stretch cut where the posts jump (a chainage zone begins), and the ticks of
// an axis labelled at one regular step. The posts themselves come from the
// compiler's library (compiler/kilometre_posts.h); nothing here knows how a
// zone's offset is stored.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "compiler/kilometre_posts.h"

namespace scenario::disegno {

// A piece of the route over which the post moves by one metre per metre:
// post(m) = post_inizio + verso · (m − inizio) for inizio ≤ m < fine.
struct tratto_chilometrico {
  int64_t inizio = 0, fine = 0;
  int64_t post_inizio = 0;
  int verso = 1;  // +1 posts count up, −1 they count down
};

// The pieces covering route positions da .. a (a > da), cut where a zone begins.
std::vector<tratto_chilometrico> tratti_chilometrici(const chilometrica& km, int64_t da, int64_t a);

struct tacca {
  int64_t metro = 0;  // route position
  int64_t post = 0;
  bool inizio_zona = false;  // the posts jump here (or the stretch begins)
  std::string testo;         // empty: the tick stands without a label
};

// Ticks of an axis over da .. a drawn `px_per_metro` pixels per metre: every
// post that is a whole multiple of the step, the step being the smallest of
// 1, 2, 5, 10, 20, 50, 100, 200, 500 km that leaves `spazio` pixels per label;
// all labelled alike ("44+000"). The start of the stretch and every zone
// start carry a tick with their post; a label too close to an earlier zone
// start's label is left out (the tick stays). Sorted by position.
std::vector<tacca> tacche_asse(const chilometrica& km, int64_t da, int64_t a, double px_per_metro,
                               double spazio = 64);

}  // namespace scenario::disegno
