#pragma once

#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/station_table.h"
#include "model/track_cell.h"
#include "tools/compiled_files.h"
#include "tools/exit_status.h"

namespace scenario::tools {

enum class OutputStyle { kText, kJson, kCsv };

/// One name that `inspect` prints (a JSON key, a CSV column, a word of the
/// text output), with where it appears and what it means. The names are the
/// value names of the description rows wherever a field holds such a value.
struct InspectName {
  std::string_view name;
  std::string_view applies_to;
  std::string_view meaning;
};

/// A cell grid: the names of a cell's values by kind, the approach parts and
/// the profiles, in CSV column order.
std::span<const InspectName> cell_names();
/// A train file: the names of a slot's values by role, in CSV column order.
std::span<const InspectName> slot_names();
/// A line plan: the keys of its JSON summary.
std::span<const InspectName> plan_names();

/// What one of a speed board's value1 .. value3 shows: it holds
/// left_kmh * 20 + right_kmh / 5, the right speed in steps of 5 below 100,
/// so that both come back whole.
struct BoardSpeeds {
  int left_kmh = 0;
  int right_kmh = 0;
};
BoardSpeeds board_speeds(int16_t value);

/// Reads `path`, picks its format by name and prints it. Returns 0, or
/// kExitUsage when the name fits no format, kExitNoInput when the file cannot
/// be read, kExitBadData when its content is refused (message on `err`).
int inspect_file(const std::string& path, OutputStyle style, std::ostream& out, std::ostream& err);

/// The cells in use with their named values, then the speed, gradient, adhesion
/// and montagna profiles as runs. CSV lists every cell.
void print_cell_grid(std::string_view name, const std::vector<TrackCell>& cells, OutputStyle style,
                     std::ostream& out);
/// Every slot in use with its named values.
void print_train_file(std::string_view name, const StationTable& table, OutputStyle style,
                      std::ostream& out);
/// Point count, extent and final heading; CSV lists every point.
void print_line_plan(std::string_view name, const PlanFile& plan, OutputStyle style,
                     std::ostream& out);

}  // namespace scenario::tools
