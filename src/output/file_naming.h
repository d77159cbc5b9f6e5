#pragma once

#include <string>

namespace scenario {

/// The full names of every file of one scenario: directory text, one
/// separator (always added, also after a root directory's own), own name.
struct ScenarioFiles {
  std::string line_description;   // <scenario>_linea.txt
  std::string train_description;  // <scenario>_<train>-.txt
  std::string notes;              // <scenario>_<train>_note.txt
  std::string slowdown_order;     // <scenario>_<train>_rallentamenti.txt
  std::string timetable_sheet;    // <scenario>_<train>_scheda_treno.txt
  std::string line_plan;          // <scenario>_linea.dat
  std::string train_file;         // <scenario>_<train>.sim
  std::string cell_grid;          // <scenario>_<train>.dat
};

ScenarioFiles scenario_files(const std::string& directory, char separator,
                             const std::string& scenario_name, const std::string& train_code);

}  // namespace scenario
