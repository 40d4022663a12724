#include "support/scenario_generator.h"

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace scenario::testing {

namespace {

constexpr int32_t metri_cella = 50;
// No object comes nearer the start: cells 0 and 1 carry the header stamps,
// and the derivation rules look a few cells behind every object.
constexpr int32_t prima_cella_libera = 8;
constexpr int32_t massimo_montagne = 80;
constexpr int32_t massimo_righe_testo = 78;  // stations and text boards together
constexpr int32_t ultimo_punto_curva = 999'999;

class RandomSource {
 public:
  explicit RandomSource(uint64_t seed) : g_(seed) {}
  // 0 .. n - 1.
  uint64_t below(uint64_t n) { return n == 0 ? 0 : g_() % n; }
  // lo .. hi, both included; lo when hi < lo.
  int32_t between(int32_t lo, int32_t hi) {
    if (hi <= lo) return lo;
    return lo + static_cast<int32_t>(below(static_cast<uint64_t>(hi) - lo + 1));
  }
  bool chance(int percent) { return below(100) < static_cast<uint64_t>(percent); }
  template <class T>
  T one_of(const std::vector<T>& v) { return v[below(v.size())]; }

 private:
  std::mt19937_64 g_;
};

// Which cells hold an object or are kept for one, and which stretches the
// slow-downs use: two slow-downs never share cells of their stretches, so the
// walk of one never meets the end of another.
class CellMap {
 public:
  CellMap(int32_t ultima) : taken_(static_cast<size_t>(ultima) + 1, false), ultima_(ultima) {}

  int32_t ultima() const { return ultima_; }

  bool all_free(const std::vector<int32_t>& celle) const {
    for (size_t i = 0; i < celle.size(); ++i) {
      const int32_t c = celle[i];
      if (c < prima_cella_libera || c > ultima_ || taken_[c]) return false;
      for (size_t k = 0; k < i; ++k) {
        if (celle[k] == c) return false;
      }
    }
    return true;
  }
  void take(const std::vector<int32_t>& celle) {
    for (int32_t c : celle) taken_[c] = true;
  }
  bool stretch_free(int32_t da, int32_t a) const {
    for (const auto& [z_da, z_a] : stretches_) {
      if (da <= z_a && z_da <= a) return false;
    }
    return true;
  }
  void take_stretch(int32_t da, int32_t a) { stretches_.emplace_back(da, a); }

 private:
  std::vector<bool> taken_;
  std::vector<std::pair<int32_t, int32_t>> stretches_;
  int32_t ultima_;
};

struct campo {
  std::string testo;
  bool numero = true;
};

// One entry of a text file: its kind (for ordering), keyword and values.
struct riga {
  int tipo = 0;
  int32_t posizione = 0;
  std::string chiave;
  std::vector<campo> campi;
  bool separati_da_spazi = false;  // the clock's form: "6   30   30 "
};

campo numero(int64_t v) { return campo{std::to_string(v), true}; }
campo vuoto() { return campo{"", true}; }
campo testo(std::string t) { return campo{std::move(t), false}; }

class SourceWriter {
 public:
  SourceWriter(RandomSource& rnd, bool vary) : rnd_(rnd), vary_(vary) {
    eol_ = vary && rnd.chance(10) ? "\n" : "\r\n";
  }

  const std::string& eol() const { return eol_; }

  // A keyword matched in any case, written in a random case.
  std::string any_case(const std::string& word) {
    if (!vary_) return word;
    std::string out = word;
    switch (rnd_.below(4)) {
      case 0:
        for (char& ch : out) ch = static_cast<char>(ch >= 'a' && ch <= 'z' ? ch - 32 : ch);
        break;
      case 1:
        if (!out.empty() && out[0] >= 'a' && out[0] <= 'z') out[0] = static_cast<char>(out[0] - 32);
        break;
      default: break;
    }
    return out;
  }

  std::string riga_testo(const riga& r) {
    std::string out = r.chiave;
    for (size_t i = 0; i < r.campi.size(); ++i) {
      const bool after_number = i > 0 && r.campi[i - 1].numero && !r.campi[i - 1].testo.empty();
      if (vary_ && (i == 0 || after_number) && rnd_.chance(3)) {
        // The values of an entry may go on on the next line.
        out += eol_;
        out += spaces();
      } else if (r.separati_da_spazi && i > 0) {
        out += std::string(static_cast<size_t>(rnd_.between(1, 14)), ' ');
      } else {
        if (vary_ && after_number && rnd_.chance(5)) out += ' ';
        out += ',';
        out += spaces();
      }
      out += r.campi[i].testo;
    }
    if (r.separati_da_spazi) out += ' ';
    return out + eol_;
  }

  // A line whose single field holds a dash: passed over by the readers.
  std::string dash_row() { return rnd_.one_of(dashes_) + eol_; }

 private:
  std::string spaces() {
    if (!vary_) return "  ";
    if (rnd_.chance(8)) return "\t";
    return std::string(static_cast<size_t>(rnd_.between(0, 6)), ' ');
  }

  RandomSource& rnd_;
  bool vary_;
  std::string eol_;
  const std::vector<std::string> dashes_{"- - -", "----------", "-- nota di servizio --",
                                           "  -"};
};

const std::vector<std::string> syllables{"BOR", "GO", "VAL", "DRE", "SSA", "MON", "TOR", "BE",
                                       "CA",  "STEL", "LA", "RO", "VEL", "LO", "SAN", "PIE",
                                       "TRA", "FOS", "SO", "NE", "MA",  "RI", "CIA", "TE"};

std::string place_name(RandomSource& rnd) {
  std::string n;
  const int k = rnd.between(2, 4);
  for (int i = 0; i < k; ++i) n += rnd.one_of(syllables);
  return n;
}

std::string station_name(RandomSource& rnd, bool vary) {
  std::string n = place_name(rnd);
  if (rnd.chance(20)) n = "S. " + n;
  if (rnd.chance(15)) n += " - " + place_name(rnd);
  if (rnd.chance(10)) n += " " + std::to_string(rnd.between(1, 3));
  n = n.substr(0, 24);
  // A quoted name may hold a comma.
  if (vary && rnd.chance(5)) n = "\"" + n + ", " + place_name(rnd).substr(0, 4) + "\"";
  return n;
}

// A board face: lines in parentheses, padded to the widest.
std::string board_face(RandomSource& rnd, bool vary) {
  std::vector<std::string> righe;
  switch (rnd.below(4)) {
    case 0: righe = {"EX STAZIONE", place_name(rnd)}; break;
    case 1: righe = {"BIVIO", place_name(rnd)}; break;
    default:
      righe = {"GALLERIA", place_name(rnd), "m." + std::to_string(rnd.between(1, 80) * 50)};
      break;
  }
  size_t width = 0;
  for (const auto& r : righe) width = std::max(width, r.size());
  std::string out;
  for (auto& r : righe) out += "(" + r + std::string(width - r.size(), ' ') + ")";
  if (vary && rnd.chance(8)) out = "\"" + out + "(A, B)\"";
  return out;
}

int32_t round_up(int32_t x, int32_t passo) { return (x + passo - 1) / passo * passo; }

// Interleaves the groups keeping the order inside each, or keeps them apart
// under their section headers.
std::string compose(std::vector<std::pair<std::string, std::vector<std::string>>>& groups,
                    RandomSource& rnd, SourceWriter& w, bool vary, const std::string& chiusura) {
  std::string out;
  const bool shuffle = vary && rnd.chance(30);
  if (!shuffle) {
    for (auto& [header, righe] : groups) {
      out += header + w.eol();
      for (auto& r : righe) {
        if (vary && rnd.chance(2)) out += w.dash_row();
        if (vary && rnd.chance(1)) out += w.eol();
        out += r;
      }
    }
  } else {
    // A header still closes the general section; the rest follow in any order.
    out += groups.front().first + w.eol();
    std::vector<size_t> next_row(groups.size(), 0);
    size_t remaining = 0;
    for (auto& g : groups) remaining += g.second.size();
    while (remaining > 0) {
      size_t g = rnd.below(groups.size());
      while (next_row[g] >= groups[g].second.size()) g = (g + 1) % groups.size();
      if (rnd.chance(2)) out += w.dash_row();
      out += groups[g].second[next_row[g]++];
      --remaining;
    }
  }
  out += chiusura + w.eol();
  return out;
}

}  // namespace

namespace {

// One section's rows as lines of text, each keyword in a random case.
void add_section(std::vector<std::pair<std::string, std::vector<std::string>>>& groups,
                 SourceWriter& w, const char* header, std::vector<riga> rows) {
  std::vector<std::string> lines;
  for (auto& r : rows) {
    r.chiave = w.any_case(r.chiave);
    lines.push_back(w.riga_testo(r));
  }
  groups.emplace_back(header, std::move(lines));
}

RandomScenario generate(uint64_t seed, const GeneratorOptions& options, bool exact_rows) {
  RandomSource rnd(seed * 0x9E3779B97F4A7C15ull + 0x5151);
  const bool vary = options.vary_form;
  RandomScenario sg;
  const int32_t lunghezza =
      options.lunghezza > 0 ? std::min(options.lunghezza, 1'000'000) : rnd.between(240, 3000) * 50;
  sg.lunghezza = lunghezza;
  const int max_rows = options.righe > 0 ? options.righe : 40;
  auto how_many = [&](int cap) {
    const int n = exact_rows ? max_rows : rnd.between(0, max_rows);
    return std::min(n, cap);
  };

  // Objects end 100 m before the end of the route at the latest.
  CellMap cell_map(lunghezza / metri_cella - 2);
  auto expect = [&](int32_t cella, uint8_t tipo) { sg.oggetti.push_back({cella, tipo}); };
  auto random_cell = [&](int32_t da) { return rnd.between(da, cell_map.ultima()); };
  constexpr int tries = 60;

  // ---- Slow-downs: their cells, and the cells the derivation rules fill.
  enum tipi_riga {
    k_curva, k_pendenza, k_montagna, k_indicatore, k_cartello,
    k_aderenza, k_velocita, k_stazione, k_rallentamento, k_segnale, k_abbattimento, k_tipi
  };
  std::vector<std::vector<riga>> righe(k_tipi);

  const int n_rallentamenti = how_many(std::max(1, max_rows / (exact_rows ? 10 : 4)));
  for (int n = 0; n < n_rallentamenti; ++n) {
    for (int t = 0; t < tries; ++t) {
      int32_t span_cells = rnd.between(2, 30);
      if (span_cells % 8 == 0) ++span_cells;  // the walk would meet the end cell on a board's turn
      const int32_t l = span_cells * metri_cella;
      const int32_t s = random_cell(prima_cella_libera + 2);  // start cell
      const int32_t x = (s - 1) * metri_cella;
      const int32_t e = s + span_cells;  // end cell
      if (e + 13 > cell_map.ultima()) continue;
      const int32_t v = rnd.between(6, 30) * 5;
      const int f_tt = static_cast<int>(rnd.below(2));
      // Below 1550 m the reader takes f_ta as 0 whatever the row says.
      const int f_ta_riga = static_cast<int>(rnd.below(2));
      int f_ta = f_ta_riga;
      const int32_t d_v = rnd.chance(50) ? v : 0;
      std::vector<int32_t> celle{s, e};
      std::vector<std::pair<int32_t, uint8_t>> expected{{s, 3}, {e, 2}};
      int32_t inizio_zona = s - 20;
      if (x > 1500) {
        const int32_t w = s - 24;  // (x - 1200) / 50 + 1
        celle.push_back(w);
        expected.push_back({w, 4});
        if (f_ta != 0) {
          for (int32_t i = 0; i < 4; ++i) {
            celle.push_back(w - 1 - i);
            expected.push_back({w - 1 - i, 5});
          }
        }
        inizio_zona = std::min(inizio_zona, w - 4);
      } else {
        f_ta = 0;
      }
      // The first cell of each window in front of the start.
      constexpr std::pair<int32_t, int32_t> windows[] = {{7, 5}, {13, 11}, {20, 18}};
      for (const auto& [threshold, distance] : windows) {
        if (s > threshold) {
          celle.push_back(s - distance);
          expected.push_back({s - distance, 12});
        }
      }
      // Boards every 8 cells through a slow stretch.
      if (v < 110) {
        for (int32_t k = s + 8; k < e; k += 8) {
          celle.push_back(k);
          expected.push_back({k, 12});
        }
      }
      if (!cell_map.all_free(celle) || !cell_map.stretch_free(inizio_zona, e + 13)) continue;
      cell_map.take(celle);
      cell_map.take_stretch(inizio_zona, e + 13);
      for (auto [c, t2] : expected) expect(c, t2);
      righe[k_rallentamento].push_back(riga{
          k_rallentamento, x, "rallentamento",
          {numero(x), numero(v), numero(l), numero(f_tt), numero(f_ta_riga), numero(d_v)}});
      break;
    }
  }

  // ---- Stations, in ascending order with 350 m between stop areas.
  const int n_cartelli = how_many(40);
  const int n_stazioni = how_many(massimo_righe_testo - n_cartelli);
  {
    const std::vector<int> tipi{12, 12, 12, 24, 24, 28, 22, 26, 2, 4, 21, 5, 6, 7, 8, 30};
    int32_t previous_end = -100'000;
    int32_t passo = std::max<int32_t>(metri_cella, lunghezza / std::max(1, n_stazioni + 1));
    int32_t p = 0;
    for (int j = 1; j <= n_stazioni; ++j) {
      const int t = rnd.one_of(tipi);
      const int32_t L = rnd.between(1, (t == 7 || t == 8) ? 4 : 8) * 100;
      const int b4 = static_cast<int>(rnd.below(2));
      auto area = [&](int32_t pos, int32_t* inizio, int32_t* fine) {
        if (t == 5 || t == 6) {
          *inizio = pos - L;
          *fine = pos + 150;
        } else if (t == 7 || t == 8) {
          *inizio = pos - L;
          *fine = pos + L;
        } else {
          *inizio = pos - L / 2;
          *fine = pos + L / 2 + (b4 != 0 ? 50 : 0);
        }
      };
      const int32_t overhang = (t >= 5 && t <= 8) ? L : L / 2;
      p = std::max(p, round_up(previous_end + 350 + overhang, 100));
      p = std::max(p, 500 + overhang);
      p += rnd.between(0, std::max<int32_t>(0, passo / 200)) * 100;
      bool placed = false;
      for (int attempt_no = 0; attempt_no < tries && !placed; ++attempt_no, p += 100) {
        int32_t inizio = 0, fine = 0;
        area(p, &inizio, &fine);
        if (fine + 100 > lunghezza || p + 800 > lunghezza) break;
        const bool stops = t < 25;
        const int32_t stop = fine / metri_cella - 1;
        if (stops && !cell_map.all_free({stop})) continue;
        if (stops) {
          cell_map.take({stop});
          expect(stop, 10);
        }
        const bool orario = rnd.chance(70);
        const int32_t secondi = 5 * 3600 + rnd.between(0, 17 * 60) * 60;
        righe[k_stazione].push_back(riga{
            k_stazione, p, "stazione",
            {numero(p), numero(t), numero(L), numero(rnd.below(2)), numero(rnd.below(2)),
             numero(b4), numero(rnd.one_of(std::vector<int>{0, 1, 4})),
             numero(rnd.one_of(std::vector<int>{0, 1, 4})), numero(rnd.below(2)),
             numero(rnd.one_of(std::vector<int>{0, 1, 2, 4, 5})),
             numero(rnd.one_of(std::vector<int>{0, 1, 2})), numero(rnd.below(2)),
             numero(rnd.one_of(std::vector<int>{0, 60, 1})),
             numero(orario ? secondi / 3600 : 0), numero(orario ? secondi / 60 % 60 : 0),
             numero(orario ? rnd.between(0, 59) : 0), testo(station_name(rnd, vary))}});
        previous_end = fine;
        placed = true;
      }
      if (!placed) break;
    }
  }

  // ---- Point objects on cells of their own.
  auto place = [&](int count, auto&& attempt) {
    for (int n = 0; n < count; ++n) {
      for (int t = 0; t < tries; ++t) {
        if (attempt()) break;
      }
    }
  };
  place(how_many(1'000'000), [&] {
    // A signal keeps the two cells before it free for the boards of rules A and D.
    const int32_t d = random_cell(prima_cella_libera + 2);
    if (!cell_map.all_free({d, d - 1, d - 2})) return false;
    cell_map.take({d, d - 1, d - 2});
    expect(d, 1);
    const int32_t p = (d - 1) * metri_cella;
    const int32_t lato = rnd.between(1, 2);
    const int32_t tempo = rnd.chance(20) ? (rnd.chance(50) ? 210 : rnd.between(0, 255)) : 0;
    righe[k_segnale].push_back(riga{
        k_segnale, p, "segnale",
        {numero(p), numero(lato), numero(rnd.between(2, 5)), numero(rnd.between(0, 6)),
         numero(rnd.below(2)), numero(rnd.below(2)), numero(lato), numero(rnd.between(2, 3)),
         numero(rnd.below(2)), numero(rnd.below(2)), numero(tempo)}});
    return true;
  });
  place(how_many(exact_rows ? max_rows / 2 : max_rows), [&] {
    const int32_t c = random_cell(prima_cella_libera);
    if (!cell_map.all_free({c})) return false;
    cell_map.take({c});
    const int32_t w = rnd.chance(25) ? 0 : rnd.between(6, 30) * 5;
    expect(c, w > 0 ? 12 : 13);
    const int32_t x = c * metri_cella;
    righe[k_abbattimento].push_back(
        riga{k_abbattimento, x, "abbattimento", {numero(x), numero(w)}});
    return true;
  });
  place(how_many(1'000'000), [&] {
    const int32_t c = random_cell(prima_cella_libera);
    if (!cell_map.all_free({c})) return false;
    cell_map.take({c});
    expect(c, 6);
    const int32_t p = (c - 1) * metri_cella;
    int32_t v[3];
    for (auto& x : v) x = rnd.between(12, 30) * 5;
    std::sort(v, v + 3);
    auto maybe_blank = [&](int32_t x) { return rnd.chance(70) ? vuoto() : numero(x); };
    righe[k_indicatore].push_back(riga{
        k_indicatore, p, "indicatori_vmax",
        {numero(p), numero(v[0]), numero(v[1]), numero(v[2]), numero(rnd.between(0, 2)),
         maybe_blank(rnd.between(0, 6) * 5), maybe_blank(rnd.between(0, 6) * 5), maybe_blank(rnd.between(0, 6) * 5),
         numero(rnd.between(0, 2))}});
    return true;
  });
  place(n_cartelli, [&] {
    const int32_t c = random_cell(prima_cella_libera);
    if (!cell_map.all_free({c})) return false;
    cell_map.take({c});
    expect(c, 14);
    const int32_t p = (c - 1) * metri_cella;
    righe[k_cartello].push_back(riga{k_cartello, p, "cartello_indicatore",
                                     {numero(p), testo(board_face(rnd, vary))}});
    return true;
  });

  // ---- Stretches: tunnels, curves, gradients, speeds, adhesion.
  {
    const int n = how_many(massimo_montagne);
    int32_t pos = rnd.between(10, 40) * 50;
    const int32_t passo = std::max<int32_t>(100, lunghezza / std::max(1, n + 1));
    for (int i = 0; i < n; ++i) {
      const int32_t span = rnd.between(1, std::min<int32_t>(84, passo / 100)) * 50;
      if (pos + span + 100 > lunghezza) break;
      const int32_t t = rnd.one_of(std::vector<int32_t>{1, 2, 3, 11, 11, 12, 13});
      righe[k_montagna].push_back(
          riga{k_montagna, pos, "montagna", {numero(pos), numero(pos + span), numero(t)}});
      pos += span + rnd.between(1, std::max<int32_t>(1, (passo - span) / 50)) * 50;
    }
  }
  {
    const int n = how_many(1'000'000);
    const int32_t fine_curve = std::min(lunghezza - 100, ultimo_punto_curva);
    const int32_t passo = std::max<int32_t>(100, fine_curve / std::max(1, n + 1));
    int32_t pos = rnd.between(4, 40) * 50;
    for (int i = 0; i < n; ++i) {
      const int32_t span = rnd.between(1, std::min<int32_t>(30, std::max(1, passo / 100))) * 50;
      if (pos + span > fine_curve) break;
      const std::string chiave = std::string("curva") + (rnd.chance(50) ? "d" : "s") +
                                 std::to_string(rnd.between(1, 6));
      righe[k_curva].push_back(riga{k_curva, pos, chiave, {numero(pos), numero(span)}});
      pos += span + rnd.between(1, std::max<int32_t>(1, (passo - span) / 50)) * 50;
    }
  }
  auto profile = [&](int tipo, const char* chiave, int n, auto&& valore) {
    int32_t pos = 0;
    const int32_t passo = std::max<int32_t>(50, (lunghezza - 100) / std::max(1, n));
    for (int i = 0; i < n && pos <= lunghezza - 100; ++i) {
      righe[tipo].push_back(riga{tipo, pos, chiave, {numero(pos), numero(valore())}});
      pos += rnd.between(1, std::max<int32_t>(1, passo / 50)) * 50;
    }
  };
  profile(k_pendenza, "pendenza", std::max(1, how_many(1'000'000)), [&] { return rnd.between(-30, 30); });
  profile(k_velocita, "velocita", std::max(1, how_many(1'000'000)),
          [&] { return rnd.between(6, 30) * 5; });
  profile(k_aderenza, "aderenza", std::max(1, how_many(exact_rows ? max_rows / 2 : max_rows)),
          [&] { return rnd.between(40, 200); });

  for (auto& r : righe) {
    std::stable_sort(r.begin(), r.end(),
                     [](const riga& a, const riga& b) { return a.posizione < b.posizione; });
  }
  sg.righe.curve = static_cast<int>(righe[k_curva].size());
  sg.righe.pendenze = static_cast<int>(righe[k_pendenza].size());
  sg.righe.montagne = static_cast<int>(righe[k_montagna].size());
  sg.righe.indicatori = static_cast<int>(righe[k_indicatore].size());
  sg.righe.cartelli = static_cast<int>(righe[k_cartello].size());
  sg.righe.velocita = static_cast<int>(righe[k_velocita].size());
  sg.righe.aderenze = static_cast<int>(righe[k_aderenza].size());
  sg.righe.stazioni = static_cast<int>(righe[k_stazione].size());
  sg.righe.rallentamenti = static_cast<int>(righe[k_rallentamento].size());
  sg.righe.segnali = static_cast<int>(righe[k_segnale].size());
  sg.righe.abbattimenti = static_cast<int>(righe[k_abbattimento].size());

  // ---- The line description.
  {
    SourceWriter w(rnd, vary);
    const int32_t a = rnd.between(1, std::max(1, lunghezza / 100 - 1)) * 50;
    const int32_t b = a + rnd.between(1, std::max(1, (lunghezza - a) / 50)) * 50;
    const int32_t inizio_rip = rnd.between(0, lunghezza / 50) * 50;
    const int32_t fine_rip = rnd.chance(20) ? 0 : rnd.between(0, lunghezza / 50 + 100) * 50;
    std::vector<riga> generale{
        {0, 0, w.any_case("lunghezza percorso"), {numero(lunghezza)}},
        {0, 0, "progressiva chilometrica uno", {numero(0), numero(rnd.between(0, 2000) * 50), numero(1)}},
        {0, 0, "progressiva chilometrica due", {numero(a), numero(-a), numero(0)}},
        {0, 0, "progressiva chilometrica tre", {numero(b), numero(-b), numero(0)}},
        {0, 0, "sfondo uno", {numero(rnd.between(0, 3))}},
        {0, 0, "sfondo due", {numero(rnd.between(0, 3))}},
        {0, 0, "sfondo tre", {numero(rnd.between(0, 3))}},
        {0, 0, std::string("ripetizione segnali ") + (rnd.chance(50) ? "4" : "9") + " codici",
         {numero(inizio_rip), numero(fine_rip)}},
    };
    if (vary && rnd.chance(50)) {
      for (size_t i = generale.size() - 1; i > 0; --i) {
        std::swap(generale[i], generale[rnd.below(i + 1)]);
      }
    }
    std::string out;
    if (vary && rnd.chance(30)) out += "descrizione della linea, generata" + w.eol();
    out += w.any_case("[generale]") + w.eol();
    for (const auto& r : generale) {
      if (vary && rnd.chance(5)) out += w.dash_row();
      out += w.riga_testo(r);
    }
    std::vector<std::pair<std::string, std::vector<std::string>>> groups;
    auto add_group = [&](const char* header, int tipo) { add_section(groups, w, header, righe[tipo]); };
    add_group("[curve]", k_curva);
    add_group("[pendenze]", k_pendenza);
    add_group("[montagne]", k_montagna);
    add_group("[cartelli]", k_indicatore);
    add_group("[indicazioni]", k_cartello);
    out += compose(groups, rnd, w, vary, "[fine]");
    sg.linea = std::move(out);
  }

  // ---- The service description.
  {
    SourceWriter w(rnd, vary);
    std::vector<riga> generale{
        {0, 0, w.any_case("numero vetture"), {numero(rnd.between(1, 12))}},
        {0, 0, w.any_case("percentuale massa frenata"), {numero(rnd.between(50, 150))}},
        {0, 0, w.any_case("sabbia"), {numero(rnd.below(2))}},
    };
    riga orologio{0, 0, w.any_case("orologio"),
                  {numero(rnd.between(0, 23)), numero(rnd.between(0, 59)), numero(rnd.between(0, 59))}};
    orologio.separati_da_spazi = !vary || rnd.chance(50);
    generale.push_back(orologio);
    std::string out;
    out += std::string("[generale]") + w.eol();
    std::vector<std::pair<std::string, std::vector<std::string>>> groups;
    std::vector<std::string> general_lines;
    for (const auto& r : generale) general_lines.push_back(w.riga_testo(r));
    groups.emplace_back("[treno]", std::move(general_lines));
    auto add_group = [&](const char* header, int tipo) { add_section(groups, w, header, righe[tipo]); };
    add_group("[aderenze]", k_aderenza);
    add_group("[vel_limite]", k_velocita);
    add_group("[stazioni]", k_stazione);
    add_group("[rallentamenti]", k_rallentamento);
    add_group("[segnali]", k_segnale);
    add_group("[abbattimenti]", k_abbattimento);
    out += compose(groups, rnd, w, vary, "[codici]" + w.eol() + "[fine]");
    sg.treno = std::move(out);
  }
  return sg;
}

}  // namespace

RandomScenario generate_scenario(uint64_t seed, const GeneratorOptions& options) {
  return generate(seed, options, false);
}

RandomScenario generate_long_route(uint64_t seed, int righe) {
  GeneratorOptions options;
  options.lunghezza = 1'000'000;
  options.righe = righe;
  options.vary_form = false;
  return generate(seed, options, true);
}

}  // namespace scenario::testing
