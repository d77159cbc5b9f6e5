#pragma once

#include <cstdint>
#include <string>

#include "model/build_state.h"
#include "platform/file_system.h"

namespace scenario {

/// How the line description reader left the compile step.
struct LineReadResult {
  /// True when the train description is to be read next (end of the file,
  /// or a feature position beyond the grid, code 15).
  bool read_train = false;
  /// The station-table slot the next text board would take: 80 less the
  /// number of boards read.
  int32_t board_limit = 80;
};

/// Reads and deletes the line description. Throws RunFailure on a failed
/// read (the caller records code 25).
LineReadResult read_line_description(BuildState& st, FileSystem& fs, const std::string& path);

}  // namespace scenario
