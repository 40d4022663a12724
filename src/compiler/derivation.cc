#include "compiler/derivation.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace scenario {

namespace {

constexpr int16_t velocita_cartello = 180;
// A slow-down below this speed gets boards every 400 m along its stretch.
constexpr int16_t velocita_tratto_lento = 110;

using oggetto::avviso_rallentamento;
using oggetto::cartello_velocita;
using oggetto::fine_rallentamento;
using oggetto::inizio_rallentamento;
using oggetto::segnale;

std::string metri(int32_t c) {
  return "cell " + std::to_string(c) + ", metres " + std::to_string(c * 50) + " to " + std::to_string(c * 50 + 49);
}

class derivazione {
 public:
  explicit derivazione(stato_compilazione& s) : s_(s), ultima_(s.ultima_cella()) {}

  void esegui() {
    for (int32_t i = 1; i <= ultima_ - 2; ++i) {
      const uint8_t t = z(i).tipo;
      if (t == avviso_rallentamento) segnali_prima_dell_avviso(i);
      if (t == inizio_rallentamento) {
        cartelli_prima_dell_inizio(i);
        const int32_t fine = z(i).dato1 < velocita_tratto_lento ? cartelli_nel_tratto(i)
                                                                : fine_del_tratto(i);
        cartello_dopo_il_tratto(fine, i);
      }
    }
  }

 private:
  cella& z(int32_t c) { return s_.percorso[static_cast<size_t>(c)]; }
  bool dentro(int32_t c) const { return c >= 0 && c <= ultima_; }
  bool libera_in(int32_t c) { return dentro(c) && libera(z(c)); }
  // A board of 180 on cell c, placed because of the object in cell `causa`.
  void poni_cartello(int32_t c, int32_t causa) {
    z(c).tipo = cartello_velocita;
    z(c).dato1 = velocita_cartello;
    if (static_cast<size_t>(c) < s_.origine_cella.size() && static_cast<size_t>(causa) < s_.origine_cella.size()) {
      s_.origine_cella[static_cast<size_t>(c)] = s_.origine_cella[static_cast<size_t>(causa)];
    }
  }
  // "the slow-down at 1450 m (cell 30, metres 1500 to 1549)": the position
  // as the row wrote it, when a row placed the object in cell c.
  std::string oggetto_in(const char* che_cosa, int32_t c) const {
    std::string out = std::string("the ") + che_cosa;
    if (!origine(c).file.empty()) {
      return out + " at " + std::to_string(s_.origine_cella[static_cast<size_t>(c)].posizione) + " m (" + metri(c) +
             ")";
    }
    return out + " in " + metri(c);
  }
  SourceLocation origine(int32_t c) const { return s_.luogo_origine(c); }
  // A fault of the rules, charged to the row that wrote the object in
  // `causa`. The same fault met again at once (three windows of one start)
  // is told once.
  void guasto(int32_t numero, int32_t posizione, int32_t causa, std::string messaggio,
              std::vector<RelatedLocation> relative = {}) {
    if (!s_.diagnostiche.empty()) {
      const Diagnostic& ultima = s_.diagnostiche.back();
      if (ultima.fault_number == numero && ultima.position == posizione) return;
    }
    Diagnostic d = diagnostica_errore(numero, posizione, origine(causa), std::move(messaggio));
    d.related = std::move(relative);
    aggiungi_diagnostica(s_, std::move(d));
  }
  void abbassa(int32_t c) { z(c).dato1 = static_cast<int16_t>(minimo(velocita_cartello, z(c).dato1)); }

