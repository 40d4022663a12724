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
std::pair<long long, long long> change_stamp(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return {-1, -1};
  return {static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec,
          static_cast<long long>(st.st_size)};
}

bool has_faults(const drawing::loaded_scenario& s) {
  if (s.cells.empty()) return true;
  for (const Diagnostic& d : s.diagnostics) {
    if (d.severity == Severity::kError) return true;
  }
  return false;
}

// The state a server shows: the data of the last compile, or of the last
// good one beside the faults of a later save.
class served_view {
 public:
  served_view(std::string dir, std::string line, std::string train)
      : dir_(std::move(dir)), line_(std::move(line)), train_(std::move(train)) {}

  // Compiles the sources again; false when they are not there.
  bool recompile() {
    auto c = std::make_shared<drawing::loaded_scenario>();
    PosixFileSystem fs;
    const bool found = drawing::compile_sources(fs, dir_, line_, train_, c.get(), nullptr);
    std::lock_guard<std::mutex> lock(mu_);
    ++generation_;
    drawing::view_options o;
    o.title = line_ + " - " + train_;
    o.served = true;
    o.generation = generation_;
    if (found && !has_faults(*c)) {
      last_good_ = c;
      data_ = drawing::view_data(*c, o);
      return true;
    }
    if (!found) {
      Diagnostic d;
      d.code = "no-sources";
      d.message = "the text sources " + nomi::linea_txt(line_) + " and " +
                  nomi::treno_txt(line_, train_) + " are not both in " + dir_;
      o.other_diagnostics.push_back(d);
    }
    if (!last_good_) {
      // Nothing good yet: the faulty route itself, with its faults.
      data_ = drawing::view_data(*c, o);
      return found;
    }
    o.other_diagnostics.insert(o.other_diagnostics.end(), c->diagnostics.begin(),
                               c->diagnostics.end());
    Diagnostic note;
    note.severity = Severity::kNote;
    note.code = "last-good-route";
    note.message = "the route drawn is the last one that compiled without faults";
    o.other_diagnostics.push_back(note);
    o.last_good = true;
    data_ = drawing::view_data(*last_good_, o);
    return found;
  }

  std::string data() const {
    std::lock_guard<std::mutex> lock(mu_);
    return data_;
  }
  int64_t generation() const {
    std::lock_guard<std::mutex> lock(mu_);
    return generation_;
  }
  std::string title() const { return line_ + " - " + train_; }

 private:
  std::string dir_, line_, train_;
  mutable std::mutex mu_;
  std::shared_ptr<drawing::loaded_scenario> last_good_;
  std::string data_;
  int64_t generation_ = 0;
};

int run_server(const std::string& dir, const std::string& line, const std::string& train, int port) {
  // The sources' stamps are taken before the first reading, so that a save
  // at any moment after it (even before the watcher runs) is a change.
  const std::string line_source = join_path(dir, nomi::linea_txt(line));
  const std::string train_source = join_path(dir, nomi::treno_txt(line, train));
  auto before = std::make_pair(change_stamp(line_source), change_stamp(train_source));
  served_view view(dir, line, train);
  if (!view.recompile()) {
    std::cerr << "scenario-tool view: the text sources " << nomi::linea_txt(line) << " and "
              << nomi::treno_txt(line, train) << " are not both in " << dir << '\n';
    return 1;
  }
  httplib::Server server;
  server.Get("/", [&](const httplib::Request&, httplib::Response& r) {
    r.set_header("Cache-Control", "no-store");
    r.set_content(drawing::view_page_html(view.data(), view.title()), "text/html; charset=utf-8");
  });
  server.Get("/data.json", [&](const httplib::Request&, httplib::Response& r) {
    r.set_header("Cache-Control", "no-store");
    r.set_content(view.data(), "application/json; charset=utf-8");
  });
  server.Get("/generation", [&](const httplib::Request&, httplib::Response& r) {
    r.set_header("Cache-Control", "no-store");
    r.set_content(std::to_string(view.generation()), "text/plain");
  });

  int bound_port = port;
  if (port == 0) {
    bound_port = server.bind_to_any_port("127.0.0.1");
  } else if (!server.bind_to_port("127.0.0.1", port)) {
    bound_port = -1;
  }
  if (bound_port <= 0) {
    std::cerr << "scenario-tool view: cannot listen on 127.0.0.1:" << port << '\n';
    return 3;
  }
  std::cout << "serving http://127.0.0.1:" << bound_port << "/ (Ctrl-C stops)" << std::endl;

  // Watches the two sources; a change of time or size is a save.
  std::atomic<bool> stop{false};
  std::thread watcher([&] {
    while (!stop) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      const auto now = std::make_pair(change_stamp(line_source), change_stamp(train_source));
      if (now != before) {
        before = now;
        view.recompile();
      }
    }
  });
  server.listen_after_bind();
  stop = true;
  watcher.join();
  return 0;
}

}  // namespace

int cmd_view(const args_t& args) {
  command_options o;
  if (auto status = read_command({"view", kHelp, {"--dir", "--line", "--train", "--out", "--port"},
                                {"--serve"}, {"--dir", "--line", "--train"}},
                               args, &o)) {
    return *status;
  }
  const bool serve = o.has("--serve");
  if (!serve && o.value("--out").empty()) {
    std::cerr << "scenario-tool view: --out is required (or --serve)\n\n" << kHelp;
    return kUsage;
  }
  const std::string dir = o.value("--dir"), line = o.value("--line"),
                    train = o.value("--train"), out = o.value("--out");
  if (serve) {
    if (!out.empty()) {
      std::cerr << "scenario-tool view: --out and --serve do not go together\n" << kHelp;
      return kUsage;
    }
    const std::string p = o.value("--port", "8765");
    char* end = nullptr;
    const long port = std::strtol(p.c_str(), &end, 10);
    if (p.empty() || *end != '\0' || port < 0 || port > 65535) {
      std::cerr << "scenario-tool view: --port takes 0 to 65535, not '" << p << "'\n" << kHelp;
      return kUsage;
    }
    return run_server(dir, line, train, static_cast<int>(port));
  }
  if (!o.value("--port").empty()) {
    std::cerr << "scenario-tool view: --port goes with --serve\n" << kHelp;
    return kUsage;
  }

  PosixFileSystem fs;
  drawing::loaded_scenario s;
  if (auto r = drawing::load_binaries(fs, dir, line, train, &s)) {
    std::cerr << r->message << '\n';
    return r->status;
  }
  drawing::add_from_sources(fs, dir, line, train, &s);
  for (const Diagnostic& d : s.diagnostics) std::cerr << format_diagnostic(d) << '\n';
  drawing::view_options ov;
  ov.title = line + " - " + train;
  const std::string page = drawing::view_page_html(drawing::view_data(s, ov), ov.title);
  if (auto e = publish(fs, {OutputFile{out, page}})) {
    std::cerr << e->path << ": " << e->reason << '\n';
    return 3;
  }
  return 0;
}

}  // namespace scenario::tool
