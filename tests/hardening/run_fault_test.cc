// The one-shot run on a file system whose Nth change (write, rename or
// remove) fails, for every N the run makes: status 3, one message naming the
// path, every older output either whole as it was or whole with its new
// content (the three binary files all old or all new), no temporary left.
// And a source that vanishes between being written and being read.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "model/file_names.h"
#include "platform/file_system.h"
#include "run/run.h"
#include "support/test_support.h"

namespace scenario::testing {
namespace {

const std::string kCartella = "prog";

std::string in_cartella(const std::string& nome) { return join_path(kCartella, nome); }

std::vector<std::string> documenti() {
  const std::string l = nome_linea_incorporata;
  const std::string t = nome_treno_incorporato;
  return {in_cartella(nomi::note(l, t)), in_cartella(nomi::rallentamenti(l, t)),
          in_cartella(nomi::scheda(l, t))};
}

std::vector<std::string> binari() {
  const std::string l = nome_linea_incorporata;
  const std::string t = nome_treno_incorporato;
  return {in_cartella(nomi::linea_dat(l)), in_cartella(nomi::sim(l, t)),
          in_cartella(nomi::dat(l, t))};
}

std::vector<std::string> source_names() {
  const std::string l = nome_linea_incorporata;
  const std::string t = nome_treno_incorporato;
  return {in_cartella(nomi::linea_txt(l)), in_cartella(nomi::treno_txt(l, t))};
}

bool finisce_con(const std::string& s, const std::string& coda) {
  return s.size() >= coda.size() && s.compare(s.size() - coda.size(), coda.size(), coda) == 0;
}

// A program folder holding an older version of every output, each longer
// than any new content could be mistaken for.
MemoryFileSystem cartella_con_uscite_vecchie() {
  MemoryFileSystem disk;
  for (const auto& p : documenti()) disk.files[p] = "older " + p + std::string(5000, 'x');
  for (const auto& p : binari()) disk.files[p] = "older " + p + std::string(3000, '\0');
  disk.files[in_cartella("unrelated.txt")] = "not ours";
  return disk;
}

// What a run that fails at some point must leave: `nuovi` is the folder after
// a clean run.
void check_after_fault(const MemoryFileSystem& prima, const MemoryFileSystem& dopo,
                       const MemoryFileSystem& nuovi, const std::string& messaggio) {
  for (const auto& p : documenti()) {
    ASSERT_TRUE(dopo.files.count(p)) << p << " lost";
    const std::string& data = dopo.files.at(p);
    EXPECT_TRUE(data == prima.files.at(p) || data == nuovi.files.at(p)) << p << " damaged";
  }
  int vecchi = 0;
  int nuovi_binari = 0;
  for (const auto& p : binari()) {
    ASSERT_TRUE(dopo.files.count(p)) << p << " lost";
    const std::string& data = dopo.files.at(p);
    if (data == prima.files.at(p)) ++vecchi;
    if (nuovi.files.count(p) && data == nuovi.files.at(p)) ++nuovi_binari;
  }
  EXPECT_TRUE(vecchi == 3 || nuovi_binari == 3)
      << vecchi << " older and " << nuovi_binari << " new binary files: a mixed set";
  EXPECT_EQ(dopo.files.at(in_cartella("unrelated.txt")), "not ours");
  for (const auto& [path, data] : dopo.files) {
    EXPECT_FALSE(finisce_con(path, ".tmp")) << "temporary left: " << path;
    // A kept older file stays only when dropping it was the change that failed.
    if (finisce_con(path, ".old")) {
      EXPECT_NE(messaggio.find(path), std::string::npos) << "left silently: " << path;
    }
  }
}

TEST(RunWithAFailingChange, EveryChangeOfTheRunFailsCleanly) {
  MemoryFileSystem nuovi = cartella_con_uscite_vecchie();
  int cambi = 0;
  {
    FaultyFileSystem conta(nuovi, 0);
    std::ostringstream err;
    const int stato = esegui(conta, kCartella, err);
    ASSERT_TRUE(stato == 0 || stato == 2) << err.str();
    cambi = conta.changes();
  }
  // Five text files, the two sources deleted, three binary files as a set.
  ASSERT_GE(cambi, 5 * 2 + 2 + 3 * 2);

  for (int n = 1; n <= cambi; ++n) {
    SCOPED_TRACE("change " + std::to_string(n) + " of " + std::to_string(cambi) + " fails");
    const MemoryFileSystem prima = cartella_con_uscite_vecchie();
    MemoryFileSystem disk = prima;
    FaultyFileSystem guasto(disk, n);
    std::ostringstream err;
    EXPECT_EQ(esegui(guasto, kCartella, err), 3);
    const std::string messaggio = err.str();
    EXPECT_NE(messaggio.find(kCartella + "/"), std::string::npos) << messaggio;
    EXPECT_NE(messaggio.find(": injected failure"), std::string::npos) << messaggio;
    check_after_fault(prima, disk, nuovi, messaggio);
  }
}

class SourceGone : public ::testing::TestWithParam<int> {};

// The run wrote the source a moment before: its loss is a failure of the
// file system, not a fault of the scenario, and no binary file is written.
TEST_P(SourceGone, IsAFileSystemFailureNamingThePath) {
  const std::string vittima = source_names()[GetParam()];
  MemoryFileSystem nuovi = cartella_con_uscite_vecchie();
  {
    std::ostringstream err;
    esegui(nuovi, kCartella, err);
  }
  const MemoryFileSystem prima = cartella_con_uscite_vecchie();
  MemoryFileSystem disk = prima;
  SourceRemovingFileSystem fs(disk, vittima);
  std::ostringstream err;
  EXPECT_EQ(esegui(fs, kCartella, err), 3) << err.str();
  EXPECT_NE(err.str().find(vittima + ": "), std::string::npos) << err.str();
  for (const auto& p : binari()) EXPECT_TRUE(disk.files.at(p) == prima.files.at(p)) << p;
  check_after_fault(prima, disk, nuovi, err.str());
}

INSTANTIATE_TEST_SUITE_P(LineOrService, SourceGone, ::testing::Values(0, 1));

}  // namespace
}  // namespace scenario::testing
