#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "model/line_plan.h"
#include "model/station_table.h"
#include "model/track_cell.h"

namespace scenario::tools {

/// Reads a whole file from disk for a tool. Returns false and writes a line
/// naming `what` and `path` on `err` when it is missing or unreadable.
bool read_from_disk(const std::string& what, const std::string& path, std::string* bytes,
                    std::ostream& err);

/// Creates `dir` with its parents. Returns false and writes a line naming
/// it on `err` when that fails.
bool create_directory(const std::string& dir, std::ostream& err);

/// "dir/" and "dir//" as "dir"; "/" stays.
std::string without_trailing_separators(std::string dir);

/// Seconds of the day as "hh:mm:ss".
std::string clock_text(int64_t seconds);

/// Which of the three compiled files a name stands for.
enum class CompiledFormat { kUnknown, kLinePlan, kTrainFile, kCellGrid };

/// By name alone: "*_linea.dat" is a line plan, "*.sim" a train file, any
/// other "*.dat" a cell grid.
CompiledFormat format_from_name(std::string_view path);

constexpr size_t kCellBytes = 15;

/// Cells of a cell grid file. Returns false and fills `err` (naming the
/// offset) when the file is empty or its size is not a whole number of cells.
bool parse_cell_grid(std::string_view bytes, std::vector<TrackCell>* cells, std::string* err);

/// The 87 slots of a train file. Returns false and fills `err` (naming the
/// offset) when a record runs past the end or bytes follow the last record.
bool parse_train_file(std::string_view bytes, StationTable* table, std::string* err);

/// The two halves of a line plan file, row m of each giving x and y at
/// metre m: the model's own rows.
using PlanFile = PlanValues;

/// Returns false and fills `err` (naming the offset) on an unknown tag, an
/// element cut off by the end of the file, an empty file, or halves whose
/// rows do not carry the same tags.
bool parse_line_plan(std::string_view bytes, PlanFile* plan, std::string* err);

/// A stretch of cells first .. last over which a profile keeps one value.
struct Run {
  int64_t first = 0;
  int64_t last = 0;
  int value = 0;
};

/// Runs of equal `value(cell)` over the whole grid, in index order.
std::vector<Run> runs_of(const std::vector<TrackCell>& cells,
                         const std::function<int(const TrackCell&)>& value);

int speed_kmh(const TrackCell& c);
int gradient(const TrackCell& c);
int adhesion(const TrackCell& c);

/// The kind code in words; "unknown kind N" for codes the build never writes.
std::string kind_name(uint8_t kind);

/// True when a cell carries anything besides its profile and montagna
/// values: a kind, a value, a signal time or an approach code.
bool cell_in_use(const TrackCell& c);

/// True when any field of the slot is not 0 or its name is not empty.
bool slot_in_use(const StationRecord& r);

/// What a slot holds: the role of a fixed slot (81 .. 86); in 1 .. 80 a
/// "station", or a "board text" when the slot holds nothing but a name;
/// "" for slot 0.
std::string slot_role(int slot, const StationRecord& r);

}  // namespace scenario::tools
