// A track plan larger than the compile's window goes to its temporary in
// parts while it is computed. Whatever the window, the compile writes the
// bytes of a plan held whole, leaves no temporary behind, and fails cleanly
// at every change of the file system.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "model/file_names.h"
#include "model/layout.h"
#include "platform/file_system.h"
#include "platform/forwarding_file_system.h"
#include "run/compile.h"
#include "run/run.h"
#include "scenario/line_description.h"
#include "scenario/service_description.h"
#include "support/scenario_generator.h"
#include "support/test_support.h"

namespace scenario {
namespace {

const std::string kSources = "src";
const std::string kOut = "out";
constexpr size_t kWhole = std::numeric_limits<size_t>::max();

struct Sources {
  std::string nome_linea = nome_linea_incorporata;
  std::string nome_treno = nome_treno_incorporato;
  std::string linea;
  std::string treno;
};

Sources embedded() {
  MemoryFileSystem fs;
  Sources s;
  EXPECT_FALSE(dati_linea(fs, kSources, s.nome_linea, s.nome_treno));
  EXPECT_FALSE(dati_treno(fs, kSources, s.nome_linea, s.nome_treno));
  s.linea = fs.files.at(join_path(kSources, nomi::linea_txt(s.nome_linea)));
  s.treno = fs.files.at(join_path(kSources, nomi::treno_txt(s.nome_linea, s.nome_treno)));
  return s;
}

// The embedded line description with a curve of an unknown class halfway:
// the reader stops there, and the plan with it.
Sources embedded_with_bad_curve() {
  Sources s = embedded();
  const size_t at = s.linea.find("curvad4,  10150");
  EXPECT_NE(at, std::string::npos);
  s.linea[at + 6] = '9';
  return s;
}

Sources generated(uint64_t seed, int32_t lunghezza) {
  testing::GeneratorOptions options;
  options.lunghezza = lunghezza;
  const testing::RandomScenario g = testing::generate_scenario(seed, options);
  Sources s;
  s.linea = g.linea;
  s.treno = g.treno;
  return s;
}

struct Compiled {
  CompileOutcome outcome;
  int status = -1;
  std::string report;
  std::map<std::string, std::string> files;  // the whole folder after the compile
};

// The compile of `src` from folder `sources` into `out` on `fs`.
CompileOutcome compile_into(FileSystem& fs, const Sources& src, const std::string& sources,
                            const std::string& out, bool genera_linea, size_t window,
                            bool write_despite_faults, stato_compilazione& s) {
  s.nome_linea = src.nome_linea;
  s.nome_treno = src.nome_treno;
  CompileOptions options;
  options.source_folder = sources;
  options.output_folder = out;
  options.plan_window = window;
  options.write_despite_faults = write_despite_faults;
  return memorizza_percorso(s, genera_linea, fs, options);
}

Compiled compile(FileSystem& fs, MemoryFileSystem& disk, const Sources& src, bool genera_linea,
                 size_t window, bool write_despite_faults = true) {
  disk.files[join_path(kSources, nomi::linea_txt(src.nome_linea))] = src.linea;
  disk.files[join_path(kSources, nomi::treno_txt(src.nome_linea, src.nome_treno))] = src.treno;
  stato_compilazione s;
  Compiled c;
  c.outcome = compile_into(fs, src, kSources, kOut, genera_linea, window, write_despite_faults, s);
  c.status = exit_status(c.outcome, s);
  std::ostringstream err;
  report(err, c.outcome, s);
  c.report = err.str();
  c.files = disk.files;
  return c;
}

Compiled compile(const Sources& src, bool genera_linea, size_t window, bool write_despite_faults = true) {
  MemoryFileSystem disk;
  return compile(disk, disk, src, genera_linea, window, write_despite_faults);
}

bool is_temporary(const std::string& path) {
  return path.size() > 4 && path.compare(path.size() - 4, 4, ".tmp") == 0;
}

std::string linea_dat(const Sources& s) { return join_path(kOut, nomi::linea_dat(s.nome_linea)); }

struct WindowCase {
  const char* name;
  Sources (*sources)();
  bool genera_linea = true;
  bool write_despite_faults = true;
  // What the plan written is: finished (its file is the buffer's bytes),
  // cut short (encoded element by element), or not written at all.
  enum { finished, cut_short, none } plan = finished;
};

const WindowCase kCases[] = {
    {"Embedded", embedded},
    {"EmbeddedCutShort", embedded_with_bad_curve, true, true, WindowCase::cut_short},
    {"EmbeddedCutShortHeldBack", embedded_with_bad_curve, true, false, WindowCase::none},
    {"WithoutTrackPlan", embedded, false, true, WindowCase::none},
    {"Generated150km", [] { return generated(7, 150'000); }},
    {"Generated12km", [] { return generated(11, 12'000); }},
};

class PlanWindow : public ::testing::TestWithParam<WindowCase> {};

TEST_P(PlanWindow, WritesTheBytesOfAPlanHeldWholeAndNoTemporary) {
  const WindowCase& t = GetParam();
  const Sources src = t.sources();
  const Compiled whole = compile(src, t.genera_linea, kWhole, t.write_despite_faults);
  const std::string plan = linea_dat(src);
  switch (t.plan) {
    case WindowCase::finished:
      ASSERT_EQ(whole.status, 0) << whole.report;
      ASSERT_TRUE(whole.files.count(plan));
      break;
    case WindowCase::cut_short:
      // Smaller than a finished plan of the same route: not the buffer's bytes.
      ASSERT_TRUE(whole.files.count(plan)) << whole.report;
      ASSERT_LT(whole.files.at(plan).size(), 2 * layout::linea_meta(95'000)) << whole.report;
      break;
    case WindowCase::none:
      ASSERT_FALSE(whole.files.count(plan)) << whole.report;
      break;
  }
  for (size_t window : {size_t{1024}, size_t{1031}, size_t{4096}, size_t{65536}, size_t{1} << 20}) {
    SCOPED_TRACE("window " + std::to_string(window));
    const Compiled parts = compile(src, t.genera_linea, window, t.write_despite_faults);
    EXPECT_EQ(parts.status, whole.status);
    EXPECT_EQ(parts.report, whole.report);
    ASSERT_EQ(parts.files.size(), whole.files.size());
    for (const auto& [path, data] : whole.files) {
      ASSERT_TRUE(parts.files.count(path)) << path;
      EXPECT_TRUE(parts.files.at(path) == data) << path << " differs";
    }
    for (const auto& [path, data] : parts.files) EXPECT_FALSE(is_temporary(path)) << path;
  }
}

INSTANTIATE_TEST_SUITE_P(Scenarios, PlanWindow, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Older outputs of every name, so that a failed compile shows whether it
// kept them.
MemoryFileSystem disk_with_older_outputs(const Sources& s) {
  MemoryFileSystem disk;
  for (const auto& name : {nomi::linea_dat(s.nome_linea), nomi::sim(s.nome_linea, s.nome_treno),
                           nomi::dat(s.nome_linea, s.nome_treno)}) {
    disk.files[join_path(kOut, name)] = "older " + name;
  }
  return disk;
}

// Every change a compile with a small window makes (each part of the plan
// written to its temporary among them) fails in turn: status 3, the failure
// named with the output's path, the three outputs all older or all new, and
// no temporary left.
TEST(PlanWindowFaults, EveryChangeFailsCleanly) {
  const Sources src = embedded();
  const MemoryFileSystem before = disk_with_older_outputs(src);
  MemoryFileSystem fresh_disk = before;
  int changes = 0;
  Compiled fresh;
  {
    testing::FaultyFileSystem counter(fresh_disk, 0);
    fresh = compile(counter, fresh_disk, src, true, 1024);
    ASSERT_EQ(fresh.status, 0) << fresh.report;
    changes = counter.changes();
  }
  // The plan of 88 km in parts of 1 kB: well over a thousand writes.
  ASSERT_GT(changes, 1000);
  for (int n = 1; n <= changes; ++n) {
    SCOPED_TRACE("change " + std::to_string(n) + " of " + std::to_string(changes) + " fails");
    MemoryFileSystem disk = before;
    testing::FaultyFileSystem faulty(disk, n);
    const Compiled c = compile(faulty, disk, src, true, 1024);
    ASSERT_EQ(c.status, 3) << c.report;
    EXPECT_NE(c.report.find(kOut + "/"), std::string::npos) << c.report;
    EXPECT_NE(c.report.find(": injected failure"), std::string::npos) << c.report;
    int older = 0;
    int fresh_files = 0;
    for (const auto& [path, data] : before.files) {
      ASSERT_TRUE(c.files.count(path)) << path << " lost";
      older += c.files.at(path) == data;
      fresh_files += c.files.at(path) == fresh.files.at(path);
    }
    EXPECT_TRUE(older == 3 || fresh_files == 3) << older << " older and " << fresh_files << " new";
    for (const auto& [path, data] : c.files) {
      EXPECT_FALSE(is_temporary(path)) << "temporary left: " << path;
    }
  }
}

// A failure while the plan goes to its temporary names the output, as a
// failed write of a whole file does, with the temporary beside it.
TEST(PlanWindowFaults, AFailedPartNamesTheOutputAndItsTemporary) {
  const Sources src = embedded();
  MemoryFileSystem disk = disk_with_older_outputs(src);
  testing::FaultyFileSystem faulty(disk, 5);  // the two sources, then the plan's parts
  const Compiled c = compile(faulty, disk, src, true, 1024);
  ASSERT_EQ(c.status, 3) << c.report;
  const std::string plan = linea_dat(src);
  EXPECT_EQ(c.report.substr(c.report.rfind(plan + ": ")),
            plan + ": injected failure (writing " + temporary_path(plan) + ")\n");
}

// On disk, through the system's own writes at offsets.
TEST(PlanWindowOnDisk, WritesTheSameBytesAsInMemory) {
  const Sources src = generated(7, 150'000);
  const Compiled expected = compile(src, true, kWhole);
  ASSERT_EQ(expected.status, 0) << expected.report;

  testing::TempDir dir;
  const std::string sources = join_path(dir.path(), kSources);
  const std::string out = join_path(dir.path(), kOut);
  ASSERT_EQ(::mkdir(sources.c_str(), 0755), 0);
  ASSERT_EQ(::mkdir(out.c_str(), 0755), 0);
  testing::write_file(join_path(sources, nomi::linea_txt(src.nome_linea)), src.linea);
  testing::write_file(join_path(sources, nomi::treno_txt(src.nome_linea, src.nome_treno)), src.treno);
  stato_compilazione s;
  PosixFileSystem disk;
  const CompileOutcome outcome = compile_into(disk, src, sources, out, true, 4096, true, s);
  ASSERT_EQ(exit_status(outcome, s), 0);
  std::vector<std::string> names;
  for (const auto& [path, data] : expected.files) {
    if (path.rfind(kOut + "/", 0) != 0) continue;
    const std::string name = path.substr(kOut.size() + 1);
    names.push_back(name);
    EXPECT_TRUE(testing::read_file(join_path(out, name)) == data) << name << " differs";
  }
  EXPECT_EQ(testing::list_dir(out), names);
}

// Sizes `m` to points 0 .. ultimo and sets its head, as the track plan does.
void start_plan(matrice_punti& m, int32_t ultimo) {
  m.dimensiona(ultimo);
  m.imposta_intero(0, 0, 0);
  m.imposta_intero(1, 0, 1);
}

// A plan held in part takes its points in order: one set out of order would
// leave bytes its file never gets.
TEST(PlanHeldInPart, RefusesAPointOutOfOrder) {
  MemoryFileSystem fs;
  matrice_punti m;
  m.scrivi_in(fs, "plan", 1024);
  start_plan(m, 10'000);
  m.prolunga(2, 500, [](double x0, double y0, double x1, double y1, double& x, double& y) {
    x = x1 + (x1 - x0);
    y = y1 + (y1 - y0);
  });
  ASSERT_TRUE(m.in_parte());
  EXPECT_THROW(m.imposta_doppio(10, 1, 1), std::logic_error);   // gone to the file
  EXPECT_THROW(m.imposta_doppio(600, 1, 1), std::logic_error);  // a gap after 500
  EXPECT_THROW(m.imposta_intero(1, 0, 1), std::logic_error);    // the head is in the file
  m.abbandona_scarico();
  EXPECT_TRUE(fs.files.empty());
}

// Sized again, a plan held in part starts its file afresh: nothing of the
// earlier plan is left in it.
TEST(PlanHeldInPart, SizedAgainStartsItsFileAfresh) {
  MemoryFileSystem fs;
  matrice_punti m;
  m.scrivi_in(fs, "plan", 1024);
  start_plan(m, 10'000);
  m.prolunga_dritto(2, 9'998);
  ASSERT_EQ(fs.files.count("plan"), 1u);
  m.dimensiona(400);
  EXPECT_EQ(fs.files.count("plan"), 0u);
  m.imposta_intero(0, 0, 0);
  m.imposta_intero(1, 0, 1);
  m.prolunga_dritto(2, 398);
  ASSERT_TRUE(m.in_parte());
  ASSERT_EQ(m.concludi_scarico(), std::nullopt);
  matrice_punti whole;
  start_plan(whole, 400);
  whole.prolunga_dritto(2, 398);
  ASSERT_TRUE(whole.immagine());
  EXPECT_TRUE(fs.files.at("plan") == *whole.immagine());
}

// The parts of each half end at offsets of the file that are multiples of
// the largest power of two the window holds beside its reserve: the file
// system keeps such parts in large blocks, where parts ending anywhere cost
// it about 0.5 ms more for a 20 MB plan. Once a half has reached such an
// offset, its parts are whole powers of two (what a part leaves in the
// window is only the reserve). Each half is written in order, part after
// part, and the file ends with the bytes of the plan held whole.
TEST(PlanHeldInPart, WritesItsPartsAtAlignedOffsetsOfTheFile) {
  struct Part {
    uint64_t offset;
    size_t size;
  };
  struct Recording : ForwardingFileSystem {
    using ForwardingFileSystem::ForwardingFileSystem;
    std::optional<IoError> write_at(const std::string& path, uint64_t offset, std::string_view data) override {
      parts.push_back({offset, data.size()});
      return ForwardingFileSystem::write_at(path, offset, data);
    }
    std::vector<Part> parts;
  };
  MemoryFileSystem disk;
  Recording fs(disk);
  constexpr size_t kAlignment = 4096, kWindow = kAlignment + 64;
  constexpr int32_t kLast = 20'000;
  const uint64_t meta = layout::linea_meta(kLast);
  ASSERT_NE(meta % kAlignment, 0u) << "the second half must start off a multiple";
  // Straight on, a curve, straight on to the end.
  const auto draw = [](matrice_punti& p) {
    const int32_t curve = p.ultimo() / 3;
    p.prolunga_dritto(2, curve);
    p.prolunga(curve + 1, curve + 300, [](double x0, double y0, double x1, double y1, double& x, double& y) {
      x = x1 + ((x1 - x0) + 0.001 * (y1 - y0));
      y = y1 + ((y1 - y0) - 0.001 * (x1 - x0));
    });
    p.prolunga_dritto(curve + 301, p.ultimo() - 2);
  };
  matrice_punti m;
  m.scrivi_in(fs, "plan", kWindow);
  start_plan(m, kLast);
  draw(m);
  const size_t computed = fs.parts.size();
  ASSERT_GT(computed, 50u);
  ASSERT_EQ(m.concludi_scarico(), std::nullopt);
  std::array<uint64_t, 2> next{0, meta};
  std::array<int, 2> parts_of_half{};
  for (size_t k = 0; k < fs.parts.size(); ++k) {
    const Part& p = fs.parts[k];
    const size_t h = p.offset >= meta ? 1 : 0;
    SCOPED_TRACE("part " + std::to_string(k) + " at " + std::to_string(p.offset));
    EXPECT_EQ(p.offset, next[h]) << "each half in order, without a gap";
    next[h] = p.offset + p.size;
    if (k < computed) {
      EXPECT_EQ(next[h] % kAlignment, 0u) << "ends at a multiple of " << kAlignment;
      // The second half starts off a multiple: its first part ends at one.
      if (++parts_of_half[h] > 1 + static_cast<int>(h)) {
        EXPECT_EQ(p.size, kAlignment);
      }
    }
  }
  EXPECT_EQ(next[0], meta);
  EXPECT_EQ(next[1], 2 * meta);
  matrice_punti whole;
  start_plan(whole, kLast);
  draw(whole);
  ASSERT_TRUE(whole.immagine());
  EXPECT_TRUE(disk.files.at("plan") == *whole.immagine());
}

}  // namespace
}  // namespace scenario
