// scenario-tool explain: every code has an explanation whose examples are
// real (the wrong one gives its fault, the right one compiles clean), the
// tool finds codes as an author types them, and the format documents carry
// the same texts.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "explanations.h"
#include "model/model.h"
#include "platform/file_system.h"
#include "run/compile.h"
#include "support/test_support.h"

namespace scenario::testing {
namespace {

using tool::ExamplePlace;
using tool::ExampleRow;
using tool::Explanation;

// The fault numbers of the compile, and the warning codes.
const std::vector<int32_t> kFaultNumbers = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11,  12,  13,
                                            15, 16, 17, 18, 19, 20, 21, 22, 24, 25, 101, 102, 103};
const std::vector<std::string> kWarnings = {
    "unknown-keyword",    "leftover-values", "no-general-section",
    "lists-never-start",  "position-backwards", "tunnel-reversed",
    "utf8-text",          "overwritten-object", "keyword-case"};

// UTF-8 text as Windows-1252 bytes (the letters of Latin-1 are enough here).
std::string in_windows_1252(std::string_view utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size(); ++i) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    if ((b & 0xE0) == 0xC0 && i + 1 < utf8.size()) {
      out += static_cast<char>(((b & 0x1F) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
    } else {
      out += static_cast<char>(b);
    }
  }
  return out;
}

// A small 36 km scenario (line "Nord", train "R 1") with the rows of an
// example at their places: the two files by name, and where the last row
// (the example's own) stands.
struct ExampleFiles {
  std::map<std::string, std::string> files;
  std::string row_file;  // empty when the row is a file name
  int row_line = 0;
  bool whole_file = false;  // the row is a header: it concerns the whole file
};

ExampleFiles example_files(const std::vector<ExampleRow>& rows) {
  std::string line_header = "[generale]", service_header = "[generale]";
  std::string lists_header = "[curve]", line_file = "Nord_linea.txt";
  const std::string service_file = "Nord_R 1-.txt";
  std::vector<std::string> general, lists, service;
  ExampleFiles out;
  for (const auto& row : rows) {
    for (const auto& text : tool::expand_row(row)) {
      const std::string bytes = row.in_windows_1252 ? in_windows_1252(text) : text;
      switch (row.place) {
        case ExamplePlace::kLineGeneral: general.push_back(bytes); break;
        case ExamplePlace::kLineLists: lists.push_back(bytes); break;
        case ExamplePlace::kService: service.push_back(bytes); break;
        case ExamplePlace::kLineHeader: line_header = bytes; break;
        case ExamplePlace::kServiceHeader: service_header = bytes; break;
        case ExamplePlace::kListsHeader: lists_header = bytes; break;
        case ExamplePlace::kLineFileName: line_file = bytes; break;
      }
    }
  }
  const auto& row = rows.empty() ? ExampleRow{} : rows.back();
  const int g = static_cast<int>(general.size());
  switch (row.place) {
    case ExamplePlace::kLineGeneral: out.row_line = 2 + g; break;
    case ExamplePlace::kLineLists: out.row_line = 4 + g + static_cast<int>(lists.size()); break;
    case ExamplePlace::kService: out.row_line = 7 + static_cast<int>(service.size()); break;
    case ExamplePlace::kLineHeader: out.row_line = 1; break;
    case ExamplePlace::kServiceHeader: out.row_line = 1; break;
    case ExamplePlace::kListsHeader: out.row_line = 3 + g; break;
    case ExamplePlace::kLineFileName: break;
  }
  out.whole_file = row.place == ExamplePlace::kLineHeader ||
                   row.place == ExamplePlace::kServiceHeader ||
                   row.place == ExamplePlace::kListsHeader;
  const bool in_service =
      row.place == ExamplePlace::kService || row.place == ExamplePlace::kServiceHeader;
  if (row.place != ExamplePlace::kLineFileName) out.row_file = in_service ? service_file : line_file;

  auto lines = [](const std::vector<std::string>& v) {
    std::string text;
    for (const auto& l : v) text += l + "\r\n";
    return text;
  };
  out.files[line_file] = line_header + "\r\nlunghezza percorso, 36000\r\n" + lines(general) +
                         lists_header + "\r\npendenza, 0, 0\r\n" + lines(lists) + "[fine]\r\n";
  out.files[service_file] = service_header +
                            "\r\nnumero vetture, 5\r\npercentuale massa frenata, 110\r\n"
                            "sabbia, 0\r\norologio, 7, 15, 0\r\naderenza, 0, 100\r\n"
                            "velocita, 0, 60\r\n" +
                            lines(service) + "[fine]\r\n";
  return out;
}

struct Outcome {
  int32_t numero_errore = 0;
  size_t faults = 0;
  bool io_error = false;
};

// The example compiled in memory.
Outcome compile_example(const std::vector<ExampleRow>& rows) {
  MemoryFileSystem fs;
  for (const auto& [name, bytes] : example_files(rows).files) fs.files["d/" + name] = bytes;
  stato_compilazione s;
  s.nome_linea = "Nord";
  s.nome_treno = "R 1";
  CompileOptions opzioni;
  opzioni.source_folder = "d";
  opzioni.output_folder = "d";
  const CompileOutcome esito = memorizza_percorso(s, con_matrice_linea, fs, opzioni);
  size_t faults = 0;
  for (const Diagnostic& d : s.diagnostiche) faults += d.fault_number.has_value();
  return {s.numero_errore, faults, esito.io_error.has_value()};
}

std::vector<ExampleRow> with_context(const Explanation& e, const ExampleRow& row) {
  std::vector<ExampleRow> rows = e.context;
  rows.push_back(row);
  return rows;
}

TEST(Explain, EveryCodeHasOneExplanation) {
  std::set<std::string> expected, found;
  for (int32_t n : kFaultNumbers) expected.insert("E" + std::to_string(n));
  for (const auto& w : kWarnings) expected.insert(w);
  for (const auto& e : tool::explanations()) {
    EXPECT_TRUE(found.insert(std::string(e.code)).second) << e.code << " twice";
    EXPECT_EQ(e.warning, e.code[0] != 'E') << e.code;
    EXPECT_FALSE(e.title.empty() || e.meaning.empty() || e.fix.empty()) << e.code;
  }
  EXPECT_EQ(found, expected);
}

// The wrong example of an error gives exactly its fault number; the right
// example compiles without any fault. The examples of a warning record no
// fault at all: a warning never changes a fault number.
TEST(Explain, ExamplesCompileAsTheyClaim) {
  for (const auto& e : tool::explanations()) {
    SCOPED_TRACE(std::string(e.code));
    const Outcome wrong = compile_example(with_context(e, e.wrong));
    EXPECT_FALSE(wrong.io_error);
    if (e.warning) {
      EXPECT_EQ(wrong.numero_errore, 0);
      EXPECT_EQ(wrong.faults, 0u);
    } else {
      EXPECT_EQ("E" + std::to_string(wrong.numero_errore), e.code);
      EXPECT_GE(wrong.faults, 1u);
    }
    if (e.right) {
      const Outcome right = compile_example(with_context(e, *e.right));
      EXPECT_FALSE(right.io_error);
      EXPECT_EQ(right.numero_errore, 0);
      EXPECT_EQ(right.faults, 0u);
    } else {
      EXPECT_FALSE(e.warning) << "a warning's fix is always a change of the row";
    }
  }
}

// The base scenario of the examples compiles clean on its own, so that each
// example's fault comes from its own rows.
TEST(Explain, TheExampleScenarioIsClean) {
  const Outcome o = compile_example({});
  EXPECT_EQ(o.numero_errore, 0);
  EXPECT_EQ(o.faults, 0u);
}

// What an author sees: `scenario-tool compile` on the wrong example prints a
// line "FILE:LINE:COL: severity: message [CODE]" at the example's own row (a
// fault of the derivation rules too); on the right example no line carries
// the code.
TEST(Explain, TheCompileReportsEachExampleByItsCode) {
  for (const auto& e : tool::explanations()) {
    SCOPED_TRACE(std::string(e.code));
    const std::string tag = "[" + std::string(e.code) + "]";
    for (const bool wrong : {true, false}) {
      if (!wrong && !e.right) continue;
      const ExampleFiles example = example_files(with_context(e, wrong ? e.wrong : *e.right));
      TempDir dir;
      for (const auto& [name, bytes] : example.files) write_file(dir.file(name), bytes);
      const auto r = run_program("scenario-tool", {"compile", "--dir", dir.path(), "--line",
                                                   "Nord", "--train", "R 1", "--out",
                                                   dir.file("out")});
      // A problem of a whole file (its name, its headers) may be reported
      // at any line of it; every other one at the example's row.
      const std::string where =
          example.row_file.empty() ? dir.file("Nord_linea.txt") + ": "
          : example.whole_file     ? dir.file(example.row_file) + ":"
                                   : dir.file(example.row_file) + ":" +
                                     std::to_string(example.row_line) + ":";
      const std::string severity = e.warning ? "warning: " : "error: ";
      bool found = false;
      size_t start = 0;
      while (start < r.err.size()) {
        const size_t end = r.err.find('\n', start);
        const std::string line = r.err.substr(start, end - start);
        if (line.find(tag) != std::string::npos) {
          EXPECT_TRUE(wrong) << line;
          found = found || (line.rfind(where, 0) == 0 && line.find(severity) != std::string::npos);
        }
        if (end == std::string::npos) break;
        start = end + 1;
      }
      EXPECT_TRUE(found || !wrong) << "no " << severity << tag << " at " << where << " in\n"
                                   << r.err;
    }
  }
}

TEST(Explain, FindsCodesAsTheyAreTyped) {
  const struct {
    const char* typed;
    const char* code;  // null: none
  } cases[] = {
      {"E16", "E16"},   {"e16", "E16"},  {"16", "E16"},  {"101", "E101"},
      {"unknown-keyword", "unknown-keyword"}, {"UTF8-TEXT", "utf8-text"},
      {"E14", nullptr}, {"23", nullptr}, {"E", nullptr}, {"", nullptr},
      {"E016x", nullptr}, {"warning", nullptr},
  };
  for (const auto& c : cases) {
    const Explanation* e = tool::find_explanation(c.typed);
    if (c.code) {
      ASSERT_NE(e, nullptr) << c.typed;
      EXPECT_EQ(e->code, c.code);
    } else {
      EXPECT_EQ(e, nullptr) << c.typed;
    }
  }
}

TEST(Explain, TheCommand) {
  const auto e16 = run_program("scenario-tool", {"explain", "16"});
  EXPECT_EQ(e16.status, 0) << e16.err;
  EXPECT_EQ(e16.out, tool::explanation_text(*tool::find_explanation("E16")));
  EXPECT_EQ(e16.out.rfind("E16 (error): signal on a taken cell\n", 0), 0u) << e16.out;
  for (const char* part : {"Wrong:\n", "abbattimento, 2750, 60", "segnale, 2700,", "Right:\n",
                           "segnale, 2800,", "How to fix it:\n"}) {
    EXPECT_NE(e16.out.find(part), std::string::npos) << part;
  }

  const auto list = run_program("scenario-tool", {"explain", "--list"});
  EXPECT_EQ(list.status, 0);
  EXPECT_EQ(list.out, tool::explanation_list());
  size_t lines = 0;
  for (char c : list.out) lines += c == '\n';
  EXPECT_EQ(lines, tool::explanations().size() + crew::crew_codes().size());

  // The crew documents' codes: explained, and accepted by --allow.
  const auto card = run_program("scenario-tool", {"explain", "card-time"});
  EXPECT_EQ(card.status, 0) << card.err;
  EXPECT_EQ(card.out.rfind("card-time (warning, crew documents): ", 0), 0u) << card.out;
  EXPECT_NE(card.out.find("How to fix it:\n"), std::string::npos) << card.out;

  const struct {
    std::vector<std::string> args;
    const char* in_err;
  } refused[] = {
      {{"explain", "E14"}, "no code 'E14'; scenario-tool explain --list shows every code"},
      {{"explain"}, "give one code, --list or --markdown"},
      {{"explain", "E16", "E17"}, "give one code"},
      {{"explain", "--list", "E16"}, "give one code"},
      {{"explain", "--colour"}, "unknown option '--colour'"},
  };
  for (const auto& c : refused) {
    const auto r = run_program("scenario-tool", c.args);
    EXPECT_EQ(r.status, 64) << c.in_err;
    EXPECT_NE(r.err.find(c.in_err), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
  }
}

// The reference section of the documents is the tool's own text; after a
// change of the texts, regenerate it as the file's marker line says.
TEST(Explain, TheDocumentsCarryTheSameTexts) {
  const std::string doc = read_file(std::string(SCENARIO_SOURCE_DIR) + "/docs/formats/diagnostics.md");
  const size_t start = doc.find(tool::kReferenceMarker);
  ASSERT_NE(start, std::string::npos) << "no reference marker in docs/formats/diagnostics.md";
  EXPECT_EQ(doc.substr(start), tool::reference_markdown())
      << "regenerate: scenario-tool explain --markdown, in place of the file's reference section";
}

}  // namespace
}  // namespace scenario::testing
