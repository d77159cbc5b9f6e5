#include "compiler/memorizza_dati.h"

#include "compiler/line_description_reader.h"
#include "compiler/reader_support.h"
#include "compiler/train_description_reader.h"
#include "model/error_code.h"
#include "model/run_failure.h"

namespace scenario {
namespace {

/// Check mode: a failed read outside any row (a key item, the text itself).
void report_failure(CheckContext& check, const SourceOrigin& at, const std::string& what) {
  if (check.sink == nullptr) return;
  check.sink->report(diagnostic_for(Problem{kReadFailure,
                                            std::nullopt,
                                            at,
                                            at.line == 0 ? "the text cannot be read (" + what + ")"
                                                         : "this item cannot be read (" + what +
                                                               "); the rest of the text is "
                                                               "not checked",
                                            {}},
                                    rule_for_code(kReadFailure)));
}

}  // namespace

void memorizza_dati(BuildState& st, FileSystem& fs, const std::string& line_path,
                    const std::string& train_path, CheckContext* check) {
  // One failure path for the whole step: whatever read fails, in either
  // text, both texts are deleted where they still exist and code 25 stands.
  SourceOrigin::File reading = SourceOrigin::File::kLineDescription;
  LineReadResult line;
  bool train_read = false;
  st.cell_holders.clear();
  try {
    st.stations[kScenarioSlot].name = st.scenario_name;
    st.stations[kTrainSlot].name = st.train_code;
    line = read_line_description(st, fs, line_path, check);
    reading = SourceOrigin::File::kTrainDescription;
    if (line.read_train) {
      train_read = true;
      read_train_description(st, fs, train_path, line.board_limit, check, &line);
    }
  } catch (const RunFailure& failure) {
    st.error_code = kReadFailure;
    st.error_origin = SourceOrigin{reading, failure.line(), failure.column(), failure.item()};
    if (check != nullptr) report_failure(*check, st.error_origin, failure.what());
  } catch (const FileError& failure) {
    // A source text that cannot be opened or read: the same path. A text
    // that cannot be deleted fails again below and reaches the caller.
    st.error_code = kReadFailure;
    st.error_origin = SourceOrigin{reading, 0, 0, {}};
    if (check != nullptr) report_failure(*check, st.error_origin, failure.what());
  }
  // Check mode: a line description that failed outside its rows still
  // leaves a grid on which the train description can be checked.
  if (check != nullptr && !train_read && reading == SourceOrigin::File::kLineDescription &&
      st.grid.exists() && fs.is_regular_file(train_path)) {
    try {
      // The builder ends at the failure: it never reads this text.
      line.train_skipped = true;
      read_train_description(st, fs, train_path, line.board_limit, check, &line);
    } catch (const RunFailure& failure) {
      report_failure(*check,
                     SourceOrigin{SourceOrigin::File::kTrainDescription, failure.line(),
                                  failure.column(), failure.item()},
                     failure.what());
    }
  }
  if (st.error_code == kReadFailure) {
    if (fs.is_regular_file(line_path)) fs.remove_file(line_path);
    if (fs.is_regular_file(train_path)) fs.remove_file(train_path);
  }
}

}  // namespace scenario
