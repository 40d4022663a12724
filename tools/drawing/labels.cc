#include "drawing/labels.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace scenario::drawing {

double text_width(const std::string& t, double size, bool bold) {
  double em = 0;
  for (char c : t) {
    const auto u = static_cast<unsigned char>(c);
    if (c == ' ') {
      em += 0.33;
    } else if (u >= 0x80) {
      em += 0.36;  // each byte of a UTF-8 letter; two make about a capital
    } else if (std::isupper(u)) {
      em += (c == 'I') ? 0.32 : (c == 'M' || c == 'W') ? 0.88 : 0.72;
    } else if (std::isdigit(u)) {
      em += 0.64;
    } else if (std::islower(u)) {
      em += (c == 'i' || c == 'l' || c == 'j') ? 0.28 : (c == 'm' || c == 'w') ? 0.9 : 0.6;
    } else {
      em += 0.4;
    }
  }
  return em * size * (bold ? 1.1 : 1.0) + 4;
}

bool box::contains(point p, double margin) const {
  const double dx = p.x - c.x, dy = p.y - c.y;
  return std::abs(dx * ux + dy * uy) <= mw + margin &&
         std::abs(-dx * uy + dy * ux) <= mh + margin;
}

double box::half_extent(double ax, double ay) const {
  return mw * std::abs(ux * ax + uy * ay) + mh * std::abs(-uy * ax + ux * ay);
}

bool box::intersects(const box& o) const {
  const double axes[4][2] = {{ux, uy}, {-uy, ux}, {o.ux, o.uy}, {-o.uy, o.ux}};
  for (const auto& a : axes) {
    const double d = std::abs((o.c.x - c.x) * a[0] + (o.c.y - c.y) * a[1]);
    if (d > half_extent(a[0], a[1]) + o.half_extent(a[0], a[1])) return false;
  }
  return true;
}

int occupancy::grid_cell(double v) { return static_cast<int>(std::floor(v / 16)); }

void occupancy::add_point(point p) { grid_[key(grid_cell(p.x), grid_cell(p.y))].push_back(p); }

bool occupancy::crosses_leader(point a, point b) const {
  auto side = [](point p, point q, point r) {
    return (q.x - p.x) * (r.y - p.y) - (q.y - p.y) * (r.x - p.x);
  };
  for (const auto& [c, d] : leaders_) {
    const double d1 = side(a, b, c), d2 = side(a, b, d), d3 = side(c, d, a), d4 = side(c, d, b);
    if (((d1 > 0) != (d2 > 0)) && ((d3 > 0) != (d4 > 0))) return true;
  }
  return false;
}

bool occupancy::clear_of_labels(const std::vector<point>& points) const {
  for (const auto& o : labels_) {
    for (const point& p : points) {
      if (o.contains(p)) return false;
    }
  }
  return true;
}

bool occupancy::is_free(const box& r) const {
  if (r.x0() < area_.x0 || r.x1() > area_.x1 || r.y0() < area_.y0 || r.y1() > area_.y1) return false;
  for (const auto& o : labels_) {
    if (o.intersects(r)) return false;
  }
  for (const auto& o : markers_) {
    if (o.intersects(r)) return false;
  }
  for (int gx = grid_cell(r.x0() - 3); gx <= grid_cell(r.x1() + 3); ++gx) {
    for (int gy = grid_cell(r.y0() - 3); gy <= grid_cell(r.y1() + 3); ++gy) {
      auto it = grid_.find(key(gx, gy));
      if (it == grid_.end()) continue;
      for (const point& p : it->second) {
        if (r.contains(p, 3)) return false;
      }
    }
  }
  return true;
}

