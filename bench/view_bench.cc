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
double pronta_in(const std::string& chromium, const std::string& profilo, const std::string& html) {
  const std::string out = profilo + ".dom";
  const std::string cmd = "timeout 120 '" + chromium +
                          "' --headless --no-sandbox --disable-gpu --disable-quic --no-first-run "
                          "--disable-background-networking --disable-component-update --disable-sync "
                          "--window-size=1500,950 --user-data-dir='" + profilo + "' --dump-dom 'file://" +
                          html + "#report' > '" + out + "' 2>/dev/null";
  if (std::system(cmd.c_str()) != 0) return -1;
  std::ifstream in(out);
  std::string riga;
  while (std::getline(in, riga)) {
    const size_t p = riga.find("ready-ms: ");
    if (p != std::string::npos) return std::atof(riga.c_str() + p + 10);
  }
  return -1;
}

double mediana(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? -1 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int prove = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  const char* e = std::getenv("SCENARIO_CHROMIUM");
  const std::string chromium = e && *e ? e : "/usr/bin/chromium";

  bench::cartella_temporanea dir;
  PosixFileSystem fs;
  const auto g = bench::scenario_di(1000);
  bench::scrivi_sorgenti(fs, dir.percorso(), g);
  stato_compilazione s = bench::stato_nuovo();
  memorizza_percorso(s, con_matrice_linea, fs, bench::opzioni_in(dir.percorso()));

  const auto t0 = std::chrono::steady_clock::now();
  disegno::scenario_letto letto;
  if (auto r = disegno::carica_binari(fs, dir.percorso(), s.nome_linea, s.nome_treno, &letto)) {
    std::fprintf(stderr, "%s\n", r->messaggio.c_str());
    return 1;
  }
  disegno::opzioni_vista o;
  o.titolo = "view bench";
  const std::string dati = disegno::dati_vista(letto, o);
  const std::string pagina = disegno::pagina_vista(dati, o.titolo);
  const double costruzione =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();

  const std::string html = dir.percorso() + "/view.html", pavimento = dir.percorso() + "/floor.html";
  std::ofstream(html) << pagina;
  std::ofstream(pavimento)
      << "<!DOCTYPE html><html><body><pre id=\"test-report\"></pre>"
         "<script id=\"data\" type=\"application/json\">"
      << dati
      << "</script><script>var d = JSON.parse(document.getElementById('data').textContent);"
         "document.getElementById('test-report').textContent = 'objects ' + d.objects.length +"
         "'\\nready-ms: ' + Math.round(performance.now()) + '\\nend';</script></body></html>";

  std::vector<double> vista, base;
  for (int i = 0; i < prove; ++i) {
    vista.push_back(pronta_in(chromium, dir.percorso() + "/pv" + std::to_string(i), html));
    base.push_back(pronta_in(chromium, dir.percorso() + "/pf" + std::to_string(i), pavimento));
  }
  const double v = mediana(vista), b = mediana(base);
  std::printf("1,000,000 m route: page %.1f MB built in %.0f ms; ready in %.0f ms (median of %d), "
              "floor (same data, parse only) %.0f ms; ratio %.2f\n",
              static_cast<double>(pagina.size()) / 1e6, costruzione, v, prove, b, b > 0 ? v / b : 0.0);
  return v < 0 || b < 0 ? 1 : 0;
}
