// scenario-tool view --out: one self-contained page whose data no scenario
// text can break out of, and which carries the compile's faults and the
// misfits of the files when the sources are at hand.
#include <gtest/gtest.h>

#include <string>

#include "compiler/codes.h"
#include "model/file_names.h"
#include "platform/file_system.h"
#include "run/run.h"
#include "support/test_support.h"
#include "tools/json_check.h"
#include "tools/tool_fixture.h"

namespace scenario::testing {
namespace {

// The text of the script element that holds the page's data.
std::string dati_della_pagina(const std::string& html) {
  const std::string apre = "<script id=\"data\" type=\"application/json\">";
  const size_t a = html.find(apre);
  if (a == std::string::npos) return {};
  const size_t b = html.find("</script>", a);
  return html.substr(a + apre.size(), b - a - apre.size());
}

TEST(ViewPage, SelfContainedAndSafeWithHostileTexts) {
  TempDir dir;
  stato_compilazione s = stato_di_prova();
  s.tabella_sim[2].testo = "</script><script>alert(1)</script><!--";
  s.tabella_sim[80].testo = "(GALLERIA)(\"q\" \\ </SCRIPT>)";
  scrivi_binari(dir.path(), s);
  const auto r = run_program("scenario-tool", {"view", "--dir", dir.path(), "--line", kLineaProva,
                                               "--train", kTrenoProva, "--out", dir.file("v.html")});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string html = read_file(dir.file("v.html"));
  EXPECT_EQ(html.find("<script>alert"), std::string::npos);
  EXPECT_EQ(html.find("</SCRIPT>"), std::string::npos);
  const std::string dati = dati_della_pagina(html);
  EXPECT_TRUE(json_check(dati).valid()) << dati.substr(0, 200);
  EXPECT_NE(dati.find("\\u003c/script>\\u003cscript>alert(1)"), std::string::npos);
  // Nothing is fetched from elsewhere: no address, no external script or style.
  EXPECT_EQ(html.find("://"), std::string::npos);
  EXPECT_EQ(html.find(" src="), std::string::npos);
  EXPECT_EQ(html.find("@SCRIPT@"), std::string::npos);
  EXPECT_EQ(html.find("@TITLE@"), std::string::npos);
  // The fixture carries no integrity codes: the banner says so.
  EXPECT_NE(dati.find("[integrity-codes]"), std::string::npos);
}

TEST(ViewPage, SourcesGiveFaultsAndDerivedBoards) {
  TempDir dir;
  ASSERT_EQ(run_program("scenario-tool", {"export", "--out", dir.path()}).status, 0);
  const std::string linea = nome_linea_incorporata, treno = nome_treno_incorporato;
  ASSERT_EQ(run_program("scenario-tool", {"compile", "--dir", dir.path(), "--line", linea, "--train", treno}).status, 0);
  auto vista = [&] {
    const auto r = run_program("scenario-tool", {"view", "--dir", dir.path(), "--line", linea,
                                                 "--train", treno, "--out", dir.file("v.html")});
    EXPECT_EQ(r.status, 0) << r.err;
    return std::make_pair(dati_della_pagina(read_file(dir.file("v.html"))), r.err);
  };
  const auto [pulita, err] = vista();
  EXPECT_EQ(err, "");
  EXPECT_NE(pulita.find("\"diagnostics\":[]"), std::string::npos);
  // The three boards the derivation rules add around the slow-down.
  EXPECT_EQ(count_of(pulita, "\"k\":\"derived-board\""), 3u);
  EXPECT_EQ(count_of(pulita, "\"d\":1"), 3u);
  // Every station and signal, and the derived boards, name the row of the
  // service description that placed them (or, for a derived board, caused it).
  const std::string servizio_o = "\"o\":\"" + join_path(dir.path(), nomi::treno_txt(linea, treno)) + ":";
  EXPECT_NE(pulita.find("\"n\":\"BORGO VARNELLO\"," + servizio_o), std::string::npos);
  EXPECT_GE(count_of(pulita, servizio_o), 34u + 43u + 3u);

  // Sources changed since the compile, with a fault: both reach the banner.
  const std::string servizio = dir.file(nomi::treno_txt(linea, treno));
  std::string testo = read_file(servizio);
  testo.replace(testo.find("stazione,     200,"), 18, "stazione,     225,");
  write_file(servizio, testo);
  const auto [guasta, err2] = vista();
  EXPECT_NE(guasta.find("[E8]"), std::string::npos);
  EXPECT_NE(guasta.find("[stale-files]"), std::string::npos);
  EXPECT_NE(err2.find("[E8]"), std::string::npos);
}

}  // namespace
}  // namespace scenario::testing
