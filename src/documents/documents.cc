#include "documents/documents.h"

#include <algorithm>
#include <cstdlib>

#include "documents/layout.h"
#include "model/file_names.h"
#include "scenario/stations.h"

namespace scenario {

namespace {

struct riga_orario {
  int32_t posizione;  // where the row's kilometre post is read
  std::string nome;
  std::string orario;
  int velocita = 0;
  int marcia = 0;
};

std::string orario_stazione(const stazione& s) {
  switch (s.genere) {
    case genere_fermata::partenza: return orario_partenza(s.orario);
    case genere_fermata::fermata: return orario_fermata(s.orario, s.orario + s.sosta);
    case genere_fermata::arrivo: return orario_arrivo(s.orario);
    case genere_fermata::transito: break;
  }
  return orario_transito(s.orario);
}

// The timetable in running order: every station, the former station and the
// junction with their times, and the speed limits, each on the timed row
// nearest to it or on a row of its own.
std::vector<riga_orario> righe_orario() {
  std::vector<riga_orario> righe;
  for (const auto& s : stazioni()) {
    righe.push_back({s.posizione, std::string(s.nome), orario_stazione(s)});
  }
  righe.push_back({ex_stazione().posizione, nome_ex_stazione(), orario_transito(ex_stazione().orario)});
  righe.push_back({bivio().posizione, nome_bivio(), orario_transito(bivio().orario)});
  std::stable_sort(righe.begin(), righe.end(),
                   [](const auto& a, const auto& b) { return a.posizione < b.posizione; });

  const size_t con_orario = righe.size();
  for (const auto& l : limiti_velocita()) {
    if (l.riga == riga_scheda::nessuna) continue;
    if (l.riga == riga_scheda::localita) {
      auto vicina = std::min_element(righe.begin(), righe.begin() + con_orario,
                                     [&](const auto& a, const auto& b) {
                                       return std::abs(a.posizione - l.posizione) <
                                              std::abs(b.posizione - l.posizione);
                                     });
      // The post goes where the limit starts: the origin's row reads the
      // line's first post.
      vicina->posizione = l.posizione;
      vicina->velocita = l.velocita;
      vicina->marcia = l.marcia;
    } else {
      righe.push_back({l.posizione, voce_scheda(l), std::string(16, ' '), l.velocita, l.marcia});
    }
  }
  std::stable_sort(righe.begin(), righe.end(),
                   [](const auto& a, const auto& b) { return a.posizione < b.posizione; });
  return righe;
}

std::string riga_scheda_orario(const riga_orario& r) {
  return componi_riga_scheda({r.velocita, r.marcia, testo_progressiva(r.posizione), r.nome, r.orario});
}

}  // namespace

std::vector<std::string> tabella_note() { return {std::string(fine_del_file)}; }

namespace {

// The header boxes of the program's card, written by hand: the departure
// station's name is shortened to fit, and the train's speed category and
// mass are facts the service description does not hold.
testata_scheda testata_incorporata() {
  return {"27594", "BORGO VARN.", "CALMEA", "V150 B", "125%", "REG", "430T"};
}

}  // namespace

std::vector<std::string> tabella_rallentamenti() {
  const rallentamento& r = rallentamento_servizio();
  const auto [prima, dopo] = stazioni_attorno(r);
  std::string fra;
  if (prima != nullptr) fra += prima->nome;
  fra += '-';
  if (dopo != nullptr) fra += dopo->nome;
  std::vector<std::string> t = componi_rallentamenti(
      "BORGO VARNELLO - CALMEA", "27594", {{1, fra, testo_progressiva(r.x), r.v, r.l}});
  t.push_back(std::string(fine_del_file));
  return t;
}

std::vector<std::string> tabella_scheda() {
  std::vector<std::string> righe;
  for (const auto& r : righe_orario()) righe.push_back(riga_scheda_orario(r));
  std::vector<std::string> t = componi_scheda(testata_incorporata(), righe);
  t.push_back(std::string(fine_del_file));
  return t;
}

std::optional<IoError> dati_note(FileSystem& fs, const std::string& cartella,
                                 const std::string& nome_linea, const std::string& nome_treno) {
  return scrivi_testo(fs, join_path(cartella, nomi::note(nome_linea, nome_treno)), tabella_note());
}

std::optional<IoError> dati_rallentamenti(FileSystem& fs, const std::string& cartella,
                                          const std::string& nome_linea,
                                          const std::string& nome_treno) {
  return scrivi_testo(fs, join_path(cartella, nomi::rallentamenti(nome_linea, nome_treno)),
                      tabella_rallentamenti());
}

std::optional<IoError> dati_scheda(FileSystem& fs, const std::string& cartella,
                                   const std::string& nome_linea, const std::string& nome_treno) {
  return scrivi_testo(fs, join_path(cartella, nomi::scheda(nome_linea, nome_treno)),
                      tabella_scheda());
}

}  // namespace scenario
