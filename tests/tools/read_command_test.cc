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
  const command_spec spec{"sample", "usage: sample\n", {"--dir", "--out"}, {"--json"}, {"--dir"}};
  const struct {
    std::vector<std::string> args;
    std::optional<int> status;  // nothing: the command goes on
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
    command_options o;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const std::optional<int> status = read_command(spec, c.args, &o);
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string err = testing::internal::GetCapturedStderr();
    std::string given;
    for (const auto& a : c.args) given += a + " ";
    EXPECT_EQ(status, c.status) << given;
    if (status == 0) {
      EXPECT_EQ(out, "usage: sample\n") << given;
    }
    if (status == kUsage) {
      EXPECT_EQ(err.rfind("scenario-tool sample: ", 0), 0u) << err;
      EXPECT_NE(err.find("usage: sample\n"), std::string::npos) << err;
    }
    if (!status) {
      EXPECT_EQ(o.value("--dir"), "d") << given;
    }
  }
}

}  // namespace
}  // namespace scenario::tool
