// The three crew documents as written: line counts, the fixed lines, the
// ruled tables with their "|" columns, line widths and CR LF ends; then the
// timetable rows of the card and the filled row of the slow-down order.
#include "documents/documents.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>

#include "scenario/text_lines.h"

namespace scenario::testing {
namespace {

struct documento {
  const char* nome;
  std::vector<std::string> (*tabella)();
  size_t righe;
  std::map<int, std::string> citate;  // by line number from 1
  int prima_riga_tabella, ultima_riga_tabella;
  std::vector<size_t> barre;  // positions of "|" on the table's lines, from 1
  std::map<int, size_t> larghezze;  // further lines of a stated width
  std::set<int> con_spazi_finali;
};

void PrintTo(const documento& d, std::ostream* os) { *os << d.nome; }

const std::string kRegolaScheda =
    " |_____|_____|__________|_____|____________________________|________________|_____|";
const std::string kRigaVuotaOrdine =
    " |   |                            |            |          |         |            |";
const std::string kRegolaOrdine =
    " |___|____________________________|____________|__________|_________|____________|";

std::map<int, std::string> citate_scheda() {
  return {
      {1, ""},
      {2, ""},
      {3, "  ___________________                                               ______________"},
      {4, " |                   |                    SCHEDA                   |              |"},
      {5, " |   TRENO n.27594   |                   da: BORGO VARN.           |    V150 B    |"},
      {6, " |___________________|                    a: CALMEA                |     125%     |"},
      {7, "                                                                   |______________|"},
      {8, "  ___________________                ___________________"},
      {9, " |  CLASSIFICAZIONE  |              |  MASSA BLOCCATA   |       "},
      {10, " |        REG        |              |      430T         |"},
      {11, " |___________________|              |___________________|"},
      {12, ""},
      {13, "  ________________________________________________________________________________"},
      {14, " | Vel.| Vel.| Progr Km |  No |   Localita' di  Servizio   |     Orario     | Rec |"},
      {15, " | Lim.|Marc.|          |  Rs |                            |                |     |"},
      {16, kRegolaScheda},
      {63, kRegolaScheda},
      {64, " Nella colonna orario il simbolo '+' indica mezzo minuto"},
      {65, ""},
  };
}

std::map<int, std::string> citate_ordine() {
  std::map<int, std::string> c = {
      {1, ""},
      {2, "                               Modulo M. 3"},
      {3, "                           ORDINE DI RALLENTAMENTO"},
      {4, " ________________________________________________________________________________"},
      {5, "  Linea  BORGO VARNELLO - CALMEA"},
      {6, ""},
      {7, "  Si ordina al macchinista del treno 27594 di effettuare i seguenti rallentamenti"},
      {8, "  _______________________________________________________________________________"},
      {9, " |   |                            |Inizio dopo |          |         |            |"},
      {10, " | N.|      FRA LE STAZIONI       | il cippo   | Velocita'|Lunghezza|Prescrizioni|"},
      {11, " |   |   (o nelle Stazioni di)    |chilometrico|          |   metri | specifiche |"},
      {12, kRegolaOrdine},
      {39, kRegolaOrdine},
      {40, ""},
      {41, "              Prescrizioni specifiche"},
      {42, " A - Da rispettare con tutto il treno (per i treni viaggiatori)"},
      {43, " B - Interessa anche la stazione di......."},
      {44, " D - Rallentamneto N. ... e N. ...  sono contigui"},
      {45, " C - Da rispettare dalle ore ....  alle ore ..... di tutti"},
      {46, "     i giorni esclusi i seguenti:........."},
  };
  for (int n = 14; n <= 38; ++n) c[n] = kRigaVuotaOrdine;
  return c;
}

class CrewDocumentLayout : public ::testing::TestWithParam<documento> {};

TEST_P(CrewDocumentLayout, RowsWidthsAndColumns) {
  const auto& d = GetParam();
  const auto tabella = d.tabella();
  ASSERT_FALSE(tabella.empty());
  EXPECT_EQ(tabella.back(), fine_del_file);
  EXPECT_EQ(tabella.size() - 1, d.righe);

  const std::string testo = componi_testo(tabella);
  if (d.righe == 0) {
    EXPECT_EQ(testo, "");
    return;
  }
  const auto righe = linee_testo_crlf(testo);
  ASSERT_EQ(righe.size(), d.righe);
  for (const auto& [n, attesa] : d.citate) EXPECT_EQ(righe[n - 1], attesa) << "line " << n;

  for (int n = d.prima_riga_tabella; n <= d.ultima_riga_tabella; ++n) {
    const std::string& r = righe[n - 1];
    EXPECT_EQ(r.size(), d.barre.back()) << "line " << n << ": " << r;
    std::vector<size_t> barre;
    for (size_t i = 0; i < r.size(); ++i) {
      if (r[i] == '|') barre.push_back(i + 1);
    }
    EXPECT_EQ(barre, d.barre) << "line " << n << ": " << r;
  }
  for (const auto& [n, larghezza] : d.larghezze) EXPECT_EQ(righe[n - 1].size(), larghezza) << n;
  for (size_t n = 1; n <= righe.size(); ++n) {
    const std::string& r = righe[n - 1];
    if (r.empty() || d.con_spazi_finali.count(static_cast<int>(n))) continue;
    EXPECT_NE(r.back(), ' ') << "trailing space on line " << n << ": '" << r << "'";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Crew, CrewDocumentLayout,
    ::testing::Values(
        documento{"scheda", tabella_scheda, 65, citate_scheda(), 14, 63,
                  {2, 8, 14, 25, 31, 60, 77, 83}, {{3, 82}, {13, 82}}, {9}},
        documento{"rallentamenti", tabella_rallentamenti, 46, citate_ordine(), 9, 39,
                  {2, 6, 35, 48, 59, 69, 82}, {{4, 81}, {7, 81}, {8, 81}}, {}},
        documento{"note", tabella_note, 0, {}, 1, 0, {0}, {}, {}}),
    [](const auto& info) { return std::string(info.param.nome); });

// One timetable row split into its columns.
struct riga_scheda_letta {
  std::string lim, marc, km, rs, nome, orario, rec;
};

riga_scheda_letta leggi(const std::string& r) {
  return {r.substr(2, 5), r.substr(8, 5),  r.substr(14, 10), r.substr(25, 5),
          r.substr(31, 28), r.substr(60, 16), r.substr(77, 5)};
}

std::string senza_spazi(std::string s) {
  s.erase(0, s.find_first_not_of(' '));
  s.erase(s.find_last_not_of(' ') + 1);
  return s;
}

TEST(TimetableCard, TimetableRows) {
  const auto righe = linee_testo_crlf(componi_testo(tabella_scheda()));
  ASSERT_EQ(righe.size(), 65u);
  const std::vector<std::string> orario(righe.begin() + 16, righe.begin() + 62);
  ASSERT_EQ(orario.size(), 46u);

  // Each kind of Orario field, by where its times stand.
  const std::vector<std::pair<std::string, std::regex>> generi = {
      {"fermata", std::regex(R"( \d\.\d\d      \d\.\d\d )")},
      {"partenza", std::regex(R"( {11}\d\.\d\d )")},
      {"arrivo", std::regex(R"( \d\.\d\d {11})")},
      {"transito", std::regex(R"( {6}\d\.\d\d {6})")},
      {"mezzo minuto", std::regex(R"( {6}\d\.\d\d\+ {5})")},
      {"senza orario", std::regex(" {16}")},
  };
  std::map<std::string, int> conteggio, voci;
  int con_velocita = 0, con_orario_e_velocita = 0;
  const std::regex velocita(R"( {0,3}\d+ )"), km(R"( *\d+\+\d{3} )");
  for (const auto& r : orario) {
    const auto c = leggi(r);
    std::string genere;
    for (const auto& [g, forma] : generi) {
      if (std::regex_match(c.orario, forma)) genere = g;
    }
    EXPECT_FALSE(genere.empty()) << r;
    ++conteggio[genere];
    EXPECT_EQ(c.rs, "     ");
    EXPECT_EQ(c.rec, "     ");
    EXPECT_TRUE(std::regex_match(c.km, km)) << r;
    EXPECT_NE(c.nome.front(), ' ') << r;

    const bool lim = c.lim != "     ", marc = c.marc != "     ";
    EXPECT_EQ(lim, marc) << r;
    if (lim) {
      EXPECT_TRUE(std::regex_match(c.lim, velocita)) << r;
      EXPECT_TRUE(std::regex_match(c.marc, velocita)) << r;
      EXPECT_LE(std::stoi(c.marc), std::stoi(c.lim)) << r;
      ++con_velocita;
      if (genere != "senza orario") ++con_orario_e_velocita;
    } else {
      EXPECT_NE(genere, "senza orario") << "a row without time carries speeds: " << r;
    }
    const std::string nome = senza_spazi(c.nome);
    for (const char* voce : {"Dev.U", "Dev.I", "Cippo Km 4,000", "Imbocco G. ", "Sbocco G. ",
                             "Ex stazione di ", "Bivio "}) {
      if (inizia_con(nome, voce)) ++voci[voce];
    }
  }
  EXPECT_EQ(conteggio, (std::map<std::string, int>{{"fermata", 21},
                                                   {"partenza", 1},
                                                   {"arrivo", 1},
                                                   {"transito", 7},
                                                   {"mezzo minuto", 6},
                                                   {"senza orario", 10}}));
  EXPECT_EQ(voci, (std::map<std::string, int>{{"Dev.U", 2},
                                              {"Dev.I", 1},
                                              {"Cippo Km 4,000", 1},
                                              {"Imbocco G. ", 2},
                                              {"Sbocco G. ", 4},
                                              {"Ex stazione di ", 1},
                                              {"Bivio ", 1}}));
  EXPECT_EQ(con_velocita, 17);
  EXPECT_EQ(con_orario_e_velocita, 7);

  const auto prima = leggi(orario.front()), ultima = leggi(orario.back());
  EXPECT_EQ(prima.lim, "  30 ");
  EXPECT_EQ(prima.marc, "  30 ");
  EXPECT_EQ(prima.km, "   46+000 ");
  EXPECT_EQ(prima.orario, "           6.31 ");
  EXPECT_EQ(ultima.km, "   39+100 ");
  EXPECT_EQ(ultima.orario, " 8.45           ");

  // The three pairs of speeds the card is known by.
  for (const char* coppia : {" | 110 | 105 |", " | 150 | 130 |", " |  60 |  60 |"}) {
    EXPECT_TRUE(std::any_of(orario.begin(), orario.end(),
                            [&](const auto& r) { return inizia_con(r, coppia); }))
        << coppia;
  }
}

TEST(SlowDownOrder, RowOne) {
  const auto righe = linee_testo_crlf(componi_testo(tabella_rallentamenti()));
  ASSERT_EQ(righe.size(), 46u);
  std::smatch m;
  ASSERT_TRUE(std::regex_match(
      righe[12], m,
      std::regex(R"( \| 1 \|([A-Z. ']+)-([A-Z. ']+?) *\|    0\+900   \|    40    \|    300  \|    -----   \|)")))
      << righe[12];
}

}  // namespace
}  // namespace scenario::testing
