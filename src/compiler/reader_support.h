#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/check_mode.h"
#include "compiler/diagnostic.h"
#include "compiler/item_stream.h"
#include "compiler/row_kinds.h"
#include "model/build_state.h"
#include "model/cell_writers.h"
#include "model/error_code.h"
#include "model/run_failure.h"
#include "platform/file_system.h"

namespace scenario {

/// What a row leaves its reader to do.
enum class RowOutcome {
  kGoOn,         // test the item's remaining key words, then the next row
  kStopReading,  // leave the rows for the text's end stage (code 15)
  kEnd,          // the text is deleted already: return without the end stage
  kNextRow,      // check mode: the row had a problem; go on with the next row
};

/// A code a reader found, with what check mode tells about it.
struct Problem {
  int32_t code = 0;
  /// Metres, for the codes that carry a position.
  std::optional<int32_t> position_m;
  /// The row at fault (its key item, or the item that failed).
  SourceOrigin at;
  /// Check mode only: what is wrong and how to fix it, and the other places
  /// involved. The builder keeps only the code.
  std::string message;
  std::vector<DiagnosticNote> notes;
  /// The rule, where the code alone does not say it.
  std::string_view rule = {};
  /// Where and how the builder stops, where that is not "at this row".
  std::optional<DiagnosticNote> builder_stop = {};
};

/// One handler per row kind of a zone, in the zone's order.
template <class Reader>
struct RowBinding {
  RowId id;
  RowOutcome (Reader::*handler)();
};

/// True when `bindings` lists exactly the kinds of `zone`, in their order:
/// the dispatch pairs the k-th kind with the k-th handler.
template <class Reader, size_t N>
constexpr bool binds_zone_in_order(const RowBinding<Reader> (&bindings)[N], Zone zone) {
  const auto first = static_cast<size_t>(first_row(zone));
  if (static_cast<size_t>(last_row(zone)) - first + 1 != N) return false;
  for (size_t k = 0; k < N; ++k) {
    if (static_cast<size_t>(bindings[k].id) != first + k) return false;
  }
  return true;
}

/// The rule id check mode gives a code; empty for a code the build never
/// ends with.
constexpr std::string_view rule_for_code(int32_t code) {
  switch (code) {
    case kRouteLengthRefused:
      return "route-length";
    case kProgressiveOffStep:
    case kRepetitionFirstNotOnGrid:
    case kRepetitionSecondNotOnGrid:
    case kStationOffStep:
    case kStationLengthOffStep:
      return "off-step";
    case kRepetitionWithoutCodeCount:
      return "repetition-codes";
    case kTextBoardCellTaken:
    case kPointCellTaken:
    case kSignalCellTaken:
    case kWarningCellTaken:
    case kStartCellTaken:
    case kEndCellTaken:
    case kBeforeWarningCellTaken:
    case kSpeedBoardCellTaken:
      return "cell-taken";
    case kObjectOutsideGrid:
      return "outside-grid";
    case kTableFull:
    case kTooManyMontagna:
      return "table-full";
    case kNoRoomBesideSignal:
    case kNoRoomBeforeSlowDown:
    case kNoRoomInsideSlowDown:
      return "no-room-for-point";
    case kStationGap:
      return "station-gap";
    case kStationTooNearStart:
      return "station-too-near-start";
    case kReadFailure:
      return "read-failure";
    case kFileNotFound:
      return "no-line-description";
    case kNoGeneralSection:
      return "no-general-section";
    case kBadCurve:
      return "bad-curve";
    case kMarkerSlotTaken:
    case kCheckCodeSlotTaken:
      return "reserved-slot";
    default:
      return {};
  }
}

namespace reader_support_detail {
constexpr bool every_code_has_a_rule() {
  for (const ErrorCodeInfo& info : kErrorCodes) {
    if (info.code != kNoError && rule_for_code(info.code).empty()) return false;
  }
  return true;
}
}  // namespace reader_support_detail
// A code without a rule would reach check's output under no rule at all.
static_assert(reader_support_detail::every_code_has_a_rule(),
              "rule_for_code: every code of kErrorCodes needs its check rule");

/// The diagnostic check mode makes of a problem: an error under `rule`, its
/// message led by the builder's code.
Diagnostic diagnostic_for(Problem p, std::string_view rule);

/// What the builder does when it stops reading `file` at a row, `how` being
/// kStopReading or kEnd: the note check mode puts there.
std::string builder_stop_note(SourceOrigin::File file, RowOutcome how);

/// What both description readers share: the text's item stream, the one way
/// to record a code, and the row dispatch.
class DescriptionReader {
 protected:
  DescriptionReader(BuildState& st, FileSystem& fs, const std::string& path,
                    SourceOrigin::File file, CheckContext* check)
      : st_(st), fs_(fs), path_(path), file_(file), check_(check) {}

