#include <iostream>
#include <string>
#include <vector>

#include "sources/scenario_data.h"
#include "tools/scenario_tool.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  return scenario::tools::run_tool(args, std::cout, std::cerr, scenario::carried_scenario());
}
