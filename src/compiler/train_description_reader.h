#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "compiler/check_mode.h"
#include "model/build_state.h"
#include "platform/file_system.h"

namespace scenario {

/// Reads and deletes the train description. `board_limit` is the line
/// reader's: stations must stay below it. Throws RunFailure on a failed read
/// (the caller records code 25). With `check`, every code is reported and
/// reading goes on with the next row; `line_stopped_at` is where the line
/// description stopped the builder with code 15, if it did.
void read_train_description(BuildState& st, FileSystem& fs, const std::string& path,
                            int32_t board_limit, CheckContext* check = nullptr,
                            std::optional<SourceOrigin> line_stopped_at = std::nullopt);

}  // namespace scenario
