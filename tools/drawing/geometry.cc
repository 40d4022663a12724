#include "drawing/geometry.h"

#include <algorithm>
#include <cmath>

namespace scenario::drawing {

bool drawable(const matrice_punti& m, int32_t i) {
  return i >= 0 && i <= m.ultimo() && m.tipo(i) != tipo_elemento::vuoto &&
         std::isfinite(m.x(i)) && std::isfinite(m.y(i));
}

turned_plan::turned_plan(const matrice_punti& m, int32_t length) : m_(&m) {
  int32_t last = m.ultimo();
  while (last > 0 && !drawable(m, last)) --last;
  last_ = std::max<int32_t>(last, 0);
  int32_t first = 0;
  while (first < last_ && !drawable(m, first)) ++first;
  empty_ = !drawable(m, first);
  if (empty_) return;
  origin_ = {m.x(first), m.y(first)};
  int32_t end = std::clamp<int32_t>(length, first, last_);
  while (end > first && !drawable(m, end)) --end;
  double dx = m.x(end) - origin_.x, dy = m.y(end) - origin_.y;
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

point turned_plan::at(double metre) const {
  if (empty_ || !std::isfinite(metre)) return {};
  const auto& m = *m_;
  int32_t i = static_cast<int32_t>(std::lround(std::clamp(metre, 0.0, double(last_))));
  while (i > 0 && !drawable(m, i)) --i;
  if (!drawable(m, i)) return {};
  const double dx = m.x(i) - origin_.x, dy = m.y(i) - origin_.y;
  return {dx * u_.x + dy * u_.y, dx * n_.x + dy * n_.y};
}

rect turned_plan::extent(double from, double to) const {
  const int32_t i0 = static_cast<int32_t>(std::clamp(std::floor(std::min(from, to)), 0.0, double(last_)));
  const int32_t i1 = static_cast<int32_t>(std::clamp(std::ceil(std::max(from, to)), 0.0, double(last_)));
  bool found = false;
  rect r;
  if (!empty_) {
    for (int32_t i = i0; i <= i1; ++i) {
      if (!drawable(*m_, i)) continue;
      const point p = at(i);
      if (!found) {
        r = {p.x, p.y, p.x, p.y};
        found = true;
      }
      r.x0 = std::min(r.x0, p.x);
      r.x1 = std::max(r.x1, p.x);
      r.y0 = std::min(r.y0, p.y);
      r.y1 = std::max(r.y1, p.y);
    }
  }
  return r;
}

}  // namespace scenario::drawing
