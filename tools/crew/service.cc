#include "crew/service.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace scenario::crew {

namespace {

constexpr uint8_t codice_fermata = 10;
constexpr uint8_t codice_fine_rallentamento = 2;
constexpr uint8_t codice_inizio_rallentamento = 3;
constexpr uint8_t codice_cartello = 14;

std::string maiuscole(std::string t) {
  for (char& c : t) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return t;
}

std::string senza_spazi(const std::string& t) {
  const size_t a = t.find_first_not_of(' ');
  if (a == std::string::npos) return {};
  return t.substr(a, t.find_last_not_of(' ') - a + 1);
}

// The lines of a board's face "(GALLERIA)(NORD    )(m.800   )", trimmed.
std::vector<std::string> righe_cartello(const std::string& faccia) {
  std::vector<std::string> righe;
  size_t i = 0;
  while ((i = faccia.find('(', i)) != std::string::npos) {
    const size_t j = faccia.find(')', i);
    if (j == std::string::npos) break;
    righe.push_back(senza_spazi(faccia.substr(i + 1, j - i - 1)));
    i = j + 1;
  }
  return righe;
}

}  // namespace

servizio::servizio(const stato_compilazione& s) : km_(s.tabella_sim) {
  const auto& celle = s.percorso;
  const auto n = static_cast<int32_t>(celle.size());

  // Rows 1 .. 80 that are neither board texts nor empty are stations.
  std::vector<bool> testi(righe_tabella_sim, false);
  std::vector<int32_t> fermata_riga(righe_tabella_sim, -1);
  for (int32_t c = 0; c < n; ++c) {
    const cella& x = celle[static_cast<size_t>(c)];
    if (x.dato1 < 0 || x.dato1 >= righe_tabella_sim) continue;
    if (x.tipo == codice_cartello) testi[static_cast<size_t>(x.dato1)] = true;
    if (x.tipo == codice_fermata && fermata_riga[static_cast<size_t>(x.dato1)] < 0) {
      fermata_riga[static_cast<size_t>(x.dato1)] = c;
    }
  }
  for (int r = riga_prima_stazione; r <= riga_primo_testo; ++r) {
    const record_sim& x = s.tabella_sim[static_cast<size_t>(r)];
    const bool vuota = !x.tipo && !x.inizio && !x.fine && !x.progressiva && x.testo.empty() &&
                       !x.orario && !x.b1;
    if (testi[static_cast<size_t>(r)] || vuota) continue;
    fermata_servizio f;
    f.riga = r;
    f.nome = senza_spazi(x.testo);
    f.posizione = x.progressiva;
    const int32_t c = fermata_riga[static_cast<size_t>(r)];
    f.punto_fermata = c >= 0 ? c * 50 : x.progressiva;
    f.arrivo = f.partenza = x.orario;
    f.genere = x.orario != 0 ? genere_fermata::fermata : genere_fermata::transito;
    if (f.genere == genere_fermata::fermata) f.partenza = x.orario + x.b3;
    fermate_.push_back(std::move(f));
  }
  const auto primo = std::find_if(fermate_.begin(), fermate_.end(),
                                  [](const auto& f) { return f.con_orario(); });
  const auto ultimo = std::find_if(fermate_.rbegin(), fermate_.rend(),
                                   [](const auto& f) { return f.con_orario(); });
  if (primo != fermate_.end()) {
    primo->genere = genere_fermata::partenza;
    primo->partenza = primo->arrivo;
    if (&*ultimo != &*primo) ultimo->genere = genere_fermata::arrivo;
  }

  // The profile is filled up to cell P - 3; the last cells hold no limit.
  velocita_celle_.assign(static_cast<size_t>(std::max(0, n - 2)), 0);
  for (size_t c = 0; c < velocita_celle_.size(); ++c) velocita_celle_[c] = celle[c].velocita * 5;
  for (size_t c = 1; c + 1 < velocita_celle_.size(); ++c) {
    if (velocita_celle_[c] != velocita_celle_[c - 1]) {
      cambi_.push_back({static_cast<int32_t>(c) * 50, velocita_celle_[c]});
    }
  }

  // A start mark and the next end mark bound one slow-down.
  lenta_celle_.assign(velocita_celle_.size(), 0);
  for (int32_t c = 0; c < n; ++c) {
    const cella& x = celle[static_cast<size_t>(c)];
    if (x.tipo != codice_inizio_rallentamento) continue;
    // A start written over its own end (a very short slow-down) has no end
    // mark: the search stops at the next start.
    int32_t e = c;
    for (int32_t k = c + 1; k < n; ++k) {
      const uint8_t t = celle[static_cast<size_t>(k)].tipo;
      if (t == codice_inizio_rallentamento) break;
      if (t == codice_fine_rallentamento) {
        e = k;
        break;
      }
    }
    rallentamenti_.push_back({(c - 1) * 50, (e - c) * 50, x.dato1});
    for (int32_t k = c; k <= e && k < static_cast<int32_t>(lenta_celle_.size()); ++k) {
      lenta_celle_[static_cast<size_t>(k)] = x.dato1;
    }
  }

  // A tunnel is named by a "GALLERIA" board standing up to 200 m before it.
  for (int32_t k = 1; k <= std::min(s.numero_montagne, massimo_montagne); ++k) {
    const int32_t inizio = s.montagna_inizio[static_cast<size_t>(k)];
    const int32_t fine = s.montagna_fine[static_cast<size_t>(k)];
    for (int32_t c = std::max(0, inizio / 50 - 4); c <= std::min(n - 1, inizio / 50 + 1); ++c) {
      const cella& x = celle[static_cast<size_t>(c)];
      if (x.tipo != codice_cartello || x.dato1 < 0 || x.dato1 >= righe_tabella_sim) continue;
      const int32_t metro = (c - 1) * 50;
      if (metro < inizio - 200 || metro > inizio) continue;
      const auto righe = righe_cartello(s.tabella_sim[static_cast<size_t>(x.dato1)].testo);
      if (righe.size() >= 2 && maiuscole(righe[0]) == "GALLERIA" && !righe[1].empty()) {
        gallerie_.push_back({inizio, fine, righe[1]});
        break;
      }
    }
  }

  frenatura_ = s.tabella_sim[riga_treno].inizio;
  std::istringstream parole(s.nome_treno);
  std::vector<std::string> p;
  for (std::string w; parole >> w;) p.push_back(w);
  const bool numero = !p.empty() && std::all_of(p.back().begin(), p.back().end(), [](char c) {
    return std::isdigit(static_cast<unsigned char>(c));
  });
  if (numero) {
    numero_treno_ = p.back();
    for (size_t i = 0; i + 1 < p.size(); ++i) classificazione_ += (i ? " " : "") + maiuscole(p[i]);
  } else {
    numero_treno_ = senza_spazi(s.nome_treno);
  }
}

