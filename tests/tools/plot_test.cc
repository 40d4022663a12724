// scenario-tool plot, run as a program: a well-formed SVG page with one
// marker per object placed, every signal's post written or listed, a
// stretch of the route on request, warnings for faulty files, a drawing that
// matches its golden copy, and clear refusals.
//
// The golden copy is tests/golden/plot/small.svg; run the tests with
// SCENARIO_UPDATE_GOLDEN=1 to write it afresh after a deliberate change
// of the drawing, and look at it before committing it.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "compiler/codes.h"
#include "model/binary_files.h"
#include "model/file_names.h"
#include "platform/file_system.h"
#include "run/run.h"
#include "support/test_support.h"
#include "tools/json_check.h"
#include "tools/tool_fixture.h"

namespace scenario::testing {
namespace {

// Whether `s` is a well-formed XML document: one root element, every element
// closed in order, attributes quoted, '<' never in text or values and '&'
// only as an entity. Returns the first fault, empty when none.
std::string xml_fault(const std::string& s) {
  std::vector<std::string> open;
  int roots = 0;
  auto entity_ok = [&](size_t p) {
    const size_t e = s.find(';', p);
    if (e == std::string::npos || e - p > 8) return false;
    const std::string name = s.substr(p + 1, e - p - 1);
    return name == "amp" || name == "lt" || name == "gt" || name == "quot" || name == "apos" ||
           (name.size() > 1 && name[0] == '#');
  };
  size_t p = 0;
  while (p < s.size()) {
    if (s[p] == '&' && !entity_ok(p)) return "bad entity at " + std::to_string(p);
    if (s[p] == '>') return "stray '>' at " + std::to_string(p);
    if (s[p] != '<') {
      if (open.empty() && !std::isspace(static_cast<unsigned char>(s[p])))
        return "text outside the root at " + std::to_string(p);
      ++p;
      continue;
    }
    if (s.compare(p, 2, "<?") == 0) {
      p = s.find("?>", p);
      if (p == std::string::npos) return "unclosed <?";
      p += 2;
      continue;
    }
    if (s.compare(p, 4, "<!--") == 0) {
      p = s.find("-->", p);
      if (p == std::string::npos) return "unclosed comment";
      p += 3;
      continue;
    }
    const bool closing = s.compare(p, 2, "</") == 0;
    size_t q = p + (closing ? 2 : 1);
    const size_t name_start = q;
    while (q < s.size() && (std::isalnum(static_cast<unsigned char>(s[q])) || s[q] == '-' ||
                            s[q] == ':' || s[q] == '_'))
      ++q;
    const std::string name = s.substr(name_start, q - name_start);
    if (name.empty()) return "tag without name at " + std::to_string(p);
    // Attributes: name="value".
    for (;;) {
      while (q < s.size() && std::isspace(static_cast<unsigned char>(s[q]))) ++q;
      if (q >= s.size()) return "unclosed tag " + name;
      if (s[q] == '>' || s.compare(q, 2, "/>") == 0) break;
      if (closing) return "attribute in closing tag " + name;
      const size_t a = q;
      while (q < s.size() && (std::isalnum(static_cast<unsigned char>(s[q])) || s[q] == '-' ||
                              s[q] == ':' || s[q] == '_'))
        ++q;
      if (q == a || q >= s.size() || s[q] != '=') return "bad attribute in " + name;
      ++q;
      if (q >= s.size() || (s[q] != '"' && s[q] != '\'')) return "unquoted attribute in " + name;
      const char quote = s[q];
      const size_t end = s.find(quote, q + 1);
      if (end == std::string::npos) return "unclosed attribute in " + name;
      for (size_t k = q + 1; k < end; ++k) {
        if (s[k] == '<') return "'<' in an attribute of " + name;
        if (s[k] == '&' && !entity_ok(k)) return "bad entity in an attribute of " + name;
      }
      q = end + 1;
    }
    const bool empty = s[q] == '/';
    p = q + (empty ? 2 : 1);
    if (closing) {
      if (open.empty() || open.back() != name) return "mismatched </" + name + ">";
      open.pop_back();
    } else {
      if (open.empty()) ++roots;
      if (!empty) open.push_back(name);
    }
  }
  if (!open.empty()) return "unclosed <" + open.back() + ">";
  if (roots != 1) return "expected one root element, found " + std::to_string(roots);
  return {};
}

size_t markers(const std::string& svg, const std::string& cls) {
  return count_of(svg, "class=\"" + cls + "\"");
}

// The test scenario with the integrity codes a finished compile stores.
stato_compilazione stamped_state() {
  stato_compilazione s = sample_state();
  s.tabella_sim[riga_linea].orario = codice_gara_st(s);
  s.percorso[1].dato2 = static_cast<int16_t>(codice_gara_og(s));
  return s;
}

// The height the page gives itself.
double svg_height(const std::string& svg) {
  const size_t p = svg.find("height=\"");
  return p == std::string::npos ? -1 : std::atof(svg.c_str() + p + 8);
}

// The posts written beside signals on the plan, and those listed under it.
std::vector<std::string> listed_signal_posts(const std::string& svg) {
  std::vector<std::string> out;
  for (size_t p = svg.find("class=\"label-signal\""); p != std::string::npos;
       p = svg.find("class=\"label-signal\"", p + 1)) {
    const size_t a = svg.find('>', p) + 1;
    out.push_back(svg.substr(a, svg.find('<', a) - a));
  }
  const std::string list_head = "Signals at posts (no room on the plan): ";
  size_t p = svg.find(list_head);
  if (p == std::string::npos) return out;
  p += list_head.size();
  // The list runs over lines of text until a text ends without a comma.
  for (;;) {
    const size_t end = svg.find('<', p);
    std::string line = svg.substr(p, end - p);
    size_t q = 0;
    while (q < line.size()) {
      const size_t v = line.find(", ", q);
      const std::string piece = line.substr(q, v == std::string::npos ? std::string::npos : v - q);
      if (!piece.empty() && piece != ",") out.push_back(piece.back() == ',' ? piece.substr(0, piece.size() - 1) : piece);
      if (v == std::string::npos) break;
      q = v + 2;
    }
    if (line.empty() || line.back() != ' ') break;
    p = svg.find("class=\"legend\"", end);
    if (p == std::string::npos) break;
    p = svg.find('>', p) + 1;
  }
  return out;
}

class PlotTest : public ::testing::Test {
 protected:
  void SetUp() override { write_binaries(dir.path(), stamped_state()); }
  ProcessResult plot(const std::string& out, std::vector<std::string> extra = {}) const {
    std::vector<std::string> args = {"plot", "--dir", dir.path(), "--line", kSampleLine,
                                     "--train", kSampleTrain, "--out", out};
    args.insert(args.end(), extra.begin(), extra.end());
    return run_program("scenario-tool", args);
  }
  TempDir dir;
};

TEST_F(PlotTest, DrawsOneMarkerPerObjectWithItsLabel) {
  const std::string out = dir.file("route.svg");
  const auto r = plot(out);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const std::string svg = read_file(out);
  EXPECT_EQ(xml_fault(svg), "");
  EXPECT_EQ(markers(svg, "station"), 3u);
  EXPECT_EQ(markers(svg, "signal"), 3u);
  EXPECT_EQ(markers(svg, "tunnel"), 2u);
  EXPECT_EQ(markers(svg, "slowdown"), 1u);
  // Every station name is written, escaped, and the tunnel takes its board's name.
  EXPECT_EQ(markers(svg, "label-station"), 3u);
  for (const char* name : {">BORGO PROVA<", ">MONTE &lt;&amp;&gt; PROVA<", ">FINE PROVA<",
                           ">ROVELLO<", ">slow-down 40 km/h, 300 m<"}) {
    EXPECT_NE(svg.find(name), std::string::npos) << name;
  }
  // Kilometre posts: the zone counting down from 12 km, then the one from 6 km.
  EXPECT_NE(svg.find(">12+000<"), std::string::npos);
  EXPECT_NE(svg.find(">0+000<"), std::string::npos);
}

// Every kind of object an author or the derivation places has its marker.
TEST_F(PlotTest, DrawsEveryKindOfObject) {
  stato_compilazione s = stamped_state();
  auto put = [&](int c, uint8_t code, int16_t d1) {
    s.percorso[static_cast<size_t>(c)].tipo = code;
    s.percorso[static_cast<size_t>(c)].dato1 = d1;
  };
  put(61, 14, 79);
  s.tabella_sim[79].testo = "(P.L.)(km 3+000)";
  put(71, 6, 1800);
  put(80, 12, 60);
  put(81, 13, 0);
  put(140, 12, 180);
  put(126, 4, 40);
  put(125, 5, 1);
  s.percorso[99].avvicinamento = 81;
  write_binaries(dir.path(), s);
  const auto r = plot(dir.file("all.svg"));
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string svg = read_file(dir.file("all.svg"));
  EXPECT_EQ(xml_fault(svg), "");
  const struct {
    const char* cls;
    size_t n;
  } cases[] = {{"text-board", 2},   {"speed-indicator", 1}, {"abbattimento", 2}, {"derived-board", 1},
               {"warning-board", 1}, {"advance-mark", 1},    {"approach-mark", 1}};
  for (const auto& c : cases) EXPECT_EQ(markers(svg, c.cls), c.n) << c.cls;
  EXPECT_NE(svg.find(">P.L. km 3+000<"), std::string::npos);
}

// Each signal's post is written beside it or, where there is no room, in the
// list under the plan: never lost.
TEST(PlotEmbedded, EverySignalPostWrittenOrListed) {
  TempDir dir;
  PosixFileSystem fs;
  std::ostringstream err;
  ASSERT_EQ(esegui(fs, dir.path(), err), 0) << err.str();
  const auto r = run_program("scenario-tool",
                             {"plot", "--dir", dir.path(), "--line", nome_linea_incorporata,
                              "--train", nome_treno_incorporato, "--out", dir.file("route.svg")});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string svg = read_file(dir.file("route.svg"));
  const auto posts = listed_signal_posts(svg);
  EXPECT_EQ(posts.size(), 43u);
  for (const auto& p : posts) EXPECT_NE(p.find('+'), std::string::npos) << p;
  // The profiles carry the station names too.
  EXPECT_EQ(markers(svg, "profile-station") , 34u);
  // The gradient has its unit, the run-off its length.
  EXPECT_NE(svg.find("Gradient (\u2030"), std::string::npos);
  EXPECT_NE(svg.find("the first 1.5 km of 7.0 km of run-off"), std::string::npos);
}

TEST_F(PlotTest, DrawsAStretch) {
  const struct {
    std::vector<std::string> extra;
    int status;
    size_t stations;
  } cases[] = {
      {{"--from", "4", "--to", "6"}, 0, 1},
      {{"--from", "11+500", "--to", "8+000"}, 0, 1},  // posts counting down: 500 m to 4,000 m
      {{"--from", "6.5"}, 0, 1},
      {{"--from", "6", "--to", "4"}, 64, 0},
      {{"--from", "40"}, 64, 0},
      {{"--to", "x"}, 64, 0},
  };
  for (const auto& c : cases) {
    std::remove(dir.file("s.svg").c_str());
    const auto r = plot(dir.file("s.svg"), c.extra);
    ASSERT_EQ(r.status, c.status) << c.extra[0] << " " << c.extra[1] << ": " << r.err;
    if (c.status != 0) continue;
    const std::string svg = read_file(dir.file("s.svg"));
    EXPECT_EQ(xml_fault(svg), "");
    EXPECT_EQ(markers(svg, "station"), c.stations) << c.extra[0] << " " << c.extra[1];
    EXPECT_NE(svg.find(", drawn from "), std::string::npos);
  }
}

// A route from a faulty compile says so on the page and on standard error.
TEST_F(PlotTest, WarnsOfFaultyFiles) {
  stato_compilazione s = stamped_state();
  for (int r = 1; r <= 3; ++r) s.tabella_sim[static_cast<size_t>(r)] = record_sim{};
  s.percorso[1].dato1 = 0;  // no stamp either
  write_binaries(dir.path(), s);
  const auto r = plot(dir.file("f.svg"));
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string svg = read_file(dir.file("f.svg"));
  EXPECT_EQ(xml_fault(svg), "");
  for (const char* code : {"[no-stations]", "[no-stamps]"}) {
    EXPECT_NE(svg.find(code), std::string::npos) << code;
    EXPECT_NE(r.err.find(code), std::string::npos) << code;
  }
  EXPECT_EQ(markers(svg, "banner"), 2u);
}

TEST_F(PlotTest, MatchesGoldenDrawing) {
  const auto r = plot(dir.file("small.svg"));
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string svg = read_file(dir.file("small.svg"));
  const std::string golden = std::string(SCENARIO_SOURCE_DIR) + "/tests/golden/plot/small.svg";
  if (const char* again = std::getenv("SCENARIO_UPDATE_GOLDEN"); again && *again) {
    write_file(golden, svg);
    GTEST_SKIP() << "wrote " << golden;
  }
  ASSERT_TRUE(file_exists(golden)) << golden << " is missing: run with SCENARIO_UPDATE_GOLDEN=1";
  EXPECT_TRUE(svg == read_file(golden))
      << "the drawing differs from " << golden
      << "; if the change is meant, regenerate it with SCENARIO_UPDATE_GOLDEN=1 and look at it";
}

// Plans that a compile does not make, or that are damaged, still give a
// well-formed page with no number that is not finite.
TEST_F(PlotTest, OddPlansStillDraw) {
  const struct {
    const char* name;
    void (*change)(matrice_punti&);
  } cases[] = {
      {"straight", [](matrice_punti& m) {
         for (int32_t i = 2; i <= m.ultimo() - 2; ++i) m.imposta_doppio(i, 0, i);
       }},
      {"not finite", [](matrice_punti& m) {
         m.imposta_doppio(5000, std::nan(""), 1.0);
         m.imposta_doppio(m.ultimo() - 2, HUGE_VAL, -HUGE_VAL);
       }},
      {"empty", [](matrice_punti& m) { m.dimensiona(m.ultimo()); }},
  };
  for (const auto& c : cases) {
    stato_compilazione s = sample_state();
    c.change(s.matrice_linea);
    write_binaries(dir.path(), s);
    const auto r = plot(dir.file("odd.svg"));
    ASSERT_EQ(r.status, 0) << c.name << ": " << r.err;
    const std::string svg = read_file(dir.file("odd.svg"));
    EXPECT_EQ(xml_fault(svg), "") << c.name;
    EXPECT_EQ(svg.find("nan"), std::string::npos) << c.name;
    EXPECT_EQ(svg.find("inf"), std::string::npos) << c.name;
    EXPECT_EQ(markers(svg, "station"), 3u) << c.name;
  }
}

// The frame takes the route's shape: a straight route gets a low one, a
// winding one a tall one.
TEST(PlotEmbedded, FrameFollowsTheRoutesShape) {
  TempDir dir;
  stato_compilazione s = sample_state();
  for (int32_t i = 2; i <= s.matrice_linea.ultimo() - 2; ++i) s.matrice_linea.imposta_doppio(i, 0, i);
  write_binaries(dir.path(), s);
  auto height_of = [&](const std::string& out) {
    const auto r = run_program("scenario-tool", {"plot", "--dir", dir.path(), "--line", kSampleLine,
                                                 "--train", kSampleTrain, "--out", out});
    EXPECT_EQ(r.status, 0) << r.err;
    return svg_height(read_file(out));
  };
  const double straight = height_of(dir.file("straight.svg"));
  // A route that doubles back: the plan is as tall as it is wide.
  for (int32_t i = 2; i <= s.matrice_linea.ultimo() - 2; ++i) {
    const double a = i * 3.14159265 / 10000;
    s.matrice_linea.imposta_doppio(i, 3000 * (1 - std::cos(a)), 3000 * std::sin(a));
  }
  write_binaries(dir.path(), s);
  const double bent = height_of(dir.file("bend.svg"));
  EXPECT_GT(bent, straight + 300);
}

TEST_F(PlotTest, RefusesFilesThatDoNotBelongTogether) {
  const std::string dat = dir.file(nomi::dat(kSampleLine, kSampleTrain));
  const std::string plan_file = dir.file(nomi::linea_dat(kSampleLine));
  stato_compilazione other = sample_state();
  dimensiona(other, 20000);
  const std::string good_dat = read_file(dat), good_plan = read_file(plan_file);

  write_file(dat, scrivi_percorso(other));
  auto r = plot(dir.file("a.svg"));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err.rfind(dat + ": holds 541 cells", 0), 0u) << r.err;
  EXPECT_FALSE(file_exists(dir.file("a.svg")));

