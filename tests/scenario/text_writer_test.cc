// The text writer shared by the five texts: lines up to the end marker, each
// ended by CR LF, and the file replaced whole.
#include "scenario/text_writer.h"

#include <gtest/gtest.h>

namespace scenario::testing {
namespace {

struct caso_testo {
  const char* nome;
  std::vector<std::string> tabella;
  std::string atteso;
};

void PrintTo(const caso_testo& c, std::ostream* os) { *os << c.nome; }

class ComposeText : public ::testing::TestWithParam<caso_testo> {};

TEST_P(ComposeText, WritesUpToTheEndMarker) {
  EXPECT_EQ(componi_testo(GetParam().tabella), GetParam().atteso);
}

const std::string kFine(fine_del_file);

INSTANTIATE_TEST_SUITE_P(
    TextWriter, ComposeText,
    ::testing::Values(
        caso_testo{"OnlyTheMarker", {kFine}, ""},
        caso_testo{"EmptyLinesAndTrailingBlanks", {"", "a  ", "", kFine}, "\r\na  \r\n\r\n"},
        // A line equal to the marker ends the text, whatever follows it.
        caso_testo{"MarkerInTheMiddle", {"a", kFine, "b", kFine}, "a\r\n"},
        // Only the exact, whole text is the marker.
        caso_testo{"NearlyTheMarker",
                   {"Riferimento fine del file", kFine + " ", "x" + kFine, kFine},
                   "Riferimento fine del file\r\n" + kFine + " \r\nx" + kFine + "\r\n"}),
    [](const auto& info) { return std::string(info.param.nome); });

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
