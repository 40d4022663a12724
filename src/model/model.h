// The compile state: everything the readers, the recorders, the derivation
// rules and the integrity codes produce, and what the binary writers store.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/coding.h"
#include "model/diagnostics.h"
#include "model/faults.h"
#include "model/layout.h"
#include "platform/file_system.h"
#include "platform/memory.h"

namespace scenario {

// y converted to the nearest integer, halves to even (the default rounding
// mode of the floating-point unit).
inline double near(double y) { return std::nearbyint(y); }

// y when x > y, otherwise x (equal values give x).
inline int32_t minimo(int32_t x, int32_t y) { return x > y ? y : x; }

// Object codes of a cell's `tipo`.
namespace oggetto {
enum codice : uint8_t {
  nulla = 0,
  segnale = 1,
  fine_rallentamento = 2,
  inizio_rallentamento = 3,
  avviso_rallentamento = 4,
  preavviso_rallentamento = 5,  // the four cells just before a warning board
  indicatore_v_max = 6,
  arresto_stazione = 10,
  marcatore_galleria = 11,      // counts as free
  cartello_velocita = 12,
  cartello_senza_velocita = 13,
  cartello_indicatore = 14,     // text board
};
}  // namespace oggetto

// What an object code stands for, in plain words ("signal", "text board").
const char* nome_oggetto(uint8_t tipo);

// One 50 m cell of the route. Cell c covers metres 50·c to 50·c + 49.
struct cella {
  uint8_t tipo = oggetto::nulla;  // an oggetto::codice
  int16_t dato1 = 0;
  int16_t dato2 = 0;
  int16_t dato3 = 0;
  int16_t dato4 = 0;
  uint8_t tempo = 0;
  uint8_t avvicinamento = 0;
  uint8_t galleria = 0;
  uint8_t velocita = 0;
  uint8_t pendenza = 0;
  uint8_t aderenza = 0;
};

// A cell accepts a point object when it holds nothing or a tunnel marker.
inline bool libera(const cella& c) {
  return c.tipo == oggetto::nulla || c.tipo == oggetto::marcatore_galleria;
}

// One row of the scenario table.
struct record_sim {
  uint8_t tipo = 0;
  int32_t inizio = 0;
  int32_t fine = 0;
  int32_t progressiva = 0;
  uint8_t b1 = 0;
  std::string testo;
  int16_t i1 = 0;
  int16_t i2 = 0;
  int16_t i3 = 0;
  int16_t i4 = 0;
  int16_t i5 = 0;
  uint8_t b2 = 0;
  uint8_t b3 = 0;
  uint8_t b4 = 0;
  uint8_t b5 = 0;
  int32_t orario = 0;
};

inline constexpr int righe_tabella_sim = 87;
// Rows with a fixed meaning.
inline constexpr int riga_prima_stazione = 1;
inline constexpr int riga_primo_testo = 80;  // board texts grow downwards from here
inline constexpr int riga_progressiva_tre = 81;
inline constexpr int riga_progressiva_due = 82;
inline constexpr int riga_progressiva_uno = 83;
inline constexpr int riga_treno = 84;
inline constexpr int riga_linea = 85;
inline constexpr int riga_ripetizione = 86;

inline constexpr int massimo_montagne = 80;

// Kinds of track-plan elements; the values are the tags of "_linea.dat".
enum class tipo_elemento : uint8_t { vuoto = 0, intero = 2, doppio = 5 };

// The track plan: points 0 .. L, each a pair of coordinates in metres. Both
// coordinates of a point are always set together, so a kind is kept per point
// (empty, 16-bit integer or double) beside the two values.
//
// The plan is the largest output by far (20 bytes per metre of route), so it
// is held in the byte form of "_linea.dat" itself: all first coordinates,
// then all second ones, each element a 16-bit tag and its value. The offsets
// are those of a finished plan, where points 0 and 1 are integers (4 bytes),
// points 2 .. L − 2 doubles (10 bytes) and L − 1 and L empty (2 bytes): each
// middle point has a fixed place, and once every point holds its usual kind
// the buffer is the file, written without a copy. The four end points keep
// their kinds and values aside, so that any kind can be given to any point;
// a plan of other kinds is encoded afresh by the writer.
class matrice_punti {
 public:
  matrice_punti() = default;
  matrice_punti(const matrice_punti& other);
  matrice_punti& operator=(const matrice_punti& other);
  matrice_punti(matrice_punti&&) noexcept = default;
  matrice_punti& operator=(matrice_punti&&) noexcept = default;

