// Writes the carried scenario's two source texts as one fuzz input: the plan
// flag '1', the line description, the separator line, the train description.
// Usage: scenario_fuzz_seed OUTPUT

#include <cstdio>
#include <fstream>
#include <string>

#include "sources/scenario_data.h"
#include "sources/text_writer.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT\n", argv[0]);
    return 2;
  }
  const scenario::ScenarioData& data = scenario::carried_scenario();
  const std::string seed = "1" + scenario::text_file_bytes(data.line_description) + "=====\r\n" +
                           scenario::text_file_bytes(data.train_description);
  std::ofstream out(argv[1], std::ios::binary);
  out << seed;
  out.close();
  if (!out) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
