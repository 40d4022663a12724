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

// Replaces the first `da` in the file at `path` by `a`.
void cambia(const std::string& path, const std::string& da, const std::string& a) {
  std::string testo = read_file(path);
  const size_t p = testo.find(da);
  ASSERT_NE(p, std::string::npos) << da;
  testo.replace(p, da.size(), a);
  write_file(path, testo);
}

// Asks for /data.json until `pronto` holds, for at most `limite`.
template <typename F>
std::optional<std::string> attendi_dati(int porta, std::chrono::milliseconds limite, F pronto) {
  const auto fine = std::chrono::steady_clock::now() + limite;
  do {
    if (auto r = http_get(porta, "/data.json", 500ms); r && r->stato == 200 && pronto(r->corpo)) return r->corpo;
    std::this_thread::sleep_for(20ms);
  } while (std::chrono::steady_clock::now() < fine);
  return std::nullopt;
}

TEST(ViewServe, ServesSavesAndKeepsTheLastGoodRoute) {
  TempDir dir;
  const auto e = run_program("scenario-tool", {"export", "--out", dir.path()});
  ASSERT_EQ(e.status, 0) << e.err;
  const std::string servizio = dir.file(nomi::treno_txt(nome_linea_incorporata, nome_treno_incorporato));

  processo server(std::string(SCENARIO_BIN_DIR) + "/scenario-tool",
                  {"view", "--serve", "--dir", dir.path(), "--line", nome_linea_incorporata, "--train",
                   nome_treno_incorporato, "--port", "0"},
                  dir.file("server.err"));
  const auto riga = server.riga(20s);
  ASSERT_TRUE(riga) << "no address from the server: " << read_file(dir.file("server.err"));
  const std::string prefisso = "serving http://127.0.0.1:";
  ASSERT_EQ(riga->rfind(prefisso, 0), 0u) << *riga;
  const int porta = std::atoi(riga->c_str() + prefisso.size());
  ASSERT_GT(porta, 0);

  const auto pagina = http_get(porta, "/");
  ASSERT_TRUE(pagina);
  EXPECT_EQ(pagina->stato, 200);
  EXPECT_NE(pagina->corpo.find("<canvas id=\"plan\""), std::string::npos);
  EXPECT_NE(pagina->corpo.find("\"n\":\"BORGO VARNELLO\""), std::string::npos);
  const auto dati = http_get(porta, "/data.json");
  ASSERT_TRUE(dati);
  EXPECT_EQ(dati->stato, 200);
  EXPECT_NE(dati->corpo.find("\"n\":\"CALMEA\""), std::string::npos);
  EXPECT_NE(dati->corpo.find("\"diagnostics\":[]"), std::string::npos);
  EXPECT_EQ(http_get(porta, "/no-such-thing")->stato, 404);

  // A station renamed: served within two seconds of the save.
  cambia(servizio, "0, CALMEA", "0, CALMEA NUOVA");
  const auto nuovi = attendi_dati(porta, 2000ms, [](const std::string& d) {
    return d.find("\"n\":\"CALMEA NUOVA\"") != std::string::npos;
  });
  ASSERT_TRUE(nuovi) << "the new name was not served within 2 s";
  EXPECT_NE(nuovi->find("\"lastGood\":false"), std::string::npos);

  // A faulty save (a station off the 50 m grid stops the reading, fault 8):
  // its fault is served, with the last good route still drawn.
  cambia(servizio, "stazione,     200,", "stazione,     225,");
  const auto guasti = attendi_dati(porta, 2000ms, [](const std::string& d) {
    return d.find("[E8]") != std::string::npos;
  });
  ASSERT_TRUE(guasti) << "the fault was not served within 2 s";
  EXPECT_NE(guasti->find("\"n\":\"CALMEA NUOVA\""), std::string::npos);
  EXPECT_NE(guasti->find("\"n\":\"BORGO VARNELLO\""), std::string::npos);
  EXPECT_NE(guasti->find("\"lastGood\":true"), std::string::npos);
  EXPECT_NE(guasti->find(nomi::treno_txt(nome_linea_incorporata, nome_treno_incorporato) + ":"),
            std::string::npos)
      << "the fault names its file";

  // Mended again: the route follows, the faults go.
  cambia(servizio, "stazione,     225,", "stazione,     200,");
  const auto sani = attendi_dati(porta, 2000ms, [](const std::string& d) {
    return d.find("\"diagnostics\":[]") != std::string::npos;
  });
  EXPECT_TRUE(sani);
  server.ferma();
}

TEST(ViewServe, RefusesBadUsageAndMissingSources) {
  TempDir dir;
  const struct {
    std::vector<std::string> args;
    int status;
    const char* message;
  } casi[] = {
      {{"view", "--serve", "--dir", dir.path(), "--line", "L", "--train", "T", "--port", "x"}, 64, "--port takes"},
      {{"view", "--serve", "--dir", dir.path(), "--line", "L", "--train", "T", "--out", "a.html"}, 64, "do not go together"},
      {{"view", "--dir", dir.path(), "--line", "L", "--train", "T", "--out", "a.html", "--port", "1"}, 64, "--port goes with --serve"},
      {{"view", "--dir", dir.path(), "--line", "L", "--train", "T"}, 64, "--out is required"},
      {{"view", "--serve", "--dir", dir.path(), "--line", "L", "--train", "T", "--port", "0"}, 1, "are not both in"},
  };
  for (const auto& c : casi) {
    const auto r = run_program("scenario-tool", c.args);
    EXPECT_EQ(r.status, c.status) << c.message << ": " << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
}

}  // namespace
}  // namespace scenario::testing
