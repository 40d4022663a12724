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

class casuale {
 public:
  explicit casuale(uint64_t seme) : g_(seme) {}
  // 0 .. n - 1.
  uint64_t sotto(uint64_t n) { return n == 0 ? 0 : g_() % n; }
  // lo .. hi, both included; lo when hi < lo.
  int32_t tra(int32_t lo, int32_t hi) {
    if (hi <= lo) return lo;
    return lo + static_cast<int32_t>(sotto(static_cast<uint64_t>(hi) - lo + 1));
  }
  bool probabile(int percento) { return sotto(100) < static_cast<uint64_t>(percento); }
  template <class T>
  T uno_di(const std::vector<T>& v) { return v[sotto(v.size())]; }

 private:
  std::mt19937_64 g_;
};

// Which cells hold an object or are kept for one, and which stretches the
// slow-downs use: two slow-downs never share cells of their stretches, so the
// walk of one never meets the end of another.
class mappa_celle {
 public:
  mappa_celle(int32_t ultima) : prese_(static_cast<size_t>(ultima) + 1, false), ultima_(ultima) {}

  int32_t ultima() const { return ultima_; }

  bool libere(const std::vector<int32_t>& celle) const {
    for (size_t i = 0; i < celle.size(); ++i) {
      const int32_t c = celle[i];
      if (c < prima_cella_libera || c > ultima_ || prese_[c]) return false;
      for (size_t k = 0; k < i; ++k) {
        if (celle[k] == c) return false;
      }
    }
    return true;
  }
  void prendi(const std::vector<int32_t>& celle) {
    for (int32_t c : celle) prese_[c] = true;
  }
  bool zona_libera(int32_t da, int32_t a) const {
    for (const auto& [z_da, z_a] : zone_) {
      if (da <= z_a && z_da <= a) return false;
    }
    return true;
  }
  void prendi_zona(int32_t da, int32_t a) { zone_.emplace_back(da, a); }

 private:
  std::vector<bool> prese_;
  std::vector<std::pair<int32_t, int32_t>> zone_;
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

class scrittore {
 public:
  scrittore(casuale& rnd, bool varia) : rnd_(rnd), varia_(varia) {
    eol_ = varia && rnd.probabile(10) ? "\n" : "\r\n";
  }

  const std::string& eol() const { return eol_; }

  // A keyword matched in any case, written in a random case.
  std::string qualsiasi_caso(const std::string& parola) {
    if (!varia_) return parola;
    std::string out = parola;
    switch (rnd_.sotto(4)) {
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
      const bool dopo_numero = i > 0 && r.campi[i - 1].numero && !r.campi[i - 1].testo.empty();
      if (varia_ && (i == 0 || dopo_numero) && rnd_.probabile(3)) {
        // The values of an entry may go on on the next line.
        out += eol_;
        out += spazi();
      } else if (r.separati_da_spazi && i > 0) {
        out += std::string(static_cast<size_t>(rnd_.tra(1, 14)), ' ');
      } else {
        if (varia_ && dopo_numero && rnd_.probabile(5)) out += ' ';
        out += ',';
        out += spazi();
      }
      out += r.campi[i].testo;
    }
    if (r.separati_da_spazi) out += ' ';
    return out + eol_;
  }

  // A line whose single field holds a dash: passed over by the readers.
  std::string riga_trattino() { return rnd_.uno_di(trattini_) + eol_; }

 private:
  std::string spazi() {
    if (!varia_) return "  ";
    if (rnd_.probabile(8)) return "\t";
    return std::string(static_cast<size_t>(rnd_.tra(0, 6)), ' ');
  }

