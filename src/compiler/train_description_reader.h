#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "compiler/check_mode.h"
#include "compiler/line_description_reader.h"
#include "model/build_state.h"
#include "platform/file_system.h"

namespace scenario {

/// Reads and deletes the train description. `board_limit` is the line
/// reader's: stations must stay below it. Throws RunFailure on a failed read
/// (the caller records code 25). With `check`, every code is reported and
/// reading goes on with the next row; `line` tells how the builder's own
/// line reader ended, so that what it would do with this text is told.
void read_train_description(BuildState& st, FileSystem& fs, const std::string& path,
                            int32_t board_limit, CheckContext* check = nullptr,
                            const LineReadResult* line = nullptr);

}  // namespace scenario
