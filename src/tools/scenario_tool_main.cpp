#include <iostream>
#include <string>
#include <vector>

#include "platform/console.h"
#include "sources/scenario_data.h"
#include "tools/scenario_tool.h"

int main(int argc, char** argv) {
  scenario::use_utf8_console();
  const std::vector<std::string> args = scenario::program_arguments(argc, argv);
  return scenario::tools::run_tool(args, std::cout, std::cerr, scenario::carried_scenario());
}
