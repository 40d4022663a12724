#include "compiler/track_plan.h"

#include <algorithm>
#include <array>

namespace scenario {

namespace {

// One step of a curve: a point on from the last two, turned by k. The order
// of the operations is part of the plan's bytes. (Straight on is
// matrice_punti::prolunga_dritto.)
struct curva_di {
  double k;
  void operator()(double x0, double y0, double x1, double y1, double& x, double& y) const {
    const double dx = x1 - x0;
    const double dy = y1 - y0;
    x = x1 + (dx + k * dy);
    y = y1 + (dy - k * dx);
  }
};

constexpr std::array<double, 6> curvature{0.0001, 0.0002, 0.0004, 0.001, 0.002, 0.003};

}  // namespace

std::optional<double> tracciato::curvatura(int classe) {
  if (classe < 1 || classe > static_cast<int>(curvature.size())) return std::nullopt;
  return curvature[static_cast<size_t>(classe - 1)];
}

void tracciato::inizia() {
  m_.imposta_intero(0, 0, 0);
  m_.imposta_intero(1, 0, 1);
  prossimo_ = 2;
}

template <class Estendi>
bool tracciato::prolunga_fino(int32_t fino, Estendi estendi) {
  if (prossimo_ > fino) return true;
  // Up to the last point allowed, or one point when already past it.
  const int32_t a = std::min(fino, std::max(prossimo_, ultimo_punto_ammesso));
  estendi(prossimo_, a);
  prossimo_ = a + 1;
  return prossimo_ <= ultimo_punto_ammesso;
}

bool tracciato::dritto_fino(int32_t fino) {
  return prolunga_fino(fino, [this](int32_t da, int32_t a) { m_.prolunga_dritto(da, a); });
}
bool tracciato::curva_fino(int32_t fino, double k) {
  return prolunga_fino(fino, [this, k](int32_t da, int32_t a) { m_.prolunga(da, a, curva_di{k}); });
}

void tracciato::termina() {
  const int32_t l = m_.ultimo();
  if (prossimo_ <= l - 2) {
    m_.prolunga_dritto(prossimo_, l - 2);
    prossimo_ = l - 1;
  }
}

}  // namespace scenario
