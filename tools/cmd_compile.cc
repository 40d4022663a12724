// scenario-tool compile: a scenario author's own text files compiled into
// the binary files, exactly as the one-shot run compiles its own; the
// sources are only read, never deleted or changed.
#include <filesystem>
#include <iostream>
#include <system_error>
#include <sstream>
#include <string>

#include "commands.h"
#include "crew/documents.h"
#include "diagnostic_output.h"
#include "model/model.h"
#include "platform/file_system.h"
#include "platform/folder_lock.h"
#include "run/compile.h"
#include "tool_support.h"

namespace scenario::tool {

namespace {

constexpr const char* kCompileHelp =
    "usage: scenario-tool compile --dir DIR --line NAME --train NAME [--out DIR]\n"
    "                             [--no-track-plan] [--write-faulty] [--documents]\n"
    "                             [--json]\n"
    "                             [--allow CODE]... [--Werror]\n"
    "\n"
    "Compiles a line description and a service description into the binary\n"
    "files the simulator loads, as the scenario program does.\n"
    "\n"
    "Reads (never deletes or changes):\n"
    "  DIR/NAME_linea.txt        the line description (NAME from --line)\n"
    "  DIR/LINE_TRAIN-.txt       the service description (LINE from --line,\n"
    "                            TRAIN from --train)\n"
    "Writes, into --out (default DIR; created when missing):\n"
    "  LINE_linea.dat            the track plan (not with --no-track-plan)\n"
    "  LINE_TRAIN.sim            the scenario table\n"
    "  LINE_TRAIN.dat            the route cells\n"
    "\n"
    "options:\n"
    "  --dir DIR         folder of the two text files\n"
    "  --line NAME       line name\n"
    "  --train NAME      train name\n"
    "  --out DIR         folder for the binary files (default: --dir)\n"
    "  --no-track-plan   build and write no track plan\n"
    "  --documents       also write the timetable card and the slow-down order\n"
    "                    (and an empty notes sheet unless one exists) into the\n"
    "                    same folder, as scenario-tool documents does; only\n"
    "                    when the compile records no fault\n"
    "  --write-faulty    write the binary files even when the compile records a\n"
    "                    fault, exactly as the scenario program does\n"
    "  --allow CODE      do not report the warning CODE (may be repeated)\n"
    "  --Werror          count every warning as an error\n"
    "  --json            print the result as one JSON object on standard output\n"
    "  --help            this text\n"
    "\n"
    "The reading stops at the first fault, as the scenario program reads. That\n"
    "fault is printed on standard error, then every warning, each as\n"
    "  FILE:LINE:COL: severity: message [code]\n"
    "with notes for the places that explain it. A fault of the derivation rules\n"
    "points at the row whose object caused it. When the compile records a fault\n"
    "(or a warning under --Werror) no binary file is written and older ones are\n"
    "left as they were, unless --write-faulty is given. A header guard refusal\n"
    "prints \" Errore n. 1250\" or \" Errore n. 1251\" and writes nothing.\n"
    "scenario-tool check reports every problem of the two files in one run.\n"
    "\n"
    "With --json, standard output holds:\n"
    "  {\"numero_errore\": N, \"posizione_errore\": N, \"guard_error\": null|1250|1251,\n"
    "   \"written\": [file names], \"kept_older_files\": true|false,\n"
    "   \"faults\": [{\"numero\": N, \"posizione\": N|null, \"file\": \"...\",\n"
    "   \"line\": N|null, \"column\": N|null, \"code\": \"EN\", \"message\": \"...\"}],\n"
    "   \"diagnostics\": [{\"severity\", \"code\", \"file\", \"line\", \"column\",\n"
    "   \"source_text\", \"message\", \"fault_number\", \"position\", \"related\"}]}\n"
    "numero_errore is the number of the last fault (0 when none); posizione_errore\n"
    "is the position of the last fault that carried one, which may be an earlier\n"
    "fault than the last (0 when none did). \"file\" is empty for a fault of the\n"
    "derivation rules whose object no row placed.\n"
    "\n"
    "exit status:\n"
    "  0   compiled without faults (warnings may have been printed)\n"
    "  1   refused by a header guard, or nothing to write (no route length);\n"
    "      no file written\n"
    "  2   faults recorded: nothing written, or written with --write-faulty\n"
    "  3   a file could not be created, written or deleted, or an existing one\n"
    "      could not be read; the message names it (a missing source is a\n"
    "      fault: E101 for the line description, E25 for the service one)\n"
    "  64  bad usage\n";

std::string json(const CompileOutcome& outcome, const stato_compilazione& s) {
  std::ostringstream o;
  o << "{\"numero_errore\": " << s.numero_errore
    << ", \"posizione_errore\": " << s.posizione_errore << ", \"guard_error\": ";
  if (outcome.guard_error) {
    o << *outcome.guard_error;
  } else {
    o << "null";
  }
  o << ", \"written\": [";
  for (std::size_t i = 0; i < outcome.written.size(); ++i) {
    o << (i ? ", " : "") << json_string(outcome.written[i]);
  }
  o << "], \"kept_older_files\": " << (outcome.held_back ? "true" : "false") << ", \"faults\": [";
  bool first = true;
  for (const Diagnostic& d : s.diagnostiche) {
    if (!d.fault_number) continue;
    o << (first ? "" : ", ") << "{\"numero\": " << *d.fault_number << ", \"posizione\": ";
    first = false;
    if (d.position) {
      o << *d.position;
    } else {
      o << "null";
    }
    o << ", \"file\": " << json_string(d.where.file) << ", \"line\": ";
    if (d.where.line > 0) {
      o << d.where.line;
    } else {
      o << "null";
    }
    o << ", \"column\": ";
    if (d.where.column > 0) {
      o << d.where.column;
    } else {
      o << "null";
    }
    o << ", \"code\": " << json_string(d.code) << ", \"message\": " << json_string(d.message) << "}";
  }
  o << "], \"diagnostics\": " << diagnostics_json(s.diagnostiche) << "}";
  return o.str();
}

}  // namespace

int cmd_compile(const args_t& args) {
  command_options options;
  if (auto status = read_command({"compile", kCompileHelp, {"--dir", "--line", "--train", "--out", "--allow"},
                                {"--no-track-plan", "--json", "--write-faulty", "--Werror", "--documents"}, {"--dir", "--line", "--train"}},
                               args, &options)) {
    return *status;
  }
  CompileOptions compile_options;
  if (auto error = read_warning_policy(options, &compile_options.warnings)) {
    std::cerr << "scenario-tool compile: " << *error << "\n";
    return kUsage;
  }

  stato_compilazione s;
  s.nome_linea = options.value("--line");
  s.nome_treno = options.value("--train");
  compile_options.source_folder = options.value("--dir");
  compile_options.output_folder = options.value("--out", compile_options.source_folder);
  compile_options.delete_sources = false;
  compile_options.write_despite_faults = options.has("--write-faulty");
  const bool with_track_plan = !options.has("--no-track-plan");

  if (options.values.count("--out") != 0) {
    std::error_code error;
    std::filesystem::create_directories(compile_options.output_folder, error);
    if (error) {
      std::cerr << compile_options.output_folder << ": cannot create the folder: " << error.message() << '\n';
      return 3;
    }
  }
  PosixFileSystem fs;
  const FolderLock lock(compile_options.output_folder, &std::cerr);  // one writer per --out folder
  CompileOutcome outcome = memorizza_percorso(s, with_track_plan, fs, compile_options);
  report(std::cerr, outcome, s);
  if (options.has("--documents") && exit_status(outcome, s) == 0) {
    const crew::written_documents docs =
        crew::write_documents(s, fs, compile_options.output_folder);
    if (docs.io_error) {
      std::cerr << docs.io_error->path << ": " << docs.io_error->reason << '\n';
      return 3;
    }
    outcome.written.insert(outcome.written.end(), docs.written.begin(), docs.written.end());
  }
  if (outcome.held_back) {
    std::cerr << "no binary file written: the compile recorded a fault, and older files in "
              << compile_options.output_folder << " are left as they were (--write-faulty writes them)\n";
  }
  if (options.has("--json")) std::cout << json(outcome, s) << '\n';
  return exit_status(outcome, s);
}

}  // namespace scenario::tool
