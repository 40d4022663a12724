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

std::vector<std::string> output_names() {
  std::vector<std::string> names = {
      nomi::note(kLinea, kTreno), nomi::rallentamenti(kLinea, kTreno), nomi::scheda(kLinea, kTreno),
      nomi::linea_dat(kLinea),    nomi::sim(kLinea, kTreno),           nomi::dat(kLinea, kTreno)};
  std::sort(names.begin(), names.end());
  return names;
}

std::map<std::string, std::string> read_outputs(const TempDir& dir) {
  std::map<std::string, std::string> out;
  for (const auto& n : output_names()) out[n] = read_file(dir.file(n));
  return out;
}

// The board texts and the station names, in the order the sources give them.
std::vector<std::string> board_texts() {
  std::vector<std::string> out;
  for (const auto& r : section(crlf_lines(componi_testo(tabella_linea())), "[indicazioni]")) {
    out.push_back(fields(r)[2]);
  }
  return out;
}

struct source_station {
  int tipo;
  std::string nome;
};

std::vector<source_station> source_stations() {
  std::vector<source_station> out;
  for (const auto& r : section(crlf_lines(componi_testo(tabella_treno())), "[stazioni]")) {
    const auto c = fields(r);
    out.push_back({number(c[2]), c[17]});
  }
  return out;
}

// The two integrity codes, from the names as the simulator checks them.
std::pair<int32_t, int32_t> expected_codes() {
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
  void run_in(const TempDir& dir) {
    std::ostringstream err;
    ASSERT_EQ(esegui(fs_, dir.path(), err), 0) << err.str();
    // No fault reaches the user: the status line alone.
    EXPECT_EQ(err.str(), "Attendere\n");
  }

  PosixFileSystem fs_;
};

TEST_F(OneShotRun, LeavesTheSixOutputsAndTheWholeModel) {
  TempDir dir;
  run_in(dir);
  // The two sources were compiled and deleted; nothing else is left.
  EXPECT_EQ(list_dir(dir.path()), output_names());
  const auto file = read_outputs(dir);

  EXPECT_EQ(file.at(nomi::note(kLinea, kTreno)).size(), 0u);
  EXPECT_EQ(file.at(nomi::dat(kLinea, kTreno)).size(), 28'515u);
  EXPECT_EQ(file.at(nomi::linea_dat(kLinea)).size(), 1'899'964u);

  const auto cartelli = board_texts();
  const auto stazioni = source_stations();
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
  const auto [og, st] = expected_codes();
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
  run_in(dir);
  const auto before = read_outputs(dir);
  run_in(dir);
  EXPECT_EQ(list_dir(dir.path()), output_names());
  EXPECT_TRUE(read_outputs(dir) == before);
}

TEST_F(OneShotRun, LongerOlderOutputsAreReplacedWhole) {
  TempDir clean, older;
  run_in(clean);
  const auto expected = read_outputs(clean);
  for (const auto& n : output_names()) write_file(older.file(n), std::string(2'000'000, 'v'));
  // Sources left behind by a broken earlier run are replaced, compiled and removed too.
  write_file(older.file(nomi::linea_txt(kLinea)), std::string(20'000, 'v'));
  write_file(older.file(nomi::treno_txt(kLinea, kTreno)), std::string(20'000, 'v'));
  run_in(older);
  EXPECT_EQ(list_dir(older.path()), output_names());
  for (const auto& [n, data] : read_outputs(older)) {
    EXPECT_EQ(data.size(), expected.at(n).size()) << n;
    EXPECT_TRUE(data == expected.at(n)) << n;
  }
}

// The built program, copied into a folder of its own, writes there whatever
// the current directory.
TEST_F(OneShotRun, TheProgramWritesIntoItsOwnFolder) {
  TempDir clean, folder, elsewhere;
  run_in(clean);
  const std::string program = folder.file("genera_scenario");
  std::filesystem::copy_file(std::string(SCENARIO_BIN_DIR) + "/genera_scenario", program);
  const std::string command = "cd '" + elsewhere.path() + "' && '" + program + "' 2> '" +
                              elsewhere.file("stderr") + "'";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(read_file(elsewhere.file("stderr")), "Attendere\n");
  EXPECT_EQ(list_dir(elsewhere.path()), std::vector<std::string>{"stderr"});

  auto expected_names = output_names();
  expected_names.push_back("genera_scenario");
  std::sort(expected_names.begin(), expected_names.end());
  EXPECT_EQ(list_dir(folder.path()), expected_names);
  EXPECT_TRUE(read_outputs(folder) == read_outputs(clean));
}

}  // namespace
}  // namespace scenario::testing
