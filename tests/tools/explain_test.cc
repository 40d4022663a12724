// scenario-tool explain: every code has an explanation whose examples are
// real (the wrong one gives its fault, the right one compiles clean), the
// tool finds codes as an author types them, and the format documents carry
// the same texts.
#include <gtest/gtest.h>

#include <cstdint>
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

struct Outcome {
  int32_t numero_errore = 0;
  size_t faults = 0;
  bool io_error = false;
};

// A small 36 km scenario (line "Nord", train "R 1") with the rows of the
// example at their places, compiled in memory.
Outcome compile_example(const std::vector<ExampleRow>& rows) {
  std::string line_header = "[generale]", service_header = "[generale]";
  std::string lists_header = "[curve]", line_file = "Nord_linea.txt";
  std::string general, lists, service;
  for (const auto& row : rows) {
    for (const auto& text : tool::expand_row(row)) {
      const std::string bytes = row.in_windows_1252 ? in_windows_1252(text) : text;
      switch (row.place) {
        case ExamplePlace::kLineGeneral: general += bytes + "\r\n"; break;
        case ExamplePlace::kLineLists: lists += bytes + "\r\n"; break;
        case ExamplePlace::kService: service += bytes + "\r\n"; break;
        case ExamplePlace::kLineHeader: line_header = bytes; break;
        case ExamplePlace::kServiceHeader: service_header = bytes; break;
        case ExamplePlace::kListsHeader: lists_header = bytes; break;
        case ExamplePlace::kLineFileName: line_file = bytes; break;
      }
    }
  }
  MemoryFileSystem fs;
  fs.files["d/" + line_file] = line_header + "\r\nlunghezza percorso, 36000\r\n" + general +
                               lists_header + "\r\npendenza, 0, 0\r\n" + lists + "[fine]\r\n";
  fs.files["d/Nord_R 1-.txt"] = service_header +
                                "\r\nnumero vetture, 5\r\npercentuale massa frenata, 110\r\n"
                                "sabbia, 0\r\norologio, 7, 15, 0\r\naderenza, 0, 100\r\n"
                                "velocita, 0, 60\r\n" +
                                service + "[fine]\r\n";
  stato_compilazione s;
  s.nome_linea = "Nord";
  s.nome_treno = "R 1";
  opzioni_compilazione opzioni;
  opzioni.cartella_sorgenti = "d";
  opzioni.cartella_uscita = "d";
  const esito_compilazione esito = memorizza_percorso(s, 1, fs, opzioni);
  return {s.numero_errore, s.guasti.size(), esito.errore_io.has_value()};
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
  EXPECT_EQ(lines, tool::explanations().size());

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
