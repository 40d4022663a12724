// scenario-tool plot: one SVG page of a compiled scenario. On top, the plan
// of the line from the track plan, turned so that the route runs from left to
// right, with tunnels, stations, signals and the slow-downs marked and
// labelled; below, the speed limit and the gradient along the route over an
// axis of kilometre posts.
#include <algorithm>
#include <cctype>
#include <array>
#include <map>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "commands.h"
#include "model/binary_reader.h"
#include "model/file_names.h"
#include "platform/file_system.h"
#include "compiler/kilometre_posts.h"
#include "tool_support.h"

namespace scenario::tool {

namespace {

constexpr const char* kHelp =
    "usage: scenario-tool plot --dir DIR --line NAME --train NAME --out FILE.svg\n"
    "\n"
    "Reads the three binary files of a compiled scenario from DIR:\n"
    "  NAME_TRAIN.sim, NAME_TRAIN.dat and NAME_linea.dat\n"
    "and draws one SVG page: the plan of the line from the track plan, scaled\n"
    "to fit, with tunnels, stations, signals and slow-downs marked and\n"
    "labelled; under it the speed limit and the gradient along the route, over\n"
    "an axis of kilometre posts. Markers carry the classes \"station\",\n"
    "\"signal\", \"tunnel\" and \"slowdown\".\n"
    "\n"
    "status: 0 done, 1 a file does not fit its layout or the three files do\n"
    "not belong together, 3 a file could not be read or written, 64 bad usage.\n";

// Page geometry, in SVG user units (pixels).
constexpr double kLarghezza = 1600;
constexpr double kAltezza = 1080;
constexpr double kMargine = 70;
constexpr double kPianoAlto = 96;     // plan area, labels included
constexpr double kPianoBasso = 640;
constexpr double kSpazioEtichette = 64;  // kept free around the line for labels
constexpr double kVelAlto = 690;      // speed chart
constexpr double kVelBasso = 840;
constexpr double kPendAlto = 880;     // gradient chart
constexpr double kPendBasso = 990;
constexpr double kAsse = 1006;        // kilometre-post axis

struct punto {
  double x = 0, y = 0;
};

// A box on the page, possibly turned: centre, unit axis along its width,
// half width and half height.
struct scatola {
  punto c;
  double ux = 1, uy = 0;
  double mw = 0, mh = 0;

