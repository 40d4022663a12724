// The viewer's page in a real browser (headless Chromium): it gets ready
// without a script error, holds every station and signal, shows the objects
// of a kilometre window asked for through the page's own function, and
// draws something. On the embedded scenario and on a 1,000,000 m route.
//
// The screenshots are kept in $SCENARIO_SCREENSHOT_DIR when it is set, to be
// looked at.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "model/binary_reader.h"
#include "model/file_names.h"
#include "platform/file_system.h"
#include "run/run.h"
#include "support/scenario_generator.h"
#include "support/test_support.h"
#include "tools/view_support.h"

namespace scenario::testing {
namespace {

// What the page reports under "#report": one fact a line.
struct page_report {
  bool ready = false;
  bool complete = false;
  std::vector<std::string> errors, stations;
  int signals = -1;
  int64_t from = -1, to = -1;
  std::string scale;  // the plan's scale bar
  struct band {
    std::string title;
    int top = 0, bottom = 0;
  };
  std::vector<band> bands;  // the charts, top to bottom
  int plan_height = -1, charts_height = -1;
  int labels = -1, labels_under_text = -1;  // the plan's labels, and those under the window's text
  std::set<std::string> visible;  // "kind|name|metres"
  std::map<std::string, std::string> readouts;  // kind -> read-out of its first object
};

std::string without_entities(std::string s) {
  const std::pair<const char*, const char*> entities[] = {{"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&amp;", "&"}};
  for (const auto& [entity, c] : entities) {
    for (size_t p = s.find(entity); p != std::string::npos; p = s.find(entity, p + 1)) s.replace(p, std::string(entity).size(), c);
  }
  return s;
}

page_report read_report(const std::string& dom) {
  page_report r;
  const size_t html = dom.find("<html");
  r.ready = html != std::string::npos && dom.find("data-ready=\"1\"", html) < dom.find('>', html);
  const size_t p = dom.find("<pre id=\"test-report\"");
  if (p == std::string::npos) return r;
  const size_t a = dom.find('>', p) + 1, b = dom.find("</pre>", a);
  std::istringstream in(without_entities(dom.substr(a, b - a)));
  std::string line;
  while (std::getline(in, line)) {
    auto after = [&](const char* prefix) -> std::optional<std::string> {
      const std::string pr = prefix;
      if (line.compare(0, pr.size(), pr) != 0) return std::nullopt;
      return line.substr(pr.size());
    };
    if (auto v = after("error: ")) r.errors.push_back(*v);
    else if (auto v = after("station: ")) r.stations.push_back(*v);
    else if (auto v = after("signals: ")) r.signals = std::atoi(v->c_str());
    else if (auto v = after("window: ")) std::istringstream(*v) >> r.from >> r.to;
    else if (auto v = after("scale: ")) r.scale = *v;
    else if (auto v = after("canvases: ")) std::istringstream(*v) >> r.plan_height >> r.charts_height;
    else if (auto v = after("labels: ")) std::istringstream(*v) >> r.labels >> r.labels_under_text;
    else if (auto v = after("band: ")) {
      const size_t a = v->find('|'), b = v->find('|', a + 1);
      r.bands.push_back({v->substr(0, a), std::atoi(v->c_str() + a + 1), std::atoi(v->c_str() + b + 1)});
    }
    else if (auto v = after("visible: ")) r.visible.insert(*v);
    else if (auto v = after("readout: ")) r.readouts[v->substr(0, v->find('|'))] = v->substr(v->find('|') + 1);
    else if (line == "end") r.complete = true;
  }
  return r;
}

// 1234567 as "1,234,567".
std::string with_commas(int64_t n) {
  std::string s = std::to_string(n);
  for (int i = static_cast<int>(s.size()) - 3; i > (s[0] == '-' ? 1 : 0); i -= 3) s.insert(static_cast<size_t>(i), ",");
  return s;
}

struct expected_objects {
  std::vector<std::pair<std::string, int32_t>> stations;  // name, position
  std::vector<int32_t> signals;                           // positions
};

// Stations and signals as the binary files hold them: station rows carry a
// kind or a position; a signal at x stands in cell x / 50 + 1.
expected_objects from_binaries(const std::string& dir, const std::string& line_name, const std::string& train_name) {
  std::array<record_sim, righe_tabella_sim> t{};
  std::vector<cella> cells;
  EXPECT_FALSE(leggi_tabella_sim(read_file(dir + "/" + nomi::sim(line_name, train_name)), &t));
  EXPECT_FALSE(leggi_percorso(read_file(dir + "/" + nomi::dat(line_name, train_name)), &cells));
  expected_objects a;
  for (int r = 1; r < 80; ++r) {
    const auto& x = t[static_cast<size_t>(r)];
    if (x.tipo == 0 && x.progressiva == 0) break;
    std::string name = x.testo;
    name.erase(0, name.find_first_not_of(' '));
    name.erase(name.find_last_not_of(' ') + 1);
    a.stations.push_back({name, x.progressiva});
  }
  for (size_t c = 0; c < cells.size(); ++c) {
    if (cells[c].tipo == 1) a.signals.push_back(static_cast<int32_t>(50 * (static_cast<int64_t>(c) - 1)));
  }
  return a;
}

class ViewBrowser : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(chromium().empty())
        << "headless Chromium is needed for this test and was not found: install Debian's "
           "chromium (.ci/run does) or name one in SCENARIO_CHROMIUM";
  }

