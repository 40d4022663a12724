// Helpers shared by the tests: temporary folders, file access, running the
// built programs, a file system whose Nth change fails and one that loses a
// file just before it is read.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_system.h"
#include "platform/forwarding_file_system.h"

namespace scenario::testing {

// A fresh folder under the system's temporary directory, removed with all
// its contents when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& data);
bool file_exists(const std::string& path);
// Names of the entries of a folder, sorted.
std::vector<std::string> list_dir(const std::string& path);

struct ProcessResult {
  int status = -1;
  std::string out;
  std::string err;
};
// Runs a built program of this project (by its name in the bin folder) with
// `args`, in `cwd`, and collects its status and both output streams.
ProcessResult run_program(const std::string& program, const std::vector<std::string>& args,
                          const std::string& cwd = ".");

// Wraps a file system and makes its Nth changing operation (write, rename,
// remove, link or write_at, counted from 1) fail with "injected failure". 0
// fails none.
class FaultyFileSystem final : public FileSystem {
 public:
  FaultyFileSystem(FileSystem& inner, int fail_at) : inner_(inner), fail_at_(fail_at) {}

  std::optional<IoError> read(const std::string& path, std::string* data) override;
  std::optional<IoError> write(const std::string& path, std::string_view data) override;
  std::optional<IoError> rename(const std::string& from, const std::string& to) override;
  std::optional<IoError> remove(const std::string& path) override;
  std::optional<IoError> link(const std::string& from, const std::string& to) override;
  std::optional<IoError> write_at(const std::string& path, uint64_t offset, std::string_view data) override;

  // How many changing operations were attempted.
  int changes() const { return count_; }

 private:
  bool fails(const std::string& path, std::optional<IoError>* error);

  FileSystem& inner_;
  int fail_at_;
  int count_ = 0;
};

// Removes `victim` just before it is read, as another program might.
class SourceRemovingFileSystem final : public ForwardingFileSystem {
 public:
  SourceRemovingFileSystem(FileSystem& inner, std::string victim)
      : ForwardingFileSystem(inner), victim_(std::move(victim)) {}
  std::optional<IoError> read(const std::string& path, std::string* data) override {
    if (path == victim_) inner().remove(path);
    return ForwardingFileSystem::read(path, data);
  }

 private:
  std::string victim_;
};

}  // namespace scenario::testing
