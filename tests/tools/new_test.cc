// scenario-tool new: the small scenario compiles without a fault, and its
// documents are the ones `documents` writes and check clean.
#include <gtest/gtest.h>

#include <string>

#include "model/file_names.h"
#include "support/test_support.h"

namespace scenario::testing {
namespace {

const std::string kLinea = "Prima_Linea";
const std::string kTreno = "R 100";

TEST(New, CompilesAndItsDocumentsCheckClean) {
  TempDir dir, altra;
  const auto creato = run_program("scenario-tool", {"new", "--out", dir.path(), "--line", kLinea, "--train", kTreno});
  ASSERT_EQ(creato.status, 0) << creato.err;
  EXPECT_EQ(creato.err, "");
  const std::vector<std::string> nomi_file = {
      nomi::linea_txt(kLinea), nomi::treno_txt(kLinea, kTreno), nomi::scheda(kLinea, kTreno),
      nomi::rallentamenti(kLinea, kTreno), nomi::note(kLinea, kTreno)};
  std::string elenco;
  for (const auto& n : nomi_file) elenco += dir.file(n) + "\n";
  EXPECT_EQ(creato.out, elenco);

  const auto compilato =
      run_program("scenario-tool", {"compile", "--dir", dir.path(), "--line", kLinea, "--train", kTreno});
  EXPECT_EQ(compilato.status, 0);
  EXPECT_EQ(compilato.err, "");

  const auto verificato = run_program(
      "scenario-tool", {"documents", "--dir", dir.path(), "--line", kLinea, "--train", kTreno, "--verify"});
  EXPECT_EQ(verificato.status, 0);
  EXPECT_EQ(verificato.err, "");

  // `documents` writes the same card and order again.
  const auto scritti = run_program("scenario-tool", {"documents", "--dir", dir.path(), "--line", kLinea,
                                                     "--train", kTreno, "--out", altra.path()});
  ASSERT_EQ(scritti.status, 0) << scritti.err;
  EXPECT_EQ(scritti.err, "");
  for (const auto& n : {nomi::scheda(kLinea, kTreno), nomi::rallentamenti(kLinea, kTreno)}) {
    EXPECT_EQ(read_file(altra.file(n)), read_file(dir.file(n))) << n;
  }
}

// An author's sources are not replaced without --force.
TEST(New, LeavesExistingSourcesAlone) {
  TempDir dir;
  write_file(dir.file(nomi::treno_txt(kLinea, kTreno)), "mio\r\n");
  const auto r = run_program("scenario-tool", {"new", "--out", dir.path(), "--line", kLinea, "--train", kTreno});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("--force"), std::string::npos) << r.err;
  EXPECT_EQ(read_file(dir.file(nomi::treno_txt(kLinea, kTreno))), "mio\r\n");
  EXPECT_FALSE(file_exists(dir.file(nomi::linea_txt(kLinea))));

  const auto forzato = run_program(
      "scenario-tool", {"new", "--out", dir.path(), "--line", kLinea, "--train", kTreno, "--force"});
  EXPECT_EQ(forzato.status, 0) << forzato.err;
  EXPECT_NE(read_file(dir.file(nomi::treno_txt(kLinea, kTreno))), "mio\r\n");
}

// The one-stop path of an author: `new` into a folder that does not exist
// yet, `compile --documents` into another, `check` of both. The card that
// compile writes is the one `new` wrote; a time changed by hand in the card
// is reported by `check`, which also gives the running-time table.
TEST(New, CompileWritesTheDocumentsAndCheckReadsThem) {
  TempDir radice;
  const std::string dir = radice.file("nuova/cartella"), uscita = radice.file("uscita");
  const std::vector<std::string> nomi_scenario = {"--line", kLinea, "--train", kTreno};
  auto con = [&](std::vector<std::string> a) {
    a.insert(a.end(), nomi_scenario.begin(), nomi_scenario.end());
    return a;
  };
  ASSERT_EQ(run_program("scenario-tool", con({"new", "--out", dir})).status, 0);

  const auto compilato = run_program("scenario-tool", con({"compile", "--dir", dir, "--out", uscita, "--documents"}));
  ASSERT_EQ(compilato.status, 0) << compilato.err;
  const std::string scheda = nomi::scheda(kLinea, kTreno);
  EXPECT_EQ(read_file(uscita + "/" + scheda), read_file(dir + "/" + scheda));
  EXPECT_TRUE(file_exists(uscita + "/" + nomi::rallentamenti(kLinea, kTreno)));

  const auto pulito = run_program("scenario-tool", con({"check", "--dir", dir, "--json"}));
  EXPECT_EQ(pulito.status, 0);
  EXPECT_EQ(pulito.err, "");
  EXPECT_NE(pulito.out.find("\"running_times\": {\"acceleration\""), std::string::npos) << pulito.out;

  std::string testo = read_file(dir + "/" + scheda);
  const size_t riga = testo.find("|CASALE ");
  ASSERT_NE(riga, std::string::npos);
  const size_t ora = testo.find("| 7.", riga);  // "| 7.21      7.22 |"
  ASSERT_NE(ora, std::string::npos);
  testo[ora + 5] = static_cast<char>('0' + (testo[ora + 5] - '0' + 1) % 10);  // a minute later
  write_file(dir + "/" + scheda, testo);
  const auto avvisato = run_program("scenario-tool", con({"check", "--dir", dir}));
  EXPECT_EQ(avvisato.status, 0) << "a warning alone does not fail check";
  EXPECT_NE(avvisato.err.find("[card-time]"), std::string::npos) << avvisato.err;
  EXPECT_EQ(run_program("scenario-tool", con({"check", "--dir", dir, "--Werror"})).status, 2);
}

}  // namespace
}  // namespace scenario::testing
