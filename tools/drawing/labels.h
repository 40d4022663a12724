// Placing labels beside markers on a page so that no label covers another,
// a marker, the line or a leader: candidate places are tried best first and
// the first free one is taken.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "drawing/geometry.h"

namespace scenario::disegno {

// Width on the page of a text in a sans-serif face of size `corpo`, from
// rough advance widths; bold text is about a tenth wider. Errs wide, which
// keeps labels apart.
double larghezza_testo(const std::string& t, double corpo, bool grassetto = false);

// A box on the page, possibly turned: centre, unit axis along its width,
// half width and half height.
struct scatola {
  punto c;
  double ux = 1, uy = 0;
  double mw = 0, mh = 0;

  static scatola diritta(double x0, double y0, double x1, double y1) {
    return {{(x0 + x1) / 2, (y0 + y1) / 2}, 1, 0, (x1 - x0) / 2, (y1 - y0) / 2};
  }
  bool contiene(punto p, double margine = 0) const;
  // Half extent along the unit axis (ax, ay).
  double raggio(double ax, double ay) const;
  // Separating axes: two boxes meet unless one of their four axes parts them.
  bool interseca(const scatola& o) const;
  double x0() const { return c.x - raggio(1, 0); }
  double x1() const { return c.x + raggio(1, 0); }
  double y0() const { return c.y - raggio(0, 1); }
  double y1() const { return c.y + raggio(0, 1); }
};

// What is already on the page, within the area labels may use.
class occupazione {
 public:
  explicit occupazione(rettangolo area) : area_(area) {}
  // A label: nothing may cover it, and no leader may cross it.
  void aggiungi(const scatola& r) { rett_.push_back(r); }
  // A leader: no other leader may cross it.
  void aggiungi_tratto(punto a, punto b) { tratti_.push_back({a, b}); }
  // A marker: no label may cover it; a leader may pass over it.
  void aggiungi_segno(const scatola& r) { segni_.push_back(r); }
  // A point of the line or of a leader: no label may cover it.
  void aggiungi_punto(punto p);

  bool incrocia(punto a, punto b) const;
  bool fuori_dai_rettangoli(const std::vector<punto>& punti) const;
  // Inside the area, clear of labels, markers and points.
  bool libero(const scatola& r) const;
  const std::vector<scatola>& etichette() const { return rett_; }

 private:
  static int cella(double v);
  static long long chiave(int gx, int gy) { return static_cast<long long>(gx) * 1000003LL + gy; }
  rettangolo area_;
  std::vector<scatola> rett_;
  std::vector<scatola> segni_;
  std::vector<std::pair<punto, punto>> tratti_;
  std::map<long long, std::vector<punto>> griglia_;
};

struct etichetta {
  std::string testo;
  double corpo = 10;             // text size
  double distanza_massima = 30;  // farthest from its marker, in pixels
  bool grassetto = false;
  bool inclinabile = false;  // may be turned by 45 degrees
  std::string classe;        // how the page styles it
};

// A label placed: its box, the turn of its text (degrees), the start of its
// baseline and, when it stands off its marker, the leader's two ends.
struct etichetta_posta {
  scatola box;
  double gradi = 0;
  punto inizio_testo;
  std::optional<std::pair<punto, punto>> linea_guida;
};

// Places `e` for the marker at `p`, whose line runs across the unit normal
// `n`, and records it in `occ`. With `lontano`, only places farther out than
// `e.distanza_massima` (up to 300 px) are tried, fanned out to both sides.
// Nothing when no candidate is free.
std::optional<etichetta_posta> metti_etichetta(occupazione& occ, punto p, punto n,
                                               const etichetta& e, bool lontano);

}  // namespace scenario::disegno
