// scenario-tool export: the embedded scenario's two sources and three crew
// documents, written by the same writers as the one-shot run, so that an
// author starts from files the compiler is known to accept.
#include <iostream>

#include "commands.h"
#include "platform/file_system.h"
#include "run/run.h"
#include "tool_support.h"

namespace scenario::tool {

namespace {

constexpr const char* kHelp =
    "usage: scenario-tool export --out DIR [--line NAME] [--train NAME]\n"
    "\n"
    "Writes the embedded scenario as text into DIR (made when it does not exist):\n"
    "  NAME_linea.txt                 the line description\n"
    "  NAME_TRAIN-.txt                the service description\n"
    "  NAME_TRAIN_note.txt            the notes sheet\n"
    "  NAME_TRAIN_rallentamenti.txt   the slow-down order\n"
    "  NAME_TRAIN_scheda_treno.txt    the timetable card\n"
    "Prints the path of each file written. Older files of these names are\n"
    "replaced whole. The names default to \"Borgo Varnello_Calmea\" and\n"
    "\"Reg 27594\"; they only name the files, the content is always the\n"
    "embedded scenario's.\n"
    "\n"
    "Compile the two sources with:\n"
    "  scenario-tool compile --dir DIR --line NAME --train TRAIN\n"
    "\n"
    "status: 0 done, 3 a file could not be written (the message names it),\n"
    "64 bad usage.\n";

}  // namespace

int cmd_export(const args_t& args) {
  command_options o;
  if (auto status = read_command({"export", kHelp, {"--out", "--line", "--train"}, {}, {}}, args, &o)) {
    return *status;
  }
  const std::string folder = o.value("--out");
  const std::string line = o.value("--line", nome_linea_incorporata);
  const std::string train = o.value("--train", nome_treno_incorporato);
  if (folder.empty() || line.empty() || train.empty()) {
    std::cerr << "scenario-tool export: "
              << (folder.empty() ? "--out DIR is required" : "a name must not be empty")
              << "\n"
              << kHelp;
    return kUsage;
  }
  if (line.find('/') != std::string::npos || train.find('/') != std::string::npos) {
    std::cerr << "scenario-tool export: a name must not contain '/'\n";
    return kUsage;
  }

  if (auto error = make_folder(folder)) {
    std::cerr << *error << '\n';
    return 3;
  }
  PosixFileSystem fs;
  for (const auto& writer : testi_incorporati()) {
    if (auto error = writer.scrivi(fs, folder, line, train)) {
      std::cerr << error->path << ": " << error->reason << '\n';
      return 3;
    }
    std::cout << join_path(folder, writer.nome(line, train)) << '\n';
  }
  return 0;
}

}  // namespace scenario::tool
