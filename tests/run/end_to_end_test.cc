// The whole one-shot run on the real file system: the embedded scenario is
// written, compiled without a single fault and leaves exactly the three crew
// documents and the three binary files, byte for byte the same every time.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

#include "model/binary_reader.h"
#include "model/file_names.h"
#include "platform/file_system.h"
#include "run/run.h"
#include "scenario/line_description.h"
#include "scenario/service_description.h"
#include "scenario/text_lines.h"
#include "support/test_support.h"

namespace scenario::testing {
namespace {

const std::string kLinea = nome_linea_incorporata;
const std::string kTreno = nome_treno_incorporato;

std::vector<std::string> uscite() {
  std::vector<std::string> nomi_uscite = {
      nomi::note(kLinea, kTreno), nomi::rallentamenti(kLinea, kTreno), nomi::scheda(kLinea, kTreno),
      nomi::linea_dat(kLinea),    nomi::sim(kLinea, kTreno),           nomi::dat(kLinea, kTreno)};
  std::sort(nomi_uscite.begin(), nomi_uscite.end());
  return nomi_uscite;
}

std::map<std::string, std::string> leggi_uscite(const TempDir& dir) {
  std::map<std::string, std::string> out;
  for (const auto& n : uscite()) out[n] = read_file(dir.file(n));
  return out;
}

// The board texts and the station names, in the order the sources give them.
std::vector<std::string> testi_cartelli() {
  std::vector<std::string> out;
  for (const auto& r : section(crlf_lines(componi_testo(tabella_linea())), "[indicazioni]")) {
    out.push_back(fields(r)[2]);
  }
  return out;
}

struct stazione_sorgente {
  int tipo;
  std::string nome;
};

std::vector<stazione_sorgente> stazioni_sorgente() {
  std::vector<stazione_sorgente> out;
  for (const auto& r : section(crlf_lines(componi_testo(tabella_treno())), "[stazioni]")) {
    const auto c = fields(r);
    out.push_back({number(c[2]), c[17]});
  }
  return out;
}

// The two integrity codes, from the names as the simulator checks them.
std::pair<int32_t, int32_t> codici_attesi() {
  std::string s = kTreno + kLinea + "mmnnppqqrrssttuuvvzzmmnnpp";
  int32_t og = 0, st = 0;
  for (int i = 0; i < 25; ++i) {
    const int32_t c = static_cast<unsigned char>(std::tolower(static_cast<unsigned char>(s[i])));
    og += c;
    st += c * (i + 1);
  }
  return {og, st};
}

class OneShotRun : public ::testing::Test {
 protected:
  void esegui_in(const TempDir& dir) {
    std::ostringstream err;
    ASSERT_EQ(esegui(fs_, dir.path(), err), 0) << err.str();
    // No fault reaches the user: the status line alone.
    EXPECT_EQ(err.str(), "Attendere\n");
  }