  casuale& rnd_;
  bool varia_;
  std::string eol_;
  const std::vector<std::string> trattini_{"- - -", "----------", "-- nota di servizio --",
                                           "  -"};
};

const std::vector<std::string> sillabe{"BOR", "GO", "VAL", "DRE", "SSA", "MON", "TOR", "BE",
                                       "CA",  "STEL", "LA", "RO", "VEL", "LO", "SAN", "PIE",
                                       "TRA", "FOS", "SO", "NE", "MA",  "RI", "CIA", "TE"};

std::string nome_luogo(casuale& rnd) {
  std::string n;
  const int k = rnd.tra(2, 4);
  for (int i = 0; i < k; ++i) n += rnd.uno_di(sillabe);
  return n;
}

std::string nome_stazione(casuale& rnd, bool varia) {
  std::string n = nome_luogo(rnd);
  if (rnd.probabile(20)) n = "S. " + n;
  if (rnd.probabile(15)) n += " - " + nome_luogo(rnd);
  if (rnd.probabile(10)) n += " " + std::to_string(rnd.tra(1, 3));
  n = n.substr(0, 24);
  // A quoted name may hold a comma.
  if (varia && rnd.probabile(5)) n = "\"" + n + ", " + nome_luogo(rnd).substr(0, 4) + "\"";
  return n;
}

// A board face: lines in parentheses, padded to the widest.
std::string faccia_cartello(casuale& rnd, bool varia) {
  std::vector<std::string> righe;
  switch (rnd.sotto(4)) {
    case 0: righe = {"EX STAZIONE", nome_luogo(rnd)}; break;
    case 1: righe = {"BIVIO", nome_luogo(rnd)}; break;
    default:
      righe = {"GALLERIA", nome_luogo(rnd), "m." + std::to_string(rnd.tra(1, 80) * 50)};
      break;
  }
  size_t larghezza = 0;
  for (const auto& r : righe) larghezza = std::max(larghezza, r.size());
  std::string out;
  for (auto& r : righe) out += "(" + r + std::string(larghezza - r.size(), ' ') + ")";
  if (varia && rnd.probabile(8)) out = "\"" + out + "(A, B)\"";
  return out;
}

int32_t arrotonda_su(int32_t x, int32_t passo) { return (x + passo - 1) / passo * passo; }

// Interleaves the groups keeping the order inside each, or keeps them apart
// under their section headers.
std::string componi(std::vector<std::pair<std::string, std::vector<std::string>>>& gruppi,
                    casuale& rnd, scrittore& w, bool varia, const std::string& chiusura) {
  std::string out;
  const bool mescola = varia && rnd.probabile(30);
  if (!mescola) {
    for (auto& [titolo, righe] : gruppi) {
      out += titolo + w.eol();
      for (auto& r : righe) {
        if (varia && rnd.probabile(2)) out += w.riga_trattino();
        if (varia && rnd.probabile(1)) out += w.eol();
        out += r;
      }
    }
  } else {
    // A header still closes the general section; the rest follow in any order.
    out += gruppi.front().first + w.eol();
    std::vector<size_t> prossima(gruppi.size(), 0);
    size_t rimaste = 0;
    for (auto& g : gruppi) rimaste += g.second.size();
    while (rimaste > 0) {
      size_t g = rnd.sotto(gruppi.size());
      while (prossima[g] >= gruppi[g].second.size()) g = (g + 1) % gruppi.size();
      if (rnd.probabile(2)) out += w.riga_trattino();
      out += gruppi[g].second[prossima[g]++];
      --rimaste;
    }
  }
  out += chiusura + w.eol();
  return out;
}

}  // namespace

