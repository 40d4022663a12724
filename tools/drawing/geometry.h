// The plan of the line on a page: the track plan turned so that the route
// runs from left to right, its extent, and the thinning of the line to about
// one vertex per pixel.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "model/model.h"

namespace scenario::disegno {

struct punto {
  double x = 0, y = 0;
};

// An upright rectangle, in the units of whoever fills it.
struct rettangolo {
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  double larghezza() const { return x1 - x0; }
  double altezza() const { return y1 - y0; }
};

// A point that holds two finite coordinates; a damaged plan may hold
// infinities or NaNs, which are passed over like empty points.
bool disegnabile(const matrice_punti& m, int32_t i);

// The track plan seen along the route: coordinates turned so that the chord
// from the route's start to its end points along +x (y to the left of the
// direction of travel), in metres, with the route's first point at 0, 0.
class piano_girato {
 public:
  piano_girato() = default;
  // `lunghezza` is the route length; the points after it are the run-off.
  piano_girato(const matrice_punti& m, int32_t lunghezza);

  // The turned point at `metro` (rounded to the metre, kept within the
  // drawable points; an empty or damaged point takes the nearest drawable
  // one before it).
  punto a(double metro) const;
  // Extent of the points from `da` to `a` metres; the route's start when
  // nothing there can be drawn. x grows along the route, y to its left.
  rettangolo estensione(double da, double a) const;
  // The last point that can be drawn, metres.
  int32_t ultimo() const { return ultimo_; }
  // Whether any point can be drawn at all.
  bool vuoto() const { return vuoto_; }

 private:
  const matrice_punti* m_ = nullptr;
  int32_t ultimo_ = 0;
  bool vuoto_ = true;
  punto origine_;
  punto u_{1, 0}, n_{0, 1};
};

// Points of the line from `da` to `a` metres, one every `passo` metres and at
// both ends, dropping each point closer than `minimo` to the last one kept
// (in the units `trasforma` gives); `trasforma` maps a turned point onto the
// page.
template <typename F>
std::vector<punto> linea_assottigliata(const piano_girato& p, double da, double a, double passo,
                                       double minimo, F trasforma) {
  std::vector<punto> out;
  if (a < da) return out;
  for (double m = da;; m += passo) {
    const bool fine = m >= a;
    const punto q = trasforma(p.a(fine ? a : m));
    if (out.empty() || fine || std::hypot(q.x - out.back().x, q.y - out.back().y) >= minimo) {
      out.push_back(q);
    }
    if (fine) break;
  }
  return out;
}

}  // namespace scenario::disegno
