// scenario-tool view: the route in the browser. One self-contained HTML page
// (script, style and data inline), or, with --serve, the same page served on
// this machine and brought up to date on every save of the two sources.
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <iostream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include <httplib.h>

#include "commands.h"
#include "drawing/scenario_data.h"
#include "drawing/view_data.h"
#include "model/file_names.h"
#include "platform/file_system.h"
#include "tool_support.h"

namespace scenario::tool {

namespace {

constexpr const char* kHelp =
    "usage: scenario-tool view --dir DIR --line NAME --train NAME --out FILE.html\n"
    "       scenario-tool view --serve --dir DIR --line NAME --train NAME [--port N]\n"
    "\n"
    "Writes one HTML page that shows the route of a compiled scenario (the\n"
    "binary files in DIR) and opens from disk with nothing else: the plan,\n"
    "with pan and zoom (mouse wheel, drag, arrow keys, + and -), and under it\n"
    "the speed limit, gradient, adhesion and kilometre posts on one axis that\n"
    "follows the plan; every object placed, with a read-out on hover or tap;\n"
    "layers to switch on and off, a box to jump to a station or a kilometre\n"
    "post, and a banner with the compile's faults or the misfits of the files.\n"
    "When DIR also holds the two text sources they are compiled in memory, so\n"
    "that the page knows the faults and which boards the derivation added.\n"
    "\n"
    "With --serve, no file is written: the two text sources in DIR are\n"
    "compiled in memory and the page is served on http://127.0.0.1:PORT/ (this\n"
    "machine only). Every save of a source is compiled again and the open page\n"
    "updates in place, keeping its view; a save that does not compile cleanly\n"
    "shows its faults and keeps the last good route drawn. The first line on\n"
    "standard output gives the address. --port 0 takes any free port\n"
    "(default 8765). Stop it with Ctrl-C.\n"
    "\n"
    "status: 0 done, 1 a file does not fit its layout or the files do not\n"
    "belong together (or, with --serve, the sources are missing), 3 a file\n"
    "could not be read or written, 64 bad usage.\n";

// A source's change stamp: modification time and size.
std::pair<long long, long long> impronta(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return {-1, -1};
  return {static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec,
          static_cast<long long>(st.st_size)};
}

bool con_errori(const disegno::scenario_letto& s) {
  if (s.celle.empty()) return true;
  for (const Diagnostic& d : s.diagnostiche) {
    if (d.severity == Severity::kError) return true;
  }
  return false;
}

// The state a server shows: the data of the last compile, or of the last
// good one beside the faults of a later save.
class vista_servita {
 public:
  vista_servita(std::string dir, std::string linea, std::string treno)
      : dir_(std::move(dir)), linea_(std::move(linea)), treno_(std::move(treno)) {}

  // Compiles the sources again; false when they are not there.
  bool ricompila() {
    auto c = std::make_shared<disegno::scenario_letto>();
    PosixFileSystem fs;
    const bool trovate = disegno::compila_sorgenti(fs, dir_, linea_, treno_, c.get(), nullptr);
    std::lock_guard<std::mutex> lock(mu_);
    ++generazione_;
    disegno::opzioni_vista o;
    o.titolo = linea_ + " - " + treno_;
    o.servita = true;
    o.generazione = generazione_;
    if (trovate && !con_errori(*c)) {
      buona_ = c;
      dati_ = disegno::dati_vista(*c, o);
      return true;
    }
    if (!trovate) {
      Diagnostic d;
      d.code = "no-sources";
      d.message = "the text sources " + nomi::linea_txt(linea_) + " and " +
                  nomi::treno_txt(linea_, treno_) + " are not both in " + dir_;
      o.altre_diagnostiche.push_back(d);
    }
    if (!buona_) {
      // Nothing good yet: the faulty route itself, with its faults.
      dati_ = disegno::dati_vista(*c, o);
      return trovate;
    }
    o.altre_diagnostiche.insert(o.altre_diagnostiche.end(), c->diagnostiche.begin(),
                                c->diagnostiche.end());
    Diagnostic nota;
    nota.severity = Severity::kNote;
    nota.code = "last-good-route";
    nota.message = "the route drawn is the last one that compiled without faults";
    o.altre_diagnostiche.push_back(nota);
    o.ultima_buona = true;
    dati_ = disegno::dati_vista(*buona_, o);
    return trovate;
  }

  std::string dati() const {
    std::lock_guard<std::mutex> lock(mu_);
    return dati_;
  }
  int64_t generazione() const {
    std::lock_guard<std::mutex> lock(mu_);
    return generazione_;
  }
  std::string titolo() const { return linea_ + " - " + treno_; }

