// Every file operation of the system goes through FileSystem, so that tests
// can run the whole sequence in memory or make any single operation fail.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace scenario {

// A failed file-system operation: the path concerned and the system's reason.
struct IoError {
  std::string path;
  std::string reason;
  bool missing = false;  // the file does not exist (reads only)
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Reads the whole file into *data.
  virtual std::optional<IoError> read(const std::string& path, std::string* data) = 0;
  // Creates or truncates `path` and writes all of `data` to it.
  virtual std::optional<IoError> write(const std::string& path, std::string_view data) = 0;
  // Replaces `to` by `from` in one step.
  virtual std::optional<IoError> rename(const std::string& from, const std::string& to) = 0;
  // Deleting a file that is already gone is not a failure.
  virtual std::optional<IoError> remove(const std::string& path) = 0;
  // Gives the file `from` the second name `to` (a hard link): `to` keeps the
  // content when `from` is replaced. Fails with `missing` when `from` is absent.
  virtual std::optional<IoError> link(const std::string& from, const std::string& to) = 0;
  // Writes `data` at byte `offset` of `path`, creating the file when it is
  // absent; the rest of the file stays as it is, and bytes never written
  // read as zeros. For an output written in pieces while it is made.
  virtual std::optional<IoError> write_at(const std::string& path, uint64_t offset,
                                          std::string_view data) = 0;
};

struct OutputFile {
  std::string path;
  std::string_view data;
  // The temporary already holds the content, written in pieces while it was
  // made (write_at): `data` is not written again.
  bool temporary_written = false;
};

// Replaces every target with its new content, or none of them.
// Each file is written to a temporary beside its target first (unless it
// was already, see OutputFile); only when all
// were written whole are they renamed over their targets, each older target
// of a set kept aside until the whole set is in place. On any failure the
// older targets are put back and no temporary is left behind.
std::optional<IoError> publish(FileSystem& fs, const std::vector<OutputFile>& files);

// The temporary that publish() writes before renaming it over `path`.
std::string temporary_path(const std::string& path);
// Where publish() keeps the older `path` while it renames a set into place.
std::string backup_path(const std::string& path);

// `folder` + "/" + `name`.
std::string join_path(const std::string& folder, const std::string& name);

// The real file system.
class PosixFileSystem final : public FileSystem {
 public:
  std::optional<IoError> read(const std::string& path, std::string* data) override;
  std::optional<IoError> write(const std::string& path, std::string_view data) override;
  std::optional<IoError> rename(const std::string& from, const std::string& to) override;
  std::optional<IoError> remove(const std::string& path) override;
  std::optional<IoError> link(const std::string& from, const std::string& to) override;
  std::optional<IoError> write_at(const std::string& path, uint64_t offset, std::string_view data) override;
};

// Files held in a map: for tests, fuzzing and benchmarks of the compile alone.
class MemoryFileSystem final : public FileSystem {
 public:
  std::optional<IoError> read(const std::string& path, std::string* data) override;
  std::optional<IoError> write(const std::string& path, std::string_view data) override;
  std::optional<IoError> rename(const std::string& from, const std::string& to) override;
  std::optional<IoError> remove(const std::string& path) override;
  std::optional<IoError> link(const std::string& from, const std::string& to) override;
  std::optional<IoError> write_at(const std::string& path, uint64_t offset, std::string_view data) override;

  std::map<std::string, std::string> files;
};

// The folder that holds the running executable, whatever the current directory.
std::optional<std::string> program_folder();

// For a program's start: a write past the file-size limit (ulimit -f) then
// fails with EFBIG, reported with its path and cleaned up as on a full disk,
// instead of the system ending the process (SIGXFSZ) with a temporary left.
void fail_writes_past_size_limit();

}  // namespace scenario
