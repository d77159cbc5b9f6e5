#pragma once

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

}  // namespace scenario::tools