  // Sizes to points 0 .. ultimo, all empty; discards what was held.
  void dimensiona(int32_t ultimo);
  // Gives the buffer back; the plan is unsized again.
  void release();

  // From the next dimensiona on, a plan larger than `finestra` bytes a half
  // is not held whole: its points go to the file `percorso` of `fs` as the
  // computation moves on, and the buffer holds `finestra` bytes of each half
  // (the track plan of a 1,000 km route is 20 MB, and would be written once
  // and copied once more to its file). Points are then set in order, each
  // after the one before (as the track plan does), and only the points the
  // buffer still holds can be read back; concludi_scarico() writes the rest.
  void scrivi_in(FileSystem& fs, std::string percorso, size_t finestra);
  // Whether the buffer holds only part of the plan, the points before it
  // being in the file (see scrivi_in).
  bool in_parte() const { return finestra_ < meta_; }
  // For a plan held in part: writes the points still held and zeros after
  // the last point set (the points never set and the two empty elements at
  // the end of each half), so that the file holds the bytes of the whole
  // buffer. A finished plan stays in part, its file being "_linea.dat"; any
  // other is read back from the file and held whole, to be encoded element
  // by element. Stops writing to the file; on a failure, deletes it.
  std::optional<IoError> concludi_scarico();
  // Stops writing to the file, and deletes it if anything went to it.
  void abbandona_scarico();
  bool dimensionata() const { return ultimo_ >= 0; }
  // L, the last point; -1 when unsized.
  int32_t ultimo() const { return ultimo_; }

  void imposta_intero(int32_t i, int16_t x, int16_t y);
  void imposta_doppio(int32_t i, double x, double y) {
    if (!centrale(i)) return imposta_bordo(i, tipo_elemento::doppio, x, y);
    tenuti_fino(i, i);
    diventano_doppi(i, i);
    scrivi_doppio(elemento(0, i), x);
    scrivi_doppio(elemento(1, i), y);
  }

  // Computes points da .. a (da >= 2) in order, each from the two before it:
  // passo(x0, y0, x1, y1, x, y) sets point i from points i - 2 and i - 1.
  // The two points before are carried in registers, not read back from the
  // bytes just written: the recurrence is serial, so that read would lengthen
  // every step.
  template <class Passo>
  void prolunga(int32_t da, int32_t a, Passo passo) {
    if (da > a) return;
    double x0 = x(da - 2), y0 = y(da - 2), x1 = x(da - 1), y1 = y(da - 1);
    int32_t i = da;
    if (const int32_t fine = std::min(a, ultimo_ - 2); i <= fine) {
      int32_t tratto = tenuti_fino(i, fine);
      diventano_doppi(i, fine);
      for (;;) {
        // Locals, not members: the stores through char* could otherwise
        // alias them and force a reload at every point.
        char* pa = elemento(0, i);
        char* pb = elemento(1, i);
        for (; i <= tratto; ++i, pa += layout::linea_doppio, pb += layout::linea_doppio) {
          double xn = 0, yn = 0;
          passo(x0, y0, x1, y1, xn, yn);
          scrivi_doppio(pa, xn);
          scrivi_doppio(pb, yn);
          x0 = x1, y0 = y1, x1 = xn, y1 = yn;
        }
        if (i > fine) break;
        tratto = tenuti_fino(i, fine);
      }
    }
    for (; i <= a; ++i) {
      double xn = 0, yn = 0;
      passo(x0, y0, x1, y1, xn, yn);
      imposta_doppio(i, xn, yn);
      x0 = x1, y0 = y1, x1 = xn, y1 = yn;
    }
  }

