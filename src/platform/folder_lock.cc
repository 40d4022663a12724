#include "platform/folder_lock.h"

#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace scenario {

FolderLock::FolderLock(const std::string& folder, std::ostream* notice) {
  const std::string path = folder.empty() ? "." : folder;
  const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK) {
      ::close(fd);
      return;
    }
    if (notice != nullptr) *notice << path << ": another run is writing here; waiting for it\n";
    int rc = 0;
    while ((rc = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
    }
    if (rc != 0) {
      ::close(fd);
      return;
    }
  }
  fd_ = fd;
}

FolderLock::~FolderLock() { release(); }

FolderLock::FolderLock(FolderLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept {
  if (this != &other) {
    release();
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

void FolderLock::release() noexcept {
  if (fd_ < 0) return;
  // Closing the only descriptor of the open folder drops the lock.
  ::close(fd_);
  fd_ = -1;
}

}  // namespace scenario
