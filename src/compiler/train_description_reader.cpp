#include "compiler/train_description_reader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "compiler/reader_support.h"
#include "model/cell_geometry.h"
#include "model/cell_writers.h"
#include "model/error_code.h"
#include "model/rounding.h"
#include "model/run_failure.h"

namespace scenario {
namespace {

// Station kinds by how their area is laid out.
/// Kinds 5 and 6: the area ends a fixed distance past the position and
/// reaches the station's length before it; no approach cells.
constexpr uint8_t kShortEndKindLow = 5;
constexpr uint8_t kShortEndKindHigh = 6;
/// Kinds 7 and 8: the area reaches the station's length on both sides.
constexpr uint8_t kBothWaysKindLow = 7;
constexpr uint8_t kBothWaysKindHigh = 8;
/// Kinds from here on get an area and the gap test but leave the grid alone.
constexpr uint8_t kFirstKindWithoutCells = 25;

/// How far past its position the area of a kind 5 or 6 station ends.
constexpr int32_t kShortEndM = 150;
/// The end extension lengthens an area by one cell.
constexpr double kEndExtensionM = kCellLengthM;
/// Station lengths are whole multiples of this.
constexpr int32_t kStationLengthStepM = 100;
/// Below this length a station is never long.
constexpr int32_t kLongStationM = 600;
/// A station's area starts at least this far after the previous one's end.
constexpr int32_t kStationGapM = 350;
/// Approach codes of the cells before a station stop: 81 just before it, up
/// to 84 four cells before it.
constexpr int kStationApproachCells = 4;
constexpr uint8_t kStationApproachBase = 80;
/// The stop marker must lie above this cell.
constexpr double kLowestStopCell = 1;

// Positions, lengths and times are 32-bit values; a sum or product that does
// not fit is a failed read, not a silently wrapped position.
int32_t checked32(int64_t v) {
  if (v < INT32_MIN || v > INT32_MAX) {
    throw RunFailure("value out of the 32-bit range: " + std::to_string(v));
  }
  return static_cast<int32_t>(v);
}

class TrainReader : public DescriptionReader {
 public:
  TrainReader(BuildState& st, FileSystem& fs, const std::string& path, int32_t board_limit,
              CheckContext* check, const LineReadResult* line)
      : DescriptionReader(st, fs, path, SourceOrigin::File::kTrainDescription, check),
        ub_(st.grid.grid_last_index()),
        // Boards hold slots 80 downward; a limit above that would let
        // stations run into the reserved slots.
        board_limit_(std::min(board_limit, static_cast<int32_t>(kFirstBoardSlot))),
        mended_board_limit_(board_limit_ - (line != nullptr ? line->unplaced_boards : 0)),
        line_stopped_at_(line != nullptr ? line->stopped_at : std::nullopt),
        line_builder_stop_at_(line != nullptr ? line->builder_stop_at : std::nullopt) {
    in_ = ItemStream(fs.read_file(path));
    // The builder never reads this text: nothing here is where it stops.
    if (line != nullptr && line->train_skipped) {
      builder_stop_ = BuilderStop{RowOutcome::kEnd, line->builder_stop_at.value_or(SourceOrigin{})};
    }
  }

  void run() {
    // The line description creates the grid; without one there is nowhere
    // to put anything.
    if (!st_.grid.exists()) throw RunFailure("no cell grid for the train description");
    if (check_ != nullptr) set_aside_unplaced_objects();
    // Nothing counts before the "[generale]" item; a text without one simply
    // yields nothing (an empty text included).
    while (!in_.at_end()) {
      st_.current_item = in_.read_text();
      if (contains_ignoring_case(st_.current_item, "[generale]")) break;
    }
    if (read_rows() == RowOutcome::kEnd && check_ == nullptr) return;
    end_stage();
  }

  // One handler per row kind, bound in the table below.
  RowOutcome braked_weight() {
    fixed_slots(st_.stations).braked_weight_percent() = in_.read_long();
    return RowOutcome::kGoOn;
  }
  RowOutcome coaches() {
    fixed_slots(st_.stations).coaches() = in_.read_long();
    return RowOutcome::kGoOn;
  }
  RowOutcome speed_limit();
  RowOutcome adhesion();
  RowOutcome clock() {
    const auto slots = fixed_slots(st_.stations);
    slots.clock_hours() = in_.read_integer();
    slots.clock_minutes() = in_.read_integer();
    slots.clock_seconds() = in_.read_integer();
    return RowOutcome::kGoOn;
  }
  RowOutcome sand() {
    fixed_slots(st_.stations).sand() = in_.read_integer();
    return RowOutcome::kGoOn;
  }
  RowOutcome signal();
  RowOutcome slow_down();
  RowOutcome abbattimento();
  RowOutcome station();

