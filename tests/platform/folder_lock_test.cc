#include "platform/folder_lock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <sstream>
#include <string>

#include "support/test_support.h"

namespace scenario {
namespace {

using namespace std::chrono_literals;

// A second lock on the same folder waits for the first, says once that it
// waits, and is held once the first is gone; the folder is left as it was.
TEST(FolderLock, SecondHolderWaitsForTheFirstAndLeavesNoFile) {
  testing::TempDir dir;
  std::optional<FolderLock> first(std::in_place, dir.path());
  ASSERT_TRUE(first->held());

  std::ostringstream notice;
  std::promise<void> asked;
  auto second = std::async(std::launch::async, [&] {
    asked.set_value();
    FolderLock lock(dir.path(), &notice);
    return lock.held();
  });
  asked.get_future().wait();
  // Still waiting while the first is held.
  EXPECT_EQ(second.wait_for(200ms), std::future_status::timeout);
  first.reset();
  ASSERT_EQ(second.wait_for(30s), std::future_status::ready);
  EXPECT_TRUE(second.get());
  EXPECT_NE(notice.str().find("waiting"), std::string::npos) << notice.str();
  EXPECT_TRUE(testing::list_dir(dir.path()).empty());
}

// A folder that cannot be locked leaves the run to report it through its
// own writes; moving a lock carries it.
TEST(FolderLock, MissingFolderIsNotHeldAndALockMoves) {
  testing::TempDir dir;
  EXPECT_FALSE(FolderLock(dir.file("missing")).held());
  EXPECT_FALSE(FolderLock(dir.file("missing/deeper")).held());

  FolderLock a(dir.path());
  FolderLock b(std::move(a));
  EXPECT_FALSE(a.held());
  EXPECT_TRUE(b.held());
  a = std::move(b);
  EXPECT_TRUE(a.held());
  // Released on assignment: a third lock is free to take it at once.
  a = FolderLock();
  std::ostringstream notice;
  EXPECT_TRUE(FolderLock(dir.path(), &notice).held());
  EXPECT_EQ(notice.str(), "");
}

}  // namespace
}  // namespace scenario
