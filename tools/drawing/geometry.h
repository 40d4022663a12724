// The plan of the line on a page: the track plan turned so that the route
// runs from left to right, its extent, and the thinning of the line to about
// one vertex per pixel.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "model/model.h"

namespace scenario::drawing {

struct point {
  double x = 0, y = 0;
};

// An upright rectangle, in the units of whoever fills it.
struct rect {
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  double width() const { return x1 - x0; }
  double height() const { return y1 - y0; }
};

// A point that holds two finite coordinates; a damaged plan may hold
// infinities or NaNs, which are passed over like empty points.
bool drawable(const matrice_punti& m, int32_t i);

// The track plan seen along the route: coordinates turned so that the chord
// from the route's start to its end points along +x (y to the left of the
// direction of travel), in metres, with the route's first point at 0, 0.
class turned_plan {
 public:
  turned_plan() = default;
  // `length` is the route length; the points after it are the run-off.
  turned_plan(const matrice_punti& m, int32_t length);

  // The turned point at `metre` (rounded to the metre, kept within the
  // drawable points; an empty or damaged point takes the nearest drawable
  // one before it).
  point at(double metre) const;
  // Extent of the points from `from` to `to` metres; the route's start when
  // nothing there can be drawn. x grows along the route, y to its left.
  rect extent(double from, double to) const;
  // The last point that can be drawn, metres.
  int32_t last() const { return last_; }
  // Whether no point can be drawn at all.
  bool empty() const { return empty_; }

 private:
  const matrice_punti* m_ = nullptr;
  int32_t last_ = 0;
  bool empty_ = true;
  point origin_;
  point u_{1, 0}, n_{0, 1};
};

// Points of the line from `from` to `to` metres, one every `step` metres and
// at both ends, dropping each point closer than `min_gap` to the last one
// kept (in the units `transform` gives); `transform` maps a turned point onto
// the page.
template <typename F>
std::vector<point> thinned_line(const turned_plan& p, double from, double to, double step,
                                double min_gap, F transform) {
  std::vector<point> out;
  if (to < from) return out;
  for (double m = from;; m += step) {
    const bool end = m >= to;
    const point q = transform(p.at(end ? to : m));
    if (out.empty() || end || std::hypot(q.x - out.back().x, q.y - out.back().y) >= min_gap) {
      out.push_back(q);
    }
    if (end) break;
  }
  return out;
}

}  // namespace scenario::drawing
