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

struct document_layout {
  const char* name;
  std::vector<std::string> (*table)();
  size_t line_count;
  std::map<int, std::string> quoted;  // by line number from 1
  int first_table_line, last_table_line;
  std::vector<size_t> bars;  // positions of "|" on the table's lines, from 1
  std::map<int, size_t> widths;  // further lines of a stated width
  std::set<int> trailing_space_lines;
};

void PrintTo(const document_layout& d, std::ostream* os) { *os << d.name; }

const std::string kCardRule =
    " |_____|_____|__________|_____|____________________________|________________|_____|";
const std::string kEmptyOrderRow =
    " |   |                            |            |          |         |            |";
const std::string kOrderRule =
    " |___|____________________________|____________|__________|_________|____________|";

std::map<int, std::string> card_quoted_lines() {
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
      {16, kCardRule},
      {63, kCardRule},
      {64, " Nella colonna orario il simbolo '+' indica mezzo minuto"},
      {65, ""},
  };
}

std::map<int, std::string> order_quoted_lines() {
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
      {12, kOrderRule},
      {39, kOrderRule},
      {40, ""},
      {41, "              Prescrizioni specifiche"},
      {42, " A - Da rispettare con tutto il treno (per i treni viaggiatori)"},
      {43, " B - Interessa anche la stazione di......."},
      {44, " D - Rallentamneto N. ... e N. ...  sono contigui"},
      {45, " C - Da rispettare dalle ore ....  alle ore ..... di tutti"},
      {46, "     i giorni esclusi i seguenti:........."},
  };
  for (int n = 14; n <= 38; ++n) c[n] = kEmptyOrderRow;
  return c;
}

class CrewDocumentLayout : public ::testing::TestWithParam<document_layout> {};