 private:
  std::string dir_, linea_, treno_;
  mutable std::mutex mu_;
  std::shared_ptr<disegno::scenario_letto> buona_;
  std::string dati_;
  int64_t generazione_ = 0;
};

int servi(const std::string& dir, const std::string& linea, const std::string& treno, int porta) {
  vista_servita vista(dir, linea, treno);
  if (!vista.ricompila()) {
    std::cerr << "scenario-tool view: the text sources " << nomi::linea_txt(linea) << " and "
              << nomi::treno_txt(linea, treno) << " are not both in " << dir << '\n';
    return 1;
  }
  httplib::Server server;
  server.Get("/", [&](const httplib::Request&, httplib::Response& r) {
    r.set_header("Cache-Control", "no-store");
    r.set_content(disegno::pagina_vista(vista.dati(), vista.titolo()), "text/html; charset=utf-8");
  });
  server.Get("/data.json", [&](const httplib::Request&, httplib::Response& r) {
    r.set_header("Cache-Control", "no-store");
    r.set_content(vista.dati(), "application/json; charset=utf-8");
  });
  server.Get("/generation", [&](const httplib::Request&, httplib::Response& r) {
    r.set_header("Cache-Control", "no-store");
    r.set_content(std::to_string(vista.generazione()), "text/plain");
  });

  int effettiva = porta;
  if (porta == 0) {
    effettiva = server.bind_to_any_port("127.0.0.1");
  } else if (!server.bind_to_port("127.0.0.1", porta)) {
    effettiva = -1;
  }
  if (effettiva <= 0) {
    std::cerr << "scenario-tool view: cannot listen on 127.0.0.1:" << porta << '\n';
    return 3;
  }
  std::cout << "serving http://127.0.0.1:" << effettiva << "/ (Ctrl-C stops)" << std::endl;

  // Watches the two sources; a change of time or size is a save.
  std::atomic<bool> fine{false};
  std::thread guardia([&] {
    const std::string a = join_path(dir, nomi::linea_txt(linea));
    const std::string b = join_path(dir, nomi::treno_txt(linea, treno));
    auto prima = std::make_pair(impronta(a), impronta(b));
    while (!fine) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      const auto ora = std::make_pair(impronta(a), impronta(b));
      if (ora != prima) {
        prima = ora;
        vista.ricompila();
      }
    }
  });
  server.listen_after_bind();
  fine = true;
  guardia.join();
  return 0;
}

}  // namespace

int cmd_view(const args_t& args) {
  opzioni_comando o;
  if (auto fine = read_command({"view", kHelp, {"--dir", "--line", "--train", "--out", "--port"},
                                {"--serve"}, {"--dir", "--line", "--train"}},
                               args, &o)) {
    return *fine;
  }
  const bool serve = o.ha("--serve");
  if (!serve && o.valore("--out").empty()) {
    std::cerr << "scenario-tool view: --out is required (or --serve)\n\n" << kHelp;
    return kUsage;
  }
  const std::string dir = o.valore("--dir"), linea = o.valore("--line"),
                    treno = o.valore("--train"), out = o.valore("--out");
  if (serve) {
    if (!out.empty()) {
      std::cerr << "scenario-tool view: --out and --serve do not go together\n" << kHelp;
      return kUsage;
    }
    const std::string p = o.valore("--port", "8765");
    char* fine = nullptr;
    const long porta = std::strtol(p.c_str(), &fine, 10);
    if (p.empty() || *fine != '\0' || porta < 0 || porta > 65535) {
      std::cerr << "scenario-tool view: --port takes 0 to 65535, not '" << p << "'\n" << kHelp;
      return kUsage;
    }
    return servi(dir, linea, treno, static_cast<int>(porta));
  }
  if (!o.valore("--port").empty()) {
    std::cerr << "scenario-tool view: --port goes with --serve\n" << kHelp;
    return kUsage;
  }

  PosixFileSystem fs;
  disegno::scenario_letto s;
  if (auto r = disegno::carica_binari(fs, dir, linea, treno, &s)) {
    std::cerr << r->messaggio << '\n';
    return r->stato;
  }
  disegno::aggiungi_dalle_sorgenti(fs, dir, linea, treno, &s);
  for (const Diagnostic& d : s.diagnostiche) std::cerr << format_diagnostic(d) << '\n';
  disegno::opzioni_vista ov;
  ov.titolo = linea + " - " + treno;
  const std::string pagina = disegno::pagina_vista(disegno::dati_vista(s, ov), ov.titolo);
  if (auto e = publish(fs, {OutputFile{out, pagina}})) {
    std::cerr << e->path << ": " << e->reason << '\n';
    return 3;
  }
  return 0;
}

}  // namespace scenario::tool