 private:
  // The last item of the text is never interpreted as a key: a key with no
  // values after it would only fail the read.
  RowOutcome read_rows();

  // The steps of a station row.
  /// Reads the values after the kind and length into `r`.
  void read_station_values(StationRecord& r);
  /// The station's area from its position, kind and length.
  static void lay_out_area(StationRecord& r, int32_t length, bool first_station);
  /// The stop marker and its approach cells; a code when refused.
  RowOutcome mark_station(StationRecord& r, int32_t slot, const SourceOrigin& at);

  /// After a writer: its own code, or (the builder's quirk) a code 15 that
  /// the line description left standing, ends the text at this row.
  /// `length_m` (a slow-down's) places its end cell in the message.
  RowOutcome after_writer(int32_t code, const WriteReport* report, int32_t p,
                          const SourceOrigin& at, std::string_view what, int64_t length_m = 0);
  Problem writer_problem(int32_t code, const WriteReport* report, int32_t p, const SourceOrigin& at,
                         std::string_view what, int64_t length_m) const;

  /// Check mode: the line description's objects that check mode placed
  /// after the builder's stop leave the grid, so that this text meets the
  /// cells as the builder's own reading does; `unplaced_` keeps them.
  void set_aside_unplaced_objects();
  /// Check mode: the object of this row took `cells`; where one of them
  /// holds a set-aside object, the builder places this one all the same,
  /// but once its earlier error is mended it would refuse it there. That is
  /// reported with the code it would then record, as no stop of the builder.
  void report_unplaced_collision(const std::vector<int64_t>& cells, int32_t p,
                                 const SourceOrigin& at, std::string_view what,
                                 int64_t length_m = 0);
  /// Check mode: the table fills here once the boards that check mode
  /// placed after the line description's stop take their slots.
  void report_mended_table_full(const SourceOrigin& at);

  void end_stage();

  // One cell is written before the index is tested against c, so a line
  // whose cell lies at or behind the fill index still writes one cell with
  // the previous value. The index never passes UB.
  template <typename Write>
  void fill_profile(int32_t& index, int32_t c, Write write) {
    while (index < ub_) {
      write(st_.grid.at(index));
      ++index;
      if (index >= c) break;
    }
  }

  template <typename Write>
  void complete_profile(int32_t& index, Write write) {
    do {
      if (!st_.grid.contains(index)) break;
      write(st_.grid.at(index));
      ++index;
    } while (index < ub_ - 2);
  }

  /// The speed code of the running speed. A code that does not fit a byte
  /// fails the read at the first cell it would be written into; the row
  /// that gave the speed is at fault, not the place of the fill.
  uint8_t speed_byte() const {
    try {
      return round_byte(running_speed_ / 5.0);
    } catch (const RunFailure& failure) {
      throw RunFailure(failure.what(), speed_at_.line, speed_at_.column, speed_at_.item);
    }
  }

  /// Runs `fill` with a writer of the running speed. Check mode reports a
  /// speed that fails there once, at its own row, with where the builder
  /// stops (`stop_at`, or the end of the text), and fills the cells
  /// without writing them, as far as the builder would have gone.
  template <typename Fill>
  void fill_speed(const std::optional<SourceOrigin>& stop_at, Fill fill) {
    const auto write = [this](TrackCell& cell) { cell.speed_code = speed_byte(); };
    if (check_ == nullptr) {
      fill(write);
      return;
    }
    try {
      fill(write);
    } catch (const RunFailure&) {
      report_speed_out_of_range(stop_at);
      fill([](TrackCell&) {});
    }
  }
  void report_speed_out_of_range(const std::optional<SourceOrigin>& stop_at);
  /// "the speed 2000 km/h is too high: ...; ".
  std::string speed_range_text() const;
  /// Check mode, where the builder stops reading this text for the end
  /// stage (code 15): what that stage records for the builder, with the
  /// running speed and the progressives as they stand there. Check's own
  /// end stage, after the last row, tells only what is not told here.
  void tell_builders_end_stage();
  /// The progressives' test of the end stage; false when it records code 2.
  bool progressives_on_step();