namespace {

RandomScenario genera(uint64_t seme, const GeneratorOptions& opzioni, bool righe_esatte) {
  casuale rnd(seme * 0x9E3779B97F4A7C15ull + 0x5151);
  const bool varia = opzioni.vary_form;
  RandomScenario sg;
  const int32_t lunghezza =
      opzioni.lunghezza > 0 ? std::min(opzioni.lunghezza, 1'000'000) : rnd.tra(240, 3000) * 50;
  sg.lunghezza = lunghezza;
  const int massimo = opzioni.righe > 0 ? opzioni.righe : 40;
  auto quante = [&](int limite) {
    const int n = righe_esatte ? massimo : rnd.tra(0, massimo);
    return std::min(n, limite);
  };

  // Objects end 100 m before the end of the route at the latest.
  mappa_celle mappa(lunghezza / metri_cella - 2);
  auto atteso = [&](int32_t cella, uint8_t tipo) { sg.oggetti.push_back({cella, tipo}); };
  auto cella_a_caso = [&](int32_t da) { return rnd.tra(da, mappa.ultima()); };
  constexpr int tentativi = 60;

  // ---- Slow-downs: their cells, and the cells the derivation rules fill.
  enum tipi_riga {
    k_curva, k_pendenza, k_montagna, k_indicatore, k_cartello,
    k_aderenza, k_velocita, k_stazione, k_rallentamento, k_segnale, k_abbattimento, k_tipi
  };
  std::vector<std::vector<riga>> righe(k_tipi);

  const int n_rallentamenti = quante(std::max(1, massimo / (righe_esatte ? 10 : 4)));
  for (int n = 0; n < n_rallentamenti; ++n) {
    for (int t = 0; t < tentativi; ++t) {
      int32_t celle_l = rnd.tra(2, 30);
      if (celle_l % 8 == 0) ++celle_l;  // the walk would meet the end cell on a board's turn
      const int32_t l = celle_l * metri_cella;
      const int32_t s = cella_a_caso(prima_cella_libera + 2);  // start cell
      const int32_t x = (s - 1) * metri_cella;
      const int32_t e = s + celle_l;  // end cell
      if (e + 13 > mappa.ultima()) continue;
      const int32_t v = rnd.tra(6, 30) * 5;
      const int f_tt = static_cast<int>(rnd.sotto(2));
      // Below 1550 m the reader takes f_ta as 0 whatever the row says.
      const int f_ta_riga = static_cast<int>(rnd.sotto(2));
      int f_ta = f_ta_riga;
      const int32_t d_v = rnd.probabile(50) ? v : 0;
      std::vector<int32_t> celle{s, e};
      std::vector<std::pair<int32_t, uint8_t>> attesi{{s, 3}, {e, 2}};
      int32_t inizio_zona = s - 20;
      if (x > 1500) {
        const int32_t w = s - 24;  // (x - 1200) / 50 + 1
        celle.push_back(w);
        attesi.push_back({w, 4});
        if (f_ta != 0) {
          for (int32_t i = 0; i < 4; ++i) {
            celle.push_back(w - 1 - i);
            attesi.push_back({w - 1 - i, 5});
          }
        }
        inizio_zona = std::min(inizio_zona, w - 4);
      } else {
        f_ta = 0;
      }
      // The first cell of each window in front of the start.
      constexpr std::pair<int32_t, int32_t> finestre[] = {{7, 5}, {13, 11}, {20, 18}};
      for (const auto& [soglia, distanza] : finestre) {
        if (s > soglia) {
          celle.push_back(s - distanza);
          attesi.push_back({s - distanza, 12});
        }
      }
      // Boards every 8 cells through a slow stretch.
      if (v < 110) {
        for (int32_t k = s + 8; k < e; k += 8) {
          celle.push_back(k);
          attesi.push_back({k, 12});
        }
      }
      if (!mappa.libere(celle) || !mappa.zona_libera(inizio_zona, e + 13)) continue;
      mappa.prendi(celle);
      mappa.prendi_zona(inizio_zona, e + 13);
      for (auto [c, t2] : attesi) atteso(c, t2);
      righe[k_rallentamento].push_back(riga{
          k_rallentamento, x, "rallentamento",
          {numero(x), numero(v), numero(l), numero(f_tt), numero(f_ta_riga), numero(d_v)}});
      break;
    }
  }

  // ---- Stations, in ascending order with 350 m between stop areas.
  const int n_cartelli = quante(40);
  const int n_stazioni = quante(massimo_righe_testo - n_cartelli);
  {
    const std::vector<int> tipi{12, 12, 12, 24, 24, 28, 22, 26, 2, 4, 21, 5, 6, 7, 8, 30};
    int32_t fine_precedente = -100'000;
    int32_t passo = std::max<int32_t>(metri_cella, lunghezza / std::max(1, n_stazioni + 1));
    int32_t p = 0;
    for (int j = 1; j <= n_stazioni; ++j) {
      const int t = rnd.uno_di(tipi);
      const int32_t L = rnd.tra(1, (t == 7 || t == 8) ? 4 : 8) * 100;
      const int b4 = static_cast<int>(rnd.sotto(2));
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
      const int32_t sporgenza = (t >= 5 && t <= 8) ? L : L / 2;
      p = std::max(p, arrotonda_su(fine_precedente + 350 + sporgenza, 100));
      p = std::max(p, 500 + sporgenza);
      p += rnd.tra(0, std::max<int32_t>(0, passo / 200)) * 100;
      bool posta = false;
      for (int tentativo = 0; tentativo < tentativi && !posta; ++tentativo, p += 100) {
        int32_t inizio = 0, fine = 0;
        area(p, &inizio, &fine);
        if (fine + 100 > lunghezza || p + 800 > lunghezza) break;
        const bool ferma = t < 25;
        const int32_t stop = fine / metri_cella - 1;
        if (ferma && !mappa.libere({stop})) continue;
        if (ferma) {
          mappa.prendi({stop});
          atteso(stop, 10);
        }
        const bool orario = rnd.probabile(70);
        const int32_t secondi = 5 * 3600 + rnd.tra(0, 17 * 60) * 60;
        righe[k_stazione].push_back(riga{
            k_stazione, p, "stazione",
            {numero(p), numero(t), numero(L), numero(rnd.sotto(2)), numero(rnd.sotto(2)),
             numero(b4), numero(rnd.uno_di(std::vector<int>{0, 1, 4})),
             numero(rnd.uno_di(std::vector<int>{0, 1, 4})), numero(rnd.sotto(2)),
             numero(rnd.uno_di(std::vector<int>{0, 1, 2, 4, 5})),
             numero(rnd.uno_di(std::vector<int>{0, 1, 2})), numero(rnd.sotto(2)),
             numero(rnd.uno_di(std::vector<int>{0, 60, 1})),
             numero(orario ? secondi / 3600 : 0), numero(orario ? secondi / 60 % 60 : 0),
             numero(orario ? rnd.tra(0, 59) : 0), testo(nome_stazione(rnd, varia))}});
        fine_precedente = fine;
        posta = true;
      }
      if (!posta) break;
    }
  }

  // ---- Point objects on cells of their own.
  auto poni = [&](int quanti, auto&& prova) {
    for (int n = 0; n < quanti; ++n) {
      for (int t = 0; t < tentativi; ++t) {
        if (prova()) break;
      }
    }
  };
  poni(quante(1'000'000), [&] {
    // A signal keeps the two cells before it free for the boards of rules A and D.
    const int32_t d = cella_a_caso(prima_cella_libera + 2);
    if (!mappa.libere({d, d - 1, d - 2})) return false;
    mappa.prendi({d, d - 1, d - 2});
    atteso(d, 1);
    const int32_t p = (d - 1) * metri_cella;
    const int32_t lato = rnd.tra(1, 2);
    const int32_t tempo = rnd.probabile(20) ? (rnd.probabile(50) ? 210 : rnd.tra(0, 255)) : 0;
    righe[k_segnale].push_back(riga{
        k_segnale, p, "segnale",
        {numero(p), numero(lato), numero(rnd.tra(2, 5)), numero(rnd.tra(0, 6)),
         numero(rnd.sotto(2)), numero(rnd.sotto(2)), numero(lato), numero(rnd.tra(2, 3)),
         numero(rnd.sotto(2)), numero(rnd.sotto(2)), numero(tempo)}});
    return true;
  });
  poni(quante(righe_esatte ? massimo / 2 : massimo), [&] {
    const int32_t c = cella_a_caso(prima_cella_libera);
    if (!mappa.libere({c})) return false;
    mappa.prendi({c});
    const int32_t w = rnd.probabile(25) ? 0 : rnd.tra(6, 30) * 5;
    atteso(c, w > 0 ? 12 : 13);
    const int32_t x = c * metri_cella;
    righe[k_abbattimento].push_back(
        riga{k_abbattimento, x, "abbattimento", {numero(x), numero(w)}});
    return true;
  });
  poni(quante(1'000'000), [&] {
    const int32_t c = cella_a_caso(prima_cella_libera);
    if (!mappa.libere({c})) return false;
    mappa.prendi({c});
    atteso(c, 6);
    const int32_t p = (c - 1) * metri_cella;
    int32_t v[3];
    for (auto& x : v) x = rnd.tra(12, 30) * 5;
    std::sort(v, v + 3);
    auto forse = [&](int32_t x) { return rnd.probabile(70) ? vuoto() : numero(x); };
    righe[k_indicatore].push_back(riga{
        k_indicatore, p, "indicatori_vmax",
        {numero(p), numero(v[0]), numero(v[1]), numero(v[2]), numero(rnd.tra(0, 2)),
         forse(rnd.tra(0, 6) * 5), forse(rnd.tra(0, 6) * 5), forse(rnd.tra(0, 6) * 5),
         numero(rnd.tra(0, 2))}});
    return true;
  });
  poni(n_cartelli, [&] {
    const int32_t c = cella_a_caso(prima_cella_libera);
    if (!mappa.libere({c})) return false;
    mappa.prendi({c});
    atteso(c, 14);
    const int32_t p = (c - 1) * metri_cella;
    righe[k_cartello].push_back(riga{k_cartello, p, "cartello_indicatore",
                                     {numero(p), testo(faccia_cartello(rnd, varia))}});
    return true;
  });

  // ---- Stretches: tunnels, curves, gradients, speeds, adhesion.
  {
    const int n = quante(massimo_montagne);
    int32_t pos = rnd.tra(10, 40) * 50;
    const int32_t passo = std::max<int32_t>(100, lunghezza / std::max(1, n + 1));
    for (int i = 0; i < n; ++i) {
      const int32_t lungo = rnd.tra(1, std::min<int32_t>(84, passo / 100)) * 50;
      if (pos + lungo + 100 > lunghezza) break;
      const int32_t t = rnd.uno_di(std::vector<int32_t>{1, 2, 3, 11, 11, 12, 13});
      righe[k_montagna].push_back(
          riga{k_montagna, pos, "montagna", {numero(pos), numero(pos + lungo), numero(t)}});
      pos += lungo + rnd.tra(1, std::max<int32_t>(1, (passo - lungo) / 50)) * 50;
    }
  }
  {
    const int n = quante(1'000'000);
    const int32_t fine_curve = std::min(lunghezza - 100, ultimo_punto_curva);
    const int32_t passo = std::max<int32_t>(100, fine_curve / std::max(1, n + 1));
    int32_t pos = rnd.tra(4, 40) * 50;
    for (int i = 0; i < n; ++i) {
      const int32_t lungo = rnd.tra(1, std::min<int32_t>(30, std::max(1, passo / 100))) * 50;
      if (pos + lungo > fine_curve) break;
      const std::string chiave = std::string("curva") + (rnd.probabile(50) ? "d" : "s") +
                                 std::to_string(rnd.tra(1, 6));
      righe[k_curva].push_back(riga{k_curva, pos, chiave, {numero(pos), numero(lungo)}});
      pos += lungo + rnd.tra(1, std::max<int32_t>(1, (passo - lungo) / 50)) * 50;
    }
  }
  auto profilo = [&](int tipo, const char* chiave, int n, auto&& valore) {
    int32_t pos = 0;
    const int32_t passo = std::max<int32_t>(50, (lunghezza - 100) / std::max(1, n));
    for (int i = 0; i < n && pos <= lunghezza - 100; ++i) {
      righe[tipo].push_back(riga{tipo, pos, chiave, {numero(pos), numero(valore())}});
      pos += rnd.tra(1, std::max<int32_t>(1, passo / 50)) * 50;
    }
  };
  profilo(k_pendenza, "pendenza", std::max(1, quante(1'000'000)), [&] { return rnd.tra(-30, 30); });
  profilo(k_velocita, "velocita", std::max(1, quante(1'000'000)),
          [&] { return rnd.tra(6, 30) * 5; });
  profilo(k_aderenza, "aderenza", std::max(1, quante(righe_esatte ? massimo / 2 : massimo)),
          [&] { return rnd.tra(40, 200); });

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
    scrittore w(rnd, varia);
    const int32_t a = rnd.tra(1, std::max(1, lunghezza / 100 - 1)) * 50;
    const int32_t b = a + rnd.tra(1, std::max(1, (lunghezza - a) / 50)) * 50;
    const int32_t inizio_rip = rnd.tra(0, lunghezza / 50) * 50;
    const int32_t fine_rip = rnd.probabile(20) ? 0 : rnd.tra(0, lunghezza / 50 + 100) * 50;
    std::vector<riga> generale{
        {0, 0, w.qualsiasi_caso("lunghezza percorso"), {numero(lunghezza)}},
        {0, 0, "progressiva chilometrica uno", {numero(0), numero(rnd.tra(0, 2000) * 50), numero(1)}},
        {0, 0, "progressiva chilometrica due", {numero(a), numero(-a), numero(0)}},
        {0, 0, "progressiva chilometrica tre", {numero(b), numero(-b), numero(0)}},
        {0, 0, "sfondo uno", {numero(rnd.tra(0, 3))}},
        {0, 0, "sfondo due", {numero(rnd.tra(0, 3))}},
        {0, 0, "sfondo tre", {numero(rnd.tra(0, 3))}},
        {0, 0, std::string("ripetizione segnali ") + (rnd.probabile(50) ? "4" : "9") + " codici",
         {numero(inizio_rip), numero(fine_rip)}},
    };
    if (varia && rnd.probabile(50)) {
      for (size_t i = generale.size() - 1; i > 0; --i) {
        std::swap(generale[i], generale[rnd.sotto(i + 1)]);
      }
    }
    std::string out;
    if (varia && rnd.probabile(30)) out += "descrizione della linea, generata" + w.eol();
    out += w.qualsiasi_caso("[generale]") + w.eol();
    for (const auto& r : generale) {
      if (varia && rnd.probabile(5)) out += w.riga_trattino();
      out += w.riga_testo(r);
    }
    std::vector<std::pair<std::string, std::vector<std::string>>> gruppi;
    auto gruppo = [&](const char* titolo, int tipo) {
      std::vector<std::string> testi;
      for (auto r : righe[tipo]) {
        r.chiave = w.qualsiasi_caso(r.chiave);
        testi.push_back(w.riga_testo(r));
      }
      gruppi.emplace_back(titolo, std::move(testi));
    };
    gruppo("[curve]", k_curva);
    gruppo("[pendenze]", k_pendenza);
    gruppo("[montagne]", k_montagna);
    gruppo("[cartelli]", k_indicatore);
    gruppo("[indicazioni]", k_cartello);
    out += componi(gruppi, rnd, w, varia, "[fine]");
    sg.linea = std::move(out);
  }

