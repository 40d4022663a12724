#include "drawing/svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "drawing/geometry.h"
#include "drawing/labels.h"
#include "drawing/posts.h"
#include "tool_support.h"

namespace scenario::disegno {

namespace {

using tool::xml_text;

// Page geometry, in SVG user units (pixels).
constexpr double kLarghezza = 1600;
constexpr double kMargine = 70;
constexpr double kSpazioEtichette = 64;  // kept free around the line for labels
constexpr double kCorsaMostrata = 1500;  // metres of run-off drawn after the route's end

std::string f1(double v) {
  if (!std::isfinite(v)) v = 0;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f", v);
  return buf;
}

std::string metri(int64_t m) { return std::to_string(m) + " m"; }

class pagina {
 public:
  pagina(const scenario_letto& s, const opzioni_svg& o) : s_(s), o_(o), occ_({}) {}
  esito_svg disegna();

 private:
  punto sul_piano(double metro) const {
    const punto q = piano_.a(metro);
    return {sx_ + scala_ * q.x, sy_ - scala_ * q.y};
  }
  punto normale(double metro) const;
  // The charts span the stretch drawn on the plan, run-off included.
  double x_profilo(double metro) const {
    return kMargine + (kLarghezza - 2 * kMargine) * (metro - da_) / std::max(1.0, fine_piano_ - da_);
  }
  bool in_finestra(double m) const { return m >= da_ && m <= fine_piano_; }
  std::string tracciato(double da, double a) const;
  void prepara_piano(double alto);
  void disegna_piano();
  void segno(const elemento& o);
  void etichette(std::vector<std::pair<double, etichetta>> v, bool obbligatorie);
  bool pianta(double metro, const etichetta& e, bool lontano, const char* classe = nullptr);
  void striscia_stazioni(double nomi, double alto, double basso);
  double disegna_profili(double alto);
  double disegna_asse(double y);
  double elenco(double y);

