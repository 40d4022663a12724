#include "model/binary_reader.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "model/binary_files.h"
#include "model/coding.h"
#include "tools/tool_fixture.h"

namespace scenario {
namespace {

using testing::sample_state;

// Decoding what the writers wrote and writing the result again gives the same
// bytes, so every field of every row, cell and point comes back.
TEST(BinaryReader, DecodesWhatTheWritersWrote) {
  const stato_compilazione s = sample_state();
  const std::string sim = scrivi_tabella_sim(s), dat = scrivi_percorso(s),
                    linea = scrivi_matrice_linea(s);

  stato_compilazione letto;
  ASSERT_EQ(leggi_tabella_sim(sim, &letto.tabella_sim), std::nullopt);
  ASSERT_EQ(leggi_percorso(dat, &letto.percorso), std::nullopt);
  ASSERT_EQ(leggi_matrice_linea(linea, &letto.matrice_linea), std::nullopt);

  EXPECT_EQ(scrivi_tabella_sim(letto), sim);
  EXPECT_EQ(scrivi_percorso(letto), dat);
  EXPECT_EQ(scrivi_matrice_linea(letto), linea);
  EXPECT_EQ(letto.tabella_sim[2].testo, "MONTE <&> PROVA");
  EXPECT_EQ(letto.percorso[1].dato1, 5121);
  EXPECT_EQ(letto.matrice_linea.ultimo(), 17000);
  EXPECT_EQ(letto.matrice_linea.tipo(1), tipo_elemento::intero);
  EXPECT_EQ(letto.matrice_linea.y(1), 1.0);
  EXPECT_EQ(letto.matrice_linea.tipo(16999), tipo_elemento::vuoto);
  EXPECT_EQ(letto.matrice_linea.x(9000), s.matrice_linea.x(9000));
}

// Signed fields keep their sign and texts keep bytes above 127.
TEST(BinaryReader, KeepsNegativeValuesAndHighBytes) {
  stato_compilazione s = sample_state();
  s.tabella_sim[5].inizio = -200;
  s.tabella_sim[5].i2 = -1;
  s.tabella_sim[5].testo = "CITT\xC0";
  s.percorso[7].dato3 = -32768;
  stato_compilazione letto;
  ASSERT_EQ(leggi_tabella_sim(scrivi_tabella_sim(s), &letto.tabella_sim), std::nullopt);
  ASSERT_EQ(leggi_percorso(scrivi_percorso(s), &letto.percorso), std::nullopt);
  EXPECT_EQ(letto.tabella_sim[5].inizio, -200);
  EXPECT_EQ(letto.tabella_sim[5].i2, -1);
  EXPECT_EQ(letto.tabella_sim[5].testo, "CITT\xC0");
  EXPECT_EQ(letto.percorso[7].dato3, -32768);
}

enum class file_kind { sim, dat, linea };

struct damage {
  const char* name;
  file_kind kind;
  std::function<void(std::string&)> damage_to;
  std::function<size_t(const std::string& original)> offset;
  const char* word;  // a word the message must hold
};

void PrintTo(const damage& d, std::ostream* os) { *os << d.name; }

size_t half(const std::string& f) { return f.size() / 2; }

const damage kDamages[] = {
    // The last row is 34 bytes plus the 3 of "R 1".
    {"SimTruncatedByOne", file_kind::sim, [](std::string& f) { f.pop_back(); },
     [](const std::string& f) { return f.size() - 37; }, "truncated"},
    {"SimTruncatedToHalf", file_kind::sim, [](std::string& f) { f.resize(f.size() / 2); },
     nullptr, "truncated"},
    {"SimExtendedByOne", file_kind::sim, [](std::string& f) { f.push_back('\0'); },
     [](const std::string& f) { return f.size(); }, "too long"},
    {"SimTextLengthPastTheEnd", file_kind::sim,
     [](std::string& f) { coding::EncodeU16(f.data() + layout::sim_lunghezza_testo, 60000); },
     [](const std::string&) { return size_t{0}; }, "60000"},
    {"SimEmpty", file_kind::sim, [](std::string& f) { f.clear(); },
     [](const std::string&) { return size_t{0}; }, "truncated"},
    {"DatTruncatedByOne", file_kind::dat, [](std::string& f) { f.pop_back(); },
     [](const std::string& f) { return f.size() - 15; }, "cell 340"},
    {"DatExtendedByOne", file_kind::dat, [](std::string& f) { f.push_back('\0'); },
     [](const std::string& f) { return f.size(); }, "cell 341"},
    {"DatTooFewCells", file_kind::dat, [](std::string& f) { f.resize(15 * 100); },
     [](const std::string&) { return size_t{1500}; }, "100 cells"},
    {"LineaTruncatedByOne", file_kind::linea, [](std::string& f) { f.pop_back(); },
     [](const std::string& f) { return f.size() - 1; }, "odd length"},
    // Point 17000's empty first coordinate now crosses the middle.
    {"LineaTruncatedByTwo", file_kind::linea, [](std::string& f) { f.resize(f.size() - 2); },
     [](const std::string& f) { return half(f) - 2; }, "middle"},
    // The first half now ends inside point 0's second coordinate.
    {"LineaExtendedByTwo", file_kind::linea, [](std::string& f) { f.append(2, '\0'); },
     [](const std::string& f) { return half(f); }, "middle"},
    {"LineaUnknownTag", file_kind::linea, [](std::string& f) { coding::EncodeU16(f.data() + 8, 7); },
     [](const std::string&) { return size_t{8}; }, "unknown element tag 7"},
    // Point 0's second coordinate as two empty elements: same size, other kind.
    {"LineaKindsDisagree", file_kind::linea,
     [](std::string& f) { f.replace(half(f), 4, std::string(4, '\0')); },
     [](const std::string& f) { return half(f); }, "point 0"},
    {"LineaTooFewPoints", file_kind::linea,
     [](std::string& f) {
       stato_compilazione s = sample_state();
       s.matrice_linea.dimensiona(100);
       f = scrivi_matrice_linea(s);
     },
     [](const std::string&) { return size_t{202}; }, "101 points"},
};

class BinaryReaderDamage : public ::testing::TestWithParam<damage> {};

// A damaged file is refused with the offset where its layout breaks, and the
// model is not half filled with what came before.
TEST_P(BinaryReaderDamage, RefusesWithTheOffset) {
  const damage& d = GetParam();
  const stato_compilazione s = sample_state();
  std::string file = d.kind == file_kind::sim   ? scrivi_tabella_sim(s)
                     : d.kind == file_kind::dat ? scrivi_percorso(s)
                                                : scrivi_matrice_linea(s);
  const std::string original = file;
  d.damage_to(file);
  std::optional<errore_binario> e;
  stato_compilazione letto;
  switch (d.kind) {
    case file_kind::sim: e = leggi_tabella_sim(file, &letto.tabella_sim); break;
    case file_kind::dat:
      e = leggi_percorso(file, &letto.percorso);
      EXPECT_TRUE(letto.percorso.empty());
      break;
    case file_kind::linea: e = leggi_matrice_linea(file, &letto.matrice_linea); break;
  }
  ASSERT_TRUE(e.has_value());
  if (d.offset) {
    EXPECT_EQ(e->posizione, d.offset(original));
  }
  EXPECT_NE(e->testo.find(d.word), std::string::npos) << e->testo;
  EXPECT_NE(e->testo.find("byte"), std::string::npos) << e->testo;
}

INSTANTIATE_TEST_SUITE_P(Files, BinaryReaderDamage, ::testing::ValuesIn(kDamages),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace scenario
