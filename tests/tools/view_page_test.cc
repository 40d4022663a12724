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
std::string page_data(const std::string& html) {
  const std::string opening_tag = "<script id=\"data\" type=\"application/json\">";
  const size_t a = html.find(opening_tag);
  if (a == std::string::npos) return {};
  const size_t b = html.find("</script>", a);
  return html.substr(a + opening_tag.size(), b - a - opening_tag.size());
}

TEST(ViewPage, SelfContainedAndSafeWithHostileTexts) {
  TempDir dir;
  stato_compilazione s = sample_state();
  s.tabella_sim[2].testo = "</script><script>alert(1)</script><!--";
  s.tabella_sim[80].testo = "(GALLERIA)(\"q\" \\ </SCRIPT>)";
  write_binaries(dir.path(), s);
  const auto r = run_program("scenario-tool", {"view", "--dir", dir.path(), "--line", kSampleLine,
                                               "--train", kSampleTrain, "--out", dir.file("v.html")});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string html = read_file(dir.file("v.html"));
  EXPECT_EQ(html.find("<script>alert"), std::string::npos);
  EXPECT_EQ(html.find("</SCRIPT>"), std::string::npos);
  const std::string data = page_data(html);
  EXPECT_TRUE(json_check(data).valid()) << data.substr(0, 200);
  EXPECT_NE(data.find("\\u003c/script>\\u003cscript>alert(1)"), std::string::npos);
  // Nothing is fetched from elsewhere: no address, no external script or style.
  EXPECT_EQ(html.find("://"), std::string::npos);
  EXPECT_EQ(html.find(" src="), std::string::npos);
  EXPECT_EQ(html.find("@SCRIPT@"), std::string::npos);
  EXPECT_EQ(html.find("@TITLE@"), std::string::npos);
  // The fixture carries no integrity codes: the banner says so.
  EXPECT_NE(data.find("[integrity-codes]"), std::string::npos);
}

TEST(ViewPage, SourcesGiveFaultsAndDerivedBoards) {
  TempDir dir;
  ASSERT_EQ(run_program("scenario-tool", {"export", "--out", dir.path()}).status, 0);
  const std::string line = nome_linea_incorporata, train = nome_treno_incorporato;
  ASSERT_EQ(run_program("scenario-tool", {"compile", "--dir", dir.path(), "--line", line, "--train", train}).status, 0);
  auto view_page = [&] {
    const auto r = run_program("scenario-tool", {"view", "--dir", dir.path(), "--line", line,
                                                 "--train", train, "--out", dir.file("v.html")});
    EXPECT_EQ(r.status, 0) << r.err;
    return std::make_pair(page_data(read_file(dir.file("v.html"))), r.err);
  };
  const auto [clean, err] = view_page();
  EXPECT_EQ(err, "");
  EXPECT_NE(clean.find("\"diagnostics\":[]"), std::string::npos);
  // The three boards the derivation rules add around the slow-down.
  EXPECT_EQ(count_of(clean, "\"k\":\"derived-board\""), 3u);
  EXPECT_EQ(count_of(clean, "\"d\":1"), 3u);
  // Every station and signal, and the derived boards, name the row of the
  // service description that placed them (or, for a derived board, caused it).
  const std::string service_origin = "\"o\":\"" + join_path(dir.path(), nomi::treno_txt(line, train)) + ":";
  EXPECT_NE(clean.find("\"n\":\"BORGO VARNELLO\"," + service_origin), std::string::npos);
  EXPECT_GE(count_of(clean, service_origin), 34u + 43u + 3u);

  // Sources changed since the compile, with a fault: both reach the banner.
  const std::string service_file = dir.file(nomi::treno_txt(line, train));
  std::string text = read_file(service_file);
  text.replace(text.find("stazione,     200,"), 18, "stazione,     225,");
  write_file(service_file, text);
  const auto [faulty, err2] = view_page();
  EXPECT_NE(faulty.find("[E8]"), std::string::npos);
  EXPECT_NE(faulty.find("[stale-files]"), std::string::npos);
  EXPECT_NE(err2.find("[E8]"), std::string::npos);
}

}  // namespace
}  // namespace scenario::testing