std::vector<const fermata_servizio*> servizio::fermate_con_orario() const {
  std::vector<const fermata_servizio*> v;
  for (const auto& f : fermate_) {
    if (f.con_orario()) v.push_back(&f);
  }
  return v;
}

int servizio::velocita(int32_t metro) const {
  const int32_t c = static_cast<int32_t>(near(metro / 50.0));
  if (c < 0 || c >= static_cast<int32_t>(velocita_celle_.size())) return 0;
  return velocita_celle_[static_cast<size_t>(c)];
}

int servizio::velocita_cella(int32_t c) const {
  if (c < 0 || c >= static_cast<int32_t>(velocita_celle_.size())) return 0;
  const int v = velocita_celle_[static_cast<size_t>(c)];
  const int lenta = lenta_celle_[static_cast<size_t>(c)];
  return lenta > 0 && (v == 0 || lenta < v) ? lenta : v;
}

std::pair<const fermata_servizio*, const fermata_servizio*> stazioni_attorno(
    const servizio& sv, const rallentamento_servizio& r) {
  const fermata_servizio* prima = nullptr;
  const fermata_servizio* dopo = nullptr;
  for (const auto& f : sv.fermate()) {
    if (f.posizione <= r.x) prima = &f;
    if (dopo == nullptr && f.posizione >= r.x + r.lunghezza) dopo = &f;
  }
  return {prima, dopo};
}

}  // namespace scenario::crew