  static scatola diritta(double x0, double y0, double x1, double y1) {
    return {{(x0 + x1) / 2, (y0 + y1) / 2}, 1, 0, (x1 - x0) / 2, (y1 - y0) / 2};
  }
  bool contiene(punto p, double margine = 0) const {
    const double dx = p.x - c.x, dy = p.y - c.y;
    return std::abs(dx * ux + dy * uy) <= mw + margine &&
           std::abs(-dx * uy + dy * ux) <= mh + margine;
  }
  // Half extent along the axis (ax, ay).
  double raggio(double ax, double ay) const {
    return mw * std::abs(ux * ax + uy * ay) + mh * std::abs(-uy * ax + ux * ay);
  }
  // Separating axes: two boxes meet unless one of their four axes parts them.
  bool interseca(const scatola& o) const {
    const double assi[4][2] = {{ux, uy}, {-uy, ux}, {o.ux, o.uy}, {-o.uy, o.ux}};
    for (const auto& a : assi) {
      const double d = std::abs((o.c.x - c.x) * a[0] + (o.c.y - c.y) * a[1]);
      if (d > raggio(a[0], a[1]) + o.raggio(a[0], a[1])) return false;
    }
    return true;
  }
  double x0() const { return c.x - raggio(1, 0); }
  double x1() const { return c.x + raggio(1, 0); }
  double y0() const { return c.y - raggio(0, 1); }
  double y1() const { return c.y + raggio(0, 1); }
};

std::string f1(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f", v);
  return buf;
}

// Width of a text on the page, from rough advance widths of a sans-serif
// face (in ems); bold text is about a tenth wider. Erring wide keeps labels
// apart.
double larghezza_testo(const std::string& t, double corpo, bool grassetto = false) {
  double em = 0;
  for (char c : t) {
    const auto u = static_cast<unsigned char>(c);
    if (c == ' ') {
      em += 0.33;
    } else if (std::isupper(u) || u >= 0xC0) {
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

std::string rifila(const std::string& s) {
  const size_t a = s.find_first_not_of(' ');
  if (a == std::string::npos) return {};
  const size_t b = s.find_last_not_of(' ');
  return s.substr(a, b - a + 1);
}

// The groups "(...)" of a text board, trimmed.
std::vector<std::string> gruppi(const std::string& testo) {
  std::vector<std::string> out;
  size_t p = 0;
  while ((p = testo.find('(', p)) != std::string::npos) {
    const size_t q = testo.find(')', p);
    if (q == std::string::npos) break;
    out.push_back(rifila(testo.substr(p + 1, q - p - 1)));
    p = q + 1;
  }
  if (out.empty() && !rifila(testo).empty()) out.push_back(rifila(testo));
  return out;
}

// Keeps labels from covering each other, the markers and the line.
class occupazione {
 public:
  // A label: nothing may cover it, and no leader may cross it.
  void aggiungi(const scatola& r) { rett_.push_back(r); }
  // A leader: no other leader may cross it.
  void aggiungi_tratto(punto a, punto b) { tratti_.push_back({a, b}); }
  bool incrocia(punto a, punto b) const {
    auto lato = [](punto p, punto q, punto r) {
      return (q.x - p.x) * (r.y - p.y) - (q.y - p.y) * (r.x - p.x);
    };
    for (const auto& [c, d] : tratti_) {
      const double d1 = lato(a, b, c), d2 = lato(a, b, d), d3 = lato(c, d, a), d4 = lato(c, d, b);
      if (((d1 > 0) != (d2 > 0)) && ((d3 > 0) != (d4 > 0))) return true;
    }
    return false;
  }
  // A marker: no label may cover it; a leader may pass over it.
  void aggiungi_segno(const scatola& r) { segni_.push_back(r); }
  void aggiungi_punto(punto p) {
    griglia_[chiave(p)].push_back(p);
  }
  bool fuori_dai_rettangoli(const std::vector<punto>& punti) const {
    for (const auto& o : rett_) {
      for (const punto& p : punti) {
        if (o.contiene(p)) return false;
      }
    }
    return true;
  }
  bool libero(const scatola& r) const {
    if (r.x0() < kMargine / 3 || r.x1() > kLarghezza - kMargine / 3 || r.y0() < kPianoAlto ||
        r.y1() > kPianoBasso)
      return false;
    for (const auto& o : rett_) {
      if (o.interseca(r)) return false;
    }
    for (const auto& o : segni_) {
      if (o.interseca(r)) return false;
    }
    for (int gx = cella(r.x0() - 3); gx <= cella(r.x1() + 3); ++gx) {
      for (int gy = cella(r.y0() - 3); gy <= cella(r.y1() + 3); ++gy) {
        auto it = griglia_.find(static_cast<int64_t>(gx) * 100000 + gy);
        if (it == griglia_.end()) continue;
        for (const punto& p : it->second) {
          if (r.contiene(p, 3)) return false;
        }
      }
    }
    return true;
  }

 private:
  static int cella(double v) { return static_cast<int>(std::floor(v / 16)); }
  static int64_t chiave(punto p) { return static_cast<int64_t>(cella(p.x)) * 100000 + cella(p.y); }
  std::vector<scatola> rett_;
  std::vector<scatola> segni_;
  std::vector<std::pair<punto, punto>> tratti_;
  std::map<int64_t, std::vector<punto>> griglia_;
};

// A point that holds two finite coordinates; a damaged plan may hold
// infinities or NaNs, which are passed over like empty points.
bool disegnabile(const matrice_punti& m, int32_t i) {
  return m.tipo(i) != tipo_elemento::vuoto && std::isfinite(m.x(i)) && std::isfinite(m.y(i));
}

struct scenario_letto {
  std::array<record_sim, righe_tabella_sim> tabella{};
  std::vector<cella> celle;
  matrice_punti piano;
};

class disegno {
 public:
  disegno(const scenario_letto& s, std::string titolo) : s_(s), titolo_(std::move(titolo)) {}
  std::string svg();

 private:
  struct etichetta {
    int32_t metro;
    std::string testo;
    std::string classe;
    double corpo;
    double distanza_massima;  // farthest from its marker, in pixels
    bool grassetto = false;
    bool inclinabile = false;  // may be turned by 45 degrees
  };

  punto sul_piano(double metro) const;
  punto normale(double metro) const;
  double x_profilo(double metro) const {
    return kMargine + (kLarghezza - 2 * kMargine) * metro / std::max(1.0, lunghezza_);
  }
  void prepara_piano();
  void disegna_piano();
  void disegna_etichette(const std::vector<etichetta>& etichette, bool obbligatorie);
  bool metti_etichetta(const etichetta& e, bool lontano);
  void disegna_profilo();
  void disegna_asse();
  std::string percorso_piano(double da, double a) const;

  const scenario_letto& s_;
  std::string titolo_;
  std::ostringstream o_;
  double lunghezza_ = 0;
  int32_t fine_piano_ = 0;  // last point drawn
  punto origine_, asse_u_, asse_n_;
  double scala_ = 1, sx_ = 0, sy_ = 0;
  occupazione occ_;
  int omesse_ = 0;
  chilometrica km_;
  std::vector<int> stazioni_;  // rows
};

punto disegno::sul_piano(double metro) const {
  const auto& m = s_.piano;
  int32_t i = static_cast<int32_t>(std::lround(metro));
  i = std::clamp(i, 0, fine_piano_);
  while (i > 0 && !disegnabile(m, i)) --i;
  if (!disegnabile(m, i)) return {sx_, sy_};
  const double dx = m.x(i) - origine_.x, dy = m.y(i) - origine_.y;
  const double a = dx * asse_u_.x + dy * asse_u_.y;
  const double b = dx * asse_n_.x + dy * asse_n_.y;
  return {sx_ + scala_ * a, sy_ - scala_ * b};
}

punto disegno::normale(double metro) const {
  // Over some 10 pixels of line each way, whatever the scale.
  const double passo = std::max(20.0, 10.0 / std::max(scala_, 1e-9));
  const punto a = sul_piano(metro - passo), b = sul_piano(metro + passo);
  double dx = b.x - a.x, dy = b.y - a.y;
  const double n = std::hypot(dx, dy);
  if (n < 1e-9) return {0, -1};
  dx /= n;
  dy /= n;
  // The left of the direction of travel, on screen (y grows downwards).
  return {dy, -dx};
}

void disegno::prepara_piano() {
  const auto& m = s_.piano;
  // The route ends at its length; the plan runs on for 7 km of straight
  // track, of which the first 1.5 km are drawn to show where it leads.
  int32_t ultimo = m.ultimo();
  while (ultimo > 0 && !disegnabile(m, ultimo)) --ultimo;
  fine_piano_ = std::min<int32_t>(ultimo, static_cast<int32_t>(lunghezza_) + 1500);
  const int32_t fine_rotta = std::min<int32_t>(ultimo, static_cast<int32_t>(lunghezza_));
  int32_t primo = 0;
  while (primo < ultimo && !disegnabile(m, primo)) ++primo;
  origine_ = disegnabile(m, primo) ? punto{m.x(primo), m.y(primo)} : punto{};
  const punto arrivo = disegnabile(m, fine_rotta) ? punto{m.x(fine_rotta), m.y(fine_rotta)} : origine_;
  double dx = arrivo.x - origine_.x, dy = arrivo.y - origine_.y;
  double n = std::hypot(dx, dy);
  if (n < 1) {
    dx = 0;
    dy = 1;
    n = 1;
  }
  asse_u_ = {dx / n, dy / n};
  asse_n_ = {-asse_u_.y, asse_u_.x};
  double amin = 0, amax = 0, bmin = 0, bmax = 0;
  for (int32_t i = 0; i <= fine_piano_; ++i) {
    if (!disegnabile(m, i)) continue;
    const double px = m.x(i) - origine_.x, py = m.y(i) - origine_.y;
    const double a = px * asse_u_.x + py * asse_u_.y;
    const double b = px * asse_n_.x + py * asse_n_.y;
    amin = std::min(amin, a);
    amax = std::max(amax, a);
    bmin = std::min(bmin, b);
    bmax = std::max(bmax, b);
  }
  const double w = kLarghezza - 2 * kMargine - 2 * kSpazioEtichette;
  const double h = kPianoBasso - kPianoAlto - 2 * kSpazioEtichette;
  const double da = std::max(amax - amin, 1.0), db = std::max(bmax - bmin, 1.0);
  scala_ = std::min(w / da, h / db);
  sx_ = kMargine + kSpazioEtichette + (w - scala_ * da) / 2 - scala_ * amin;
  sy_ = kPianoAlto + kSpazioEtichette + (h - scala_ * db) / 2 + scala_ * bmax;
}

std::string disegno::percorso_piano(double da, double a) const {
  std::string d;
  // One vertex per screen pixel or so: enough for the curves, small enough
  // for the page to load quickly.
  const double passo = std::max(1.0, 1.0 / std::max(scala_, 1e-9));
  punto ultimo{-1e9, -1e9};
  for (double m = da;; m += passo) {
    const bool fine = m >= a;
    const punto p = sul_piano(fine ? a : m);
    if (d.empty() || fine || std::hypot(p.x - ultimo.x, p.y - ultimo.y) >= 1.5) {
      d += (d.empty() ? "M" : " L") + f1(p.x) + "," + f1(p.y);
      ultimo = p;
    }
    if (fine) break;
  }
  return d;
}

void disegno::disegna_piano() {
  const double fine_rotta = std::min<double>(lunghezza_, fine_piano_);
  // The line, and the track beyond the end of the route.
  o_ << "<path class=\"line\" d=\"" << percorso_piano(0, fine_rotta) << "\"/>\n";
  if (fine_piano_ > fine_rotta) {
    o_ << "<path class=\"runoff\" d=\"" << percorso_piano(fine_rotta, fine_piano_) << "\"/>\n";
  }
  for (double m = 0; m <= fine_piano_; m += 20) occ_.aggiungi_punto(sul_piano(m));

  const auto& celle = s_.celle;
  const size_t ultima = celle.size();
  std::vector<etichetta> nomi, secondarie, segnali;

  // Tunnels: runs of cells whose galleria is not 0.
  for (size_t c = 0; c < ultima;) {
    if (celle[c].galleria == 0) {
      ++c;
      continue;
    }
    size_t e = c;
    while (e + 1 < ultima && celle[e + 1].galleria != 0) ++e;
    const double da = 50.0 * static_cast<double>(c), a = 50.0 * static_cast<double>(e + 1);
    o_ << "<path class=\"tunnel\" d=\"" << percorso_piano(da, std::max(a, da + 1))
       << "\"><title>tunnel " << static_cast<int64_t>(da) << " - " << static_cast<int64_t>(a)
       << " m, kind " << +celle[c].galleria << "</title></path>\n";
    // Its name, from a text board "(GALLERIA)(NAME)..." standing just before it.
    std::string nome;
    for (size_t k = c > 4 ? c - 4 : 0; k <= c + 1 && k < ultima; ++k) {
      if (celle[k].tipo != oggetto::cartello_indicatore) continue;
      const int riga = celle[k].dato1;
      if (riga < 0 || riga >= righe_tabella_sim) continue;
      const auto g = gruppi(s_.tabella[static_cast<size_t>(riga)].testo);
      if (g.size() >= 2 && g[0] == "GALLERIA") nome = g[1];
    }
    const auto metri = static_cast<int32_t>((da + a) / 2);
    // A named tunnel is labelled with its name; one without a board only
    // with its length, and only where there is room close by.
    if (nome.empty()) {
      secondarie.push_back({metri, std::to_string(static_cast<int64_t>(a - da)) + " m",
                            "label-tunnel", 10, 24});
    } else {
      secondarie.push_back({metri, nome, "label-tunnel", 10, 54, false, true});
    }
    c = e + 1;
  }

  // Slow-downs: from a start cell (3) to the next end cell (2).
  for (size_t c = 0; c < ultima; ++c) {
    if (celle[c].tipo != oggetto::inizio_rallentamento) continue;
    size_t e = c + 1;
    while (e < ultima && celle[e].tipo != oggetto::fine_rallentamento) ++e;
    if (e >= ultima) e = c;
    const double da = 50.0 * (static_cast<double>(c) - 1), a = 50.0 * (static_cast<double>(e) - 1);
    o_ << "<path class=\"slowdown\" d=\"" << percorso_piano(da, std::max(a, da + 1))
       << "\"><title>slow-down " << celle[c].dato1 << " km/h</title></path>\n";
    nomi.push_back({static_cast<int32_t>(da), "slow-down " + std::to_string(celle[c].dato1) +
                                                  " km/h, " + std::to_string(static_cast<int64_t>(a - da)) + " m",
                    "label-slowdown", 12, 72, true});
  }

  // Signals: a signal at position x stands in cell x/50 + 1.
  for (size_t c = 0; c < ultima; ++c) {
    if (celle[c].tipo != oggetto::segnale) continue;
    const double metro = 50.0 * (static_cast<double>(c) - 1);
    const punto p = sul_piano(metro);
    const punto n = normale(metro);
    // A short bar across the line, with the signal's head on the left.
    const punto a{p.x - 6 * n.x, p.y - 6 * n.y}, b{p.x + 9 * n.x, p.y + 9 * n.y};
    o_ << "<path class=\"signal\" d=\"M" << f1(a.x) << "," << f1(a.y) << " L" << f1(b.x) << ","
       << f1(b.y) << "\"><title>signal at " << static_cast<int64_t>(metro) << " m (post "
       << testo_post(km_.post(static_cast<int64_t>(metro))) << ")</title></path>\n";
    o_ << "<circle class=\"signal-head\" cx=\"" << f1(b.x) << "\" cy=\"" << f1(b.y)
       << "\" r=\"2.2\"/>\n";
    occ_.aggiungi_segno(scatola::diritta(std::min(a.x, b.x) - 2, std::min(a.y, b.y) - 2,
                                         std::max(a.x, b.x) + 2, std::max(a.y, b.y) + 2));
    segnali.push_back({static_cast<int32_t>(metro),
                       testo_post(km_.post(static_cast<int64_t>(metro))), "label-signal",
                       8.5, 30});
  }

  // Stations, last so that their markers sit on top.
  for (int r : stazioni_) {
    const record_sim& row = s_.tabella[static_cast<size_t>(r)];
    const punto p = sul_piano(row.progressiva);
    o_ << "<circle class=\"station\" cx=\"" << f1(p.x) << "\" cy=\"" << f1(p.y)
       << "\" r=\"4.5\"><title>" << testo_xml(rifila(row.testo)) << " (" << row.progressiva
       << " m)</title></circle>\n";
    occ_.aggiungi_segno(scatola::diritta(p.x - 6, p.y - 6, p.x + 6, p.y + 6));
    nomi.push_back({row.progressiva, rifila(row.testo), "label-station", 11.5, 72, true, true});
  }

  // Names first: they are what a reader looks for; then the tunnel names,
  // then the signal posts where room is left.
  std::stable_sort(nomi.begin(), nomi.end(),
                   [](const etichetta& a, const etichetta& b) { return a.metro < b.metro; });
  disegna_etichette(nomi, true);
  disegna_etichette(secondarie, false);
  disegna_etichette(segnali, false);
}

void disegno::disegna_etichette(const std::vector<etichetta>& etichette, bool obbligatorie) {
  for (const auto& e : etichette) {
    if (e.testo.empty() || metti_etichetta(e, false) || !obbligatorie) continue;
    // Rather than hide a name, write it farther out, at the first place free
    // of other labels, with a leader back to its marker. Secondary labels
    // that find no room are left out.
    if (!metti_etichetta(e, true)) ++omesse_;
  }
}

bool disegno::metti_etichetta(const etichetta& e, bool lontano) {
  const punto p = sul_piano(e.metro);
  const punto n = normale(e.metro);
  const double w = larghezza_testo(e.testo, e.corpo, e.grassetto), h = e.corpo + 3;

  // Candidate places, best first: level text just off the line; text turned
  // by 45 degrees starting or ending right at the marker, which lets many
  // names stand side by side where stations are close; level text farther
  // out along the normal, then fanned out to either side of it.
  struct posto {
    scatola box;
    double gradi = 0;  // turn of the text
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
    for (double d = 10; d <= std::min(40.0, e.distanza_massima); d += 10) {
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
  const double da = lontano ? e.distanza_massima + 20 : 50;
  const double a = lontano ? 300 : e.distanza_massima;
  for (double angolo : {0.0, 0.45, -0.45, 0.9, -0.9, 1.25, -1.25}) {
    if (std::abs(angolo) > 1 && !lontano) continue;
    for (double d = da; d <= a; d += 18) {
      for (int lato : {1, -1}) livellata(d, angolo, lato);
    }
  }

  for (const posto& pos : posti) {
    const scatola& r = pos.box;
    if (!occ_.libero(r)) continue;
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
    if (!occ_.fuori_dai_rettangoli(tratto) || occ_.incrocia(inizio_tratto, fine)) continue;
    occ_.aggiungi(r);
    if (!tratto.empty()) occ_.aggiungi_tratto(inizio_tratto, fine);
    for (const punto& t : tratto) occ_.aggiungi_punto(t);
    if (lungo > 9) {
      o_ << "<line class=\"leader\" x1=\"" << f1(p.x) << "\" y1=\"" << f1(p.y) << "\" x2=\""
         << f1(fine.x) << "\" y2=\"" << f1(fine.y) << "\"/>\n";
    }
    // The baseline sits below the box's axis so that capitals are centred on it.
    const double giu = e.corpo * 0.36;
    const punto inizio{r.c.x - r.ux * (r.mw - 2) - r.uy * giu, r.c.y - r.uy * (r.mw - 2) + r.ux * giu};
    o_ << "<text class=\"" << e.classe << "\" x=\"" << f1(inizio.x) << "\" y=\"" << f1(inizio.y)
       << "\"";
    if (pos.gradi != 0) {
      o_ << " transform=\"rotate(" << pos.gradi << " " << f1(inizio.x) << " " << f1(inizio.y)
         << ")\"";
    }
    o_ << ">" << testo_xml(e.testo) << "</text>\n";
    return true;
  }
  return false;
}

void disegno::disegna_profilo() {
  const auto& celle = s_.celle;
  // Cells past the route's length are run-off; the last three are never filled.
  const size_t n = std::min(celle.size() >= 3 ? celle.size() - 3 : 0,
                            static_cast<size_t>(std::ceil(lunghezza_ / 50.0)));
  const double sinistra = kMargine, destra = kLarghezza - kMargine;

  // Speed limit.
  int vmax = 160;
  for (size_t c = 0; c < n; ++c) vmax = std::max(vmax, celle[c].velocita * 5);
  vmax = (vmax + 19) / 20 * 20;
  auto y_vel = [&](double v) { return kVelBasso - (kVelBasso - kVelAlto) * v / vmax; };
  o_ << "<text class=\"chart-title\" x=\"" << sinistra << "\" y=\"" << kVelAlto - 10
     << "\">Speed limit (km/h)</text>\n";
  for (int v = 0; v <= vmax; v += 40) {
    o_ << "<line class=\"grid\" x1=\"" << sinistra << "\" y1=\"" << f1(y_vel(v)) << "\" x2=\""
       << destra << "\" y2=\"" << f1(y_vel(v)) << "\"/>\n"
       << "<text class=\"tick\" x=\"" << sinistra - 6 << "\" y=\"" << f1(y_vel(v) + 3)
       << "\" text-anchor=\"end\">" << v << "</text>\n";
  }
  // Slow-downs as bands down to their speed.
  for (size_t c = 0; c < celle.size(); ++c) {
    if (celle[c].tipo != oggetto::inizio_rallentamento) continue;
    size_t e = c + 1;
    while (e < celle.size() && celle[e].tipo != oggetto::fine_rallentamento) ++e;
    if (e >= celle.size()) e = c;
    const double x0 = x_profilo(50.0 * (static_cast<double>(c) - 1));
    const double x1 = std::max(x0 + 2, x_profilo(50.0 * (static_cast<double>(e) - 1)));
    o_ << "<rect class=\"slowdown-band\" x=\"" << f1(x0) << "\" y=\"" << kVelAlto << "\" width=\""
       << f1(x1 - x0) << "\" height=\"" << kVelBasso - kVelAlto << "\"/>\n"
       << "<line class=\"slowdown-speed\" x1=\"" << f1(x0) << "\" y1=\""
       << f1(y_vel(celle[c].dato1)) << "\" x2=\"" << f1(x1) << "\" y2=\""
       << f1(y_vel(celle[c].dato1)) << "\"/>\n"
       << "<text class=\"label-slowdown\" x=\"" << f1(x1 + 4) << "\" y=\""
       << f1(y_vel(celle[c].dato1) + 4) << "\">" << celle[c].dato1 << "</text>\n";
  }
  std::string d;
  for (size_t c = 0; c < n; ++c) {
    const double y = y_vel(celle[c].velocita * 5);
    d += (c ? " L" : "M") + f1(x_profilo(50.0 * static_cast<double>(c))) + "," + f1(y) + " L" +
         f1(x_profilo(50.0 * static_cast<double>(c + 1))) + "," + f1(y);
  }
  if (!d.empty()) o_ << "<path class=\"speed\" d=\"" << d << "\"/>\n";

  // Gradient: pendenza - 100, filled above and below the level line.
  int gmax = 10;
  for (size_t c = 0; c < n; ++c) gmax = std::max(gmax, std::abs(celle[c].pendenza - 100));
  gmax = (gmax + 4) / 5 * 5;
  const double mezzo = (kPendAlto + kPendBasso) / 2;
  auto y_pend = [&](double g) { return mezzo - (kPendBasso - kPendAlto) / 2 * g / gmax; };
  o_ << "<text class=\"chart-title\" x=\"" << sinistra << "\" y=\"" << kPendAlto - 10
     << "\">Gradient (pendenza - 100)</text>\n";
  for (int g : {-gmax, 0, gmax}) {
    o_ << "<line class=\"" << (g == 0 ? "level" : "grid") << "\" x1=\"" << sinistra << "\" y1=\""
       << f1(y_pend(g)) << "\" x2=\"" << destra << "\" y2=\"" << f1(y_pend(g)) << "\"/>\n"
       << "<text class=\"tick\" x=\"" << sinistra - 6 << "\" y=\"" << f1(y_pend(g) + 3)
       << "\" text-anchor=\"end\">" << (g > 0 ? "+" : "") << g << "</text>\n";
  }
  if (n > 0) {
    std::string g = "M" + f1(x_profilo(0)) + "," + f1(y_pend(0));
    for (size_t c = 0; c < n; ++c) {
      const double y = y_pend(celle[c].pendenza - 100);
      g += " L" + f1(x_profilo(50.0 * static_cast<double>(c))) + "," + f1(y) + " L" +
           f1(x_profilo(50.0 * static_cast<double>(c + 1))) + "," + f1(y);
    }
    g += " L" + f1(x_profilo(50.0 * static_cast<double>(n))) + "," + f1(y_pend(0)) + " Z";
    o_ << "<path class=\"gradient\" d=\"" << g << "\"/>\n";
  }
  // Every station as a faint line across both charts, to find it on the plan.
  for (int r : stazioni_) {
    const int32_t p = s_.tabella[static_cast<size_t>(r)].progressiva;
    if (p < 0 || p > lunghezza_) continue;
    const double x = x_profilo(p);
    o_ << "<line class=\"station-line\" x1=\"" << f1(x) << "\" y1=\"" << kVelAlto << "\" x2=\""
       << f1(x) << "\" y2=\"" << kPendBasso << "\"><title>"
       << testo_xml(rifila(s_.tabella[static_cast<size_t>(r)].testo)) << "</title></line>\n";
  }
}

void disegno::disegna_asse() {
  const double sinistra = kMargine, destra = kLarghezza - kMargine;
  o_ << "<line class=\"axis\" x1=\"" << sinistra << "\" y1=\"" << kAsse << "\" x2=\"" << destra
     << "\" y2=\"" << kAsse << "\"/>\n";
  struct tacca {
    int64_t metro, post;
    int priorita;  // 0 zone start or route end, 1 every 5 km, 2 every km
  };
  std::vector<tacca> tacche;
  const auto fine = static_cast<int64_t>(lunghezza_);
  int zona_prima = km_.indice(0);
  tacche.push_back({0, km_.post(0), 0});
  for (int64_t p = 1; p <= fine; ++p) {
    const int z = km_.indice(p);
    const int64_t post = km_.post(p);
    if (z != zona_prima) {
      tacche.push_back({p, post, 0});
      zona_prima = z;
    } else if (post % 1000 == 0) {
      tacche.push_back({p, post, post % 5000 == 0 ? 1 : 2});
    }
  }
  if (tacche.back().metro != fine) tacche.push_back({fine, km_.post(fine), 0});
  std::vector<std::pair<double, double>> occupati;
  for (int pr = 0; pr <= 2; ++pr) {
    for (const auto& t : tacche) {
      if (t.priorita != pr) continue;
      const double x = x_profilo(static_cast<double>(t.metro));
      const double lungo = pr == 0 ? 12 : pr == 1 ? 8 : 5;
      o_ << "<line class=\"" << (pr == 0 ? "zone-tick" : "tick-line") << "\" x1=\"" << f1(x)
         << "\" y1=\"" << kAsse << "\" x2=\"" << f1(x) << "\" y2=\"" << kAsse + lungo
         << "\"/>\n";
      const std::string testo = pr == 2 ? std::to_string(t.post / 1000)
                                        : testo_post(t.post);
      const double w = larghezza_testo(testo, 10);
      bool libero = true;
      for (const auto& [a, b] : occupati) {
        if (x - w / 2 < b + 4 && a - 4 < x + w / 2) libero = false;
      }
      if (!libero) continue;
      occupati.push_back({x - w / 2, x + w / 2});
      o_ << "<text class=\"tick\" x=\"" << f1(x) << "\" y=\"" << kAsse + 24
         << "\" text-anchor=\"middle\">" << testo << "</text>\n";
    }
  }
  o_ << "<text class=\"chart-title\" x=\"" << sinistra << "\" y=\"" << kAsse + 46
     << "\">Kilometre posts (km+m) along the route, " << f1(lunghezza_ / 1000)
     << " km; dashed ticks mark where a chainage zone begins</text>\n";
}

std::string disegno::svg() {
  lunghezza_ = std::max(0, s_.tabella[riga_treno].fine);
  km_ = chilometrica(s_.tabella);

  // Rows 1 .. 80 that are neither text-board rows nor empty are stations.
  std::vector<bool> testi(righe_tabella_sim, false);
  for (const cella& c : s_.celle) {
    if (c.tipo == oggetto::cartello_indicatore && c.dato1 >= 0 && c.dato1 < righe_tabella_sim) testi[static_cast<size_t>(c.dato1)] = true;
  }
  for (int r = riga_prima_stazione; r <= riga_primo_testo; ++r) {
    const record_sim& x = s_.tabella[static_cast<size_t>(r)];
    const bool vuota = !x.tipo && !x.inizio && !x.fine && !x.progressiva && x.testo.empty() &&
                       !x.orario && !x.b1;
    if (!testi[static_cast<size_t>(r)] && !vuota) stazioni_.push_back(r);
  }
  int segnali = 0, gallerie = 0;
  for (size_t c = 0; c < s_.celle.size(); ++c) {
    segnali += s_.celle[c].tipo == oggetto::segnale;
    gallerie += s_.celle[c].galleria != 0 && (c == 0 || s_.celle[c - 1].galleria == 0);
  }

  prepara_piano();
  o_ << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
     << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kLarghezza << "\" height=\""
     << kAltezza << "\" viewBox=\"0 0 " << kLarghezza << " " << kAltezza << "\">\n"
     << "<style>\n"
        "text { font-family: 'DejaVu Sans', Arial, Helvetica, sans-serif; fill: #222; }\n"
        ".title { font-size: 20px; font-weight: bold; }\n"
        ".subtitle { font-size: 12px; fill: #555; }\n"
        ".line { fill: none; stroke: #2b2b2b; stroke-width: 2.2; stroke-linejoin: round; }\n"
        ".runoff { fill: none; stroke: #999; stroke-width: 1.5; stroke-dasharray: 5 4; }\n"
        ".tunnel { fill: none; stroke: #8a5a2b; stroke-width: 7; stroke-opacity: 0.75; "
        "stroke-linecap: butt; }\n"
        ".slowdown { fill: none; stroke: #ff8c00; stroke-width: 12; stroke-opacity: 0.8; }\n"
        ".signal { stroke: #c0392b; stroke-width: 2; }\n"
        ".signal-head { fill: #c0392b; }\n"
        ".station { fill: #fff; stroke: #1f5fbf; stroke-width: 2.5; }\n"
        ".leader { stroke: #888; stroke-width: 0.7; }\n"
        ".label-station { font-size: 11.5px; font-weight: bold; fill: #1f3f7f; }\n"
        ".label-slowdown { font-size: 12px; font-weight: bold; fill: #c46a00; }\n"
        ".label-tunnel { font-size: 10px; font-style: italic; fill: #7a4a1b; }\n"
        ".label-signal { font-size: 8.5px; fill: #a03020; }\n"
        ".chart-title { font-size: 12px; font-weight: bold; fill: #333; }\n"
        ".tick { font-size: 10px; fill: #444; }\n"
        ".grid { stroke: #ddd; stroke-width: 1; }\n"
        ".level { stroke: #888; stroke-width: 1; }\n"
        ".axis { stroke: #444; stroke-width: 1.2; }\n"
        ".tick-line { stroke: #444; stroke-width: 1; }\n"
        ".zone-tick { stroke: #1f5fbf; stroke-width: 1.5; stroke-dasharray: 3 2; }\n"
        ".speed { fill: none; stroke: #2e7d32; stroke-width: 1.8; }\n"
        ".gradient { fill: #b0bec5; stroke: #546e7a; stroke-width: 1; }\n"
        ".slowdown-band { fill: #ff8c00; fill-opacity: 0.18; }\n"
        ".slowdown-speed { stroke: #ff8c00; stroke-width: 2.5; }\n"
        ".station-line { stroke: #1f5fbf; stroke-opacity: 0.22; stroke-width: 1; }\n"
        ".legend { font-size: 11px; fill: #333; }\n"
        ".frame { fill: none; stroke: #ccc; }\n"
        "</style>\n"
     << "<rect x=\"0\" y=\"0\" width=\"" << kLarghezza << "\" height=\"" << kAltezza
     << "\" fill=\"#fff\"/>\n"
     << "<text class=\"title\" x=\"" << kMargine << "\" y=\"34\">" << testo_xml(titolo_)
     << "</text>\n"
     << "<text class=\"subtitle\" x=\"" << kMargine << "\" y=\"54\">" << f1(lunghezza_ / 1000)
     << " km, " << stazioni_.size() << " stations, " << segnali << " signals, " << gallerie
     << " tunnels. Plan turned so that the route runs left to right; scale 1 : "
     << static_cast<int64_t>(std::llround(1.0 / std::max(scala_, 1e-12) * 3779.5))
     << " at 96 dpi.</text>\n";
  // Legend.
  const double ly = 76;
  double lx = kMargine;
  // The legend's markers have classes of their own, so that only the
  // route's markers carry "station", "signal" and the others.
  o_ << "<circle class=\"legend-station\" cx=\"" << lx + 5 << "\" cy=\"" << ly - 4
     << "\" r=\"4.5\" fill=\"#fff\" stroke=\"#1f5fbf\" stroke-width=\"2.5\"/>"
     << "<text class=\"legend\" x=\"" << lx + 16 << "\" y=\"" << ly << "\">station</text>\n";
  lx += 90;
  o_ << "<line x1=\"" << lx << "\" y1=\"" << ly - 10 << "\" x2=\"" << lx << "\" y2=\"" << ly + 3
     << "\" stroke=\"#c0392b\" stroke-width=\"2\"/>"
     << "<text class=\"legend\" x=\"" << lx + 10 << "\" y=\"" << ly
     << "\">signal (kilometre post)</text>\n";
  lx += 170;
  o_ << "<line x1=\"" << lx << "\" y1=\"" << ly - 4 << "\" x2=\"" << lx + 26 << "\" y2=\""
     << ly - 4 << "\" stroke=\"#8a5a2b\" stroke-width=\"7\" stroke-opacity=\"0.75\"/>"
     << "<text class=\"legend\" x=\"" << lx + 34 << "\" y=\"" << ly << "\">tunnel</text>\n";
  lx += 95;
  o_ << "<line x1=\"" << lx << "\" y1=\"" << ly - 4 << "\" x2=\"" << lx + 26 << "\" y2=\""
     << ly - 4 << "\" stroke=\"#ff8c00\" stroke-width=\"10\" stroke-opacity=\"0.8\"/>"
     << "<text class=\"legend\" x=\"" << lx + 34 << "\" y=\"" << ly << "\">slow-down</text>\n";
  lx += 115;
  o_ << "<line x1=\"" << lx << "\" y1=\"" << ly - 4 << "\" x2=\"" << lx + 26 << "\" y2=\""
     << ly - 4 << "\" stroke=\"#999\" stroke-width=\"1.5\" stroke-dasharray=\"5 4\"/>"
     << "<text class=\"legend\" x=\"" << lx + 34 << "\" y=\"" << ly
     << "\">track beyond the end of the route</text>\n";

  o_ << "<rect class=\"frame\" x=\"" << kMargine / 3 << "\" y=\"" << kPianoAlto << "\" width=\""
     << kLarghezza - 2 * kMargine / 3 << "\" height=\"" << kPianoBasso - kPianoAlto << "\"/>\n";
  disegna_piano();
  if (omesse_ > 0) {
    o_ << "<text class=\"subtitle\" x=\"" << kMargine << "\" y=\"" << kPianoBasso + 16 << "\">"
       << omesse_ << " station or slow-down labels found no free place</text>\n";
  }
  disegna_profilo();
  disegna_asse();
  o_ << "</svg>\n";
  return o_.str();
}

}  // namespace

int cmd_plot(const args_t& args) {
  opzioni_comando o;
  if (auto e = analizza_opzioni(args, {"--dir", "--line", "--train", "--out"}, {}, &o)) {
    std::cerr << "scenario-tool plot: " << *e << "\n" << kHelp;
    return kUsage;
  }
  if (o.aiuto) {
    std::cout << kHelp;
    return 0;
  }
  if (!o.posizionali.empty()) {
    std::cerr << "scenario-tool plot: unexpected argument '" << o.posizionali.front() << "'\n"
              << kHelp;
    return kUsage;
  }
  for (const char* nome : {"--dir", "--line", "--train", "--out"}) {
    if (o.valore(nome).empty()) {
      std::cerr << "scenario-tool plot: " << nome << " is required\n" << kHelp;
      return kUsage;
    }
  }
  const std::string dir = o.valore("--dir"), linea = o.valore("--line"),
                    treno = o.valore("--train"), out = o.valore("--out");
  const std::string f_sim = join_path(dir, nomi::sim(linea, treno));
  const std::string f_dat = join_path(dir, nomi::dat(linea, treno));
  const std::string f_linea = join_path(dir, nomi::linea_dat(linea));

  PosixFileSystem fs;
  scenario_letto s;
  std::string dati;
  auto leggi = [&](const std::string& path, auto decodifica) -> int {
    if (auto e = fs.read(path, &dati)) {
      std::cerr << e->path << ": " << e->reason << '\n';
      return 3;
    }
    if (auto e = decodifica()) {
      std::cerr << path << ": byte " << e->posizione << ": " << e->testo << '\n';
      return 1;
    }
    return 0;
  };
  if (int st = leggi(f_sim, [&] { return leggi_tabella_sim(dati, &s.tabella); })) return st;
  if (int st = leggi(f_dat, [&] { return leggi_percorso(dati, &s.celle); })) return st;
  if (int st = leggi(f_linea, [&] { return leggi_matrice_linea(dati, &s.piano); })) return st;

  // The three files must describe one route: its length in row 84 fixes the
  // number of cells and of plan points.
  const int32_t lunghezza = s.tabella[riga_treno].fine;
  if (lunghezza < 0 || lunghezza > 1000000) {
    std::cerr << f_sim << ": row 84 gives a route length of " << lunghezza
              << " m; a route is 0 to 1000000 m long\n";
    return 1;
  }
  const size_t celle = static_cast<size_t>(celle_da_lunghezza(lunghezza)) + 1;
  if (s.celle.size() != celle) {
    std::cerr << f_dat << ": holds " << s.celle.size() << " cells, but the route length of "
              << lunghezza << " m in " << f_sim << " (row 84) gives " << celle << '\n';
    return 1;
  }
  const int32_t punti = punti_da_lunghezza(lunghezza) + 1;
  if (s.piano.ultimo() + 1 != punti) {
    std::cerr << f_linea << ": holds " << s.piano.ultimo() + 1
              << " points, but the route length of " << lunghezza << " m in " << f_sim
              << " (row 84) gives " << punti << '\n';
    return 1;
  }

  disegno d(s, linea + " - " + treno);
  const std::string svg = d.svg();
  if (auto e = publish(fs, {OutputFile{out, svg}})) {
    std::cerr << e->path << ": " << e->reason << '\n';
    return 3;
  }
  return 0;
}

}  // namespace scenario::tool