  // Straight on: point i is x1 + (x1 - x0), y1 + (y1 - y0), the very sums
  // of prolunga with that step, without its serial chain where the sums are
  // known to be exact. Once a point x2 is computed, if x1 + 64 (x2 - x1)
  // lies in x1's binade (same sign and exponent), every step after it
  // subtracts to the same difference and adds without rounding (see
  // passo_esatto): the next 64 points are x1 + k (x2 - x1), whose bit
  // patterns are x1's plus k times the step from x1's to x2's. They are
  // written from integer additions, independent of one another; elsewhere
  // (near zero, across a power of two, non-finite values) a point is
  // computed by the recurrence itself. The bytes are those of the plain
  // recurrence.
  void prolunga_dritto(int32_t da, int32_t a) {
    if (da > a) return;
    double x0 = x(da - 2), y0 = y(da - 2), x1 = x(da - 1), y1 = y(da - 1);
    int32_t i = da;
    if (const int32_t fine = std::min(a, ultimo_ - 2); i <= fine) {
      int32_t tratto = tenuti_fino(i, fine);
      diventano_doppi(i, fine);
      for (;;) {
        char* pa = elemento(0, i);
        char* pb = elemento(1, i);
        while (i <= tratto) {
          const double dx = x1 - x0, dy = y1 - y0;
          const double xn = x1 + dx, yn = y1 + dy;
          uint64_t mx = 0, my = 0;
          if (tratto - i >= passi_esatti - 1 && passo_esatto(x1, xn, mx) && passo_esatto(y1, yn, my)) {
            uint64_t bx = std::bit_cast<uint64_t>(x1), by = std::bit_cast<uint64_t>(y1);
            for (int k = 0; k < passi_esatti; ++k, pa += layout::linea_doppio, pb += layout::linea_doppio) {
              bx += mx, by += my;
              scrivi_doppio(pa, std::bit_cast<double>(bx));
              scrivi_doppio(pb, std::bit_cast<double>(by));
            }
            i += passi_esatti;
            x0 = std::bit_cast<double>(bx - mx), y0 = std::bit_cast<double>(by - my);
            x1 = std::bit_cast<double>(bx), y1 = std::bit_cast<double>(by);
            continue;
          }
          scrivi_doppio(pa, xn);
          scrivi_doppio(pb, yn);
          pa += layout::linea_doppio, pb += layout::linea_doppio, ++i;
          x0 = x1, y0 = y1, x1 = xn, y1 = yn;
        }
        if (i > fine) break;
        tratto = tenuti_fino(i, fine);
      }
    }
    // The points kept aside at the plan's end, with the plain recurrence.
    prolunga(i, a, passo_dritto);
  }

  tipo_elemento tipo(int32_t i) const {
    if (!centrale(i)) return tipi_bordo_[bordo(i)];
    return static_cast<tipo_elemento>(coding::DecodeU16(elemento(0, i)));
  }
  double x(int32_t i) const {
    return centrale(i) ? coding::DecodeF64(elemento(0, i) + layout::linea_tag) : x_bordo_[bordo(i)];
  }
  double y(int32_t i) const {
    return centrale(i) ? coding::DecodeF64(elemento(1, i) + layout::linea_tag) : y_bordo_[bordo(i)];
  }

  // The bytes of "_linea.dat" when every point holds the kind a finished plan
  // gives it; nothing otherwise. Valid until the plan is changed.
  // Nothing either while the plan is held in part (see scrivi_in).
  std::optional<std::string_view> immagine() const;
  // The last point of the run of middle doubles that starts at point i,
  // itself a middle double: the tags are read in place, a run at a time.
  int32_t fine_doppi_centrali(int32_t i) const {
    constexpr auto doppio = static_cast<uint16_t>(tipo_elemento::doppio);
    const char* p = elemento(0, i);
    int32_t j = i;
    for (const int32_t fine = ultimo_ - 2; j < fine; ++j) {
      p += layout::linea_doppio;
      if (coding::DecodeU16(p) != doppio) break;
    }
    return j;
  }
  // The elements of points da .. a in half h (0: first coordinates), all
  // middle points holding a double: bytes already as "_linea.dat" has them.
  std::string_view doppi_centrali(int h, int32_t da, int32_t a) const {
    return {elemento(h, da), static_cast<size_t>(a - da + 1) * layout::linea_doppio};
  }

 private:
  // One point straight on from the two before it.
  static void passo_dritto(double x0, double y0, double x1, double y1, double& x, double& y) {
    x = x1 + (x1 - x0);
    y = y1 + (y1 - y0);
  }

