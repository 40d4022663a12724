// scenario-tool compile on small scenario files in a temporary folder.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "model/file_names.h"
#include "platform/file_system.h"
#include "run/compile.h"
#include "support/test_support.h"
#include "tools/json_check.h"

namespace scenario::testing {
namespace {

const std::string kLine = "Val_Prova";
const std::string kTrain = "R 7";
const std::string kLineFile = "Val_Prova_linea.txt";
const std::string kServiceFile = "Val_Prova_R 7-.txt";

std::string crlf(std::initializer_list<std::string> lines) {
  std::string t;
  for (const auto& r : lines) t += r + "\r\n";
  return t;
}

// Route of 3000 m (P = 200).
const std::string kGoodLine = crlf({"[generale]", "lunghezza percorso,    3000",
                                    "ripetizione segnali 4 codici,    0,    2000", "[curve]",
                                    "curvad4,  800,  150", "[pendenze]", "pendenza,   0,    0", "[fine]"});
const std::string kGoodService =
    crlf({"[generale]", "numero vetture,    7", "velocita,   0,    30", "velocita,  800,  110",
          "aderenza,   0,    100", "stazione,   1000, 4,  800,  0, 0, 0,  0,0,0,  5,1,1,   60,   7, 4, 0, PRIMA",
          "[fine]"});

// The value that follows "key": in a JSON text, up to the next comma or brace.
std::string json_value(const std::string& json, const std::string& key, size_t from = 0) {
  const std::string needle = "\"" + key + "\": ";
  const size_t p = json.find(needle, from);
  if (p == std::string::npos) return "<missing>";
  const size_t start = p + needle.size();
  size_t end = start;
  if (json[start] == '"') {
    end = json.find('"', start + 1) + 1;
  } else if (json[start] == '[') {
    int depth = 0;
    for (; end < json.size(); ++end) {
      if (json[end] == '[') ++depth;
      if (json[end] == ']' && --depth == 0) break;
    }
    ++end;
  } else {
    end = json.find_first_of(",}", start);
  }
  return json.substr(start, end - start);
}

class CompileTool : public ::testing::Test {
 protected:
  void write_sources(const std::string& line_source, const std::string& service_source) {
    write_file(dir.file(kLineFile), line_source);
    write_file(dir.file(kServiceFile), service_source);
  }
  ProcessResult compile(std::vector<std::string> extra = {}) {
    std::vector<std::string> args{"compile", "--dir", dir.path(), "--line", kLine, "--train", kTrain};
    args.insert(args.end(), extra.begin(), extra.end());
    return run_program("scenario-tool", args);
  }
  TempDir dir;
};

TEST_F(CompileTool, CleanCompileWritesTheThreeFilesAndKeepsTheSources) {
  write_sources(kGoodLine, kGoodService);
  const auto r = compile({"--json"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(json_check(r.out).valid()) << r.out;
  EXPECT_EQ(json_value(r.out, "numero_errore"), "0");
  EXPECT_EQ(json_value(r.out, "posizione_errore"), "0");
  EXPECT_EQ(json_value(r.out, "guard_error"), "null");
  EXPECT_EQ(json_value(r.out, "written"), "[\"Val_Prova_linea.dat\", \"Val_Prova_R 7.sim\", \"Val_Prova_R 7.dat\"]");
  EXPECT_EQ(json_value(r.out, "faults"), "[]");
  EXPECT_EQ(list_dir(dir.path()),
            (std::vector<std::string>{"Val_Prova_R 7-.txt", "Val_Prova_R 7.dat", "Val_Prova_R 7.sim",
                                      "Val_Prova_linea.dat", "Val_Prova_linea.txt"}));
  EXPECT_EQ(read_file(dir.file(kLineFile)), kGoodLine);
  EXPECT_EQ(read_file(dir.file(kServiceFile)), kGoodService);
}

TEST_F(CompileTool, FaultsArePrintedWithFileLineAndPosition) {
  // Line 6: a gradient beyond the route (15); service line 3: an abbattimento
  // on the cell of the one before it (7).
  write_sources(crlf({"[generale]", "lunghezza percorso, 3000", "[pendenze]", "pendenza, 0, 0", "", "pendenza, 9950, 1",
                      "[fine]"}),
                crlf({"[generale]", "abbattimento, 1000, 60", "abbattimento", "  1000, 60", "[fine]"}));
  const auto r = compile({"--json", "--write-faulty"});
  EXPECT_EQ(r.status, 2);
  const std::string line_source = dir.file(kLineFile);
  const std::string service_source = dir.file(kServiceFile);
  EXPECT_EQ(r.err, line_source + ":6:1: error: position 9950 m of the row 'pendenza' lies beyond the end of the route "
                           "(at most 9900 m here) [E15]\n" +
                       service_source + ":3:1: error: an abbattimento at 1000 m: cell 20 already holds a speed board [E7]\n" +
                       service_source + ":2:1: note: the cell is held by the speed board written here\n");
  ASSERT_TRUE(json_check(r.out).valid()) << r.out;
  EXPECT_EQ(json_value(r.out, "numero_errore"), "7");
  EXPECT_EQ(json_value(r.out, "posizione_errore"), "1000");
  EXPECT_EQ(count_of(r.out, "\"numero\": "), 2u);
  const size_t second_fault = r.out.find("\"numero\": 7");
  ASSERT_NE(second_fault, std::string::npos);
  EXPECT_EQ(json_value(r.out, "numero"), "15");
  EXPECT_EQ(json_value(r.out, "posizione"), "9950");
  EXPECT_EQ(json_value(r.out, "line"), "6");
  EXPECT_EQ(json_value(r.out, "file"), "\"" + line_source + "\"");
  EXPECT_EQ(json_value(r.out, "file", second_fault), "\"" + service_source + "\"");
  EXPECT_EQ(json_value(r.out, "line", second_fault), "3");
  EXPECT_EQ(json_value(r.out, "code", second_fault), "\"E7\"");
  EXPECT_EQ(json_value(r.out, "message", second_fault), "\"an abbattimento at 1000 m: cell 20 already holds a speed board\"");
  // Written with faults, as asked; the sources stay.
  EXPECT_EQ(json_value(r.out, "written"), "[\"Val_Prova_linea.dat\", \"Val_Prova_R 7.sim\", \"Val_Prova_R 7.dat\"]");
  EXPECT_EQ(json_value(r.out, "kept_older_files"), "false");
  EXPECT_TRUE(file_exists(line_source));
  EXPECT_TRUE(file_exists(service_source));
}

TEST_F(CompileTool, AFaultKeepsTheOlderFilesUnlessWriteFaultyWritesTheFaultyOnes) {
  // Older outputs of a good compile.
  write_sources(kGoodLine, kGoodService);
  ASSERT_EQ(compile().status, 0);
  const std::vector<std::string> binaries{"Val_Prova_R 7.dat", "Val_Prova_R 7.sim", "Val_Prova_linea.dat"};
  std::vector<std::string> before;
  for (const auto& b : binaries) before.push_back(read_file(dir.file(b)));

  // The author breaks a row: a signal on the cell of the station's stop point.
  const std::string broken_service =
      crlf({"[generale]", "numero vetture,    7", "velocita,   0,    30", "velocita,  800,  110",
            "aderenza,   0,    100", "stazione,   1000, 4,  800,  0, 0, 0,  0,0,0,  5,1,1,   60,   7, 4, 0, PRIMA",
            "segnale, 1300, 2, 2, 3, 0, 0, 2, 2,1,0, 0", "[fine]"});
  write_file(dir.file(kServiceFile), broken_service);
  const auto r = compile({"--json"});
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_NE(r.err.find("[E16]"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("note: the cell is held by the station stop point written here"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("no binary file written"), std::string::npos) << r.err;
  EXPECT_EQ(json_value(r.out, "written"), "[]");
  EXPECT_EQ(json_value(r.out, "kept_older_files"), "true");
  EXPECT_EQ(json_value(r.out, "numero_errore"), "16");
  EXPECT_EQ(json_value(r.out, "posizione_errore"), "1300");
  for (size_t i = 0; i < binaries.size(); ++i) {
    EXPECT_TRUE(read_file(dir.file(binaries[i])) == before[i]) << binaries[i] << " changed";
  }

  // --write-faulty writes what the scenario program's compile writes from
  // the same sources, byte for byte.
  TempDir expected;
  {
    MemoryFileSystem memory;
    memory.files[join_path("in", kLineFile)] = kGoodLine;
    memory.files[join_path("in", kServiceFile)] = broken_service;
    stato_compilazione s;
    s.nome_linea = kLine;
    s.nome_treno = kTrain;
    CompileOptions options;
    options.source_folder = "in";
    options.output_folder = "out";
    const CompileOutcome outcome = memorizza_percorso(s, con_matrice_linea, memory, options);
    ASSERT_EQ(outcome.written.size(), 3u);
    EXPECT_EQ(s.numero_errore, 16);
    for (const auto& b : binaries) write_file(expected.file(b), memory.files[join_path("out", b)]);
  }
  const auto written = compile({"--write-faulty"});
  EXPECT_EQ(written.status, 2);
  for (const auto& b : binaries) {
    EXPECT_TRUE(read_file(dir.file(b)) == read_file(expected.file(b))) << b;
  }
}

TEST_F(CompileTool, FaultWithoutPositionOrLineGivesNulls) {
  write_sources(kGoodLine, "");
  const auto r = compile({"--json"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, dir.file(kServiceFile) + ":1: error: the service description " + dir.file(kServiceFile) +
                       " is empty [E25]\nno binary file written: the compile recorded a fault, and older files in " +
                       dir.path() + " are left as they were (--write-faulty writes them)\n");
  EXPECT_EQ(json_value(r.out, "posizione"), "null");
  EXPECT_EQ(json_value(r.out, "column"), "null");

  // A chainage row's fault points at the row itself.
  write_file(dir.file(kServiceFile), kGoodService);
  write_file(dir.file(kLineFile), crlf({"[generale]", "lunghezza percorso, 3000",
                                        "progressiva chilometrica uno, 25, 0, 0", "[fine]"}));
  const auto twice = compile({"--json"});
  EXPECT_EQ(twice.status, 2);
  EXPECT_EQ(json_value(twice.out, "numero"), "2");
  EXPECT_EQ(json_value(twice.out, "posizione"), "null");
  EXPECT_EQ(json_value(twice.out, "line"), "3");
}

TEST_F(CompileTool, OutFolderAndNoTrackPlan) {
  write_sources(kGoodLine, kGoodService);
  TempDir out;
  const auto r = compile({"--out", out.path(), "--no-track-plan"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(list_dir(out.path()), (std::vector<std::string>{"Val_Prova_R 7.dat", "Val_Prova_R 7.sim"}));
  EXPECT_EQ(list_dir(dir.path()).size(), 2u) << "nothing written beside the sources";
}

TEST_F(CompileTool, MissingLineFileWritesNothing) {
  write_file(dir.file(kServiceFile), kGoodService);
  const auto r = compile({"--json"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, dir.file(kLineFile) + ": error: the line description " + dir.file(kLineFile) +
                       " does not exist [E101]\n")
      << "the fault says why, without a second contradicting line";
  EXPECT_EQ(json_value(r.out, "written"), "[]");
  EXPECT_EQ(json_value(r.out, "numero_errore"), "101");
  EXPECT_EQ(list_dir(dir.path()), (std::vector<std::string>{kServiceFile}));
}

TEST_F(CompileTool, HeaderGuardRefusesToWrite) {
  // A text board at 0 m lands in cell 1 and fills the slot of the stamp 5121.
  write_sources(crlf({"[generale]", "lunghezza percorso, 3000", "[x]", "cartello_indicatore, 0, (A)", "[fine]"}),
                kGoodService);
  const auto r = compile({"--json"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, " Errore n. 1250\n");
  EXPECT_EQ(json_value(r.out, "guard_error"), "1250");
  EXPECT_EQ(json_value(r.out, "written"), "[]");
  EXPECT_EQ(list_dir(dir.path()).size(), 2u);
}

TEST_F(CompileTool, OutFolderIsCreatedWhenMissing) {
  write_sources(kGoodLine, kGoodService);
  const std::string fresh = dir.file("nuova/binari");
  const auto r = compile({"--out", fresh});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(list_dir(fresh),
            (std::vector<std::string>{"Val_Prova_R 7.dat", "Val_Prova_R 7.sim", "Val_Prova_linea.dat"}));
}

TEST_F(CompileTool, FileSystemFailures) {
  write_sources(kGoodLine, kGoodService);
  // A folder cannot be made below a plain file.
  const auto r = compile({"--out", dir.file(kLineFile) + "/sotto"});
  EXPECT_EQ(r.status, 3);
  EXPECT_NE(r.err.find(dir.file(kLineFile) + "/sotto"), std::string::npos) << r.err;

  TempDir other;
  write_file(other.file(kLineFile), kGoodLine);
  ASSERT_EQ(::mkdir(other.file(kServiceFile).c_str(), 0700), 0);
  const auto folder_fault = run_program("scenario-tool",
                                        {"compile", "--dir", other.path(), "--line", kLine, "--train", kTrain});
  EXPECT_EQ(folder_fault.status, 3);
  EXPECT_EQ(folder_fault.err.rfind(other.file(kServiceFile) + ": ", 0), 0u) << folder_fault.err;
  EXPECT_EQ(list_dir(other.path()), (std::vector<std::string>{kServiceFile, kLineFile}));
}

TEST(CompileToolUsage, BadUsageAndHelp) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"compile"}, {"compile", "--dir", "x", "--line", "y"},
        {"compile", "--dir", "x", "--line", "y", "--train", "z", "--bogus"},
        {"compile", "--dir", "x", "--line", "y", "--train", "z", "extra"},
        {"compile", "--dir", "x", "--line", "y", "--train"}}) {
    const auto r = run_program("scenario-tool", args);
    EXPECT_EQ(r.status, 64) << r.err;
    EXPECT_NE(r.err.find("usage: scenario-tool compile"), std::string::npos);
  }
  const auto help = run_program("scenario-tool", {"compile", "--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* word : {"--dir", "--line", "--train", "--out", "--no-track-plan", "--json", "_linea.txt",
                           "-.txt", "guard_error", "faults", "64", "--write-faulty", "--allow", "--Werror"}) {
    EXPECT_NE(help.out.find(word), std::string::npos) << word;
  }
}

}  // namespace
}  // namespace scenario::testing
