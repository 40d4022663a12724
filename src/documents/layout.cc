#include "documents/layout.h"

#include <algorithm>

#include "scenario/text_writer.h"

namespace scenario {

namespace {

// The rule under the card's heads, repeated under its last row.
const char* const riga_chiusura_scheda =
    " |_____|_____|__________|_____|____________________________|________________|_____|";

const char* const nota_scheda = " Nella colonna orario il simbolo '+' indica mezzo minuto";

const char* const testa_rallentamenti[] = {
    " |   |                            |Inizio dopo |          |         |            |",
    " | N.|      FRA LE STAZIONI       | il cippo   | Velocita'|Lunghezza|Prescrizioni|",
    " |   |   (o nelle Stazioni di)    |chilometrico|          |   metri | specifiche |",
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

// `testo` cut to `larghezza` and centred in it, the odd space on the right.
std::string centrato(const std::string& testo, size_t larghezza) {
  const std::string t = testo.substr(0, larghezza);
  const size_t sinistra = (larghezza - t.size()) / 2;
  return std::string(sinistra, ' ') + t + std::string(larghezza - sinistra - t.size(), ' ');
}

// `testo` cut to `larghezza` and padded with spaces on the right.
std::string a_sinistra(const std::string& testo, size_t larghezza) {
  std::string t = testo.substr(0, larghezza);
  t.append(larghezza - t.size(), ' ');
  return t;
}

// The Orario column with `valore` from character `colonna` (from 1) on.
std::string colonna_orario(std::initializer_list<std::pair<size_t, std::string>> valori) {
  std::string c(16, ' ');
  for (const auto& [colonna, valore] : valori) {
    c.replace(colonna - 1, std::min(valore.size(), 17 - colonna), valore.substr(0, 17 - colonna));
  }
  return c;
}

std::string colonna_velocita(int v) { return v > 0 ? formato("%4d ", v) : std::string(5, ' '); }

}  // namespace

std::string ore_minuti(int32_t secondi) {
  return formato("%d.%02d", static_cast<int>(secondi / 3600), static_cast<int>(secondi / 60 % 60));
}

std::string orario_partenza(int32_t partenza) { return colonna_orario({{12, ore_minuti(partenza)}}); }
std::string orario_arrivo(int32_t arrivo) { return colonna_orario({{2, ore_minuti(arrivo)}}); }
std::string orario_fermata(int32_t arrivo, int32_t partenza) {
  return colonna_orario({{2, ore_minuti(arrivo)}, {12, ore_minuti(partenza)}});
}
std::string orario_transito(int32_t passaggio) {
  return colonna_orario({{7, ore_minuti(passaggio) + (passaggio % 60 >= 30 ? "+" : "")}});
}
std::string orario_vuoto() { return std::string(16, ' '); }

std::string componi_riga_scheda(const riga_orario_scheda& r) {
  return " |" + colonna_velocita(r.velocita) + "|" + colonna_velocita(r.marcia) + "|" +
         formato("%9s ", r.progressiva.substr(0, 9).c_str()) + "|     |" + a_sinistra(r.nome, 28) +
         "|" + a_sinistra(r.orario, 16) + "|     |";
}

std::vector<std::string> componi_scheda(const testata_scheda& t, const std::vector<std::string>& righe) {
  std::vector<std::string> s = {
      "",
      "",
      "  ___________________                                               ______________",
      " |                   |                    SCHEDA                   |              |",
      " |" + centrato("TRENO n." + t.treno, 19) + "|" + std::string(19, ' ') + "da: " +
          a_sinistra(t.da, 22) + "|" + centrato(t.velocita, 14) + "|",
      " |___________________|" + std::string(20, ' ') + "a: " + a_sinistra(t.a, 22) + "|" +
          centrato(t.frenatura, 14) + "|",
      "                                                                   |______________|",
      "  ___________________                ___________________",
      " |  CLASSIFICAZIONE  |              |  MASSA BLOCCATA   |       ",
      " |" + centrato(t.classificazione, 19) + "|              |      " + a_sinistra(t.massa, 13) +
          "|",
      " |___________________|              |___________________|",
      "",
      "  ________________________________________________________________________________",
      " | Vel.| Vel.| Progr Km |  No |   Localita' di  Servizio   |     Orario     | Rec |",
      " | Lim.|Marc.|          |  Rs |                            |                |     |",
      riga_chiusura_scheda,
  };
  s.insert(s.end(), righe.begin(), righe.end());
  s.push_back(riga_chiusura_scheda);
  s.push_back(nota_scheda);
  s.push_back("");
  return s;
}

std::string componi_riga_rallentamento(const riga_ordine& r) {
  return formato(" |%-3.3s|%-28.28s|    %-8.8s|    %-6d|    %-5d|    %-8.8s|",
                 formato(" %d ", r.numero).c_str(), r.fra.c_str(), r.progressiva.c_str(),
                 r.velocita, r.lunghezza, r.prescrizioni.c_str());
}

std::vector<std::string> componi_rallentamenti(const std::string& linea, const std::string& treno,
                                               const std::vector<riga_ordine>& righe) {
  std::vector<std::string> t = {
      "",
      "                               Modulo M. 3",
      "                           ORDINE DI RALLENTAMENTO",
      " ________________________________________________________________________________",
      "  Linea  " + linea,
      "",
      "  Si ordina al macchinista del treno " + treno + " di effettuare i seguenti rallentamenti",
      "  _______________________________________________________________________________",
  };
  t.insert(t.end(), std::begin(testa_rallentamenti), std::end(testa_rallentamenti));
  t.push_back(riga_chiusura_rallentamenti);
  for (const auto& r : righe) t.push_back(componi_riga_rallentamento(r));
  for (size_t i = righe.size(); i < static_cast<size_t>(righe_tabella_ordine); ++i) {
    t.push_back(riga_vuota_rallentamenti);
  }
  t.push_back(riga_chiusura_rallentamenti);
  t.insert(t.end(), std::begin(legenda_rallentamenti), std::end(legenda_rallentamenti));
  return t;
}

}  // namespace scenario
