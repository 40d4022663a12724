// The text writer shared by the five texts: lines up to the end marker, each
// ended by CR LF, and the file replaced whole.
#include "scenario/text_writer.h"

#include <gtest/gtest.h>

namespace scenario::testing {
namespace {

struct text_case {
  const char* name;
  std::vector<std::string> tabella;
  std::string expected;
};

void PrintTo(const text_case& c, std::ostream* os) { *os << c.name; }

class ComposeText : public ::testing::TestWithParam<text_case> {};

TEST_P(ComposeText, WritesUpToTheEndMarker) {
  EXPECT_EQ(componi_testo(GetParam().tabella), GetParam().expected);
}

const std::string kFine(fine_del_file);

INSTANTIATE_TEST_SUITE_P(
    TextWriter, ComposeText,
    ::testing::Values(
        text_case{"OnlyTheMarker", {kFine}, ""},
        text_case{"EmptyLinesAndTrailingBlanks", {"", "a  ", "", kFine}, "\r\na  \r\n\r\n"},
        // A line equal to the marker ends the text, whatever follows it.
        text_case{"MarkerInTheMiddle", {"a", kFine, "b", kFine}, "a\r\n"},
        // Only the exact, whole text is the marker.
        text_case{"NearlyTheMarker",
                   {"Riferimento fine del file", kFine + " ", "x" + kFine, kFine},
                   "Riferimento fine del file\r\n" + kFine + " \r\nx" + kFine + "\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TextWriter, ReplacesALongerFile) {
  MemoryFileSystem disk;
  disk.files["dir/x.txt"] = std::string(10'000, 'v');
  ASSERT_FALSE(scrivi_testo(disk, "dir/x.txt", {"uno", "due", kFine}));
  EXPECT_EQ(disk.files.at("dir/x.txt"), "uno\r\ndue\r\n");
  ASSERT_FALSE(scrivi_testo(disk, "dir/x.txt", {kFine}));
  EXPECT_EQ(disk.files.at("dir/x.txt"), "");
  EXPECT_EQ(disk.files.size(), 1u);
}

TEST(TextWriter, Format) {
  EXPECT_EQ(formato("velocita,%*d,%6d", 8, 800, 110), "velocita,     800,   110");
  EXPECT_EQ(formato("%s", std::string(300, 'x').c_str()), std::string(300, 'x'));
  EXPECT_EQ(formato("%s", ""), "");
}

}  // namespace
}  // namespace scenario::testing