  // ---- The service description.
  {
    scrittore w(rnd, varia);
    std::vector<riga> generale{
        {0, 0, w.qualsiasi_caso("numero vetture"), {numero(rnd.tra(1, 12))}},
        {0, 0, w.qualsiasi_caso("percentuale massa frenata"), {numero(rnd.tra(50, 150))}},
        {0, 0, w.qualsiasi_caso("sabbia"), {numero(rnd.sotto(2))}},
    };
    riga orologio{0, 0, w.qualsiasi_caso("orologio"),
                  {numero(rnd.tra(0, 23)), numero(rnd.tra(0, 59)), numero(rnd.tra(0, 59))}};
    orologio.separati_da_spazi = !varia || rnd.probabile(50);
    generale.push_back(orologio);
    std::string out;
    out += std::string("[generale]") + w.eol();
    std::vector<std::pair<std::string, std::vector<std::string>>> gruppi;
    std::vector<std::string> testi_generale;
    for (const auto& r : generale) testi_generale.push_back(w.riga_testo(r));
    gruppi.emplace_back("[treno]", std::move(testi_generale));
    auto gruppo = [&](const char* titolo, int tipo) {
      std::vector<std::string> testi;
      for (auto r : righe[tipo]) {
        r.chiave = w.qualsiasi_caso(r.chiave);
        testi.push_back(w.riga_testo(r));
      }
      gruppi.emplace_back(titolo, std::move(testi));
    };
    gruppo("[aderenze]", k_aderenza);
    gruppo("[vel_limite]", k_velocita);
    gruppo("[stazioni]", k_stazione);
    gruppo("[rallentamenti]", k_rallentamento);
    gruppo("[segnali]", k_segnale);
    gruppo("[abbattimenti]", k_abbattimento);
    out += componi(gruppi, rnd, w, varia, "[codici]" + w.eol() + "[fine]");
    sg.treno = std::move(out);
  }
  return sg;
}

}  // namespace

RandomScenario generate_scenario(uint64_t seme, const GeneratorOptions& opzioni) {
  return genera(seme, opzioni, false);
}

RandomScenario generate_long_route(uint64_t seme, int righe) {
  GeneratorOptions opzioni;
  opzioni.lunghezza = 1'000'000;
  opzioni.righe = righe;
  opzioni.vary_form = false;
  return genera(seme, opzioni, true);
}

}  // namespace scenario::testing
