#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "compiler/check_mode.h"
#include "model/build_state.h"
#include "platform/file_system.h"

namespace scenario {

/// How the line description reader left the compile step.
struct LineReadResult {
  /// True when the train description is to be read next (end of the file,
  /// or a feature position beyond the grid, code 15).
  bool read_train = false;
  /// The station-table slot the next text board would take: 80 less the
  /// number of boards read. In check mode, as the builder hands it over:
  /// the boards check mode places after the builder's stop left out.
  int32_t board_limit = 80;
  /// Check mode: the boards placed after the builder's stop, which take
  /// their slots only once the earlier error is mended.
  int32_t unplaced_boards = 0;
  /// Check mode: the row where the builder's line reader stops (its first
  /// code), where that is a row.
  std::optional<SourceOrigin> builder_stop_at;
  /// Check mode: the row where the builder's line reader stopped with code
  /// 15; its train reader then ends at the first signal or slow-down row.
  std::optional<SourceOrigin> stopped_at;
  /// Check mode: the builder would not read the train description at all.
  bool train_skipped = false;
};

/// Reads and deletes the line description. Throws RunFailure on a failed
/// read (the caller records code 25). With `check`, every code is reported
/// and reading goes on with the next row (read_train is then true whenever
/// a grid exists).
LineReadResult read_line_description(BuildState& st, FileSystem& fs, const std::string& path,
                                     CheckContext* check = nullptr);

}  // namespace scenario
