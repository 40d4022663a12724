// The viewer's page of a 1,000,000 m route: how long the page takes, from
// the start of its loading to its first drawing, in headless Chromium,
// against a floor page that holds the same data and only parses it. Also
// the time to build the page and its size.
//
// usage: scenario_view_bench [RUNS]   (Chromium from $SCENARIO_CHROMIUM or
// /usr/bin/chromium)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "drawing/scenario_data.h"
#include "drawing/view_data.h"
#include "support.h"

namespace {

using namespace scenario;

// Milliseconds the page reports as "ready-ms: N" in its #report, or -1.
double ready_ms(const std::string& chromium, const std::string& profile, const std::string& html) {
  const std::string out = profile + ".dom";
  const std::string cmd = "timeout 120 '" + chromium +
                          "' --headless --no-sandbox --disable-gpu --disable-quic --no-first-run "
                          "--disable-background-networking --disable-component-update --disable-sync "
                          "--window-size=1500,950 --user-data-dir='" + profile + "' --dump-dom 'file://" +
                          html + "#report' > '" + out + "' 2>/dev/null";
  if (std::system(cmd.c_str()) != 0) return -1;
  std::ifstream in(out);
  std::string line;
  while (std::getline(in, line)) {
    const size_t p = line.find("ready-ms: ");
    if (p != std::string::npos) return std::atof(line.c_str() + p + 10);
  }
  return -1;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? -1 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  const char* e = std::getenv("SCENARIO_CHROMIUM");
  const std::string chromium = e && *e ? e : "/usr/bin/chromium";

  bench::temp_folder dir;
  PosixFileSystem fs;
  const auto g = bench::make_scenario(1000);
  bench::write_sources(fs, dir.path(), g);
  stato_compilazione s = bench::fresh_state();
  memorizza_percorso(s, con_matrice_linea, fs, bench::options_in(dir.path()));

  const auto t0 = std::chrono::steady_clock::now();
  drawing::loaded_scenario loaded;
  if (auto r = drawing::load_binaries(fs, dir.path(), s.nome_linea, s.nome_treno, &loaded)) {
    std::fprintf(stderr, "%s\n", r->message.c_str());
    return 1;
  }
  drawing::view_options o;
  o.title = "view bench";
  const std::string data = drawing::view_data(loaded, o);
  const std::string page = drawing::view_page_html(data, o.title);
  const double build_ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();

  const std::string html = dir.path() + "/view.html", floor_html = dir.path() + "/floor.html";
  std::ofstream(html) << page;
  std::ofstream(floor_html)
      << "<!DOCTYPE html><html><body><pre id=\"test-report\"></pre>"
         "<script id=\"data\" type=\"application/json\">"
      << data
      << "</script><script>var d = JSON.parse(document.getElementById('data').textContent);"
         "document.getElementById('test-report').textContent = 'objects ' + d.objects.length +"
         "'\\nready-ms: ' + Math.round(performance.now()) + '\\nend';</script></body></html>";

  std::vector<double> view_ms, floor_ms;
  for (int i = 0; i < runs; ++i) {
    view_ms.push_back(ready_ms(chromium, dir.path() + "/pv" + std::to_string(i), html));
    floor_ms.push_back(ready_ms(chromium, dir.path() + "/pf" + std::to_string(i), floor_html));
  }
  const double v = median(view_ms), b = median(floor_ms);
  std::printf("1,000,000 m route: page %.1f MB built in %.0f ms; ready in %.0f ms (median of %d), "
              "floor (same data, parse only) %.0f ms; ratio %.2f\n",
              static_cast<double>(page.size()) / 1e6, build_ms, v, runs, b, b > 0 ? v / b : 0.0);
  return v < 0 || b < 0 ? 1 : 0;
}
