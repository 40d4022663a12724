// Comparing two scenarios: one edit of each kind to the embedded sources
// gives exactly the one difference line that names it; the command's status
// and its JSON.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/file_names.h"
#include "platform/file_system.h"
#include "roundtrip/diff.h"
#include "run/run.h"
#include "scenario/line_description.h"
#include "scenario/service_description.h"
#include "support/test_support.h"
#include "tools/json_check.h"

namespace scenario::testing {
namespace {

const std::string kLine = nome_linea_incorporata;
const std::string kTrain = nome_treno_incorporato;

struct source_edit {
  bool in_line_description;  // in the line description, else the service one
  const char* before;        // text replaced (must occur once)
  const char* after;
  const char* kind;          // the one kind expected
  const char* expected;      // the line expected
};

const source_edit kEdits[] = {
    {true, "progressiva chilometrica tre,    49000,    -49000", "progressiva chilometrica tre,    49000,    -48000",
     "route length and zones",
     "kilometre zone 1 (in sorted order): from 49000 m, offset -49000 → from 49000 m, offset -48000"},
    {false, "velocita,    6100,    90", "velocita,    6100,    80", "speed limits",
     "km 39+900 (6100 m) to km 38+600 (7400 m): limit 90 → 80 km/h"},
    {true, "pendenza,  45200,   -8", "pendenza,  45200,   -6", "gradients",
     "km 0+800 (45200 m) to km 0+500 (46500 m): gradient -8 → -6"},
    {false, "aderenza,   0,    100", "aderenza,   0,    90", "adhesion", "adhesion 100 → 90"},
    {true, "curvad4,  800,  150", "curvad3,  800,  150", "curves",
     "km 45+200 (800 m): curve right class 4, 150 m → right class 3, 150 m"},
    {true, "montagna,   1600,  2700,  11", "montagna,   1600,  2900,  11", "tunnels",
     "km 44+400 (1600 m): tunnel end 2700 → 2900 m"},
    {true, "indicatori_vmax,  800,  100", "indicatori_vmax,  800,  105", "boards",
     "km 45+200 (800 m): maximum-speed board vas 100 → 105"},
    {true, "(GALLERIA  )(MONTEFOSCO)(m.1100    )", "(GALLERIA  )(MONTEFOSCHI)(m.1100    )", "boards",
     "km 44+450 (1550 m): text board \"(GALLERIA  )(MONTEFOSCO)(m.1100    )\" → \"(GALLERIA  )(MONTEFOSCHI)(m.1100    )\""},
    {false, "segnale,    7900,   2, 2, 3,  0, 0,    2,  2,1,0, 0", "segnale,    7900,   2, 2, 4,  0, 0,    2,  2,1,0, 0",
     "signals", "km 38+100 (7900 m): signal s2 3 → 4"},
    {false, "segnale,    7900,", "segnale,    8000,", "signals",
     "km 38+100 (7900 m): signal moved to km 38+000 (8000 m)"},
    {true, "montagna,   1600,  2700,  11", "-montagna,   1600,  2700,  11", "tunnels",
     "km 44+400 (1600 m): tunnel removed (to 2700 m, kind 11)"},
    {false, "rallentamento,   49900,    40", "rallentamento,   49900,    50", "slow-downs",
     "km 0+900 (49900 m): slow-down speed 40 → 50"},
    {false, "5,1,1,   60,   6,36, 0, CASTELMORO", "5,1,1,   60,   6,38, 0, CASTELMORO", "stations and times",
     "station CASTELMORO: time 6:36:00 → 6:38:00, 2 min later"},
    {false, "numero vetture,    7", "numero vetture,    8", "header values", "cars 7 → 8"},
};

std::string replace_once(std::string text, const std::string& before, const std::string& after) {
  const size_t p = text.find(before);
  EXPECT_NE(p, std::string::npos) << before;
  EXPECT_EQ(text.find(before, p + 1), std::string::npos) << before << " occurs twice";
  if (p != std::string::npos) text.replace(p, before.size(), after);
  return text;
}

// The embedded sources, edited or not, in a folder of a memory file system.
void write_sources(MemoryFileSystem& fs, const std::string& folder, const source_edit* m) {
  ASSERT_FALSE(dati_linea(fs, folder, kLine, kTrain));
  ASSERT_FALSE(dati_treno(fs, folder, kLine, kTrain));
  if (!m) return;
  std::string& t = fs.files[join_path(folder, m->in_line_description ? nomi::linea_txt(kLine) : nomi::treno_txt(kLine, kTrain))];
  t = replace_once(t, m->before, m->after);
}

TEST(Compare, EachSingleEditGivesTheOneLineThatNamesIt) {
  MemoryFileSystem fs;
  write_sources(fs, "a", nullptr);
  Diagnostics diag;
  const auto a = roundtrip::load(fs, "a", kLine, kTrain, &diag);
  ASSERT_TRUE(a);
  EXPECT_TRUE(roundtrip::compare(*a, *a).empty());
  for (const source_edit& m : kEdits) {
    const std::string folder = std::string("b") + m.expected;
    write_sources(fs, folder, &m);
    const auto b = roundtrip::load(fs, folder, kLine, kTrain, &diag);
    ASSERT_TRUE(b) << m.expected;
    EXPECT_TRUE(diag.empty()) << m.expected << ": " << (diag.empty() ? "" : diag[0].message);
    diag.clear();
    const auto d = roundtrip::compare(*a, *b);
    ASSERT_EQ(d.size(), 1u) << m.expected << [&] {
      std::string all;
      for (const auto& x : d) all += "\n  " + x.kind + ": " + x.text;
      return all;
    }();
    EXPECT_EQ(d[0].kind, m.kind);
    EXPECT_NE(d[0].text.find(m.expected), std::string::npos) << d[0].text;
  }
}

TEST(Compare, StationTimesAndMovesReadAsAnAuthorSaysThem) {
  MemoryFileSystem fs;
  write_sources(fs, "a", nullptr);
  const source_edit before = {false, "5,1,1,   60,   7,14, 0, FONTANIVA", "5,1,1,   60,   7,11, 0, FONTANIVA",
                              "", ""};
  write_sources(fs, "b", &before);
  Diagnostics diag;
  const auto d = roundtrip::compare(*roundtrip::load(fs, "a", kLine, kTrain, &diag),
                                    *roundtrip::load(fs, "b", kLine, kTrain, &diag));
  ASSERT_EQ(d.size(), 1u);
  EXPECT_EQ(d[0].text, "station FONTANIVA: time 7:14:00 → 7:11:00, 3 min earlier");
  EXPECT_EQ(d[0].position, 25000);
}

TEST(Compare, LongerRouteNamesItsLengthAndTheNewStretchOfEachProfile) {
  MemoryFileSystem fs;
  write_sources(fs, "a", nullptr);
  const source_edit longer = {true, "lunghezza percorso,    88000", "lunghezza percorso,    89000", "", ""};
  write_sources(fs, "b", &longer);
  Diagnostics diag;
  const auto d = roundtrip::compare(*roundtrip::load(fs, "a", kLine, kTrain, &diag),
                                    *roundtrip::load(fs, "b", kLine, kTrain, &diag));
  std::vector<std::string> lines;
  for (const auto& x : d) lines.push_back(x.kind + ": " + x.text);
  // The cells the readers leave unfilled at the end hold no value, so the
  // old end shows no change of its own.
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "route length and zones: route length 88000 → 89000 m",
                       "speed limits: km 45+900 (94900 m) to km 46+900 (95900 m): limit none → 30 km/h",
                       "gradients: km 45+900 (94900 m) to km 46+900 (95900 m): gradient none → 0",
                       "adhesion: km 45+900 (94900 m) to km 46+900 (95900 m): adhesion none → 100"}));
}

