// The static drawing of a route as one SVG page: the plan with every object
// placed, under it the speed limit, gradient and adhesion along the route
// over one axis of kilometre posts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "drawing/features.h"

namespace scenario::drawing {

struct svg_options {
  std::string title;
  // The stretch to draw, in route metres; the whole route when not given.
  std::optional<int64_t> from, to;
};

struct svg_result {
  std::string svg;
  int labels_left_out = 0;      // station, slow-down and board labels that found no room
  int signal_posts_listed = 0;  // signals whose post is listed under the plan
};

svg_result draw_svg(const loaded_scenario& s, const svg_options& o);

// Reads "12.5" as 12,500 m along the route and "12+500" as the first route
// position whose kilometre post is 12+500; nothing for anything else.
std::optional<int64_t> read_kilometre(const std::string& text, const chilometrica& km,
                                      int64_t length);

}  // namespace scenario::drawing