  // Points a straight stretch computes at once (a power of two, so that
  // passi_esatti * d is exact).
  static constexpr int passi_esatti = 64;
  // Whether, from v and the next point vn that the recurrence gave, the
  // recurrence goes on exactly by their difference d for the next
  // passi_esatti points; *passo is then the step of their bit patterns.
  // That holds when v + passi_esatti d lies in v's binade (same sign and
  // exponent field; the subnormals are evenly spaced too): vn lies between
  // them, so d = vn - v is exact and a multiple of the binade's spacing, and
  // so is every v + k d up to there.
  // A point that repeats stays as it is, unless it is infinite (the next
  // step is inf - inf) or -0 (-0 + +0 is +0).
  static bool passo_esatto(double v, double vn, uint64_t& passo) {
    const uint64_t bv = std::bit_cast<uint64_t>(v);
    const uint64_t bn = std::bit_cast<uint64_t>(vn);
    passo = bn - bv;
    if (bn == bv) return std::isfinite(v) && bv != std::bit_cast<uint64_t>(-0.0);
    const uint64_t testa = bv >> 52;  // sign and exponent
    if ((testa & 0x7ff) == 0x7ff) return false;  // infinite or not a number
    return std::bit_cast<uint64_t>(v + passi_esatti * (vn - v)) >> 52 == testa;
  }

  static void scrivi_doppio(char* p, double v) {
    coding::EncodeF64(coding::EncodeU16(p, static_cast<uint16_t>(tipo_elemento::doppio)), v);
  }
  // Middle points da .. a are about to hold doubles: counts those that did
  // not. Only points up to segnati_fino_ are read; the ones after it still
  // hold the zeroed buffer's empty elements, and reading them first would
  // only fault in a page of zeros before the write.
  void diventano_doppi(int32_t da, int32_t a) {
    constexpr auto doppio = static_cast<uint16_t>(tipo_elemento::doppio);
    int32_t nuovi = a - std::max(da - 1, segnati_fino_);
    if (nuovi < 0) nuovi = 0;
    for (int32_t i = da, fine = std::min(a, segnati_fino_); i <= fine; ++i) {
      nuovi += coding::DecodeU16(elemento(0, i)) != doppio;
    }
    doppi_centrali_ += nuovi;
    segnati_fino_ = std::max(segnati_fino_, a);
  }

  // Points 2 .. L − 2 have their place in the buffer; the others are kept
  // aside, at 0, 1, 2, 3 for points 0, 1, L − 1, L (at their own index when
  // L is below 3).
  bool centrale(int32_t i) const { return i >= 2 && i <= ultimo_ - 2; }
  size_t bordo(int32_t i) const {
    return i < 2 || ultimo_ < 3 ? static_cast<size_t>(i) : static_cast<size_t>(i - ultimo_ + 3);
  }
  // The element of point i in half h (0: first coordinates, 1: second).
  char* elemento(int h, int32_t i) const {
    return byte_.get() + static_cast<size_t>(h) * finestra_ + (layout::linea_punto(i) - inizio_[static_cast<size_t>(h)]);
  }
  // Point i is about to be set: the last point from i up to `fine` that the
  // buffer holds along with it. A plan held whole holds them all; one held in
  // part first makes room for point i when it has none (see scorri_fino).
  int32_t tenuti_fino(int32_t i, int32_t fine) {
    if (finestra_ == meta_) return fine;
    return scorri_fino(i, fine);
  }
  int32_t scorri_fino(int32_t i, int32_t fine);
  // Writes bytes da .. a (offsets in half h, held) of half h to the file;
  // after a first failure, nothing more.
  void scarica(size_t h, size_t da, size_t a);
  // Every point holds the kind a finished plan gives it.
  bool finito() const;
  void imposta_bordo(int32_t i, tipo_elemento t, double x, double y);

