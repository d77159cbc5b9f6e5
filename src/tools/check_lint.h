#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "compiler/diagnostic.h"
#include "compiler/row_kinds.h"
#include "model/build_state.h"

namespace scenario::tools {

// What the item stream cannot see: the readers take items, not lines, so a
// row short of a value silently borrows the next row's first item. The lint
// reads each line as the author meant it, one row per line, against the row
// table, and judges what the rows say together.

/// One row as the lint read it: its kind, its line and its values as written.
struct LintedRow {
  RowId kind;
  int line = 0;
  std::vector<std::string> values;
  std::vector<int> columns;
  /// False when the builder reads other values than the row shows, or
  /// fails on them: a value missing or unreadable, items without commas,
  /// a value outside its range.
  bool complete = true;
};

struct LintResult {
  std::vector<Diagnostic> diagnostics;
  std::vector<LintedRow> rows;
};

/// Encoding, key words, headers, value counts and number forms of one text.
LintResult lint_text(SourceOrigin::File file, std::string_view text);

/// What the rows of both texts say together: objects beyond the route,
/// stations out of order, times going backwards, schedules faster than the
/// speed limits allow.
std::vector<Diagnostic> lint_semantics(const LintResult& line, const LintResult& train);

/// The least whole seconds a train needs from `from_m` to `to_m` under the
/// train description's speed rows and slow-downs: every 50 m cell at the
/// lower of the two, no acceleration, no dwell. Cells with no known speed
/// add nothing, so the figure stays a lower bound.
int64_t fastest_run_s(const std::vector<LintedRow>& train_rows, int64_t from_m, int64_t to_m);

}  // namespace scenario::tools