  // Writes the page of the scenario in `dir`; returns its path.
  std::string write_page(const std::string& dir, const std::string& line_name, const std::string& train_name) {
    const std::string out = dir + "/view.html";
    const auto r = run_program("scenario-tool", {"view", "--dir", dir, "--line", line_name, "--train",
                                                 train_name, "--out", out});
    EXPECT_EQ(r.status, 0) << r.err;
    return out;
  }

  page_report open_page(const std::string& html, const std::string& window,
                        const std::string& window_size = "1500,950") {
    const auto r = offline_chromium(profile.file("p" + std::to_string(++openings)), {"--dump-dom"},
                                    "file://" + html + "#view=" + window + "&report", window_size);
    EXPECT_EQ(r.status, 0) << r.err;
    return read_report(r.out);
  }

  // A screenshot of the page at a window; its size against a blank page's.
  void screenshot(const std::string& html, const std::string& window, const std::string& name) {
    const char* keep = std::getenv("SCENARIO_SCREENSHOT_DIR");
    const std::string png = (keep && *keep ? std::string(keep) : profile.path()) + "/" + name + ".png";
    const auto r = offline_chromium(profile.file("p" + std::to_string(++openings)),
                                    {"--screenshot=" + png}, "file://" + html + "#view=" + window);
    ASSERT_EQ(r.status, 0) << r.err;
    if (blank_size == 0) {
      const std::string blank_png = profile.file("blank.png");
      offline_chromium(profile.file("p" + std::to_string(++openings)), {"--screenshot=" + blank_png},
                       "about:blank");
      blank_size = read_file(blank_png).size();
    }
    // A blank page of this size compresses to a few kilobytes; a drawn one
    // holds lines and text all over.
    EXPECT_GT(read_file(png).size(), 8 * std::max<size_t>(blank_size, 1000)) << name;
  }

