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

}  // namespace
}  // namespace scenario::testing
