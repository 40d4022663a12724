// A file system that hands every operation to another one unchanged. A
// wrapper that alters one operation derives from it and overrides only that.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace scenario {

class ForwardingFileSystem : public FileSystem {
 public:
  explicit ForwardingFileSystem(FileSystem& inner) : inner_(inner) {}

  std::optional<IoError> read(const std::string& path, std::string* data) override {
    return inner_.read(path, data);
  }
  std::optional<IoError> write(const std::string& path, std::string_view data) override {
    return inner_.write(path, data);
  }
  std::optional<IoError> rename(const std::string& from, const std::string& to) override {
    return inner_.rename(from, to);
  }
  std::optional<IoError> remove(const std::string& path) override { return inner_.remove(path); }
  std::optional<IoError> link(const std::string& from, const std::string& to) override {
    return inner_.link(from, to);
  }
  std::optional<IoError> write_at(const std::string& path, uint64_t offset, std::string_view data) override {
    return inner_.write_at(path, offset, data);
  }

 protected:
  FileSystem& inner() { return inner_; }

 private:
  FileSystem& inner_;
};

}  // namespace scenario
