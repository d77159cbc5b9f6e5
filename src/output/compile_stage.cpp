#include "output/compile_stage.h"

#include "compiler/memorizza_dati.h"
#include "output/binary_files.h"
#include "output/finishing_pass.h"
#include "output/sealing.h"

namespace scenario {

CompileResult memorizza_percorso(BuildState& st, FileSystem& fs, const ScenarioFiles& files,
                                 int32_t j, CheckContext* check) {
  CompileResult result;
  st.write_plan = j;
  st.error_code = 0;
  // One grid and one plan per build: nothing of an earlier compile survives.
  st.grid = CellGrid{};
  st.line_plan.clear();
  clear_station_table(st.stations);
  memorizza_dati(st, fs, files.line_description, files.train_description, check);

  // Without a grid (the line reader stopped before the route length, or on
  // it) there is nothing to finish, seal or write; the code stays recorded.
  if (!st.grid.exists()) return result;

  finishing_pass(st, check);
  result.fatal_code = seal(st);
  if (result.fatal_code != 0) return result;

  if (st.write_plan != 0 && st.line_plan.exists()) {
    fs.replace_file(files.line_plan, line_plan_bytes(st.line_plan));
    result.files_written.push_back(files.line_plan);
  }
  fs.replace_file(files.train_file, train_file_bytes(st.stations));
  result.files_written.push_back(files.train_file);
  fs.replace_file(files.cell_grid, cell_grid_bytes(st.grid));
  result.files_written.push_back(files.cell_grid);
  return result;
}

}  // namespace scenario
