// The crew documents generated from an author's sources: the card and the
// order of a small scenario against golden files, the embedded scenario's
// documents against the program's own, the checks of hand-kept documents and
// of the timetable.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>

#include "compiler/kilometre_posts.h"
#include "crew/documents.h"
#include "crew/feasibility.h"
#include "crew/verify.h"
#include "documents/documents.h"
#include "model/file_names.h"
#include "platform/file_system.h"
#include "scenario/line_description.h"
#include "scenario/service_description.h"
#include "scenario/stations.h"
#include "scenario/text_writer.h"
#include "support/test_support.h"

namespace scenario::testing {
namespace {

const std::string kLine = "Valle_Prova";
const std::string kTrain = "Reg 4711";

// A line of 12 km whose posts count down from 20+000 and, from 6 km on, up
// from 0+000; a tunnel named by its board.
const std::vector<std::string> kTestLine = {
    "[generale]",
    "lunghezza percorso,    12000",
    "progressiva chilometrica uno,    0,    20000,    1",
    "progressiva chilometrica due,    6000,    -6000,    0",
    "sfondo uno,    0",
    "ripetizione segnali 4 codici,    0,    0",
    "[montagne]",
    "montagna,   2000,  2600,  11",
    "[indicazioni]",
    "cartello_indicatore,  1950,   (GALLERIA)(SASSO   )(m.600   )",
    "[fine]",
};

// Four stations, one without a time; limits that change at both tunnel
// mouths, at a station and at a point of their own; two slow-downs.
std::vector<std::string> test_service(const std::string& third_arrival = "8, 6,30") {
  return {
      "[generale]",
      "numero vetture,    3",
      "percentuale massa frenata,    95",
      "sabbia,    0",
      "orologio,    8,    0,    0",
      "aderenza,   0,    100",
      "velocita,   0,    50",
      "velocita,   1000,   90",
      "velocita,   2000,   70",
      "velocita,   2600,   90",
      "velocita,   5000,   80",
      "velocita,   8000,  100",
      "stazione,     500,  4,  600,  1, 0, 0,  4,1,0,  2,1,1,    1,   8, 1, 0, PRIMA",
      "stazione,    3500, 28,  200,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, 0, SECONDA",
      "stazione,    5000, 12,  400,  0, 0, 0,  0,0,0,  5,1,1,   60,   " + third_arrival + ", TERZA",
      "stazione,   10000,  2,  600,  1, 1, 0,  1,1,0,  2,1,1,    0,   8,14, 0, QUARTA",
      "rallentamento,   4000,    30,  300, 0,  0,  0",
      "rallentamento,   7000,    60,  500, 0,  1,  60",
      "[fine]",
  };
}

// The sources written into `dir` and read into a state, without a fault.
stato_compilazione read_state(const TempDir& dir, const std::vector<std::string>& line_rows,
                              const std::vector<std::string>& service_rows,
                              const std::string& line_name = kLine, const std::string& train_name = kTrain) {
  PosixFileSystem fs;
  write_file(dir.file(nomi::linea_txt(line_name)), componi_testo(line_rows));
  write_file(dir.file(nomi::treno_txt(line_name, train_name)), componi_testo(service_rows));
  stato_compilazione s;
  s.nome_linea = line_name;
  s.nome_treno = train_name;
  EXPECT_FALSE(crew::read_sources(s, fs, dir.path()));
  for (const auto& d : s.diagnostiche) ADD_FAILURE() << format_diagnostic(d);
  return s;
}

std::string golden_folder() {
  return (std::filesystem::path(__FILE__).parent_path().parent_path() / "golden" / "documents").string();
}

// Compares `text` with a golden file; SCENARIO_UPDATE_GOLDEN=1 in the
// environment rewrites the file instead.
void compare_golden(const std::string& name, const std::string& text) {
  const std::string path = golden_folder() + "/" + name;
  if (const char* e = std::getenv("SCENARIO_UPDATE_GOLDEN"); e && std::string(e) == "1") {
    write_file(path, text);
    return;
  }
  ASSERT_TRUE(file_exists(path)) << path << " (SCENARIO_UPDATE_GOLDEN=1 writes it)";
  EXPECT_EQ(read_file(path), text) << name;
}

TEST(CrewDocuments, CardAndOrderOfASmallScenarioMatchTheGoldenFiles) {
  TempDir dir;
  const stato_compilazione s = read_state(dir, kTestLine, test_service());
  PosixFileSystem fs;
  const auto written = crew::write_documents(s, fs, dir.path());
  ASSERT_FALSE(written.io_error);
  EXPECT_EQ(written.written, (std::vector<std::string>{nomi::scheda(kLine, kTrain),
                                                       nomi::rallentamenti(kLine, kTrain),
                                                       nomi::note(kLine, kTrain)}));
  compare_golden("scheda_treno.txt", read_file(dir.file(nomi::scheda(kLine, kTrain))));
  compare_golden("rallentamenti.txt", read_file(dir.file(nomi::rallentamenti(kLine, kTrain))));
  EXPECT_EQ(read_file(dir.file(nomi::note(kLine, kTrain))), "");

  // An author's notes are kept; card and order are replaced.
  write_file(dir.file(nomi::note(kLine, kTrain)), "Nota\r\n");
  write_file(dir.file(nomi::scheda(kLine, kTrain)), std::string(50000, 'x'));
  ASSERT_FALSE(crew::write_documents(s, fs, dir.path()).io_error);
  EXPECT_EQ(read_file(dir.file(nomi::note(kLine, kTrain))), "Nota\r\n");
  EXPECT_EQ(read_file(dir.file(nomi::scheda(kLine, kTrain))),
            read_file(golden_folder() + "/scheda_treno.txt"));
}

std::vector<std::string> without_end_marker(std::vector<std::string> t) {
  if (!t.empty() && t.back() == fine_del_file) t.pop_back();
  return t;
}

stato_compilazione read_embedded(const TempDir& dir) {
  return read_state(dir, without_end_marker(tabella_linea()), without_end_marker(tabella_treno()),
                    "Borgo Varnello_Calmea", "Reg 27594");
}

// The generator on the embedded sources gives the program's order as it is,
// and its card except for what the sources cannot say. These lines (from 1)
// are the embedded card's own.
TEST(CrewDocuments, EmbeddedDocumentsDifferOnlyWhereTheSourcesAreSilent) {
  TempDir dir;
  const crew::service sv(read_embedded(dir));
  EXPECT_EQ(crew::slowdown_order_lines(sv), without_end_marker(tabella_rallentamenti()));

  const std::map<int, const char*> card_own_lines = {
      {5, "departure name shortened by hand; speed category B"},
      {10, "the train's mass"},
      {17, "first row's post fixed at the start of its speed"},
      {18, "Dev.U; running speed"},
      {20, "passing time"},
      {21, "running speed"},
      {22, "running speed"},
      {26, "Dev.U; running speed"},
      {28, "passing time"},
      {30, "the former station; running speed"},
      {33, "passing time"},
      {37, "running speed"},
      {41, "passing time"},
      {42, "the junction"},
      {43, "running speed"},
      {44, "passing time"},
      {46, "passing time"},
      {47, "Cippo Km 4,000; running speed"},
      {49, "passing time"},
      {51, "running speed"},
      {52, "passing time"},
      {54, "passing time"},
      {55, "running speed"},
      {56, "passing time"},
      {59, "passing time"},
      {60, "a point the card names after a tunnel it is not the mouth of; running speed"},
      {61, "Dev.I"},
  };
  const auto generated = crew::timetable_card_lines(sv);
  const auto program_card = without_end_marker(tabella_scheda());
  ASSERT_EQ(generated.size(), program_card.size());
  for (size_t i = 0; i < program_card.size(); ++i) {
    const int line = static_cast<int>(i) + 1;
    if (card_own_lines.count(line)) {
      EXPECT_NE(generated[i], program_card[i]) << "line " << line << " (" << card_own_lines.at(line) << ")";
    } else {
      EXPECT_EQ(generated[i], program_card[i]) << "line " << line;
    }
  }
  // On every station row the name, the times and (but the first) the post
  // are the program's.
  for (size_t i = 16; i + 3 < program_card.size(); ++i) {
    const std::string name = program_card[i].substr(31, 28);
    const bool is_station = std::any_of(stazioni().begin(), stazioni().end(), [&](const auto& st) {
      return name.starts_with(st.nome) && st.genere != genere_fermata::transito;
    });
    if (!is_station) continue;
    EXPECT_EQ(generated[i].substr(31, 45), program_card[i].substr(31, 45)) << "line " << i + 1;
    if (i != 16) {
      EXPECT_EQ(generated[i].substr(14, 10), program_card[i].substr(14, 10)) << "line " << i + 1;
    }
  }
}

// The embedded tables keep their own post rule; it agrees with the one the
// compiler and the tools read from the compiled chainage rows.
TEST(CrewDocuments, EmbeddedPostsAgreeWithTheCompiledChainage) {
  TempDir dir;
  const chilometrica km(read_embedded(dir).tabella_sim);
  for (int32_t p = 0; p <= 88000; p += 50) {
    ASSERT_EQ(km.post(p), progressiva_km(p)) << p;
    ASSERT_EQ(testo_post(km.post(p)), testo_progressiva(p)) << p;
  }
}

TEST(CrewDocuments, EmbeddedDocumentsVerifyWithNoWarning) {
  TempDir dir;
  const stato_compilazione s = read_embedded(dir);
  PosixFileSystem fs;
  ASSERT_FALSE(dati_scheda(fs, dir.path(), s.nome_linea, s.nome_treno));
  ASSERT_FALSE(dati_rallentamenti(fs, dir.path(), s.nome_linea, s.nome_treno));
  std::vector<std::string> seen;
  for (const auto& d : crew::check_documents(s, fs, dir.path())) {
    EXPECT_EQ(d.severity, Severity::kNote) << format_diagnostic(d);
    seen.push_back(d.code + " " + std::to_string(d.where.line));
  }
  // The former station and the junction have passing times on the card.
  EXPECT_EQ(seen, (std::vector<std::string>{"card-extra-station 30", "card-extra-station 42"}));
}

// One fault in a hand-kept document, and the codes the check reports.
struct document_fault {
  const char* name;
  bool on_card;  // else the order
  std::string find_text, put_text;
  std::set<std::string> codes;
  int line = 0;  // line (from 1) of the first diagnostic; 0 when it has none
};

void PrintTo(const document_fault& g, std::ostream* os) { *os << g.name; }

class HandKeptDocument : public ::testing::TestWithParam<document_fault> {};

TEST_P(HandKeptDocument, TheCheckNamesTheFault) {
  const document_fault& g = GetParam();
  TempDir dir;
  const stato_compilazione s = read_state(dir, kTestLine, test_service());
  PosixFileSystem fs;
  ASSERT_FALSE(crew::write_documents(s, fs, dir.path()).io_error);
  ASSERT_TRUE(crew::check_documents(s, fs, dir.path()).empty());

  const std::string file =
      dir.file(g.on_card ? nomi::scheda(kLine, kTrain) : nomi::rallentamenti(kLine, kTrain));
  std::string text = read_file(file);
  const size_t at = text.find(g.find_text);
  ASSERT_NE(at, std::string::npos) << g.find_text;
  text.replace(at, g.find_text.size(), g.put_text);
  write_file(file, text);

  const Diagnostics d = crew::check_documents(s, fs, dir.path());
  std::set<std::string> codes;
  for (const auto& x : d) {
    codes.insert(x.code);
    EXPECT_EQ(x.where.file, file);
    EXPECT_NE(x.severity, Severity::kNote) << format_diagnostic(x);
  }
  EXPECT_EQ(codes, g.codes);
  ASSERT_FALSE(d.empty());
  EXPECT_EQ(d.front().where.line, g.line) << format_diagnostic(d.front());
}

// Rows of the golden card (lines 17 to 24) and order (line 13, 14).
INSTANTIATE_TEST_SUITE_P(
    Faults, HandKeptDocument,
    ::testing::Values(
        document_fault{"missing_station",
                       true,
                       " |     |     |   16+500 |     |SECONDA                     |                |     |\r\n",
                       "",
                       {"card-missing-station"}},
        document_fault{"extra_station",
                       true,
                       " |     |     |   16+500 |     |SECONDA",
                       " |     |     |   16+600 |     |ALTRA                       | 8.03      8.04 |     |\r\n"
                       " |     |     |   16+500 |     |SECONDA",
                       {"card-extra-station"},
                       21},
        document_fault{"name", true, "|SECONDA ", "|SECONDO ", {"card-name"}, 21},
        document_fault{"time", true, "| 8.06      8.07 |", "| 8.06      8.09 |", {"card-time"}, 22},
        document_fault{"post", true, "    4+000 |", "    4+200 |", {"card-post"}, 24},
        document_fault{"speed", true, "|  90 |  90 |   19+000", "|  95 |  95 |   19+000",
                       {"card-speed"}, 18},
        document_fault{"speed_row_missing", true,
                       " |  70 |  70 |   18+000 |     |Imbocco G. SASSO            |                |     |\r\n",
                       "", {"card-speed"}},
        document_fault{"unknown_slowdown", false,
                       " |   |                            |            |          |         |            |\r\n",
                       " | 3 |TERZA-QUARTA                |    3+000   |    40    |    200  |    -----   |\r\n",
                       {"order-unknown-slowdown"}, 15},
        document_fault{"slowdown_missing", false,
                       " | 2 |TERZA-QUARTA                |    1+000   |    60    |    500  |    -----   |\r\n",
                       "", {"order-missing-slowdown"}},
        document_fault{"slowdown_speed", false, "|    60    |    500  |", "|    50    |    500  |",
                       {"order-speed"}, 14},
        document_fault{"slowdown_length", false, "|    60    |    500  |", "|    60    |    800  |",
                       {"order-length"}, 14},
        document_fault{"slowdown_stations", false, "|TERZA-QUARTA ", "|PRIMA-QUARTA ",
                       {"order-stations"}, 14}),
    [](const auto& info) { return std::string(info.param.name); });

// A stretch of 2,000 m at 90 km/h (25 m/s) between two points without a
// stop area: the bound is 80 s; the estimate at 0.5 m/s2 both ways
// accelerates over 625 m (50 s), runs 750 m (30 s) and brakes over 625 m
// (50 s): 130 s.
std::vector<std::string> plain_stretch(const std::string& arrival) {
  return {
      "[generale]",
      "orologio,    8,    0,    0",
      "velocita,   0,    90",
      "stazione,    1000, 30,  200,  0, 0, 0,  0,0,0,  0,0,0,    0,   8, 0, 0, DA",
      "stazione,    3000, 30,  200,  0, 0, 0,  0,0,0,  0,0,0,    0,   " + arrival + ", A",
      "[fine]",
  };
}

const std::vector<std::string> kPlainLine = {
    "[generale]", "lunghezza percorso,    6000", "[curve]", "[fine]",
};

TEST(Timetable, BoundAndEstimateOfAPlainStretch) {
  TempDir dir;
  const auto e = crew::check_timetable(read_state(dir, kPlainLine, plain_stretch("8, 3, 0")), {});
  ASSERT_EQ(e.stretches.size(), 1u);
  EXPECT_DOUBLE_EQ(e.stretches[0].bound, 80.0);
  EXPECT_NEAR(e.stretches[0].estimate, 130.0, 0.1);
  EXPECT_EQ(e.stretches[0].scheduled, 180);
  // At 0.25 m/s2 the train never reaches the limit: it accelerates to
  // sqrt(2 * 0.25 * 1000) m/s at mid-stretch and brakes from there.
  const auto slow = crew::check_timetable(read_state(dir, kPlainLine, plain_stretch("8, 3, 0")), {0.25, 0.25});
  EXPECT_NEAR(slow.stretches[0].estimate, 2 * std::sqrt(500.0) / 0.25, 0.1);
}

struct timetable_case {
  const char* arrival;
  const char* code;  // "" when the timetable holds
  Severity severity;
  const char* message;
};

class Feasibility : public ::testing::TestWithParam<timetable_case> {};

TEST_P(Feasibility, ScheduledTimeAgainstBoundAndEstimate) {
  const timetable_case& c = GetParam();
  TempDir dir;
  const std::string file = dir.file(nomi::treno_txt(kLine, kTrain));
  const auto s = read_state(dir, kPlainLine, plain_stretch(c.arrival));
  const auto e = crew::check_timetable(s, {}, file, read_file(file));
  if (std::string(c.code).empty()) {
    EXPECT_TRUE(e.diagnostics.empty()) << format_diagnostic(e.diagnostics.front());
    return;
  }
  ASSERT_EQ(e.diagnostics.size(), 1u);
  const Diagnostic& d = e.diagnostics.front();
  EXPECT_EQ(d.code, c.code);
  EXPECT_EQ(d.severity, c.severity);
  EXPECT_EQ(d.message, c.message);
  EXPECT_EQ(d.where.file, file);
  EXPECT_EQ(d.where.line, 5);  // the arriving station's row
}

INSTANTIATE_TEST_SUITE_P(
    Stretches, Feasibility,
    ::testing::Values(
        timetable_case{"8, 1, 19", "timetable-infeasible", Severity::kError,
                       "infeasible from DA to A: 1 min 19 s scheduled, at least 1 min 20 s needed at the "
                       "speed limits"},
        timetable_case{"8, 1, 40", "timetable-tight", Severity::kNote,
                       "tight from DA to A: 1 min 40 s scheduled, about 2 min 10 s needed"},
        timetable_case{"8, 2, 11", "", Severity::kNote, ""},
        timetable_case{"7,59, 0", "timetable-backwards", Severity::kWarning,
                       "times go backwards at A: it arrives at 7.59, before the departure from DA at "
                       "8.00"}));

// A slow-down on the stretch counts in the bound: its marks from the cell
// after its start's to the cell after its end's (cells 41 to 47, 350 m) at
// 30 km/h instead of 90 add 28 s.
TEST(Timetable, SlowDownsCountInTheBound) {
  TempDir dir;
  auto service_rows = plain_stretch("8, 3, 0");
  service_rows.insert(service_rows.end() - 1, "rallentamento,   2000,    30,  300, 0,  0,  0");
  const auto e = crew::check_timetable(read_state(dir, kPlainLine, service_rows), {});
  ASSERT_EQ(e.stretches.size(), 1u);
  EXPECT_NEAR(e.stretches[0].bound, 80.0 + 28.0, 0.01);
}


// Names longer than their column are cut on the documents, and the check
// reads them as cut.
TEST(CrewDocuments, LongNamesCutToTheirColumnStillAgree) {
  TempDir dir;
  const stato_compilazione s =
      read_state(dir, kPlainLine,
                 {"[generale]", "orologio,    8,    0,    0", "velocita,   0,    90",
                  "stazione,    1000, 30,  200,  0, 0, 0,  0,0,0,  0,0,0,    0,   8, 0, 0, STAZIONE DAL NOME MOLTO LUNGO A",
                  "stazione,    5000, 30,  200,  0, 0, 0,  0,0,0,  0,0,0,    0,   8,10, 0, STAZIONE DAL NOME MOLTO LUNGO B",
                  "rallentamento,   3000,    30,  300, 0,  0,  0", "[fine]"});
  PosixFileSystem fs;
  ASSERT_FALSE(crew::write_documents(s, fs, dir.path()).io_error);
  EXPECT_NE(read_file(dir.file(nomi::scheda(s.nome_linea, s.nome_treno))).find("|STAZIONE DAL NOME MOLTO LUNG|"),
            std::string::npos);
  for (const auto& d : crew::check_documents(s, fs, dir.path())) ADD_FAILURE() << format_diagnostic(d);
}

// The command: sources with a fault give no documents; --verify's status
// tells whether a warning was found, --json carries the running times.
TEST(DocumentsCommand, StatusOfWritingAndOfChecking) {
  TempDir dir;
  auto service_rows = test_service();
  write_file(dir.file(nomi::linea_txt(kLine)), componi_testo(kTestLine));
  service_rows.insert(service_rows.end() - 1, "stazione,   10225, 30,  200,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, 0, X");
  write_file(dir.file(nomi::treno_txt(kLine, kTrain)), componi_testo(service_rows));
  const std::vector<std::string> base = {"documents", "--dir", dir.path(), "--line", kLine, "--train", kTrain};
  const auto faulty = run_program("scenario-tool", base);
  EXPECT_EQ(faulty.status, 2);
  EXPECT_NE(faulty.err.find("error: station position 10225 m is not a multiple of 50 [E8]"), std::string::npos) << faulty.err;
  EXPECT_FALSE(file_exists(dir.file(nomi::scheda(kLine, kTrain))));

  write_file(dir.file(nomi::treno_txt(kLine, kTrain)), componi_testo(test_service()));
  const auto written_ok = run_program("scenario-tool", base);
  ASSERT_EQ(written_ok.status, 0) << written_ok.err;
  EXPECT_EQ(written_ok.err, "");
  auto verify = base;
  verify.push_back("--verify");
  EXPECT_EQ(run_program("scenario-tool", verify).status, 0);

  const std::string card = dir.file(nomi::scheda(kLine, kTrain));
  std::string text = read_file(card);
  text.replace(text.find("| 8.06      8.07 |"), 18, "| 8.06      8.09 |");
  write_file(card, text);
  verify.push_back("--json");
  const auto r = run_program("scenario-tool", verify);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, card + ":22:61: warning: 'TERZA': the card has arrival 8.06, departure 8.09; the "
                          "service has arrival 8.06, departure 8.07 [card-time]\n");
  EXPECT_NE(r.out.find("\"code\": \"card-time\""), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"running_times\": {\"acceleration\": 0.5, \"braking\": 0.5, \"stretches\": [{\"from\": \"PRIMA\", \"to\": \"TERZA\""),
            std::string::npos) << r.out;

  // check reports the same row; --allow takes the crew documents' warning
  // codes, not their notes.
  const std::vector<std::string> check = {"check", "--dir", dir.path(), "--line", kLine, "--train", kTrain};
  const auto reported = run_program("scenario-tool", check);
  EXPECT_NE(reported.err.find("[card-time]"), std::string::npos) << reported.err;
  auto allowed = check;
  allowed.insert(allowed.end(), {"--allow", "card-time"});
  const auto silenced = run_program("scenario-tool", allowed);
  EXPECT_EQ(silenced.status, 0) << silenced.err;
  EXPECT_EQ(silenced.err.find("[card-time]"), std::string::npos) << silenced.err;
  auto note_only = check;
  note_only.insert(note_only.end(), {"--allow", "card-absent"});
  EXPECT_EQ(run_program("scenario-tool", note_only).status, 64);
}

}  // namespace
}  // namespace scenario::testing
