#include "platform/file_system.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace scenario {

namespace {

IoError system_error(const std::string& path, int err) {
  return IoError{path, std::strerror(err), err == ENOENT};
}

}  // namespace

std::string temporary_path(const std::string& path) { return path + ".tmp"; }

std::string join_path(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

std::string backup_path(const std::string& path) { return path + ".old"; }

std::optional<IoError> publish(FileSystem& fs, const std::vector<OutputFile>& files) {
  const size_t n = files.size();
  for (size_t i = 0; i < n; ++i) {
    if (files[i].temporary_written) continue;
    if (auto error = fs.write(temporary_path(files[i].path), files[i].data)) {
      // Nothing was renamed yet: drop what was written, the targets are whole.
      for (size_t k = 0; k < n; ++k) {
        if (k <= i || files[k].temporary_written) fs.remove(temporary_path(files[k].path));
      }
      // The user knows the file by its own name; the temporary is the detail.
      if (error->path != files[i].path) {
        error->reason += " (writing " + error->path + ")";
        error->path = files[i].path;
      }
      return error;
    }
  }
  // Every file but the last keeps its older target under a second name, so
  // that a failed rename further on can put the whole older set back. The
  // last one needs none: a failed rename over it leaves its older file.
  std::vector<bool> kept(n, false);
  auto undo = [&](size_t renamed) {
    for (size_t k = 0; k < n; ++k) {
      if (k < renamed) {
        if (kept[k]) {
          fs.rename(backup_path(files[k].path), files[k].path);
        } else {
          fs.remove(files[k].path);
        }
      } else if (kept[k]) {
        fs.remove(backup_path(files[k].path));
      }
      fs.remove(temporary_path(files[k].path));
    }
  };
  for (size_t i = 0; i < n; ++i) {
    const std::string& target = files[i].path;
    if (i + 1 < n) {
      std::optional<IoError> error = fs.remove(backup_path(target));
      if (!error) error = fs.link(target, backup_path(target));
      if (error && !error->missing) {
        error->path = target;
        undo(i);
        return error;
      }
      kept[i] = !error;
    }
    if (auto error = fs.rename(temporary_path(target), target)) {
      undo(i);
      return error;
    }
  }
  std::optional<IoError> first_error;
  for (size_t i = 0; i < n; ++i) {
    if (!kept[i]) continue;
    if (auto error = fs.remove(backup_path(files[i].path)); error && !first_error) {
      first_error = error;
    }
  }
  return first_error;
}

void fail_writes_past_size_limit() { ::signal(SIGXFSZ, SIG_IGN); }

std::optional<IoError> PosixFileSystem::read(const std::string& path, std::string* data) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return system_error(path, errno);
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    int err = errno;
    ::close(fd);
    return system_error(path, err);
  }
  if (S_ISDIR(st.st_mode)) {
    ::close(fd);
    return system_error(path, EISDIR);
  }
  data->clear();
  if (st.st_size > 0) data->reserve(static_cast<size_t>(st.st_size));
  char buffer[1 << 16];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      int err = errno;
      ::close(fd);
      return system_error(path, err);
    }
    if (n == 0) break;
    data->append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  return std::nullopt;
}

namespace {

// Opens `path` for writing, writes all of `data` and closes it: from byte
// `offset` when given, else truncated first and written in sequence (which
// a pipe or a terminal takes too).
std::optional<IoError> write_whole(const std::string& path, std::optional<uint64_t> offset,
                                   std::string_view data) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | (offset ? 0 : O_TRUNC), 0644);
  if (fd < 0) return system_error(path, errno);
  const char* p = data.data();
  size_t left = data.size();
  auto at = static_cast<off_t>(offset.value_or(0));
  while (left > 0) {
    ssize_t n = offset ? ::pwrite(fd, p, left, at) : ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      int err = errno;
      ::close(fd);
      return system_error(path, err);
    }
    p += n;
    at += n;
    left -= static_cast<size_t>(n);
  }
  if (::close(fd) != 0) return system_error(path, errno);
  return std::nullopt;
}

}  // namespace

std::optional<IoError> PosixFileSystem::write(const std::string& path, std::string_view data) {
  return write_whole(path, std::nullopt, data);
}

std::optional<IoError> PosixFileSystem::write_at(const std::string& path, uint64_t offset,
                                                 std::string_view data) {
  return write_whole(path, offset, data);
}

std::optional<IoError> PosixFileSystem::rename(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) return system_error(to, errno);
  return std::nullopt;
}

std::optional<IoError> PosixFileSystem::remove(const std::string& path) {
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) return system_error(path, errno);
  return std::nullopt;
}

std::optional<IoError> PosixFileSystem::link(const std::string& from, const std::string& to) {
  if (::link(from.c_str(), to.c_str()) != 0) return system_error(from, errno);
  return std::nullopt;
}

std::optional<IoError> MemoryFileSystem::read(const std::string& path, std::string* data) {
  auto it = files.find(path);
  if (it == files.end()) return system_error(path, ENOENT);
  *data = it->second;
  return std::nullopt;
}

std::optional<IoError> MemoryFileSystem::write(const std::string& path, std::string_view data) {
  files[path] = std::string(data);
  return std::nullopt;
}

std::optional<IoError> MemoryFileSystem::write_at(const std::string& path, uint64_t offset,
                                                  std::string_view data) {
  std::string& file = files[path];
  const size_t end = static_cast<size_t>(offset) + data.size();
  if (file.size() < end) file.resize(end, '\0');
  if (!data.empty()) std::memcpy(file.data() + offset, data.data(), data.size());
  return std::nullopt;
}

std::optional<IoError> MemoryFileSystem::rename(const std::string& from, const std::string& to) {
  auto it = files.find(from);
  if (it == files.end()) return system_error(from, ENOENT);
  std::string data = std::move(it->second);
  files.erase(it);
  files[to] = std::move(data);
  return std::nullopt;
}

std::optional<IoError> MemoryFileSystem::remove(const std::string& path) {
  files.erase(path);
  return std::nullopt;
}

std::optional<IoError> MemoryFileSystem::link(const std::string& from, const std::string& to) {
  auto it = files.find(from);
  if (it == files.end()) return system_error(from, ENOENT);
  if (files.count(to)) return system_error(to, EEXIST);
  files[to] = it->second;
  return std::nullopt;
}

}  // namespace scenario
