#pragma once

#include <string>

#include "model/line_plan.h"
#include "model/station_table.h"
#include "model/track_cell.h"

namespace scenario {

/// The bytes of the line plan file: tagged values, all x then all y.
std::string line_plan_bytes(const LinePlan& plan);
/// The bytes of the train file: 87 records of 34 bytes plus their names.
std::string train_file_bytes(const StationTable& table);
/// The bytes of the cell grid file: 15 bytes per cell.
std::string cell_grid_bytes(const CellGrid& grid);

}  // namespace scenario