std::optional<placed_label> place_label(occupancy& occ, point p, point n, const label& e,
                                        bool far) {
  const double w = text_width(e.text, e.size, e.bold), h = e.size + 3;

  // Candidate places, best first: level text just off the line; text turned
  // by 45 degrees starting or ending right at the marker, which lets many
  // names stand side by side where stations are close; level text farther
  // out along the normal, then fanned out to either side of it.
  struct candidate {
    box where;
    double degrees = 0;
  };
  std::vector<candidate> candidates;
  auto level = [&](double d, double angle, int side) {
    const double co = std::cos(angle), si = std::sin(angle);
    const double ux = side * (n.x * co - n.y * si), uy = side * (n.x * si + n.y * co);
    const point q{p.x + d * ux, p.y + d * uy};
    // Anchor the box on the side facing away from the line.
    double x0 = q.x - w / 2, y0 = q.y - h / 2;
    if (std::abs(ux) > std::abs(uy)) {
      x0 = ux > 0 ? q.x : q.x - w;
    } else {
      y0 = uy > 0 ? q.y : q.y - h;
    }
    candidates.push_back({box::upright(x0, y0, x0 + w, y0 + h), 0});
  };
  if (!far) {
    for (double d = 8; d <= std::min(40.0, e.max_distance); d += 8) {
      for (int side : {1, -1}) level(d, 0, side);
    }
    if (e.may_turn) {
      for (double degrees : {-45.0, 45.0}) {
        const double r = degrees * 3.14159265358979 / 180;
        const point t{std::cos(r), std::sin(r)};
        for (double g : {7.0, 14.0, 24.0, 36.0}) {
          for (int way : {1, -1}) {
            // way 1: the text starts just past the marker; -1: it ends just before it.
            const double centre = way * (g + w / 2);
            candidates.push_back({{{p.x + t.x * centre, p.y + t.y * centre}, t.x, t.y, w / 2, h / 2},
                                  degrees});
          }
        }
      }
    }
  }
  const double nearest = far ? e.max_distance + 20 : 48;
  const double farthest = far ? 300 : e.max_distance;
  for (double angle : {0.0, 0.45, -0.45, 0.9, -0.9, 1.25, -1.25}) {
    if (std::abs(angle) > 1 && !far) continue;
    for (double d = nearest; d <= farthest; d += 18) {
      for (int side : {1, -1}) level(d, angle, side);
    }
  }

  for (const candidate& cand : candidates) {
    const box& r = cand.where;
    if (!occ.is_free(r)) continue;
    // The leader ends at the nearest point of the label's box; it must not
    // cross another label or leader, and later labels keep clear of it.
    point end = r.c;
    if (cand.degrees == 0) {
      end = {std::clamp(p.x, r.x0(), r.x1()), std::clamp(p.y, r.y0(), r.y1())};
    } else {
      const double along_axis = (p.x - r.c.x) * r.ux + (p.y - r.c.y) * r.uy;
      const double k = std::clamp(along_axis, -r.mw, r.mw);
      end = {r.c.x + k * r.ux, r.c.y + k * r.uy};
    }
    const double length = std::hypot(end.x - p.x, end.y - p.y);
    std::vector<point> leader;
    for (double t = 12; t < length; t += 3) {
      leader.push_back({p.x + (end.x - p.x) * t / length, p.y + (end.y - p.y) * t / length});
    }
    const point leader_start = leader.empty() ? end : leader.front();
    if (!occ.clear_of_labels(leader) || occ.crosses_leader(leader_start, end)) continue;
    occ.add_label(r);
    if (!leader.empty()) occ.add_leader(leader_start, end);
    for (const point& t : leader) occ.add_point(t);
    placed_label out;
    out.where = r;
    out.degrees = cand.degrees;
    if (length > 9) out.leader = std::make_pair(p, end);
    // The baseline sits below the box's axis so that capitals are centred on it.
    const double down = e.size * 0.36;
    out.text_start = {r.c.x - r.ux * (r.mw - 2) - r.uy * down, r.c.y - r.uy * (r.mw - 2) + r.ux * down};
    return out;
  }
  return std::nullopt;
}

}  // namespace scenario::drawing
