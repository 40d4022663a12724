// scenario-tool export: the embedded scenario's text files, which compile to
// exactly what the one-shot run writes.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "model/file_names.h"
#include "platform/file_system.h"
#include "run/run.h"
#include "support/test_support.h"

namespace scenario::testing {
namespace {

const std::string kLine = nome_linea_incorporata;
const std::string kTrain = nome_treno_incorporato;

// export, then compile: the three binary files and the three documents are
// byte for byte those of the program's own run.
TEST(Export, CompilesToTheProgramsOwnFiles) {
  TempDir run_dir, dir;
  PosixFileSystem fs;
  std::ostringstream err;
  ASSERT_EQ(esegui(fs, run_dir.path(), err), 0) << err.str();

  const auto exported = run_program("scenario-tool", {"export", "--out", dir.path()});
  ASSERT_EQ(exported.status, 0) << exported.err;
  EXPECT_EQ(exported.err, "");
  const std::vector<std::string> texts = {
      nomi::linea_txt(kLine), nomi::treno_txt(kLine, kTrain), nomi::note(kLine, kTrain),
      nomi::rallentamenti(kLine, kTrain), nomi::scheda(kLine, kTrain)};
  std::string listed;
  for (const auto& t : texts) listed += dir.file(t) + "\n";
  EXPECT_EQ(exported.out, listed);

  const auto compiled = run_program(
      "scenario-tool", {"compile", "--dir", dir.path(), "--line", kLine, "--train", kTrain});
  ASSERT_EQ(compiled.status, 0) << compiled.err;

  for (const auto& name :
       {nomi::sim(kLine, kTrain), nomi::dat(kLine, kTrain), nomi::linea_dat(kLine),
        nomi::note(kLine, kTrain), nomi::rallentamenti(kLine, kTrain),
        nomi::scheda(kLine, kTrain)}) {
    ASSERT_TRUE(file_exists(dir.file(name))) << name;
    EXPECT_TRUE(read_file(dir.file(name)) == read_file(run_dir.file(name))) << name;
  }
  // The author keeps the sources; the run deleted its own.
  EXPECT_TRUE(file_exists(dir.file(nomi::linea_txt(kLine))));
  EXPECT_FALSE(file_exists(run_dir.file(nomi::linea_txt(kLine))));
}

// Other names only name the files; an older, longer file is replaced whole.
TEST(Export, NamesTheFilesAndReplacesOlderOnes) {
  TempDir dir, reference;
  ASSERT_EQ(run_program("scenario-tool", {"export", "--out", reference.path()}).status, 0);
  const std::string old(100000, 'x');
  write_file(dir.file(nomi::linea_txt("Nord")), old);
  const auto r = run_program("scenario-tool",
                             {"export", "--out=" + dir.path(), "--line", "Nord", "--train", "T 1"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(list_dir(dir.path()),
            (std::vector<std::string>{"Nord_T 1-.txt", "Nord_T 1_note.txt",
                                      "Nord_T 1_rallentamenti.txt", "Nord_T 1_scheda_treno.txt",
                                      "Nord_linea.txt"}));
  EXPECT_EQ(read_file(dir.file("Nord_linea.txt")),
            read_file(reference.file(nomi::linea_txt(kLine))));
}

TEST(Export, BadUsageAndUnwritableFolder) {
  const struct {
    std::vector<std::string> args;
    int status;
    std::string in_err;
  } cases[] = {
      {{"export"}, 64, "--out DIR is required"},
      {{"export", "--out"}, 64, "--out needs a value"},
      {{"export", "--out", "/tmp", "--colour"}, 64, "unknown option '--colour'"},
      {{"export", "--out", "/tmp", "extra"}, 64, "unexpected argument 'extra'"},
      {{"export", "--out", "/tmp", "--line", "a/b"}, 64, "must not contain '/'"},
  };
  for (const auto& c : cases) {
    const auto r = run_program("scenario-tool", c.args);
    EXPECT_EQ(r.status, c.status) << c.in_err;
    EXPECT_NE(r.err.find(c.in_err), std::string::npos) << r.err;
  }
  // A folder that cannot be made (a file stands where it would go) is a
  // file-system failure naming the path, on one line, and nothing is written.
  TempDir dir;
  write_file(dir.file("plain"), "x");
  const std::string blocked = dir.file("plain") + "/out";
  const auto r = run_program("scenario-tool", {"export", "--out", blocked});
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.err.rfind(blocked + ": ", 0), 0u) << r.err;
  EXPECT_EQ(r.err.find('\n'), r.err.size() - 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(list_dir(dir.path()), std::vector<std::string>{"plain"});
}

// A folder that does not exist yet is made, with any missing folder above it.
TEST(Export, MakesTheFolder) {
  TempDir dir;
  const std::string out = dir.file("new/deeper");
  const auto r = run_program("scenario-tool", {"export", "--out", out});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(list_dir(out).size(), 5u);
  EXPECT_EQ(r.out.rfind(out + "/" + nomi::linea_txt(kLine) + "\n", 0), 0u) << r.out;
}

}  // namespace
}  // namespace scenario::testing