  ZeroedBuffer byte_;
  size_t meta_ = 0;      // bytes of each half of the plan
  size_t finestra_ = 0;  // bytes of each half in the buffer: meta_ when held whole
  // The offset in each half of the first byte held. Each half goes to the
  // file in parts that end at a multiple of allineamento_ in the file, so
  // the two halves move on by turns.
  std::array<size_t, 2> inizio_{};
  size_t allineamento_ = 0;
  // Bytes of a window beyond its parts: room for the two points a stretch
  // starts from and the point being set.
  static constexpr size_t riserva_finestra = 64;
  int32_t ultimo_ = -1;
  int32_t doppi_centrali_ = 0;  // middle points that hold a double
  int32_t segnati_fino_ = 1;    // the last middle point ever set
  std::array<tipo_elemento, 4> tipi_bordo_{};
  std::array<double, 4> x_bordo_{};
  std::array<double, 4> y_bordo_{};
  // The file of a plan held in part (see scrivi_in); no file system when
  // there is none.
  FileSystem* scarico_fs_ = nullptr;
  std::string scarico_percorso_;
  size_t scarico_finestra_ = 0;
  bool scaricato_ = false;  // bytes went to the file
  std::optional<IoError> errore_scarico_;
};

// Whether a compile builds the track plan and writes "_linea.dat"
// (stato_compilazione::genera_linea), named for the call sites.
inline constexpr bool con_matrice_linea = true;
inline constexpr bool senza_matrice_linea = false;

// The row that placed a cell's point object: its line and column, its first
// value as written (the position in metres) and its file, as 1 + an index
// into stato_compilazione::file_origine (0: no row).
struct origine_oggetto {
  int32_t linea = 0;
  int32_t colonna = 0;
  int32_t posizione = 0;
  uint16_t file = 0;
};

struct stato_compilazione {
  std::string nome_linea;
  std::string nome_treno;
  bool genera_linea = senza_matrice_linea;
  std::string parola_chiave;  // the text field last read: the keyword of the row being read
  std::vector<cella> percorso;  // cells 0 .. P; empty while unsized
  std::array<record_sim, righe_tabella_sim> tabella_sim{};
  matrice_punti matrice_linea;
  std::array<int32_t, massimo_montagne + 1> montagna_inizio{};
  std::array<int32_t, massimo_montagne + 1> montagna_fine{};
  int32_t numero_montagne = 0;
  int32_t numero_errore = 0;
  int32_t posizione_errore = 0;
  // Every error, warning and note of the compile, in the order met. The
  // errors that carry a fault number are the only source of numero_errore
  // and posizione_errore (see aggiungi_diagnostica).
  Diagnostics diagnostiche;
  // Where each cell's point object was written: the row that placed it, or
  // for a derived board the row that caused it. Sized with percorso; 16
  // bytes a cell, the file named once in file_origine (a long route has
  // tens of thousands of cells).
  std::vector<origine_oggetto> origine_cella;
  // The source files named by origine_cella, each once.
  std::vector<std::string> file_origine;
  // The row that filled each row of the scenario table.
  std::array<SourceLocation, righe_tabella_sim> origine_riga{};

  bool dimensionato() const { return !percorso.empty(); }
  // The row that placed the object of cell c; an empty file when no row did
  // (or c is outside the route).
  SourceLocation luogo_origine(int64_t c) const;
  // luogo_origine of every cell, for the tools that keep it beside a copy.
  std::vector<SourceLocation> luoghi_origine() const;
  // The number origine_oggetto::file gives `file`, added on first use; 0
  // (no file) past 65,535 files.
  uint16_t indice_file_origine(const std::string& file);
  // P, the last cell; -1 while unsized.
  int32_t ultima_cella() const { return static_cast<int32_t>(percorso.size()) - 1; }
};

// Adds a diagnostic. One that carries a fault number sets numero_errore to
// it, and posizione_errore to its position when it has one: a later fault
// replaces the number, and the position stays from the last fault that set
// one.
void aggiungi_diagnostica(stato_compilazione& s, Diagnostic d);

// A fault of the compile as a diagnostic: code "E" and the number, the
// table's text when `messaggio` is empty.
Diagnostic diagnostica_errore(int32_t numero, std::optional<int32_t> posizione,
                              SourceLocation dove, std::string messaggio = {});

// True when the compile recorded an error.
inline bool ha_errori(const stato_compilazione& s) {
  return s.numero_errore != 0 || has_errors(s.diagnostiche);
}

// Lengths derived from the route length: L = lunghezza + 7000 and
// P = near(L / 50).
inline int32_t punti_da_lunghezza(int32_t lunghezza) { return lunghezza + 7000; }
inline int32_t celle_da_lunghezza(int32_t lunghezza) {
  return static_cast<int32_t>(near(punti_da_lunghezza(lunghezza) / 50.0));
}

// Sizes the route to cells 0 .. P, all zero, and, when genera_linea is set,
// the track plan to points 0 .. L, all empty. lunghezza must be 0 .. 1,000,000.
void dimensiona(stato_compilazione& s, int32_t lunghezza);

// Clears the 87 rows of the scenario table.
void azzera_tabella(stato_compilazione& s);

}  // namespace scenario