  void check_page(const std::string& dir, const std::string& line_name, const std::string& train_name,
                  int64_t from, int64_t to, const std::string& name) {
    const expected_objects expected = from_binaries(dir, line_name, train_name);
    ASSERT_FALSE(expected.stations.empty());
    const std::string html = write_page(dir, line_name, train_name);
    const page_report r = open_page(html, std::to_string(from / 1000.0) + "," + std::to_string(to / 1000.0));
    ASSERT_TRUE(r.complete) << "the page wrote no report";
    EXPECT_TRUE(r.ready) << "the page set no ready mark";
    EXPECT_TRUE(r.errors.empty()) << r.errors.front();
    std::vector<std::string> names;
    for (const auto& [n, p] : expected.stations) names.push_back(n);
    EXPECT_EQ(r.stations, names);
    EXPECT_EQ(r.signals, static_cast<int>(expected.signals.size()));
    EXPECT_EQ(r.from, from);
    EXPECT_EQ(r.to, to);
    // Exactly the stations and signals of the window are visible.
    std::set<std::string> expected_visible, seen;
    for (const auto& [n, p] : expected.stations) {
      if (p >= from && p <= to) expected_visible.insert("station|" + n + "|" + std::to_string(p));
    }
    for (int32_t p : expected.signals) {
      if (p >= from && p <= to) expected_visible.insert("signal||" + std::to_string(p));
    }
    for (const auto& v : r.visible) {
      if (v.rfind("station|", 0) == 0 || v.rfind("signal|", 0) == 0) seen.insert(v);
    }
    EXPECT_FALSE(expected_visible.empty());
    EXPECT_EQ(seen, expected_visible);
    // Hovering the first station reads out its name, place, post and times.
    auto readout = [&](const std::string& kind) {
      const auto it = r.readouts.find(kind);
      return it == r.readouts.end() ? std::string() : it->second;
    };
    const std::string first_station = readout("station");
    EXPECT_NE(first_station.find("station " + expected.stations.front().first), std::string::npos) << first_station;
    EXPECT_NE(first_station.find(with_commas(expected.stations.front().second) + " m, post "), std::string::npos) << first_station;
    EXPECT_NE(first_station.find("time"), std::string::npos) << first_station;
    // Boards of the derivation rules say so.
    EXPECT_NE(readout("derived-board").find("(derived)"), std::string::npos) << readout("derived-board");
    screenshot(html, "0," + std::to_string(expected.stations.back().second / 1000 + 1), name + "-whole");
    screenshot(html, std::to_string(from / 1000.0) + "," + std::to_string(to / 1000.0), name + "-window");
    screenshot(html, std::to_string(from / 1000.0) + "," + std::to_string(from / 1000.0 + 1.5), name + "-close");
  }

  TempDir profile;
  int openings = 0;
  size_t blank_size = 0;
};

TEST_F(ViewBrowser, EmbeddedScenario) {
  TempDir dir;
  PosixFileSystem fs;
  std::ostringstream err;
  ASSERT_EQ(esegui(fs, dir.path(), err), 0) << err.str();
  check_page(dir.path(), nome_linea_incorporata, nome_treno_incorporato, 20000, 35000, "embedded");
}

// In a window too low for the plan and the charts, the page scrolls: the
// plan keeps a scale (it read "NaN m") and the charts keep their bands
// apart (they were drawn over one another).
TEST_F(ViewBrowser, LowWindowScrollsInsteadOfSqueezing) {
  TempDir dir;
  PosixFileSystem fs;
  std::ostringstream err;
  ASSERT_EQ(esegui(fs, dir.path(), err), 0) << err.str();
  const std::string html = write_page(dir.path(), nome_linea_incorporata, nome_treno_incorporato);
  for (const char* window_size : {"1200,300", "800,500"}) {
    SCOPED_TRACE(window_size);
    const page_report r = open_page(html, "0,90", window_size);
    ASSERT_TRUE(r.complete) << "the page wrote no report";
    EXPECT_TRUE(r.errors.empty()) << r.errors.front();
    const size_t space = r.scale.find(' ');
    ASSERT_NE(space, std::string::npos) << r.scale;
    EXPECT_GT(std::atof(r.scale.c_str()), 0) << r.scale;
    EXPECT_TRUE(r.scale.substr(space) == " m" || r.scale.substr(space) == " km") << r.scale;
    EXPECT_GE(r.plan_height, 150);
    ASSERT_EQ(r.bands.size(), 3u);
    for (size_t i = 0; i < r.bands.size(); ++i) {
      EXPECT_GE(r.bands[i].bottom - r.bands[i].top, 24) << r.bands[i].title;
      if (i > 0) {
        EXPECT_GT(r.bands[i].top, r.bands[i - 1].bottom) << r.bands[i].title;
      }
    }
    EXPECT_LE(r.bands.back().bottom, r.charts_height);
    // The station names near the top keep clear of the window's text.
    EXPECT_GT(r.labels, 5);
    EXPECT_EQ(r.labels_under_text, 0);
  }
}

TEST_F(ViewBrowser, MillionMetreRoute) {
  TempDir dir;
  const RandomScenario g = generate_long_route(1);
  write_file(dir.file(nomi::linea_txt("Lunga")), g.linea);
  write_file(dir.file(nomi::treno_txt("Lunga", "T 1")), g.treno);
  const auto c = run_program("scenario-tool", {"compile", "--dir", dir.path(), "--line", "Lunga",
                                               "--train", "T 1"});
  ASSERT_EQ(c.status, 0) << c.err;
  check_page(dir.path(), "Lunga", "T 1", 500000, 530000, "long");
}

}  // namespace
}  // namespace scenario::testing
