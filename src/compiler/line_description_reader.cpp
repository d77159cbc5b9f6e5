#include "compiler/line_description_reader.h"

#include <string>
#include <string_view>

#include "compiler/progressive_ordina.h"
#include "compiler/reader_support.h"
#include "model/cell_geometry.h"
#include "model/cell_writers.h"
#include "model/error_code.h"
#include "model/rounding.h"
#include "model/run_failure.h"

namespace scenario {
namespace {

// The end of a section is a bracketed header; a hyphenated item that holds
// brackets is a separator, not a header.
bool is_section_header(std::string_view key) {
  const size_t first = key.find_first_not_of(" \t");
  const bool starts_with_hyphen = first != std::string_view::npos && key[first] == '-';
  return contains(key, "[") && contains(key, "]") && !starts_with_hyphen;
}

/// Slot of the three kilometric progressives, in the order of their rows.
constexpr int kProgressiveTre = 0;
constexpr int kProgressiveDue = 1;
constexpr int kProgressiveUno = 2;

/// A cell's gradient code is the gradient (per mille) plus this.
constexpr int64_t kGradientCodeOffset = 100;

/// The signal repetition key names how many codes the repetition carries.
constexpr int32_t kFourCodes = 4;
constexpr int32_t kNineCodes = 9;

class LineDescriptionReader : public DescriptionReader {
 public:
  LineDescriptionReader(BuildState& st, FileSystem& fs, const std::string& path,
                        CheckContext* check)
      : DescriptionReader(st, fs, path, SourceOrigin::File::kLineDescription, check) {}

  LineReadResult read();

  // One handler per row kind, bound in the tables below.
  RowOutcome route_length();
  RowOutcome progressive_tre() { return progressive(kProgressiveTre); }
  RowOutcome progressive_due() { return progressive(kProgressiveDue); }
  RowOutcome progressive_uno() { return progressive(kProgressiveUno); }
  // The background values lie in the record as first, third, second.
  RowOutcome background_uno() { return read_into(fixed_slots(st_.stations).background_1()); }
  RowOutcome background_due() { return read_into(fixed_slots(st_.stations).background_2()); }
  RowOutcome background_tre() { return read_into(fixed_slots(st_.stations).background_3()); }
  RowOutcome signal_repetition();
  RowOutcome gradient();
  RowOutcome curve();
  RowOutcome montagna();
  RowOutcome speed_boards();
  RowOutcome text_board();

 private:
  bool read_preamble();
  /// False when the general section ended the text.
  bool read_general_section();
  void prepare_features();
  /// False when the feature part ended the text.
  bool read_features();
  void finish();

  RowOutcome progressive(int k);
  RowOutcome read_into(int32_t& field) {
    field = in_.read_long();
    return RowOutcome::kGoOn;
  }

  /// A feature's position is accepted only with room for its object before
  /// the grid's end.
  bool on_grid(int32_t p) const { return has_room(st_.grid.grid_last_index(), p, kObjectRoomM); }
  /// Code 15 for a feature whose position fails the room test: the rest of
  /// the text is not read, but the gradients and the plan are completed.
  RowOutcome beyond_grid(int32_t p, const SourceOrigin& at, std::string_view what);
  /// Check mode only: a grid for the longest route, so that the rest of the
  /// text can still be checked where the route length gives none.
  void assume_longest_route();
  /// Writes the running gradient into the cell at the fill index and moves
  /// the index on.
  void fill_gradient_cell();

