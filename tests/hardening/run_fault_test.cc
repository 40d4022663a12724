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

const std::string kFolder = "prog";

std::string in_folder(const std::string& name) { return join_path(kFolder, name); }

std::vector<std::string> document_names() {
  const std::string l = nome_linea_incorporata;
  const std::string t = nome_treno_incorporato;
  return {in_folder(nomi::note(l, t)), in_folder(nomi::rallentamenti(l, t)),
          in_folder(nomi::scheda(l, t))};
}

std::vector<std::string> binary_names() {
  const std::string l = nome_linea_incorporata;
  const std::string t = nome_treno_incorporato;
  return {in_folder(nomi::linea_dat(l)), in_folder(nomi::sim(l, t)),
          in_folder(nomi::dat(l, t))};
}

std::vector<std::string> source_names() {
  const std::string l = nome_linea_incorporata;
  const std::string t = nome_treno_incorporato;
  return {in_folder(nomi::linea_txt(l)), in_folder(nomi::treno_txt(l, t))};
}

bool has_suffix(const std::string& s, const std::string& suffix) {
  return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// A program folder holding an older version of every output, each longer
// than any new content could be mistaken for.
MemoryFileSystem folder_with_older_outputs() {
  MemoryFileSystem disk;
  for (const auto& p : document_names()) disk.files[p] = "older " + p + std::string(5000, 'x');
  for (const auto& p : binary_names()) disk.files[p] = "older " + p + std::string(3000, '\0');
  disk.files[in_folder("unrelated.txt")] = "not ours";
  return disk;
}

// What a run that fails at some point must leave: `fresh` is the folder after
// a clean run.
void check_after_fault(const MemoryFileSystem& before, const MemoryFileSystem& after,
                       const MemoryFileSystem& fresh, const std::string& message) {
  for (const auto& p : document_names()) {
    ASSERT_TRUE(after.files.count(p)) << p << " lost";
    const std::string& data = after.files.at(p);
    EXPECT_TRUE(data == before.files.at(p) || data == fresh.files.at(p)) << p << " damaged";
  }
  int older = 0;
  int fresh_binaries = 0;
  for (const auto& p : binary_names()) {
    ASSERT_TRUE(after.files.count(p)) << p << " lost";
    const std::string& data = after.files.at(p);
    if (data == before.files.at(p)) ++older;
    if (fresh.files.count(p) && data == fresh.files.at(p)) ++fresh_binaries;
  }
  EXPECT_TRUE(older == 3 || fresh_binaries == 3)
      << older << " older and " << fresh_binaries << " new binary files: a mixed set";
  EXPECT_EQ(after.files.at(in_folder("unrelated.txt")), "not ours");
  for (const auto& [path, data] : after.files) {
    EXPECT_FALSE(has_suffix(path, ".tmp")) << "temporary left: " << path;
    // A kept older file stays only when dropping it was the change that failed.
    if (has_suffix(path, ".old")) {
      EXPECT_NE(message.find(path), std::string::npos) << "left silently: " << path;
    }
  }
}

TEST(RunWithAFailingChange, EveryChangeOfTheRunFailsCleanly) {
  MemoryFileSystem fresh = folder_with_older_outputs();
  int change_count = 0;
  {
    FaultyFileSystem counter(fresh, 0);
    std::ostringstream err;
    const int status = esegui(counter, kFolder, err);
    ASSERT_TRUE(status == 0 || status == 2) << err.str();
    change_count = counter.changes();
  }
  // Five text files, the two sources deleted, three binary files as a set.
  ASSERT_GE(change_count, 5 * 2 + 2 + 3 * 2);

  for (int n = 1; n <= change_count; ++n) {
    SCOPED_TRACE("change " + std::to_string(n) + " of " + std::to_string(change_count) + " fails");
    const MemoryFileSystem before = folder_with_older_outputs();
    MemoryFileSystem disk = before;
    FaultyFileSystem faulty(disk, n);
    std::ostringstream err;
    EXPECT_EQ(esegui(faulty, kFolder, err), 3);
    const std::string message = err.str();
    EXPECT_NE(message.find(kFolder + "/"), std::string::npos) << message;
    EXPECT_NE(message.find(": injected failure"), std::string::npos) << message;
    check_after_fault(before, disk, fresh, message);
  }
}

class SourceGone : public ::testing::TestWithParam<int> {};

// The run wrote the source a moment before: its loss is a failure of the
// file system, not a fault of the scenario, and no binary file is written.
TEST_P(SourceGone, IsAFileSystemFailureNamingThePath) {
  const std::string victim = source_names()[GetParam()];
  MemoryFileSystem fresh = folder_with_older_outputs();
  {
    std::ostringstream err;
    esegui(fresh, kFolder, err);
  }
  const MemoryFileSystem before = folder_with_older_outputs();
  MemoryFileSystem disk = before;
  SourceRemovingFileSystem fs(disk, victim);
  std::ostringstream err;
  EXPECT_EQ(esegui(fs, kFolder, err), 3) << err.str();
  EXPECT_NE(err.str().find(victim + ": "), std::string::npos) << err.str();
  for (const auto& p : binary_names()) EXPECT_TRUE(disk.files.at(p) == before.files.at(p)) << p;
  check_after_fault(before, disk, fresh, err.str());
}

INSTANTIATE_TEST_SUITE_P(LineOrService, SourceGone, ::testing::Values(0, 1));

}  // namespace
}  // namespace scenario::testing
