#include "crew/feasibility.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "documents/layout.h"
#include "tool_support.h"

namespace scenario::crew {

namespace {

// Metres between two points of the estimate's speed profile.
constexpr int32_t passo = 10;

double metri_al_secondo(int kmh) { return kmh / 3.6; }

// Seconds to run [da, a] with every cell at its limit. A cell without a
// limit adds nothing, so the bound stays one no train can beat.
double tempo_ai_limiti(const servizio& sv, int32_t da, int32_t a) {
  double t = 0;
  for (int32_t c = da / 50; c * 50 < a; ++c) {
    const int32_t tratto = std::min(a, c * 50 + 50) - std::max(da, c * 50);
    const int v = sv.velocita_cella(c);
    if (tratto > 0 && v > 0) t += tratto / metri_al_secondo(v);
  }
  return t;
}

// Seconds to run [da, a] from a stand to a stand.
double tempo_stimato(const servizio& sv, int32_t da, int32_t a, const parametri_marcia& p) {
  if (a <= da) return 0;
  const int32_t n = (a - da + passo - 1) / passo;
  std::vector<double> x(static_cast<size_t>(n) + 1), v(static_cast<size_t>(n) + 1);
  int piu_alta = 0;
  for (int32_t c = da / 50; c * 50 <= a; ++c) piu_alta = std::max(piu_alta, sv.velocita_cella(c));
  const auto limite = [&](double metro) {
    const int k = sv.velocita_cella(static_cast<int32_t>(std::floor(metro / 50)));
    return metri_al_secondo(k > 0 ? k : piu_alta);
  };
  for (int32_t i = 0; i <= n; ++i) {
    x[static_cast<size_t>(i)] = std::min<double>(a, da + static_cast<double>(i) * passo);
    // At a change of limit the train is under both.
    const double m = x[static_cast<size_t>(i)];
    v[static_cast<size_t>(i)] = std::min(limite(m), limite(std::max<double>(da, m - 0.5)));
  }
  v.front() = 0;
  v.back() = 0;
  for (size_t i = 1; i < v.size(); ++i) {
    v[i] = std::min(v[i], std::sqrt(v[i - 1] * v[i - 1] + 2 * p.accelerazione * (x[i] - x[i - 1])));
  }
  for (size_t i = v.size() - 1; i-- > 0;) {
    v[i] = std::min(v[i], std::sqrt(v[i + 1] * v[i + 1] + 2 * p.decelerazione * (x[i + 1] - x[i])));
  }
  // Constant acceleration between two points: time is distance over the
  // mean of the two speeds.
  double t = 0;
  for (size_t i = 1; i < v.size(); ++i) {
    const double somma = v[i - 1] + v[i];
    if (somma > 0) t += 2 * (x[i] - x[i - 1]) / somma;
  }
  return t;
}

// Line (from 1) of the station row of `nome` in the service description:
// a line whose first field holds "stazione" and whose last field is the name.
int station_line(const std::string& testo, const std::string& nome) {
  int line = 1;
  size_t inizio = 0;
  while (inizio <= testo.size()) {
    size_t fine = testo.find_first_of("\r\n", inizio);
    if (fine == std::string::npos) fine = testo.size();
    const std::string l = testo.substr(inizio, fine - inizio);
    std::string chiave = l.substr(0, l.find(','));
    for (char& c : chiave) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const size_t virgola = l.rfind(',');
    if (chiave.find("stazione") != std::string::npos && virgola != std::string::npos) {
      std::string ultimo = l.substr(virgola + 1);
      ultimo.erase(0, ultimo.find_first_not_of(" \t"));
      ultimo.erase(ultimo.find_last_not_of(" \t") + 1);
      if (ultimo == nome) return line;
    }
    if (fine == testo.size()) break;
    inizio = fine + (testo.compare(fine, 2, "\r\n") == 0 ? 2 : 1);
    ++line;
  }
  return 0;
}

}  // namespace

std::string durata(double secondi) {
  const long s = std::lround(std::max(0.0, secondi));
  if (s < 60) return std::to_string(s) + " s";
  return std::to_string(s / 60) + " min " + std::to_string(s % 60) + " s";
}

esito_fattibilita verifica_orario(const servizio& sv, const parametri_marcia& p,
                                  const std::string& file_servizio, const std::string& testo_servizio) {
  esito_fattibilita e;
  const auto fermate = sv.fermate_con_orario();
  for (size_t k = 1; k < fermate.size(); ++k) {
    const fermata_servizio& da = *fermate[k - 1];
    const fermata_servizio& a = *fermate[k];
    tratta t;
    t.da = da.nome;
    t.a = a.nome;
    t.inizio = da.punto_fermata;
    t.fine = a.punto_fermata;
    t.previsto = a.arrivo - da.partenza;
    t.tempo_minimo = tempo_ai_limiti(sv, t.inizio, t.fine);
    t.stima = tempo_stimato(sv, t.inizio, t.fine, p);

    Diagnostic d;
    d.where = {file_servizio, testo_servizio.empty() ? 0 : station_line(testo_servizio, a.nome), 0};
    d.position = a.posizione;
    const std::string tratto = "from " + da.nome + " to " + a.nome;
    if (t.previsto < 0) {
      t.giudizio = tratta::esito::indietro;
      d.severity = Severity::kWarning;
      d.code = "timetable-backwards";
      d.message = "times go backwards at " + a.nome + ": it arrives at " + ore_minuti(a.arrivo) +
                  ", before the departure from " + da.nome + " at " + ore_minuti(da.partenza);
    } else if (t.previsto < t.tempo_minimo) {
      t.giudizio = tratta::esito::impossibile;
      d.severity = Severity::kError;
      d.code = "timetable-infeasible";
      d.message = "infeasible " + tratto + ": " + durata(t.previsto) + " scheduled, at least " +
                  durata(std::ceil(t.tempo_minimo)) + " needed at the speed limits";
    } else if (t.previsto < t.stima) {
      t.giudizio = tratta::esito::stretto;
      d.severity = Severity::kNote;
      d.code = "timetable-tight";
      d.message = "tight " + tratto + ": " + durata(t.previsto) + " scheduled, about " +
                  durata(std::round(t.stima / 10) * 10) + " needed";
    }
    if (t.giudizio != tratta::esito::ok) e.diagnostiche.push_back(std::move(d));
    e.tratte.push_back(std::move(t));
  }
  return e;
}

esito_fattibilita verifica_orario(const stato_compilazione& s, const parametri_marcia& p,
                                  const std::string& file_servizio, const std::string& testo_servizio) {
  return verifica_orario(servizio(s), p, file_servizio, testo_servizio);
}

namespace {

const char* nome_giudizio(tratta::esito g) {
  switch (g) {
    case tratta::esito::stretto: return "tight";
    case tratta::esito::impossibile: return "infeasible";
    case tratta::esito::indietro: return "backwards";
    case tratta::esito::ok: break;
  }
  return "ok";
}

std::string decimale(double x) {
  char b[32];
  std::snprintf(b, sizeof b, "%.1f", x);
  return b;
}

}  // namespace

std::string tabella_json(const esito_fattibilita& e, const parametri_marcia& p) {
  std::string o = "{\"acceleration\": " + decimale(p.accelerazione) +
                  ", \"braking\": " + decimale(p.decelerazione) + ", \"stretches\": [";
  for (size_t i = 0; i < e.tratte.size(); ++i) {
    const tratta& t = e.tratte[i];
    o += (i ? ", " : "") + std::string("{\"from\": ") + tool::json_string(t.da) +
         ", \"to\": " + tool::json_string(t.a) + ", \"start\": " + std::to_string(t.inizio) +
         ", \"end\": " + std::to_string(t.fine) + ", \"scheduled\": " + std::to_string(t.previsto) +
         ", \"bound\": " + decimale(t.tempo_minimo) + ", \"estimate\": " + decimale(t.stima) +
         ", \"verdict\": \"" + nome_giudizio(t.giudizio) + "\"}";
  }
  return o + "]}";
}

std::string tabella_testo(const esito_fattibilita& e) {
  std::string o;
  char b[256];
  std::snprintf(b, sizeof b, "%-28s %-28s %7s %9s %7s %8s  %s\n", "from", "to", "metres", "scheduled",
                "bound", "estimate", "verdict");
  o += b;
  for (const auto& t : e.tratte) {
    std::snprintf(b, sizeof b, "%-28.28s %-28.28s %7d %9d %7.0f %8.0f  %s\n", t.da.c_str(), t.a.c_str(),
                  t.fine - t.inizio, t.previsto, t.tempo_minimo, t.stima, nome_giudizio(t.giudizio));
    o += b;
  }
  return o;
}

}  // namespace scenario::crew
