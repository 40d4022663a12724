// Hostile sizes and values: a 100 MB source, single lines of 10 MB, a million
// rows of one kind, numbers at the 32-bit limits in every value of every row
// kind, rows with a value missing or one too many. Each compile must end with
// a recorded fault or a clean compile, in bounded time and memory, with sound
// output files (or none). Time and peak memory of the large cases are printed.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <malloc.h>

#include "model/file_names.h"
#include "model/model.h"
#include "platform/file_system.h"
#include "run/compile.h"
#include "run/errors.h"
#include "support/compile_check.h"
#include "support/test_support.h"
#include "support/faults_seen.h"

namespace scenario::testing {
namespace {

// The sanitizers slow the compile down several times over.
#if defined(__SANITIZE_ADDRESS__)
constexpr double kSanitizerSlowdown = 6;
#else
constexpr double kSanitizerSlowdown = 1;
#endif

const std::string kLinea = "Linea Ostile";
const std::string kTreno = "T 1";

// A small scenario that compiles clean; each case adds to one of its parts.
std::string linea_base(const std::string& generale_extra = {}, const std::string& liste = {}) {
  return "[generale]\r\n"
         "lunghezza percorso,    12000\r\n"
         "progressiva chilometrica uno,    0,    6000,    1\r\n"
         "progressiva chilometrica due,    6000,    -6000,    0\r\n"
         "sfondo uno,    0\r\n" +
         generale_extra +
         "[curve]\r\n"
         "curvad4,  800,  150\r\n"
         "pendenza,   0,    0\r\n"
         "montagna,   1600,  2700,  11\r\n"
         "indicatori_vmax,  3900,  90,  95,  95,  2,  ,  ,  ,  0\r\n"
         "cartello_indicatore,  1550,   (GALLERIA)(ROVELLO )(m.1100  )\r\n" +
         liste + "[fine]\r\n";
}

std::string treno_base(const std::string& righe = {}) {
  return "[generale]\r\n"
         "numero vetture,    7\r\n"
         "orologio,    6               30            30 \r\n"
         "aderenza,   0,    100\r\n"
         "velocita,   0,    30\r\n"
         "stazione,     500,  4,  400,  1, 0, 0,  4,1,0,  2,1,1,    1,   6,31, 0, BORGO\r\n"
         "segnale,   5000,   2, 2, 3,  0, 0,    2,  2,1,0, 210\r\n" +
         righe + "[fine]\r\n";
}

long peak_kb() {
  std::ifstream in("/proc/self/status");
  std::string row;
  while (std::getline(in, row)) {
    if (row.rfind("VmHWM:", 0) == 0) return std::stol(row.substr(6));
  }
  return 0;
}
long current_kb() {
  std::ifstream in("/proc/self/status");
  std::string row;
  while (std::getline(in, row)) {
    if (row.rfind("VmRSS:", 0) == 0) return std::stol(row.substr(6));
  }
  return 0;
}
// Gives freed memory back to the system and starts a new high-water mark of
// resident memory from the present one.
void reset_peak() {
  ::malloc_trim(0);
  std::ofstream out("/proc/self/clear_refs");
  out << "5";
}

struct Measurement {
  double seconds = 0;
  long memory_mb = 0;  // peak resident memory above the start
  int32_t numero_errore = 0;
  std::vector<int32_t> guasti;
  bool written = false;
  std::string violation;
};

// Compiles the two texts from a real folder, as an author's compile does,
// measuring time and peak memory, then checks the files written.
Measurement compile_on_disk(const std::string& linea, const std::string& treno) {
  TempDir dir;
  write_file(dir.file(nomi::linea_txt(kLinea)), linea);
  write_file(dir.file(nomi::treno_txt(kLinea, kTreno)), treno);
  Measurement m;
  reset_peak();
  const long base = current_kb();
  const auto inizio = std::chrono::steady_clock::now();
  {
    stato_compilazione s;
    s.nome_linea = kLinea;
    s.nome_treno = kTreno;
    PosixFileSystem disk;
    CompileOptions opzioni;
    opzioni.source_folder = dir.path();
    opzioni.output_folder = dir.path();
    const auto esito = memorizza_percorso(s, con_matrice_linea, disk, opzioni);
    m.numero_errore = s.numero_errore;
    for (const auto& g : faults_of(s)) m.guasti.push_back(g.number);
    m.written = !esito.written.empty();
    if (esito.io_error) m.violation = "file-system failure: " + esito.io_error->path;
  }
  m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - inizio).count();
  m.memory_mb = (peak_kb() - base) / 1024;
  if (m.violation.empty() && m.written) {
    m.violation = check_sim(read_file(dir.file(nomi::sim(kLinea, kTreno))), kLinea, kTreno);
  }
  if (m.violation.empty() && m.written) {
    size_t celle = 0;
    m.violation = check_dat(read_file(dir.file(nomi::dat(kLinea, kTreno))), &celle);
  }
  if (m.violation.empty() && m.written) {
    size_t punti = 0;
    m.violation = check_linea_dat(read_file(dir.file(nomi::linea_dat(kLinea))), &punti);
  }
  return m;
}

std::string repeat_rows(size_t count, const std::function<std::string(size_t)>& row) {
  std::string out;
  for (size_t i = 0; i < count; ++i) out += row(i);
  return out;
}

// ---- Large inputs.

struct LargeCase {
  const char* nome;
  std::function<std::string()> linea;
  std::function<std::string()> treno;
  // The fault that must be recorded; 0: the compile must be clean.
  int32_t expected_fault;
  size_t size_mb;  // of the larger source, to bound the memory
};

class LargeInput : public ::testing::TestWithParam<LargeCase> {};

TEST_P(LargeInput, EndsCleanOrWithARecordedFaultInBoundedTimeAndMemory) {
  const LargeCase& c = GetParam();
  const std::string linea = c.linea();
  const std::string treno = c.treno();
  const Measurement m = compile_on_disk(linea, treno);
  std::printf("[ measure  ] %s: %.2f s, %ld MB peak above start, faults:", c.nome, m.seconds,
              m.memory_mb);
  for (int32_t g : m.guasti) std::printf(" %d", g);
  std::printf("\n");
  EXPECT_EQ(m.violation, "");
  if (c.expected_fault == 0) {
    EXPECT_TRUE(m.guasti.empty()) << "first fault " << m.guasti.front();
  } else {
    EXPECT_NE(std::find(m.guasti.begin(), m.guasti.end(), c.expected_fault), m.guasti.end())
        << "numero_errore " << m.numero_errore;
  }
  // Bounds far above what is measured, low enough to catch a quadratic walk
  // or a copy per row.
  EXPECT_LT(m.seconds, 60.0 * kSanitizerSlowdown);
  EXPECT_LT(m.memory_mb, static_cast<long>(4 * c.size_mb + 300));
}

std::string filler(size_t byte) {
  // Lines that match no keyword: read and passed over.
  const std::string row = "nota di servizio, " + std::string(80, 'z') + "\r\n";
  std::string out;
  out.reserve(byte + row.size());
  while (out.size() < byte) out += row;
  return out;
}

const std::string ten_mb(10 * 1024 * 1024, 'x');

std::vector<LargeCase> large_cases() {
  return {
      {"line_file_100MB", [] { return linea_base({}, filler(100u << 20)); },
       [] { return treno_base(); }, 0, 100},
      {"service_file_100MB", [] { return linea_base(); },
       [] { return treno_base(filler(100u << 20)); }, 0, 100},
      {"row_10MB_keyword", [] { return linea_base({}, ten_mb + "\r\n"); },
       [] { return treno_base(); }, 0, 10},
      {"row_10MB_generale", [] { return linea_base(ten_mb + "\r\n"); },
       [] { return treno_base(); }, 0, 10},
      // A text longer than its 16-bit length field cannot be stored.
      {"row_10MB_cartello",
       [] { return linea_base({}, "cartello_indicatore,  4450,   (" + ten_mb + ")\r\n"); },
       [] { return treno_base(); }, 25, 10},
      {"row_10MB_stazione", [] { return linea_base(); },
       [] {
         return treno_base("stazione,    9000, 12,  200,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, 0, " +
                           ten_mb + "\r\n");
       },
       25, 10},
      {"row_10MB_number",
       [] { return "[generale]\r\nlunghezza percorso, " + std::string(10u << 20, '9') + "\r\n[x]\r\n[fine]\r\n"; },
       [] { return treno_base(); }, 25, 10},
      {"row_10MB_zeros",
       [] { return "[generale]\r\nlunghezza percorso, " + std::string(10u << 20, '0') + "12000\r\n[x]\r\n[fine]\r\n"; },
       [] { return treno_base(); }, 0, 10},
      {"row_10MB_quotes",
       [] { return linea_base({}, "\"" + ten_mb + "\r\n"); }, [] { return treno_base(); }, 0, 10},
      {"row_10MB_commas",
       [] { return linea_base({}, std::string(10u << 20, ',') + "\r\n"); },
       [] { return treno_base(); }, 0, 10},
  };
}

INSTANTIATE_TEST_SUITE_P(Cases, LargeInput, ::testing::ValuesIn(large_cases()),
                         [](const auto& info) { return std::string(info.param.nome); });

// ---- A million rows of one kind, on the longest route.

std::string linea_lunga(const std::string& liste) {
  return "[generale]\r\nlunghezza percorso, 1000000\r\n[liste]\r\n" + liste + "[fine]\r\n";
}

constexpr size_t kMillion = 1'000'000;

std::vector<LargeCase> million_cases() {
  auto line_only = [](std::function<std::string(size_t)> row) {
    return [row] { return linea_lunga(repeat_rows(kMillion, row)); };
  };
  auto service_only = [](std::function<std::string(size_t)> row) {
    return [row] { return treno_base(repeat_rows(kMillion, row)); };
  };
  auto empty_line = [] { return linea_lunga({}); };
  auto empty_service = [] { return treno_base(); };
  return {
      {"pendenze", line_only([](size_t i) { return "pendenza, " + std::to_string(i) + ", -3\r\n"; }),
       empty_service, 0, 30},
      {"pendenze_same_position", line_only([](size_t) { return std::string("pendenza, 5000, 2\r\n"); }),
       empty_service, 0, 30},
      {"curve", line_only([](size_t i) { return "curvas6, " + std::to_string(i) + ", 0\r\n"; }),
       empty_service, 0, 30},
      {"montagne", line_only([](size_t i) {
         return "montagna, " + std::to_string(i) + ", " + std::to_string(i + 1) + ", 12\r\n";
       }),
       empty_service, 25, 40},
      {"indicatori", line_only([](size_t i) {
         return "indicatori_vmax, " + std::to_string(1000 + i * 50 % 900000) + ", 90, 95, 95, 0, , , , 0\r\n";
       }),
       empty_service, 21, 50},
      {"cartelli", line_only([](size_t i) {
         return "cartello_indicatore, " + std::to_string(1000 + i * 50) + ", (BIVIO)(X)\r\n";
       }),
       empty_service, 25, 40},
      {"velocita", [] { return linea_lunga({}); },
       service_only([](size_t i) { return "velocita, " + std::to_string(i) + ", 90\r\n"; }), 0, 30},
      {"aderenze", empty_line,
       service_only([](size_t i) { return "aderenza, " + std::to_string(i) + ", 70\r\n"; }), 0, 30},
      {"segnali", empty_line, service_only([](size_t i) {
         return "segnale, " + std::to_string(6000 + i * 50) + ", 2, 2, 3, 0, 0, 2, 2,1,0, 0\r\n";
       }),
       15, 60},
      {"rallentamenti", empty_line, service_only([](size_t i) {
         return "rallentamento, " + std::to_string(6000 + i * 50) + ", 40, 100, 0, 1, 40\r\n";
       }),
       20, 60},
      {"abbattimenti", empty_line, service_only([](size_t i) {
         return "abbattimento, " + std::to_string(6000 + i * 50) + ", 120\r\n";
       }),
       15, 40},
      {"stazioni", empty_line, service_only([](size_t i) {
         return "stazione, " + std::to_string(10000 + i * 1000) +
                ", 12, 200, 0, 0, 0, 0,0,0, 0,0,0, 0, 0, 0, 0, S\r\n";
       }),
       10, 80},
  };
}

INSTANTIATE_TEST_SUITE_P(AMillionRows, LargeInput, ::testing::ValuesIn(million_cases()),
                         [](const auto& info) { return std::string(info.param.nome); });

// ---- Numbers at the 32-bit limits, and just past them, in every value of
// every row kind; rows with one value missing or one too many.

struct row_kind {
  const char* key;
  int values;               // numeric values
  bool trailing_text;       // a text value after them
  bool of_line;             // a row of the line description
  bool in_general_section;  // a row of its general section
};

const std::vector<row_kind>& row_kinds() {
  static const std::vector<row_kind> kinds{
      {"lunghezza percorso", 1, false, true, true},
      {"progressiva chilometrica tre", 3, false, true, true},
      {"sfondo due", 1, false, true, true},
      {"ripetizione segnali 9 codici", 2, false, true, true},
      {"pendenza", 2, false, true, false},
      {"curvad3", 2, false, true, false},
      {"montagna", 3, false, true, false},
      {"indicatori_vmax", 9, false, true, false},
      {"cartello_indicatore", 1, true, true, false},
      {"numero vetture", 1, false, false, false},
      {"percentuale massa frenata", 1, false, false, false},
      {"sabbia", 1, false, false, false},
      {"orologio", 3, false, false, false},
      {"velocita", 2, false, false, false},
      {"aderenza", 2, false, false, false},
      {"segnale", 11, false, false, false},
      {"rallentamento", 6, false, false, false},
      {"abbattimento", 2, false, false, false},
      {"stazione", 16, true, false, false},
  };
  return kinds;
}

// A plausible value for each position, so that only the value under test is
// hostile.
std::string plain_value(const row_kind& t, int i) {
  const std::string key = t.key;
  if (key == "stazione") {
    static const char* v[] = {"8000", "12", "200", "0", "0", "0", "0", "0",
                              "0",    "0",  "0",   "0", "0", "7", "0", "0"};
    return v[i];
  }
  if (key == "segnale" || key == "rallentamento" || key == "abbattimento" ||
      key == "pendenza" || key == "curvad3" || key == "indicatori_vmax" ||
      key == "cartello_indicatore" || key == "velocita" || key == "aderenza" ||
      key == "montagna") {
    static const char* positions[] = {"7000", "7100", "7200"};
    if (key == "montagna" && i < 2) return positions[i];
    if (i == 0) return "7000";
    return key == "rallentamento" && i == 2 ? "100" : "2";
  }
  if (key == "lunghezza percorso") return "12000";
  if (key == "ripetizione segnali 9 codici") return i == 0 ? "0" : "5000";
  if (key == "progressiva chilometrica tre") return i == 0 ? "9000" : i == 1 ? "-9000" : "0";
  return "1";
}

std::string row_with(const row_kind& t, int values, int position, const std::string& value) {
  std::string out = t.key;
  for (int i = 0; i < values; ++i) {
    out += ", ";
    out += i == position ? value : plain_value(t, i % t.values);
  }
  if (t.trailing_text) out += ", TESTO";
  return out + "\r\n";
}

CompileInput input_with(const row_kind& t, const std::string& row, bool at_end) {
  CompileInput in;
  in.genera_linea = true;
  if (t.of_line) {
    in.linea = t.in_general_section ? linea_base(row) : linea_base({}, row);
    in.treno = treno_base();
    // A row cut short by the end of the file: nothing may follow it.
    if (at_end) in.linea = (t.in_general_section ? "[generale]\r\n" : linea_base().substr(0, linea_base().size() - 8)) + row;
  } else {
    in.linea = linea_base();
    in.treno = at_end ? treno_base().substr(0, treno_base().size() - 8) + row : treno_base(row);
  }
  // The last line of a text is never acted on: end with a line of its own
  // unless the row must run into the end.
  return in;
}

TEST(ValuesAtTheLimits, EveryValueOfEveryRowKindEndsCleanOrWithARecordedFault) {
  const char* limiti[] = {"2147483647", "-2147483648", "2147483648", "-2147483649",
                          "32767",      "32768",       "-32769",     "65535",
                          "65536",      "255",         "256",        "-1",
                          "1000000",    "1000001",     "99999999999999999999"};
  for (const row_kind& t : row_kinds()) {
    for (int i = 0; i < t.values; ++i) {
      for (const char* v : limiti) {
        const auto in = input_with(t, row_with(t, t.values, i, v), false);
        const auto r = compile_and_check(in, false);
        EXPECT_EQ(r.violation, "") << t.key << " value " << i + 1 << " = " << v;
        EXPECT_TRUE(r.exit_status == 0 || r.exit_status == 2 || r.exit_status == 1)
            << t.key << " value " << i + 1 << " = " << v;
      }
    }
  }
}

TEST(MissingOrExtraFields, EveryRowKindEndsCleanOrWithARecordedFault) {
  for (const row_kind& t : row_kinds()) {
    SCOPED_TRACE(t.key);
    // One value missing, the row running into the end of the file: the read
    // past the end is error 25.
    {
      const auto in = input_with(t, row_with(t, t.values - 1, -1, ""), true);
      const auto r = compile_and_check(in, false);
      EXPECT_EQ(r.violation, "");
      // A keyword alone on the last line is never acted on.
      if (t.values > 1) {
        EXPECT_NE(r.numero_errore, 0) << "a row cut short by the end of the file went unnoticed";
      }
    }
    // One value missing before the next row: the next keyword is read as a
    // value, which is a fault when it is a number field.
    {
      const auto in = input_with(t, row_with(t, t.values - 1, -1, ""), false);
      const auto r = compile_and_check(in, false);
      EXPECT_EQ(r.violation, "");
    }
    // One value too many: it is read as the next keyword field.
    {
      const auto in = input_with(t, row_with(t, t.values + 1, -1, ""), false);
      const auto r = compile_and_check(in, false);
      EXPECT_EQ(r.violation, "");
    }
    // No value at all.
    {
      const auto in = input_with(t, std::string(t.key) + "\r\n", false);
      EXPECT_EQ(compile_and_check(in, false).violation, "");
    }
  }
}

TEST(ScenarioBase, CompilesClean) {
  CompileInput in;
  in.linea = linea_base();
  in.treno = treno_base();
  const auto r = compile_and_check(in);
  EXPECT_EQ(r.violation, "");
  EXPECT_EQ(r.numero_errore, 0);
  EXPECT_EQ(r.guasti, 0u);
}

}  // namespace
}  // namespace scenario::testing
