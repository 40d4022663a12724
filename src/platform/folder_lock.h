// An advisory lock on a whole output folder, so that two runs writing into
// one folder (a program started twice at once, two compiles with one --out)
// take turns instead of deleting each other's files. The lock is taken on
// the folder's own descriptor: no lock file is left among the outputs, and
// the system drops it when the process ends, however it ends.
#pragma once

#include <ostream>
#include <string>

namespace scenario {

class FolderLock {
 public:
  FolderLock() = default;
  // Opens `folder` ("" is the current folder) and waits until no other
  // process holds its lock. When another does, one line saying so goes to
  // `notice` (if given) before the wait. A folder that cannot be opened or
  // locked is not an error here: the run goes on unlocked, and its own
  // writes report what is wrong with the folder.
  explicit FolderLock(const std::string& folder, std::ostream* notice = nullptr);
  ~FolderLock();
  FolderLock(FolderLock&& other) noexcept;
  FolderLock& operator=(FolderLock&& other) noexcept;
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  bool held() const { return fd_ >= 0; }

 private:
  void release() noexcept;

  int fd_ = -1;
};

}  // namespace scenario
