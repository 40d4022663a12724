// The track plan as the line reader draws it: one point per metre of route,
// each computed from the two before it, straight on or turned by the change
// of heading of a curve class. Every plan starts at (0, 0), (0, 1), heading
// along y, and ends straight at point L − 2 (points L − 1 and L stay empty).
#pragma once

#include <cstdint>
#include <optional>

#include "model/model.h"

namespace scenario {

class tracciato {
 public:
  // Plan points are counted from 0; the plan gives up above this one.
  static constexpr int32_t ultimo_punto_ammesso = 1000000;

  explicit tracciato(matrice_punti& matrice) : m_(matrice) {}

  // Change of heading per metre of curve class 1 .. 6; nothing for another.
  static std::optional<double> curvatura(int classe);

  // Sets points 0 and 1; the next point computed is 2.
  void inizia();
  // Computes the points up to `fino`, straight on or turned by k per metre
  // (its sign gives the side). Points already computed are left alone.
  // False once the plan has run past the last point allowed.
  bool dritto_fino(int32_t fino);
  bool curva_fino(int32_t fino, double k);
  // Straight on up to point L − 2.
  void termina();

 private:
  // estendi(da, a) computes points da .. a.
  template <class Estendi>
  bool prolunga_fino(int32_t fino, Estendi estendi);

  matrice_punti& m_;
  int32_t prossimo_ = 2;  // next point to compute
};

}  // namespace scenario