  write_file(dat, good_dat);
  write_file(plan_file, good_plan.substr(0, good_plan.size() - 2));
  r = plot(dir.file("a.svg"));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err.rfind(plan_file + ": byte ", 0), 0u) << r.err;

  std::remove(plan_file.c_str());
  r = plot(dir.file("a.svg"));
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.err.rfind(plan_file + ": ", 0), 0u) << r.err;
}

TEST_F(PlotTest, BadUsageAndUnwritableOutput) {
  auto r = run_program("scenario-tool", {"plot", "--dir", dir.path(), "--line", kSampleLine,
                                         "--train", kSampleTrain});
  EXPECT_EQ(r.status, 64);
  EXPECT_NE(r.err.find("--out is required"), std::string::npos);
  r = run_program("scenario-tool", {"plot", "--dir"});
  EXPECT_EQ(r.status, 64);
  EXPECT_NE(r.err.find("--dir needs a value"), std::string::npos);
  r = run_program("scenario-tool", {"plot", "--help"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("usage: scenario-tool plot"), std::string::npos);

  const std::string out = dir.file("no such folder/route.svg");
  r = plot(out);
  EXPECT_EQ(r.status, 3);
  EXPECT_NE(r.err.find(dir.file("no such folder/route.svg")), std::string::npos) << r.err;
}

// The embedded scenario: every station and signal gets its marker, and every
// station its name.
TEST(PlotEmbedded, MarksEveryStationAndSignal) {
  TempDir dir;
  PosixFileSystem fs;
  std::ostringstream err;
  ASSERT_EQ(esegui(fs, dir.path(), err), 0) << err.str();
  const auto r = run_program("scenario-tool",
                             {"plot", "--dir", dir.path(), "--line", nome_linea_incorporata,
                              "--train", nome_treno_incorporato, "--out", dir.file("route.svg")});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string svg = read_file(dir.file("route.svg"));
  EXPECT_EQ(xml_fault(svg), "");
  EXPECT_EQ(markers(svg, "station"), 34u);
  EXPECT_EQ(markers(svg, "signal"), 43u);
  EXPECT_EQ(markers(svg, "tunnel"), 58u);
  EXPECT_EQ(markers(svg, "slowdown"), 1u);
  EXPECT_EQ(markers(svg, "label-station"), 34u);
  EXPECT_NE(svg.find(">BORGO VARNELLO<"), std::string::npos);
  EXPECT_NE(svg.find(">CALMEA<"), std::string::npos);
}

}  // namespace
}  // namespace scenario::testing
