// What the benchmarks and the measuring programs share: temporary folders on
// the real disk, generated scenarios of a given length, the bytes a compile
// writes, and the floor (the same bytes written with the same file steps).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/model.h"
#include "platform/file_system.h"
#include "run/compile.h"

namespace scenario::bench {

// A fresh folder under $TMPDIR (or /tmp), removed with its files when the
// object goes.
class temp_folder {
 public:
  temp_folder();
  ~temp_folder();
  temp_folder(const temp_folder&) = delete;
  temp_folder& operator=(const temp_folder&) = delete;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Puts everything written to the file system of `folder` on the disk.
// Each timed run starts from there, as a run of the program after a pause
// does: otherwise the file system's deferred work for the writes of the run
// before (block allocation, then the discard of blocks freed by a delete)
// lands in the next run, more of it the longer that run took.
void sync_to_disk(const std::string& folder);

// The two text sources of a generated scenario.
struct generated_sources {
  std::string line;     // the line description
  std::string service;  // the service description
  int32_t length = 0;   // metres
  int rows = 0;  // rows asked for each kind without a fixed limit
};

// A valid scenario of `km` kilometres with rows in proportion to the length:
// two rows of every kind per kilometre (2,000 at 1,000 km), tunnels, stations
// and text boards up to their own limits.
generated_sources make_scenario(int km);

// Writes the two sources under the names the compile looks for.
void write_sources(FileSystem& fs, const std::string& folder, const generated_sources& g);

// A compile state named like the embedded scenario.
stato_compilazione fresh_state();

// Compile options that read and write in `folder` and keep the sources.
CompileOptions options_in(const std::string& folder);

// One file of a set, with its bytes.
struct file_bytes {
  std::string name;
  std::string data;
};

// The binary files that compiling `g` writes, in the order they are renamed
// into place.
std::vector<file_bytes> compile_outputs(const generated_sources& g);

// Every file the one-shot run writes, as the run writes them: the five text
// files one by one (two sources, three documents), then the binary set.
struct run_outputs {
  std::vector<file_bytes> texts;  // each published alone, in this order
  std::vector<file_bytes> binaries;  // published as one set
  std::vector<std::string> sources;  // names of the texts deleted at the end
};
run_outputs outputs_of_run();

// The floor of a compile: the set of binary files replaced with publish().
void floor_compile(FileSystem& fs, const std::string& folder,
                   const std::vector<file_bytes>& binaries);

// The floor of the one-shot run: each text published alone, the binary set
// published together, then the two sources deleted.
void floor_run(FileSystem& fs, const std::string& folder, const run_outputs& u);

// Total bytes of a set of files.
size_t total_bytes(const std::vector<file_bytes>& files);

}  // namespace scenario::bench
