// scenario-tool diff: what differs between two scenarios, by kilometre post
// and position, in the terms of the sources.
#include <cstdio>
#include <iostream>
#include <string>

#include "commands.h"
#include "model/diagnostics.h"
#include "platform/file_system.h"
#include "roundtrip/diff.h"
#include "tool_support.h"

namespace scenario::tool {

namespace {

constexpr const char* kHelp =
    "usage: scenario-tool diff --line NAME --train NAME DIR_A DIR_B\n"
    "                          [--line-b NAME] [--train-b NAME] [--json]\n"
    "\n"
    "Lists what differs from the scenario in DIR_A to the one in DIR_B. Each\n"
    "folder holds the binary files (LINE_TRAIN.sim, LINE_TRAIN.dat and,\n"
    "optionally, LINE_linea.dat) or, when those are not there, the two sources,\n"
    "which are compiled first (in memory, with the track plan).\n"
    "\n"
    "The differences are listed by kind, in this order: route length and\n"
    "zones, speed limits, gradients, adhesion, curves, tunnels, boards,\n"
    "signals, slow-downs, stations and times, header values; each kind along\n"
    "the route, by kilometre post (of DIR_A) and position in metres:\n"
    "  speed limits\n"
    "    km 12+350 (12350 m) to km 13+000 (13000 m): limit 80 → 60 km/h\n"
    "  stations and times\n"
    "    station CASTELMORO: time 6:36:00 → 6:38:00, 2 min later\n"
    "What the compile adds by itself (the derivation's speed boards, approach\n"
    "marks, integrity codes) is not listed; bytes that differ where no source\n"
    "row shows it are reported as \"other bytes\".\n"
    "\n"
    "options:\n"
    "  --line NAME      line name of both scenarios (of DIR_A with --line-b)\n"
    "  --train NAME     train name of both scenarios (of DIR_A with --train-b)\n"
    "  --line-b NAME    line name of the scenario in DIR_B\n"
    "  --train-b NAME   train name of the scenario in DIR_B\n"
    "  --json           one JSON object on standard output:\n"
    "                   {\"equal\": true|false, \"differences\": [{\"kind\": \"...\",\n"
    "                    \"position\": N|null, \"post\": \"12+350\"|null, \"text\": \"...\"}]}\n"
    "\n"
    "status: 0 the scenarios are equal, 1 they differ, 2 error (a scenario\n"
    "could not be read or compiled), 64 bad usage.\n";

// A JSON string of a text that is already UTF-8 (the difference lines carry
// the scenario's texts converted, and arrows).
std::string json_utf8(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20 || u == 0x7F) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", u);
      out += buf;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

}  // namespace

int cmd_diff(const args_t& args) {
  command_options o;
  if (auto e = parse_options(args, {"--line", "--train", "--line-b", "--train-b"}, {"--json"}, &o)) {
    std::cerr << "scenario-tool diff: " << *e << "\n\n" << kHelp;
    return kUsage;
  }
  if (o.help) {
    std::cout << kHelp;
    return 0;
  }
  if (o.positionals.size() != 2 || o.value("--line").empty() || o.value("--train").empty()) {
    std::cerr << "scenario-tool diff: --line, --train and two folders are required\n\n" << kHelp;
    return kUsage;
  }
  const std::string line = o.value("--line");
  const std::string train = o.value("--train");
  const std::string line_b = o.value("--line-b", line);
  const std::string train_b = o.value("--train-b", train);

  PosixFileSystem fs;
  Diagnostics diag;
  const auto a = roundtrip::load(fs, o.positionals[0], line, train, &diag);
  const auto b = roundtrip::load(fs, o.positionals[1], line_b, train_b, &diag);
  for (const Diagnostic& d : diag) std::cerr << format_diagnostic(d) << '\n';
  if (!a || !b) return 2;

  const auto diff = roundtrip::compare(*a, *b);
  if (o.has("--json")) {
    std::cout << "{\"equal\": " << (diff.empty() ? "true" : "false") << ", \"differences\": [";
    for (size_t i = 0; i < diff.size(); ++i) {
      const auto& d = diff[i];
      std::cout << (i ? ",\n  " : "\n  ") << "{\"kind\": " << json_utf8(d.kind) << ", \"position\": "
                << (d.position ? std::to_string(*d.position) : "null")
                << ", \"post\": " << (d.post.empty() ? "null" : json_utf8(d.post))
                << ", \"text\": " << json_utf8(d.text) << "}";
    }
    std::cout << (diff.empty() ? "" : "\n") << "]}\n";
  } else {
    std::string group;
    for (const auto& d : diff) {
      if (d.kind != group) {
        group = d.kind;
        std::cout << group << '\n';
      }
      std::cout << "  " << d.text << '\n';
    }
  }
  return diff.empty() ? 0 : 1;
}

}  // namespace scenario::tool
