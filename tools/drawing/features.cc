#include "drawing/features.h"

#include <cmath>
#include <cstdio>

namespace scenario::disegno {

const char* nome_genere(genere g) {
  switch (g) {
    case genere::stazione: return "station";
    case genere::segnale: return "signal";
    case genere::galleria: return "tunnel";
    case genere::cartello: return "text-board";
    case genere::indicatore_velocita: return "speed-indicator";
    case genere::abbattimento: return "abbattimento";
    case genere::tabella_derivata: return "derived-board";
    case genere::rallentamento: return "slowdown";
    case genere::avviso: return "warning-board";
    case genere::preavviso: return "advance-mark";
    case genere::avvicinamento: return "approach-mark";
  }
  return "object";
}

const char* descrizione_genere(genere g) {
  switch (g) {
    case genere::stazione: return "station";
    case genere::segnale: return "signal";
    case genere::galleria: return "tunnel";
    case genere::cartello: return "text board";
    case genere::indicatore_velocita: return "speed-indicator board";
    case genere::abbattimento: return "abbattimento point";
    case genere::tabella_derivata: return "speed board added by the derivation rules";
    case genere::rallentamento: return "slow-down";
    case genere::avviso: return "slow-down warning board";
    case genere::preavviso: return "slow-down advance mark";
    case genere::avvicinamento: return "approach mark";
  }
  return "object";
}

std::string rifila(const std::string& s) {
  const size_t a = s.find_first_not_of(' ');
  if (a == std::string::npos) return {};
  const size_t b = s.find_last_not_of(' ');
  return s.substr(a, b - a + 1);
}

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

size_t celle_profilo(const scenario_letto& s) {
  const size_t n = s.celle.size() >= 3 ? s.celle.size() - 3 : 0;
  return std::min(n, static_cast<size_t>(std::ceil(s.lunghezza() / 50.0)));
}

std::vector<int> righe_stazioni(const scenario_letto& s) {
  std::vector<bool> testi(righe_tabella_sim, false);
  for (const cella& c : s.celle) {
    if (c.tipo == oggetto::cartello_indicatore && c.dato1 >= 0 && c.dato1 < righe_tabella_sim) testi[static_cast<size_t>(c.dato1)] = true;
  }
  std::vector<int> out;
  for (int r = riga_prima_stazione; r <= riga_primo_testo; ++r) {
    const record_sim& x = s.tabella[static_cast<size_t>(r)];
    const bool vuota = !x.tipo && !x.inizio && !x.fine && !x.progressiva && x.testo.empty() &&
                       !x.orario && !x.b1;
    if (!testi[static_cast<size_t>(r)] && !vuota) out.push_back(r);
  }
  return out;
}

namespace {

std::string luogo(const SourceLocation& l) {
  if (l.file.empty()) return {};
  return l.line > 0 ? l.file + ":" + std::to_string(l.line) : l.file;
}

std::string orario(int32_t secondi) {
  char buf[40];
  const int32_t s = secondi < 0 ? 0 : secondi;
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", static_cast<int>(s / 3600),
                static_cast<int>(s / 60 % 60), static_cast<int>(s % 60));
  return buf;
}

std::string coppia(int v) {
  // s·10 + d, written back as "s/d".
  return std::to_string(v / 10) + "/" + std::to_string(v % 10);
}

}  // namespace

