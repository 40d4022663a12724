// The embedded line description as written: its fixed lines, the counts and
// shapes of its lists, and the relations between tunnels and their boards.
#include "scenario/line_description.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>
#include <set>

#include "scenario/text_lines.h"

namespace scenario::testing {
namespace {

std::vector<std::string> line_description_lines() { return crlf_lines(componi_testo(tabella_linea())); }

struct quoted_line {
  size_t index;  // from 0
  const char* text;
};

class EmbeddedLineQuotedRow : public ::testing::TestWithParam<quoted_line> {};

TEST_P(EmbeddedLineQuotedRow, StandsInItsPlace) {
  const auto lines = line_description_lines();
  ASSERT_EQ(lines.size(), 243u);
  EXPECT_EQ(lines[GetParam().index], GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    LineDescription, EmbeddedLineQuotedRow,
    ::testing::Values(
        quoted_line{0, "[generale]"}, quoted_line{1, "lunghezza percorso,    88000"},
        quoted_line{2, "progressiva chilometrica uno,    0,    46000,    1"},
        quoted_line{3, "progressiva chilometrica due,    46000,    -46000,    0"},
        quoted_line{4, "progressiva chilometrica tre,    49000,    -49000,    0"},
        quoted_line{5, "sfondo uno,    0"}, quoted_line{6, "sfondo due,    1"},
        quoted_line{7, "sfondo tre,    0"},
        quoted_line{8, "ripetizione segnali 4 codici,    0,    90000"},
        quoted_line{9, "[curve]"}, quoted_line{10, "curvad4,  800,  150"},
        quoted_line{11, "curvas4,  1100,  250"}, quoted_line{12, "curvad2,  2650,  100"},
        quoted_line{110, "curvas2,  82500,  700"}, quoted_line{111, "curvad3,  83200,  600"},
        quoted_line{112, "curvas5,  86200,  1100"}, quoted_line{113, "[pendenze]"},
        quoted_line{114, "pendenza,   0,    0"}, quoted_line{115, "pendenza,  45200,   -8"},
        quoted_line{116, "pendenza,  46500,   0"}, quoted_line{117, "pendenza,  47600,   8"},
        quoted_line{118, "pendenza,  48900,   0"}, quoted_line{119, "[montagne]"},
        quoted_line{120, "montagna,   1600,  2700,  11"},
        quoted_line{177, "montagna,   83700,  86500,  11"}, quoted_line{178, "[cartelli]"},
        quoted_line{179, "indicatori_vmax,  800,  100,  110,  115,  0,  ,  ,  ,  0"},
        quoted_line{194, "indicatori_vmax,  85900,  90,  95,  95,  2,  ,  ,  ,  0"},
        quoted_line{195, "indicatori_vmax,  86400,  90,  95,  95,  1,  ,  ,  ,  0"},
        quoted_line{196, "indicatori_vmax,  86900,  90,  95,  95,  0,  ,  ,  ,  0"},
        quoted_line{197, "[indicazioni]"}, quoted_line{242, "[fine]"}));

struct expected_section {
  const char* header;
  size_t row_count;
  const char* pattern;  // every row matches it
};

class EmbeddedLineSection : public ::testing::TestWithParam<expected_section> {};

TEST_P(EmbeddedLineSection, HasItsCountAndForm) {
  const auto& p = GetParam();
  const auto righe = section(line_description_lines(), p.header);
  EXPECT_EQ(righe.size(), p.row_count);
  const std::regex pattern(p.pattern);
  for (const auto& r : righe) EXPECT_TRUE(std::regex_match(r, pattern)) << r;
}

INSTANTIATE_TEST_SUITE_P(
    LineDescription, EmbeddedLineSection,
    ::testing::Values(
        expected_section{"[generale]", 8, ".*"},
        expected_section{"[curve]", 103, R"(curva[ds][2-5],  \d+,  \d+)"},
        expected_section{"[pendenze]", 5, "pendenza, .*"},
        expected_section{"[montagne]", 58, R"(montagna,   \d+,  \d+,  1[12])"},
        expected_section{"[cartelli]", 18,
                       R"(indicatori_vmax,  \d+,  \d+,  \d+,  \d+,  \d,  ,  ,  ,  0)"},
        expected_section{"[indicazioni]", 44,
                       R"(cartello_indicatore,  \d+,   (\([^()]+\)){2,3})"},
        expected_section{"[fine]", 0, ".*"}));

TEST(EmbeddedLine, SectionsInOrderAndTheEndMarkNeverWritten) {
  const auto lines = line_description_lines();
  std::vector<std::string> intestazioni;
  for (const auto& r : lines) {
    if (!r.empty() && r.front() == '[') intestazioni.push_back(r);
    EXPECT_EQ(r.find(fine_del_file), std::string::npos);
  }
  EXPECT_EQ(intestazioni, (std::vector<std::string>{"[generale]", "[curve]", "[pendenze]",
                                                     "[montagne]", "[cartelli]", "[indicazioni]",
                                                     "[fine]"}));
  const auto tabella = tabella_linea();
  EXPECT_EQ(tabella.back(), fine_del_file);
  EXPECT_LE(tabella.size() - 1, max_lines);
}

TEST(EmbeddedLine, CurvesDoNotOverlap) {
  std::map<std::string, int> conteggio;
  int32_t inizio_prec = -1, fine_prec = 0;
  bool lunghezza_min = false, lunghezza_max = false;
  const auto righe = section(line_description_lines(), "[curve]");
  for (const auto& r : righe) {
    const auto c = fields(r);
    ++conteggio[c[0]];
    const int32_t inizio = number(c[1]), lunghezza = number(c[2]);
    EXPECT_GT(inizio, inizio_prec) << r;
    EXPECT_GE(inizio, fine_prec) << "the curve before runs past " << r;
    EXPECT_EQ(inizio % 50, 0) << r;
    EXPECT_EQ(lunghezza % 50, 0) << r;
    EXPECT_GE(lunghezza, 50) << r;
    EXPECT_LE(lunghezza, 1500) << r;
    lunghezza_min |= lunghezza == 50;
    lunghezza_max |= lunghezza == 1500;
    inizio_prec = inizio;
    fine_prec = inizio + lunghezza;
  }
  EXPECT_EQ(number(fields(righe.front())[1]), 800);
  EXPECT_EQ(inizio_prec, 86200);
  EXPECT_TRUE(lunghezza_min && lunghezza_max);
  EXPECT_EQ(conteggio, (std::map<std::string, int>{{"curvad2", 5},
                                                   {"curvad3", 12},
                                                   {"curvad4", 33},
                                                   {"curvad5", 1},
                                                   {"curvas2", 5},
                                                   {"curvas3", 13},
                                                   {"curvas4", 31},
                                                   {"curvas5", 3}}));
}

struct tunnel_read {
  int32_t inizio, fine, tipo;
};

std::vector<tunnel_read> tunnels_read() {
  std::vector<tunnel_read> out;
  for (const auto& r : section(line_description_lines(), "[montagne]")) {
    const auto c = fields(r);
    out.push_back({number(c[1]), number(c[2]), number(c[3])});
  }
  return out;
}

TEST(EmbeddedLine, Tunnels) {
  const auto g = tunnels_read();
  ASSERT_EQ(g.size(), 58u);
  int tipo12 = 0;
  int32_t corta = 1'000'000, lunga = 0;
  for (size_t i = 0; i < g.size(); ++i) {
    EXPECT_EQ(g[i].inizio % 50, 0);
    EXPECT_EQ(g[i].fine % 50, 0);
    EXPECT_GT(g[i].fine, g[i].inizio);
    if (i + 1 < g.size()) {
      EXPECT_LT(g[i].fine, g[i + 1].inizio) << g[i].inizio;
    }
    corta = std::min(corta, g[i].fine - g[i].inizio);
    lunga = std::max(lunga, g[i].fine - g[i].inizio);
    if (g[i].tipo == 12 && tipo12++ == 0) {
      EXPECT_EQ(g[i].inizio, 32050);
      EXPECT_EQ(g[i].fine, 32100);
    }
  }
  EXPECT_EQ(tipo12, 8);
  EXPECT_EQ(corta, 50);
  EXPECT_EQ(lunga, 4200);
  EXPECT_EQ(g.front().inizio, 1600);
  EXPECT_EQ(g.back().inizio, 83700);
}

TEST(EmbeddedLine, SpeedIndicatorBoards) {
  const auto righe = section(line_description_lines(), "[cartelli]");
  ASSERT_EQ(righe.size(), 18u);
  int32_t prec = 0;
  for (size_t i = 0; i < righe.size(); ++i) {
    const auto c = fields(righe[i]);
    const int32_t pos = number(c[1]), vas = number(c[2]), vbs = number(c[3]), vcs = number(c[4]);
    EXPECT_GT(pos, prec);
    prec = pos;
    for (int v : {vas, vbs, vcs}) {
      EXPECT_EQ(v % 5, 0);
      EXPECT_GE(v, 60);
      EXPECT_LE(v, 150);
    }
    EXPECT_LE(vas, vbs);
    EXPECT_LE(vbs, vcs);
    const int attese[] = {2, 1, 0};
    EXPECT_EQ(number(c[5]), i + 3 >= righe.size() ? attese[i + 3 - righe.size()] : 0);
  }
  EXPECT_NE(std::find(righe.begin(), righe.end(),
                      "indicatori_vmax,  61300,  130,  150,  150,  0,  ,  ,  ,  0"),
            righe.end());
}

// The face of a board split into its lines, each with its padding.
std::vector<std::string> faces(const std::string& testo) {
  std::vector<std::string> out;
  const std::regex group(R"(\(([^()]*)\))");
  for (auto it = std::sregex_iterator(testo.begin(), testo.end(), group);
       it != std::sregex_iterator(); ++it) {
    out.push_back((*it)[1]);
  }
  return out;
}

TEST(EmbeddedLine, TextBoards) {
  const auto g = tunnels_read();
  std::set<int32_t> inizi;
  for (const auto& x : g) inizi.insert(x.inizio);
  const auto righe = section(line_description_lines(), "[indicazioni]");
  ASSERT_EQ(righe.size(), 44u);

  int32_t prec = 0;
  size_t larghezza_min = 100, larghezza_max = 0;
  int gallerie_con_cartello = 0, ex = 0, bivi = 0, sotterranee = 0;
  for (const auto& r : righe) {
    const auto c = fields(r);
    const int32_t pos = number(c[1]);
    EXPECT_GT(pos, prec) << r;
    prec = pos;
    const auto f = faces(c[2]);
    ASSERT_GE(f.size(), 2u) << r;
    // Every line padded with blanks to the board's longest.
    size_t piu_lunga = 0;
    for (const auto& l : f) {
      EXPECT_EQ(l.size(), f[0].size()) << r;
      EXPECT_NE(l.front(), ' ') << r;
      piu_lunga = std::max(piu_lunga, l.find_last_not_of(' ') + 1);
    }
    EXPECT_EQ(piu_lunga, f[0].size()) << "padded beyond its longest line: " << r;
    larghezza_min = std::min(larghezza_min, f[0].size());
    larghezza_max = std::max(larghezza_max, f[0].size());

    const auto riga0 = f[0].substr(0, f[0].find_last_not_of(' ') + 1);
    if (riga0 == "GALLERIA") {
      ASSERT_EQ(f.size(), 3u) << r;
      EXPECT_TRUE(inizi.count(pos + 50)) << "no tunnel 50 m after " << r;
      ++gallerie_con_cartello;
      EXPECT_TRUE(std::regex_match(f[2], std::regex(R"(m\.\d+ *)"))) << r;
      const auto gal = std::find_if(g.begin(), g.end(), [&](auto& x) { return x.inizio == pos + 50; });
      if (gal != g.end()) {
        const int32_t mostrata = number(f[2].substr(2, f[2].find(' ') - 2));
        EXPECT_LE(std::abs(mostrata - (gal->fine - gal->inizio)), 356) << r;
      }
    } else if (f.size() == 2 && f[0].find("EX STAZIONE") == 0) {
      ++ex;
    } else if (f.size() == 2 && f[0].find("BIVIO") == 0) {
      ++bivi;
    } else if (f.size() == 2 && f[1].find("SOTTERRANEA") == 0) {
      ++sotterranee;
    } else {
      ADD_FAILURE() << "unexpected board " << r;
    }
  }
  EXPECT_EQ(number(fields(righe.front())[1]), 1550);
  EXPECT_EQ(prec, 61350);
  EXPECT_EQ(gallerie_con_cartello, 41);
  EXPECT_EQ(g.size() - gallerie_con_cartello, 17u);
  EXPECT_EQ(ex, 1);
  EXPECT_EQ(bivi, 1);
  EXPECT_EQ(sotterranee, 1);
  EXPECT_EQ(larghezza_min, 8u);
  EXPECT_EQ(larghezza_max, 15u);
}

TEST(EmbeddedLine, BoardFace) {
  EXPECT_EQ(faccia_cartello({"GALLERIA", "ROVELLO", "m.1100"}), "(GALLERIA)(ROVELLO )(m.1100  )");
  EXPECT_EQ(faccia_cartello({"BIVIO", "SAN VENANZIO"}), "(BIVIO       )(SAN VENANZIO)");
}

// The code's tunnel table is what the line description writes.
TEST(EmbeddedLine, TunnelTableAsWritten) {
  const auto g = tunnels_read();
  ASSERT_EQ(gallerie().size(), g.size());
  for (size_t i = 0; i < g.size(); ++i) {
    EXPECT_EQ(gallerie()[i].inizio, g[i].inizio);
    EXPECT_EQ(gallerie()[i].fine, g[i].fine);
  }
}

}  // namespace
}  // namespace scenario::testing
