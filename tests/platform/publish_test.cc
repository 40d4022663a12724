#include <sys/stat.h>

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "support/test_support.h"

namespace scenario {
namespace {

using testing::FaultyFileSystem;

// Three targets, two with older contents, one new. With `prewritten` set,
// that file's temporary already holds its content (written in pieces), as
// the first failing change may come before or after it.
struct PublishFixture {
  MemoryFileSystem disk;
  std::map<std::string, std::string> before;
  std::vector<OutputFile> set{{"d/a", "new a"}, {"d/b", "new b, longer"}, {"d/c", "new c"}};

  explicit PublishFixture(int prewritten = -1) {
    disk.files["d/a"] = "old a, which was longer";
    disk.files["d/c"] = "old c";
    disk.files["d/other"] = "untouched";
    before = disk.files;
    if (prewritten >= 0) {
      OutputFile& f = set[static_cast<size_t>(prewritten)];
      disk.files[temporary_path(f.path)] = std::string(f.data);
      f.data = "not to be written";
      f.temporary_written = true;
    }
  }
};

TEST(Publish, ReplacesEveryTargetWithExactlyTheNewContent) {
  for (int prewritten : {-1, 0, 2}) {
    SCOPED_TRACE("temporary already written: " + std::to_string(prewritten));
    PublishFixture f(prewritten);
    ASSERT_EQ(publish(f.disk, f.set), std::nullopt);
  EXPECT_EQ(f.disk.files, (std::map<std::string, std::string>{{"d/a", "new a"},
                                                              {"d/b", "new b, longer"},
                                                              {"d/c", "new c"},
                                                              {"d/other", "untouched"}}));
  }
}

// Every change publish makes can fail; each failure must leave either the
// whole older set (before the set is in place) and never a temporary.
TEST(Publish, AFailureAtAnyStepLeavesTheOlderFilesWhole) {
  for (int prewritten : {-1, 0, 2}) {
    int changes = 0;
    {
      PublishFixture f(prewritten);
      FaultyFileSystem counting(f.disk, 0);
      ASSERT_EQ(publish(counting, f.set), std::nullopt);
      changes = counting.changes();
    }
    ASSERT_GT(changes, 4);
    for (int n = 1; n <= changes; ++n) {
      SCOPED_TRACE("temporary already written: " + std::to_string(prewritten) + ", failing change " +
                   std::to_string(n));
      PublishFixture f(prewritten);
      FaultyFileSystem faulty(f.disk, n);
      auto error = publish(faulty, f.set);
      ASSERT_TRUE(error.has_value());
      EXPECT_EQ(error->reason.rfind("injected failure", 0), 0u) << error->reason;
      EXPECT_EQ(error->path.substr(0, 2), "d/");
      EXPECT_EQ(error->path.find(".tmp"), std::string::npos) << "names a temporary";
      // The last changes only drop the kept older files: the new set is whole.
      auto b = f.disk.files.find("d/b");
      const bool new_set_in_place = b != f.disk.files.end() && b->second == "new b, longer";
      if (new_set_in_place) {
        // Only dropping a kept older file failed; it is reported and stays.
        EXPECT_EQ(f.disk.files["d/a"], "new a");
        EXPECT_EQ(f.disk.files["d/c"], "new c");
        EXPECT_NE(error->path.find(".old"), std::string::npos);
      }
      for (const auto& [path, data] : f.disk.files) {
        EXPECT_EQ(path.find(".tmp"), std::string::npos) << path;
        if (new_set_in_place) continue;
        EXPECT_EQ(f.before.count(path), 1u) << path;
        EXPECT_EQ(f.before[path], data) << path;
      }
      if (!new_set_in_place) {
        EXPECT_EQ(f.disk.files.size(), f.before.size());
      }
    }
  }
}

TEST(Publish, ReportsTheTargetWhenADirectoryStandsInItsPlace) {
  testing::TempDir dir;
  testing::write_file(dir.file("a"), "old a");
  ASSERT_EQ(::mkdir(dir.file("b").c_str(), 0755), 0);
  PosixFileSystem disk;
  auto error = publish(disk, {{dir.file("a"), "new a"}, {dir.file("b"), "new b"}});
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->path, dir.file("b"));
  EXPECT_FALSE(error->reason.empty());
  EXPECT_EQ(testing::read_file(dir.file("a")), "old a");
  EXPECT_EQ(testing::list_dir(dir.path()), (std::vector<std::string>{"a", "b"}));
}

TEST(PosixFileSystem, RemovingAMissingFileIsNotAFailure) {
  testing::TempDir dir;
  PosixFileSystem disk;
  EXPECT_EQ(disk.remove(dir.file("absent")), std::nullopt);
  std::string data;
  auto error = disk.read(dir.file("absent"), &data);
  ASSERT_TRUE(error.has_value());
  EXPECT_TRUE(error->missing);
}

}  // namespace
}  // namespace scenario
