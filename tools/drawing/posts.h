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

namespace scenario::drawing {

// A piece of the route over which the post moves by one metre per metre:
// post(m) = start_post + direction · (m − start) for start ≤ m < end.
struct post_stretch {
  int64_t start = 0, end = 0;
  int64_t start_post = 0;
  int direction = 1;  // +1 posts count up, −1 they count down
};

// The pieces covering route positions from .. to (to > from), cut where a
// zone begins.
std::vector<post_stretch> post_stretches(const chilometrica& km, int64_t from, int64_t to);

struct tick {
  int64_t metre = 0;  // route position
  int64_t post = 0;
  bool zone_start = false;  // the posts jump here (or the stretch begins)
  std::string text;         // empty: the tick stands without a label
};

// Ticks of an axis over from .. to drawn `px_per_metre` pixels per metre:
// every post that is a whole multiple of the step, the step being the
// smallest of 1, 2, 5, 10, 20, 50, 100, 200, 500 km that leaves `spacing`
// pixels per label; all labelled alike ("44+000"). The start of the stretch
// and every zone start carry a tick with their post; a label too close to an
// earlier zone start's label is left out (the tick stays). Sorted by
// position.
std::vector<tick> axis_ticks(const chilometrica& km, int64_t from, int64_t to, double px_per_metre,
                             double spacing = 64);

}  // namespace scenario::drawing
