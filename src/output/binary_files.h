#pragma once

#include <string>
#include <vector>

#include "model/line_plan.h"
#include "model/station_table.h"
#include "model/track_cell.h"
#include "output/byte_writer.h"

namespace scenario {

/// The bytes of the line plan file: tagged values, all x then all y.
FileBytes line_plan_bytes(const LinePlan& plan);
/// The same from the two halves: every element of `x`, then every one of `y`.
FileBytes line_plan_bytes(const std::vector<PlanValue>& x, const std::vector<PlanValue>& y);
/// The bytes of the train file: 87 records of 34 bytes plus their names.
/// A name longer than 32767 characters cannot be counted in its 2 bytes;
/// the readers refuse such items, so one here is a program fault
/// (std::length_error).
FileBytes train_file_bytes(const StationTable& table);
/// The bytes of the cell grid file: 15 bytes per cell.
FileBytes cell_grid_bytes(const CellGrid& grid);

}  // namespace scenario
