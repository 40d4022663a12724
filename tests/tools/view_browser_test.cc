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
struct rapporto {
  bool pronta = false;
  bool completo = false;
  std::vector<std::string> errori, stazioni;
  int segnali = -1;
  int64_t da = -1, a = -1;
  std::set<std::string> visibili;  // "kind|name|metres"
  std::map<std::string, std::string> letture;  // kind -> read-out of its first object
};

std::string senza_entita(std::string s) {
  const std::pair<const char*, const char*> entita[] = {{"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&amp;", "&"}};
  for (const auto& [da, a] : entita) {
    for (size_t p = s.find(da); p != std::string::npos; p = s.find(da, p + 1)) s.replace(p, std::string(da).size(), a);
  }
  return s;
}

rapporto leggi_rapporto(const std::string& dom) {
  rapporto r;
  const size_t html = dom.find("<html");
  r.pronta = html != std::string::npos && dom.find("data-ready=\"1\"", html) < dom.find('>', html);
  const size_t p = dom.find("<pre id=\"test-report\"");
  if (p == std::string::npos) return r;
  const size_t a = dom.find('>', p) + 1, b = dom.find("</pre>", a);
  std::istringstream in(senza_entita(dom.substr(a, b - a)));
  std::string riga;
  while (std::getline(in, riga)) {
    auto dopo = [&](const char* prefisso) -> std::optional<std::string> {
      const std::string pr = prefisso;
      if (riga.compare(0, pr.size(), pr) != 0) return std::nullopt;
      return riga.substr(pr.size());
    };
    if (auto v = dopo("error: ")) r.errori.push_back(*v);
    else if (auto v = dopo("station: ")) r.stazioni.push_back(*v);
    else if (auto v = dopo("signals: ")) r.segnali = std::atoi(v->c_str());
    else if (auto v = dopo("window: ")) std::istringstream(*v) >> r.da >> r.a;
    else if (auto v = dopo("visible: ")) r.visibili.insert(*v);
    else if (auto v = dopo("readout: ")) r.letture[v->substr(0, v->find('|'))] = v->substr(v->find('|') + 1);
    else if (riga == "end") r.completo = true;
  }
  return r;
}

// 1234567 as "1,234,567".
std::string con_virgole(int64_t n) {
  std::string s = std::to_string(n);
  for (int i = static_cast<int>(s.size()) - 3; i > (s[0] == '-' ? 1 : 0); i -= 3) s.insert(static_cast<size_t>(i), ",");
  return s;
}

struct atteso {
  std::vector<std::pair<std::string, int32_t>> stazioni;  // name, position
  std::vector<int32_t> segnali;                           // positions
};

