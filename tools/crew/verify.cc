#include "crew/verify.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "crew/documents.h"
#include "documents/layout.h"
#include "model/file_names.h"

namespace scenario::crew {

namespace {

// Posts further apart than this do not name the same point.
constexpr int64_t scarto_post = 100;

std::string pulito(const std::string& t) {
  const size_t a = t.find_first_not_of(" \t");
  if (a == std::string::npos) return {};
  return t.substr(a, t.find_last_not_of(" \t") - a + 1);
}

std::string maiuscole(std::string t) {
  for (char& c : t) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return t;
}

bool stesso_nome(const std::string& a, const std::string& b) { return maiuscole(pulito(a)) == maiuscole(pulito(b)); }

// Whether a document's column, `larghezza` characters wide, shows `atteso`:
// a longer name is cut to the column.
bool nome_in_colonna(const std::string& letto, const std::string& atteso, size_t larghezza) {
  return stesso_nome(letto, pulito(atteso).substr(0, larghezza));
}

// The lines of a text, CR LF, CR or LF ended.
std::vector<std::string> text_lines(const std::string& t) {
  std::vector<std::string> lines;
  std::string line;
  for (size_t i = 0; i < t.size(); ++i) {
    if (t[i] == '\r' || t[i] == '\n') {
      lines.push_back(line);
      line.clear();
      if (t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n') ++i;
    } else {
      line += t[i];
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

// A field between two "|" of a ruled row, with the column it starts at.
struct campo {
  std::string testo;
  int colonna = 0;  // from 1
};

std::vector<campo> fields_of_line(const std::string& line) {
  std::vector<campo> campi;
  size_t inizio = 0;
  for (size_t i = 0; i <= line.size(); ++i) {
    if (i == line.size() || line[i] == '|') {
      campi.push_back({line.substr(inizio, i - inizio), static_cast<int>(inizio) + 1});
      inizio = i + 1;
    }
  }
  return campi;
}

// A rule: "|", "_" and blanks only, with at least one of each bar.
bool is_rule(const std::string& r) {
  return r.find('|') != std::string::npos && r.find('_') != std::string::npos &&
         r.find_first_not_of("|_ ") == std::string::npos;
}

// The rows of a document's table: the lines between the first rule that
// holds "|" and the last, that have at least `barre` bars.
struct table_row {
  int line = 0;  // from 1
  std::vector<campo> campi;
};

std::vector<table_row> table_rows(const std::string& testo, size_t barre) {
  const auto lines = text_lines(testo);
  int prima = -1, ultima = -1;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (!is_rule(lines[i])) continue;
    if (prima < 0) prima = static_cast<int>(i);
    ultima = static_cast<int>(i);
  }
  std::vector<table_row> tabella;
  for (int i = prima + 1; i < ultima; ++i) {
    const auto& r = lines[static_cast<size_t>(i)];
    if (static_cast<size_t>(std::count(r.begin(), r.end(), '|')) < barre) continue;
    tabella.push_back({i + 1, fields_of_line(r)});
  }
  return tabella;
}

std::optional<int> numero(const std::string& t) {
  const std::string p = pulito(t);
  if (p.empty() || p.size() > 9 || p.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
  return std::atoi(p.c_str());
}

// "46+000", "-0+200" in metres.
std::optional<int64_t> post_metri(const std::string& t) {
  std::string p = pulito(t);
  bool negativo = false;
  if (!p.empty() && p[0] == '-') {
    negativo = true;
    p.erase(0, 1);
  }
  const size_t piu = p.find('+');
  if (piu == std::string::npos) return std::nullopt;
  const auto km = numero(p.substr(0, piu));
  const auto m = numero(p.substr(piu + 1));
  if (!km || !m) return std::nullopt;
  const int64_t metri = static_cast<int64_t>(*km) * 1000 + *m;
  return negativo ? -metri : metri;
}

// The times of a card row's Orario column, read by where they stand: two
// times are the arrival and the departure; one alone is an arrival at the
// left, a departure at the right, a passing time in the middle.
struct orari {
  std::string arrivo, partenza, passaggio;
  bool fermata() const { return !arrivo.empty() || !partenza.empty(); }
  bool qualcuno() const { return fermata() || !passaggio.empty(); }
};

orari leggi_orari(const std::string& colonna) {
  struct tempo {
    std::string testo;
    size_t dove;
  };
  std::vector<tempo> tempi;
  size_t i = 0;
  while (i < colonna.size()) {
    if (!std::isdigit(static_cast<unsigned char>(colonna[i]))) {
      ++i;
      continue;
    }
    const size_t a = i;
    while (i < colonna.size() && colonna[i] != ' ' && colonna[i] != '\t') ++i;
    tempi.push_back({colonna.substr(a, i - a), a});
  }
  orari o;
  if (tempi.size() >= 2) {
    o.arrivo = tempi.front().testo;
    o.partenza = tempi.back().testo;
  } else if (tempi.size() == 1) {
    const auto& t = tempi.front();
    (t.dove < 4 ? o.arrivo : t.dove >= 9 ? o.partenza : o.passaggio) = t.testo;
  }
  // A passing time's "+" is the half minute; a stop's times have none.
  return o;
}

std::string descrivi(const orari& o) {
  std::string d;
  if (!o.arrivo.empty()) d += "arrival " + o.arrivo;
  if (!o.partenza.empty()) d += (d.empty() ? "" : ", ") + std::string("departure ") + o.partenza;
  if (!o.passaggio.empty()) d += (d.empty() ? "" : ", ") + std::string("passing ") + o.passaggio;
  return d.empty() ? "no time" : d;
}

Diagnostic diagnostica(Severity sev, const char* codice, const std::string& file, int line,
                       int colonna, std::string messaggio) {
  Diagnostic d;
  d.severity = sev;
  d.code = codice;
  d.where = {file, line, colonna};
  d.message = std::move(messaggio);
  return d;
}

// A row of the card as read.
struct card_row {
  int line = 0;
  int velocita = 0;
  std::optional<int64_t> post;
  std::string nome;
  orari tempi;
  std::vector<campo> campi;
  std::optional<int32_t> posizione;  // on the route, once known
  bool usata = false;
};

// Where the route first shows `post` at or after `da`. Posts run at one
// metre a metre, up or down, within each chainage zone (and before the first
// one), so each stretch is solved once instead of searched cell by cell.
std::optional<int32_t> posizione_del_post(const servizio& sv, int64_t post, int32_t da) {
  std::vector<int64_t> confini = {0};
  for (const auto& z : sv.km().zone()) {
    if (z.inizio > 0) confini.push_back(z.inizio);
  }
  const int64_t fine_percorso = static_cast<int64_t>(sv.ultima_cella()) * 50 + 50;
  confini.push_back(fine_percorso);
  for (size_t k = 0; k + 1 < confini.size(); ++k) {
    const int64_t a = std::max<int64_t>(confini[k], da);
    const int64_t b = std::min(confini[k + 1], fine_percorso);
    if (a >= b) continue;
    const int64_t verso = sv.km().post(a + 1) - sv.km().post(a);
    if (verso != 1 && verso != -1) continue;
    const int64_t p = a + (post - sv.km().post(a)) * verso;
    if (p >= a - 25 && p < b + 25) return static_cast<int32_t>(std::clamp<int64_t>(p, a, b - 1));
  }
  return std::nullopt;
}

}  // namespace

Diagnostics verifica_scheda(const servizio& sv, const documento_letto& scheda) {
  Diagnostics d;
  const std::string& file = scheda.percorso;
  if (!scheda.testo) {
    d.push_back(diagnostica(Severity::kNote, "card-absent", file, 0, 0,
                            "no timetable card beside the sources; `documents` writes one"));
    return d;
  }
  std::vector<card_row> letta;
  for (auto& r : table_rows(*scheda.testo, 8)) {
    if (r.campi.size() < 8) continue;
    card_row x;
    x.line = r.line;
    x.velocita = numero(r.campi[1].testo).value_or(0);
    x.post = post_metri(r.campi[3].testo);
    x.nome = pulito(r.campi[5].testo);
    x.tempi = leggi_orari(r.campi[6].testo);
    x.campi = std::move(r.campi);
    letta.push_back(std::move(x));
  }
  const auto colonna = [](const card_row& r, size_t k) { return r.campi[k].colonna; };

  const std::vector<riga_generata> attese = righe_scheda(sv);
  // Stations first, in running order: by name, else by post.
  size_t cursore = 0;
  for (const auto& a : attese) {
    if (a.fermata == nullptr) continue;
    const fermata_servizio& f = *a.fermata;
    const int64_t post = sv.post(f.posizione);
    card_row* trovata = nullptr;
    for (size_t i = cursore; i < letta.size() && !trovata; ++i) {
      if (!letta[i].usata && nome_in_colonna(letta[i].nome, f.nome, 28)) trovata = &letta[i];
    }
    for (size_t i = 0; i < letta.size() && !trovata; ++i) {
      if (!letta[i].usata && nome_in_colonna(letta[i].nome, f.nome, 28)) trovata = &letta[i];
    }
    if (trovata == nullptr) {
      for (auto& r : letta) {
        if (r.usata || r.nome.empty() || !r.post || std::llabs(*r.post - post) > scarto_post) continue;
        const bool altra = std::any_of(sv.fermate().begin(), sv.fermate().end(), [&](const auto& g) {
          return nome_in_colonna(r.nome, g.nome, 28);
        });
        if (altra) continue;
        trovata = &r;
        d.push_back(diagnostica(Severity::kWarning, "card-name", file, r.line, colonna(r, 5),
                                "the row at " + testo_post(*r.post) + " names '" + r.nome +
                                    "'; the service's station there is '" + f.nome + "'"));
        break;
      }
    }
    if (trovata == nullptr) {
      d.push_back(diagnostica(Severity::kWarning, "card-missing-station", file, 0, 0,
                              "station '" + f.nome + "' (" + sv.testo_post(f.posizione) +
                                  ") has no row on the card"));
      continue;
    }
    card_row& r = *trovata;
    r.usata = true;
    r.posizione = f.posizione;
    cursore = static_cast<size_t>(&r - letta.data()) + 1;
    // A station row that also sets the speed may stand where that speed
    // begins, as the first row of a card often does.
    const auto inizio_velocita = [&]() -> std::optional<int64_t> {
      if (r.velocita == 0 || sv.velocita(f.posizione) != r.velocita) return std::nullopt;
      int32_t m = f.posizione;
      while (m >= 50 && sv.velocita(m - 50) == r.velocita) m -= 50;
      return sv.post(m);
    }();
    const bool al_post = r.post && (std::llabs(*r.post - post) <= scarto_post ||
                                    (inizio_velocita && std::llabs(*r.post - *inizio_velocita) <= scarto_post));
    if (!al_post) {
      d.push_back(diagnostica(Severity::kWarning, "card-post", file, r.line, colonna(r, 3),
                              "'" + f.nome + "' is at post " + sv.testo_post(f.posizione) +
                                  "; the card says " + pulito(r.campi[3].testo)));
    }
    orari attesi;
    switch (f.genere) {
      case genere_fermata::partenza: attesi.partenza = ore_minuti(f.partenza); break;
      case genere_fermata::fermata:
        attesi.arrivo = ore_minuti(f.arrivo);
        attesi.partenza = ore_minuti(f.partenza);
        break;
      case genere_fermata::arrivo: attesi.arrivo = ore_minuti(f.arrivo); break;
      case genere_fermata::transito: break;
    }
    // A station without a time may show the crew's passing time.
    const bool diversi = f.con_orario() ? (r.tempi.arrivo != attesi.arrivo ||
                                           r.tempi.partenza != attesi.partenza ||
                                           !r.tempi.passaggio.empty())
                                        : r.tempi.fermata();
    if (diversi) {
      d.push_back(diagnostica(Severity::kWarning, "card-time", file, r.line, colonna(r, 6),
                              "'" + f.nome + "': the card has " + descrivi(r.tempi) +
                                  "; the service has " + descrivi(attesi)));
    }
  }

  // Rows with a time that name no station.
  for (const auto& r : letta) {
    if (r.usata || !r.tempi.qualcuno()) continue;
    const bool fermata = r.tempi.fermata();
    d.push_back(diagnostica(fermata ? Severity::kWarning : Severity::kNote, "card-extra-station",
                            file, r.line, colonna(r, 5),
                            fermata ? "'" + r.nome + "' has a stop time but is no station of the service"
                                    : "passing time for '" + r.nome +
                                          "', which is no station of the service"));
  }

  // Every row's place on the route, from its station or else from its post.
  int32_t dopo = 0;
  for (auto& r : letta) {
    if (!r.posizione && r.post) r.posizione = posizione_del_post(sv, *r.post, std::max(0, dopo - 200));
    if (r.posizione) dopo = *r.posizione;
  }
  const auto in_vigore_vicino = [&](int32_t metro, int v) {
    for (int32_t m = metro - scarto_post; m <= metro + scarto_post; m += 50) {
      if (sv.velocita(m) == v) return true;
    }
    return false;
  };
  for (const auto& r : letta) {
    if (r.velocita == 0 || !r.posizione) continue;
    if (!in_vigore_vicino(*r.posizione, r.velocita)) {
      d.push_back(diagnostica(Severity::kWarning, "card-speed", file, r.line, colonna(r, 1),
                              "the card gives " + std::to_string(r.velocita) + " km/h at " +
                                  pulito(r.campi[3].testo) + "; the limit in force there is " +
                                  std::to_string(sv.velocita(*r.posizione)) + " km/h"));
    }
  }
  for (const auto& a : attese) {
    if (a.velocita == 0) continue;
    const bool c_e = std::any_of(letta.begin(), letta.end(), [&](const auto& r) {
      return r.velocita == a.velocita && r.posizione && std::abs(*r.posizione - a.posizione) <= scarto_post;
    });
    if (!c_e) {
      d.push_back(diagnostica(Severity::kWarning, "card-speed", file, 0, 0,
                              "the limit becomes " + std::to_string(a.velocita) + " km/h at " +
                                  sv.testo_post(a.posizione) + "; no row of the card gives it"));
    }
  }
  std::stable_sort(d.begin(), d.end(), [](const Diagnostic& a, const Diagnostic& b) {
    return (a.where.line == 0 ? 1 << 30 : a.where.line) < (b.where.line == 0 ? 1 << 30 : b.where.line);
  });
  return d;
}

Diagnostics verifica_rallentamenti(const servizio& sv, const documento_letto& ordine) {
  Diagnostics d;
  const std::string& file = ordine.percorso;
  if (!ordine.testo) {
    d.push_back(diagnostica(Severity::kNote, "order-absent", file, 0, 0,
                            "no slow-down order beside the sources; `documents` writes one"));
    return d;
  }
  const auto& attesi = sv.rallentamenti();
  std::vector<bool> trovato(attesi.size(), false);
  for (const auto& r : table_rows(*ordine.testo, 7)) {
    if (r.campi.size() < 7 || pulito(r.campi[1].testo).empty()) continue;
    const auto& c = r.campi;
    const auto post = post_metri(c[3].testo);
    const int velocita = numero(c[4].testo).value_or(0);
    const int lunghezza = numero(c[5].testo).value_or(0);
    const rallentamento_servizio* uguale = nullptr;
    for (size_t k = 0; k < attesi.size() && post && !uguale; ++k) {
      if (!trovato[k] && std::llabs(sv.post(attesi[k].x) - *post) <= scarto_post) {
        uguale = &attesi[k];
        trovato[k] = true;
      }
    }
    if (uguale == nullptr) {
      d.push_back(diagnostica(Severity::kWarning, "order-unknown-slowdown", file, r.line, c[3].colonna,
                              "slow-down " + pulito(c[1].testo) + " at " + pulito(c[3].testo) +
                                  " is not in the service description"));
      continue;
    }
    if (velocita != uguale->velocita) {
      d.push_back(diagnostica(Severity::kWarning, "order-speed", file, r.line, c[4].colonna,
                              "slow-down at " + pulito(c[3].testo) + ": the order gives " +
                                  pulito(c[4].testo) + " km/h, the service " +
                                  std::to_string(uguale->velocita) + " km/h"));
    }
    if (std::abs(lunghezza - uguale->lunghezza) >= 50) {
      d.push_back(diagnostica(Severity::kWarning, "order-length", file, r.line, c[5].colonna,
                              "slow-down at " + pulito(c[3].testo) + ": the order gives " +
                                  pulito(c[5].testo) + " m, the service " +
                                  std::to_string(uguale->lunghezza) + " m"));
    }
    const auto [prima, dopo] = stazioni_attorno(sv, *uguale);
    const std::string fra =
        std::string(prima ? prima->nome : "") + "-" + std::string(dopo ? dopo->nome : "");
    std::string scritto = pulito(c[2].testo);
    scritto.erase(std::remove(scritto.begin(), scritto.end(), ' '), scritto.end());
    std::string atteso = fra.substr(0, 28);
    atteso.erase(std::remove(atteso.begin(), atteso.end(), ' '), atteso.end());
    if (!stesso_nome(scritto, atteso)) {
      d.push_back(diagnostica(Severity::kWarning, "order-stations", file, r.line, c[2].colonna,
                              "slow-down at " + pulito(c[3].testo) + " lies between " + fra +
                                  "; the order says " + pulito(c[2].testo)));
    }
  }
  for (size_t k = 0; k < attesi.size(); ++k) {
    if (trovato[k]) continue;
    d.push_back(diagnostica(Severity::kWarning, "order-missing-slowdown", file, 0, 0,
                            "the slow-down at " + sv.testo_post(attesi[k].x) + " (" +
                                std::to_string(attesi[k].velocita) + " km/h, " +
                                std::to_string(attesi[k].lunghezza) + " m) has no row on the order"));
  }
  return d;
}

Diagnostics verifica_documenti(const stato_compilazione& s, FileSystem& fs,
                               const std::string& cartella) {
  const servizio sv(s);
  const auto leggi = [&](const std::string& nome) {
    documento_letto l{join_path(cartella, nome), std::nullopt};
    std::string testo;
    if (!fs.read(l.percorso, &testo)) l.testo = std::move(testo);
    return l;
  };
  Diagnostics d = verifica_scheda(sv, leggi(nomi::scheda(s.nome_linea, s.nome_treno)));
  Diagnostics o = verifica_rallentamenti(sv, leggi(nomi::rallentamenti(s.nome_linea, s.nome_treno)));
  d.insert(d.end(), o.begin(), o.end());
  return d;
}

}  // namespace scenario::crew
