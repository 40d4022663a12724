#include "crew/documents.h"

#include <algorithm>

#include "documents/layout.h"
#include "compiler/reader.h"
#include "model/file_names.h"
#include "scenario/text_writer.h"

namespace scenario::crew {

namespace {

std::string orario_fermata(const fermata_servizio& f) {
  switch (f.genere) {
    case genere_fermata::partenza: return scenario::orario_partenza(f.partenza);
    case genere_fermata::fermata: return scenario::orario_fermata(f.arrivo, f.partenza);
    case genere_fermata::arrivo: return scenario::orario_arrivo(f.arrivo);
    case genere_fermata::transito: break;
  }
  return orario_vuoto();
}

// "Imbocco G. NAME" or "Sbocco G. NAME" when `metro` is the mouth of a tunnel
// named by its board; empty otherwise.
std::string nome_imbocco(const servizio& sv, int32_t metro) {
  for (const auto& g : sv.gallerie_con_cartello()) {
    if (g.inizio == metro) return "Imbocco G. " + g.nome;
  }
  for (const auto& g : sv.gallerie_con_cartello()) {
    if (g.fine == metro) return "Sbocco G. " + g.nome;
  }
  return {};
}

}  // namespace

std::vector<riga_generata> righe_scheda(const servizio& sv) {
  std::vector<riga_generata> righe;
  for (const auto& f : sv.fermate()) righe.push_back({f.posizione, 0, f.nome, orario_fermata(f), &f});
  if (righe.empty()) return righe;
  const int32_t primo = righe.front().posizione;
  const int32_t ultimo = righe.back().posizione;
  righe.front().velocita = sv.velocita(primo);
  for (const auto& c : sv.cambi()) {
    if (c.posizione <= primo || c.posizione > ultimo) continue;
    auto stessa = std::find_if(righe.begin(), righe.end(), [&](const riga_generata& r) {
      return r.fermata != nullptr && r.posizione == c.posizione;
    });
    if (stessa != righe.end()) {
      stessa->velocita = c.velocita;
    } else {
      righe.push_back({c.posizione, c.velocita, nome_imbocco(sv, c.posizione), orario_vuoto(), nullptr});
    }
  }
  std::stable_sort(righe.begin(), righe.end(),
                   [](const auto& a, const auto& b) { return a.posizione < b.posizione; });
  return righe;
}

std::vector<std::string> genera_scheda(const servizio& sv) {
  std::vector<std::string> righe;
  for (const auto& r : righe_scheda(sv)) {
    righe.push_back(componi_riga_scheda({r.velocita, r.velocita, sv.testo_post(r.posizione), r.nome, r.orario}));
  }
  testata_scheda t;
  t.treno = sv.numero_treno();
  t.classificazione = sv.classificazione();
  const auto con_orario = sv.fermate_con_orario();
  if (!con_orario.empty()) {
    t.da = con_orario.front()->nome;
    t.a = con_orario.back()->nome;
    int massima = 0;
    for (int32_t m = con_orario.front()->posizione; m <= con_orario.back()->posizione; m += 50) {
      massima = std::max(massima, sv.velocita(m));
    }
    if (massima > 0) t.velocita = "V" + std::to_string(massima);
  }
  if (sv.frenatura() > 0) t.frenatura = std::to_string(sv.frenatura()) + "%";
  return componi_scheda(t, righe);
}

std::vector<std::string> genera_rallentamenti(const servizio& sv) {
  std::vector<riga_ordine> righe;
  for (const auto& r : sv.rallentamenti()) {
    const auto [prima, dopo] = stazioni_attorno(sv, r);
    std::string fra;
    if (prima != nullptr) fra += prima->nome;
    fra += '-';
    if (dopo != nullptr) fra += dopo->nome;
    righe.push_back({static_cast<int>(righe.size()) + 1, fra, sv.testo_post(r.x), r.velocita,
                     r.lunghezza});
  }
  std::string linea;
  if (!sv.fermate().empty()) linea = sv.fermate().front().nome + " - " + sv.fermate().back().nome;
  return componi_rallentamenti(linea, sv.numero_treno(), righe);
}

std::optional<IoError> leggi_sorgenti(stato_compilazione& s, FileSystem& fs,
                                      const std::string& cartella) {
  azzera_tabella(s);
  sorgenti src{fs, cartella, false, std::nullopt};
  memorizza_dati(s, src);
  return src.errore_io;
}

documenti_scritti scrivi_documenti(const stato_compilazione& s, FileSystem& fs,
                                   const std::string& cartella) {
  documenti_scritti esito;
  const servizio sv(s);
  const std::pair<std::string, std::vector<std::string>> documenti[] = {
      {nomi::scheda(s.nome_linea, s.nome_treno), genera_scheda(sv)},
      {nomi::rallentamenti(s.nome_linea, s.nome_treno), genera_rallentamenti(sv)},
  };
  for (const auto& [nome, righe] : documenti) {
    if (auto e = scrivi_testo(fs, join_path(cartella, nome), righe)) {
      esito.errore_io = e;
      return esito;
    }
    esito.scritti.push_back(nome);
  }
  // The notes are the author's own: an existing sheet is kept as it is.
  const std::string note = nomi::note(s.nome_linea, s.nome_treno);
  std::string esistente;
  if (fs.read(join_path(cartella, note), &esistente)) {
    if (auto e = scrivi_testo(fs, join_path(cartella, note), {})) {
      esito.errore_io = e;
      return esito;
    }
    esito.scritti.push_back(note);
  }
  return esito;
}

}  // namespace scenario::crew
