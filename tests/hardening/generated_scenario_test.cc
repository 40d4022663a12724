// Property: every scenario of the generator compiles with an empty fault log,
// places each of its objects on the cell it names, and gives the same bytes
// when compiled again.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>

#include "model/binary_files.h"
#include "model/coding.h"
#include "model/file_names.h"
#include "model/model.h"
#include "platform/file_system.h"
#include "run/compile.h"
#include "run/errors.h"
#include "run/run.h"
#include "support/compile_check.h"
#include "support/scenario_generator.h"
#include "support/faults_seen.h"

namespace scenario::testing {
namespace {

struct CompiledScenario {
  stato_compilazione s;
  CompileOutcome esito;
  MemoryFileSystem fs;
};

void compile_scenario(const RandomScenario& g, bool genera_linea, CompiledScenario* c) {
  c->s.nome_linea = nome_linea_incorporata;
  c->s.nome_treno = nome_treno_incorporato;
  c->fs.files[join_path("in", nomi::linea_txt(c->s.nome_linea))] = g.linea;
  c->fs.files[join_path("in", nomi::treno_txt(c->s.nome_linea, c->s.nome_treno))] = g.treno;
  CompileOptions opzioni;
  opzioni.source_folder = "in";
  opzioni.output_folder = "out";
  c->esito = memorizza_percorso(c->s, genera_linea, c->fs, opzioni);
}

std::string fault_log(const stato_compilazione& s) { return diagnostic_listing(s); }

// What a well-formed scenario, in any of the forms the readers accept, may
// be told: only that signals close together overwrite each other's approach
// marks, as the generator is free to place them.
size_t unexpected_warnings(const stato_compilazione& s) {
  size_t n = 0;
  for (const Diagnostic& d : s.diagnostiche) {
    n += d.severity != Severity::kNote && d.code != "overwritten-object";
  }
  return n;
}

// The seed is printed with every failure, so a failing scenario can be
// written out and read with generate_scenario(seed).
class GeneratedScenario : public ::testing::TestWithParam<uint64_t> {};

TEST_P(GeneratedScenario, CompilesCleanPlacesEveryObjectAndRepeatsItsBytes) {
  const uint64_t seme = GetParam();
  const RandomScenario g = generate_scenario(seme);
  const bool genera_linea = seme % 4 != 0;

  CompiledScenario a;
  compile_scenario(g, genera_linea, &a);
  ASSERT_FALSE(a.esito.io_error) << a.esito.io_error->path;
  ASSERT_FALSE(a.esito.guard_error);
  ASSERT_FALSE(a.esito.nothing_to_write);
  EXPECT_EQ(a.s.numero_errore, 0) << fault_log(a.s) << "line description:\n"
                                  << g.linea << "\nservice description:\n"
                                  << g.treno;
  EXPECT_EQ(unexpected_warnings(a.s), 0u) << fault_log(a.s);
  EXPECT_EQ(exit_status(a.esito, a.s), 0);

  const std::string dat =
      a.fs.files.at(join_path("out", nomi::dat(a.s.nome_linea, a.s.nome_treno)));
  ASSERT_EQ(dat.size(), a.s.percorso.size() * layout::dat_cella);
  ASSERT_EQ(a.s.ultima_cella(), celle_da_lunghezza(g.lunghezza));
  for (const ExpectedObject& o : g.oggetti) {
    const auto tipo =
        static_cast<uint8_t>(dat[static_cast<size_t>(o.cella) * layout::dat_cella + layout::dat_tipo]);
    EXPECT_EQ(tipo, o.tipo) << "cell " << o.cella;
  }

  // Stations and text boards: one table row each.
  int stazioni = 0;
  int testi = 0;
  for (int r = riga_prima_stazione; r <= riga_primo_testo; ++r) {
    const record_sim& row = a.s.tabella_sim[r];
    if (r < riga_primo_testo - g.righe.cartelli + 1 && row.progressiva != 0) ++stazioni;
    if (r > riga_primo_testo - g.righe.cartelli) testi += row.testo.empty() ? 0 : 1;
  }
  EXPECT_EQ(stazioni, g.righe.stazioni);
  EXPECT_EQ(testi, g.righe.cartelli);
  EXPECT_EQ(a.s.numero_montagne, g.righe.montagne);

  CompiledScenario b;
  compile_scenario(g, genera_linea, &b);
  EXPECT_TRUE(b.fs.files == a.fs.files) << "a second compile wrote other bytes";

  // The properties that hold for any input hold here too.
  CompileInput in;
  in.linea = g.linea;
  in.treno = g.treno;
  in.genera_linea = genera_linea;
  EXPECT_EQ(compile_and_check(in, false).violation, "");
}

INSTANTIATE_TEST_SUITE_P(Seeds, GeneratedScenario, ::testing::Range<uint64_t>(1, 161));

// The plain form (no case, blank or layout variation) of the same scenarios.
TEST(SimpleGeneratedScenario, CompilesClean) {
  for (uint64_t seme = 1000; seme < 1040; ++seme) {
    GeneratorOptions opzioni;
    opzioni.vary_form = false;
    const RandomScenario g = generate_scenario(seme, opzioni);
    CompiledScenario a;
    compile_scenario(g, 1, &a);
    EXPECT_EQ(unexpected_warnings(a.s), 0u) << "seed " << seme << "\n" << fault_log(a.s);
  }
}

// The longest route with thousands of rows of each kind, as the benchmarks
// use it: clean, every object in place.
TEST(LongGeneratedScenario, CompilesCleanWithEveryObjectInPlace) {
  const RandomScenario g = generate_long_route(1);
  EXPECT_EQ(g.lunghezza, 1'000'000);
  EXPECT_GE(g.righe.segnali, 1500);
  EXPECT_GE(g.righe.curve, 1500);
  EXPECT_EQ(g.righe.montagne, 80);
  EXPECT_EQ(g.righe.stazioni + g.righe.cartelli, 78);
  std::printf("long route: %d curves, %d gradients, %d indicator boards, %d speeds, "
              "%d adhesions, %d stations, %d slow-downs, %d signals, %d abbattimenti; "
              "%zu + %zu bytes of text\n",
              g.righe.curve, g.righe.pendenze, g.righe.indicatori, g.righe.velocita,
              g.righe.aderenze, g.righe.stazioni, g.righe.rallentamenti, g.righe.segnali,
              g.righe.abbattimenti, g.linea.size(), g.treno.size());
  CompiledScenario a;
  compile_scenario(g, 1, &a);
  EXPECT_EQ(unexpected_warnings(a.s), 0u) << fault_log(a.s);
  const std::string& dat =
      a.fs.files.at(join_path("out", nomi::dat(a.s.nome_linea, a.s.nome_treno)));
  int fuori_posto = 0;
  for (const ExpectedObject& o : g.oggetti) {
    fuori_posto += static_cast<uint8_t>(dat[static_cast<size_t>(o.cella) * layout::dat_cella]) != o.tipo;
  }
  EXPECT_EQ(fuori_posto, 0);
}

TEST(ScenarioGenerator, SameSeedSameTextOtherSeedOtherText) {
  EXPECT_EQ(generate_scenario(7).linea, generate_scenario(7).linea);
  EXPECT_EQ(generate_scenario(7).treno, generate_scenario(7).treno);
  EXPECT_NE(generate_scenario(7).linea, generate_scenario(8).linea);
}

// A generator that quietly stopped making some kind of row would leave the
// property above proving nothing about it.
TEST(ScenarioGenerator, EveryKindOfRowAppears) {
  RowCounts totale;
  size_t oggetti = 0;
  for (uint64_t seme = 1; seme < 41; ++seme) {
    const auto g = generate_scenario(seme);
    const auto& r = g.righe;
    totale.curve += r.curve;
    totale.pendenze += r.pendenze;
    totale.montagne += r.montagne;
    totale.indicatori += r.indicatori;
    totale.cartelli += r.cartelli;
    totale.velocita += r.velocita;
    totale.aderenze += r.aderenze;
    totale.stazioni += r.stazioni;
    totale.rallentamenti += r.rallentamenti;
    totale.segnali += r.segnali;
    totale.abbattimenti += r.abbattimenti;
    oggetti += g.oggetti.size();
  }
  for (int n : {totale.curve, totale.pendenze, totale.montagne, totale.indicatori,
                totale.cartelli, totale.velocita, totale.aderenze, totale.stazioni,
                totale.rallentamenti, totale.segnali, totale.abbattimenti}) {
    EXPECT_GT(n, 40);
  }
  EXPECT_GT(oggetti, 1000u);
  std::printf("40 scenarios: %d curves, %d gradients, %d tunnels, %d indicator boards, "
              "%d text boards, %d speeds, %d adhesions, %d stations, %d slow-downs, "
              "%d signals, %d abbattimenti, %zu objects\n",
              totale.curve, totale.pendenze, totale.montagne, totale.indicatori, totale.cartelli,
              totale.velocita, totale.aderenze, totale.stazioni, totale.rallentamenti,
              totale.segnali, totale.abbattimenti, oggetti);
}

}  // namespace
}  // namespace scenario::testing
