#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "model/line_plan.h"
#include "model/station_table.h"
#include "model/track_cell.h"

namespace scenario {

/// Where in a source text a recorded code arose. Not part of the compiled
/// files: the author tools report it beside the code.
struct SourceOrigin {
  enum class File { kNone, kLineDescription, kTrainDescription };
  File file = File::kNone;
  int line = 0;    // 1-based; 0 when no item is known
  int column = 0;  // 1-based
  std::string item;
};

/// Everything one build run shares between its steps.
struct BuildState {
  std::string scenario_name;
  std::string train_code;

  /// Non-zero: build the line plan and write its file.
  int32_t write_plan = 0;

  /// The item just read in key position, or a text board's text.
  std::string current_item;

  /// 0 = no error; otherwise the last code recorded.
  int32_t error_code = 0;
  /// Metres that go with the last code, for the codes that set one.
  int32_t error_position_m = 0;
  /// Source item at which the last reader code arose.
  SourceOrigin error_origin;

  CellGrid grid;
  LinePlan line_plan;
  StationTable stations{};

  /// Check mode only (empty in the builder): the row whose object took each
  /// cell, so that a later collision can name it. `key` is the row kind's
  /// key word, static text.
  struct CellHolder {
    SourceOrigin at;
    std::string_view key;
    /// Set when the builder never places this object: the row where it
    /// stopped reading before it (line 0: it never reads this text).
    std::optional<SourceOrigin> builder_stopped_at = {};
  };
  std::unordered_map<int64_t, CellHolder> cell_holders;

  /// montagna ranges 1 .. montagna_count; index 0 is never used.
  static constexpr int kMaxMontagna = 80;
  int32_t montagna_count = 0;
  std::array<int32_t, kMaxMontagna + 1> montagna_start{};
  std::array<int32_t, kMaxMontagna + 1> montagna_end{};
};

}  // namespace scenario
