#include "roundtrip/decompile.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <queue>
#include <set>
#include <sstream>

#include "compiler/chainage_sort.h"
#include "compiler/kilometre_posts.h"
#include "model/binary_files.h"
#include "model/binary_reader.h"
#include "model/file_names.h"
#include "platform/file_system.h"
#include "run/compile.h"
#include "run/errors.h"

namespace scenario::roundtrip {

namespace {

// Values are split the way an author reads them: floor division, so that
// q * d + r gives the value back for negative values too.
int32_t floor_div(int32_t a, int32_t d) { return a / d - ((a % d != 0) && ((a < 0) != (d < 0))); }
int32_t floor_mod(int32_t a, int32_t d) { return a - d * floor_div(a, d); }

Diagnostic warning(std::string code, std::string file, std::string message,
                   std::optional<int32_t> position = std::nullopt) {
  Diagnostic d;
  d.severity = Severity::kWarning;
  d.code = std::move(code);
  d.where.file = std::move(file);
  d.message = std::move(message);
  d.position = position;
  return d;
}

Diagnostic error(std::string code, std::string file, std::string message) {
  Diagnostic d = warning(std::move(code), std::move(file), std::move(message));
  d.severity = Severity::kError;
  return d;
}

// The faults of a compile, one line each. The compiler's fault log is read
// here and nowhere else in the round-trip code.
std::vector<std::string> compile_faults(const stato_compilazione& s) {
  std::vector<std::string> out;
  for (const Diagnostic& d : s.diagnostiche) {
    if (d.severity == Severity::kError) out.push_back(format_diagnostic(d));
  }
  if (out.empty() && s.numero_errore != 0) {
    out.push_back(format_diagnostic(diagnostica_errore(s.numero_errore, std::nullopt, {})));
  }
  return out;
}

// --- Profiles ---------------------------------------------------------------

// The rows of a profile (gradient, speed, adhesion) that fill `byte` as the
// readers do: each row fills from where the last one stopped up to its own
// cell (at least one cell), the last value runs to cell P − 3. One row where
// the value changes; none at 0 when the value there is the reader's starting
// one. Cells from P − 2 on are filled only when rows stand at the last
// position a row may have; those rows are added when the cells hold anything.
std::vector<riga_profilo> profile_rows(const std::vector<cella>& celle, uint8_t cella::*campo,
                                       uint8_t iniziale, int32_t (*valore)(uint8_t)) {
  std::vector<riga_profilo> righe;
  const int32_t P = static_cast<int32_t>(celle.size()) - 1;
  const int32_t ultima_normale = P - 3;
  auto byte = [&](int32_t c) { return celle[static_cast<size_t>(c)].*campo; };
  uint8_t current = iniziale;
  for (int32_t c = 0; c <= ultima_normale; ++c) {
    if (byte(c) != current) {
      righe.push_back({50 * c, valore(byte(c))});
      current = byte(c);
    }
  }
  int32_t z = -1;
  for (int32_t c = std::max(0, P - 2); c <= P; ++c) {
    if (byte(c) != 0) z = c;
  }
  if (z >= 0 && P >= 2) {
    for (int32_t t = P - 2; t <= z; ++t) righe.push_back({50 * (P - 2), valore(byte(t))});
  }
  return righe;
}

int32_t da_pendenza(uint8_t b) { return int32_t{b} - 100; }
int32_t da_velocita(uint8_t b) { return int32_t{b} * 5; }
int32_t da_aderenza(uint8_t b) { return int32_t{b}; }

// --- Track plan ---------------------------------------------------------------

constexpr double curvature[6] = {0.0001, 0.0002, 0.0004, 0.001, 0.002, 0.003};

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Curves from the heading change of each step: every point 2 .. L − 2 is
// either straight on from the two before it or turned by one of the twelve
// curvatures; runs of one curvature are one curve row each.
std::vector<riga_curva> curves_from(const matrice_punti& m, const std::string& file,
                                    Diagnostics* diag) {
  std::vector<riga_curva> out;
  const int32_t L = m.ultimo();
  int current = 0;  // 0 straight, 1..6 right, -1..-6 left
  int32_t run_start = 0;
  int32_t unmatched_points = 0;
  int32_t first_unmatched = -1;
  auto close_run = [&](int32_t fine_esclusa) {
    if (current != 0) {
      riga_curva r;
      r.inizio = run_start - 1;
      r.lunghezza = fine_esclusa - run_start;
      r.classe = current > 0 ? current : -current;
      r.sinistra = current < 0;
      out.push_back(r);
    }
  };
  for (int32_t i = 2; i <= L - 2; ++i) {
    if (m.tipo(i) != tipo_elemento::doppio || m.tipo(i - 1) == tipo_elemento::vuoto ||
        m.tipo(i - 2) == tipo_elemento::vuoto) {
      continue;
    }
    const double x0 = m.x(i - 2), y0 = m.y(i - 2), x1 = m.x(i - 1), y1 = m.y(i - 1);
    const double xi = m.x(i), yi = m.y(i);
    int found = 99;
    if (same_bits(x1 + (x1 - x0), xi) && same_bits(y1 + (y1 - y0), yi)) {
      found = 0;
    } else {
      const double dx = x1 - x0;
      const double dy = y1 - y0;
      double migliore = -1;
      int nearest = 0;
      for (int c = 1; c <= 6 && found == 99; ++c) {
        for (int segno : {1, -1}) {
          const double k = segno * curvature[c - 1];
          const double x = x1 + (dx + k * dy);
          const double y = y1 + (dy - k * dx);
          if (same_bits(x, xi) && same_bits(y, yi)) {
            found = segno * c;
            break;
          }
          const double errore = std::abs(x - xi) + std::abs(y - yi);
          if (migliore < 0 || errore < migliore) {
            migliore = errore;
            nearest = segno * c;
          }
        }
      }
      if (found == 99) {
        const double errore_retta = std::abs(x1 + (x1 - x0) - xi) + std::abs(y1 + (y1 - y0) - yi);
        found = errore_retta <= migliore ? 0 : nearest;
        if (unmatched_points++ == 0) first_unmatched = i;
      }
    }
    if (found != current) {
      close_run(i);
      current = found;
      run_start = i;
    }
  }
  close_run(L - 1);
  if (unmatched_points > 0) {
    diag->push_back(warning("decompile-track-plan", file,
                            std::to_string(unmatched_points) +
                                " track plan point(s) follow neither a straight step nor any curve "
                                "class, the first at point " +
                                std::to_string(first_unmatched) +
                                "; the nearest curve is written for each"));
  }
  return out;
}

// --- Chainage rows ------------------------------------------------------------

using terna = std::array<int32_t, 3>;

std::array<terna, 3> chainage_sorted(const std::array<terna, 3>& righe_81_83) {
  stato_compilazione s;
  for (int i = 0; i < 3; ++i) {
    record_sim& r = s.tabella_sim[static_cast<size_t>(riga_progressiva_tre + i)];
    r.inizio = righe_81_83[static_cast<size_t>(i)][0];
    r.fine = righe_81_83[static_cast<size_t>(i)][1];
    r.progressiva = righe_81_83[static_cast<size_t>(i)][2];
  }
  progressive_ordina(s);
  std::array<terna, 3> out{};
  for (int i = 0; i < 3; ++i) {
    const record_sim& r = s.tabella_sim[static_cast<size_t>(riga_progressiva_tre + i)];
    out[static_cast<size_t>(i)] = {r.inizio, r.fine, r.progressiva};
  }
  return out;
}

// --- Approach-mark order -------------------------------------------------------

struct mark_write {
  int32_t cella = 0;
  uint8_t valore = 0;
};

// The approach marks a station's row writes: 80 + k on the cell k + 1 cells
// before its stop point, k = 1 .. 4; none for kinds 5, 6 and from 25 up.
std::vector<mark_write> station_marks(const record_sim& x, int32_t P) {
  std::vector<mark_write> out;
  if (x.tipo >= 25 || x.tipo == 5 || x.tipo == 6) return out;
  const double e = x.fine;
  for (int k = 1; k <= 4; ++k) {
    const double q = e / 50 - k - 1;
    if (q > 1 && near(q) <= P) out.push_back({static_cast<int32_t>(near(q)), static_cast<uint8_t>(80 + k)});
  }
  return out;
}

}  // namespace

// --- Decoding -----------------------------------------------------------------

std::optional<decoded_scenario> decode(const binary_files& f, const std::string& nome_linea,
                                       const std::string& nome_treno, Diagnostics* diag) {
  decoded_scenario d;
  bool ok = true;
  if (auto e = leggi_tabella_sim(f.sim, &d.tabella)) {
    diag->push_back(
        error("decompile-unreadable", nomi::sim(nome_linea, nome_treno),
              "not a scenario table at byte " + std::to_string(e->posizione) + ": " + e->testo));
    ok = false;
  }
  if (auto e = leggi_percorso(f.dat, &d.percorso)) {
    diag->push_back(
        error("decompile-unreadable", nomi::dat(nome_linea, nome_treno),
              "not a route file at byte " + std::to_string(e->posizione) + ": " + e->testo));
    ok = false;
  }
  if (f.linea) {
    matrice_punti m;
    if (auto e = leggi_matrice_linea(*f.linea, &m)) {
      diag->push_back(
          error("decompile-unreadable", nomi::linea_dat(nome_linea),
                "not a track plan at byte " + std::to_string(e->posizione) + ": " + e->testo));
      ok = false;
    } else {
      d.matrice = std::move(m);
    }
  }
  if (!ok) return std::nullopt;
  return d;
}

// --- Rows from the model --------------------------------------------------------

source_rows rebuild_rows(const decoded_scenario& d, const std::string& nome_linea,
                         const std::string& nome_treno, Diagnostics* diag) {
  source_rows s;
  const std::string file_sim = nomi::sim(nome_linea, nome_treno);
  const std::string file_dat = nomi::dat(nome_linea, nome_treno);
  const auto& t = d.tabella;
  // Cell 1's first two values are the header stamps, put there after the
  // rules: the rows are read from the cell as it was before them.
  std::vector<cella> celle = d.percorso;
  if (celle.size() > 1) {
    celle[1].dato1 = 0;
    celle[1].dato2 = 0;
  }
  const int32_t P = static_cast<int32_t>(celle.size()) - 1;
  auto cell_at = [&](int32_t c) -> const cella& { return celle[static_cast<size_t>(c)]; };

  // Route length.
  s.lunghezza = t[riga_treno].fine;
  if (s.lunghezza < 0 || s.lunghezza > 1'000'000 || celle_da_lunghezza(s.lunghezza) != P) {
    const int32_t da_celle = std::max(0, 50 * P - 7000);
    diag->push_back(warning("decompile-mismatch", file_sim,
                            "row 84: route length " + std::to_string(s.lunghezza) +
                                " m does not give the route file's " + std::to_string(P + 1) +
                                " cells; " + std::to_string(da_celle) + " m is written"));
    s.lunghezza = da_celle;
  }
  if (d.matrice && d.matrice->ultimo() != punti_da_lunghezza(s.lunghezza)) {
    diag->push_back(warning(
        "decompile-mismatch", nomi::linea_dat(nome_linea),
        "the track plan has points 0 .. " + std::to_string(d.matrice->ultimo()) +
            ", the route length gives 0 .. " + std::to_string(punti_da_lunghezza(s.lunghezza))));
  }

  // Chainage rows: the arrangement of "tre", "due", "uno" that the sort
  // turns into the stored rows 81, 82, 83, rows of three zeros left out.
  {
    std::array<terna, 3> stored{};
    for (int i = 0; i < 3; ++i) {
      const record_sim& r = t[static_cast<size_t>(riga_progressiva_tre + i)];
      stored[static_cast<size_t>(i)] = {r.inizio, r.fine, r.progressiva};
    }
    std::array<int, 3> perm{0, 1, 2};
    bool found_row = false;
    std::array<terna, 3> chosen{};
    do {
      std::array<terna, 3> candidate{};
      for (size_t i = 0; i < 3; ++i) {
        terna v = stored[static_cast<size_t>(perm[i])];
        if (v[2] == 1) v[1] -= aggiunta_zona_decrescente;
        candidate[i] = v;
      }
      if (chainage_sorted(candidate) == stored) {
        chosen = candidate;
        found_row = true;
        break;
      }
    } while (std::next_permutation(perm.begin(), perm.end()));
    if (!found_row) {
      diag->push_back(
          warning("decompile-mismatch", file_sim,
                  "rows 81 to 83: no three chainage rows sort into the stored kilometre "
                  "zones; they are written as stored"));
      for (size_t i = 0; i < 3; ++i) {
        chosen[i] = stored[i];
        if (chosen[i][2] == 1) chosen[i][1] -= aggiunta_zona_decrescente;
      }
    }
    // Row 81 is read from "tre", 82 from "due", 83 from "uno".
    for (size_t i = 0; i < 3; ++i) {
      const terna& v = chosen[2 - i];
      if (v[0] == 0 && v[1] == 0 && v[2] == 0) continue;
      s.progressive[i] = riga_progressiva{v[0], v[1], v[2]};
    }
  }

  s.sfondi = {t[riga_linea].inizio, t[riga_linea].progressiva, t[riga_linea].fine};

  // Signal repetition.
  {
    const record_sim& r = t[riga_ripetizione];
    s.ripetizione_inizio = r.inizio;
    s.ripetizione_fine = r.fine;
    if (r.fine != 0) {
      s.ripetizione_codici = r.progressiva == 9 ? 9 : 4;
      if (r.progressiva != 4 && r.progressiva != 9) {
        diag->push_back(warning("decompile-mismatch", file_sim,
                                "row 86: code count " + std::to_string(r.progressiva) +
                                    " is neither 4 nor 9; 4 is written"));
      }
    } else {
      s.ripetizione_codici = r.inizio != 0 ? 4 : 0;
      if (r.progressiva != 0) {
        diag->push_back(
            warning("decompile-mismatch", file_sim,
                    "row 86: a code count without a repetition end cannot be produced"));
      }
    }
  }

  // Profiles of the line and the service.
  if (P >= 0) {
    s.pendenze = profile_rows(celle, &cella::pendenza, 100, da_pendenza);
    s.velocita = profile_rows(celle, &cella::velocita, 0, da_velocita);
    s.aderenze = profile_rows(celle, &cella::aderenza, 0, da_aderenza);
  }

  // Curves.
  if (d.matrice) {
    s.curve_note = true;
    s.curve = curves_from(*d.matrice, nomi::linea_dat(nome_linea), diag);
  }

  // Tunnels: one row per run of one kind; markers, where any survives, ask
  // for a kind above 10. The compile turns a row into kind 3 when it starts
  // 150 m or less after the end of the row written before it, so a run of
  // another kind that close to the previous run needs one of two layouts:
  // - within 102 .. 150 m: both rows moved 24 m apart, off the 50 m grid
  //   (the cells they mark stay the same);
  // - closer, after a run of kind 3: its row written before that run's row,
  //   which becomes kind 3 whatever comes before it.
  // Runs of two other kinds closer than that come only from rows that mark
  // nothing between them, which are not written back.
  {
    auto di_tipo_3 = [](const riga_montagna& m) { return m.tipo == 3 || m.tipo == 13; };
    std::optional<size_t> previous;  // index of the row of the previous run
    int32_t c = 0;
    while (c <= P) {
      const uint8_t k = cell_at(c).galleria;
      if (k == 0) {
        ++c;
        continue;
      }
      int32_t b = c;
      while (b + 1 <= P && cell_at(b + 1).galleria == k) ++b;
      // Markers stand on every fourth cell of a marked tunnel, counted from
      // its first cell; one out of step comes from another tunnel row that
      // this one covered, which one row per stretch cannot give back.
      bool marked = false;
      for (int32_t m = c + 3; m <= b; m += 4) marked = marked || cell_at(m).tipo == 11;
      for (int32_t m = c; m <= b; ++m) {
        const bool in_step = (m - c) % 4 == 3;
        if ((cell_at(m).tipo == 11 && !in_step) || (marked && in_step && cell_at(m).tipo == 0)) {
          diag->push_back(warning("decompile-unsupported", file_dat,
                                  "cell " + std::to_string(m) +
                                      ": tunnel markers out of step with the tunnel from " +
                                      std::to_string(50 * c) +
                                      " m; tunnel rows that cover each other are not written back",
                                  50 * m));
          break;
        }
      }
      riga_montagna r;
      r.inizio = 50 * c;
      r.fine = 50 * (b + 1);
      r.tipo = marked ? k + 10 : (k <= 10 ? k : k - 256);
      auto scostamento = [&](int32_t inizio) { return inizio - s.montagne.back().fine; };
      if (k == 3 || s.montagne.empty() || scostamento(r.inizio) > 150) {
        s.montagne.push_back(r);
      } else if (*previous + 1 == s.montagne.size() && scostamento(r.inizio) + 48 > 150) {
        s.montagne.back().fine -= 24;
        r.inizio += 24;
        s.montagne.push_back(r);
      } else if (di_tipo_3(s.montagne.back()) &&
                 (s.montagne.size() == 1 ||
                  r.inizio - s.montagne[s.montagne.size() - 2].fine > 150)) {
        s.montagne.insert(s.montagne.end() - 1, r);
        c = b + 1;
        previous = s.montagne.size() - 2;
        continue;
      } else {
        diag->push_back(warning("decompile-unsupported", file_dat,
                                "cell " + std::to_string(c) + ": a tunnel of kind " +
                                    std::to_string(k) + " that starts " +
                                    std::to_string(scostamento(r.inizio)) +
                                    " m after the previous one ends; only tunnel rows that mark "
                                    "nothing between them give it, and they are not written back",
                                50 * c));
        s.montagne.push_back(r);
      }
      previous = s.montagne.size() - 1;
      c = b + 1;
    }
  }

  // Marks that a station row may have written: a signal's mark of the same
  // cell and value is no sign of that signal's values.
  std::set<std::pair<int32_t, uint8_t>> of_a_station;
  for (int32_t r = riga_prima_stazione; r <= riga_primo_testo; ++r) {
    for (const auto& m : station_marks(t[static_cast<size_t>(r)], P)) of_a_station.insert({m.cella, m.valore});
  }

  // Point objects of the route.
  int32_t riga_testo_minima = riga_primo_testo + 1;
  std::vector<std::pair<int32_t, int32_t>> texts;  // (row, cell)
  std::set<int32_t> used_ends;
  std::set<int32_t> used_marks;  // first advance mark of each slow-down written with marks
  std::vector<int32_t> unknown_codes;
  for (int32_t c = 0; c <= P; ++c) {
    const cella& x = cell_at(c);
    const int32_t pos = 50 * (c - 1);
    switch (x.tipo) {
      case 0:
      case 2:
      case 4:
      case 5:
      case 10:
      case 11:
        break;
      case 1: {
        riga_segnale r;
        // dato4 = rapp * 10 + q, with q = sx * 3 + dx; the approach marks
        // carry q * 10 + k in 8 bits, which tells a q of 10 or more apart.
        // dato4 gives q modulo 10 and a mark gives it modulo 128, so the 64
        // candidates of one period of 640 around dato4's digit hold the one
        // the marks agree with. A later signal up to 8 cells on covers the
        // nearer marks with its own, which another candidate may fit as well
        // as this signal's far marks fit the right one, or better when a
        // signal before it covered its farthest: the candidate with the most
        // marks that no other signal could have written wins, then the one
        // that fits the most marks, then the nearest. A station's marks
        // (81 .. 84 before its stop point) count as another row's too.
        const auto of_another_row = [&](int32_t m) {
          const uint8_t v = cell_at(m).avvicinamento;
          if (of_a_station.count({m, v})) return true;
          for (int k2 = 1; k2 <= 4; ++k2) {
            const int32_t c2 = m + 2 * k2;
            if (c2 == c || c2 > P || cell_at(c2).tipo != 1) continue;
            // A mark q2 * 10 + k2 in 8 bits with q2 of dato4's digit d2:
            // 100 * j modulo 256 runs through the multiples of 4.
            if (floor_mod(v - k2 - 10 * floor_mod(cell_at(c2).dato4, 10), 4) == 0) return true;
          }
          return false;
        };
        // The period is taken around the digit itself, not around the best
        // candidate so far, which moves as the search goes.
        const int32_t cifra = floor_mod(x.dato4, 10);
        int32_t q = cifra;
        int best = -1, best_own = -1;
        for (int32_t candidate = cifra - 320; candidate < cifra + 320; candidate += 10) {
          int matches = 0, own = 0;
          for (int k = 1; k <= 4; ++k) {
            if (c - 2 * k < 0) continue;
            if (cell_at(c - 2 * k).avvicinamento != static_cast<uint8_t>(candidate * 10 + k)) continue;
            ++matches;
            own += !of_another_row(c - 2 * k);
          }
          const auto distance = [&](int32_t v) { return std::abs(v - cifra); };
          if (own > best_own || (own == best_own && matches > best) ||
              (own == best_own && matches == best && distance(candidate) < distance(q))) {
            best = matches;
            best_own = own;
            q = candidate;
          }
        }
        const int32_t rapp = floor_div(static_cast<int32_t>(x.dato4) - q, 10);
        int32_t sx = floor_div(q, 3), dx = floor_mod(q, 3);
        if (x.tempo != 0) {
          sx = 2;
          dx = q - 6;
        }
        int32_t tempo = 0;
        if (sx == 2) tempo = x.tempo >= 1 && x.tempo <= 100 ? x.tempo + 256 : x.tempo;
        r.valori = {pos,
                    sx,
                    floor_div(x.dato1, 10),
                    floor_div(x.dato2, 10),
                    floor_div(x.dato3, 10),
                    rapp,
                    dx,
                    floor_mod(x.dato1, 10),
                    floor_mod(x.dato2, 10),
                    floor_mod(x.dato3, 10),
                    tempo};
        s.segnali.push_back(r);
        break;
      }
      case 3: {
        riga_rallentamento r;
        const int32_t x0 = pos;
        // Its end: the first free end with the same values after it, or
        // else the nearest before it (a row of negative length puts the
        // end in front of the start).
        const auto is_its_end = [&](int32_t k) {
          const cella& y = cell_at(k);
          return y.tipo == 2 && y.dato1 == x.dato1 && y.dato3 == x.dato3 && y.dato2 == x.dato2 &&
                 !used_ends.count(k);
        };
        int32_t e = c;
        for (int32_t k = c + 1; k <= P && e == c; ++k) {
          if (is_its_end(k)) e = k;
        }
        for (int32_t k = c - 1; k >= 0 && e == c; --k) {
          if (is_its_end(k)) e = k;
        }
        if (e != c) used_ends.insert(e);
        // The advance marks: a row at a multiple of 50 m puts the first of
        // them (numbered 1) on cell c - 25, a row 25 m before one (when c
        // is even: cells are rounded halves to even) on c - 26, its start
        // cell being the same. Found there, the row is written back 25 m
        // before the start's own position, and its length 25 m longer, so
        // that its end falls on the same cell.
        int32_t f_ta = 0;
        int32_t posizione = x0;
        int32_t primo_segno = c - 25;
        if (x0 > 1500) {
          const auto segno = [&](int32_t k, int16_t numero) {
            return k >= 0 && cell_at(k).tipo == oggetto::preavviso_rallentamento &&
                   cell_at(k).dato1 == numero;
          };
          // Marks an earlier slow-down took, or numbered where this row's
          // d_v would leave them unnumbered, are not this row's: written
          // twice, the second row would find their cells taken.
          const auto its_marks = [&](int32_t primo) {
            return !used_marks.count(primo) && (x.dato2 == 0 || cell_at(primo).dato2 == 1);
          };
          if (c - 25 >= 0 && cell_at(c - 25).tipo == oggetto::preavviso_rallentamento &&
              its_marks(c - 25)) {
            f_ta = 1;
          } else if (segno(c - 26, 1) && segno(c - 27, 2) && its_marks(c - 26)) {
            f_ta = 1;
            posizione = x0 - 25;
            primo_segno = c - 26;
          }
          if (f_ta) used_marks.insert(primo_segno);
        }
        // A station's stop point recorded after the slow-down may have taken
        // the cell of its warning board or of one of its advance marks (no
        // other row may, and none could have been there before it): written
        // back after the stations, the slow-down would find the cell taken.
        if (x0 > 1500) {
          const auto holds = [&](int32_t k, uint8_t tipo) { return k >= 0 && cell_at(k).tipo == tipo; };
          bool segni = false;
          for (int32_t k = 0; k < 4; ++k) {
            segni = segni || holds(primo_segno - k, oggetto::preavviso_rallentamento);
          }
          int32_t presa = holds(c - 24, oggetto::arresto_stazione) ? c - 24 : -1;
          for (int32_t k = 0; k < 4 && presa < 0 && segni; ++k) {
            if (holds(primo_segno - k, oggetto::arresto_stazione)) presa = primo_segno - k;
          }
          if (presa >= 0) {
            diag->push_back(warning("decompile-unsupported", file_dat,
                                    "cell " + std::to_string(presa) +
                                        ": a station's stop point over the warning board or an "
                                        "advance mark of the slow-down at " +
                                        std::to_string(x0) +
                                        " m; rows that cover each other are not written back",
                                    50 * presa));
          }
        }
        // A d_v whose low 16 bits are 0 still numbers the advance marks.
        int32_t d_v = x.dato2;
        if (d_v == 0 && f_ta && cell_at(primo_segno).dato2 == 1) d_v = 65536;
        r.valori = {posizione, x.dato1, 50 * (e - c) + (x0 - posizione), x.dato3, f_ta, d_v};
        s.rallentamenti.push_back(r);
        break;
      }
      case 6: {
        riga_indicatore r;
        r.posizione = pos;
        const int16_t v[3] = {x.dato1, x.dato2, x.dato3};
        for (size_t i = 0; i < 3; ++i) {
          r.valori[i] = floor_div(v[i], 20);
          r.valori[4 + i] = floor_mod(v[i], 20) * 5;
        }
        r.valori[3] = floor_div(x.dato4, 10);
        r.valori[7] = floor_mod(x.dato4, 10);
        s.indicatori.push_back(r);
        break;
      }
      case 12:
        // Boards of 180 are told apart from the derivation's in decompile.
        // The cell keeps the row's speed in 16 bits, so a board of 0 km/h
        // or less comes from a speed of 32,768 to 65,536 (a row's speed of
        // 0 or less places a board without a speed instead).
        if (x.dato1 != 180) s.abbattimenti.push_back({50 * c, x.dato1 > 0 ? x.dato1 : x.dato1 + 65536});
        break;
      case 13:
        s.abbattimenti.push_back({50 * c, 0});
        break;
      case 14:
        texts.emplace_back(x.dato1, c);
        riga_testo_minima = std::min<int32_t>(riga_testo_minima, x.dato1);
        break;
      default:
        unknown_codes.push_back(c);
        break;
    }
  }
  for (int32_t c = 0; c <= P; ++c) {
    const cella& x = cell_at(c);
    if ((x.tipo == 11 && x.galleria == 0) ||
        (x.tipo == 10 && (x.dato2 || x.dato3 || x.dato4 || x.tempo))) {
      diag->push_back(warning("decompile-unsupported", file_dat,
                              "cell " + std::to_string(c) +
                                  (x.tipo == 11 ? ": a tunnel marker outside any tunnel"
                                                : ": a station's stop point over the values of an "
                                                  "earlier object") +
                                  "; rows that cover each other are not written back",
                              50 * c));
    }
  }
  for (int32_t c : unknown_codes) {
    diag->push_back(warning("decompile-mismatch", file_dat,
                            "cell " + std::to_string(c) + ": object code " +
                                std::to_string(cell_at(c).tipo) + " is placed by no source row",
                            50 * c));
  }
  for (int32_t c = 0; c <= P; ++c) {
    if (cell_at(c).tipo == 2 && !used_ends.count(c)) {
      diag->push_back(warning(
          "decompile-mismatch", file_dat,
          "cell " + std::to_string(c) + ": a slow-down end without a start cannot be produced",
          50 * c));
    }
  }
  // Text boards in the order of their table rows, row 80 first.
  std::sort(texts.begin(), texts.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  for (size_t i = 0; i < texts.size(); ++i) {
    const auto [riga, c] = texts[i];
    riga_cartello r;
    r.posizione = 50 * (c - 1);
    if (riga >= 0 && riga < righe_tabella_sim) r.testo = t[static_cast<size_t>(riga)].testo;
    if (riga != riga_primo_testo - static_cast<int32_t>(i)) {
      diag->push_back(warning("decompile-mismatch", file_dat,
                              "cell " + std::to_string(c) + ": the text board names row " +
                                  std::to_string(riga) + ", but text boards fill rows 80 downwards",
                              r.posizione));
    }
    s.cartelli.push_back(std::move(r));
  }

  // Service: the train, the clock.
  s.massa_frenata = t[riga_treno].inizio;
  s.vetture = t[riga_treno].progressiva;
  s.sabbia = t[riga_ripetizione].i1;
  s.orologio = {t[riga_ripetizione].i3, t[riga_ripetizione].i4, t[riga_ripetizione].i5};

  // A row that holds only a text, and that no text board names, is the text
  // of a board whose cell a station's stop point took over afterwards.
  std::set<int32_t> named_rows;
  for (const auto& [riga, c] : texts) named_rows.insert(riga);
  auto text_only = [&](const record_sim& x) {
    return x.tipo == 0 && x.inizio == 0 && x.fine == 0 && x.progressiva == 0 && x.b1 == 0 &&
           x.i1 == 0 && x.i2 == 0 && x.i3 == 0 && x.i4 == 0 && x.i5 == 0 && x.b2 == 0 &&
           x.b3 == 0 && x.b4 == 0 && x.b5 == 0 && x.orario == 0;
  };
  for (int32_t r = riga_prima_stazione; r <= riga_primo_testo; ++r) {
    const record_sim& x = t[static_cast<size_t>(r)];
    if (!x.testo.empty() && text_only(x) && !named_rows.count(r)) {
      diag->push_back(
          warning("decompile-unsupported", file_sim,
                  "row " + std::to_string(r) +
                      ": a board text that no text board names (a station's stop point "
                      "took its cell); rows that cover each other are not written back"));
      break;
    }
  }

  // Stations: rows 1 .. below the text rows, while they hold anything.
  for (int32_t r = riga_prima_stazione; r < std::min<int32_t>(riga_testo_minima, riga_primo_testo + 1);
       ++r) {
    const record_sim& x = t[static_cast<size_t>(r)];
    if (text_only(x)) break;
    const int32_t p = x.progressiva;
    int32_t lunghezza = 0;
    int32_t b4 = x.b4;
    if (x.tipo == 5 || x.tipo == 6 || x.tipo == 7 || x.tipo == 8) {
      lunghezza = p - x.inizio;
      b4 = 0;
    } else {
      lunghezza = 2 * (p - x.inizio);
      if (r == riga_prima_stazione) b4 = x.fine == p + lunghezza / 2 + 50 ? 1 : 0;
    }
    riga_stazione st;
    const int32_t hours = x.orario / 3600;
    const int32_t rest = x.orario - hours * 3600;
    st.valori = {p,    x.tipo, lunghezza, x.b1, x.b5, b4,   x.i1,        x.i2,
                 x.b2, x.i3,   x.i4,      x.i5, x.b3, hours,  rest / 60,  rest % 60};
    st.nome = x.testo;
    s.stazioni.push_back(std::move(st));
  }

  // Rows of the table that nothing of the sources fills.
  if (!t[0].testo.empty() || t[0].tipo || t[0].progressiva || t[0].orario) {
    if (texts.size() < 81) {
      diag->push_back(warning("decompile-mismatch", file_sim,
                              "row 0 holds values, but only the 81st text board fills it"));
    }
  }
  if (t[riga_linea].testo != nome_linea) {
    diag->push_back(warning("decompile-mismatch", file_sim,
                            "row 85 names the line \"" + t[riga_linea].testo +
                                "\", the files are named for \"" + nome_linea + "\""));
  }
  if (t[riga_ripetizione].testo != nome_treno) {
    diag->push_back(warning("decompile-mismatch", file_sim,
                            "row 86 names the train \"" + t[riga_ripetizione].testo +
                                "\", the files are named for \"" + nome_treno + "\""));
  }

  // Order of stations and signals where their approach marks share a cell:
  // the row whose mark the cell holds goes after the others.
  {
    const size_t ns = s.stazioni.size();
    const size_t n = ns + s.segnali.size();
    std::vector<std::vector<mark_write>> marks(n);
    for (size_t j = 0; j < ns; ++j) marks[j] = station_marks(t[j + 1], P);
    for (size_t i = 0; i < s.segnali.size(); ++i) {
      const auto& v = s.segnali[i].valori;
      const int32_t c = v[0] / 50 + 1;
      for (int k = 1; k <= 4; ++k) {
        if (c - 2 * k >= 0) {
          marks[ns + i].push_back({c - 2 * k, static_cast<uint8_t>((v[1] * 3 + v[6]) * 10 + k)});
        }
      }
    }
    std::map<int32_t, std::vector<std::pair<size_t, uint8_t>>> per_cella;
    for (size_t w = 0; w < n; ++w) {
      for (const auto& sc : marks[w]) per_cella[sc.cella].emplace_back(w, sc.valore);
    }
    std::vector<std::set<size_t>> after(n);  // edges: w must come before each of after[w]
    std::vector<int> incoming(n, 0);
    auto edge = [&](size_t da, size_t a) {
      if (da != a && after[da].insert(a).second) ++incoming[a];
    };
    for (size_t j = 0; j + 1 < ns; ++j) edge(j, j + 1);
    bool needed = false;
    for (const auto& [c, scrittori] : per_cella) {
      if (scrittori.size() < 2) continue;
      const uint8_t seen = cell_at(c).avvicinamento;
      size_t winner = n;
      for (const auto& [w, v] : scrittori) {
        if (v == seen) winner = w;  // the latest of them in the usual order
      }
      if (winner == n) continue;
      for (const auto& [w, v] : scrittori) {
        if (v != seen) {
          edge(w, winner);
          if (w > winner) needed = true;
        }
      }
    }
    if (needed) {
      std::priority_queue<size_t, std::vector<size_t>, std::greater<size_t>> ready;
      for (size_t w = 0; w < n; ++w) {
        if (incoming[w] == 0) ready.push(w);
      }
      std::vector<bool> done(n, false);
      while (!ready.empty()) {
        const size_t w = ready.top();
        ready.pop();
        done[w] = true;
        s.ordine.push_back({w < ns, w < ns ? w : w - ns});
        for (size_t a : after[w]) {
          if (--incoming[a] == 0) ready.push(a);
        }
      }
      for (size_t w = 0; w < n; ++w) {
        if (!done[w]) s.ordine.push_back({w < ns, w < ns ? w : w - ns});
      }
    }
  }
  return s;
}

// --- Writing the sources --------------------------------------------------------

namespace {

void riga(std::string& out, const std::string& testo) {
  out += testo;
  out += "\r\n";
}

std::string numbers(std::initializer_list<int32_t> v) {
  std::string out;
  for (int32_t x : v) {
    out += ", ";
    out += std::to_string(x);
  }
  return out;
}

template <size_t N>
std::string numbers(const std::array<int32_t, N>& v) {
  std::string out;
  for (int32_t x : v) {
    out += ", ";
    out += std::to_string(x);
  }
  return out;
}

// A text value as the field reader gives it back: quoted when it holds a
// comma, begins with a quote or a blank, or ends with a blank.
std::string text_field(const std::string& t) {
  const bool quoted = t.find(',') != std::string::npos ||
                     (!t.empty() && (t.front() == '"' || t.front() == ' ' || t.front() == '\t' ||
                                     t.back() == ' ' || t.back() == '\t'));
  return quoted ? "\"" + t + "\"" : t;
}

}  // namespace

std::string line_description_text(const source_rows& s) {
  std::string out;
  riga(out, "[generale]");
  riga(out, "lunghezza percorso" + numbers({s.lunghezza}));
  const char* nomi_zone[3] = {"uno", "due", "tre"};
  for (size_t i = 0; i < 3; ++i) {
    if (!s.progressive[i]) continue;
    const auto& z = *s.progressive[i];
    riga(out, std::string("progressiva chilometrica ") + nomi_zone[i] +
                  numbers({z.inizio, z.scostamento, z.flag}));
  }
  for (size_t i = 0; i < 3; ++i) {
    if (s.sfondi[i] != 0) riga(out, std::string("sfondo ") + nomi_zone[i] + numbers({s.sfondi[i]}));
  }
  if (s.ripetizione_codici != 0) {
    riga(out, "ripetizione segnali " + std::to_string(s.ripetizione_codici) + " codici" +
                  numbers({s.ripetizione_inizio, s.ripetizione_fine}));
  }
  riga(out, "[curve]");
  for (const auto& c : s.curve) {
    riga(out, std::string("curva") + (c.sinistra ? "s" : "d") + std::to_string(c.classe) +
                  numbers({c.inizio, c.lunghezza}));
  }
  riga(out, "[pendenze]");
  for (const auto& p : s.pendenze) riga(out, "pendenza" + numbers({p.posizione, p.valore}));
  riga(out, "[montagne]");
  for (const auto& m : s.montagne) riga(out, "montagna" + numbers({m.inizio, m.fine, m.tipo}));
  riga(out, "[cartelli]");
  for (const auto& c : s.cartelli) {
    riga(out, "cartello_indicatore" + numbers({c.posizione}) + ", " + text_field(c.testo));
  }
  riga(out, "[indicazioni]");
  for (const auto& b : s.indicatori) {
    riga(out, "indicatori_vmax" + numbers({b.posizione}) + numbers(b.valori));
  }
  riga(out, "[fine]");
  return out;
}

std::string service_description_text(const source_rows& s) {
  std::string out;
  riga(out, "[generale]");
  if (s.vetture != 0) riga(out, "numero vetture" + numbers({s.vetture}));
  if (s.massa_frenata != 0) riga(out, "percentuale massa frenata" + numbers({s.massa_frenata}));
  if (s.sabbia != 0) riga(out, "sabbia" + numbers({s.sabbia}));
  if (s.orologio != std::array<int32_t, 3>{}) riga(out, "orologio" + numbers(s.orologio));
  riga(out, "[aderenze]");
  for (const auto& a : s.aderenze) riga(out, "aderenza" + numbers({a.posizione, a.valore}));
  riga(out, "[vel_limite]");
  for (const auto& v : s.velocita) riga(out, "velocita" + numbers({v.posizione, v.valore}));
  auto stazione = [&](const riga_stazione& st) {
    riga(out, "stazione" + numbers(st.valori) + ", " + text_field(st.nome));
  };
  auto segnale = [&](const riga_segnale& sg) { riga(out, "segnale" + numbers(sg.valori)); };
  riga(out, "[stazioni]");
  if (s.ordine.empty()) {
    for (const auto& st : s.stazioni) stazione(st);
  } else {
    // Stations and signals interleaved: the order decides which approach
    // mark a shared cell keeps.
    for (const auto& o : s.ordine) {
      if (o.stazione) {
        stazione(s.stazioni[o.indice]);
      } else {
        segnale(s.segnali[o.indice]);
      }
    }
  }
  riga(out, "[rallentamenti]");
  for (const auto& r : s.rallentamenti) riga(out, "rallentamento" + numbers(r.valori));
  riga(out, "[segnali]");
  if (s.ordine.empty()) {
    for (const auto& sg : s.segnali) segnale(sg);
  }
  riga(out, "[abbattimenti]");
  for (const auto& a : s.abbattimenti) riga(out, "abbattimento" + numbers({a.posizione, a.valore}));
  riga(out, "[fine]");
  return out;
}

// --- Compiling in memory ----------------------------------------------------------

compiled compile_in_memory(const std::string& linea, const std::string& servizio,
                           const std::string& nome_linea, const std::string& nome_treno,
                           bool genera_linea) {
  compiled out;
  MemoryFileSystem fs;
  fs.files[join_path("in", nomi::linea_txt(nome_linea))] = linea;
  fs.files[join_path("in", nomi::treno_txt(nome_linea, nome_treno))] = servizio;
  stato_compilazione s;
  s.nome_linea = nome_linea;
  s.nome_treno = nome_treno;
  CompileOptions o;
  o.source_folder = "in";
  o.output_folder = "out";
  const CompileOutcome e = memorizza_percorso(s, genera_linea, fs, o);
  out.faults = compile_faults(s);
  if (e.guard_error) out.faults.push_back("header guard " + std::to_string(*e.guard_error));
  if (e.nothing_to_write) out.faults.push_back("nothing to write: no route length");
  if (e.io_error) out.faults.push_back(e.io_error->path + ": " + e.io_error->reason);
  const auto find = [&](const std::string& nome) -> std::optional<std::string> {
    auto it = fs.files.find(join_path("out", nome));
    if (it == fs.files.end()) return std::nullopt;
    return it->second;
  };
  auto sim = find(nomi::sim(nome_linea, nome_treno));
  auto dat = find(nomi::dat(nome_linea, nome_treno));
  if (sim && dat) {
    out.written = true;
    out.file.sim = std::move(*sim);
    out.file.dat = std::move(*dat);
    if (genera_linea) out.file.linea = find(nomi::linea_dat(nome_linea));
  }
  return out;
}

// --- The round trip ---------------------------------------------------------------

namespace {

const char* row_role(int r) {
  switch (r) {
    case 0: return "row 0";
    case riga_progressiva_tre:
    case riga_progressiva_due:
    case riga_progressiva_uno: return "kilometre zone row";
    case riga_treno: return "train row";
    case riga_linea: return "line and header row";
    case riga_ripetizione: return "repetition and clock row";
    default: return "station or text row";
  }
}

// One warning per row of the table that differs, naming its fields.
// The fields of one record or cell that differ, as "NAME A in the file, B
// from the sources, ...".
class differing_fields {
 public:
  template <class T>
  void compare(const char* nome, const T& u, const T& v) {
    if (u == v) return;
    std::ostringstream o;
    o << +u << " in the file, " << +v << " from the sources";
    add(std::string(nome) + " " + o.str());
  }
  void add(const std::string& difference) {
    text_ += (text_.empty() ? "" : ", ") + difference;
  }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

void compare_tables(const std::array<record_sim, righe_tabella_sim>& a,
                    const std::array<record_sim, righe_tabella_sim>& b, const std::string& file,
                    Diagnostics* diag) {
  for (int r = 0; r < righe_tabella_sim; ++r) {
    const record_sim& x = a[static_cast<size_t>(r)];
    const record_sim& y = b[static_cast<size_t>(r)];
    differing_fields differing;
    differing.compare("tipo", x.tipo, y.tipo);
    differing.compare("inizio", x.inizio, y.inizio);
    differing.compare("fine", x.fine, y.fine);
    differing.compare("progressiva", x.progressiva, y.progressiva);
    differing.compare("b1", x.b1, y.b1);
    if (x.testo != y.testo) {
      differing.add("testo \"" + x.testo + "\" in the file, \"" + y.testo + "\" from the sources");
    }
    differing.compare("i1", x.i1, y.i1);
    differing.compare("i2", x.i2, y.i2);
    differing.compare("i3", x.i3, y.i3);
    differing.compare("i4", x.i4, y.i4);
    differing.compare("i5", x.i5, y.i5);
    differing.compare("b2", x.b2, y.b2);
    differing.compare("b3", x.b3, y.b3);
    differing.compare("b4", x.b4, y.b4);
    differing.compare("b5", x.b5, y.b5);
    differing.compare("orario", x.orario, y.orario);
    if (!differing.text().empty()) {
      diag->push_back(warning("decompile-mismatch", file,
                              "row " + std::to_string(r) + " (" + row_role(r) +
                                  ") cannot be produced: " + differing.text()));
    }
  }
}

void compare_cells(const std::vector<cella>& a, const std::vector<cella>& b,
                   const chilometrica& posti, const std::string& file, Diagnostics* diag) {
  if (a.size() != b.size()) {
    diag->push_back(warning("decompile-mismatch", file,
                            std::to_string(a.size()) + " cells in the file, " +
                                std::to_string(b.size()) + " from the sources"));
  }
  const size_t n = std::min(a.size(), b.size());
  // One warning per stretch of neighbouring cells that differ in the same
  // way (a tunnel of another kind is one warning, not one per cell).
  constexpr size_t max_warnings = 200;
  size_t counted = 0;
  size_t da = 0;
  std::string stretch;  // the differences of the stretch that ends at the cell before
  auto close_run = [&](size_t a_cella) {
    if (stretch.empty()) return;
    if (++counted > max_warnings) return;
    const int32_t m0 = static_cast<int32_t>(50 * da);
    const int32_t m1 = static_cast<int32_t>(50 * a_cella);
    std::string dove;
    if (a_cella == da) {
      dove = "cell " + std::to_string(da) + " (km " + testo_post(posti.post(m0)) + ", " +
             std::to_string(m0) + " m)";
    } else {
      dove = "cells " + std::to_string(da) + " .. " + std::to_string(a_cella) + " (km " +
             testo_post(posti.post(m0)) + " .. " + testo_post(posti.post(m1)) + ", " +
             std::to_string(m0) + " .. " + std::to_string(m1) + " m)";
    }
    diag->push_back(
        warning("decompile-mismatch", file, dove + " cannot be produced: " + stretch, m0));
  };
  for (size_t c = 0; c < n; ++c) {
    const cella& x = a[c];
    const cella& y = b[c];
    differing_fields differing;
    differing.compare("tipo", x.tipo, y.tipo);
    differing.compare("dato1", x.dato1, y.dato1);
    differing.compare("dato2", x.dato2, y.dato2);
    differing.compare("dato3", x.dato3, y.dato3);
    differing.compare("dato4", x.dato4, y.dato4);
    differing.compare("tempo", x.tempo, y.tempo);
    differing.compare("avvicinamento", x.avvicinamento, y.avvicinamento);
    differing.compare("galleria", x.galleria, y.galleria);
    differing.compare("velocita", x.velocita, y.velocita);
    differing.compare("pendenza", x.pendenza, y.pendenza);
    differing.compare("aderenza", x.aderenza, y.aderenza);
    const std::string& campi = differing.text();
    if (campi == stretch && !campi.empty()) continue;
    if (c > 0) close_run(c - 1);
    stretch = campi;
    da = c;
  }
  if (n > 0) close_run(n - 1);
  if (counted > max_warnings) {
    diag->push_back(warning("decompile-mismatch", file,
                            std::to_string(counted - max_warnings) + " more stretches of cells differ"));
  }
}

void compare_plans(const std::string& a, const std::string& b, const std::string& file,
                   Diagnostics* diag) {
  matrice_punti x, y;
  if (leggi_matrice_linea(a, &x) || leggi_matrice_linea(b, &y) || x.ultimo() != y.ultimo()) {
    diag->push_back(warning("decompile-mismatch", file,
                            "the track plan from the sources has another size (" +
                                std::to_string(b.size()) + " bytes, the file " +
                                std::to_string(a.size()) + ")"));
    return;
  }
  int32_t runs = 0;
  for (int32_t i = 0; i <= x.ultimo(); ++i) {
    const bool same = x.tipo(i) == y.tipo(i) && same_bits(x.x(i), y.x(i)) &&
                        same_bits(x.y(i), y.y(i));
    if (same) continue;
    int32_t j = i;
    while (j + 1 <= x.ultimo() &&
           !(x.tipo(j + 1) == y.tipo(j + 1) && same_bits(x.x(j + 1), y.x(j + 1)) &&
             same_bits(x.y(j + 1), y.y(j + 1)))) {
      ++j;
    }
    if (++runs <= 50) {
      diag->push_back(warning("decompile-mismatch", file,
                              "track plan points " + std::to_string(i) + " .. " +
                                  std::to_string(j) + " cannot be produced",
                              i));
    }
    i = j;
  }
}

}  // namespace

decompile_outcome decompile(const binary_files& f, const std::string& nome_linea,
                            const std::string& nome_treno) {
  decompile_outcome out;
  const auto d = decode(f, nome_linea, nome_treno, &out.diagnostiche);
  if (!d) return out;
  out.decoded = true;
  const std::string file_linea = nomi::linea_dat(nome_linea);
  const std::string file_sim = nomi::sim(nome_linea, nome_treno);
  const std::string file_dat = nomi::dat(nome_linea, nome_treno);
  if (!d->matrice) {
    out.diagnostiche.push_back(warning(
        "no-track-plan", file_linea,
        "no track plan: the curves cannot be recovered and none is written; the sources give "
        "back the scenario table and the route file when compiled without a track plan"));
  }
  out.rows = rebuild_rows(*d, nome_linea, nome_treno, &out.diagnostiche);
  source_rows& s = out.rows;
  const bool genera = d->matrice.has_value();

  // The derivation's boards of 180 are not rows. Compile without them, then
  // write as rows only the boards of 180 that the compile did not put back.
  compiled c;
  for (int pass = 0; pass < 8; ++pass) {
    c = compile_in_memory(line_description_text(s), service_description_text(s), nome_linea, nome_treno,
                          genera);
    if (!c.written) break;
    std::vector<cella> rebuilt_rows;
    if (leggi_percorso(c.file.dat, &rebuilt_rows)) break;
    bool added = false;
    std::set<int32_t> already;
    for (const auto& a : s.abbattimenti) already.insert(a.posizione);
    for (size_t k = 0; k < d->percorso.size() && k < rebuilt_rows.size(); ++k) {
      const cella& x = d->percorso[k];
      const cella& y = rebuilt_rows[k];
      if (x.tipo == 12 && x.dato1 == 180 && !(y.tipo == 12 && y.dato1 == 180) &&
          !already.count(static_cast<int32_t>(50 * k))) {
        s.abbattimenti.push_back({static_cast<int32_t>(50 * k), 180});
        added = true;
      }
    }
    if (!added) break;
    std::sort(s.abbattimenti.begin(), s.abbattimenti.end(),
              [](const auto& a, const auto& b) { return a.posizione < b.posizione; });
  }
  out.linea = line_description_text(s);
  out.servizio = service_description_text(s);

  // The claim is only made on the bytes.
  for (const std::string& g : c.faults) {
    out.diagnostiche.push_back(warning("decompile-fault", nomi::linea_txt(nome_linea),
                                       "the written sources compile with a fault: " + g));
  }
  if (!c.written) {
    out.diagnostiche.push_back(
        warning("decompile-mismatch", file_sim, "the written sources give no binary files"));
    return out;
  }
  const bool matches = c.file.sim == f.sim && c.file.dat == f.dat &&
                       (!genera || (c.file.linea && *c.file.linea == *f.linea));
  if (matches && c.faults.empty()) {
    out.round_trip = true;
    return out;
  }
  if (c.file.sim != f.sim) {
    std::array<record_sim, righe_tabella_sim> rebuilt{};
    if (!leggi_tabella_sim(c.file.sim, &rebuilt)) {
      compare_tables(d->tabella, rebuilt, file_sim, &out.diagnostiche);
    }
  }
  if (c.file.dat != f.dat) {
    std::vector<cella> rebuilt_rows;
    if (!leggi_percorso(c.file.dat, &rebuilt_rows)) {
      compare_cells(d->percorso, rebuilt_rows, chilometrica(d->tabella), file_dat, &out.diagnostiche);
    }
  }
  if (genera && c.file.linea && *c.file.linea != *f.linea) {
    compare_plans(*f.linea, *c.file.linea, file_linea, &out.diagnostiche);
  }
  return out;
}

std::string check_round_trip(const std::string& linea, const std::string& servizio,
                             bool genera_linea) {
  const std::string nome_linea = "Andata";
  const std::string nome_treno = "Ritorno";
  const compiled primo = compile_in_memory(linea, servizio, nome_linea, nome_treno, genera_linea);
  if (!primo.written || !primo.faults.empty()) return {};
  const decompile_outcome e = decompile(primo.file, nome_linea, nome_treno);
  if (e.round_trip) return {};
  // Rows that cover one another are named as such and not written back.
  for (const Diagnostic& d : e.diagnostiche) {
    if (d.code == "decompile-unsupported") return {};
  }
  std::string out = "compile, decompile, compile gave other bytes";
  for (const Diagnostic& d : e.diagnostiche) {
    if (d.code == "no-track-plan") continue;
    out += "\n" + format_diagnostic(d);
  }
  return out;
}

}  // namespace scenario::roundtrip
