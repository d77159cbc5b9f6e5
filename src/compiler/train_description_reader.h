#pragma once

#include <cstdint>
#include <string>

#include "model/build_state.h"
#include "platform/file_system.h"

namespace scenario {

/// Reads and deletes the train description. `board_limit` is the line
/// reader's: stations must stay below it. Throws RunFailure on a failed read
/// (the caller records code 25).
void read_train_description(BuildState& st, FileSystem& fs, const std::string& path,
                            int32_t board_limit);

}  // namespace scenario
