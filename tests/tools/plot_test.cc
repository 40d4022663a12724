// scenario-tool plot, run as a program: a well-formed SVG page with one
// marker per station, signal, tunnel and slow-down, and clear refusals.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

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

class PlotTest : public ::testing::Test {
 protected:
  void SetUp() override { scrivi_binari(dir.path(), stato_di_prova()); }
  ProcessResult plot(const std::string& out) const {
    return run_program("scenario-tool", {"plot", "--dir", dir.path(), "--line", kLineaProva,
                                         "--train", kTrenoProva, "--out", out});
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
    stato_compilazione s = stato_di_prova();
    c.change(s.matrice_linea);
    scrivi_binari(dir.path(), s);
    const auto r = plot(dir.file("odd.svg"));
    ASSERT_EQ(r.status, 0) << c.name << ": " << r.err;
    const std::string svg = read_file(dir.file("odd.svg"));
    EXPECT_EQ(xml_fault(svg), "") << c.name;
    EXPECT_EQ(svg.find("nan"), std::string::npos) << c.name;
    EXPECT_EQ(svg.find("inf"), std::string::npos) << c.name;
    EXPECT_EQ(markers(svg, "station"), 3u) << c.name;
  }
}

TEST_F(PlotTest, RefusesFilesThatDoNotBelongTogether) {
  const std::string dat = dir.file(nomi::dat(kLineaProva, kTrenoProva));
  const std::string linea = dir.file(nomi::linea_dat(kLineaProva));
  stato_compilazione other = stato_di_prova();
  dimensiona(other, 20000);
  const std::string good_dat = read_file(dat), good_linea = read_file(linea);

  write_file(dat, scrivi_percorso(other));
  auto r = plot(dir.file("a.svg"));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err.rfind(dat + ": holds 541 cells", 0), 0u) << r.err;
  EXPECT_FALSE(file_exists(dir.file("a.svg")));

  write_file(dat, good_dat);
  write_file(linea, good_linea.substr(0, good_linea.size() - 2));
  r = plot(dir.file("a.svg"));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err.rfind(linea + ": byte ", 0), 0u) << r.err;

  std::remove(linea.c_str());
  r = plot(dir.file("a.svg"));
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.err.rfind(linea + ": ", 0), 0u) << r.err;
}

TEST_F(PlotTest, BadUsageAndUnwritableOutput) {
  auto r = run_program("scenario-tool", {"plot", "--dir", dir.path(), "--line", kLineaProva,
                                         "--train", kTrenoProva});
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
