// The built program on a real disk that fails: a file-size limit that stops
// writes part way (as a full disk does), a directory standing where a file
// must go, a source removed between its writing and its reading. Each run
// ends with status 3 and a message naming the path; every older output is
// either whole as it was or whole with its new content (the three binary
// files all old or all new); no temporary is left.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <map>
#include <cctype>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "model/file_names.h"
#include "platform/file_system.h"
#include "run/run.h"
#include "support/test_support.h"

namespace scenario::testing {
namespace {

namespace fs = std::filesystem;

const std::string kLinea = nome_linea_incorporata;
const std::string kTreno = nome_treno_incorporato;

std::vector<std::string> documenti() {
  return {nomi::note(kLinea, kTreno), nomi::rallentamenti(kLinea, kTreno),
          nomi::scheda(kLinea, kTreno)};
}
std::vector<std::string> binari() {
  return {nomi::linea_dat(kLinea), nomi::sim(kLinea, kTreno), nomi::dat(kLinea, kTreno)};
}
std::vector<std::string> uscite() {
  auto u = documenti();
  for (const auto& b : binari()) u.push_back(b);
  return u;
}
std::vector<std::string> source_names() {
  return {nomi::linea_txt(kLinea), nomi::treno_txt(kLinea, kTreno)};
}

struct esito_processo {
  int stato = -1;
  std::string err;
};

// Copies the built program into `cartella` (its program folder) and runs it
// there, with the size of any file it writes limited to `limite` bytes when
// one is given. SIGXFSZ is ignored, so a write past the limit fails with
// EFBIG instead of killing the process, as a full disk fails a write.
esito_processo esegui_programma(const std::string& cartella, std::optional<rlim_t> limite) {
  const std::string programma = cartella + "/genera_scenario";
  if (!fs::exists(programma)) {
    fs::copy_file(std::string(SCENARIO_BIN_DIR) + "/genera_scenario", programma);
  }
  int tubo[2];
  if (::pipe(tubo) != 0) return {};
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(tubo[0]);
    ::dup2(tubo[1], 2);
    const int nulla = ::open("/dev/null", O_WRONLY);
    ::dup2(nulla, 1);
    ::signal(SIGXFSZ, SIG_IGN);
    if (limite) {
      struct rlimit r {*limite, *limite};
      if (::setrlimit(RLIMIT_FSIZE, &r) != 0) ::_exit(126);
    }
    // A folder that is not the program folder, to show that it is not used.
    if (::chdir("/") != 0) ::_exit(126);
    char* argv[] = {const_cast<char*>(programma.c_str()), nullptr};
    ::execv(programma.c_str(), argv);
    ::_exit(127);
  }
  ::close(tubo[1]);
  esito_processo esito;
  char buffer[4096];
  for (ssize_t n; (n = ::read(tubo[0], buffer, sizeof buffer)) > 0;) {
    esito.err.append(buffer, static_cast<size_t>(n));
  }
  ::close(tubo[0]);
  int wstatus = 0;
  ::waitpid(pid, &wstatus, 0);
  esito.stato = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
  return esito;
}

// The outputs of a clean run, by name.
const std::map<std::string, std::string>& uscite_nuove() {
  static const std::map<std::string, std::string> nuove = [] {
    TempDir dir;
    const auto esito = esegui_programma(dir.path(), std::nullopt);
    EXPECT_TRUE(esito.stato == 0 || esito.stato == 2) << esito.err;
    std::map<std::string, std::string> out;
    for (const auto& nome : uscite()) out[nome] = read_file(dir.file(nome));
    return out;
  }();
  return nuove;
}

// Older outputs of every name, longer than the new ones, to be kept whole.
std::map<std::string, std::string> metti_uscite_vecchie(const TempDir& dir) {
  std::map<std::string, std::string> vecchie;
  for (const auto& nome : uscite()) {
    vecchie[nome] = "older " + nome + std::string(100, '#');
    write_file(dir.file(nome), vecchie[nome]);
  }
  return vecchie;
}

// `saltare`: a path that the test itself put in the way.
void check_folder(const TempDir& dir, const std::map<std::string, std::string>& vecchie,
                  const std::string& saltare = {}) {
  const auto& nuove = uscite_nuove();
  for (const auto& nome : documenti()) {
    if (nome == saltare) continue;
    ASSERT_TRUE(file_exists(dir.file(nome))) << nome << " lost";
    const std::string data = read_file(dir.file(nome));
    EXPECT_TRUE(data == vecchie.at(nome) || data == nuove.at(nome)) << nome << " damaged";
  }
  int vecchi = 0;
  int nuovi = 0;
  for (const auto& nome : binari()) {
    if (nome == saltare) continue;
    ASSERT_TRUE(file_exists(dir.file(nome))) << nome << " lost";
    const std::string data = read_file(dir.file(nome));
    vecchi += data == vecchie.at(nome) ? 1 : 0;
    nuovi += data == nuove.at(nome) ? 1 : 0;
  }
  const int attesi = saltare.empty() ? 3 : 2;
  EXPECT_TRUE(vecchi >= attesi || nuovi >= attesi)
      << vecchi << " older and " << nuovi << " new binary files";
  for (const auto& nome : list_dir(dir.path())) {
    if (nome == saltare) continue;
    EXPECT_EQ(nome.find(".tmp"), std::string::npos) << "temporary left: " << nome;
    EXPECT_EQ(nome.find(".old"), std::string::npos) << "older copy left: " << nome;
  }
}

// ---- A file-size limit: every write past it fails as on a full disk.

class FileSizeLimit : public ::testing::TestWithParam<rlim_t> {};

TEST_P(FileSizeLimit, StopsWithStatus3AndKeepsEveryOlderOutputWhole) {
  uscite_nuove();
  TempDir dir;
  const auto vecchie = metti_uscite_vecchie(dir);
  const auto esito = esegui_programma(dir.path(), GetParam());
  EXPECT_EQ(esito.stato, 3) << esito.err;
  EXPECT_NE(esito.err.find(dir.path() + "/"), std::string::npos) << esito.err;
  EXPECT_NE(esito.err.find("File too large"), std::string::npos) << esito.err;
  check_folder(dir, vecchie);
}

// 0: the first text file; then limits that let the sources, the documents,
// the route and table files through but stop the larger ones.
INSTANTIATE_TEST_SUITE_P(Bytes, FileSizeLimit,
                         ::testing::Values<rlim_t>(0, 1000, 8000, 20000, 100000, 1000000));

// ---- A directory where a file must go.

class FolderInTheWay : public ::testing::TestWithParam<std::string> {};

TEST_P(FolderInTheWay, StopsWithStatus3NamingIt) {
  uscite_nuove();
  const std::string nome = GetParam();
  TempDir dir;
  const auto vecchie = metti_uscite_vecchie(dir);
  fs::remove(dir.file(nome));
  fs::create_directory(dir.file(nome));
  write_file(dir.file(nome) + "/inside", "x");
  const auto esito = esegui_programma(dir.path(), std::nullopt);
  EXPECT_EQ(esito.stato, 3) << esito.err;
  // The temporary and the kept older copy are the program's own business:
  // their failure may be reported under the name of the output they belong to.
  const bool proprio = nome == backup_path(nomi::linea_dat(kLinea)) ||
                       (nome.size() > 4 && nome.substr(nome.size() - 4) == ".tmp");
  const std::string uscita = nome.substr(0, nome.size() - (proprio ? 4 : 0));
  EXPECT_TRUE(esito.err.find(dir.file(nome) + ": ") != std::string::npos ||
              esito.err.find(dir.file(uscita) + ": ") != std::string::npos)
      << esito.err;
  EXPECT_TRUE(fs::is_directory(dir.file(nome)));
  EXPECT_EQ(read_file(dir.file(nome) + "/inside"), "x");
  check_folder(dir, vecchie, nome);
}

std::vector<std::string> posti_occupati() {
  std::vector<std::string> nomi_file = source_names();
  for (const auto& u : uscite()) nomi_file.push_back(u);
  // Where the temporary of a binary file, or the kept older copy, would go.
  nomi_file.push_back(temporary_path(nomi::sim(kLinea, kTreno)));
  nomi_file.push_back(backup_path(nomi::linea_dat(kLinea)));
  return nomi_file;
}

INSTANTIATE_TEST_SUITE_P(Places, FolderInTheWay, ::testing::ValuesIn(posti_occupati()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           std::string n;
                           for (char c : info.param) n += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return n;
                         });

// ---- A source removed between its writing and its reading.

PosixFileSystem& disco() {
  static PosixFileSystem disco;
  return disco;
}

class SourceRemoved : public ::testing::TestWithParam<int> {};

TEST_P(SourceRemoved, StopsWithStatus3NamingItAndWritesNoBinaryFile) {
  uscite_nuove();
  TempDir dir;
  const auto vecchie = metti_uscite_vecchie(dir);
  const std::string vittima = dir.file(source_names()[GetParam()]);
  SourceRemovingFileSystem disk(disco(), vittima);
  std::ostringstream err;
  EXPECT_EQ(esegui(disk, dir.path(), err), 3) << err.str();
  EXPECT_NE(err.str().find(vittima + ": No such file or directory"), std::string::npos)
      << err.str();
  for (const auto& nome : binari()) {
    EXPECT_TRUE(read_file(dir.file(nome)) == vecchie.at(nome)) << nome;
  }
  check_folder(dir, vecchie);
}

INSTANTIATE_TEST_SUITE_P(LineOrService, SourceRemoved, ::testing::Values(0, 1));

}  // namespace
}  // namespace scenario::testing