TEST_P(CrewDocumentLayout, RowsWidthsAndColumns) {
  const auto& d = GetParam();
  const auto table = d.table();
  ASSERT_FALSE(table.empty());
  EXPECT_EQ(table.back(), fine_del_file);
  EXPECT_EQ(table.size() - 1, d.line_count);

  const std::string text = componi_testo(table);
  if (d.line_count == 0) {
    EXPECT_EQ(text, "");
    return;
  }
  const auto lines = crlf_lines(text);
  ASSERT_EQ(lines.size(), d.line_count);
  for (const auto& [n, expected] : d.quoted) EXPECT_EQ(lines[n - 1], expected) << "line " << n;

  for (int n = d.first_table_line; n <= d.last_table_line; ++n) {
    const std::string& r = lines[n - 1];
    EXPECT_EQ(r.size(), d.bars.back()) << "line " << n << ": " << r;
    std::vector<size_t> bars;
    for (size_t i = 0; i < r.size(); ++i) {
      if (r[i] == '|') bars.push_back(i + 1);
    }
    EXPECT_EQ(bars, d.bars) << "line " << n << ": " << r;
  }
  for (const auto& [n, width] : d.widths) EXPECT_EQ(lines[n - 1].size(), width) << n;
  for (size_t n = 1; n <= lines.size(); ++n) {
    const std::string& r = lines[n - 1];
    if (r.empty() || d.trailing_space_lines.count(static_cast<int>(n))) continue;
    EXPECT_NE(r.back(), ' ') << "trailing space on line " << n << ": '" << r << "'";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Crew, CrewDocumentLayout,
    ::testing::Values(
        document_layout{"scheda", tabella_scheda, 65, card_quoted_lines(), 14, 63,
                        {2, 8, 14, 25, 31, 60, 77, 83}, {{3, 82}, {13, 82}}, {9}},
        document_layout{"rallentamenti", tabella_rallentamenti, 46, order_quoted_lines(), 9, 39,
                        {2, 6, 35, 48, 59, 69, 82}, {{4, 81}, {7, 81}, {8, 81}}, {}},
        document_layout{"note", tabella_note, 0, {}, 1, 0, {0}, {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// One timetable row split into its columns.
struct card_row_read {
  std::string lim, marc, km, rs, name, orario, rec;
};

card_row_read split_row(const std::string& r) {
  return {r.substr(2, 5), r.substr(8, 5),  r.substr(14, 10), r.substr(25, 5),
          r.substr(31, 28), r.substr(60, 16), r.substr(77, 5)};
}

std::string trim(std::string s) {
  s.erase(0, s.find_first_not_of(' '));
  s.erase(s.find_last_not_of(' ') + 1);
  return s;
}

TEST(TimetableCard, TimetableRows) {
  const auto lines = crlf_lines(componi_testo(tabella_scheda()));
  ASSERT_EQ(lines.size(), 65u);
  const std::vector<std::string> timetable_rows(lines.begin() + 16, lines.begin() + 62);
  ASSERT_EQ(timetable_rows.size(), 46u);

  // Each kind of Orario field, by where its times stand.
  const std::vector<std::pair<std::string, std::regex>> kinds = {
      {"fermata", std::regex(R"( \d\.\d\d      \d\.\d\d )")},
      {"partenza", std::regex(R"( {11}\d\.\d\d )")},
      {"arrivo", std::regex(R"( \d\.\d\d {11})")},
      {"transito", std::regex(R"( {6}\d\.\d\d {6})")},
      {"mezzo minuto", std::regex(R"( {6}\d\.\d\d\+ {5})")},
      {"senza orario", std::regex(" {16}")},
  };
  std::map<std::string, int> counts, entries;
  int with_speed = 0, with_time_and_speed = 0;
  const std::regex speed(R"( {0,3}\d+ )"), km(R"( *\d+\+\d{3} )");
  for (const auto& r : timetable_rows) {
    const auto c = split_row(r);
    std::string kind;
    for (const auto& [g, pattern] : kinds) {
      if (std::regex_match(c.orario, pattern)) kind = g;
    }
    EXPECT_FALSE(kind.empty()) << r;
    ++counts[kind];
    EXPECT_EQ(c.rs, "     ");
    EXPECT_EQ(c.rec, "     ");
    EXPECT_TRUE(std::regex_match(c.km, km)) << r;
    EXPECT_NE(c.name.front(), ' ') << r;

    const bool lim = c.lim != "     ", marc = c.marc != "     ";
    EXPECT_EQ(lim, marc) << r;
    if (lim) {
      EXPECT_TRUE(std::regex_match(c.lim, speed)) << r;
      EXPECT_TRUE(std::regex_match(c.marc, speed)) << r;
      EXPECT_LE(std::stoi(c.marc), std::stoi(c.lim)) << r;
      ++with_speed;
      if (kind != "senza orario") ++with_time_and_speed;
    } else {
      EXPECT_NE(kind, "senza orario") << "a row without time carries speeds: " << r;
    }
    const std::string name = trim(c.name);
    for (const char* entry : {"Dev.U", "Dev.I", "Cippo Km 4,000", "Imbocco G. ", "Sbocco G. ",
                              "Ex stazione di ", "Bivio "}) {
      if (starts_with(name, entry)) ++entries[entry];
    }
  }
  EXPECT_EQ(counts, (std::map<std::string, int>{{"fermata", 21},
                                                {"partenza", 1},
                                                {"arrivo", 1},
                                                {"transito", 7},
                                                {"mezzo minuto", 6},
                                                {"senza orario", 10}}));
  EXPECT_EQ(entries, (std::map<std::string, int>{{"Dev.U", 2},
                                                 {"Dev.I", 1},
                                                 {"Cippo Km 4,000", 1},
                                                 {"Imbocco G. ", 2},
                                                 {"Sbocco G. ", 4},
                                                 {"Ex stazione di ", 1},
                                                 {"Bivio ", 1}}));
  EXPECT_EQ(with_speed, 17);
  EXPECT_EQ(with_time_and_speed, 7);

  const auto first = split_row(timetable_rows.front()), last = split_row(timetable_rows.back());
  EXPECT_EQ(first.lim, "  30 ");
  EXPECT_EQ(first.marc, "  30 ");
  EXPECT_EQ(first.km, "   46+000 ");
  EXPECT_EQ(first.orario, "           6.31 ");
  EXPECT_EQ(last.km, "   39+100 ");
  EXPECT_EQ(last.orario, " 8.45           ");

  // The three pairs of speeds the card is known by.
  for (const char* speed_pair : {" | 110 | 105 |", " | 150 | 130 |", " |  60 |  60 |"}) {
    EXPECT_TRUE(std::any_of(timetable_rows.begin(), timetable_rows.end(),
                            [&](const auto& r) { return starts_with(r, speed_pair); }))
        << speed_pair;
  }
}

TEST(SlowDownOrder, RowOne) {
  const auto lines = crlf_lines(componi_testo(tabella_rallentamenti()));
  ASSERT_EQ(lines.size(), 46u);
  std::smatch m;
  ASSERT_TRUE(std::regex_match(
      lines[12], m,
      std::regex(R"( \| 1 \|([A-Z. ']+)-([A-Z. ']+?) *\|    0\+900   \|    40    \|    300  \|    -----   \|)")))
      << lines[12];
}

}  // namespace
}  // namespace scenario::testing
