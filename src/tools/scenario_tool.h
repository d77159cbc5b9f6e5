#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "sources/scenario_data.h"

namespace scenario::tools {

/// The whole command line of scenario_tool, `args` without the program
/// name. `carried` is the scenario the tool was built with (export-carried).
/// Returns the process's exit status; never exits itself.
int run_tool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
             const ScenarioData& carried);

/// Writes the carried scenario's five texts into `dir` under the names the
/// builder gives them. Returns 0, or 73 when a file cannot be written.
int export_carried(const std::string& dir, const ScenarioData& carried, std::ostream& out,
                   std::ostream& err);

/// Writes a generated route of `length_m` metres as DIR/line.txt and
/// DIR/train.txt. Returns 0, 64 for a length the generator refuses, or 73
/// when a file cannot be written.
int write_synthetic(int32_t length_m, const std::string& dir, std::ostream& out, std::ostream& err);

}  // namespace scenario::tools
