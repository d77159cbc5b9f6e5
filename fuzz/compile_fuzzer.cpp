// libFuzzer entry for the compile stage.
//
// Input: one flag byte ('0' builds without the line plan, '-' with it but
// with no line description file at all, anything else with the plan), then
// the line description, then optionally a separator line "=====" and the
// train description. Without a separator there is no train description file
// at all, which the compile step must survive as well.
//
// Whatever the texts hold, the stage must end in one of its defined
// outcomes; every property below traps when it does not.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/check_mode.h"
#include "compiler/diagnostic.h"
#include "model/build_state.h"
#include "model/cell_geometry.h"
#include "model/error_code.h"
#include "output/compile_stage.h"
#include "output/file_naming.h"
#include "platform/memory_file_system.h"
#include "tools/check.h"

namespace {

using scenario::BuildState;
using scenario::CompileResult;
using scenario::kCellLengthM;
using scenario::MemoryFileSystem;
using scenario::PositionRule;
using scenario::ScenarioFiles;
using scenario::SourceOrigin;

// Bigger inputs add nothing the mutator cannot reach with small ones, and
// keep single runs slow.
constexpr size_t kMaxInput = 64 * 1024;
constexpr std::string_view kSeparatorLine = "=====";
constexpr std::string_view kSeparator = "\n=====";

[[noreturn]] void fail(const char* property, const BuildState& st) {
  std::fprintf(stderr, "property failed: %s (error_code %d, error_position_m %d)\n", property,
               static_cast<int>(st.error_code), static_cast<int>(st.error_position_m));
  __builtin_trap();
}

#define CHECK_PROPERTY(cond, st)  \
  do {                            \
    if (!(cond)) fail(#cond, st); \
  } while (0)

// Remembers whether the train description was ever opened, that is whether
// the train reader ran.
class WatchedFileSystem : public MemoryFileSystem {
 public:
  explicit WatchedFileSystem(std::string train_path) : train_path_(std::move(train_path)) {}
  std::string read_file(const std::string& path) override {
    if (path == train_path_) train_read_ = true;
    return MemoryFileSystem::read_file(path);
  }
  bool train_read() const { return train_read_; }

 private:
  std::string train_path_;
  bool train_read_ = false;
};

// Codes the compile stage may leave in error_code: every row of the table
// but the fatal ones, which only ever come back as CompileResult::fatal_code.
bool known_code(int32_t code) {
  const scenario::ErrorCodeInfo* info = scenario::find_error_code(code);
  return info != nullptr && !info->fatal();
}

// Codes with which the line reader returns without handing over to the train
// reader. With the train text untouched the final code must be one of them.
bool line_reader_stop_code(int32_t code) {
  const scenario::ErrorCodeInfo* info = scenario::find_error_code(code);
  return info != nullptr && info->texts_left != scenario::TextsLeft::kNone;
}

uint16_t u16_at(const std::string& b, size_t at) {
  return static_cast<uint16_t>(static_cast<unsigned char>(b[at]) |
                               (static_cast<unsigned char>(b[at + 1]) << 8));
}

// The train file: 87 records of 34 bytes plus their names, nothing after.
bool train_file_matches(const std::string& bytes, const BuildState& st) {
  size_t at = 0;
  for (const scenario::StationRecord& r : st.stations) {
    if (bytes.size() < at + 34) return false;
    const size_t name_length = u16_at(bytes, at + 14);
    if (name_length != r.name.size() || bytes.size() < at + 34 + name_length) return false;
    if (bytes.compare(at + 16, name_length, r.name) != 0) return false;
    at += 34 + name_length;
  }
  return at == bytes.size();
}

// The line plan: 2 x (G + 1) tagged values, each tag 0, 2 or 5.
bool line_plan_matches(const std::string& bytes, const BuildState& st) {
  const size_t elements = 2 * (static_cast<size_t>(st.line_plan.grid_length_m()) + 1);
  size_t at = 0;
  for (size_t k = 0; k < elements; ++k) {
    if (bytes.size() < at + 2) return false;
    switch (u16_at(bytes, at)) {
      case 0:
        at += 2;
        break;
      case 2:
        at += 4;
        break;
      case 5:
        at += 10;
        break;
      default:
        return false;
    }
  }
  return at == bytes.size();
}

void check_outcome(const BuildState& st, const CompileResult& result, const WatchedFileSystem& fs,
                   const ScenarioFiles& files, bool line_given, bool train_given) {
  const int32_t code = st.error_code;
  CHECK_PROPERTY(known_code(code), st);
  const scenario::ErrorCodeInfo* fatal = scenario::find_error_code(result.fatal_code);
  CHECK_PROPERTY(result.fatal_code == 0 || (fatal != nullptr && fatal->fatal()), st);
  const scenario::ErrorCodeInfo& info = *scenario::find_error_code(code);

  if (!line_given) {
    // Nothing was opened, so nothing may be deleted or written.
    CHECK_PROPERTY(code == scenario::kFileNotFound, st);
    CHECK_PROPERTY(!fs.train_read(), st);
    CHECK_PROPERTY(fs.has(files.train_description) == train_given, st);
    CHECK_PROPERTY(result.files_written.empty() && !st.grid.exists(), st);
    return;
  }
  // A line text that was there is never left behind.
  CHECK_PROPERTY(code != scenario::kFileNotFound, st);
  CHECK_PROPERTY(!fs.has(files.line_description), st);

  if (train_given) {
    if (fs.train_read() || code == scenario::kReadFailure) {
      CHECK_PROPERTY(!fs.has(files.train_description), st);
    }
    // Untouched only when the line reader stopped before it.
    if (!fs.train_read() && code != scenario::kReadFailure) {
      CHECK_PROPERTY(fs.has(files.train_description), st);
      CHECK_PROPERTY(line_reader_stop_code(code), st);
    }
  } else {
    CHECK_PROPERTY(!fs.has(files.train_description), st);
    // Reaching for a train text that is not there ends the step with code 25,
    // which only the finishing pass may overwrite.
    if (fs.train_read()) {
      CHECK_PROPERTY(code == scenario::kReadFailure || info.position == PositionRule::kCell, st);
    }
  }

  switch (info.position) {
    case PositionRule::kCell:
      CHECK_PROPERTY(st.error_position_m % kCellLengthM == 0, st);
      CHECK_PROPERTY(st.grid.contains(st.error_position_m / kCellLengthM), st);
      break;
    case PositionRule::kObjectOffStep:
      CHECK_PROPERTY(st.error_position_m % kCellLengthM != 0, st);
      break;
    case PositionRule::kObjectOnStep:
      CHECK_PROPERTY(st.error_position_m % kCellLengthM == 0, st);
      break;
    default:
      break;
  }
  if (info.files == scenario::FilesWritten::kNoGrid) CHECK_PROPERTY(!st.grid.exists(), st);

  const bool wrote_files = st.grid.exists() && result.fatal_code == 0;
  if (!wrote_files) {
    CHECK_PROPERTY(result.files_written.empty(), st);
    CHECK_PROPERTY(
        !fs.has(files.line_plan) && !fs.has(files.train_file) && !fs.has(files.cell_grid), st);
    return;
  }

  const bool plan = st.write_plan != 0 && st.line_plan.exists();
  CHECK_PROPERTY(result.files_written.size() == (plan ? 3u : 2u), st);
  CHECK_PROPERTY(fs.has(files.line_plan) == plan, st);

  const std::string& grid = fs.files().at(files.cell_grid);
  CHECK_PROPERTY(grid.size() == 15 * (static_cast<size_t>(st.grid.grid_last_index()) + 1), st);
  // The marker of cell 1: value1 = 5121.
  CHECK_PROPERTY(grid.size() > 17 && u16_at(grid, 16) == 5121, st);
  CHECK_PROPERTY(train_file_matches(fs.files().at(files.train_file), st), st);
  if (plan) CHECK_PROPERTY(line_plan_matches(fs.files().at(files.line_plan), st), st);
}

// Length of line `line` (1-based) of `text` without its line end, or -1
// when the text has no such line.
long line_length(std::string_view text, int line) {
  size_t start = 0;
  for (int n = 1; n < line; ++n) {
    const size_t nl = text.find('\n', start);
    if (nl == std::string_view::npos) return -1;
    start = nl + 1;
  }
  size_t end = text.find('\n', start);
  if (end == std::string_view::npos) end = text.size();
  return static_cast<long>(end - start);
}

// A place check names must lie inside the text it names: a line that is
// there, a column on it or just past its end.
bool inside(const SourceOrigin& at, std::string_view line_text, std::string_view train_text) {
  if (at.file == SourceOrigin::File::kNone || at.line == 0) return at.line == 0;
  const std::string_view text =
      at.file == SourceOrigin::File::kLineDescription ? line_text : train_text;
  const long length = line_length(text, at.line);
  return at.line > 0 && length >= 0 && at.column >= 1 && at.column <= length + 1;
}

// What the builder recorded is told by `d`: the same code, at the line the
// builder names (where it names one) and with its position.
bool tells_record(const scenario::Diagnostic& d, const BuildState& st, int32_t code) {
  const scenario::ErrorCodeInfo& info = *scenario::find_error_code(code);
  // The finishing pass records its codes without a row; a fatal code has none.
  const bool recorded = code == st.error_code;
  const SourceOrigin at =
      recorded && info.position != PositionRule::kCell ? st.error_origin : SourceOrigin{};
  return d.severity == scenario::Severity::kError && d.code == code &&
         (at.line == 0 || (d.at.file == at.file && d.at.line == at.line)) &&
         (!recorded || !info.has_position() || !d.position_m ||
          *d.position_m == st.error_position_m);
}

// The readers' check mode alone, without the builder's compile that check
// runs beside it, knows where the builder stops: the code it records at a
// row is among the readers' errors. The finishing pass, which meets the
// objects check mode places after a stop as well, is left to that compile.
void readers_agree(const BuildState& st, const ScenarioFiles& files, std::string_view line_text,
                   std::string_view train_text) {
  if (st.error_code == 0 ||
      scenario::find_error_code(st.error_code)->position == PositionRule::kCell) {
    return;
  }
  BuildState checked;
  checked.scenario_name = st.scenario_name;
  checked.train_code = st.train_code;
  MemoryFileSystem fs;
  fs.put(files.line_description, std::string(line_text));
  fs.put(files.train_description, std::string(train_text));
  scenario::DiagnosticList told;
  scenario::CheckContext context{&told, nullptr};
  scenario::memorizza_percorso(checked, fs, files, st.write_plan, &context);
  CHECK_PROPERTY(std::any_of(told.items.begin(), told.items.end(),
                             [&](const scenario::Diagnostic& d) {
                               return tells_record(d, st, st.error_code);
                             }),
                 st);
}

// check runs the same compile in check mode plus its lint: it must survive
// every input, point only into the texts, and count what compile recorded
// among its errors, at the line compile names and with its position. Check
// always compiles with the line plan, as the builder does; without it the
// curve rows go unread, so the codes are compared only with the plan.
void check_agrees(const BuildState& st, const CompileResult& result, std::string_view line_text,
                  std::string_view train_text) {
  scenario::tools::CheckRequest req;
  req.line_text_path = "line";
  req.train_text_path = "train";
  req.scenario_name = st.scenario_name;
  req.train_code = st.train_code;
  std::vector<scenario::Diagnostic> ds;
  try {
    ds = scenario::tools::check_texts(std::string(line_text), std::string(train_text), req);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "exception left check: %s\n", e.what());
    __builtin_trap();
  }
  for (const scenario::Diagnostic& d : ds) {
    CHECK_PROPERTY(inside(d.at, line_text, train_text), st);
    CHECK_PROPERTY(d.end_column == 0 || d.end_column >= d.at.column, st);
    for (const scenario::DiagnosticNote& n : d.notes) {
      CHECK_PROPERTY(inside(n.at, line_text, train_text), st);
    }
  }
  if (st.write_plan == 0) return;
  for (const int32_t code : {st.error_code, result.fatal_code}) {
    if (code == 0) continue;
    CHECK_PROPERTY(
        std::any_of(ds.begin(), ds.end(),
                    [&](const scenario::Diagnostic& d) { return tells_record(d, st, code); }),
        st);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > kMaxInput) return -1;
  const int32_t write_plan = data[0] == '0' ? 0 : 1;
  const bool line_given = data[0] != '-';
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);

