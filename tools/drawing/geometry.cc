#include "drawing/geometry.h"

#include <algorithm>
#include <cmath>

namespace scenario::disegno {

bool disegnabile(const matrice_punti& m, int32_t i) {
  return i >= 0 && i <= m.ultimo() && m.tipo(i) != tipo_elemento::vuoto &&
         std::isfinite(m.x(i)) && std::isfinite(m.y(i));
}

piano_girato::piano_girato(const matrice_punti& m, int32_t lunghezza) : m_(&m) {
  int32_t ultimo = m.ultimo();
  while (ultimo > 0 && !disegnabile(m, ultimo)) --ultimo;
  ultimo_ = std::max<int32_t>(ultimo, 0);
  int32_t primo = 0;
  while (primo < ultimo_ && !disegnabile(m, primo)) ++primo;
  vuoto_ = !disegnabile(m, primo);
  if (vuoto_) return;
  origine_ = {m.x(primo), m.y(primo)};
  int32_t fine = std::clamp<int32_t>(lunghezza, primo, ultimo_);
  while (fine > primo && !disegnabile(m, fine)) --fine;
  double dx = m.x(fine) - origine_.x, dy = m.y(fine) - origine_.y;
  double n = std::hypot(dx, dy);
  if (n < 1) {
    // A route that ends where it starts (or has no length): keep the way it
    // leaves its start.
    dx = 0;
    dy = 1;
    n = 1;
  }
  u_ = {dx / n, dy / n};
  n_ = {-u_.y, u_.x};
}

punto piano_girato::a(double metro) const {
  if (vuoto_ || !std::isfinite(metro)) return {};
  const auto& m = *m_;
  int32_t i = static_cast<int32_t>(std::lround(std::clamp(metro, 0.0, double(ultimo_))));
  while (i > 0 && !disegnabile(m, i)) --i;
  if (!disegnabile(m, i)) return {};
  const double dx = m.x(i) - origine_.x, dy = m.y(i) - origine_.y;
  return {dx * u_.x + dy * u_.y, dx * n_.x + dy * n_.y};
}

rettangolo piano_girato::estensione(double da, double a) const {
  const int32_t i0 = static_cast<int32_t>(std::clamp(std::floor(std::min(da, a)), 0.0, double(ultimo_)));
  const int32_t i1 = static_cast<int32_t>(std::clamp(std::ceil(std::max(da, a)), 0.0, double(ultimo_)));
  bool trovato = false;
  rettangolo r;
  if (!vuoto_) {
    for (int32_t i = i0; i <= i1; ++i) {
      if (!disegnabile(*m_, i)) continue;
      const punto p = this->a(i);
      if (!trovato) {
        r = {p.x, p.y, p.x, p.y};
        trovato = true;
      }
      r.x0 = std::min(r.x0, p.x);
      r.x1 = std::max(r.x1, p.x);
      r.y0 = std::min(r.y0, p.y);
      r.y1 = std::max(r.y1, p.y);
    }
  }
  return r;
}

}  // namespace scenario::disegno