  /// The item just read.
  SourceOrigin here() const {
    return SourceOrigin{file_, in_.last_line(), in_.last_column(), in_.last_item()};
  }

  /// Every path out of a text deletes it once; check mode goes on reading
  /// after a code, so a second request is no fault.
  void delete_text() {
    if (deleted_) return;
    fs_.remove_file(path_);
    deleted_ = true;
  }

  /// Records the code in the build state: the last code is the one the
  /// builder keeps. In check mode it is also reported; `how` is what the
  /// builder does next (kGoOn: nothing changes), told on the text's first
  /// code, where the builder itself stops.
  void record(Problem p, RowOutcome how = RowOutcome::kGoOn);
  /// Records the code and leaves the rows for the end stage.
  RowOutcome stop_reading(Problem p) {
    record(std::move(p), RowOutcome::kStopReading);
    return RowOutcome::kStopReading;
  }
  /// Deletes the text, records the code and ends the text.
  RowOutcome end_with(Problem p) {
    delete_text();
    record(std::move(p), RowOutcome::kEnd);
    return RowOutcome::kEnd;
  }

  /// Check mode: where the builder itself stops this text (its first code).
  /// Whatever check mode reads and places after it, the builder never does.
  struct BuilderStop {
    RowOutcome how;
    SourceOrigin at;
  };
  std::optional<BuilderStop> builder_stop_;

  /// The current row's object took `cell`: the row log names its first
  /// cell, and check mode remembers which row holds it.
  void took(int64_t cell);
  /// Every cell a writer reported.
  void took_all(const WriteReport& report) {
    for (int64_t c : report.taken) took(c);
  }
  /// Where a writer reports, in check mode only (null otherwise).
  WriteReport* write_report() {
    report_ = WriteReport{};
    return check_ != nullptr ? &report_ : nullptr;
  }
  /// "cell 607 (30300 m)": a cell and the position of the object that maps
  /// to it.
  static std::string cell_text(int64_t cell, int64_t metres);
  /// "cell 607".
  static std::string cell_text(int64_t cell);
  /// Check mode: a note naming the object that holds `cell` and its row;
  /// for an object the builder never places, a second note says so.
  std::vector<DiagnosticNote> holder_note(int64_t cell) const;
  /// The same for an object of cell kind `kind` held by `holder`.
  static std::vector<DiagnosticNote> holder_notes(int64_t cell, uint8_t kind,
                                                  const BuildState::CellHolder& holder);

  /// Tests the key item against every kind of `zone` in order and runs the
  /// handler of each that matches: the tests are independent, so one item
  /// holding two key words reads the values of both.
  template <class Reader, size_t N>
  RowOutcome dispatch(Reader& reader, Zone zone, const RowBinding<Reader> (&bindings)[N],
                      const std::string& key) {
    const std::span<const RowKind> kinds = row_kinds(zone);
    for (size_t k = 0; k < N && k < kinds.size(); ++k) {
      if (!key_matches(kinds[k], key)) continue;
      const RowOutcome o = take_row(kinds[k], [&] { return (reader.*bindings[k].handler)(); });
      if (o != RowOutcome::kGoOn) return o;
    }
    return RowOutcome::kGoOn;
  }

  /// Runs one row's handler. A failed read while taking the row's values is
  /// reported at the row: the key item's line, the failing item's column
  /// when it stands on that line, else the end of that line.
  template <class Handler>
  RowOutcome take_row(const RowKind& kind, Handler handler) {
    begin_row(kind);
    RowOutcome o = RowOutcome::kGoOn;
    try {
      o = handler();
    } catch (const RunFailure& failure) {
      const SourceOrigin at = anchor_at_row(failure);
      if (check_ == nullptr) {
        throw RunFailure(failure.what(), at.line, at.column, at.item);
      }
      end_row();
      report_read_failure(failure, at);
      in_.skip_to_line(key_origin_.line + 1);
      return RowOutcome::kNextRow;
    }
    end_row();
    return after_row(kind, o);
  }

  BuildState& st_;
  FileSystem& fs_;
  const std::string& path_;
  const SourceOrigin::File file_;
  CheckContext* const check_;
  ItemStream in_{std::string()};
  /// Where the key item under test stands.
  SourceOrigin key_origin_;
  /// The object the current row placed, for the row log (-1: none).
  int64_t row_cell_ = -1;
  RowId row_id_ = RowId::kRouteLength;
  WriteReport report_;

 private:
  void begin_row(const RowKind& kind);
  void end_row();
  RowOutcome after_row(const RowKind& kind, RowOutcome o);
  SourceOrigin anchor_at_row(const RunFailure& failure) const;
  void report_read_failure(const RunFailure& failure, const SourceOrigin& at);

  std::vector<std::string> row_items_;
  bool deleted_ = false;
};

}  // namespace scenario
