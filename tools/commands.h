// The commands of scenario-tool. Each takes the arguments after its name and
// returns the exit status: 0 done, 1 refused or bad input file, 2 written
// with faults, 3 file-system failure, 64 bad usage.
#pragma once

#include <string>
#include <vector>

namespace scenario::tool {

inline constexpr int kUsage = 64;

using args_t = std::vector<std::string>;

int cmd_compile(const args_t& args);
int cmd_check(const args_t& args);
int cmd_export(const args_t& args);
int cmd_dump(const args_t& args);
int cmd_plot(const args_t& args);
int cmd_view(const args_t& args);
int cmd_documents(const args_t& args);
int cmd_new(const args_t& args);
int cmd_decompile(const args_t& args);
int cmd_diff(const args_t& args);
int cmd_explain(const args_t& args);

}  // namespace scenario::tool