// Stations and signals as the binary files hold them: station rows carry a
// kind or a position; a signal at x stands in cell x / 50 + 1.
atteso dai_binari(const std::string& dir, const std::string& linea, const std::string& treno) {
  std::array<record_sim, righe_tabella_sim> t{};
  std::vector<cella> celle;
  EXPECT_FALSE(leggi_tabella_sim(read_file(dir + "/" + nomi::sim(linea, treno)), &t));
  EXPECT_FALSE(leggi_percorso(read_file(dir + "/" + nomi::dat(linea, treno)), &celle));
  atteso a;
  for (int r = 1; r < 80; ++r) {
    const auto& x = t[static_cast<size_t>(r)];
    if (x.tipo == 0 && x.progressiva == 0) break;
    std::string nome = x.testo;
    nome.erase(0, nome.find_first_not_of(' '));
    nome.erase(nome.find_last_not_of(' ') + 1);
    a.stazioni.push_back({nome, x.progressiva});
  }
  for (size_t c = 0; c < celle.size(); ++c) {
    if (celle[c].tipo == 1) a.segnali.push_back(static_cast<int32_t>(50 * (static_cast<int64_t>(c) - 1)));
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
  std::string pagina(const std::string& dir, const std::string& linea, const std::string& treno) {
    const std::string out = dir + "/view.html";
    const auto r = run_program("scenario-tool", {"view", "--dir", dir, "--line", linea, "--train",
                                                 treno, "--out", out});
    EXPECT_EQ(r.status, 0) << r.err;
    return out;
  }

  rapporto apri(const std::string& html, const std::string& finestra) {
    const auto r = chromium_senza_rete(profilo.file("p" + std::to_string(++aperture)), {"--dump-dom"},
                                       "file://" + html + "#view=" + finestra + "&report");
    EXPECT_EQ(r.status, 0) << r.err;
    return leggi_rapporto(r.out);
  }

  // A screenshot of the page at a window; its size against a blank page's.
  void fotografa(const std::string& html, const std::string& finestra, const std::string& nome) {
    const char* keep = std::getenv("SCENARIO_SCREENSHOT_DIR");
    const std::string png = (keep && *keep ? std::string(keep) : profilo.path()) + "/" + nome + ".png";
    const auto r = chromium_senza_rete(profilo.file("p" + std::to_string(++aperture)),
                                       {"--screenshot=" + png}, "file://" + html + "#view=" + finestra);
    ASSERT_EQ(r.status, 0) << r.err;
    if (bianca == 0) {
      const std::string vuota = profilo.file("blank.png");
      chromium_senza_rete(profilo.file("p" + std::to_string(++aperture)), {"--screenshot=" + vuota},
                          "about:blank");
      bianca = read_file(vuota).size();
    }
    // A blank page of this size compresses to a few kilobytes; a drawn one
    // holds lines and text all over.
    EXPECT_GT(read_file(png).size(), 8 * std::max<size_t>(bianca, 1000)) << nome;
  }

  void controlla(const std::string& dir, const std::string& linea, const std::string& treno,
                 int64_t da, int64_t a, const std::string& nome) {
    const atteso att = dai_binari(dir, linea, treno);
    ASSERT_FALSE(att.stazioni.empty());
    const std::string html = pagina(dir, linea, treno);
    const rapporto r = apri(html, std::to_string(da / 1000.0) + "," + std::to_string(a / 1000.0));
    ASSERT_TRUE(r.completo) << "the page wrote no report";
    EXPECT_TRUE(r.pronta) << "the page set no ready mark";
    EXPECT_TRUE(r.errori.empty()) << r.errori.front();
    std::vector<std::string> nomi;
    for (const auto& [n, p] : att.stazioni) nomi.push_back(n);
    EXPECT_EQ(r.stazioni, nomi);
    EXPECT_EQ(r.segnali, static_cast<int>(att.segnali.size()));
    EXPECT_EQ(r.da, da);
    EXPECT_EQ(r.a, a);
    // Exactly the stations and signals of the window are visible.
    std::set<std::string> attesi, visti;
    for (const auto& [n, p] : att.stazioni) {
      if (p >= da && p <= a) attesi.insert("station|" + n + "|" + std::to_string(p));
    }
    for (int32_t p : att.segnali) {
      if (p >= da && p <= a) attesi.insert("signal||" + std::to_string(p));
    }
    for (const auto& v : r.visibili) {
      if (v.rfind("station|", 0) == 0 || v.rfind("signal|", 0) == 0) visti.insert(v);
    }
    EXPECT_FALSE(attesi.empty());
    EXPECT_EQ(visti, attesi);
    // Hovering the first station reads out its name, place, post and times.
    auto lettura = [&](const std::string& genere) {
      const auto it = r.letture.find(genere);
      return it == r.letture.end() ? std::string() : it->second;
    };
    const std::string prima = lettura("station");
    EXPECT_NE(prima.find("station " + att.stazioni.front().first), std::string::npos) << prima;
    EXPECT_NE(prima.find(con_virgole(att.stazioni.front().second) + " m, post "), std::string::npos) << prima;
    EXPECT_NE(prima.find("time"), std::string::npos) << prima;
    // Boards of the derivation rules say so.
    EXPECT_NE(lettura("derived-board").find("(derived)"), std::string::npos) << lettura("derived-board");
    fotografa(html, "0," + std::to_string(att.stazioni.back().second / 1000 + 1), nome + "-whole");
    fotografa(html, std::to_string(da / 1000.0) + "," + std::to_string(a / 1000.0), nome + "-window");
    fotografa(html, std::to_string(da / 1000.0) + "," + std::to_string(da / 1000.0 + 1.5), nome + "-close");
  }

  TempDir profilo;
  int aperture = 0;
  size_t bianca = 0;
};

TEST_F(ViewBrowser, EmbeddedScenario) {
  TempDir dir;
  PosixFileSystem fs;
  std::ostringstream err;
  ASSERT_EQ(esegui(fs, dir.path(), err), 0) << err.str();
  controlla(dir.path(), nome_linea_incorporata, nome_treno_incorporato, 20000, 35000, "embedded");
}

TEST_F(ViewBrowser, MillionMetreRoute) {
  TempDir dir;
  const scenario_generato g = genera_percorso_lungo(1);
  write_file(dir.file(nomi::linea_txt("Lunga")), g.linea);
  write_file(dir.file(nomi::treno_txt("Lunga", "T 1")), g.treno);
  const auto c = run_program("scenario-tool", {"compile", "--dir", dir.path(), "--line", "Lunga",
                                               "--train", "T 1"});
  ASSERT_EQ(c.status, 0) << c.err;
  controlla(dir.path(), "Lunga", "T 1", 500000, 530000, "long");
}

}  // namespace
}  // namespace scenario::testing
