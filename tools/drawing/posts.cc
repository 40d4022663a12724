#include "drawing/posts.h"

#include <algorithm>
#include <cmath>

namespace scenario::drawing {

std::vector<post_stretch> post_stretches(const chilometrica& km, int64_t from, int64_t to) {
  std::vector<post_stretch> out;
  if (to <= from) return out;
  std::vector<int64_t> cuts{from};
  for (const auto& z : km.zone()) {
    if (z.inizio > from && z.inizio < to) cuts.push_back(z.inizio);
  }
  cuts.push_back(to);
  std::sort(cuts.begin(), cuts.end());
  cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
  for (size_t i = 0; i + 1 < cuts.size(); ++i) {
    post_stretch t;
    t.start = cuts[i];
    t.end = cuts[i + 1];
    t.start_post = km.post(t.start);
    t.direction = km.post(t.start + 1) >= t.start_post ? 1 : -1;
    out.push_back(t);
  }
  return out;
}

namespace {

int64_t floor_div(int64_t a, int64_t b) {
  int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

}  // namespace

std::vector<tick> axis_ticks(const chilometrica& km, int64_t from, int64_t to, double px_per_metre,
                             double spacing) {
  std::vector<tick> out;
  if (to <= from || !(px_per_metre > 0)) return out;
  int64_t step = 500000;
  for (int64_t k : {1, 2, 5, 10, 20, 50, 100, 200, 500}) {
    if (static_cast<double>(k) * 1000 * px_per_metre >= spacing) {
      step = k * 1000;
      break;
    }
  }
  std::vector<tick> regular;
  for (const auto& t : post_stretches(km, from, to)) {
    out.push_back({t.start, t.start_post, true, testo_post(t.start_post)});
    // Posts reached in this piece: start_post + direction·(0 .. length − 1).
    const int64_t p0 = t.start_post, p1 = t.start_post + t.direction * (t.end - t.start - 1);
    const int64_t low = std::min(p0, p1), high = std::max(p0, p1);
    for (int64_t k = floor_div(low + step - 1, step); k * step <= high; ++k) {
      const int64_t post = k * step;
      const int64_t metre = t.start + (post - p0) * t.direction;
      if (metre == t.start) continue;
      regular.push_back({metre, post, false, testo_post(post)});
    }
  }
  // A zone start's label too close to the previous one's is left out (its
  // tick stays); regular labels give way to the labels of zone starts.
  for (size_t i = 1; i < out.size(); ++i) {
    for (size_t k = 0; k < i; ++k) {
      if (!out[k].text.empty() &&
          std::abs(static_cast<double>(out[i].metre - out[k].metre)) * px_per_metre < spacing) {
        out[i].text.clear();
      }
    }
  }
  for (auto& r : regular) {
    for (const auto& z : out) {
      if (z.text.empty()) continue;
      if (std::abs(static_cast<double>(r.metre - z.metre)) * px_per_metre < spacing) r.text.clear();
    }
  }
  out.insert(out.end(), regular.begin(), regular.end());
  std::stable_sort(out.begin(), out.end(),
                   [](const tick& x, const tick& y) { return x.metre < y.metre; });
  return out;
}

}  // namespace scenario::drawing
