#include "documents/documents.h"

#include <algorithm>
#include <cstdlib>

#include "model/file_names.h"
#include "scenario/stations.h"

namespace scenario {

namespace {

// The card above its timetable: two empty lines, the header boxes, an empty
// line, the table's top rule and heads.
const char* const testata_scheda[] = {
    "",
    "",
    "  ___________________                                               ______________",
    " |                   |                    SCHEDA                   |              |",
    " |   TRENO n.27594   |                   da: BORGO VARN.           |    V150 B    |",
    " |___________________|                    a: CALMEA                |     125%     |",
    "                                                                   |______________|",
    "  ___________________                ___________________",
    " |  CLASSIFICAZIONE  |              |  MASSA BLOCCATA   |       ",
    " |        REG        |              |      430T         |",
    " |___________________|              |___________________|",
    "",
    "  ________________________________________________________________________________",
    " | Vel.| Vel.| Progr Km |  No |   Localita' di  Servizio   |     Orario     | Rec |",
    " | Lim.|Marc.|          |  Rs |                            |                |     |",
};

// The rule under the heads, repeated under the last row.
const char* const riga_chiusura_scheda =
    " |_____|_____|__________|_____|____________________________|________________|_____|";

const char* const nota_scheda = " Nella colonna orario il simbolo '+' indica mezzo minuto";

const char* const testata_rallentamenti[] = {
    "",
    "                               Modulo M. 3",
    "                           ORDINE DI RALLENTAMENTO",
    " ________________________________________________________________________________",
    "  Linea  BORGO VARNELLO - CALMEA",
    "",
    "  Si ordina al macchinista del treno 27594 di effettuare i seguenti rallentamenti",
    "  _______________________________________________________________________________",
    " |   |                            |Inizio dopo |          |         |            |",
    " | N.|      FRA LE STAZIONI       | il cippo   | Velocita'|Lunghezza|Prescrizioni|",
    " |   |   (o nelle Stazioni di)    |chilometrico|          |   metri | specifiche |",
    " |___|____________________________|____________|__________|_________|____________|",
};

const char* const riga_vuota_rallentamenti =
    " |   |                            |            |          |         |            |";

const char* const riga_chiusura_rallentamenti =
    " |___|____________________________|____________|__________|_________|____________|";

const char* const legenda_rallentamenti[] = {
    "",
    "              Prescrizioni specifiche",
    " A - Da rispettare con tutto il treno (per i treni viaggiatori)",
    " B - Interessa anche la stazione di.......",
    " D - Rallentamneto N. ... e N. ...  sono contigui",
    " C - Da rispettare dalle ore ....  alle ore ..... di tutti",
    "     i giorni esclusi i seguenti:.........",
};

// Rows of the slow-down table under the filled one.
constexpr int righe_vuote_rallentamenti = 25;

// "h.mm"; seconds are dropped.
std::string ore_minuti(int32_t secondi) {
  return formato("%d.%02d", static_cast<int>(secondi / 3600), static_cast<int>(secondi / 60 % 60));
}

// The 16 characters of the Orario column: the arrival at 2 to 5, a passing
// time at 7 to 10 with "+" at 11 for the half minute, the departure at 12
// to 15.
struct colonna_orario {
  std::string testo = std::string(16, ' ');
  void metti(size_t colonna, const std::string& valore) { testo.replace(colonna - 1, valore.size(), valore); }
};

struct riga_orario {
  int32_t posizione;  // where the row's kilometre post is read
  std::string nome;
  std::string orario;
  int velocita = 0;
  int marcia = 0;
};

std::string orario_stazione(const stazione& s) {
  colonna_orario c;
  switch (s.genere) {
    case genere_fermata::partenza:
      c.metti(12, ore_minuti(s.orario));
      break;
    case genere_fermata::fermata:
      c.metti(2, ore_minuti(s.orario));
      c.metti(12, ore_minuti(s.orario + s.sosta));
      break;
    case genere_fermata::arrivo:
      c.metti(2, ore_minuti(s.orario));
      break;
    case genere_fermata::transito:
      c.metti(7, ore_minuti(s.orario) + (s.orario % 60 >= 30 ? "+" : ""));
      break;
  }
  return c.testo;
}

std::string orario_transito(int32_t orario) {
  colonna_orario c;
  c.metti(7, ore_minuti(orario) + (orario % 60 >= 30 ? "+" : ""));
  return c.testo;
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

std::string velocita_scheda(int v) { return v > 0 ? formato("%4d ", v) : std::string(5, ' '); }

std::string riga_scheda_orario(const riga_orario& r) {
  return " |" + velocita_scheda(r.velocita) + "|" + velocita_scheda(r.marcia) + "|" +
         formato("%9s ", testo_progressiva(r.posizione).c_str()) + "|     |" +
         formato("%-28.28s", r.nome.c_str()) + "|" + r.orario + "|     |";
}

}  // namespace

std::vector<std::string> tabella_note() { return {std::string(fine_del_file)}; }

std::vector<std::string> tabella_rallentamenti() {
  std::vector<std::string> t(std::begin(testata_rallentamenti), std::end(testata_rallentamenti));
  const rallentamento& r = rallentamento_servizio();
  const auto [prima, dopo] = stazioni_attorno(r);
  std::string fra;
  if (prima != nullptr) fra += prima->nome;
  fra += '-';
  if (dopo != nullptr) fra += dopo->nome;
  t.push_back(formato(" | 1 |%-28.28s|    %-8s|    %-6d|    %-5d|    -----   |", fra.c_str(),
                      testo_progressiva(r.x).c_str(), r.v, r.l));
  for (int i = 0; i < righe_vuote_rallentamenti; ++i) t.push_back(riga_vuota_rallentamenti);
  t.push_back(riga_chiusura_rallentamenti);
  t.insert(t.end(), std::begin(legenda_rallentamenti), std::end(legenda_rallentamenti));
  t.push_back(std::string(fine_del_file));
  return t;
}

std::vector<std::string> tabella_scheda() {
  std::vector<std::string> t(std::begin(testata_scheda), std::end(testata_scheda));
  t.push_back(riga_chiusura_scheda);
  for (const auto& r : righe_orario()) t.push_back(riga_scheda_orario(r));
  t.push_back(riga_chiusura_scheda);
  t.push_back(nota_scheda);
  t.push_back("");
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