  std::string_view line_text = input;
  std::string_view train_text;
  bool train_given = false;
  // The separator is a line of its own: "=====" at the start of the input or
  // right after a line end. What follows it on its line is dropped.
  size_t sep = input.starts_with(kSeparatorLine) ? 0 : input.find(kSeparator);
  if (sep != std::string_view::npos) {
    if (input[sep] == '\n') ++sep;
    line_text = input.substr(0, sep);  // keeps the last line's end
    const size_t after = input.find('\n', sep);
    train_text = after == std::string_view::npos ? std::string_view() : input.substr(after + 1);
    train_given = true;
  }

  BuildState st;
  st.scenario_name = "LORVENA";
  st.train_code = "KQ3390";
  const ScenarioFiles files =
      scenario::scenario_files("C:\\sim", '\\', st.scenario_name, st.train_code);
  WatchedFileSystem fs(files.train_description);
  if (line_given) fs.put(files.line_description, std::string(line_text));
  if (train_given) fs.put(files.train_description, std::string(train_text));

  CompileResult result;
  try {
    result = scenario::memorizza_percorso(st, fs, files, write_plan);
  } catch (const std::exception& e) {
    // Nothing in memory refuses a write or a delete, so no exception may
    // leave the stage: it would be a double delete or a program fault.
    std::fprintf(stderr, "exception left the compile stage: %s\n", e.what());
    __builtin_trap();
  }
  check_outcome(st, result, fs, files, line_given, train_given);
  if (line_given && train_given) {
    check_agrees(st, result, line_text, train_text);
    readers_agree(st, files, line_text, train_text);
  }
  // For the seed check: which outcome each input reached.
  static const bool report = std::getenv("SCENARIO_FUZZ_REPORT") != nullptr;
  if (report) {
    const std::string fatal = result.fatal_code == 0 ? "-" : std::to_string(result.fatal_code);
    std::fprintf(stderr, "outcome: code %d position %d fatal %s\n", static_cast<int>(st.error_code),
                 static_cast<int>(st.error_position_m), fatal.c_str());
  }
  return 0;
}
