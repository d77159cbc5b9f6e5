#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "compiler/check_mode.h"
#include "model/build_state.h"
#include "output/file_naming.h"
#include "platform/file_system.h"

namespace scenario {

struct CompileResult {
  /// kMarkerSlotTaken or kCheckCodeSlotTaken when a reserved slot was taken:
  /// no file was written and the caller shows the error and ends the
  /// program. 0 otherwise.
  int32_t fatal_code = 0;
  /// Full names of the binary files written, in writing order. Empty when
  /// the line reader stopped before a grid existed.
  std::vector<std::string> files_written;
};

/// The compile stage: clears the error state and the station table, reads
/// both source texts, runs the finishing pass, seals, and writes the binary
/// files named in `files` (the line plan only when `j` is not 0).
/// Throws FileError when a file cannot be written or a source text deleted.
/// With `check` (author tools only) every code is reported and the readers
/// go on after it; see CheckContext.
CompileResult memorizza_percorso(BuildState& st, FileSystem& fs, const ScenarioFiles& files,
                                 int32_t j, CheckContext* check = nullptr);

}  // namespace scenario