// The command on folders: binary files in one, sources in the other.
class DiffCommand : public ::testing::Test {
 protected:
  ProcessResult diff(std::vector<std::string> extra) {
    std::vector<std::string> a{"diff", "--line", kLine, "--train", kTrain};
    a.insert(a.end(), extra.begin(), extra.end());
    return run_program("scenario-tool", a);
  }
  TempDir a, b;
};

TEST_F(DiffCommand, StatusIsZeroWhenEqualOneWhenDifferentTwoOnError) {
  MemoryFileSystem fs;
  write_sources(fs, "x", nullptr);
  for (const auto& [name, text] : fs.files) {
    write_file(a.path() + name.substr(1), text);
    write_file(b.path() + name.substr(1), text);
  }
  ASSERT_EQ(run_program("scenario-tool", {"compile", "--dir", a.path(), "--line", kLine, "--train", kTrain}).status, 0);
  std::remove(a.file(nomi::linea_txt(kLine)).c_str());
  // Binary files against sources, compiled first.
  auto r = diff({a.path(), b.path()});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");

  const std::string service_path = b.file(nomi::treno_txt(kLine, kTrain));
  write_file(service_path, replace_once(read_file(service_path), "velocita,    6100,    90", "velocita,    6100,    80"));
  r = diff({a.path(), b.path()});
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_EQ(r.out, "speed limits\n  km 39+900 (6100 m) to km 38+600 (7400 m): limit 90 → 80 km/h\n");

  r = diff({a.path(), b.path(), "--json"});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(json_check(r.out).valid()) << r.out;
  EXPECT_NE(r.out.find("\"kind\": \"speed limits\", \"position\": 6100, \"post\": \"39+900\""), std::string::npos)
      << r.out;

  r = diff({a.path(), a.path() + "/missing"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("missing"), std::string::npos) << r.err;
  EXPECT_EQ(diff({a.path()}).status, 64);
}

TEST_F(DiffCommand, SecondScenarioMayBeNamedOtherwise) {
  MemoryFileSystem fs;
  write_sources(fs, "x", nullptr);
  ASSERT_FALSE(dati_linea(fs, "y", "Altra", "T 2"));
  ASSERT_FALSE(dati_treno(fs, "y", "Altra", "T 2"));
  for (const auto& [name, text] : fs.files) write_file((name[0] == 'x' ? a.path() : b.path()) + name.substr(1), text);
  const auto r = diff({a.path(), b.path(), "--line-b", "Altra", "--train-b", "T 2"});
  // The names are inside the table (rows 85 and 86); nothing else differs.
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_EQ(r.out, "header values\n  line name \"Borgo Varnello_Calmea\" → \"Altra\"\n"
                   "  train name \"Reg 27594\" → \"T 2\"\n");
}

}  // namespace
}  // namespace scenario::testing
