#include "compiler/memorizza_dati.h"

#include "compiler/line_description_reader.h"
#include "compiler/train_description_reader.h"
#include "model/error_code.h"
#include "model/run_failure.h"

namespace scenario {

void memorizza_dati(BuildState& st, FileSystem& fs, const std::string& line_path,
                    const std::string& train_path, CheckContext* check) {
  (void)check;  // check mode: not yet wired into the readers
  // One failure path for the whole step: whatever read fails, in either
  // text, both texts are deleted where they still exist and code 25 stands.
  SourceOrigin::File reading = SourceOrigin::File::kLineDescription;
  try {
    st.stations[kScenarioSlot].name = st.scenario_name;
    st.stations[kTrainSlot].name = st.train_code;
    const LineReadResult line = read_line_description(st, fs, line_path);
    reading = SourceOrigin::File::kTrainDescription;
    if (line.read_train) read_train_description(st, fs, train_path, line.board_limit);
  } catch (const RunFailure& failure) {
    st.error_code = kReadFailure;
    st.error_origin = SourceOrigin{reading, failure.line(), failure.column(), failure.item()};
  } catch (const FileError&) {
    // A source text that cannot be opened or read: the same path. A text
    // that cannot be deleted fails again below and reaches the caller.
    st.error_code = kReadFailure;
    st.error_origin = SourceOrigin{reading, 0, 0, {}};
  }
  if (st.error_code == kReadFailure) {
    if (fs.is_regular_file(line_path)) fs.remove_file(line_path);
    if (fs.is_regular_file(train_path)) fs.remove_file(train_path);
  }
}

}  // namespace scenario
