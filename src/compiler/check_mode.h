#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "compiler/diagnostic.h"
#include "compiler/row_kinds.h"
#include "model/build_state.h"

namespace scenario {

/// One row the readers interpreted, as written: for the author tools'
/// pictures and warnings.
struct LoggedRow {
  RowId kind;
  /// The key item's place.
  SourceOrigin at;
  /// The value items as they stand in the text, in order.
  std::vector<std::string> items;
  /// The cell the row's object took (its first cell for a range), or -1.
  int64_t cell = -1;
};

/// Check mode: given to the compile step, it makes every code a diagnostic
/// instead of the end of a text, and the readers go on with the next row.
/// Without it (the builder) nothing of this exists and nothing changes.
struct CheckContext {
  DiagnosticSink* sink = nullptr;
  /// Every row interpreted, in reading order (may be null).
  std::vector<LoggedRow>* rows = nullptr;
};

}  // namespace scenario
