// scenario-tool plot: one SVG page of a compiled scenario, drawn by the
// drawing core (drawing/).
#include <iostream>
#include <string>

#include "commands.h"
#include "drawing/scenario_data.h"
#include "drawing/svg.h"
#include "platform/file_system.h"
#include "tool_support.h"

namespace scenario::tool {

namespace {

constexpr const char* kHelp =
    "usage: scenario-tool plot --dir DIR --line NAME --train NAME --out FILE.svg\n"
    "                          [--from KM] [--to KM]\n"
    "\n"
    "Reads the three binary files of a compiled scenario from DIR:\n"
    "  NAME_TRAIN.sim, NAME_TRAIN.dat and NAME_linea.dat\n"
    "and draws one SVG page: the plan of the line from the track plan, in a\n"
    "frame sized to the route's shape, with every object placed (stations,\n"
    "signals with their kilometre posts, tunnels, slow-downs, text boards,\n"
    "speed-indicator boards, abbattimento points, the speed boards the\n"
    "derivation rules add, warning boards, advance and approach marks); under\n"
    "it the speed limit, the gradient and the adhesion along the route, with\n"
    "the station names, over an axis of kilometre posts. Signals whose post\n"
    "finds no room on the plan are listed under it. Markers carry the classes\n"
    "\"station\", \"signal\", \"tunnel\", \"slowdown\", \"text-board\",\n"
    "\"speed-indicator\", \"abbattimento\", \"derived-board\", \"warning-board\",\n"
    "\"advance-mark\" and \"approach-mark\".\n"
    "\n"
    "When DIR also holds the two text sources, they are compiled in memory:\n"
    "the compile's faults head the page and the derived boards are known\n"
    "exactly. Misfits of the files (stamps, integrity codes, no stations) head\n"
    "the page too, and are printed on standard error as warnings.\n"
    "\n"
    "options:\n"
    "  --from KM, --to KM  draw only this stretch: kilometres along the route\n"
    "                      (\"12.5\") or a kilometre post (\"12+500\")\n"
    "\n"
    "status: 0 done, 1 a file does not fit its layout or the three files do\n"
    "not belong together, 3 a file could not be read or written, 64 bad usage.\n";

}  // namespace

int cmd_plot(const args_t& args) {
  command_options o;
  if (auto status = read_command({"plot", kHelp, {"--dir", "--line", "--train", "--out", "--from", "--to"},
                                {}, {"--dir", "--line", "--train", "--out"}},
                               args, &o)) {
    return *status;
  }
  const std::string dir = o.value("--dir"), line = o.value("--line"),
                    train = o.value("--train"), out = o.value("--out");
  PosixFileSystem fs;
  drawing::loaded_scenario s;
  if (auto r = drawing::load_binaries(fs, dir, line, train, &s)) {
    std::cerr << r->message << '\n';
    return r->status;
  }
  drawing::add_from_sources(fs, dir, line, train, &s);

  drawing::svg_options page;
  page.title = line + " - " + train;
  const chilometrica km(s.table);
  for (const char* option : {"--from", "--to"}) {
    const std::string v = o.value(option);
    if (v.empty()) continue;
    const auto m = drawing::read_kilometre(v, km, s.length());
    if (!m || *m < 0 || *m > s.length()) {
      std::cerr << "scenario-tool plot: " << option << " '" << v
                << "' is neither kilometres along the route (0 to " << s.length() / 1000.0
                << ") nor a kilometre post of it\n";
      return kUsage;
    }
    (std::string(option) == "--from" ? page.from : page.to) = *m;
  }
  if (page.from && page.to && *page.to <= *page.from) {
    std::cerr << "scenario-tool plot: --to must lie after --from along the route\n";
    return kUsage;
  }
  for (const Diagnostic& d : s.diagnostics) std::cerr << format_diagnostic(d) << '\n';
  const auto result = drawing::draw_svg(s, page);
  if (auto e = publish(fs, {OutputFile{out, result.svg}})) {
    std::cerr << e->path << ": " << e->reason << '\n';
    return 3;
  }
  return 0;
}

}  // namespace scenario::tool
