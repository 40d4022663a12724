// scenario-tool check: every problem of an author's two text files in one
// run, nothing written.
#include <iostream>
#include <sstream>
#include <string>

#include "commands.h"
#include "crew/feasibility.h"
#include "crew/verify.h"
#include "diagnostic_output.h"
#include "model/file_names.h"
#include "model/model.h"
#include "platform/file_system.h"
#include "run/compile.h"
#include "tool_support.h"

namespace scenario::tool {

namespace {

constexpr const char* kCheckHelp =
    "usage: scenario-tool check --dir DIR --line NAME --train NAME [--json]\n"
    "                           [--allow CODE]... [--Werror]\n"
    "\n"
    "Reads a line description and a service description as compile does and\n"
    "reports every problem found, without writing or changing any file. After\n"
    "an error the reading goes on at the next line of the file, as if the row\n"
    "in error were absent, so later rows are still checked. The derivation\n"
    "rules and the header guards are then applied to what was read.\n"
    "\n"
    "When the sources have no error, the timetable is checked too: between two\n"
    "consecutive timed stations, a time below what the stretch needs at its\n"
    "speed limits is an error (timetable-infeasible), below an estimate that\n"
    "accelerates and brakes at 0.5 m/s2 a note (timetable-tight), times going\n"
    "backwards a warning (timetable-backwards); and a timetable card and a\n"
    "slow-down order kept beside the sources are checked against them\n"
    "(codes card-* and order-*; see scenario-tool documents --help).\n"
    "\n"
    "Reads:\n"
    "  DIR/NAME_linea.txt        the line description (NAME from --line)\n"
    "  DIR/LINE_TRAIN-.txt       the service description\n"
    "\n"
    "options:\n"
    "  --dir DIR         folder of the two text files\n"
    "  --line NAME       line name\n"
    "  --train NAME      train name\n"
    "  --allow CODE      do not report the warning CODE (may be repeated)\n"
    "  --Werror          count every warning as an error\n"
    "  --json            print {\"diagnostics\": [...], \"running_times\": {...}}\n"
    "                    on standard output (running_times is null when the\n"
    "                    sources have errors)\n"
    "  --help            this text\n"
    "\n"
    "Each problem is printed on standard error, in the order met, as\n"
    "  FILE:LINE:COL: severity: message [code]\n"
    "with notes for the places that explain it.\n"
    "\n"
    "exit status:\n"
    "  0   no error (warnings may have been printed)\n"
    "  2   errors found (or warnings under --Werror)\n"
    "  3   a file could not be read; the message names it\n"
    "  64  bad usage\n";

// The checks that need a scenario read without error: the timetable
// against the route, and the crew documents kept beside the sources.
// Returns the running-time table as JSON, or "null" when they were not run.
std::string further_checks(const stato_compilazione& s, FileSystem& fs,
                           const std::string& folder, Diagnostics& d) {
  if (ha_errori(s) || !s.dimensionato()) return "null";
  const crew::running_rates rates;
  const std::string service_file = join_path(folder, nomi::treno_txt(s.nome_linea, s.nome_treno));
  std::string service_text;
  (void)fs.read(service_file, &service_text);
  const crew::feasibility timetable = crew::check_timetable(s, rates, service_file, service_text);
  d.insert(d.end(), timetable.diagnostics.begin(), timetable.diagnostics.end());
  // Documents are checked only where the author keeps them: a scenario
  // without a card or an order is not a problem of its sources.
  for (Diagnostic& x : crew::check_documents(s, fs, folder)) {
    if (x.code != "card-absent" && x.code != "order-absent") d.push_back(std::move(x));
  }
  return crew::running_times_json(timetable, rates);
}

}  // namespace

int cmd_check(const args_t& args) {
  command_options options;
  if (auto status = read_command({"check", kCheckHelp, {"--dir", "--line", "--train", "--allow"},
                                {"--json", "--Werror"}, {"--dir", "--line", "--train"}},
                               args, &options)) {
    return *status;
  }
  WarningPolicy policy;
  if (auto error = read_warning_policy(options, &policy)) {
    std::cerr << "scenario-tool check: " << *error << "\n";
    return kUsage;
  }

  stato_compilazione s;
  s.nome_linea = options.value("--line");
  s.nome_treno = options.value("--train");
  PosixFileSystem fs;
  CompileOutcome outcome = check_sources(s, con_matrice_linea, fs, options.value("--dir"), policy);
  if (outcome.guard_error) {
    s.diagnostiche.push_back(diagnostica_errore(*outcome.guard_error, std::nullopt, {}));
  }
  Diagnostics further;
  const std::string running_times = further_checks(s, fs, options.value("--dir"), further);
  apply_policy(further, policy);
  for (Diagnostic& d : further) s.diagnostiche.push_back(std::move(d));

  std::cerr << diagnostic_lines(s.diagnostiche);
  if (outcome.io_error) std::cerr << outcome.io_error->path << ": " << outcome.io_error->reason << '\n';
  if (options.has("--json")) {
    std::cout << "{\"diagnostics\": " << diagnostics_json(s.diagnostiche)
              << ", \"running_times\": " << running_times << "}\n";
  }
  if (outcome.io_error) return 3;
  return has_errors(s.diagnostiche) ? 2 : 0;
}

}  // namespace scenario::tool
