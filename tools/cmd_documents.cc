// scenario-tool documents: the timetable card and the slow-down order of an
// author's own scenario, or, with --verify, the check of the ones beside the
// sources against it.
#include <algorithm>
#include <iostream>
#include <sstream>

#include "commands.h"
#include "crew/documents.h"
#include "crew/feasibility.h"
#include "crew/verify.h"
#include "model/file_names.h"
#include "platform/file_system.h"
#include "platform/folder_lock.h"
#include "run/compile.h"
#include "tool_support.h"

namespace scenario::tool {

namespace {

constexpr const char* kHelp =
    "usage: scenario-tool documents --dir DIR --line NAME --train NAME [--out DIR]\n"
    "                               [--verify] [--json]\n"
    "                               [--acceleration A] [--braking B]\n"
    "\n"
    "Reads the line and service descriptions in DIR (never changing them) and\n"
    "writes, into --out (default DIR), the crew documents laid out as the\n"
    "program's own:\n"
    "  LINE_TRAIN_scheda_treno.txt    the timetable card\n"
    "  LINE_TRAIN_rallentamenti.txt   the slow-down order\n"
    "  LINE_TRAIN_note.txt            an empty notes sheet, unless one exists\n"
    "\n"
    "The card has one row per station in running order (the first timed one\n"
    "departs, the last timed one arrives, the others stop; a station without\n"
    "a time is a passing row) and one row wherever the speed limit changes,\n"
    "with the new speed. Its kilometre posts follow the line's chainage zones.\n"
    "The order has one row per slow-down: the stations on either side, its\n"
    "post, speed and length.\n"
    "\n"
    "With --verify nothing is written: the card and the order found in DIR are\n"
    "read and every row that disagrees with the scenario is reported (a\n"
    "missing or extra station, a name or time that differs, a post more than\n"
    "100 m off, a speed that is not the limit in force, a slow-down that is\n"
    "not in the service description, ...).\n"
    "\n"
    "Both modes check the timetable between consecutive timed stations:\n"
    "  error    timetable-infeasible  less time than the stretch needs at the\n"
    "                                 speed limits (slow-downs included), with\n"
    "                                 no time to accelerate or brake\n"
    "  note     timetable-tight       less time than the estimate that starts\n"
    "                                 and stops at each timed station,\n"
    "                                 accelerating and braking at constant rates\n"
    "  warning  timetable-backwards   a station reached before the previous\n"
    "                                 one is left\n"
    "\n"
    "options:\n"
    "  --dir DIR           folder of the two text files (and, with --verify, of\n"
    "                      the documents to check)\n"
    "  --line NAME         line name\n"
    "  --train NAME        train name\n"
    "  --out DIR           folder for the documents (default: --dir)\n"
    "  --verify            check the documents in DIR instead of writing\n"
    "  --json              print {\"diagnostics\": [...], \"running_times\": {...}}\n"
    "                      on standard output\n"
    "  --acceleration A    m/s2 for the estimate (default 0.5)\n"
    "  --braking B         m/s2 for the estimate (default 0.5)\n"
    "  --help              this text\n"
    "\n"
    "Diagnostics are printed on standard error as\n"
    "  FILE:LINE:COL: severity: message [code]\n"
    "\n"
    "exit status:\n"
    "  0   documents written; with --verify, no error or warning\n"
    "  1   with --verify, an error or a warning; without it, an infeasible\n"
    "      timetable (the documents are still written)\n"
    "  2   the sources have faults (printed); nothing written\n"
    "  3   a file could not be read or written; the message names it\n"
    "  64  bad usage\n";

std::optional<double> parse_rate(const std::string& text) {
  try {
    size_t used = 0;
    const double v = std::stod(text, &used);
    if (used != text.size() || !(v > 0) || v > 20) return std::nullopt;
    return v;
  } catch (...) {
    return std::nullopt;
  }
}

std::string summary_diagnostics_json(const Diagnostics& d) {
  std::ostringstream o;
  o << "[";
  for (size_t i = 0; i < d.size(); ++i) {
    const Diagnostic& x = d[i];
    o << (i ? ", " : "") << "{\"severity\": \"" << severity_name(x.severity)
      << "\", \"code\": " << json_string(x.code) << ", \"file\": " << json_string(x.where.file)
      << ", \"line\": " << x.where.line << ", \"column\": " << x.where.column
      << ", \"message\": " << json_string(x.message) << "}";
  }
  o << "]";
  return o.str();
}

}  // namespace

int cmd_documents(const args_t& args) {
  command_options o;
  if (auto status = read_command({"documents", kHelp, {"--dir", "--line", "--train", "--out", "--acceleration", "--braking"},
                                {"--verify", "--json"}, {"--dir", "--line", "--train"}},
                               args, &o)) {
    return *status;
  }
  crew::running_rates rates;
  for (auto [option, field] : {std::pair{"--acceleration", &rates.acceleration},
                               std::pair{"--braking", &rates.braking}}) {
    if (o.values.count(option) == 0) continue;
    const auto v = parse_rate(o.value(option));
    if (!v) {
      std::cerr << "scenario-tool documents: " << option
                << " takes a rate in m/s2 above 0 and at most 20\n";
      return kUsage;
    }
    *field = *v;
  }

  const std::string folder = o.value("--dir");
  stato_compilazione s;
  s.nome_linea = o.value("--line");
  s.nome_treno = o.value("--train");
  PosixFileSystem fs;
  if (auto e = crew::read_sources(s, fs, folder)) {
    std::cerr << e->path << ": " << e->reason << '\n';
    return 3;
  }
  if (ha_errori(s) || !s.dimensionato()) {
    CompileOutcome nothing;
    nothing.nothing_to_write = !s.dimensionato();
    report(std::cerr, nothing, s);
    std::cerr << "scenario-tool documents: the sources have faults; no document written\n";
    return 2;
  }

  const crew::service sv(s);
  const std::string service_file = join_path(folder, nomi::treno_txt(s.nome_linea, s.nome_treno));
  std::string service_text;
  (void)fs.read(service_file, &service_text);
  const crew::feasibility timetable = crew::check_timetable(sv, rates, service_file, service_text);

  Diagnostics d;
  if (o.has("--verify")) d = crew::check_documents(s, fs, folder);
  d.insert(d.end(), timetable.diagnostics.begin(), timetable.diagnostics.end());
  for (const auto& x : d) std::cerr << format_diagnostic(x) << '\n';
  if (o.has("--json")) {
    std::cout << "{\"diagnostics\": " << summary_diagnostics_json(d)
              << ", \"running_times\": " << crew::running_times_json(timetable, rates) << "}\n";
  }
  const bool error = std::any_of(d.begin(), d.end(), [](const Diagnostic& x) { return x.severity == Severity::kError; });
  if (o.has("--verify")) {
    const bool warning = std::any_of(d.begin(), d.end(), [](const Diagnostic& x) { return x.severity != Severity::kNote; });
    return warning ? 1 : 0;
  }

  const std::string out_folder = o.value("--out", folder);
  if (auto e = make_folder(out_folder)) {
    std::cerr << *e << '\n';
    return 3;
  }
  const FolderLock lock(out_folder, &std::cerr);  // one writer per folder at a time
  const crew::written_documents docs = crew::write_documents(s, fs, out_folder);
  if (docs.io_error) {
    std::cerr << docs.io_error->path << ": " << docs.io_error->reason << '\n';
    return 3;
  }
  if (!o.has("--json")) {
    for (const auto& n : docs.written) std::cout << join_path(out_folder, n) << '\n';
  }
  return error ? 1 : 0;
}

}  // namespace scenario::tool