  /// "at most 78 stations beside the text boards": the stations stored
  /// without code 10 under `limit`.
  static std::string stations_that_fit(int32_t limit) {
    const int32_t n = limit - 1 - kFirstStationSlot;
    return "at most " + std::to_string(n) + (n == 1 ? " station" : " stations") +
           " beside the text boards";
  }

  bool beyond_grid(int32_t p, int32_t room_m) const {
    // A position this close to the 32-bit limit fails the read rather than
    // the room test.
    checked32(int64_t{p} + room_m);
    return !has_room(ub_, p, room_m);
  }

  RowOutcome stop_beyond_grid(int32_t p, const SourceOrigin& at, std::string_view what,
                              int32_t room_m = kObjectRoomM);

  const int32_t ub_;
  const int32_t board_limit_;
  /// Check mode: the limit once every board check mode read takes its slot.
  const int32_t mended_board_limit_;
  /// Check mode: where the line description stopped the builder with 15.
  const std::optional<SourceOrigin> line_stopped_at_;
  /// Check mode: where the builder's line reader stopped, with any code.
  const std::optional<SourceOrigin> line_builder_stop_at_;
  /// Check mode: the set-aside objects, by cell.
  struct Unplaced {
    uint8_t kind;
    BuildState::CellHolder holder;
  };
  std::unordered_map<int64_t, Unplaced> unplaced_;

