#include "compiler/fields.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace scenario {
namespace {

using difetto = flusso_campi::difetto;

// One read of a sequence: a number or a text, and what it must give.
struct expected_read {
  bool numero;
  std::string testo;  // expected text
  int32_t valore;     // expected number
  difetto errore;     // nessuno when the read must succeed
};

expected_read N(int32_t v) { return {true, {}, v, difetto::nessuno}; }
expected_read T(std::string t) { return {false, std::move(t), 0, difetto::nessuno}; }
expected_read NX(difetto d) { return {true, {}, 0, d}; }
expected_read TX(difetto d) { return {false, {}, 0, d}; }

struct fields_case {
  const char* nome;
  std::string testo;
  std::vector<expected_read> letture;
};

class FieldReads : public ::testing::TestWithParam<fields_case> {};

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
        fields_case{"BlanksSeparateNumbers", "orologio,    6               30            30 \r\n",
                   {T("orologio"), N(6), N(30), N(30)}},
        fields_case{"EmptyNumbersAreZero", "x,  ,  ,\t,  0\r\n", {T("x"), N(0), N(0), N(0), N(0)}},
        fields_case{"EmptyNumberAtLineEnd", "5,\r\n7\r\n", {N(5), N(0), N(7)}},
        fields_case{"SignsAndLimits", "+7,-8,2147483647,-2147483648,0007\r\n",
                   {N(7), N(-8), N(2147483647), N(-2147483648), N(7)}},
        fields_case{"TooLarge", "2147483648\r\n", {NX(difetto::troppo_grande)}},
        fields_case{"TooSmall", "-2147483649\r\n", {NX(difetto::troppo_grande)}},
        fields_case{"VeryLong", "123456789012345678901234567890\r\n",
                   {NX(difetto::troppo_grande)}},
        fields_case{"Decimal", "1.5\r\n", {NX(difetto::non_numero)}},
        fields_case{"TrailingLetters", "12x\r\n", {NX(difetto::non_numero)}},
        fields_case{"QuotedNumber", "\"12\"\r\n", {NX(difetto::non_numero)}},
        fields_case{"SignAlone", "-,5\r\n", {NX(difetto::non_numero)}},
        fields_case{"Word", "abc\r\n", {NX(difetto::non_numero)}},
        fields_case{"NumberThenTextOnTheLine", "12 abc,3\r\n", {N(12), T("abc"), N(3)}},
        // Numbers of every length, and the bytes just outside the digits.
        fields_case{"NumbersOfEveryLengthWithRoomAfterThem",
                   "1,22,333,4444,55555,666666,7777777,88888888,999999999,  0\r\n12345\t67\r\n"
                   "1234567 7654321\r\n-1234567,+7654321,0000001,0000000,padding\r\n",
                   {N(1), N(22), N(333), N(4444), N(55555), N(666666), N(7777777), N(88888888),
                    N(999999999), N(0), N(12345), N(67), N(1234567), N(7654321), N(-1234567),
                    N(7654321), N(1), N(0), T("padding")}},
        fields_case{"ByteAfterNineInAField", "123:5678,1,2,3\r\n", {NX(difetto::non_numero)}},
        fields_case{"ByteAfterNineLastInAField", "12:,1,2,3,4\r\n", {NX(difetto::non_numero)}},
        fields_case{"ByteBeforeZeroInAField", "123/5678,1,2,3\r\n", {NX(difetto::non_numero)}},
        fields_case{"ByteBeforeZeroLastInAField", "12/,1,2,3,4\r\n", {NX(difetto::non_numero)}},
        fields_case{"EightBitByteInAField", "12\xb0" "45678,1,2,3\r\n", {NX(difetto::non_numero)}},
        fields_case{"DigitsThenOtherBytes", "1234567x,1,2,3\r\n", {NX(difetto::non_numero)}},
        // Reads cross line ends; the three line-end forms are all accepted.
        fields_case{"LineEnds", "1\r2\n3\r\n4", {N(1), N(2), N(3), N(4)}},
        fields_case{"ReadsCrossLines", "segnale, 1,\r\n 2\r\n3, 4\r\n",
                   {T("segnale"), N(1), N(0), N(2), N(3), N(4)}},
        // Texts.
        fields_case{"TextTrimmed", "  \t nome  di   prova  \t,x\r\n", {T("nome  di   prova"), T("x")}},
        fields_case{"QuotedTextHoldsCommas", "\"a, b\",c\r\n", {T("a, b"), T("c")}},
        fields_case{"AfterClosingQuoteDropped", "\"ab\" cd, ef\r\ngh\r\n", {T("ab"), T("ef"), T("gh")}},
        fields_case{"UnclosedQuoteRunsToLineEnd", "\"ab, cd\r\nef\r\n", {T("ab, cd"), T("ef")}},
        fields_case{"QuoteEndsOnItsLine", "\"ab\r\ncd\"\r\n", {T("ab"), T("cd\"")}},
        fields_case{"EmptyLineIsOneField", "a\r\n\r\n   \r\nb\r\n", {T("a"), T(""), T(""), T("b")}},
        fields_case{"EightBitBytesKept", "caf\xe9,\xc0\r\n", {T("caf\xe9"), T("\xc0")}},
        // The end of the text.
        fields_case{"ReadPastTheEnd", "a\r\n", {T("a"), TX(difetto::oltre_la_fine)}},
        fields_case{"NumberPastTheEnd", "1,2\r\n", {N(1), N(2), NX(difetto::oltre_la_fine)}},
        fields_case{"EmptyText", "", {NX(difetto::oltre_la_fine)}},
        fields_case{"TrailingBlanksAreOneLastField", "a\r\n  ", {T("a"), N(0), NX(difetto::oltre_la_fine)}}),
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

struct word_case {
  const char* campo;
  const char* parola;
  confronto modo;
  bool atteso;
};

class KeywordContains : public ::testing::TestWithParam<word_case> {};

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
    ::testing::Values(word_case{"LUNGHEZZA PERCORSO", "lunghezza", qualunque, true},
                      word_case{"PROGRESSIVA CHILOMETRICA UNO", "progressiva", esatto, false},
                      word_case{"progressiva chilometrica uno", "uno", esatto, true},
                      word_case{"curvad4", "curva", qualunque, true},
                      word_case{"numero vetture", "vetture", qualunque, true},
                      word_case{"[Generale]", "[generale]", qualunque, true},
                      word_case{"veloc", "velocit", qualunque, false},
                      word_case{"", "a", qualunque, false},
                      word_case{"abc", "", esatto, true},
                      word_case{"abc", "", qualunque, true},
                      // Every byte of the word present, not in its order; and
                      // '!' and 'a', which share a bit modulo 64.
                      word_case{"ATNERF", "frenata", qualunque, false},
                      word_case{"!", "a", qualunque, false},
                      // Only ASCII letters fold: 0xC0 and 0xE0 stay different.
                      word_case{"\xc0", "\xe0", qualunque, false},
                      word_case{"citt\xc0", "CITT\xc0", qualunque, true},
                      word_case{"abbattimento", "ABBATTIMENTO_LUNGO_OLTRE_32_CARATTERI", qualunque, false},
                      word_case{"x abbattimento_lungo_oltre_32_caratteri", "ABBATTIMENTO_LUNGO_OLTRE_32_CARATTERI",
                                  qualunque, true}));

}  // namespace
}  // namespace scenario
