// Every input that ever made a fuzz target crash, trip a sanitizer or break a
// property is kept under regressions/<target>/ and replayed here, so the
// ordinary test run (and its sanitizer build) guards against its return.
// To keep a new finding: copy the input the fuzz run left in
// build-fuzz/findings/ into the folder of its target, named for what it hit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "roundtrip/decompile.h"
#include "support/compile_check.h"
#include "support/test_support.h"

namespace scenario::testing {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> inputs_for(const std::string& fuzz_target) {
  const fs::path dir = fs::path(__FILE__).parent_path() / "regressions" / fuzz_target;
  std::vector<std::string> out;
  if (!fs::is_directory(dir)) return out;
  for (const auto& e : fs::directory_iterator(dir)) {
    if (e.is_regular_file() && e.path().filename().string()[0] != '.') {
      out.push_back(e.path().string());
    }
  }
  std::sort(out.begin(), out.end());
  return out;
}

std::string test_name_of(const ::testing::TestParamInfo<std::string>& info) {
  std::string n;
  for (char c : fs::path(info.param).filename().string()) {
    n += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  }
  return n;
}

class CompileRegression : public ::testing::TestWithParam<std::string> {};

TEST_P(CompileRegression, HoldsEveryProperty) {
  const auto in = split_input(read_file(GetParam()));
  EXPECT_EQ(compile_and_check(in).violation, "");
  // Sources that compile cleanly also come back through a decompile.
  if (in.treno) {
    EXPECT_EQ(roundtrip::check_round_trip(in.linea, *in.treno, in.genera_linea), "");
  }
}

INSTANTIATE_TEST_SUITE_P(Inputs, CompileRegression,
                         ::testing::ValuesIn(inputs_for("fuzz_compile")), test_name_of);

class FieldsRegression : public ::testing::TestWithParam<std::string> {};

TEST_P(FieldsRegression, HoldsEveryProperty) {
  EXPECT_EQ(check_fields(read_file(GetParam())), "");
}

INSTANTIATE_TEST_SUITE_P(Inputs, FieldsRegression, ::testing::ValuesIn(inputs_for("fuzz_fields")),
                         test_name_of);

GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(CompileRegression);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(FieldsRegression);

}  // namespace
}  // namespace scenario::testing
