#include "drawing/labels.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace scenario::disegno {

double larghezza_testo(const std::string& t, double corpo, bool grassetto) {
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
  return em * corpo * (grassetto ? 1.1 : 1.0) + 4;
}

bool scatola::contiene(punto p, double margine) const {
  const double dx = p.x - c.x, dy = p.y - c.y;
  return std::abs(dx * ux + dy * uy) <= mw + margine &&
         std::abs(-dx * uy + dy * ux) <= mh + margine;
}

double scatola::raggio(double ax, double ay) const {
  return mw * std::abs(ux * ax + uy * ay) + mh * std::abs(-uy * ax + ux * ay);
}

bool scatola::interseca(const scatola& o) const {
  const double assi[4][2] = {{ux, uy}, {-uy, ux}, {o.ux, o.uy}, {-o.uy, o.ux}};
  for (const auto& a : assi) {
    const double d = std::abs((o.c.x - c.x) * a[0] + (o.c.y - c.y) * a[1]);
    if (d > raggio(a[0], a[1]) + o.raggio(a[0], a[1])) return false;
  }
  return true;
}

int occupazione::cella(double v) { return static_cast<int>(std::floor(v / 16)); }

void occupazione::aggiungi_punto(punto p) { griglia_[chiave(cella(p.x), cella(p.y))].push_back(p); }

bool occupazione::incrocia(punto a, punto b) const {
  auto lato = [](punto p, punto q, punto r) {
    return (q.x - p.x) * (r.y - p.y) - (q.y - p.y) * (r.x - p.x);
  };
  for (const auto& [c, d] : tratti_) {
    const double d1 = lato(a, b, c), d2 = lato(a, b, d), d3 = lato(c, d, a), d4 = lato(c, d, b);
    if (((d1 > 0) != (d2 > 0)) && ((d3 > 0) != (d4 > 0))) return true;
  }
  return false;
}

bool occupazione::fuori_dai_rettangoli(const std::vector<punto>& punti) const {
  for (const auto& o : rett_) {
    for (const punto& p : punti) {
      if (o.contiene(p)) return false;
    }
  }
  return true;
}

bool occupazione::libero(const scatola& r) const {
  if (r.x0() < area_.x0 || r.x1() > area_.x1 || r.y0() < area_.y0 || r.y1() > area_.y1) return false;
  for (const auto& o : rett_) {
    if (o.interseca(r)) return false;
  }
  for (const auto& o : segni_) {
    if (o.interseca(r)) return false;
  }
  for (int gx = cella(r.x0() - 3); gx <= cella(r.x1() + 3); ++gx) {
    for (int gy = cella(r.y0() - 3); gy <= cella(r.y1() + 3); ++gy) {
      auto it = griglia_.find(chiave(gx, gy));
      if (it == griglia_.end()) continue;
      for (const punto& p : it->second) {
        if (r.contiene(p, 3)) return false;
      }
    }
  }
  return true;
}

std::optional<etichetta_posta> metti_etichetta(occupazione& occ, punto p, punto n,
                                               const etichetta& e, bool lontano) {
  const double w = larghezza_testo(e.testo, e.corpo, e.grassetto), h = e.corpo + 3;

  // Candidate places, best first: level text just off the line; text turned
  // by 45 degrees starting or ending right at the marker, which lets many
  // names stand side by side where stations are close; level text farther
  // out along the normal, then fanned out to either side of it.
  struct posto {
    scatola box;
    double gradi = 0;
  };
  std::vector<posto> posti;
  auto livellata = [&](double d, double angolo, int lato) {
    const double co = std::cos(angolo), si = std::sin(angolo);
    const double ux = lato * (n.x * co - n.y * si), uy = lato * (n.x * si + n.y * co);
    const punto q{p.x + d * ux, p.y + d * uy};
    // Anchor the box on the side facing away from the line.
    double x0 = q.x - w / 2, y0 = q.y - h / 2;
    if (std::abs(ux) > std::abs(uy)) {
      x0 = ux > 0 ? q.x : q.x - w;
    } else {
      y0 = uy > 0 ? q.y : q.y - h;
    }
    posti.push_back({scatola::diritta(x0, y0, x0 + w, y0 + h), 0});
  };
  if (!lontano) {
    for (double d = 8; d <= std::min(40.0, e.distanza_massima); d += 8) {
      for (int lato : {1, -1}) livellata(d, 0, lato);
    }
    if (e.inclinabile) {
      for (double gradi : {-45.0, 45.0}) {
        const double r = gradi * 3.14159265358979 / 180;
        const punto t{std::cos(r), std::sin(r)};
        for (double g : {7.0, 14.0, 24.0, 36.0}) {
          for (int verso : {1, -1}) {
            // verso 1: the text starts just past the marker; -1: it ends just before it.
            const double centro = verso * (g + w / 2);
            posti.push_back({{{p.x + t.x * centro, p.y + t.y * centro}, t.x, t.y, w / 2, h / 2},
                             gradi});
          }
        }
      }
    }
  }
  const double da = lontano ? e.distanza_massima + 20 : 48;
  const double a = lontano ? 300 : e.distanza_massima;
  for (double angolo : {0.0, 0.45, -0.45, 0.9, -0.9, 1.25, -1.25}) {
    if (std::abs(angolo) > 1 && !lontano) continue;
    for (double d = da; d <= a; d += 18) {
      for (int lato : {1, -1}) livellata(d, angolo, lato);
    }
  }

  for (const posto& pos : posti) {
    const scatola& r = pos.box;
    if (!occ.libero(r)) continue;
    // The leader ends at the nearest point of the label's box; it must not
    // cross another label or leader, and later labels keep clear of it.
    punto fine = r.c;
    if (pos.gradi == 0) {
      fine = {std::clamp(p.x, r.x0(), r.x1()), std::clamp(p.y, r.y0(), r.y1())};
    } else {
      const double lungo_asse = (p.x - r.c.x) * r.ux + (p.y - r.c.y) * r.uy;
      const double k = std::clamp(lungo_asse, -r.mw, r.mw);
      fine = {r.c.x + k * r.ux, r.c.y + k * r.uy};
    }
    const double lungo = std::hypot(fine.x - p.x, fine.y - p.y);
    std::vector<punto> tratto;
    for (double t = 12; t < lungo; t += 3) {
      tratto.push_back({p.x + (fine.x - p.x) * t / lungo, p.y + (fine.y - p.y) * t / lungo});
    }
    const punto inizio_tratto = tratto.empty() ? fine : tratto.front();
    if (!occ.fuori_dai_rettangoli(tratto) || occ.incrocia(inizio_tratto, fine)) continue;
    occ.aggiungi(r);
    if (!tratto.empty()) occ.aggiungi_tratto(inizio_tratto, fine);
    for (const punto& t : tratto) occ.aggiungi_punto(t);
    etichetta_posta out;
    out.box = r;
    out.gradi = pos.gradi;
    if (lungo > 9) out.linea_guida = std::make_pair(p, fine);
    // The baseline sits below the box's axis so that capitals are centred on it.
    const double giu = e.corpo * 0.36;
    out.inizio_testo = {r.c.x - r.ux * (r.mw - 2) - r.uy * giu, r.c.y - r.uy * (r.mw - 2) + r.ux * giu};
    return out;
  }
  return std::nullopt;
}

}  // namespace scenario::disegno
