// scenario-tool decompile: a scenario's binary files back to the line and
// service descriptions that compile to them, checked by compiling them.
#include <iostream>
#include <string>

#include "commands.h"
#include "model/diagnostics.h"
#include "model/file_names.h"
#include "platform/file_system.h"
#include "roundtrip/decompile.h"
#include "tool_support.h"

namespace scenario::tool {

namespace {

constexpr const char* kHelp =
    "usage: scenario-tool decompile --dir DIR --line NAME --train NAME --out DIR\n"
    "\n"
    "Reads the binary files of a scenario and writes the two text sources that\n"
    "compile to them:\n"
    "  DIR/LINE_TRAIN.sim and DIR/LINE_TRAIN.dat   (needed)\n"
    "  DIR/LINE_linea.dat                          (the track plan; optional)\n"
    "Writes into --out (which must exist):\n"
    "  LINE_linea.txt      the line description\n"
    "  LINE_TRAIN-.txt     the service description\n"
    "\n"
    "The sources are written as an author would: one row where a profile\n"
    "changes, positions on the 50 m grid, and nothing that the compile adds by\n"
    "itself (the derivation's speed boards, header values, integrity codes,\n"
    "approach marks, stop points, tunnel markers). The command then compiles\n"
    "what it wrote, in memory, and compares the result with the files byte for\n"
    "byte before it reports success.\n"
    "\n"
    "Without the track plan the curves cannot be recovered: none is written,\n"
    "and the sources give back the .sim and .dat files when compiled with\n"
    "--no-track-plan.\n"
    "\n"
    "Where no source gives the bytes (a damaged or hand-edited file, or one\n"
    "compiled with faults), the nearest sources are still written and every\n"
    "cell, row or track plan stretch that they cannot produce is named in a\n"
    "warning on standard error:\n"
    "  FILE: warning: cell 851 (km 42+550, 42550 m) cannot be produced: ... [decompile-mismatch]\n"
    "\n"
    "status: 0 the sources compile to the same bytes, 1 the files could not be\n"
    "decoded (nothing written), 2 sources written but they do not give the same\n"
    "bytes, 3 a file could not be read or written, 64 bad usage.\n";

}  // namespace

int cmd_decompile(const args_t& args) {
  command_options o;
  if (auto status = read_command({"decompile", kHelp, {"--dir", "--line", "--train", "--out"},
                                {}, {"--dir", "--line", "--train", "--out"}},
                               args, &o)) {
    return *status;
  }
  const std::string dir = o.value("--dir");
  const std::string out = o.value("--out");
  const std::string line = o.value("--line");
  const std::string train = o.value("--train");

  PosixFileSystem fs;
  roundtrip::binary_files f;
  for (auto [name, bytes] : {std::pair{nomi::sim(line, train), &f.sim},
                             std::pair{nomi::dat(line, train), &f.dat}}) {
    if (auto e = fs.read(join_path(dir, name), bytes)) {
      std::cerr << e->path << ": " << e->reason << '\n';
      return 3;
    }
  }
  std::string plan;
  if (auto e = fs.read(join_path(dir, nomi::linea_dat(line)), &plan)) {
    if (!e->missing) {
      std::cerr << e->path << ": " << e->reason << '\n';
      return 3;
    }
  } else {
    f.linea = std::move(plan);
  }

  const roundtrip::decompile_outcome r = roundtrip::decompile(f, line, train);
  for (const Diagnostic& d : r.diagnostiche) std::cerr << format_diagnostic(d) << '\n';
  if (!r.decoded) return 1;

  if (auto e = make_folder(out)) {
    std::cerr << *e << '\n';
    return 3;
  }
  const std::string line_path = join_path(out, nomi::linea_txt(line));
  const std::string train_path = join_path(out, nomi::treno_txt(line, train));
  if (auto e = publish(fs, {{line_path, r.linea}, {train_path, r.servizio}})) {
    std::cerr << e->path << ": " << e->reason << '\n';
    return 3;
  }
  std::cout << line_path << '\n' << train_path << '\n';
  if (!r.round_trip) {
    std::cerr << "scenario-tool decompile: the written sources do NOT compile to the same bytes\n";
    return 2;
  }
  std::cerr << "round trip checked: the sources compile to the same "
            << (f.linea ? "three" : "two") << " files, byte for byte"
            << (f.linea ? "" : " (compile them with --no-track-plan)") << '\n';
  return 0;
}

}  // namespace scenario::tool