  const scenario_letto& s_;
  const opzioni_svg& o_;
  std::ostringstream b_;  // the page's body
  piano_girato piano_;
  occupazione occ_;
  chilometrica km_;
  std::vector<elemento> elementi_;
  double lunghezza_ = 0, da_ = 0, a_ = 0, fine_piano_ = 0;
  double scala_ = 1, sx_ = 0, sy_ = 0;
  double piano_alto_ = 0, piano_basso_ = 0;
  int omesse_ = 0;
  std::vector<std::string> posti_non_scritti_;
};

punto pagina::normale(double metro) const {
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

std::string pagina::tracciato(double da, double a) const {
  // One vertex per screen pixel or so: enough for the curves, small enough
  // for the page to load quickly.
  const double passo = std::max(1.0, 1.0 / std::max(scala_, 1e-9));
  const auto punti = linea_assottigliata(piano_, da, a, passo, 1.5, [&](punto q) {
    return punto{sx_ + scala_ * q.x, sy_ - scala_ * q.y};
  });
  std::string d;
  for (const punto& p : punti) {
    d += d.empty() ? "M" : " L";
    d += f1(p.x) + "," + f1(p.y);
  }
  return d;
}

void pagina::prepara_piano(double alto) {
  const rettangolo e = piano_.estensione(da_, fine_piano_);
  const double w = kLarghezza - 2 * kMargine - 2 * kSpazioEtichette;
  const double da = std::max(e.larghezza(), 1.0), db = std::max(e.altezza(), 1.0);
  // The frame takes the route's shape: as tall as the plan needs at the
  // width of the page, but at least 160 px (room for labels on a flat line)
  // and at most 720 px (a route that runs mostly across is scaled down).
  const double h = std::clamp(w * db / da, 160.0, 720.0);
  scala_ = std::min(w / da, h / db);
  piano_alto_ = alto;
  piano_basso_ = alto + h + 2 * kSpazioEtichette;
  sx_ = kMargine + kSpazioEtichette + (w - scala_ * da) / 2 - scala_ * e.x0;
  sy_ = alto + kSpazioEtichette + (h - scala_ * db) / 2 + scala_ * e.y1;
  occ_ = occupazione({kMargine / 3, piano_alto_, kLarghezza - kMargine / 3, piano_basso_});
}

void pagina::segno(const elemento& o) {
  const punto p = sul_piano(o.metro);
  const punto n = normale(o.metro);
  const std::string titolo = "<title>" + xml_text(std::string(descrizione_genere(o.tipo)) +
                                                   (o.nome.empty() ? "" : " " + o.nome) + " at " +
                                                   metri(o.metro) + " (post " +
                                                   testo_post(km_.post(o.metro)) + ")") +
                             "</title>";
  auto bar = [&](double da, double a) {
    return std::make_pair(punto{p.x + da * n.x, p.y + da * n.y}, punto{p.x + a * n.x, p.y + a * n.y});
  };
  const char* cls = nome_genere(o.tipo);
  switch (o.tipo) {
    case genere::segnale: {
      // A short bar across the line, with the signal's head on the left.
      const auto [a, b] = bar(-6, 9);
      b_ << "<path class=\"signal\" d=\"M" << f1(a.x) << "," << f1(a.y) << " L" << f1(b.x) << ","
         << f1(b.y) << "\">" << titolo << "</path>\n"
         << "<circle class=\"signal-head\" cx=\"" << f1(b.x) << "\" cy=\"" << f1(b.y)
         << "\" r=\"2.2\"/>\n";
      occ_.aggiungi_segno(scatola::diritta(std::min(a.x, b.x) - 2, std::min(a.y, b.y) - 2,
                                           std::max(a.x, b.x) + 2, std::max(a.y, b.y) + 2));
      break;
    }
    case genere::stazione:
      b_ << "<circle class=\"station\" cx=\"" << f1(p.x) << "\" cy=\"" << f1(p.y)
         << "\" r=\"4.5\">" << titolo << "</circle>\n";
      occ_.aggiungi_segno(scatola::diritta(p.x - 6, p.y - 6, p.x + 6, p.y + 6));
      break;
    case genere::cartello:
    case genere::indicatore_velocita:
    case genere::abbattimento:
    case genere::tabella_derivata:
    case genere::avviso: {
      // Boards stand on the right of the line, on a short post.
      const auto [a, b] = bar(0, -12);
      b_ << "<g class=\"" << cls << "\">" << titolo << "<line x1=\"" << f1(a.x) << "\" y1=\""
         << f1(a.y) << "\" x2=\"" << f1(b.x) << "\" y2=\"" << f1(b.y) << "\"/>";
      if (o.tipo == genere::avviso) {
        b_ << "<path d=\"M" << f1(b.x) << "," << f1(b.y - 4) << " L" << f1(b.x + 4) << ","
           << f1(b.y + 3) << " L" << f1(b.x - 4) << "," << f1(b.y + 3) << " Z\"/>";
      } else if (o.tipo == genere::indicatore_velocita) {
        b_ << "<path d=\"M" << f1(b.x) << "," << f1(b.y - 4) << " L" << f1(b.x + 4) << ","
           << f1(b.y) << " L" << f1(b.x) << "," << f1(b.y + 4) << " L" << f1(b.x - 4) << ","
           << f1(b.y) << " Z\"/>";
      } else if (o.tipo == genere::cartello) {
        b_ << "<rect x=\"" << f1(b.x - 3.5) << "\" y=\"" << f1(b.y - 3.5)
           << "\" width=\"7\" height=\"7\"/>";
      } else {
        b_ << "<circle cx=\"" << f1(b.x) << "\" cy=\"" << f1(b.y) << "\" r=\"3\"/>";
      }
      b_ << "</g>\n";
      occ_.aggiungi_segno(scatola::diritta(std::min(a.x, b.x) - 4, std::min(a.y, b.y) - 4,
                                           std::max(a.x, b.x) + 4, std::max(a.y, b.y) + 4));
      break;
    }
    case genere::preavviso:
    case genere::avvicinamento: {
      const auto [a, b] = bar(-3, 3);
      b_ << "<path class=\"" << cls << "\" d=\"M" << f1(a.x) << "," << f1(a.y) << " L"
         << f1(b.x) << "," << f1(b.y) << "\">" << titolo << "</path>\n";
      break;
    }
    case genere::galleria:
    case genere::rallentamento: {
      // Cut to the stretch drawn.
      const double da = std::max<double>(o.metro, da_);
      const double a = std::max(da + 1, std::min<double>(o.metro_fine, fine_piano_));
      b_ << "<path class=\"" << cls << "\" d=\"" << tracciato(da, a) << "\"><title>"
         << xml_text(std::string(descrizione_genere(o.tipo)) + (o.nome.empty() ? "" : " " + o.nome) +
                      ", " + metri(o.metro) + " - " + metri(o.metro_fine))
         << "</title></path>\n";
      break;
    }
  }
}

void pagina::disegna_piano() {
  const double fine_rotta = std::min<double>(std::min(lunghezza_, a_), fine_piano_);
  // The line, and the track beyond the end of the route.
  b_ << "<path class=\"line\" d=\"" << tracciato(da_, fine_rotta) << "\"/>\n";
  if (fine_piano_ > fine_rotta) {
    b_ << "<path class=\"runoff\" d=\"" << tracciato(fine_rotta, fine_piano_) << "\"/>\n";
  }
  for (double m = da_; m <= fine_piano_; m += std::max(1.0, 8 / std::max(scala_, 1e-9))) {
    occ_.aggiungi_punto(sul_piano(m));
  }

  std::vector<std::pair<double, etichetta>> nomi, secondarie, segnali;
  // Stretches first, point marks over them, stations last on top.
  for (int passata = 0; passata < 3; ++passata) {
    for (const elemento& o : elementi_) {
      const bool tratto = o.tipo == genere::galleria || o.tipo == genere::rallentamento;
      const int mia = tratto ? 0 : o.tipo == genere::stazione ? 2 : 1;
      if (mia != passata) continue;
      if (tratto ? (o.metro_fine < da_ || o.metro > fine_piano_) : !in_finestra(o.metro)) continue;
      segno(o);
      switch (o.tipo) {
        case genere::stazione:
          nomi.push_back({static_cast<double>(o.metro), {o.nome, 11.5, 72, true, true, "label-station"}});
          break;
        case genere::rallentamento:
          nomi.push_back({std::max<double>(o.metro, da_),
                          {"slow-down " + o.nome + ", " + metri(o.metro_fine - o.metro), 12, 72, true, false, "label-slowdown"}});
          break;
        case genere::galleria:
          // Every tunnel the same way: its name, or its length when no board names it.
          secondarie.push_back({(std::max<double>(o.metro, da_) + std::min<double>(o.metro_fine, fine_piano_)) / 2,
                                {o.nome.empty() ? metri(o.metro_fine - o.metro) : o.nome,
                                 10, 54, false, true, "label-tunnel"}});
          break;
        case genere::cartello:
        case genere::indicatore_velocita:
        case genere::abbattimento:
        case genere::avviso:
          secondarie.push_back({static_cast<double>(o.metro), {o.nome, 8.5, 40, false, false, "label-board"}});
          break;
        case genere::segnale:
          segnali.push_back({static_cast<double>(o.metro), {testo_post(km_.post(o.metro)), 8.5, 30, false, false, "label-signal"}});
          break;
        default:
          break;
      }
    }
  }
  // Names first: they are what a reader looks for; then the signal posts,
  // then tunnel and board names where room is left.
  std::stable_sort(nomi.begin(), nomi.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  etichette(nomi, true);
  for (const auto& [m, e] : segnali) {
    if (!pianta(m, e, false) && !pianta(m, e, true)) posti_non_scritti_.push_back(e.testo);
  }
  etichette(secondarie, false);
}

bool pagina::pianta(double metro, const etichetta& e, bool lontano, const char* classe) {
  const auto posta = metti_etichetta(occ_, sul_piano(metro), normale(metro), e, lontano);
  if (!posta) return false;
  if (posta->linea_guida) {
    const auto& [p, q] = *posta->linea_guida;
    b_ << "<line class=\"leader\" x1=\"" << f1(p.x) << "\" y1=\"" << f1(p.y) << "\" x2=\""
       << f1(q.x) << "\" y2=\"" << f1(q.y) << "\"/>\n";
  }
  const punto& i = posta->inizio_testo;
  const std::string cls = classe ? classe : e.classe;
  b_ << "<text class=\"" << cls << "\" x=\"" << f1(i.x) << "\" y=\"" << f1(i.y) << "\"";
  if (posta->gradi != 0) {
    b_ << " transform=\"rotate(" << posta->gradi << " " << f1(i.x) << " " << f1(i.y) << ")\"";
  }
  b_ << ">" << xml_text(e.testo) << "</text>\n";
  return true;
}

void pagina::etichette(std::vector<std::pair<double, etichetta>> v, bool obbligatorie) {
  for (const auto& [m, e] : v) {
    // Secondary labels that find no room close by are left out.
    if (e.testo.empty() || pianta(m, e, false) || !obbligatorie) continue;
    // Rather than hide a name, write it farther out, at the first place free
    // of other labels, with a leader back to its marker.
    if (!pianta(m, e, true)) ++omesse_;
  }
}

void pagina::striscia_stazioni(double nomi, double alto, double basso) {
  // Station names above the charts, turned upright and ending at `nomi`,
  // each at its position, with a faint line down through the charts; a name
  // that would touch the previous one is left out and counted.
  double ultimo = -1e9;
  for (const elemento& o : elementi_) {
    if (o.tipo != genere::stazione || o.metro < da_ || o.metro > fine_piano_) continue;
    const double x = x_profilo(o.metro);
    if (x - ultimo >= 12) {
      b_ << "<text class=\"profile-station\" x=\"" << f1(x + 3.5) << "\" y=\"" << f1(nomi)
         << "\" transform=\"rotate(-90 " << f1(x + 3.5) << " " << f1(nomi) << ")\">"
         << xml_text(o.nome) << "</text>\n";
      ultimo = x;
    } else {
      ++omesse_;
    }
    b_ << "<line class=\"station-line\" x1=\"" << f1(x) << "\" y1=\"" << f1(alto) << "\" x2=\""
       << f1(x) << "\" y2=\"" << f1(basso) << "\"/>\n";
  }
}

double pagina::disegna_profili(double alto) {
  const auto& celle = s_.celle;
  const size_t n = celle_profilo(s_);
  const double sinistra = kMargine, destra = kLarghezza - kMargine;
  const size_t c0 = static_cast<size_t>(std::max(0.0, std::floor(da_ / 50)));
  const size_t c1 = std::min(n, static_cast<size_t>(std::max(0.0, std::ceil(a_ / 50))));
  auto x_cella = [&](size_t c) {
    return x_profilo(std::clamp(50.0 * static_cast<double>(c), da_, a_));
  };
  double lungo = 0;
  for (const elemento& o : elementi_) {
    if (o.tipo == genere::stazione && o.metro >= da_ && o.metro <= fine_piano_) {
      lungo = std::max(lungo, larghezza_testo(o.nome, 9.5));
    }
  }
  const double nomi = alto + std::min(lungo, 200.0);
  const double vel_alto = nomi + 26, vel_basso = vel_alto + 140;
  const double pend_alto = vel_basso + 40, pend_basso = pend_alto + 110;
  const double ad_alto = pend_basso + 40, ad_basso = ad_alto + 70;
  striscia_stazioni(nomi, vel_alto, ad_basso);

  // Speed limit.
  int vmax = 160;
  for (size_t c = c0; c < c1; ++c) vmax = std::max(vmax, velocita_kmh(celle[c]));
  vmax = (vmax + 19) / 20 * 20;
  auto y_vel = [&](double v) { return vel_basso - (vel_basso - vel_alto) * v / vmax; };
  b_ << "<text class=\"chart-title\" x=\"" << sinistra << "\" y=\"" << vel_alto - 10
     << "\">Speed limit (km/h); slow-downs shaded</text>\n";
  for (int v = 0; v <= vmax; v += 40) {
    b_ << "<line class=\"grid\" x1=\"" << sinistra << "\" y1=\"" << f1(y_vel(v)) << "\" x2=\""
       << destra << "\" y2=\"" << f1(y_vel(v)) << "\"/>\n"
       << "<text class=\"tick\" x=\"" << sinistra - 6 << "\" y=\"" << f1(y_vel(v) + 3)
       << "\" text-anchor=\"end\">" << v << "</text>\n";
  }
  for (const elemento& o : elementi_) {
    if (o.tipo != genere::rallentamento || o.metro_fine < da_ || o.metro > fine_piano_) continue;
    const double x0 = x_profilo(std::max<double>(o.metro, da_));
    const double x1 = std::max(x0 + 2, x_profilo(std::min<double>(o.metro_fine, fine_piano_)));
    const int v = std::atoi(o.nome.c_str());
    b_ << "<rect class=\"slowdown-band\" x=\"" << f1(x0) << "\" y=\"" << vel_alto << "\" width=\""
       << f1(x1 - x0) << "\" height=\"" << vel_basso - vel_alto << "\"/>\n"
       << "<line class=\"slowdown-speed\" x1=\"" << f1(x0) << "\" y1=\"" << f1(y_vel(v))
       << "\" x2=\"" << f1(x1) << "\" y2=\"" << f1(y_vel(v)) << "\"/>\n"
       << "<text class=\"label-slowdown\" x=\"" << f1(x1 + 4) << "\" y=\"" << f1(y_vel(v) + 4)
       << "\">" << v << "</text>\n";
  }
  auto gradini = [&](auto valore, auto y) {
    std::string d;
    for (size_t c = c0; c < c1; ++c) {
      const double yy = y(valore(celle[c]));
      d += d.empty() ? "M" : " L";
      d += f1(x_cella(c)) + "," + f1(yy) + " L" + f1(x_cella(c + 1)) +
           "," + f1(yy);
    }
    return d;
  };
  if (c1 > c0) {
    b_ << "<path class=\"speed\" d=\""
       << gradini([](const cella& c) { return velocita_kmh(c); }, y_vel) << "\"/>\n";
  }

  // Gradient in per mille, signed: rising above the level line.
  int gmax = 10;
  for (size_t c = c0; c < c1; ++c) gmax = std::max(gmax, std::abs(pendenza_per_mille(celle[c])));
  gmax = (gmax + 4) / 5 * 5;
  const double mezzo = (pend_alto + pend_basso) / 2;
  auto y_pend = [&](double g) { return mezzo - (pend_basso - pend_alto) / 2 * g / gmax; };
  b_ << "<text class=\"chart-title\" x=\"" << sinistra << "\" y=\"" << pend_alto - 10
     << "\">Gradient (\u2030, + rising)</text>\n";
  for (int g : {-gmax, 0, gmax}) {
    b_ << "<line class=\"" << (g == 0 ? "level" : "grid") << "\" x1=\"" << sinistra << "\" y1=\""
       << f1(y_pend(g)) << "\" x2=\"" << destra << "\" y2=\"" << f1(y_pend(g)) << "\"/>\n"
       << "<text class=\"tick\" x=\"" << sinistra - 6 << "\" y=\"" << f1(y_pend(g) + 3)
       << "\" text-anchor=\"end\">" << (g > 0 ? "+" : "") << g << "</text>\n";
  }
  if (c1 > c0) {
    b_ << "<path class=\"gradient\" d=\"M" << f1(x_cella(c0)) << "," << f1(y_pend(0)) << " "
       << gradini([](const cella& c) { return pendenza_per_mille(c); }, y_pend).substr(1) << " L"
       << f1(x_cella(c1)) << "," << f1(y_pend(0)) << " Z\"/>\n";
  }

  // Adhesion, as stored.
  int amax = 100;
  for (size_t c = c0; c < c1; ++c) amax = std::max<int>(amax, celle[c].aderenza);
  auto y_ad = [&](double v) { return ad_basso - (ad_basso - ad_alto) * v / amax; };
  b_ << "<text class=\"chart-title\" x=\"" << sinistra << "\" y=\"" << ad_alto - 10
     << "\">Adhesion</text>\n";
  for (int v : {0, amax}) {
    b_ << "<line class=\"grid\" x1=\"" << sinistra << "\" y1=\"" << f1(y_ad(v)) << "\" x2=\""
       << destra << "\" y2=\"" << f1(y_ad(v)) << "\"/>\n"
       << "<text class=\"tick\" x=\"" << sinistra - 6 << "\" y=\"" << f1(y_ad(v) + 3)
       << "\" text-anchor=\"end\">" << v << "</text>\n";
  }
  if (c1 > c0) {
    b_ << "<path class=\"adhesion\" d=\""
       << gradini([](const cella& c) { return static_cast<int>(c.aderenza); }, y_ad) << "\"/>\n";
  }
  return ad_basso;
}

double pagina::disegna_asse(double y) {
  const double sinistra = kMargine, destra = kLarghezza - kMargine;
  b_ << "<line class=\"axis\" x1=\"" << sinistra << "\" y1=\"" << y << "\" x2=\"" << destra
     << "\" y2=\"" << y << "\"/>\n";
  const double px = (destra - sinistra) / std::max(1.0, fine_piano_ - da_);
  for (const tacca& t : tacche_asse(km_, static_cast<int64_t>(da_), static_cast<int64_t>(fine_piano_) + 1, px, 64)) {
    const double x = x_profilo(static_cast<double>(t.metro));
    b_ << "<line class=\"" << (t.inizio_zona ? "zone-tick" : "tick-line") << "\" x1=\"" << f1(x)
       << "\" y1=\"" << y << "\" x2=\"" << f1(x) << "\" y2=\"" << y + (t.inizio_zona ? 12 : 7)
       << "\"/>\n";
    if (!t.testo.empty()) {
      b_ << "<text class=\"" << (t.inizio_zona ? "tick zone-label" : "tick") << "\" x=\"" << f1(x)
         << "\" y=\"" << y + 24 << "\" text-anchor=\"" << (t.metro == static_cast<int64_t>(da_) ? "start" : "middle")
         << "\">" << t.testo << "</text>\n";
    }
  }
  b_ << "<text class=\"chart-title\" x=\"" << sinistra << "\" y=\"" << y + 46
     << "\">Kilometre posts (km+m), route " << f1(da_ / 1000) << " to " << f1(fine_piano_ / 1000)
     << " km; dashed ticks mark where a chainage zone begins</text>\n";
  return y + 60;
}

double pagina::elenco(double y) {
  // What the plan could not label, written out so that nothing is lost.
  if (posti_non_scritti_.empty()) return y;
  // A long route drawn whole can leave thousands: a few lines of them, then
  // how to see the rest.
  constexpr size_t kRigheMassime = 4;
  std::string riga = "Signals at posts (no room on the plan): ";
  std::vector<std::string> righe;
  const size_t n = posti_non_scritti_.size();
  for (size_t i = 0; i < n; ++i) {
    const std::string pezzo = posti_non_scritti_[i] + (i + 1 < n ? ", " : "");
    if (larghezza_testo(riga + pezzo, 11) > kLarghezza - 2 * kMargine) {
      righe.push_back(riga);
      riga.clear();
      if (righe.size() == kRigheMassime) {
        riga = "... and " + std::to_string(n - i) +
               " more: draw a stretch with --from and --to, or see them all with `scenario-tool view`";
        break;
      }
    }
    riga += pezzo;
  }
  righe.push_back(riga);
  for (const auto& r : righe) {
    y += 16;
    b_ << "<text class=\"legend\" x=\"" << kMargine << "\" y=\"" << y << "\">" << xml_text(r)
       << "</text>\n";
  }
  return y + 10;
}

esito_svg pagina::disegna() {
  lunghezza_ = s_.lunghezza();
  km_ = chilometrica(s_.tabella);
  piano_ = piano_girato(s_.piano, static_cast<int32_t>(lunghezza_));
  elementi_ = elementi_percorso(s_);
  const double fine_corsa =
      piano_.vuoto() ? lunghezza_ : std::min<double>(piano_.ultimo(), lunghezza_ + kCorsaMostrata);
  da_ = std::clamp<double>(o_.da.value_or(0), 0, lunghezza_);
  a_ = std::clamp<double>(o_.a.value_or(static_cast<int64_t>(lunghezza_)), da_, lunghezza_);
  if (o_.a && *o_.a > lunghezza_) a_ = lunghezza_;
  // The run-off is drawn only when the stretch reaches the route's end.
  fine_piano_ = a_ >= lunghezza_ ? std::max(a_, fine_corsa) : a_;
  if (!piano_.vuoto()) fine_piano_ = std::min<double>(fine_piano_, piano_.ultimo());
  fine_piano_ = std::max(fine_piano_, da_);

  int conta[numero_generi] = {};
  for (const elemento& o : elementi_) {
    if (o.metro_fine >= da_ && o.metro <= fine_piano_) ++conta[static_cast<int>(o.tipo)];
  }
  double y = 34;
  b_ << "<text class=\"title\" x=\"" << kMargine << "\" y=\"" << y << "\">" << xml_text(o_.titolo)
     << "</text>\n";
  y += 20;
  // "1 tunnel", "2 tunnels": the count of one kind with its name.
  auto n = [&](genere g, const char* nome, const char* nomi) {
    const int k = conta[static_cast<int>(g)];
    return std::to_string(k) + " " + (k == 1 ? nome : nomi);
  };
  b_ << "<text class=\"subtitle\" x=\"" << kMargine << "\" y=\"" << y << "\">"
     << f1(lunghezza_ / 1000) << " km route"
     << (da_ > 0 || a_ < lunghezza_ ? ", drawn from " + testo_post(km_.post(static_cast<int64_t>(da_))) +
                                          " to " + testo_post(km_.post(static_cast<int64_t>(a_)))
                                    : std::string())
     << ": " << n(genere::stazione, "station", "stations") << ", "
     << n(genere::segnale, "signal", "signals") << ", " << n(genere::galleria, "tunnel", "tunnels")
     << ", " << n(genere::rallentamento, "slow-down", "slow-downs") << ", "
     << n(genere::cartello, "text board", "text boards") << ", "
     << n(genere::indicatore_velocita, "speed-indicator board", "speed-indicator boards") << ", "
     << n(genere::abbattimento, "abbattimento point", "abbattimento points") << ", "
     << n(genere::tabella_derivata, "derived speed board", "derived speed boards") << ", "
     << n(genere::avviso, "warning board", "warning boards") << ".</text>\n";

  // Faults of the compile and misfits of the files, before anything else:
  // every error, and the first few warnings (a long route's sources may
  // carry hundreds, which would push the drawing off the page).
  constexpr int kAvvisiMostrati = 5;
  int avvisi = 0, taciuti = 0;
  auto riga_banner = [&](const std::string& testo) {
    y += 17;
    b_ << "<text class=\"banner\" x=\"" << kMargine << "\" y=\"" << y << "\">" << xml_text(testo)
       << "</text>\n";
  };
  for (const Diagnostic& d : s_.diagnostiche) {
    if (d.severity != Severity::kError && avvisi++ >= kAvvisiMostrati) {
      ++taciuti;
      continue;
    }
    riga_banner(format_diagnostic(d));
  }
  if (taciuti > 0) {
    riga_banner("... and " + std::to_string(taciuti) + " more warnings or notes; `scenario-tool check` lists them all");
  }

  // Legend: its markers have classes of their own, so that only the route's
  // markers carry "station", "signal" and the others.
  y += 22;
  double lx = kMargine;
  auto voce = [&](const std::string& disegno, const std::string& testo, double largo) {
    b_ << "<g transform=\"translate(" << lx << " " << y << ")\">" << disegno
       << "<text class=\"legend\" x=\"18\" y=\"4\">" << xml_text(testo) << "</text></g>\n";
    lx += largo;
  };
  voce("<circle cx=\"5\" cy=\"0\" r=\"4.5\" fill=\"#fff\" stroke=\"#1f5fbf\" stroke-width=\"2.5\"/>", "station", 78);
  voce("<line x1=\"5\" y1=\"-7\" x2=\"5\" y2=\"6\" stroke=\"#c0392b\" stroke-width=\"2\"/>", "signal (post)", 100);
  voce("<line x1=\"-6\" y1=\"0\" x2=\"14\" y2=\"0\" stroke=\"#8a5a2b\" stroke-width=\"7\" stroke-opacity=\"0.75\"/>", "tunnel", 70);
  voce("<line x1=\"-6\" y1=\"0\" x2=\"14\" y2=\"0\" stroke=\"#ff8c00\" stroke-width=\"10\" stroke-opacity=\"0.8\"/>", "slow-down", 90);
  voce("<rect x=\"1.5\" y=\"-3.5\" width=\"7\" height=\"7\" fill=\"#6a1b9a\"/>", "text board", 86);
  voce("<path d=\"M5,-4 L9,0 L5,4 L1,0 Z\" fill=\"#00838f\"/>", "speed-indicator board", 160);
  voce("<circle cx=\"5\" cy=\"0\" r=\"3\" fill=\"#2e7d32\"/>", "abbattimento point", 136);
  voce("<circle cx=\"5\" cy=\"0\" r=\"3\" fill=\"#fff\" stroke=\"#777\"/>", "speed board added by the derivation", 236);
  voce("<path d=\"M5,-4 L9,3 L1,3 Z\" fill=\"#ff8c00\"/>", "warning board", 104);
  voce("<line x1=\"5\" y1=\"-4\" x2=\"5\" y2=\"4\" stroke=\"#ff8c00\" stroke-width=\"2\"/>", "advance mark", 100);
  voce("<line x1=\"5\" y1=\"-4\" x2=\"5\" y2=\"4\" stroke=\"#1f5fbf\" stroke-width=\"1.2\"/>", "approach mark", 100);
  y += 18;
  lx = kMargine;
  if (fine_piano_ > lunghezza_) voce("<line x1=\"-6\" y1=\"0\" x2=\"14\" y2=\"0\" stroke=\"#999\" stroke-width=\"1.5\" stroke-dasharray=\"5 4\"/>",
       "track beyond the end of the route: the first " + f1(kCorsaMostrata / 1000) + " km of " +
           f1((piano_.ultimo() - lunghezza_) / 1000) + " km of run-off",
       400);

  prepara_piano(y + 14);
  b_ << "<rect class=\"frame\" x=\"" << kMargine / 3 << "\" y=\"" << piano_alto_ << "\" width=\""
     << kLarghezza - 2 * kMargine / 3 << "\" height=\"" << piano_basso_ - piano_alto_ << "\"/>\n";
  if (piano_.vuoto()) {
    // Every object still gets its marker and read-out, all at one place.
    b_ << "<text class=\"banner\" x=\"" << kMargine << "\" y=\"" << piano_alto_ + 30
       << "\">The track plan holds no point that can be drawn.</text>\n";
  }
  disegna_piano();
  y = piano_basso_;
  if (omesse_ > 0) {
    y += 16;
    b_ << "<text class=\"subtitle\" x=\"" << kMargine << "\" y=\"" << y << "\">" << omesse_
       << " station or slow-down labels found no free place</text>\n";
  }
  y = elenco(y + 4);
  y = disegna_profili(y + 10);
  y = disegna_asse(y + 16);

  std::ostringstream out;
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kLarghezza << "\" height=\""
      << f1(y) << "\" viewBox=\"0 0 " << kLarghezza << " " << f1(y) << "\">\n"
      << "<style>\n"
         "text { font-family: 'DejaVu Sans', Arial, Helvetica, sans-serif; fill: #222; }\n"
         ".title { font-size: 20px; font-weight: bold; }\n"
         ".subtitle { font-size: 12px; fill: #555; }\n"
         ".banner { font-size: 12px; font-weight: bold; fill: #b00020; }\n"
         ".line { fill: none; stroke: #2b2b2b; stroke-width: 2.2; stroke-linejoin: round; }\n"
         ".runoff { fill: none; stroke: #999; stroke-width: 1.5; stroke-dasharray: 5 4; }\n"
         ".tunnel { fill: none; stroke: #8a5a2b; stroke-width: 7; stroke-opacity: 0.75; "
         "stroke-linecap: butt; }\n"
         ".slowdown { fill: none; stroke: #ff8c00; stroke-width: 12; stroke-opacity: 0.8; }\n"
         ".signal { stroke: #c0392b; stroke-width: 2; }\n"
         ".signal-head { fill: #c0392b; }\n"
         ".station { fill: #fff; stroke: #1f5fbf; stroke-width: 2.5; }\n"
         ".text-board { fill: #6a1b9a; stroke: #6a1b9a; stroke-width: 1; }\n"
         ".speed-indicator { fill: #00838f; stroke: #00838f; stroke-width: 1; }\n"
         ".abbattimento { fill: #2e7d32; stroke: #2e7d32; stroke-width: 1; }\n"
         ".derived-board { fill: #fff; stroke: #777; stroke-width: 1; }\n"
         ".warning-board { fill: #ff8c00; stroke: #c46a00; stroke-width: 1; }\n"
         ".advance-mark { stroke: #ff8c00; stroke-width: 2; }\n"
         ".approach-mark { stroke: #1f5fbf; stroke-width: 1.2; }\n"
         ".leader { stroke: #888; stroke-width: 0.7; }\n"
         ".label-station { font-size: 11.5px; font-weight: bold; fill: #1f3f7f; }\n"
         ".label-slowdown { font-size: 12px; font-weight: bold; fill: #c46a00; }\n"
         ".label-tunnel { font-size: 10px; font-style: italic; fill: #7a4a1b; }\n"
         ".label-signal { font-size: 8.5px; fill: #a03020; }\n"
         ".label-board { font-size: 8.5px; fill: #4a2a6a; }\n"
         ".profile-station { font-size: 9.5px; fill: #1f3f7f; }\n"
         ".chart-title { font-size: 12px; font-weight: bold; fill: #333; }\n"
         ".tick { font-size: 10px; fill: #444; }\n"
         ".zone-label { fill: #1f5fbf; font-weight: bold; }\n"
         ".grid { stroke: #ddd; stroke-width: 1; }\n"
         ".level { stroke: #888; stroke-width: 1; }\n"
         ".axis { stroke: #444; stroke-width: 1.2; }\n"
         ".tick-line { stroke: #444; stroke-width: 1; }\n"
         ".zone-tick { stroke: #1f5fbf; stroke-width: 1.5; stroke-dasharray: 3 2; }\n"
         ".speed { fill: none; stroke: #2e7d32; stroke-width: 1.8; }\n"
         ".gradient { fill: #b0bec5; stroke: #546e7a; stroke-width: 1; }\n"
         ".adhesion { fill: none; stroke: #6d4c41; stroke-width: 1.5; }\n"
         ".slowdown-band { fill: #ff8c00; fill-opacity: 0.18; }\n"
         ".slowdown-speed { stroke: #ff8c00; stroke-width: 2.5; }\n"
         ".station-line { stroke: #1f5fbf; stroke-opacity: 0.22; stroke-width: 1; }\n"
         ".legend { font-size: 11px; fill: #333; }\n"
         ".frame { fill: none; stroke: #ccc; }\n"
         "</style>\n"
      << "<rect x=\"0\" y=\"0\" width=\"" << kLarghezza << "\" height=\"" << f1(y)
      << "\" fill=\"#fff\"/>\n"
      << b_.str() << "</svg>\n";
  return {out.str(), omesse_, static_cast<int>(posti_non_scritti_.size())};
}

}  // namespace

esito_svg disegna_svg(const scenario_letto& s, const opzioni_svg& o) {
  pagina p(s, o);
  return p.disegna();
}

std::optional<int64_t> leggi_chilometro(const std::string& testo, const chilometrica& km,
                                        int64_t lunghezza) {
  if (testo.empty()) return std::nullopt;
  const size_t piu = testo.find('+');
  char* fine = nullptr;
  if (piu == std::string::npos) {
    const double v = std::strtod(testo.c_str(), &fine);
    if (fine != testo.c_str() + testo.size() || !std::isfinite(v)) return std::nullopt;
    return static_cast<int64_t>(std::llround(v * 1000));
  }
  const std::string a = testo.substr(0, piu), b = testo.substr(piu + 1);
  if (a.empty() || b.empty() || b.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
  const long long k = std::strtoll(a.c_str(), &fine, 10);
  if (fine != a.c_str() + a.size()) return std::nullopt;
  const long long m = std::strtoll(b.c_str(), nullptr, 10);
  const int64_t post = (a[0] == '-' ? -1 : 1) * (std::llabs(k) * 1000 + m);
  for (const auto& t : tratti_chilometrici(km, 0, lunghezza + 1)) {
    const int64_t d = (post - t.post_inizio) * t.verso;
    if (d >= 0 && t.inizio + d < t.fine) return t.inizio + d;
  }
  return std::nullopt;
}

}  // namespace scenario::disegno
