#include "compiler/fields.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace scenario {
namespace {

using difetto = flusso_campi::difetto;

// One read of a sequence: a number or a text, and what it must give.
struct lettura_attesa {
  bool numero;
  std::string testo;  // expected text
  int32_t valore;     // expected number
  difetto errore;     // nessuno when the read must succeed
};

lettura_attesa N(int32_t v) { return {true, {}, v, difetto::nessuno}; }
lettura_attesa T(std::string t) { return {false, std::move(t), 0, difetto::nessuno}; }
lettura_attesa NX(difetto d) { return {true, {}, 0, d}; }
lettura_attesa TX(difetto d) { return {false, {}, 0, d}; }

struct caso_campi {
  const char* nome;
  std::string testo;
  std::vector<lettura_attesa> letture;
};

class FieldReads : public ::testing::TestWithParam<caso_campi> {};

TEST_P(FieldReads, GiveTheFieldsInOrder) {
  flusso_campi f(GetParam().testo);
  int i = 0;
  for (const auto& attesa : GetParam().letture) {
    SCOPED_TRACE("read " + std::to_string(i++));
    if (attesa.numero) {
      int32_t v = -12345;
      const bool ok = f.leggi_numero(v);
      ASSERT_EQ(ok, attesa.errore == difetto::nessuno);
      if (ok) {
        EXPECT_EQ(v, attesa.valore);
      } else {
        EXPECT_EQ(f.ultimo_difetto(), attesa.errore);
        EXPECT_EQ(v, -12345) << "a failed read stores nothing";
      }
    } else {
      std::string t = "unchanged";
      const bool ok = f.leggi_testo(t);
      ASSERT_EQ(ok, attesa.errore == difetto::nessuno);
      if (ok) {
        EXPECT_EQ(t, attesa.testo);
      } else {
        EXPECT_EQ(f.ultimo_difetto(), attesa.errore);
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Fields, FieldReads,
    ::testing::Values(
        // Numbers.
        caso_campi{"BlanksSeparateNumbers", "orologio,    6               30            30 \r\n",
                   {T("orologio"), N(6), N(30), N(30)}},
        caso_campi{"EmptyNumbersAreZero", "x,  ,  ,\t,  0\r\n", {T("x"), N(0), N(0), N(0), N(0)}},
        caso_campi{"EmptyNumberAtLineEnd", "5,\r\n7\r\n", {N(5), N(0), N(7)}},
        caso_campi{"SignsAndLimits", "+7,-8,2147483647,-2147483648,0007\r\n",
                   {N(7), N(-8), N(2147483647), N(-2147483648), N(7)}},
        caso_campi{"TooLarge", "2147483648\r\n", {NX(difetto::troppo_grande)}},
        caso_campi{"TooSmall", "-2147483649\r\n", {NX(difetto::troppo_grande)}},
        caso_campi{"VeryLong", "123456789012345678901234567890\r\n",
                   {NX(difetto::troppo_grande)}},
        caso_campi{"Decimal", "1.5\r\n", {NX(difetto::non_numero)}},
        caso_campi{"TrailingLetters", "12x\r\n", {NX(difetto::non_numero)}},
        caso_campi{"QuotedNumber", "\"12\"\r\n", {NX(difetto::non_numero)}},
        caso_campi{"SignAlone", "-,5\r\n", {NX(difetto::non_numero)}},
        caso_campi{"Word", "abc\r\n", {NX(difetto::non_numero)}},
        caso_campi{"NumberThenTextOnTheLine", "12 abc,3\r\n", {N(12), T("abc"), N(3)}},
        // Reads cross line ends; the three line-end forms are all accepted.
        caso_campi{"LineEnds", "1\r2\n3\r\n4", {N(1), N(2), N(3), N(4)}},
        caso_campi{"ReadsCrossLines", "segnale, 1,\r\n 2\r\n3, 4\r\n",
                   {T("segnale"), N(1), N(0), N(2), N(3), N(4)}},
        // Texts.
        caso_campi{"TextTrimmed", "  \t nome  di   prova  \t,x\r\n", {T("nome  di   prova"), T("x")}},
        caso_campi{"QuotedTextHoldsCommas", "\"a, b\",c\r\n", {T("a, b"), T("c")}},
        caso_campi{"AfterClosingQuoteDropped", "\"ab\" cd, ef\r\ngh\r\n", {T("ab"), T("ef"), T("gh")}},
        caso_campi{"UnclosedQuoteRunsToLineEnd", "\"ab, cd\r\nef\r\n", {T("ab, cd"), T("ef")}},
        caso_campi{"QuoteEndsOnItsLine", "\"ab\r\ncd\"\r\n", {T("ab"), T("cd\"")}},
        caso_campi{"EmptyLineIsOneField", "a\r\n\r\n   \r\nb\r\n", {T("a"), T(""), T(""), T("b")}},
        caso_campi{"EightBitBytesKept", "caf\xe9,\xc0\r\n", {T("caf\xe9"), T("\xc0")}},
        // The end of the text.
        caso_campi{"ReadPastTheEnd", "a\r\n", {T("a"), TX(difetto::oltre_la_fine)}},
        caso_campi{"NumberPastTheEnd", "1,2\r\n", {N(1), N(2), NX(difetto::oltre_la_fine)}},
        caso_campi{"EmptyText", "", {NX(difetto::oltre_la_fine)}},
        caso_campi{"TrailingBlanksAreOneLastField", "a\r\n  ", {T("a"), N(0), NX(difetto::oltre_la_fine)}}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST(FieldStream, KnowsTheLineOfEveryField) {
  flusso_campi f("uno\r\ndue, 2,\r\n\r\n  tre\rquattro\n, 5");
  std::string t;
  int32_t v = 0;
  ASSERT_TRUE(f.leggi_testo(t));
  EXPECT_EQ(f.linea_testo(), 1);
  ASSERT_TRUE(f.leggi_testo(t));
  EXPECT_EQ(f.linea_testo(), 2);
  ASSERT_TRUE(f.leggi_numero(v));
  EXPECT_EQ(f.linea_testo(), 2);
  ASSERT_TRUE(f.leggi_numero(v));  // the empty number after the last comma
  EXPECT_EQ(f.linea_testo(), 2);
  ASSERT_TRUE(f.leggi_testo(t));  // the empty line
  EXPECT_EQ(t, "");
  EXPECT_EQ(f.linea_testo(), 3);
  ASSERT_TRUE(f.leggi_testo(t));
  EXPECT_EQ(t, "tre");
  EXPECT_EQ(f.linea_testo(), 4);
  ASSERT_TRUE(f.leggi_testo(t));
  EXPECT_EQ(t, "quattro");
  EXPECT_EQ(f.linea_testo(), 5);
  ASSERT_TRUE(f.leggi_numero(v));
  EXPECT_EQ(f.linea_testo(), 6);
  EXPECT_FALSE(f.fine());
  ASSERT_TRUE(f.leggi_numero(v));
  EXPECT_EQ(v, 5);
  EXPECT_TRUE(f.fine());
  // A read past the end is charged to the line of the last field.
  EXPECT_FALSE(f.leggi_numero(v));
  EXPECT_EQ(f.linea_testo_difetto(), 6);
}

TEST(FieldStream, ChargesABadNumberToItsLine) {
  flusso_campi f("segnale\r\n 1\r\n 2x\r\n");
  std::string t;
  int32_t v = 0;
  ASSERT_TRUE(f.leggi_testo(t));
  ASSERT_TRUE(f.leggi_numero(v));
  EXPECT_FALSE(f.leggi_numero(v));
  EXPECT_EQ(f.ultimo_difetto(), difetto::non_numero);
  EXPECT_EQ(f.linea_testo_difetto(), 3);
}

TEST(FieldStream, EndIsReachedByTheReadOfTheLastField) {
  flusso_campi f("[fine]\r\n");
  std::string t;
  EXPECT_FALSE(f.fine());
  ASSERT_TRUE(f.leggi_testo(t));
  EXPECT_TRUE(f.fine());

  flusso_campi senza_a_capo("[fine]");
  ASSERT_TRUE(senza_a_capo.leggi_testo(t));
  EXPECT_TRUE(senza_a_capo.fine());
}

struct caso_parola {
  const char* campo;
  const char* parola;
  confronto modo;
  bool atteso;
};

class KeywordContains : public ::testing::TestWithParam<caso_parola> {};

TEST_P(KeywordContains, MatchesBySubstring) {
  const auto& c = GetParam();
  EXPECT_EQ(contiene(c.campo, c.parola, c.modo), c.atteso) << c.campo << " / " << c.parola;
  campo_chiave chiave;
  chiave.imposta(c.campo);
  EXPECT_EQ(chiave.contiene(c.parola, c.modo), c.atteso) << c.campo << " / " << c.parola;
}

constexpr auto qualunque = confronto::qualunque_maiuscola;
constexpr auto esatto = confronto::esatto;

INSTANTIATE_TEST_SUITE_P(
    Words, KeywordContains,
    ::testing::Values(caso_parola{"LUNGHEZZA PERCORSO", "lunghezza", qualunque, true},
                      caso_parola{"PROGRESSIVA CHILOMETRICA UNO", "progressiva", esatto, false},
                      caso_parola{"progressiva chilometrica uno", "uno", esatto, true},
                      caso_parola{"curvad4", "curva", qualunque, true},
                      caso_parola{"numero vetture", "vetture", qualunque, true},
                      caso_parola{"[Generale]", "[generale]", qualunque, true},
                      caso_parola{"veloc", "velocit", qualunque, false},
                      caso_parola{"", "a", qualunque, false},
                      caso_parola{"abc", "", esatto, true},
                      caso_parola{"abc", "", qualunque, true},
                      // Every byte of the word present, not in its order; and
                      // '!' and 'a', which share a bit modulo 64.
                      caso_parola{"ATNERF", "frenata", qualunque, false},
                      caso_parola{"!", "a", qualunque, false},
                      // Only ASCII letters fold: 0xC0 and 0xE0 stay different.
                      caso_parola{"\xc0", "\xe0", qualunque, false},
                      caso_parola{"citt\xc0", "CITT\xc0", qualunque, true},
                      caso_parola{"abbattimento", "ABBATTIMENTO_LUNGO_OLTRE_32_CARATTERI", qualunque, false},
                      caso_parola{"x abbattimento_lungo_oltre_32_caratteri", "ABBATTIMENTO_LUNGO_OLTRE_32_CARATTERI",
                                  qualunque, true}));

}  // namespace
}  // namespace scenario
