// scenario-tool new: the small scenario compiles without a fault, and its
// documents are the ones `documents` writes and check clean.
#include <gtest/gtest.h>

#include <string>

#include "model/file_names.h"
#include "support/test_support.h"

namespace scenario::testing {
namespace {

const std::string kLine = "Prima_Linea";
const std::string kTrain = "R 100";

TEST(New, CompilesAndItsDocumentsCheckClean) {
  TempDir dir, other;
  const auto created = run_program("scenario-tool", {"new", "--out", dir.path(), "--line", kLine, "--train", kTrain});
  ASSERT_EQ(created.status, 0) << created.err;
  EXPECT_EQ(created.err, "");
  const std::vector<std::string> file_names = {
      nomi::linea_txt(kLine), nomi::treno_txt(kLine, kTrain), nomi::scheda(kLine, kTrain),
      nomi::rallentamenti(kLine, kTrain), nomi::note(kLine, kTrain)};
  std::string listing;
  for (const auto& n : file_names) listing += dir.file(n) + "\n";
  EXPECT_EQ(created.out, listing);

  const auto compiled =
      run_program("scenario-tool", {"compile", "--dir", dir.path(), "--line", kLine, "--train", kTrain});
  EXPECT_EQ(compiled.status, 0);
  EXPECT_EQ(compiled.err, "");

  const auto verified = run_program(
      "scenario-tool", {"documents", "--dir", dir.path(), "--line", kLine, "--train", kTrain, "--verify"});
  EXPECT_EQ(verified.status, 0);
  EXPECT_EQ(verified.err, "");

  // `documents` writes the same card and order again.
  const auto rewritten = run_program("scenario-tool", {"documents", "--dir", dir.path(), "--line", kLine,
                                                       "--train", kTrain, "--out", other.path()});
  ASSERT_EQ(rewritten.status, 0) << rewritten.err;
  EXPECT_EQ(rewritten.err, "");
  for (const auto& n : {nomi::scheda(kLine, kTrain), nomi::rallentamenti(kLine, kTrain)}) {
    EXPECT_EQ(read_file(other.file(n)), read_file(dir.file(n))) << n;
  }
}

// An author's sources are not replaced without --force.
TEST(New, LeavesExistingSourcesAlone) {
  TempDir dir;
  write_file(dir.file(nomi::treno_txt(kLine, kTrain)), "mio\r\n");
  const auto r = run_program("scenario-tool", {"new", "--out", dir.path(), "--line", kLine, "--train", kTrain});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("--force"), std::string::npos) << r.err;
  EXPECT_EQ(read_file(dir.file(nomi::treno_txt(kLine, kTrain))), "mio\r\n");
  EXPECT_FALSE(file_exists(dir.file(nomi::linea_txt(kLine))));

  const auto forced = run_program(
      "scenario-tool", {"new", "--out", dir.path(), "--line", kLine, "--train", kTrain, "--force"});
  EXPECT_EQ(forced.status, 0) << forced.err;
  EXPECT_NE(read_file(dir.file(nomi::treno_txt(kLine, kTrain))), "mio\r\n");
}

// The one-stop path of an author: `new` into a folder that does not exist
// yet, `compile --documents` into another, `check` of both. The card that
// compile writes is the one `new` wrote; a time changed by hand in the card
// is reported by `check`, which also gives the running-time table.
TEST(New, CompileWritesTheDocumentsAndCheckReadsThem) {
  TempDir root;
  const std::string dir = root.file("nuova/cartella"), out_folder = root.file("uscita");
  const std::vector<std::string> name_options = {"--line", kLine, "--train", kTrain};
  auto with_names = [&](std::vector<std::string> a) {
    a.insert(a.end(), name_options.begin(), name_options.end());
    return a;
  };
  ASSERT_EQ(run_program("scenario-tool", with_names({"new", "--out", dir})).status, 0);

  const auto compiled = run_program("scenario-tool", with_names({"compile", "--dir", dir, "--out", out_folder, "--documents"}));
  ASSERT_EQ(compiled.status, 0) << compiled.err;
  const std::string card = nomi::scheda(kLine, kTrain);
  EXPECT_EQ(read_file(out_folder + "/" + card), read_file(dir + "/" + card));
  EXPECT_TRUE(file_exists(out_folder + "/" + nomi::rallentamenti(kLine, kTrain)));

  const auto clean = run_program("scenario-tool", with_names({"check", "--dir", dir, "--json"}));
  EXPECT_EQ(clean.status, 0);
  EXPECT_EQ(clean.err, "");
  EXPECT_NE(clean.out.find("\"running_times\": {\"acceleration\""), std::string::npos) << clean.out;

  std::string text = read_file(dir + "/" + card);
  const size_t row_at = text.find("|CASALE ");
  ASSERT_NE(row_at, std::string::npos);
  const size_t time_at = text.find("| 7.", row_at);  // "| 7.21      7.22 |"
  ASSERT_NE(time_at, std::string::npos);
  text[time_at + 5] = static_cast<char>('0' + (text[time_at + 5] - '0' + 1) % 10);  // a minute later
  write_file(dir + "/" + card, text);
  const auto warned = run_program("scenario-tool", with_names({"check", "--dir", dir}));
  EXPECT_EQ(warned.status, 0) << "a warning alone does not fail check";
  EXPECT_NE(warned.err.find("[card-time]"), std::string::npos) << warned.err;
  EXPECT_EQ(run_program("scenario-tool", with_names({"check", "--dir", dir, "--Werror"})).status, 2);
}

}  // namespace
}  // namespace scenario::testing
