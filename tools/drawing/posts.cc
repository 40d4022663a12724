#include "drawing/posts.h"

#include <algorithm>
#include <cmath>

namespace scenario::disegno {

std::vector<tratto_chilometrico> tratti_chilometrici(const chilometrica& km, int64_t da, int64_t a) {
  std::vector<tratto_chilometrico> out;
  if (a <= da) return out;
  std::vector<int64_t> tagli{da};
  for (const auto& z : km.zone()) {
    if (z.inizio > da && z.inizio < a) tagli.push_back(z.inizio);
  }
  tagli.push_back(a);
  std::sort(tagli.begin(), tagli.end());
  tagli.erase(std::unique(tagli.begin(), tagli.end()), tagli.end());
  for (size_t i = 0; i + 1 < tagli.size(); ++i) {
    tratto_chilometrico t;
    t.inizio = tagli[i];
    t.fine = tagli[i + 1];
    t.post_inizio = km.post(t.inizio);
    t.verso = km.post(t.inizio + 1) >= t.post_inizio ? 1 : -1;
    out.push_back(t);
  }
  return out;
}

namespace {

int64_t divisione_bassa(int64_t a, int64_t b) {
  int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

}  // namespace

std::vector<tacca> tacche_asse(const chilometrica& km, int64_t da, int64_t a, double px_per_metro,
                               double spazio) {
  std::vector<tacca> out;
  if (a <= da || !(px_per_metro > 0)) return out;
  int64_t passo = 500000;
  for (int64_t k : {1, 2, 5, 10, 20, 50, 100, 200, 500}) {
    if (static_cast<double>(k) * 1000 * px_per_metro >= spazio) {
      passo = k * 1000;
      break;
    }
  }
  std::vector<tacca> regolari;
  for (const auto& t : tratti_chilometrici(km, da, a)) {
    out.push_back({t.inizio, t.post_inizio, true, testo_post(t.post_inizio)});
    // Posts reached in this piece: post_inizio + verso·(0 .. lunghezza − 1).
    const int64_t p0 = t.post_inizio, p1 = t.post_inizio + t.verso * (t.fine - t.inizio - 1);
    const int64_t basso = std::min(p0, p1), alto = std::max(p0, p1);
    for (int64_t k = divisione_bassa(basso + passo - 1, passo); k * passo <= alto; ++k) {
      const int64_t post = k * passo;
      const int64_t metro = t.inizio + (post - p0) * t.verso;
      if (metro == t.inizio) continue;
      regolari.push_back({metro, post, false, testo_post(post)});
    }
  }
  // A zone start's label too close to the previous one's is left out (its
  // tick stays); regular labels give way to the labels of zone starts.
  for (size_t i = 1; i < out.size(); ++i) {
    for (size_t k = 0; k < i; ++k) {
      if (!out[k].testo.empty() &&
          std::abs(static_cast<double>(out[i].metro - out[k].metro)) * px_per_metro < spazio) {
        out[i].testo.clear();
      }
    }
  }
  for (auto& r : regolari) {
    for (const auto& z : out) {
      if (z.testo.empty()) continue;
      if (std::abs(static_cast<double>(r.metro - z.metro)) * px_per_metro < spazio) r.testo.clear();
    }
  }
  out.insert(out.end(), regolari.begin(), regolari.end());
  std::stable_sort(out.begin(), out.end(),
                   [](const tacca& x, const tacca& y) { return x.metro < y.metro; });
  return out;
}

}  // namespace scenario::disegno