  int32_t speed_fill_ = 0;
  int32_t adhesion_fill_ = 0;
  int32_t running_speed_ = 0;
  int32_t running_adhesion_ = 0;
  /// The speed item of the row that set running_speed_.
  SourceOrigin speed_at_;
  /// Check mode: running_speed_ was told out of its byte's range.
  bool speed_told_ = false;
  /// Check mode: the builder's end stage was told, at its stop.
  bool end_stage_told_ = false;
  bool progressives_told_ = false;
  int32_t station_ = kFirstStationSlot;
  /// The row of each station slot, for the notes of check mode.
  std::array<SourceOrigin, kStationSlots> station_at_{};
};

constexpr RowBinding<TrainReader> kTrainRows[] = {
    {RowId::kBrakedWeight, &TrainReader::braked_weight},
    {RowId::kCoaches, &TrainReader::coaches},
    {RowId::kSpeedLimit, &TrainReader::speed_limit},
    {RowId::kAdhesion, &TrainReader::adhesion},
    {RowId::kClock, &TrainReader::clock},
    {RowId::kSand, &TrainReader::sand},
    {RowId::kSignal, &TrainReader::signal},
    {RowId::kSlowDown, &TrainReader::slow_down},
    {RowId::kAbbattimento, &TrainReader::abbattimento},
    {RowId::kStation, &TrainReader::station},
};
static_assert(binds_zone_in_order(kTrainRows, Zone::kTrain));

RowOutcome TrainReader::read_rows() {
  for (;;) {
    if (in_.at_end()) return RowOutcome::kStopReading;
    std::string key = in_.read_text();
    st_.current_item = key;
    if (in_.at_end()) return RowOutcome::kStopReading;
    // Separator items are skipped, two at most; a third is taken as a key.
    for (int skipped = 0; skipped < hyphen_skips(Zone::kTrain) && contains(key, "-"); ++skipped) {
      key = in_.read_text();
      st_.current_item = key;
      if (in_.at_end()) return RowOutcome::kStopReading;
    }
    key_origin_ = here();
    const RowOutcome o = dispatch(*this, Zone::kTrain, kTrainRows, key);
    if (o == RowOutcome::kStopReading || o == RowOutcome::kEnd) return o;
    if (check_ != nullptr && !end_stage_told_ && builder_stop_ &&
        builder_stop_->how == RowOutcome::kStopReading) {
      end_stage_told_ = true;
      tell_builders_end_stage();
    }
  }
}

RowOutcome TrainReader::stop_beyond_grid(int32_t p, const SourceOrigin& at, std::string_view what,
                                         int32_t room_m) {
  std::string message;
  if (p < 0) {
    message = std::string(what) + " at " + std::to_string(p) +
              " m lies before the route's start; positions start at 0 m";
  } else {
    message = std::string(what) + " at " + std::to_string(p) +
              " m lies beyond the grid: it needs " + std::to_string(room_m) +
              " m of grid after it, so the last position is " +
              std::to_string(cell_start_m(ub_) - room_m) + " m (the route length plus " +
              std::to_string(kGridMarginM) + " m); move it or lengthen the route";
  }
  return stop_reading(Problem{kObjectOutsideGrid, p, at, std::move(message), {}});
}

RowOutcome TrainReader::speed_limit() {
  const int32_t p = in_.read_long();
  const SourceOrigin at = here();
  const int32_t s = in_.read_long();
  const SourceOrigin speed_item = here();
  if (beyond_grid(p, kObjectRoomM)) return stop_beyond_grid(p, at, "the speed limit");
  const int32_t c = cell_below(p);
  if (c > 0) {
    fill_speed(key_origin_, [&](const auto& write) { fill_profile(speed_fill_, c, write); });
  }
  running_speed_ = s;
  speed_at_ = speed_item;
  speed_told_ = false;
  return RowOutcome::kGoOn;
}

std::string TrainReader::speed_range_text() const {
  const RowValue& value = row_kind(RowId::kSpeedLimit).values[1];
  const bool negative = running_speed_ < 0;
  return "the speed " + std::to_string(running_speed_) + " km/h is " +
         (negative ? "negative" : "too high") +
         ": the builder keeps a speed as round(speed / 5) in one byte, so it must be " +
         (negative ? std::to_string(value.min) + " to " : "at most ") + std::to_string(value.max) +
         " km/h; ";
}

void TrainReader::report_speed_out_of_range(const std::optional<SourceOrigin>& stop_at) {
  // Told already where the builder's end stage fails on it.
  if (speed_told_) return;
  speed_told_ = true;
  std::string message = speed_range_text();
  // Said as the builder's stop only where the builder still reads.
  const bool first = !builder_stop_;
  Problem p{kReadFailure, std::nullopt, speed_at_, {}, {}};
  if (stop_at) {
    message +=
        std::string(first ? "the builder stops reading the train description" : "the read fails") +
        " at line " + std::to_string(stop_at->line) + ", where the next \"" +
        std::string(row_kind(RowId::kSpeedLimit).key) +
        "\" row makes it fill the cells with this speed";
    p.builder_stop = DiagnosticNote{*stop_at,
                                    "the builder stops reading the train description at this "
                                    "row, filling the cells with the speed of line " +
                                        std::to_string(speed_at_.line)};
  } else if (first) {
    message +=
        "the builder reads the rest of the train description, then stops when it fills the "
        "last cells with this speed: they keep speed 0, and those after the last \"" +
        std::string(row_kind(RowId::kAdhesion).key) + "\" row adhesion 0";
    p.builder_stop = DiagnosticNote{speed_at_,
                                    "the builder stops at the end of the train description, "
                                    "filling the last cells with this speed"};
  } else {
    message += "the read fails at the end of the text, where the last cells are filled with it";
  }
  p.message = std::move(message);
  record(std::move(p), RowOutcome::kEnd);
}

RowOutcome TrainReader::adhesion() {
  const int32_t p = in_.read_long();
  const SourceOrigin at = here();
  const int32_t a = in_.read_long();
  if (beyond_grid(p, kObjectRoomM)) return stop_beyond_grid(p, at, "the adhesion");
  const int32_t c = cell_below(p);
  if (c > 0) {
    fill_profile(adhesion_fill_, c,
                 [this](TrackCell& cell) { cell.adhesion_code = low8(running_adhesion_); });
  }
  running_adhesion_ = a;
  return RowOutcome::kGoOn;
}

RowOutcome TrainReader::signal() {
  const int32_t p = in_.read_long();
  const SourceOrigin at = here();
  int32_t sx = in_.read_long();
  int32_t s1 = in_.read_long();
  int32_t s2 = in_.read_long();
  int32_t s3 = in_.read_long();
  int32_t rapp = in_.read_long();
  int32_t dx = in_.read_long();
  int32_t d1 = in_.read_long();
  int32_t d2 = in_.read_long();
  int32_t d3 = in_.read_long();
  int32_t tempo = in_.read_long();
  if (beyond_grid(p, kObjectRoomM)) return stop_beyond_grid(p, at, "the signal");
  WriteReport* report = write_report();
  const int32_t code = memo_segnale(st_, p, sx, s1, s2, s3, rapp, dx, d1, d2, d3, tempo, report);
  return after_writer(code, report, p, at, "signal");
}

RowOutcome TrainReader::slow_down() {
  const int32_t x = in_.read_long();
  const SourceOrigin at = here();
  int32_t v = in_.read_long();
  int32_t l = in_.read_long();
  int32_t f_tt = in_.read_long();
  const int32_t f_ta = in_.read_long();
  int32_t d_v = in_.read_long();
  if (beyond_grid(x, kObjectRoomM)) return stop_beyond_grid(x, at, "the slow-down");
  WriteReport* report = write_report();
  const int32_t code = memo_rallentamento(st_, x, v, l, f_tt, f_ta, d_v, report);
  return after_writer(code, report, x, at, "slow-down", l);
}

Problem TrainReader::writer_problem(int32_t code, const WriteReport* report, int32_t p,
                                    const SourceOrigin& at, std::string_view what,
                                    int64_t length_m) const {
  Problem problem{code, p, at, {}, {}};
  const int64_t cell = report != nullptr ? report->refused_cell : -1;
  const std::string object(what);
  switch (code) {
    case kSignalCellTaken:
      problem.message = "the signal's " + cell_text(cell, p) + " is already taken; move the signal";
      break;
    case kWarningCellTaken:
      problem.message = "the slow-down's warning board would stand in " +
                        cell_text(cell, int64_t{p} - kWarningDistanceM) +
                        ", 1200 m before its start, which is already taken";
      break;
    case kStartCellTaken:
      problem.message = "the slow-down's start " + cell_text(cell, p) + " is already taken";
      break;
    case kEndCellTaken:
      problem.message =
          "the slow-down's end " + cell_text(cell, p + length_m) + " is already taken";
      break;
    case kBeforeWarningCellTaken:
      problem.message = "the cells before the slow-down's warning board are not free (" +
                        cell_text(cell) + " is taken); the slow-down and its board stay written";
      break;
    case kPointCellTaken:
      problem.message = "the abbattimento point's " + cell_text(cell, p) + " is already taken";
      break;
    case kObjectOutsideGrid:
      if (object == "signal") {
        problem.message =
            "a signal needs at least 325 m before it: its approach cells reach 400 m back, and "
            "this one stands at " +
            std::to_string(p) + " m";
      } else {
        problem.message = "the " + object + "'s cells leave the grid at " + cell_text(cell) +
                          "; move it or change its length";
      }
      return problem;
    default:
      problem.message = "the " + object + " cannot be placed";
      return problem;
  }
  if (cell >= 0) problem.notes = holder_note(cell);
  return problem;
}

// A code left standing by the line description (15) ends the read here too,
// at the first signal or slow-down, with that line's position.
RowOutcome TrainReader::after_writer(int32_t code, const WriteReport* report, int32_t p,
                                     const SourceOrigin& at, std::string_view what,
                                     int64_t length_m) {
  if (report != nullptr) took_all(*report);
  if (code != 0) return end_with(writer_problem(code, report, p, at, what, length_m));
  if (report != nullptr) report_unplaced_collision(report->taken, p, at, what, length_m);
  if (check_ == nullptr) {
    if (st_.error_code <= 0) return RowOutcome::kGoOn;
    delete_text();
    st_.error_position_m = p;
    st_.error_origin = at;
    return RowOutcome::kEnd;
  }
  // Check mode: the builder's own reading of this text may have ended
  // earlier already; only where it still reads does the quirk apply.
  if (!line_stopped_at_ || builder_stop_) return RowOutcome::kGoOn;
  return end_with(Problem{kObjectOutsideGrid,
                          p,
                          at,
                          "the builder stops reading the train description at this " +
                              std::string(what) +
                              " (placed) with code 15 and its position, "
                              "because the line description stopped on code 15",
                          {DiagnosticNote{*line_stopped_at_, "the line description's code 15"}},
                          "stopped-by-earlier-code"});
}

RowOutcome TrainReader::abbattimento() {
  const int32_t p = in_.read_long();
  const SourceOrigin at = here();
  const int32_t v = in_.read_long();
  if (beyond_grid(p, kObjectRoomM)) return stop_beyond_grid(p, at, "the abbattimento point");
  // Unlike signals the point takes the cell below, without + 1, so a
  // position below -25 m would address a cell before the grid.
  const int32_t c = cell_below(p);
  if (c < 0) return stop_beyond_grid(p, at, "the abbattimento point");
  const WriteReport refused{{}, c};
  if (!st_.grid.is_free(c)) {
    return end_with(writer_problem(kPointCellTaken, &refused, p, at, "abbattimento point", 0));
  }
  TrackCell& cell = st_.grid.at(c);
  if (v > 0) {
    cell.kind = kPointWithSpeed;
    cell.value1 = low16(v);
  } else {
    cell.kind = kPointWithoutSpeed;
  }
  took(c);
  if (check_ != nullptr) report_unplaced_collision({c}, p, at, "abbattimento point");
  return RowOutcome::kGoOn;
}

RowOutcome TrainReader::station() {
  const int32_t i = station_;
  if (check_ != nullptr && i > kFirstStationSlot && i >= board_limit_) {
    // Only check mode reads on past a full table; nothing more is stored.
    return end_with(Problem{kTableFull,
                            std::nullopt,
                            key_origin_,
                            "the station table is full: " + stations_that_fit(board_limit_),
                            {}});
  }
  StationRecord& r = st_.stations[static_cast<size_t>(i)];
  station_at_[static_cast<size_t>(i)] = key_origin_;
  // The position stays in the slot whatever happens next.
  r.position_m = in_.read_long();
  const int32_t pos = r.position_m;
  const SourceOrigin at = here();
  if (beyond_grid(pos, kStationRoomM)) {
    return stop_beyond_grid(pos, at, "the station", kStationRoomM);
  }
  if (!on_cell_step(pos)) {
    const int32_t below = pos - pos % kCellLengthM;
    return end_with(
        Problem{kStationOffStep,
                pos,
                at,
                "the station position " + std::to_string(pos) + " m is not a multiple of " +
                    std::to_string(kCellLengthM) + " m; use " + std::to_string(below) + " or " +
                    std::to_string(pos < 0 ? below - kCellLengthM : below + kCellLengthM),
                {}});
  }

  r.station_kind = in_.read_byte();
  const int32_t length = in_.read_long();
  if (length % kStationLengthStepM != 0) {
    return end_with(Problem{kStationLengthOffStep,
                            pos,
                            here(),
                            "the station length " + std::to_string(length) +
                                " m is not a multiple of " + std::to_string(kStationLengthStepM) +
                                " m",
                            {}});
  }
  read_station_values(r);
  lay_out_area(r, length, i == kFirstStationSlot);

  if (r.station_kind < kFirstKindWithoutCells) {
    const RowOutcome o = mark_station(r, i, at);
    if (o != RowOutcome::kGoOn) return o;
  }

  const StationRecord& previous = st_.stations[static_cast<size_t>(i - 1)];
  if (i > kFirstStationSlot &&
      checked32(int64_t{r.area_start_m} - kStationGapM) < previous.area_end_m) {
    return end_with(Problem{
        kStationGap,
        pos,
        at,
        "this station's area starts at " + std::to_string(r.area_start_m) + " m, less than " +
            std::to_string(kStationGapM) + " m after the previous station's area ends (" +
            std::to_string(previous.area_end_m) + " m)",
        {DiagnosticNote{station_at_[static_cast<size_t>(i - 1)],
                        "the previous station, \"" + previous.name + "\", whose area ends at " +
                            std::to_string(previous.area_end_m) + " m"}}});
  }
  ++station_;
  if (check_ != nullptr && station_ == mended_board_limit_ && station_ < board_limit_) {
    report_mended_table_full(at);
  }
  // At least two slots stay free between the last station and the lowest
  // board text.
  if (station_ >= board_limit_) {
    return end_with(Problem{kTableFull,
                            std::nullopt,
                            at,
                            "the station table is full: " + stations_that_fit(board_limit_) +
                                "; this one is the last stored",
                            {}});
  }
  return RowOutcome::kGoOn;
}

void TrainReader::read_station_values(StationRecord& r) {
  r.flag_a = in_.read_byte();
  r.long_flag = in_.read_byte();
  r.end_extension = in_.read_byte();
  r.group_a1 = in_.read_integer();
  r.group_a2 = in_.read_integer();
  r.group_a3 = in_.read_byte();
  r.group_b1 = in_.read_integer();
  r.group_b2 = in_.read_integer();
  r.group_b3 = in_.read_integer();
  r.stop_value = in_.read_byte();
  const int64_t hours = in_.read_long();
  const int64_t minutes = in_.read_long();
  const int64_t seconds = in_.read_long();
  r.time_s =
      checked32(checked32(checked32(checked32(hours * 60) + minutes) * int64_t{60}) + seconds);
  r.name = in_.read_text();
}

void TrainReader::lay_out_area(StationRecord& r, int32_t length, bool first_station) {
  const int32_t pos = r.position_m;
  const uint8_t kind = r.station_kind;
  if (kind == kShortEndKindLow || kind == kShortEndKindHigh) {
    r.area_end_m = checked32(int64_t{pos} + kShortEndM);
    r.area_start_m = checked32(int64_t{pos} - length);
    r.end_extension = 0;
  } else if (kind == kBothWaysKindLow || kind == kBothWaysKindHigh) {
    r.area_start_m = checked32(int64_t{pos} - length);
    r.area_end_m = checked32(int64_t{pos} + length);
    r.end_extension = 0;
  } else {
    const double extension = r.end_extension != 0 ? kEndExtensionM : 0.0;
    r.area_start_m = round_long(pos - length / 2.0);
    r.area_end_m = round_long(length / 2.0 + pos + extension);
  }
  if (length < kLongStationM) r.long_flag = 0;
  // After the area: the first station's area has already used its end
  // extension.
  if (first_station) {
    r.long_flag = 0;
    r.end_extension = 0;
  }
}

RowOutcome TrainReader::mark_station(StationRecord& r, int32_t slot, const SourceOrigin& at) {
  const double marker = cells_of(r.area_end_m) - 1;
  // The 800 m room covers the usual station; an area that reaches further
  // (kinds 7 and 8 take their whole length past the position) is refused
  // before any of its cells is touched. The approach cells lie below the
  // marker, so the marker decides.
  if (marker > kLowestStopCell && round_long(marker) > ub_) {
    return stop_reading(Problem{kObjectOutsideGrid,
                                r.position_m,
                                at,
                                "the station's area ends at " + std::to_string(r.area_end_m) +
                                    " m, past the grid's last cell; shorten it or lengthen the "
                                    "route",
                                {}});
  }
  const bool short_end = r.station_kind == kShortEndKindLow || r.station_kind == kShortEndKindHigh;
  if (!short_end) {
    for (int k = 1; k <= kStationApproachCells; ++k) {
      const double x = cells_of(r.area_end_m) - k - 1;
      if (x > kLowestStopCell) {
        st_.grid.at(round_long(x)).approach_code = static_cast<uint8_t>(kStationApproachBase + k);
      }
    }
  }
  if (marker <= kLowestStopCell) {
    return end_with(Problem{kStationTooNearStart,
                            std::nullopt,
                            at,
                            "the station's area ends at " + std::to_string(r.area_end_m) +
                                " m: its stop marker would fall into cell 0 or 1; the area "
                                "must end beyond 100 m",
                            {}});
  }
  const int32_t stop_cell = round_long(marker);
  TrackCell& stop = st_.grid.at(stop_cell);
  stop.kind = kStationStop;
  stop.value1 = static_cast<int16_t>(slot);
  took(stop_cell);
  // A stop marker takes its cell whatever stands there, the builder's
  // objects and the set-aside ones alike: no code either way.
  unplaced_.erase(stop_cell);
  return RowOutcome::kGoOn;
}

void TrainReader::set_aside_unplaced_objects() {
  for (auto h = st_.cell_holders.begin(); h != st_.cell_holders.end();) {
    if (!h->second.builder_stopped_at) {
      ++h;
      continue;
    }
    // Free to every later test, as the cell is in the builder's reading (a
    // montagna marker it may have covered counts as free as well).
    TrackCell& cell = st_.grid.at(h->first);
    unplaced_.emplace(h->first, Unplaced{cell.kind, std::move(h->second)});
    cell.kind = kEmpty;
    h = st_.cell_holders.erase(h);
  }
}

void TrainReader::report_unplaced_collision(const std::vector<int64_t>& cells, int32_t p,
                                            const SourceOrigin& at, std::string_view what,
                                            int64_t length_m) {
  if (unplaced_.empty()) return;
  // The code the writer would give, by the part of the object in the cell;
  // a slow-down's writer tests the warning, start and end cells in that
  // order, then the cells before the warning board: the lowest code wins.
  const auto code_of = [](uint8_t kind) -> int32_t {
    switch (kind) {
      case kSignal:
        return kSignalCellTaken;
      case kSlowDownWarning:
        return kWarningCellTaken;
      case kSlowDownStart:
        return kStartCellTaken;
      case kSlowDownEnd:
        return kEndCellTaken;
      case kBeforeWarning:
        return kBeforeWarningCellTaken;
      default:
        return kPointCellTaken;
    }
  };
  int32_t code = 0;
  int64_t refused_cell = -1;
  for (const int64_t c : cells) {
    if (!unplaced_.contains(c)) continue;
    const int32_t k = code_of(st_.grid.at(c).kind);
    if (code == 0 || k < code) {
      code = k;
      refused_cell = c;
    }
  }
  if (code == 0) return;
  const WriteReport refused{{}, refused_cell};
  Problem problem = writer_problem(code, &refused, p, at, what, length_m);
  const Unplaced& holder = unplaced_.at(refused_cell);
  problem.notes = holder_notes(refused_cell, holder.kind, holder.holder);
  // This text's object now holds the cells, in check's reading as in the
  // builder's.
  for (const int64_t c : cells) unplaced_.erase(c);
  record(std::move(problem));
}

void TrainReader::report_mended_table_full(const SourceOrigin& at) {
  const int32_t boards = board_limit_ - mended_board_limit_;
  Problem p{kTableFull,
            std::nullopt,
            at,
            "the station table is full once the line description's " + std::to_string(boards) +
                (boards == 1 ? " text board" : " text boards") +
                " after its earlier error take their slots: " +
                stations_that_fit(mended_board_limit_) + " then; this one is the last stored",
            {}};
  if (line_builder_stop_at_) {
    p.notes.push_back(DiagnosticNote{
        *line_builder_stop_at_,
        "the builder stops reading the line description at this row and never places the text "
        "boards after it: its station table has room for " +
            std::to_string(boards) + (boards == 1 ? " more station" : " more stations") +
            " until this error is mended"});
  }
  // Not where the builder stops: it reads on.
  record(std::move(p));
}

void TrainReader::end_stage() {
  delete_text();
  // The last values reach cell UB - 3; the top cells only get one when the
  // fill index already stands there.
  fill_speed(std::nullopt, [&](const auto& write) { complete_profile(speed_fill_, write); });
  complete_profile(adhesion_fill_,
                   [this](TrackCell& cell) { cell.adhesion_code = low8(running_adhesion_); });
  if (!progressives_told_) progressives_on_step();
}

bool TrainReader::progressives_on_step() {
  for (int k = 0; k < 3; ++k) {
    const StationRecord& r = fixed_slots(st_.stations).progressive(k);
    if (!on_cell_step(r.area_start_m) || !on_cell_step(r.area_end_m)) {
      // The progressives come from the line description; no item of this
      // text is to blame.
      record(Problem{kProgressiveOffStep,
                     std::nullopt,
                     SourceOrigin{SourceOrigin::File::kLineDescription, 0, 0, {}},
                     "a kilometric progressive's start or end (" + std::to_string(r.area_start_m) +
                         ", " + std::to_string(r.area_end_m) + ") is not a multiple of " +
                         std::to_string(kCellLengthM) + " m",
                     {}});
      return false;
    }
  }
  return true;
}

void TrainReader::tell_builders_end_stage() {
  // Check's reading goes on and may change the running speed before its
  // own end stage: the builder fills the last cells with this one.
  if (st_.grid.contains(speed_fill_)) {
    try {
      (void)speed_byte();
    } catch (const RunFailure&) {
      speed_told_ = true;
      // Where the fill fails the builder's end stage ends: no more tests.
      record(Problem{kReadFailure,
                     std::nullopt,
                     speed_at_,
                     speed_range_text() +
                         "the builder stops reading the train description at line " +
                         std::to_string(builder_stop_->at.line) +
                         ", then fills the last cells with this speed and fails there",
                     {}});
      return;
    }
  }
  progressives_told_ = true;
  progressives_on_step();
}

}  // namespace

void read_train_description(BuildState& st, FileSystem& fs, const std::string& path,
                            int32_t board_limit, CheckContext* check, const LineReadResult* line) {
  TrainReader(st, fs, path, board_limit, check, line).run();
}

}  // namespace scenario
