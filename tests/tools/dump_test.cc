// scenario-tool dump, run as a program on files built in the test and on the
// one-shot run's outputs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/file_names.h"
#include "platform/file_system.h"
#include "run/run.h"
#include "support/test_support.h"
#include "tools/json_check.h"
#include "tools/tool_fixture.h"

namespace scenario::testing {
namespace {

class DumpTest : public ::testing::Test {
 protected:
  void SetUp() override { write_binaries(dir.path(), sample_state()); }
  std::string sim() const { return dir.file(nomi::sim(kSampleLine, kSampleTrain)); }
  std::string dat() const { return dir.file(nomi::dat(kSampleLine, kSampleTrain)); }
  std::string plan() const { return dir.file(nomi::linea_dat(kSampleLine)); }
  static ProcessResult dump(const std::vector<std::string>& args) {
    std::vector<std::string> all = {"dump"};
    all.insert(all.end(), args.begin(), args.end());
    return run_program("scenario-tool", all);
  }
  TempDir dir;
};

TEST_F(DumpTest, SimListsThe87RowsWithTheirFields) {
  const auto r = dump({sim()});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(count_of(r.out, "\nrow "), 87u);
  EXPECT_NE(r.out.find("row 2 (station): tipo=12 inizio=4800 fine=5200 progressiva=5000 b1=0 "
                       "testo=\"MONTE <&> PROVA\""),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("orario=22200\n"), std::string::npos);
  EXPECT_NE(r.out.find("row 80 (board text): tipo=0"), std::string::npos);
  EXPECT_NE(r.out.find("row 85 (line, backgrounds, header): tipo=0 inizio=0 fine=0 progressiva=0 "
                       "b1=0 testo=\"Prova_Linea\" i1=610"),
            std::string::npos);
}

// As text, a cell appears only when it holds something or a stretch value
// changes on it; the signal at cell 51 shows every value of its object.
TEST_F(DumpTest, DatTextShowsObjectsAndStretchChangesOnly) {
  const auto r = dump({dat()});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("cell 0 (m 0): | galleria=0 velocita=20 (100 km/h) pendenza=100 "
                       "(gradient 0) aderenza=100\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("cell 51 (m 2550): signal: tipo=1 dato1=22 dato2=0 dato3=0 dato4=8\n"),
            std::string::npos);
  EXPECT_NE(r.out.find("cell 1 (m 50): header stamps: dato1=5121"), std::string::npos);
  EXPECT_NE(r.out.find("cell 40 (m 2000): | galleria=1\n"), std::string::npos);
  EXPECT_NE(r.out.find("cell 100 (m 5000): | velocita=24 (120 km/h)\n"), std::string::npos);
  EXPECT_NE(r.out.find("cell 120 (m 6000): | pendenza=92 (gradient -8)\n"), std::string::npos);
  EXPECT_EQ(r.out.find("cell 2 "), std::string::npos);
  EXPECT_EQ(r.out.find("cell 41 "), std::string::npos);
}

TEST_F(DumpTest, TrackPlanListsEveryPoint) {
  const auto r = dump({plan()});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(count_of(r.out, "\npoint "), 17001u);
  EXPECT_NE(r.out.find("\npoint 0 integer 0 0\npoint 1 integer 0 1\npoint 2 double 0 2\n"),
            std::string::npos);
  EXPECT_NE(r.out.find("\npoint 16999 empty\npoint 17000 empty\n"), std::string::npos);
}

// --json gives one valid JSON document with every row, cell or point.
TEST_F(DumpTest, JsonHasEveryElement) {
  const struct {
    std::string path, key;
    size_t count;
  } cases[] = {{sim(), "\"row\": ", 87}, {dat(), "\"cell\": ", 341}, {plan(), "\"point\": ", 17001}};
  for (const auto& c : cases) {
    const auto r = dump({c.path, "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(json_check(r.out).valid()) << c.path;
    EXPECT_EQ(count_of(r.out, c.key), c.count) << c.path;
  }
  const auto r = dump({"--json", plan()});
  EXPECT_NE(r.out.find("{\"point\": 17000, \"kind\": \"empty\", \"x\": null, \"y\": null}"),
            std::string::npos);
  EXPECT_NE(dump({sim(), "--json"}).out.find("\"testo\": \"MONTE <&> PROVA\""), std::string::npos);
}

struct damage_case {
  const char* name;
  int file;       // 0 .sim, 1 .dat, 2 _linea.dat
  long change;    // bytes added (> 0) or cut (< 0)
  long offset;    // expected offset, counted back from the original end
  const char* word;
};

void PrintTo(const damage_case& c, std::ostream* os) { *os << c.name; }

class DumpDamage : public DumpTest, public ::testing::WithParamInterface<damage_case> {};

// A damaged file: status 1, nothing on stdout, one message naming the file
// and the byte offset. The .sim's last row is 37 bytes; the track plan's
// halves are 169,982 bytes each.
TEST_P(DumpDamage, NamesTheFileAndTheOffset) {
  const damage_case& c = GetParam();
  const std::string path = c.file == 0 ? sim() : c.file == 1 ? dat() : plan();
  std::string bytes = read_file(path);
  const long size = static_cast<long>(bytes.size());
  if (c.change < 0) {
    bytes.resize(static_cast<size_t>(size + c.change));
  } else {
    bytes.append(static_cast<size_t>(c.change), '\x05');
  }
  write_file(path, bytes);
  const auto r = dump({path});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  const std::string expected = path + ": byte " + std::to_string(size - c.offset) + ": ";
  EXPECT_EQ(r.err.rfind(expected, 0), 0u) << r.err;
  EXPECT_NE(r.err.find(c.word), std::string::npos) << r.err;
  EXPECT_EQ(count_of(r.err, "\n"), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Files, DumpDamage,
    ::testing::Values(damage_case{"SimTruncated", 0, -5, 37, "truncated"},
                      damage_case{"SimExtended", 0, 3, 0, "too long"},
                      damage_case{"DatTruncated", 1, -1, 15, "truncated"},
                      damage_case{"DatExtended", 1, 14, 0, "cell 341"},
                      damage_case{"LineaTruncated", 2, -2, 169984, "middle"},
                      damage_case{"LineaExtended", 2, 2, 169982, "middle"},
                      damage_case{"LineaOdd", 2, 1, -1, "odd length"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DumpTest, BadUsageAndMissingFiles) {
  const struct {
    std::vector<std::string> args;
    int status;
    std::string in_err;
  } cases[] = {
      {{}, 64, "no FILE given"},
      {{"a.sim", "b.sim"}, 64, "give one FILE"},
      {{"--xml", "a.sim"}, 64, "unknown option '--xml'"},
      {{"route.txt"}, 64, "route.txt: unknown kind of file"},
      {{dir.file("missing.sim")}, 3, dir.file("missing.sim") + ": "},
  };
  for (const auto& c : cases) {
    const auto r = dump(c.args);
    EXPECT_EQ(r.status, c.status) << c.in_err;
    EXPECT_NE(r.err.find(c.in_err), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
  }
  const auto help = dump({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("usage: scenario-tool dump FILE [--json]"), std::string::npos);
}

// The one-shot run's three files decode whole.
TEST(DumpProgramOutputs, DecodesTheEmbeddedScenario) {
  TempDir dir;
  PosixFileSystem fs;
  std::ostringstream err;
  ASSERT_EQ(esegui(fs, dir.path(), err), 0) << err.str();
  const std::string line = nome_linea_incorporata, train = nome_treno_incorporato;

  auto sim = run_program("scenario-tool", {"dump", dir.file(nomi::sim(line, train))});
  ASSERT_EQ(sim.status, 0) << sim.err;
  EXPECT_EQ(count_of(sim.out, "\nrow "), 87u);
  EXPECT_EQ(count_of(sim.out, "(station)"), 34u);
  EXPECT_EQ(count_of(sim.out, "(board text)"), 44u);
  EXPECT_NE(sim.out.find("testo=\"Borgo Varnello_Calmea\" i1=610"), std::string::npos);

  auto dat = run_program("scenario-tool", {"dump", "--json", dir.file(nomi::dat(line, train))});
  ASSERT_EQ(dat.status, 0) << dat.err;
  EXPECT_TRUE(json_check(dat.out).valid());
  EXPECT_EQ(count_of(dat.out, "\"cell\": "), 1901u);

  auto plan_dump = run_program("scenario-tool", {"dump", dir.file(nomi::linea_dat(line))});
  ASSERT_EQ(plan_dump.status, 0) << plan_dump.err;
  EXPECT_EQ(count_of(plan_dump.out, "\npoint "), 95001u);
}

}  // namespace
}  // namespace scenario::testing
