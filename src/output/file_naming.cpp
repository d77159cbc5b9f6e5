#include "output/file_naming.h"

namespace scenario {

ScenarioFiles scenario_files(const std::string& directory, char separator,
                             const std::string& scenario_name, const std::string& train_code) {
  const std::string dir = directory + separator;
  const std::string train = scenario_name + "_" + train_code;
  ScenarioFiles f;
  f.line_description = dir + scenario_name + "_linea.txt";
  f.train_description = dir + train + "-.txt";
  f.notes = dir + train + "_" + "note.txt";
  f.slowdown_order = dir + train + "_" + "rallentamenti.txt";
  f.timetable_sheet = dir + train + "_" + "scheda_treno.txt";
  f.line_plan = dir + scenario_name + "_linea.dat";
  f.train_file = dir + train + ".sim";
  f.cell_grid = dir + train + ".dat";
  return f;
}

}  // namespace scenario