  std::string key_;
  int32_t board_limit_ = kFirstBoardSlot;
  /// Check mode: boards placed after the builder's stop. They count against
  /// the table as check reads on, but the builder's train reader never
  /// sees them: its stations may take their slots.
  int32_t unplaced_boards_ = 0;
  int32_t fill_index_ = 0;
  int32_t previous_gradient_ = 0;
  /// A grid left from an earlier run must not stand in for this line's.
  bool route_length_read_ = false;
  SourceOrigin general_at_;
};

constexpr RowBinding<LineDescriptionReader> kGeneralRows[] = {
    {RowId::kRouteLength, &LineDescriptionReader::route_length},
    {RowId::kProgressiveTre, &LineDescriptionReader::progressive_tre},
    {RowId::kProgressiveDue, &LineDescriptionReader::progressive_due},
    {RowId::kProgressiveUno, &LineDescriptionReader::progressive_uno},
    {RowId::kBackgroundUno, &LineDescriptionReader::background_uno},
    {RowId::kBackgroundDue, &LineDescriptionReader::background_due},
    {RowId::kBackgroundTre, &LineDescriptionReader::background_tre},
    {RowId::kSignalRepetition, &LineDescriptionReader::signal_repetition},
};
static_assert(binds_zone_in_order(kGeneralRows, Zone::kLineGeneral));

constexpr RowBinding<LineDescriptionReader> kFeatureRows[] = {
    {RowId::kGradient, &LineDescriptionReader::gradient},
    {RowId::kCurve, &LineDescriptionReader::curve},
    {RowId::kMontagna, &LineDescriptionReader::montagna},
    {RowId::kSpeedBoards, &LineDescriptionReader::speed_boards},
    {RowId::kTextBoard, &LineDescriptionReader::text_board},
};
static_assert(binds_zone_in_order(kFeatureRows, Zone::kLineFeature));

LineReadResult LineDescriptionReader::read() {
  if (!fs_.is_regular_file(path_)) {
    record(Problem{kFileNotFound,
                   std::nullopt,
                   SourceOrigin{file_, 0, 0, {}},
                   "the line description is missing",
                   {}},
           RowOutcome::kEnd);
    return {};
  }
  in_ = ItemStream(fs_.read_file(path_));

  if (!read_preamble()) return {};
  if (!read_general_section()) return {};
  if (!route_length_read_) {
    // Everything after this point sizes itself from the grid.
    if (check_ == nullptr) throw RunFailure("the line description gives no route length");
    record(Problem{kReadFailure,
                   std::nullopt,
                   general_at_,
                   "the general section has no route length row (\"lunghezza percorso, ...\"): "
                   "nothing can be placed without it; the rest is checked on a grid for the "
                   "longest route, " +
                       std::to_string(CellGrid::kMaxRouteLengthM) + " m",
                   {},
                   "no-route-length"},
           RowOutcome::kEnd);
    assume_longest_route();
  }
  prepare_features();
  const bool ended = !read_features();
  LineReadResult result;
  result.board_limit = board_limit_ + unplaced_boards_;
  result.unplaced_boards = unplaced_boards_;
  if (ended && check_ == nullptr) return result;
  finish();
  result.read_train = true;
  if (builder_stop_ && builder_stop_->at.line > 0) result.builder_stop_at = builder_stop_->at;
  if (builder_stop_ && builder_stop_->how == RowOutcome::kStopReading) {
    result.stopped_at = builder_stop_->at;
  }
  result.train_skipped = builder_stop_ && builder_stop_->how == RowOutcome::kEnd;
  return result;
}

bool LineDescriptionReader::read_preamble() {
  for (;;) {
    // An empty text holds no "[generale]" either.
    const bool at_end = in_.at_end();
    if (!at_end) st_.current_item = in_.read_text();
    if (at_end || in_.at_end()) {
      delete_text();
      record(Problem{kNoGeneralSection,
                     std::nullopt,
                     at_end ? SourceOrigin{file_, 0, 0, {}} : here(),
                     "the line description has no \"[generale]\" item before its last; start "
                     "the general section with it",
                     {}},
             RowOutcome::kEnd);
      return false;
    }
    if (contains_ignoring_case(st_.current_item, "[generale]")) {
      general_at_ = here();
      return true;
    }
  }
}

bool LineDescriptionReader::read_general_section() {
  for (;;) {
    if (in_.at_end()) return true;
    key_ = in_.read_text();
    st_.current_item = key_;
    // A key that is the file's last item has no values to read.
    if (in_.at_end()) return true;
    // No end test between these: a text that ends among them fails the read.
    for (int i = 0; i < hyphen_skips(Zone::kLineGeneral) && contains(key_, "-"); ++i) {
      key_ = in_.read_text();
      st_.current_item = key_;
    }
    key_origin_ = here();
    if (dispatch(*this, Zone::kLineGeneral, kGeneralRows, key_) == RowOutcome::kEnd) return false;
    if (is_section_header(key_)) return true;
  }
}

void LineDescriptionReader::prepare_features() {
  progressive_ordina(st_.stations);
  st_.montagna_count = 0;
  board_limit_ = kFirstBoardSlot;
  fill_index_ = 0;
  if (st_.write_plan != 0) st_.line_plan.seed();
}

bool LineDescriptionReader::read_features() {
  for (;;) {
    if (in_.at_end()) return true;
    key_ = in_.read_text();
    if (in_.at_end()) return true;
    for (int i = 0; i < hyphen_skips(Zone::kLineFeature) && contains(key_, "-"); ++i) {
      key_ = in_.read_text();
      if (in_.at_end()) return true;
    }
    st_.current_item = key_;
    key_origin_ = here();
    const RowOutcome o = dispatch(*this, Zone::kLineFeature, kFeatureRows, key_);
    if (o == RowOutcome::kEnd) return false;
    if (o == RowOutcome::kStopReading) return true;
  }
}

RowOutcome LineDescriptionReader::route_length() {
  const int32_t length_m = in_.read_long();
  fixed_slots(st_.stations).route_length_m() = length_m;
  if (length_m < 0 || length_m > CellGrid::kMaxRouteLengthM) {
    Problem p{kRouteLengthRefused,
              std::nullopt,
              here(),
              "the route length " + std::to_string(length_m) + " m is outside 0 .. " +
                  std::to_string(CellGrid::kMaxRouteLengthM) + " m; give a length in that range",
              {}};
    if (check_ != nullptr && !st_.grid.exists()) {
      p.notes.push_back(
          DiagnosticNote{p.at, "the rest is checked on a grid for the longest route, " +
                                   std::to_string(CellGrid::kMaxRouteLengthM) + " m"});
    }
    const RowOutcome o = end_with(std::move(p));
    if (check_ != nullptr && !st_.grid.exists()) assume_longest_route();
    return o;
  }
  st_.grid.create(length_m);
  route_length_read_ = true;
  if (st_.write_plan != 0) st_.line_plan.create(st_.grid.grid_length_m());
  return RowOutcome::kGoOn;
}

void LineDescriptionReader::assume_longest_route() {
  st_.grid.create(CellGrid::kMaxRouteLengthM);
  route_length_read_ = true;
  if (st_.write_plan != 0) st_.line_plan.create(st_.grid.grid_length_m());
}

RowOutcome LineDescriptionReader::progressive(int k) {
  StationRecord& r = fixed_slots(st_.stations).progressive(k);
  r.area_start_m = in_.read_long();
  r.area_end_m = in_.read_long();
  r.position_m = in_.read_long();
  return RowOutcome::kGoOn;
}

RowOutcome LineDescriptionReader::signal_repetition() {
  const auto slots = fixed_slots(st_.stations);
  slots.repetition_start_m() = in_.read_long();
  const SourceOrigin first = here();
  slots.repetition_end_m() = in_.read_long();
  const auto off_step = [](int32_t code, int32_t value, const SourceOrigin& at, const char* which) {
    const int32_t below = value - value % kCellLengthM;
    return Problem{code,
                   std::nullopt,
                   at,
                   std::string("the signal repetition's ") + which + " position " +
                       std::to_string(value) + " m is not a multiple of " +
                       std::to_string(kCellLengthM) + " m; use " + std::to_string(below) + " or " +
                       std::to_string(value < 0 ? below - kCellLengthM : below + kCellLengthM),
                   {}};
  };
  if (!on_cell_step(slots.repetition_start_m())) {
    return end_with(
        off_step(kRepetitionFirstNotOnGrid, slots.repetition_start_m(), first, "first"));
  }
  if (!on_cell_step(slots.repetition_end_m())) {
    return end_with(
        off_step(kRepetitionSecondNotOnGrid, slots.repetition_end_m(), here(), "second"));
  }
  if (contains(key_, "4")) {
    slots.repetition_codes() = kFourCodes;
  } else if (contains(key_, "9")) {
    slots.repetition_codes() = kNineCodes;
  } else {
    return end_with(Problem{kRepetitionWithoutCodeCount,
                            std::nullopt,
                            key_origin_,
                            "the signal repetition key names neither 4 nor 9 codes; write "
                            "\"ripetizione segnali 4 codici\" or \"ripetizione segnali 9 codici\"",
                            {}});
  }
  // A second position of 0 means there is no repetition at all.
  if (slots.repetition_end_m() == 0) slots.repetition_codes() = 0;
  return RowOutcome::kGoOn;
}

RowOutcome LineDescriptionReader::beyond_grid(int32_t p, const SourceOrigin& at,
                                              std::string_view what) {
  const int64_t room_end = cell_start_m(st_.grid.grid_last_index()) - kObjectRoomM;
  if (p < 0) {
    return stop_reading(Problem{kObjectOutsideGrid,
                                p,
                                at,
                                std::string(what) + " at " + std::to_string(p) +
                                    " m lies before the route's start; positions start at 0 m",
                                {}});
  }
  return stop_reading(
      Problem{kObjectOutsideGrid,
              p,
              at,
              std::string(what) + " at " + std::to_string(p) +
                  " m lies beyond the grid: a line object needs " + std::to_string(kObjectRoomM) +
                  " m of grid after it, so the last position is " + std::to_string(room_end) +
                  " m (the route length plus " + std::to_string(kGridMarginM) +
                  " m); move it or lengthen the route",
              {}});
}

void LineDescriptionReader::fill_gradient_cell() {
  // Several gradient lines inside one cell each move the index on by one, so
  // it may run past the grid's end: such cells do not exist to be written.
  if (st_.grid.contains(fill_index_)) {
    st_.grid.at(fill_index_).gradient_code =
        low8(int64_t{previous_gradient_} + kGradientCodeOffset);
  }
  ++fill_index_;
}

RowOutcome LineDescriptionReader::gradient() {
  const int32_t p = in_.read_long();
  const SourceOrigin at = here();
  const int32_t g = in_.read_long();
  if (!on_grid(p)) return beyond_grid(p, at, "the gradient");
  // The cells up to the new gradient's start keep the previous one. At least
  // one cell is written even when the index already stands at or past n, so
  // a second line within the same cell pushes the new gradient one cell on.
  const int32_t n = cell_below(p);
  if (n > 0) {
    do {
      fill_gradient_cell();
    } while (fill_index_ < n);
  }
  previous_gradient_ = g;
  return RowOutcome::kGoOn;
}

RowOutcome LineDescriptionReader::curve() {
  // Without a plan to build, curve rows are not interpreted at all.
  if (st_.write_plan == 0) return RowOutcome::kGoOn;
  const int32_t s = in_.read_long();
  const SourceOrigin at = here();
  const int32_t length_m = in_.read_long();
  if (!on_grid(s)) return beyond_grid(s, at, "the curve");
  int curve_class = 0;
  for (char digit = '1'; digit <= '6' && curve_class == 0; ++digit) {
    if (contains(key_, std::string(1, digit))) curve_class = digit - '0';
  }
  if (curve_class == 0) {
    return end_with(Problem{kBadCurve,
                            std::nullopt,
                            key_origin_,
                            "the curve key \"" + key_ +
                                "\" has no class digit 1 to 6; write e.g. \"curvas4\" (s: left, "
                                "d: right, then the class)",
                            {}});
  }
  const bool left_hand = contains_ignoring_case(key_, "s");
  if (!st_.line_plan.extend(s, length_m, LinePlan::curvature(curve_class, left_hand))) {
    return end_with(Problem{kBadCurve,
                            std::nullopt,
                            at,
                            "the line plan passes its last metre in this curve; shorten the "
                            "curves or the straights before it",
                            {}});
  }
  return RowOutcome::kGoOn;
}

RowOutcome LineDescriptionReader::montagna() {
  int32_t inizio = in_.read_long();
  const SourceOrigin at = here();
  int32_t fine = in_.read_long();
  int32_t tipo = in_.read_long();
  if (!on_grid(inizio)) return beyond_grid(inizio, at, "the montagna range");
  const int32_t position_m = inizio;  // the writer may not change it, but reports it
  const int32_t code = memo_montagna(st_, inizio, fine, tipo);
  if (code == 0) {
    row_cell_ = cell_below(position_m);
    return RowOutcome::kGoOn;
  }
  std::string message = code == kTooManyMontagna
                            ? "more than " + std::to_string(BuildState::kMaxMontagna) +
                                  " montagna ranges; join neighbouring ranges"
                            : "the montagna range from " + std::to_string(position_m) + " m to " +
                                  std::to_string(fine) +
                                  " m leaves the grid; end it before the grid's end";
  return end_with(Problem{code, position_m, at, std::move(message), {}});
}

RowOutcome LineDescriptionReader::speed_boards() {
  const int32_t posizione = in_.read_long();
  const SourceOrigin at = here();
  int32_t v[8];
  for (int32_t& value : v) value = in_.read_long();
  if (!on_grid(posizione)) return beyond_grid(posizione, at, "the speed indicator boards");
  WriteReport* report = write_report();
  const int32_t code =
      memo_indicatori_v_max(st_, posizione, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], report);
  if (code == 0) {
    if (report != nullptr) took_all(*report);
    return RowOutcome::kGoOn;
  }
  Problem p{code, posizione, at, {}, {}};
  const int64_t cell = point_cell(posizione);
  if (code == kSpeedBoardCellTaken) {
    p.message = "the speed boards' " + cell_text(cell, posizione) +
                " is already taken; move them to a free cell";
    p.notes = holder_note(cell);
  } else {
    p.message = "the speed boards at " + std::to_string(posizione) + " m have no cell in the grid";
  }
  return end_with(std::move(p));
}

RowOutcome LineDescriptionReader::text_board() {
  const int32_t p = in_.read_long();
  const SourceOrigin at = here();
  st_.current_item = in_.read_text();
  const int32_t c = point_cell(p);
  // A negative position passes the room test but has no cell.
  if (!on_grid(p) || !st_.grid.contains(c)) return beyond_grid(p, at, "the text board");
  if (!st_.grid.is_free(c)) {
    return end_with(
        Problem{kTextBoardCellTaken, p, at,
                "the text board's " + cell_text(c, p) + " is already taken; move it to a free cell",
                holder_note(c)});
  }
  // Slot 0 is never used, so 80 boards fill the table: a further one would
  // take a slot outside it.
  if (board_limit_ < 1) {
    return end_with(Problem{kTableFull,
                            p,
                            at,
                            "more than " + std::to_string(kFirstBoardSlot) +
                                " text boards: the station table has no slot left for this one",
                            {}});
  }
  TrackCell& cell = st_.grid.at(c);
  cell.kind = kTextBoard;
  cell.value1 = low16(board_limit_);
  took(c);
  st_.stations[static_cast<size_t>(board_limit_)].name = st_.current_item;
  --board_limit_;
  if (builder_stop_) ++unplaced_boards_;
  return RowOutcome::kGoOn;
}

void LineDescriptionReader::finish() {
  delete_text();
  // The last gradient runs on to three cells before the grid's end; the last
  // cells keep gradient code 0.
  const int32_t stop = st_.grid.grid_last_index() - 2;
  do {
    fill_gradient_cell();
  } while (fill_index_ < stop);
  if (st_.write_plan != 0) st_.line_plan.complete();
}

}  // namespace

LineReadResult read_line_description(BuildState& st, FileSystem& fs, const std::string& path,
                                     CheckContext* check) {
  return LineDescriptionReader(st, fs, path, check).read();
}

}  // namespace scenario