  PosixFileSystem fs_;
};

TEST_F(OneShotRun, LeavesTheSixOutputsAndTheWholeModel) {
  TempDir dir;
  esegui_in(dir);
  // The two sources were compiled and deleted; nothing else is left.
  EXPECT_EQ(list_dir(dir.path()), uscite());
  const auto file = leggi_uscite(dir);

  EXPECT_EQ(file.at(nomi::note(kLinea, kTreno)).size(), 0u);
  EXPECT_EQ(file.at(nomi::dat(kLinea, kTreno)).size(), 28'515u);
  EXPECT_EQ(file.at(nomi::linea_dat(kLinea)).size(), 1'899'964u);

  const auto cartelli = testi_cartelli();
  const auto stazioni = stazioni_sorgente();
  ASSERT_EQ(cartelli.size(), 44u);
  ASSERT_EQ(stazioni.size(), 34u);
  size_t testi = kLinea.size() + kTreno.size();
  for (const auto& t : cartelli) testi += t.size();
  for (const auto& s : stazioni) testi += s.nome.size();
  EXPECT_EQ(file.at(nomi::sim(kLinea, kTreno)).size(), 2958 + testi);

  std::array<record_sim, righe_tabella_sim> tabella;
  ASSERT_FALSE(leggi_tabella_sim(file.at(nomi::sim(kLinea, kTreno)), &tabella));
  for (size_t k = 0; k < cartelli.size(); ++k) EXPECT_EQ(tabella[80 - k].testo, cartelli[k]) << k;
  for (size_t j = 0; j < stazioni.size(); ++j) EXPECT_EQ(tabella[1 + j].testo, stazioni[j].nome);
  EXPECT_EQ(tabella[35].testo, "");
  EXPECT_EQ(tabella[36].testo, "");
  EXPECT_EQ(tabella[riga_linea].testo, kLinea);
  EXPECT_EQ(tabella[riga_ripetizione].testo, kTreno);
  EXPECT_EQ(tabella[riga_linea].i1, 610);

  const std::string& dat = file.at(nomi::dat(kLinea, kTreno));
  EXPECT_EQ(static_cast<unsigned char>(dat[16]), 1);
  EXPECT_EQ(static_cast<unsigned char>(dat[17]), 20);
  std::vector<cella> percorso;
  ASSERT_FALSE(leggi_percorso(dat, &percorso));
  const auto [og, st] = codici_attesi();
  EXPECT_EQ(percorso[1].dato1, 5121);
  EXPECT_EQ(percorso[1].dato2, og);
  EXPECT_EQ(tabella[riga_linea].orario, st);

  // Every mark landed on a cell of its own: none was overwritten by another.
  std::map<int, int> tipi;
  int avvicinamenti = 0;
  for (const auto& c : percorso) {
    if (c.tipo != 0 && c.tipo != 11) ++tipi[c.tipo];
    avvicinamenti += c.avvicinamento != 0;
  }
  const int con_fermata = static_cast<int>(
      std::count_if(stazioni.begin(), stazioni.end(), [](auto& s) { return s.tipo < 25; }));
  const int segnali = static_cast<int>(
      section(crlf_lines(componi_testo(tabella_treno())), "[segnali]").size());
  EXPECT_EQ(tipi, (std::map<int, int>{{1, segnali},      // signals
                                      {2, 1},            // slow-down end
                                      {3, 1},            // slow-down start
                                      {4, 1},            // its warning board
                                      {5, 4},            // its advance marks
                                      {6, 18},           // maximum-speed boards
                                      {10, con_fermata},  // station stop points
                                      {12, 3},           // the derived boards before the slow-down
                                      {14, 44}}));       // text boards
  EXPECT_EQ(avvicinamenti, 4 * (con_fermata + segnali));
}

TEST_F(OneShotRun, ASecondRunGivesTheSameBytes) {
  TempDir dir;
  esegui_in(dir);
  const auto prima = leggi_uscite(dir);
  esegui_in(dir);
  EXPECT_EQ(list_dir(dir.path()), uscite());
  EXPECT_TRUE(leggi_uscite(dir) == prima);
}

TEST_F(OneShotRun, LongerOlderOutputsAreReplacedWhole) {
  TempDir pulita, vecchia;
  esegui_in(pulita);
  const auto attese = leggi_uscite(pulita);
  for (const auto& n : uscite()) write_file(vecchia.file(n), std::string(2'000'000, 'v'));
  // Sources left behind by a broken earlier run are replaced, compiled and removed too.
  write_file(vecchia.file(nomi::linea_txt(kLinea)), std::string(20'000, 'v'));
  write_file(vecchia.file(nomi::treno_txt(kLinea, kTreno)), std::string(20'000, 'v'));
  esegui_in(vecchia);
  EXPECT_EQ(list_dir(vecchia.path()), uscite());
  for (const auto& [n, dati] : leggi_uscite(vecchia)) {
    EXPECT_EQ(dati.size(), attese.at(n).size()) << n;
    EXPECT_TRUE(dati == attese.at(n)) << n;
  }
}

// The built program, copied into a folder of its own, writes there whatever
// the current directory.
TEST_F(OneShotRun, TheProgramWritesIntoItsOwnFolder) {
  TempDir pulita, cartella, altrove;
  esegui_in(pulita);
  const std::string programma = cartella.file("genera_scenario");
  std::filesystem::copy_file(std::string(SCENARIO_BIN_DIR) + "/genera_scenario", programma);
  const std::string comando = "cd '" + altrove.path() + "' && '" + programma + "' 2> '" +
                              altrove.file("stderr") + "'";
  const int stato = std::system(comando.c_str());
  ASSERT_TRUE(WIFEXITED(stato));
  EXPECT_EQ(WEXITSTATUS(stato), 0);
  EXPECT_EQ(read_file(altrove.file("stderr")), "Attendere\n");
  EXPECT_EQ(list_dir(altrove.path()), std::vector<std::string>{"stderr"});

  auto attesi = uscite();
  attesi.push_back("genera_scenario");
  std::sort(attesi.begin(), attesi.end());
  EXPECT_EQ(list_dir(cartella.path()), attesi);
  EXPECT_TRUE(leggi_uscite(cartella) == leggi_uscite(pulita));
}

}  // namespace
}  // namespace scenario::testing
