#include "roundtrip/diff.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>

#include "compiler/kilometre_posts.h"
#include "model/binary_reader.h"
#include "model/file_names.h"
#include "tool_support.h"

namespace scenario::roundtrip {

namespace {

std::string n(int64_t v) { return std::to_string(v); }

std::string arrow(int64_t a, int64_t b) { return n(a) + " → " + n(b); }

class collector {
 public:
  collector(const chilometrica& a, const chilometrica& b) : a_(a), b_(b) {}

  // "km 12+350 (12350 m)" by the posts of the first scenario, or of the
  // second for what only the second has.
  std::string where(int64_t metres, bool only_b = false) const {
    return "km " + testo_post((only_b ? b_ : a_).post(metres)) + " (" + n(metres) + " m)";
  }
  std::string post(int64_t metres, bool only_b = false) const {
    return testo_post((only_b ? b_ : a_).post(metres));
  }

  void add(const char* kind, std::optional<int32_t> position, std::string text,
           bool only_b = false) {
    difference d;
    d.kind = kind;
    d.position = position;
    if (position) d.post = post(*position, only_b);
    d.text = std::move(text);
    out.push_back(std::move(d));
  }

  std::vector<difference> out;

 private:
  const chilometrica& a_;
  const chilometrica& b_;
};

// Runs of cells where a stretch value differs, with the same pair of values
// over the run: one line each.
void stretch(collector& r, const char* kind, const std::vector<cella>& a, const std::vector<cella>& b,
             uint8_t cella::*campo, const char* label, int32_t (*valore)(uint8_t),
             const char* unit) {
  const size_t celle = std::max(a.size(), b.size());
  // The last three cells are left unfilled by the readers: no value there.
  auto val = [&](const std::vector<cella>& v, size_t c) -> std::optional<uint8_t> {
    if (c >= v.size() || (c + 3 >= v.size() && v[c].*campo == 0)) return std::nullopt;
    return v[c].*campo;
  };
  for (size_t c = 0; c < celle;) {
    const auto x = val(a, c), y = val(b, c);
    if (x == y) {
      ++c;
      continue;
    }
    size_t e = c;
    while (e + 1 < celle && val(a, e + 1) == x && val(b, e + 1) == y) ++e;
    const auto text = [&](std::optional<uint8_t> v) {
      return v ? n(valore(*v)) : std::string("none");
    };
    const int64_t from = 50 * static_cast<int64_t>(c), to = 50 * static_cast<int64_t>(e + 1);
    r.add(kind, static_cast<int32_t>(from),
          r.where(from) + " to " + r.where(to) + ": " + label + " " + text(x) + " → " +
              text(y) + unit);
    c = e + 1;
  }
}

int32_t gradient_of(uint8_t v) { return int32_t{v} - 100; }
int32_t speed_of(uint8_t v) { return int32_t{v} * 5; }
int32_t adhesion_of(uint8_t v) { return int32_t{v}; }

// Rows keyed by position: added, removed, or changed field by field.
template <class R, class Pos, class Desc, class Fields>
void by_position(collector& r, const char* kind, const char* label, const std::vector<R>& a,
                 const std::vector<R>& b, Pos pos, Desc describe, Fields compare_fields) {
  std::multimap<int32_t, const R*> ma, mb;
  for (const R& x : a) ma.emplace(pos(x), &x);
  for (const R& x : b) mb.emplace(pos(x), &x);
  std::set<int32_t> keys;
  for (const auto& [k, v] : ma) keys.insert(k);
  for (const auto& [k, v] : mb) keys.insert(k);
  std::vector<std::pair<int32_t, std::string>> removed, added;
  for (int32_t k : keys) {
    auto [a0, a1] = ma.equal_range(k);
    auto [b0, b1] = mb.equal_range(k);
    for (; a0 != a1 && b0 != b1; ++a0, ++b0) {
      const std::string c = compare_fields(*a0->second, *b0->second);
      if (!c.empty()) r.add(kind, k, r.where(k) + ": " + label + " " + c);
    }
    for (; a0 != a1; ++a0) removed.emplace_back(k, describe(*a0->second));
    for (; b0 != b1; ++b0) added.emplace_back(k, describe(*b0->second));
  }
  // A row that is gone from one place and found with the same values at
  // another was moved.
  std::vector<bool> taken(added.size(), false);
  for (const auto& [k, d] : removed) {
    size_t best = added.size();
    for (size_t j = 0; j < added.size(); ++j) {
      if (taken[j] || added[j].second != d) continue;
      if (best == added.size() ||
          std::llabs(int64_t{added[j].first} - k) < std::llabs(int64_t{added[best].first} - k)) {
        best = j;
      }
    }
    if (best < added.size()) {
      taken[best] = true;
      r.add(kind, k, r.where(k) + ": " + label + " moved to " + r.where(added[best].first, true) +
                         " (" + d + ")");
    } else {
      r.add(kind, k, r.where(k) + ": " + label + " removed (" + d + ")");
    }
  }
  for (size_t j = 0; j < added.size(); ++j) {
    if (taken[j]) continue;
    r.add(kind, added[j].first,
          r.where(added[j].first, true) + ": " + label + " added (" + added[j].second + ")", true);
  }
}

template <size_t N>
std::string listing(const std::array<int32_t, N>& v, const char* const (&names)[N], size_t first = 0) {
  std::string out;
  for (size_t i = first; i < N; ++i) out += (out.empty() ? "" : ", ") + std::string(names[i]) + " " + n(v[i]);
  return out;
}

template <size_t N>
std::string changes(const std::array<int32_t, N>& a, const std::array<int32_t, N>& b,
                    const char* const (&names)[N], size_t first = 0) {
  std::string out;
  for (size_t i = first; i < N; ++i) {
    if (a[i] != b[i]) out += (out.empty() ? "" : ", ") + std::string(names[i]) + " " + arrow(a[i], b[i]);
  }
  return out;
}

const char* const nomi_segnale[11] = {"position", "sx", "s1", "s2", "s3", "rapp",
                                      "dx",       "d1", "d2", "d3", "tempo"};
const char* const nomi_rallentamento[6] = {"x", "speed", "length", "f_tt", "f_ta", "d_v"};
const char* const nomi_indicatore[8] = {"vas", "vbs", "vcs", "strisces",
                                        "vad", "vbd", "vcd", "strisced"};
const char* const nomi_stazione[16] = {"position", "type",  "length", "value 4", "value 5",
                                       "value 6",  "value 7", "value 8", "value 9", "value 10",
                                       "value 11", "value 12", "value 13", "hours", "minutes",
                                       "seconds"};

std::string clock_text(int64_t seconds) {
  const int64_t h = seconds / 3600, m = (seconds % 3600) / 60, s = seconds % 60;
  std::string out = n(h) + ":" + (m < 10 ? "0" : "") + n(m) + ":" + (s < 10 ? "0" : "") + n(s);
  return out;
}

int32_t seconds_of(const riga_stazione& s) {
  return (s.valori[13] * 60 + s.valori[14]) * 60 + s.valori[15];
}

std::string curve_text(const riga_curva& c) {
  return std::string(c.sinistra ? "left" : "right") + " class " + n(c.classe) + ", " +
         n(c.lunghezza) + " m";
}

}  // namespace

std::optional<compared_scenario> load(FileSystem& fs, const std::string& folder,
                                      const std::string& nome_linea, const std::string& nome_treno,
                                      Diagnostics* diag) {
  compared_scenario out;
  std::string sim, dat, plan;
  const auto e_sim = fs.read(join_path(folder, nomi::sim(nome_linea, nome_treno)), &sim);
  const auto e_dat = fs.read(join_path(folder, nomi::dat(nome_linea, nome_treno)), &dat);
  auto fail = [&](const std::string& file, const std::string& message) {
    Diagnostic d;
    d.code = "diff-input";
    d.where.file = file;
    d.message = message;
    diag->push_back(std::move(d));
  };
  if (!e_sim && !e_dat) {
    out.file.sim = std::move(sim);
    out.file.dat = std::move(dat);
    const auto e = fs.read(join_path(folder, nomi::linea_dat(nome_linea)), &plan);
    if (!e) {
      out.file.linea = std::move(plan);
    } else if (!e->missing) {
      fail(e->path, e->reason);
      return std::nullopt;
    }
  } else {
    if ((e_sim && !e_sim->missing) || (e_dat && !e_dat->missing)) {
      const IoError& e = e_sim && !e_sim->missing ? *e_sim : *e_dat;
      fail(e.path, e.reason);
      return std::nullopt;
    }
    std::string linea, servizio;
    const std::string path_linea = join_path(folder, nomi::linea_txt(nome_linea));
    const std::string path_treno = join_path(folder, nomi::treno_txt(nome_linea, nome_treno));
    for (auto [path, dati] : {std::pair{path_linea, &linea}, std::pair{path_treno, &servizio}}) {
      if (auto e = fs.read(path, dati)) {
        fail(e->path, e->missing ? "neither the binary files nor this source are there"
                                   : e->reason);
        return std::nullopt;
      }
    }
    compiled c = compile_in_memory(linea, servizio, nome_linea, nome_treno, true);
    for (const std::string& g : c.faults) {
      Diagnostic d;
      d.severity = Severity::kWarning;
      d.code = "diff-compile-fault";
      d.where.file = folder;
      d.message = "compiling the sources: " + g;
      diag->push_back(std::move(d));
    }
    if (!c.written) {
      fail(folder, "the sources give no binary files");
      return std::nullopt;
    }
    out.file = std::move(c.file);
  }
  Diagnostics inner;
  auto dec = decode(out.file, nome_linea, nome_treno, &inner);
  if (!dec) {
    diag->insert(diag->end(), inner.begin(), inner.end());
    return std::nullopt;
  }
  out.decodificato = std::move(*dec);
  // The rows as decompiling finds them; its own warnings about bytes that no
  // row gives do not stop a comparison.
  out.rows = decompile(out.file, nome_linea, nome_treno).rows;
  return out;
}

std::vector<difference> compare(const compared_scenario& a, const compared_scenario& b) {
  const chilometrica ka(a.decodificato.tabella), kb(b.decodificato.tabella);
  collector r(ka, kb);
  const source_rows& x = a.rows;
  const source_rows& y = b.rows;
  const auto& ta = a.decodificato.tabella;
  const auto& tb = b.decodificato.tabella;

  // Route length and zones.
  const char* k = "route length and zones";
  if (x.lunghezza != y.lunghezza) {
    r.add(k, std::nullopt, "route length " + arrow(x.lunghezza, y.lunghezza) + " m");
  }
  for (int i = 0; i < 3; ++i) {
    const record_sim& u = ta[static_cast<size_t>(riga_progressiva_tre + i)];
    const record_sim& v = tb[static_cast<size_t>(riga_progressiva_tre + i)];
    if (u.inizio != v.inizio || u.fine != v.fine || u.progressiva != v.progressiva) {
      auto zone_text = [](const record_sim& z) {
        return "from " + n(z.inizio) + " m, offset " + n(z.fine) + (z.progressiva == 1 ? ", counting down" : "");
      };
      r.add(k, std::nullopt,
            "kilometre zone " + n(i + 1) + " (in sorted order): " + zone_text(u) + " → " + zone_text(v));
    }
  }

  const auto& ca = a.decodificato.percorso;
  const auto& cb = b.decodificato.percorso;
  stretch(r, "speed limits", ca, cb, &cella::velocita, "limit", speed_of, " km/h");
  stretch(r, "gradients", ca, cb, &cella::pendenza, "gradient", gradient_of, "");
  stretch(r, "adhesion", ca, cb, &cella::aderenza, "adhesion", adhesion_of, "");

  // Curves.
  if (x.curve_note != y.curve_note) {
    r.add("curves", std::nullopt,
          std::string("track plan ") + (x.curve_note ? "only in the first scenario" : "only in the second scenario") +
              ": curves are compared only where both have one");
  } else if (x.curve_note) {
    by_position(
        r, "curves", "curve", x.curve, y.curve, [](const riga_curva& c) { return c.inizio; },
        curve_text, [](const riga_curva& u, const riga_curva& v) -> std::string {
          if (u.classe == v.classe && u.sinistra == v.sinistra && u.lunghezza == v.lunghezza) return {};
          return curve_text(u) + " → " + curve_text(v);
        });
  }

  // Tunnels.
  by_position(
      r, "tunnels", "tunnel", x.montagne, y.montagne, [](const riga_montagna& m) { return m.inizio; },
      [](const riga_montagna& m) { return "to " + n(m.fine) + " m, kind " + n(m.tipo); },
      [](const riga_montagna& u, const riga_montagna& v) -> std::string {
        std::string out;
        if (u.fine != v.fine) out += "end " + arrow(u.fine, v.fine) + " m";
        if (u.tipo != v.tipo) out += (out.empty() ? "" : ", ") + std::string("kind ") + arrow(u.tipo, v.tipo);
        return out;
      });

  // Boards: maximum-speed boards, text boards, speed-board points.
  by_position(
      r, "boards", "maximum-speed board", x.indicatori, y.indicatori,
      [](const riga_indicatore& b) { return b.posizione; },
      [](const riga_indicatore& b) { return listing(b.valori, nomi_indicatore); },
      [](const riga_indicatore& u, const riga_indicatore& v) { return changes(u.valori, v.valori, nomi_indicatore); });
  by_position(
      r, "boards", "text board", x.cartelli, y.cartelli, [](const riga_cartello& c) { return c.posizione; },
      [](const riga_cartello& c) { return "\"" + tool::in_utf8(c.testo) + "\""; },
      [](const riga_cartello& u, const riga_cartello& v) -> std::string {
        if (u.testo == v.testo) return {};
        return "\"" + tool::in_utf8(u.testo) + "\" → \"" + tool::in_utf8(v.testo) + "\"";
      });
  by_position(
      r, "boards", "speed board", x.abbattimenti, y.abbattimenti,
      [](const riga_abbattimento& b) { return b.posizione; },
      [](const riga_abbattimento& b) { return b.valore > 0 ? n(b.valore) + " km/h" : std::string("no speed"); },
      [](const riga_abbattimento& u, const riga_abbattimento& v) -> std::string {
        if (u.valore == v.valore) return {};
        return arrow(u.valore, v.valore) + " km/h";
      });

  // Signals.
  by_position(
      r, "signals", "signal", x.segnali, y.segnali, [](const riga_segnale& s) { return s.valori[0]; },
      [](const riga_segnale& s) { return listing(s.valori, nomi_segnale, 1); },
      [](const riga_segnale& u, const riga_segnale& v) { return changes(u.valori, v.valori, nomi_segnale, 1); });

  // Slow-downs.
  by_position(
      r, "slow-downs", "slow-down", x.rallentamenti, y.rallentamenti,
      [](const riga_rallentamento& s) { return s.valori[0]; },
      [](const riga_rallentamento& s) { return listing(s.valori, nomi_rallentamento, 1); },
      [](const riga_rallentamento& u, const riga_rallentamento& v) {
        return changes(u.valori, v.valori, nomi_rallentamento, 1);
      });

  // Stations: matched by name, then by their place in the list.
  {
    const char* ks = "stations and times";
    std::vector<bool> used_b(y.stazioni.size(), false);
    std::vector<int> pair_of(x.stazioni.size(), -1);
    for (size_t i = 0; i < x.stazioni.size(); ++i) {
      for (size_t j = 0; j < y.stazioni.size(); ++j) {
        if (!used_b[j] && y.stazioni[j].nome == x.stazioni[i].nome) {
          pair_of[i] = static_cast<int>(j);
          used_b[j] = true;
          break;
        }
      }
    }
    for (size_t i = 0; i < x.stazioni.size(); ++i) {
      if (pair_of[i] < 0 && i < y.stazioni.size() && !used_b[i]) {
        pair_of[i] = static_cast<int>(i);
        used_b[i] = true;
      }
    }
    for (size_t i = 0; i < x.stazioni.size(); ++i) {
      const riga_stazione& u = x.stazioni[i];
      const int32_t p = u.valori[0];
      if (pair_of[i] < 0) {
        r.add(ks, p, "station " + tool::in_utf8(u.nome) + " at " + r.where(p) + " removed");
        continue;
      }
      const riga_stazione& v = y.stazioni[static_cast<size_t>(pair_of[i])];
      const std::string who = "station " + tool::in_utf8(u.nome);
      if (u.nome != v.nome) r.add(ks, p, who + " at " + r.where(p) + ": renamed " + tool::in_utf8(v.nome));
      if (u.valori[0] != v.valori[0]) {
        r.add(ks, p, who + ": moved from " + r.where(u.valori[0]) + " to " + r.where(v.valori[0]));
      }
      const int32_t sa = seconds_of(u), sb = seconds_of(v);
      if (sa != sb) {
        const int32_t d = sb - sa;
        const int32_t ad = std::abs(d);
        const std::string amount = ad % 60 == 0 ? n(ad / 60) + " min" : n(ad) + " s";
        std::string line = who + ": time " + clock_text(sa) + " → " + clock_text(sb);
        if (sa != 0 && sb != 0) line += ", " + amount + (d > 0 ? " later" : " earlier");
        r.add(ks, p, line);
      }
      std::array<int32_t, 16> uu = u.valori, vv = v.valori;
      for (size_t f : {size_t{0}, size_t{13}, size_t{14}, size_t{15}}) uu[f] = vv[f] = 0;
      const std::string c = changes(uu, vv, nomi_stazione);
      if (!c.empty()) r.add(ks, p, who + " at " + r.where(p) + ": " + c);
    }
    for (size_t j = 0; j < y.stazioni.size(); ++j) {
      if (used_b[j]) continue;
      const int32_t p = y.stazioni[j].valori[0];
      r.add(ks, p, "station " + tool::in_utf8(y.stazioni[j].nome) + " added at " + r.where(p, true) + ", time " +
                       clock_text(seconds_of(y.stazioni[j])),
            true);
    }
  }

  // Header values of the author.
  {
    const char* kh = "header values";
    const char* nomi_sfondi[3] = {"background one", "background two", "background three"};
    for (size_t i = 0; i < 3; ++i) {
      if (x.sfondi[i] != y.sfondi[i]) r.add(kh, std::nullopt, std::string(nomi_sfondi[i]) + " " + arrow(x.sfondi[i], y.sfondi[i]));
    }
    if (x.ripetizione_inizio != y.ripetizione_inizio || x.ripetizione_fine != y.ripetizione_fine ||
        x.ripetizione_codici != y.ripetizione_codici) {
      auto repetition = [](const source_rows& s) {
        return s.ripetizione_fine == 0 ? std::string("none")
                                       : n(s.ripetizione_inizio) + " to " + n(s.ripetizione_fine) + " m, " +
                                             n(s.ripetizione_codici) + " codes";
      };
      r.add(kh, std::nullopt, "signal repetition " + repetition(x) + " → " + repetition(y));
    }
    if (ta[riga_linea].testo != tb[riga_linea].testo) {
      r.add(kh, std::nullopt, "line name \"" + tool::in_utf8(ta[riga_linea].testo) + "\" → \"" +
                                  tool::in_utf8(tb[riga_linea].testo) + "\"");
    }
    if (ta[riga_ripetizione].testo != tb[riga_ripetizione].testo) {
      r.add(kh, std::nullopt, "train name \"" + tool::in_utf8(ta[riga_ripetizione].testo) +
                                  "\" → \"" + tool::in_utf8(tb[riga_ripetizione].testo) + "\"");
    }
    if (x.vetture != y.vetture) r.add(kh, std::nullopt, "cars " + arrow(x.vetture, y.vetture));
    if (x.massa_frenata != y.massa_frenata) {
      r.add(kh, std::nullopt, "braked mass " + arrow(x.massa_frenata, y.massa_frenata) + " %");
    }
    if (x.sabbia != y.sabbia) r.add(kh, std::nullopt, "sand " + arrow(x.sabbia, y.sabbia));
    if (x.orologio != y.orologio) {
      r.add(kh, std::nullopt,
            "clock at the start " + clock_text(int64_t{x.orologio[0]} * 3600 + x.orologio[1] * 60 + x.orologio[2]) +
                " → " + clock_text(int64_t{y.orologio[0]} * 3600 + y.orologio[1] * 60 + y.orologio[2]));
    }
  }

  // Whatever the rows do not show: the bytes still decide.
  const bool stessi = a.file.sim == b.file.sim && a.file.dat == b.file.dat &&
                      (!a.file.linea || !b.file.linea || *a.file.linea == *b.file.linea);
  if (r.out.empty() && !stessi) {
    std::string quali;
    if (a.file.sim != b.file.sim) quali += "scenario table";
    if (a.file.dat != b.file.dat) quali += std::string(quali.empty() ? "" : ", ") + "route file";
    if (a.file.linea && b.file.linea && *a.file.linea != *b.file.linea) {
      quali += std::string(quali.empty() ? "" : ", ") + "track plan";
    }
    size_t c = 0;
    auto same_cell = [](const cella& u, const cella& v) {
      return u.tipo == v.tipo && u.dato1 == v.dato1 && u.dato2 == v.dato2 && u.dato3 == v.dato3 &&
             u.dato4 == v.dato4 && u.tempo == v.tempo && u.avvicinamento == v.avvicinamento &&
             u.galleria == v.galleria && u.velocita == v.velocita && u.pendenza == v.pendenza &&
             u.aderenza == v.aderenza;
    };
    while (c < ca.size() && c < cb.size() && same_cell(ca[c], cb[c])) ++c;
    r.add("other bytes", std::nullopt,
          "the " + quali + " differ where no source row shows it" +
              (a.file.dat != b.file.dat && c < std::min(ca.size(), cb.size())
                   ? " (first at cell " + n(static_cast<int64_t>(c)) + ")"
                   : std::string()));
  }

  // Grouped by kind, in the order of `kinds`, then along the route.
  std::stable_sort(r.out.begin(), r.out.end(), [](const difference& p, const difference& q) {
    auto rank = [](const std::string& kind) {
      for (size_t i = 0; i < std::size(kinds); ++i) {
        if (kind == kinds[i]) return i;
      }
      return std::size(kinds);
    };
    const size_t ip = rank(p.kind), iq = rank(q.kind);
    if (ip != iq) return ip < iq;
    return p.position.value_or(-1) < q.position.value_or(-1);
  });
  return std::move(r.out);
}

}  // namespace scenario::roundtrip
