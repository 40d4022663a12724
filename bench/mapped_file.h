// Maps a whole file read-only: the floor programs take the bytes they write
// this way, the way a program's constant data is mapped from its executable.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace scenario::bench {

// The bytes of `path`, mapped until the process ends; exits with status 3
// when the file cannot be mapped.
inline std::string_view map_file(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat st {};
  if (fd < 0 || ::fstat(fd, &st) != 0) {
    std::perror(path.c_str());
    std::exit(3);
  }
  if (st.st_size == 0) {
    ::close(fd);
    return {};
  }
  void* p = ::mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
  ::close(fd);
  if (p == MAP_FAILED) {
    std::perror(path.c_str());
    std::exit(3);
  }
  return {static_cast<const char*>(p), static_cast<size_t>(st.st_size)};
}

}  // namespace scenario::bench
