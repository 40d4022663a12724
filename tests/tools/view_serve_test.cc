// scenario-tool view --serve: the page and its data served on 127.0.0.1, a
// save of a source served within two seconds, and a faulty save served as
// its faults beside the last good route.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "model/file_names.h"
#include "run/run.h"
#include "support/test_support.h"
#include "tools/view_support.h"

namespace scenario::testing {
namespace {

// Replaces the first `from` in the file at `path` by `to`.
void replace_in_file(const std::string& path, const std::string& from, const std::string& to) {
  std::string text = read_file(path);
  const size_t p = text.find(from);
  ASSERT_NE(p, std::string::npos) << from;
  text.replace(p, from.size(), to);
  write_file(path, text);
}

// Asks for /data.json until `ready` holds, for at most `limit`.
template <typename F>
std::optional<std::string> wait_for_data(int port, std::chrono::milliseconds limit, F ready) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  do {
    if (auto r = http_get(port, "/data.json", 500ms); r && r->status == 200 && ready(r->body)) return r->body;
    std::this_thread::sleep_for(20ms);
  } while (std::chrono::steady_clock::now() < deadline);
  return std::nullopt;
}

TEST(ViewServe, ServesSavesAndKeepsTheLastGoodRoute) {
  TempDir dir;
  const auto e = run_program("scenario-tool", {"export", "--out", dir.path()});
  ASSERT_EQ(e.status, 0) << e.err;
  const std::string service_file = dir.file(nomi::treno_txt(nome_linea_incorporata, nome_treno_incorporato));

  child_process server(std::string(SCENARIO_BIN_DIR) + "/scenario-tool",
                       {"view", "--serve", "--dir", dir.path(), "--line", nome_linea_incorporata, "--train",
                        nome_treno_incorporato, "--port", "0"},
                       dir.file("server.err"));
  const auto first_line = server.next_line(20s);
  ASSERT_TRUE(first_line) << "no address from the server: " << read_file(dir.file("server.err"));
  const std::string prefix = "serving http://127.0.0.1:";
  ASSERT_EQ(first_line->rfind(prefix, 0), 0u) << *first_line;
  const int port = std::atoi(first_line->c_str() + prefix.size());
  ASSERT_GT(port, 0);

  const auto page = http_get(port, "/");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 200);
  EXPECT_NE(page->body.find("<canvas id=\"plan\""), std::string::npos);
  EXPECT_NE(page->body.find("\"n\":\"BORGO VARNELLO\""), std::string::npos);
  const auto data = http_get(port, "/data.json");
  ASSERT_TRUE(data);
  EXPECT_EQ(data->status, 200);
  EXPECT_NE(data->body.find("\"n\":\"CALMEA\""), std::string::npos);
  EXPECT_NE(data->body.find("\"diagnostics\":[]"), std::string::npos);
  EXPECT_EQ(http_get(port, "/no-such-thing")->status, 404);

  // A station renamed: served within two seconds of the save.
  replace_in_file(service_file, "0, CALMEA", "0, CALMEA NUOVA");
  const auto renamed = wait_for_data(port, 2000ms, [](const std::string& d) {
    return d.find("\"n\":\"CALMEA NUOVA\"") != std::string::npos;
  });
  ASSERT_TRUE(renamed) << "the new name was not served within 2 s";
  EXPECT_NE(renamed->find("\"lastGood\":false"), std::string::npos);

  // A faulty save (a station off the 50 m grid stops the reading, fault 8):
  // its fault is served, with the last good route still drawn.
  replace_in_file(service_file, "stazione,     200,", "stazione,     225,");
  const auto faulty = wait_for_data(port, 2000ms, [](const std::string& d) {
    return d.find("[E8]") != std::string::npos;
  });
  ASSERT_TRUE(faulty) << "the fault was not served within 2 s";
  EXPECT_NE(faulty->find("\"n\":\"CALMEA NUOVA\""), std::string::npos);
  EXPECT_NE(faulty->find("\"n\":\"BORGO VARNELLO\""), std::string::npos);
  EXPECT_NE(faulty->find("\"lastGood\":true"), std::string::npos);
  EXPECT_NE(faulty->find(nomi::treno_txt(nome_linea_incorporata, nome_treno_incorporato) + ":"),
            std::string::npos)
      << "the fault names its file";

  // Mended again: the route follows, the faults go.
  replace_in_file(service_file, "stazione,     225,", "stazione,     200,");
  const auto mended = wait_for_data(port, 2000ms, [](const std::string& d) {
    return d.find("\"diagnostics\":[]") != std::string::npos;
  });
  EXPECT_TRUE(mended);
  server.stop();
}

TEST(ViewServe, RefusesBadUsageAndMissingSources) {
  TempDir dir;
  const struct {
    std::vector<std::string> args;
    int status;
    const char* message;
  } cases[] = {
      {{"view", "--serve", "--dir", dir.path(), "--line", "L", "--train", "T", "--port", "x"}, 64, "--port takes"},
      {{"view", "--serve", "--dir", dir.path(), "--line", "L", "--train", "T", "--out", "a.html"}, 64, "do not go together"},
      {{"view", "--dir", dir.path(), "--line", "L", "--train", "T", "--out", "a.html", "--port", "1"}, 64, "--port goes with --serve"},
      {{"view", "--dir", dir.path(), "--line", "L", "--train", "T"}, 64, "--out is required"},
      {{"view", "--serve", "--dir", dir.path(), "--line", "L", "--train", "T", "--port", "0"}, 1, "are not both in"},
  };
  for (const auto& c : cases) {
    const auto r = run_program("scenario-tool", c.args);
    EXPECT_EQ(r.status, c.status) << c.message << ": " << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
}

}  // namespace
}  // namespace scenario::testing
