// The embedded service description as written: its fixed lines and the
// counts, groupings and value ranges of its speed, station and signal rows.
#include "scenario/service_description.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>

#include "scenario/line_description.h"
#include "scenario/text_lines.h"

namespace scenario::testing {
namespace {

std::vector<std::string> service_description_lines() { return crlf_lines(componi_testo(tabella_treno())); }

struct quoted_line {
  size_t index;  // from 0
  const char* text;
};

class EmbeddedServiceQuotedRow : public ::testing::TestWithParam<quoted_line> {};

TEST_P(EmbeddedServiceQuotedRow, StandsInItsPlace) {
  const auto lines = service_description_lines();
  ASSERT_EQ(lines.size(), 111u);
  EXPECT_EQ(lines[GetParam().index], GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    ServiceDescription, EmbeddedServiceQuotedRow,
    ::testing::Values(
        quoted_line{0, "[generale]"}, quoted_line{1, "numero vetture,    7"},
        quoted_line{2, "percentuale massa frenata,    125"}, quoted_line{3, "sabbia,    0"},
        // Runs of spaces and one trailing space, all kept.
        quoted_line{4, "orologio,    6               30            30 "},
        quoted_line{5, "[aderenze]"}, quoted_line{6, "aderenza,   0,    100"},
        quoted_line{7, "[vel_limite]"}, quoted_line{8, "velocita,   0,    30"},
        quoted_line{9, "velocita,     800,   110"}, quoted_line{26, "velocita,   86900,    95"},
        quoted_line{27, "velocita,   87100,    30"}, quoted_line{28, "[stazioni]"},
        quoted_line{29, "stazione,     200,  4,  800,  1, 0, 0,  4,1,0,  2,1,1,    1,   6,31, 0, "
                        "BORGO VARNELLO"},
        quoted_line{62, "stazione,   88100,  2,  800,  1, 1, 0,  1,1,0,  2,1,1,    0,   8,45, 0, "
                        "CALMEA"},
        quoted_line{63, "[rallentamenti]"},
        quoted_line{64, "rallentamento,   49900,    40,  300, 0,  1,  40"},
        quoted_line{65, "[segnali]"},
        quoted_line{66, "segnale,    2700,   2, 3, 0,  0, 0,    2,  2,0,0, 0"},
        quoted_line{108, "segnale,   87100,   2, 2, 3,  1, 0,    2,  2,1,1, 0"},
        quoted_line{109, "[codici]"}, quoted_line{110, "[fine]"}));

TEST(EmbeddedService, QuotedRowsInTheMiddle) {
  const auto lines = service_description_lines();
  for (const char* quoted : {"segnale,   14700,   1, 5, 6,  0, 0,    1,  3,1,0, 0",
                             "segnale,   42500,   2, 2, 3,  0, 0,    2,  2,1,0, 210"}) {
    EXPECT_NE(std::find(lines.begin(), lines.end(), quoted), lines.end()) << quoted;
  }
}

TEST(EmbeddedService, SpeedLimits) {
  const auto righe = section(service_description_lines(), "[vel_limite]");
  ASSERT_EQ(righe.size(), 20u);
  const std::regex forma(R"(velocita,( {0,7}\d+),( {0,5}\d+))");
  int32_t prec = -1;
  for (size_t i = 0; i < righe.size(); ++i) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(righe[i], m, forma)) << righe[i];
    if (i > 0) {
      EXPECT_EQ(m[1].length(), 8) << righe[i];
    }
    EXPECT_EQ(m[2].length(), 6) << righe[i];
    const int32_t pos = number(fields(righe[i])[1]), v = number(fields(righe[i])[2]);
    EXPECT_GT(pos, prec);
    prec = pos;
    EXPECT_EQ(pos % 50, 0);
    EXPECT_EQ(v % 5, 0);
    EXPECT_GE(v, 30);
    EXPECT_LE(v, 150);
  }
}

TEST(EmbeddedService, Stations) {
  const auto righe = section(service_description_lines(), "[stazioni]");
  ASSERT_EQ(righe.size(), 34u);
  // Position in 8, then the groups: type, length, three single digits,
  // two runs of three joined by bare commas, one number, the time, the name.
  const std::regex forma(
      R"(stazione,( {0,7}\d+), ( \d|\d\d),  (\d{3}),  ([01]), ([01]), ([01]),  ([014]),([014]),([014]),  ([01245]),([01245]),([01245]), ( {0,3}\d+),( {0,3}\d+),( \d|\d\d),( \d|\d\d), ([^,]{1,31}))");
  std::map<int, int> tipi, sosta;
  int senza_orario = 0;
  int32_t prec = 0;
  for (const auto& r : righe) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(r, m, forma)) << r;
    EXPECT_EQ(m[1].length(), 8) << r;
    const int32_t pos = number(fields(r)[1]), lunghezza = number(m[3]);
    EXPECT_GT(pos, prec);
    prec = pos;
    EXPECT_EQ(pos % 100, 0);
    EXPECT_EQ(lunghezza % 100, 0);
    EXPECT_GE(lunghezza, 200);
    EXPECT_LE(lunghezza, 800);
    ++tipi[number(fields(r)[2])];
    ++sosta[number(fields(r)[13])];
    const auto c = fields(r);
    if (c[14] == "0" && c[15] == "0" && c[16] == "0") ++senza_orario;
    EXPECT_EQ(c[17], m[17].str()) << "the name ends the row";
  }
  EXPECT_EQ(tipi, (std::map<int, int>{{2, 2}, {4, 1}, {12, 14}, {21, 1}, {22, 2}, {24, 9},
                                      {26, 2}, {28, 3}}));
  EXPECT_EQ(sosta, (std::map<int, int>{{0, 12}, {1, 1}, {60, 21}}));
  EXPECT_EQ(senza_orario, 11);
  // Stations and text boards share the 78 rows of the scenario table.
  EXPECT_EQ(righe.size() + section(crlf_lines(componi_testo(tabella_linea())), "[indicazioni]").size(),
            78u);
}

TEST(EmbeddedService, Signals) {
  const auto righe = section(service_description_lines(), "[segnali]");
  ASSERT_EQ(righe.size(), 43u);
  const std::regex forma(
      R"(segnale,( {0,7}\d+),   (\d), (\d), (\d),  (\d), (\d),    (\d),  (\d),(\d),(\d), (\d+))");
  std::map<int, int> sx;
  int con_tempo = 0;
  int32_t prec = 0;
  for (const auto& r : righe) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(r, m, forma)) << r;
    EXPECT_EQ(m[1].length(), 8) << r;
    std::vector<int> v;
    for (size_t i = 1; i <= 11; ++i) v.push_back(std::stoi(m[i]));
    EXPECT_GT(v[0], prec);
    prec = v[0];
    EXPECT_EQ(v[0] % 100, 0);
    ++sx[v[1]];
    EXPECT_EQ(v[1], v[6]) << r;
    EXPECT_GE(v[2], 2) << r;
    EXPECT_LE(v[2], 5) << r;
    EXPECT_TRUE(std::set<int>({0, 1, 3, 4, 6}).count(v[3])) << r;
    for (int i : {4, 5, 8, 9}) EXPECT_LE(v[i], 1) << r;
    EXPECT_EQ(v[7], v[1] == 1 ? 3 : 2) << r;
    EXPECT_TRUE(v[10] == 0 || v[10] == 210) << r;
    con_tempo += v[10] == 210;
  }
  EXPECT_EQ(sx, (std::map<int, int>{{1, 7}, {2, 36}}));
  EXPECT_EQ(con_tempo, 2);
}

}  // namespace
}  // namespace scenario::testing