  // Signals before a warning board: every signal in the 1 km before a warning board gets a board of
  // 180 just before it, or has the board already there capped at 180.
  void segnali_prima_dell_avviso(int32_t i) {
    for (int32_t k = 1; k <= 20 && i - k >= 3; ++k) {
      const int32_t d = i - k;
      if (z(d).tipo != segnale) continue;
      if (libera(z(d - 1))) {
        poni_cartello(d - 1, i);
      } else if (libera(z(d - 2))) {
        poni_cartello(d - 2, i);
      } else if (z(d - 1).tipo == cartello_velocita) {
        abbassa(d - 1);
      } else if (z(d - 2).tipo == cartello_velocita) {
        abbassa(d - 2);
      } else {
        std::vector<RelatedLocation> relative;
        if (!origine(i).file.empty()) relative.push_back({origine(i), "the slow-down of the warning board is here"});
        guasto(errori::cartello_prima_del_segnale, d * 50, d,
               "no free cell for the speed board of 180 before " + oggetto_in("signal", d) +
                   ", which stands within 1 km before a slow-down warning board: the two cells before "
                   "it hold other objects",
               std::move(relative));
      }
    }
  }

  // Boards before a slow-down: about 300 m, 600 m and 950 m before its start.
  void cartelli_prima_dell_inizio(int32_t i) {
    struct finestra {
      int32_t da_oltre;  // applies when i is above this
      int32_t primo;     // first of three cells tried, counted back from i
    };
    constexpr finestra finestre[] = {{7, 5}, {13, 11}, {20, 18}};
    for (const finestra& f : finestre) {
      if (i <= f.da_oltre) continue;
      bool posto = false;
      for (int32_t j = 0; j < 3 && !posto; ++j) {
        const int32_t c = i - f.primo - j;
        if (libera(z(c))) {
          poni_cartello(c, i);
          posto = true;
        }
      }
      if (!posto) {
        guasto(errori::cartelli_prima_dell_inizio, i * 50, i,
               "no free cell for a speed board of 180 in cells " + std::to_string(i - f.primo - 2) + " to " +
                   std::to_string(i - f.primo) + ", in front of " + oggetto_in("slow-down", i));
      }
    }
  }

  // Boards through a slow stretch: one every 8 cells, spaced from where
  // the previous board landed. Returns the cell where the walk stopped: the
  // end of the slow-down, or the last cell of the route when none follows.
  int32_t cartelli_nel_tratto(int32_t i) {
    int32_t m = 0;
    int32_t k = i;
    while (k < ultima_) {
      ++k;
      ++m;
      if (m == 8) {
        if (libera(z(k))) {
          poni_cartello(k, i);
          m = 0;
        } else if (libera(z(k - 1))) {
          poni_cartello(k - 1, i);
          m = 1;
        } else if (libera_in(k + 1)) {
          poni_cartello(k + 1, i);
          m = -1;
        } else {
          // m stays past 8: no further board in this stretch.
          guasto(errori::cartello_nel_tratto, k * 50, i,
                 "no free cell for a speed board of 180 around " + metri(k) + ", inside the stretch of " +
                     oggetto_in("slow-down", i));
        }
      }
      if (z(k).tipo == fine_rallentamento) break;
    }
    return k;
  }

  // The end cell of a stretch that is not walked for boards (110 km/h or
  // more), so that the board after the stretch looks after this slow-down
  // and not after an older one.
  int32_t fine_del_tratto(int32_t i) {
    int32_t k = i;
    while (k < ultima_) {
      ++k;
      if (z(k).tipo == fine_rallentamento) break;
    }
    return k;
  }

  // The board after a slow stretch: just before the first signal within
  // 600 m after its end.
  void cartello_dopo_il_tratto(int32_t k, int32_t i) {
    int32_t q = 0;
    for (int32_t n = k; n <= k + 12 && n <= ultima_; ++n) {
      if (z(n).tipo == segnale) {
        q = n - 1;
        break;
      }
    }
    if (q <= 0) return;
    if (libera(z(q))) {
      poni_cartello(q, i);
    } else if (libera(z(q - 1))) {
      poni_cartello(q - 1, i);
    } else {
      guasto(errori::cartello_nel_tratto, k * 50, i,
             "no free cell for the speed board of 180 before the signal in " + metri(q + 1) +
                 ", the first after the stretch of " + oggetto_in("slow-down", i));
    }
  }

  stato_compilazione& s_;
  const int32_t ultima_;
};

}  // namespace

void deriva_percorso(stato_compilazione& s) {
  if (!s.dimensionato()) return;
  derivazione(s).esegui();
}

}  // namespace scenario
