#include "compiler/codes.h"

#include <array>
#include <cstdint>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "model/model.h"

namespace scenario {
namespace {

// "reg 27594" then "borgo varnello_c": the first 25 characters of the working
// text of the embedded scenario, as character codes written out by hand.
constexpr std::array<int32_t, 25> kCodiciScenario = {
    114, 101, 103, 32,  50,  55,  53,  57,  52,   // r e g _ 2 7 5 9 4
    98,  111, 114, 103, 111, 32,                  // b o r g o _
    118, 97,  114, 110, 101, 108, 108, 111, 95,   // v a r n e l l o _
    99};                                          // c

constexpr int32_t somma(const std::array<int32_t, 25>& c) {
  int32_t t = 0;
  for (int32_t v : c) t += v;
  return t;
}

constexpr int32_t somma_pesata(const std::array<int32_t, 25>& c) {
  int32_t t = 0;
  for (size_t i = 0; i < c.size(); ++i) t += c[i] * static_cast<int32_t>(i + 1);
  return t;
}

static_assert(somma(kCodiciScenario) == 2247);
static_assert(somma_pesata(kCodiciScenario) == 31221);

TEST(IntegrityCodes, EmbeddedScenarioNames) {
  EXPECT_EQ(codice_gara_og("Reg 27594", "Borgo Varnello_Calmea"), 2247);
  EXPECT_EQ(codice_gara_st("Reg 27594", "Borgo Varnello_Calmea"), 31221);
}

TEST(IntegrityCodes, ReadFromRowsEightySixAndEightyFive) {
  stato_compilazione s;
  s.tabella_sim[riga_ripetizione].testo = "Reg 27594";
  s.tabella_sim[riga_linea].testo = "Borgo Varnello_Calmea";
  s.nome_treno = "ignored";
  s.nome_linea = "ignored";
  EXPECT_EQ(codice_gara_og(s), 2247);
  EXPECT_EQ(codice_gara_st(s), 31221);
}

TEST(IntegrityCodes, ShortNamesAreFilledFromTheFillerText) {
  // "ab" then the first 23 characters of "mmnnppqqrrssttuuvvzzmmnnpp".
  constexpr std::array<int32_t, 25> codici = {97,  98,  109, 109, 110, 110, 112, 112, 113,
                                              113, 114, 114, 115, 115, 116, 116, 117, 117,
                                              118, 118, 122, 122, 109, 109, 110};
  EXPECT_EQ(codice_gara_og("A", "b"), somma(codici));
  EXPECT_EQ(codice_gara_st("A", "b"), somma_pesata(codici));
  EXPECT_EQ(codice_gara_og("", ""), codice_gara_og("mmnnppqqrrssttuuvvzzmmnnp", "x"));
}

struct equal_pair {
  const char* nome;
  const char* treno_a;
  const char* linea_a;
  const char* treno_b;
  const char* linea_b;
};

void PrintTo(const equal_pair& c, std::ostream* os) { *os << c.nome; }

class EqualIntegrityCodes : public ::testing::TestWithParam<equal_pair> {};

TEST_P(EqualIntegrityCodes, GiveTheSameCodes) {
  const auto& k = GetParam();
  EXPECT_EQ(codice_gara_og(k.treno_a, k.linea_a), codice_gara_og(k.treno_b, k.linea_b));
  EXPECT_EQ(codice_gara_st(k.treno_a, k.linea_a), codice_gara_st(k.treno_b, k.linea_b));
}

INSTANTIATE_TEST_SUITE_P(
    IntegrityCodes, EqualIntegrityCodes,
    ::testing::Values(
        equal_pair{"upper_case", "REG 27594", "BORGO VARNELLO_CALMEA", "reg 27594",
                      "borgo varnello_calmea"},
        equal_pair{"mixed_case", "rEg 27594", "bOrGo VaRnElLo_CaLmEa", "Reg 27594",
                      "Borgo Varnello_Calmea"},
        equal_pair{"accented_capital", "\xC0", "", "\xE0", ""},
        equal_pair{"line_name_beyond_25", "Reg 27594", "Borgo Varnello_Cxxxxxxxxxxx",
                      "Reg 27594", "Borgo Varnello_C"},
        equal_pair{"train_name_beyond_25", "abcdefghijklmnopqrstuvwxyZZZ", "Calmea",
                      "abcdefghijklmnopqrstuvwxy", ""},
        equal_pair{"filler_beyond_25", "abcdefghijklmnopqrstuvwx", "", "abcdefghijklmnopqrstuvwx",
                      "m"}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST(IntegrityCodes, TrainNameComesFirst) {
  EXPECT_EQ(codice_gara_og("Borgo Varnello_Calmea", "Reg 27594"), 2492);
  EXPECT_EQ(codice_gara_st("Borgo Varnello_Calmea", "Reg 27594"), 31747);
}

TEST(IntegrityCodes, SwappingTwoCharactersChangesOnlyTheWeightedCode) {
  EXPECT_EQ(codice_gara_og("Reg 27594", "Borgo"), codice_gara_og("Reg 27954", "Borgo"));
  EXPECT_EQ(codice_gara_st("Reg 27594", "Borgo") - codice_gara_st("Reg 27954", "Borgo"),
            ('5' - '9') * 7 + ('9' - '5') * 8);
}

TEST(IntegrityCodes, HighestBytesStayInRange) {
  const std::string alti(25, '\xFF');
  EXPECT_EQ(codice_gara_og(alti, ""), 6375);
  EXPECT_EQ(codice_gara_st(alti, ""), 82875);
}

}  // namespace
}  // namespace scenario
