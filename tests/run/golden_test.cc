// The product's bytes, pinned: the one-shot run's outputs compared with the
// files kept in tests/golden/embedded/. The ".sim" and ".dat" files are kept
// as their field-by-field dump, so that a change shows as the row or cell and
// the field that moved; the track plan is kept as its size and a digest; the
// two text sources and the three crew documents are kept whole.
//
// After an intended change of the embedded scenario or of the compiler,
// regenerate the kept files and review their diff before committing:
//   SCENARIO_UPDATE_GOLDEN=1 ctest --test-dir build -R Golden
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "model/file_names.h"
#include "platform/file_system.h"
#include "run/run.h"
#include "scenario/line_description.h"
#include "scenario/service_description.h"
#include "scenario/text_writer.h"
#include "support/test_support.h"

namespace scenario::testing {
namespace {

const std::string kGoldenFolder = std::string(SCENARIO_SOURCE_DIR) + "/tests/golden/embedded/";

bool regenerating() {
  const char* v = std::getenv("SCENARIO_UPDATE_GOLDEN");
  return v != nullptr && std::string(v) == "1";
}

std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string r; std::getline(in, r);) out.push_back(r);
  return out;
}

// Where two dump lines part: the thing the line is about (the text before
// its first ": ") and the first field that differs.
std::string where_lines_part(const std::string& expected, const std::string& actual) {
  const size_t colon = expected.find(": ");
  const std::string subject = expected.substr(0, colon);
  std::istringstream a(expected.substr(colon == std::string::npos ? 0 : colon + 2));
  std::istringstream b(actual.substr(colon == std::string::npos ? 0 : colon + 2));
  std::string ta, tb;
  while (true) {
    const bool ha = static_cast<bool>(a >> ta), hb = static_cast<bool>(b >> tb);
    if (!ha && !hb) break;
    if (!ha) ta = "(nothing)";
    if (!hb) tb = "(nothing)";
    if (ta != tb) return subject + ": kept " + ta + ", now " + tb;
  }
  return subject + ": kept \"" + expected + "\", now \"" + actual + "\"";
}

// Compares `actual` with the kept file `name` line by line (or rewrites
// the kept file when regenerating) and names the first difference.
void compare_with_golden(const std::string& name, const std::string& actual) {
  const std::string path = kGoldenFolder + name;
  if (regenerating()) {
    write_file(path, actual);
    return;
  }
  ASSERT_TRUE(file_exists(path)) << path << " is missing; see the head of this test";
  const std::string expected = read_file(path);
  if (expected == actual) return;
  const auto ra = split_lines(expected), ro = split_lines(actual);
  for (size_t i = 0; i < std::max(ra.size(), ro.size()); ++i) {
    const std::string a = i < ra.size() ? ra[i] : "(end of file)";
    const std::string o = i < ro.size() ? ro[i] : "(end of file)";
    if (a != o) {
      ADD_FAILURE() << name << " line " << i + 1 << ": " << where_lines_part(a, o);
      return;
    }
  }
  ADD_FAILURE() << name << " differs in its line ends";
}

// FNV-1a, 64 bits: enough to notice any change of the plan's bytes.
std::string fingerprint(const std::string& data) {
  uint64_t h = 14695981039346656037ull;
  for (unsigned char c : data) {
    h ^= c;
    h *= 1099511628211ull;
  }
  char buf[64];
  std::snprintf(buf, sizeof buf, "%zu bytes, fnv1a64 %016llx\n", data.size(),
                static_cast<unsigned long long>(h));
  return buf;
}

std::string dump(const TempDir& dir, const std::string& file) {
  const ProcessResult r = run_program("scenario-tool", {"dump", file}, dir.path());
  EXPECT_EQ(r.status, 0) << r.err;
  return r.out;
}

TEST(Golden, TheRunsOutputsAreTheKeptOnes) {
  TempDir dir;
  PosixFileSystem fs;
  std::ostringstream err;
  ASSERT_EQ(esegui(fs, dir.path(), err), 0) << err.str();

  const std::string linea = nome_linea_incorporata, treno = nome_treno_incorporato;
  compare_with_golden("table.sim.txt", dump(dir, nomi::sim(linea, treno)));
  compare_with_golden("route.dat.txt", dump(dir, nomi::dat(linea, treno)));
  compare_with_golden("track_plan.digest", fingerprint(read_file(dir.file(nomi::linea_dat(linea)))));
  compare_with_golden("line_description.txt", componi_testo(tabella_linea()));
  compare_with_golden("service_description.txt", componi_testo(tabella_treno()));
  compare_with_golden("timetable_card.txt", read_file(dir.file(nomi::scheda(linea, treno))));
  compare_with_golden("slowdown_order.txt", read_file(dir.file(nomi::rallentamenti(linea, treno))));
  compare_with_golden("notes_sheet.txt", read_file(dir.file(nomi::note(linea, treno))));
}

}  // namespace
}  // namespace scenario::testing
