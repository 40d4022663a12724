// The opening every command shares: options read, --help answered, bad
// usage refused with status 64 before the command does anything.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "commands.h"
#include "tool_support.h"

namespace scenario::tool {
namespace {

TEST(ReadCommand, AnswersHelpAndRefusesBadUsage) {
  const command_spec spec{"prova", "usage: prova\n", {"--dir", "--out"}, {"--json"}, {"--dir"}};
  const struct {
    std::vector<std::string> args;
    std::optional<int> fine;  // nothing: the command goes on
  } cases[] = {
      {{"--dir", "d"}, std::nullopt},
      {{"--dir=d", "--json", "--out", "o"}, std::nullopt},
      {{"--help"}, 0},
      {{"--dir", "d", "-h"}, 0},
      {{}, kUsage},                           // --dir is required
      {{"--dir", ""}, kUsage},                // and must not be empty
      {{"--dir", "d", "extra"}, kUsage},      // no positional argument
      {{"--dir", "d", "--bogus"}, kUsage},    // unknown option
      {{"--dir"}, kUsage},                    // option without its value
      {{"--json", "--help", "--bogus"}, kUsage},  // a fault wins over --help
  };
  for (const auto& c : cases) {
    opzioni_comando o;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const std::optional<int> fine = read_command(spec, c.args, &o);
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string err = testing::internal::GetCapturedStderr();
    std::string tutti;
    for (const auto& a : c.args) tutti += a + " ";
    EXPECT_EQ(fine, c.fine) << tutti;
    if (fine == 0) {
      EXPECT_EQ(out, "usage: prova\n") << tutti;
    }
    if (fine == kUsage) {
      EXPECT_EQ(err.rfind("scenario-tool prova: ", 0), 0u) << err;
      EXPECT_NE(err.find("usage: prova\n"), std::string::npos) << err;
    }
    if (!fine) {
      EXPECT_EQ(o.valore("--dir"), "d") << tutti;
    }
  }
}

}  // namespace
}  // namespace scenario::tool