std::vector<elemento> elementi_percorso(const scenario_letto& s) {
  std::vector<elemento> out;
  const auto& celle = s.celle;
  const size_t n = celle.size();
  auto origine = [&](size_t c) {
    return c < s.origine_cella.size() ? luogo(s.origine_cella[c]) : std::string{};
  };
  auto derivata = [&](size_t c) {
    if (!s.derivata.empty()) return c < s.derivata.size() && s.derivata[c];
    return celle[c].tipo == oggetto::cartello_velocita && celle[c].dato1 == 180;
  };
  // Signals, boards and slow-down marks sit one cell after the cell that
  // holds their position; speed boards and stretches in that cell.
  auto dopo = [](size_t c) { return static_cast<int32_t>(50 * (static_cast<int64_t>(c) - 1)); };
  auto in = [](size_t c) { return static_cast<int32_t>(50 * static_cast<int64_t>(c)); };

  for (size_t c = 0; c < n; ++c) {
    const cella& x = celle[c];
    elemento o;
    o.cella = static_cast<int32_t>(c);
    o.origine = origine(c);
    switch (x.tipo) {
      case oggetto::segnale: {
        o.tipo = genere::segnale;
        o.metro = o.metro_fine = dopo(c);
        o.valori = {{"s1/d1", coppia(x.dato1)},
                    {"s2/d2", coppia(x.dato2)},
                    {"s3/d3", coppia(x.dato3)},
                    {"rapp*10 + sx*3 + dx", std::to_string(x.dato4)},
                    {"tempo", std::to_string(x.tempo)}};
        break;
      }
      case oggetto::inizio_rallentamento: {
        o.tipo = genere::rallentamento;
        o.metro = dopo(c);
        size_t e = c + 1;
        while (e < n && celle[e].tipo != oggetto::fine_rallentamento) ++e;
        o.metro_fine = e < n ? dopo(e) : o.metro;
        o.nome = std::to_string(x.dato1) + " km/h";
        o.valori = {{"speed", std::to_string(x.dato1) + " km/h"},
                    {"length", std::to_string(o.metro_fine - o.metro) + " m"},
                    {"dato2", std::to_string(x.dato2)},
                    {"dato3", std::to_string(x.dato3)}};
        break;
      }
      case oggetto::avviso_rallentamento:
        o.tipo = genere::avviso;
        o.metro = o.metro_fine = dopo(c);
        o.nome = std::to_string(x.dato1) + " km/h";
        o.valori = {{"speed ahead", std::to_string(x.dato1) + " km/h"}};
        break;
      case oggetto::preavviso_rallentamento:
        o.tipo = genere::preavviso;
        o.metro = o.metro_fine = in(c);
        o.nome = std::to_string(x.dato1);
        o.valori = {{"mark", std::to_string(x.dato1)}};
        break;
      case oggetto::indicatore_v_max:
        o.tipo = genere::indicatore_velocita;
        o.metro = o.metro_fine = dopo(c);
        o.nome = std::to_string(x.dato1) + " " + std::to_string(x.dato2) + " " + std::to_string(x.dato3);
        o.valori = {{"dato1", std::to_string(x.dato1)},
                    {"dato2", std::to_string(x.dato2)},
                    {"dato3", std::to_string(x.dato3)},
                    {"stripes", std::to_string(x.dato4)}};
        break;
      case oggetto::cartello_velocita:
      case oggetto::cartello_senza_velocita:
        o.tipo = x.tipo == oggetto::cartello_velocita && derivata(c) ? genere::tabella_derivata : genere::abbattimento;
        o.derivato = o.tipo == genere::tabella_derivata;
        o.metro = o.metro_fine = in(c);
        o.nome = x.tipo == oggetto::cartello_velocita ? std::to_string(x.dato1) : "no speed";
        o.valori = {{"speed", x.tipo == oggetto::cartello_velocita ? std::to_string(x.dato1) + " km/h" : "none"}};
        break;
      case oggetto::cartello_indicatore: {
        o.tipo = genere::cartello;
        o.metro = o.metro_fine = dopo(c);
        std::string testo;
        if (x.dato1 >= 0 && x.dato1 < righe_tabella_sim) {
          const auto r = static_cast<size_t>(x.dato1);
          for (const auto& g : gruppi(s.tabella[r].testo)) {
            if (!testo.empty()) testo += ' ';
            testo += g;
          }
          if (o.origine.empty()) o.origine = luogo(s.origine_riga[r]);
        }
        o.nome = testo;
        o.valori = {{"text", testo}, {"row", std::to_string(x.dato1)}};
        break;
      }
      default:
        o.cella = -1;
    }
    if (o.cella >= 0) out.push_back(std::move(o));
    if (x.avvicinamento != 0) {
      elemento a;
      a.tipo = genere::avvicinamento;
      a.cella = static_cast<int32_t>(c);
      a.metro = a.metro_fine = in(c);
      a.origine = origine(c);
      a.nome = std::to_string(x.avvicinamento);
      a.valori = {{"value", std::to_string(x.avvicinamento)},
                  {"before", x.avvicinamento > 80 && x.avvicinamento <= 84 ? "a stop point" : "a signal"}};
      out.push_back(std::move(a));
    }
  }

  // Tunnels: runs of cells whose galleria is not 0, named by a text board
  // "(GALLERIA)(NAME)..." standing just before them.
  for (size_t c = 0; c < n;) {
    if (celle[c].galleria == 0) {
      ++c;
      continue;
    }
    size_t e = c;
    while (e + 1 < n && celle[e + 1].galleria != 0) ++e;
    elemento o;
    o.tipo = genere::galleria;
    o.cella = static_cast<int32_t>(c);
    o.metro = in(c);
    o.metro_fine = in(e + 1);
    o.origine = origine(c);
    std::string nome;
    for (size_t k = c > 4 ? c - 4 : 0; k <= c + 1 && k < n; ++k) {
      if (celle[k].tipo != oggetto::cartello_indicatore) continue;
      const int riga = celle[k].dato1;
      if (riga < 0 || riga >= righe_tabella_sim) continue;
      const auto g = gruppi(s.tabella[static_cast<size_t>(riga)].testo);
      if (g.size() >= 2 && g[0] == "GALLERIA") nome = g[1];
    }
    o.nome = nome;
    o.valori = {{"name", nome.empty() ? "(no board)" : nome},
                {"length", std::to_string(o.metro_fine - o.metro) + " m"},
                {"kind", std::to_string(celle[c].galleria)}};
    out.push_back(std::move(o));
    c = e + 1;
  }

  for (int r : righe_stazioni(s)) {
    const record_sim& row = s.tabella[static_cast<size_t>(r)];
    elemento o;
    o.tipo = genere::stazione;
    o.metro = o.metro_fine = row.progressiva;
    o.nome = rifila(row.testo);
    o.origine = luogo(s.origine_riga[static_cast<size_t>(r)]);
    o.valori = {{"stop point", std::to_string(50 * (static_cast<int64_t>(row.fine) / 50 - 1)) + " m"},
                {"stretch", std::to_string(row.inizio) + " - " + std::to_string(row.fine) + " m"},
                {"time", orario(row.orario)},
                {"kind", std::to_string(row.tipo)},
                {"row", std::to_string(r)}};
    out.push_back(std::move(o));
  }
  std::stable_sort(out.begin(), out.end(),
                   [](const elemento& a, const elemento& b) { return a.metro < b.metro; });
  return out;
}

}  // namespace scenario::disegno
