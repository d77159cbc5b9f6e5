#pragma once

#include <string>

#include "compiler/check_mode.h"
#include "model/build_state.h"
#include "platform/file_system.h"

namespace scenario {

/// The compile step: reads the line description at `line_path`, then the
/// train description at `train_path`, into `st` (grid, line plan, station
/// table), deleting each source text as it goes. Faults in the texts are
/// recorded in st.error_code / st.error_position_m, never thrown. Any read
/// failure ends the step with code 25 after both texts have been deleted
/// where they still exist. Throws FileError only when a source text cannot
/// be deleted. With `check`, every code is reported to check->sink and the
/// readers go on with the next row (author tools only).
void memorizza_dati(BuildState& st, FileSystem& fs, const std::string& line_path,
                    const std::string& train_path, CheckContext* check = nullptr);

}  // namespace scenario
