#include "compiler/line_description_reader.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "compiler/item_stream.h"
#include "compiler/progressive_ordina.h"
#include "model/cell_geometry.h"
#include "model/cell_writers.h"
#include "model/error_code.h"
#include "model/rounding.h"
#include "model/run_failure.h"

namespace scenario {
namespace {

// Up to this many hyphenated items in a row are passed over before a key is
// tested: separator lines of hyphens in the general section, a stray one
// among the features.
constexpr int kGeneralHyphenSkips = 10;
constexpr int kFeatureHyphenSkips = 2;

bool has(std::string_view s, std::string_view word) {
  return s.find(word) != std::string_view::npos;
}

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

// The end of a section is a bracketed header; a hyphenated item that holds
// brackets is a separator, not a header.
bool is_section_header(std::string_view key) {
  const size_t first = key.find_first_not_of(" \t");
  const bool starts_with_hyphen = first != std::string_view::npos && key[first] == '-';
  return has(key, "[") && has(key, "]") && !starts_with_hyphen;
}

class LineDescriptionReader {
 public:
  LineDescriptionReader(BuildState& st, FileSystem& fs, const std::string& path)
      : st_(st), fs_(fs), path_(path) {}

  LineReadResult read();

 private:
  /// kFinish: stop reading but complete the gradients and the plan, and go
  /// on to the train description. kStop: return at once.
  enum class Outcome { kGoOn, kFinish, kStop };

  bool read_preamble();
  Outcome read_general_key(const std::string& key);
  Outcome read_feature_key(const std::string& key);
  Outcome read_gradient();
  Outcome read_curve(const std::string& key);
  Outcome read_montagna();
  Outcome read_speed_boards();
  Outcome read_text_board();
  void finish();

  /// A feature's position is accepted only with room for its object before
  /// the grid's end.
  bool on_grid(int32_t p) const { return has_room(st_.grid.grid_last_index(), p, kObjectRoomM); }
  SourceOrigin here() const {
    return {SourceOrigin::File::kLineDescription, in_->last_line(), in_->last_column(),
            in_->last_item()};
  }
  void record(int32_t code, const SourceOrigin& origin) {
    st_.error_code = code;
    st_.error_origin = origin;
  }
  void record_at(int32_t code, int32_t position_m, const SourceOrigin& origin) {
    record(code, origin);
    st_.error_position_m = position_m;
  }
  /// The whole text was read at open, so closing is implicit.
  void close_and_delete() { fs_.remove_file(path_); }
  /// Writes the running gradient into the cell at the fill index and moves
  /// the index on.
  void fill_gradient_cell();

  BuildState& st_;
  FileSystem& fs_;
  const std::string& path_;
  ItemStream* in_ = nullptr;
  int32_t board_limit_ = kFirstBoardSlot;
  int32_t fill_index_ = 0;
  int32_t previous_gradient_ = 0;
  /// A grid left from an earlier run must not stand in for this line's.
  bool route_length_read_ = false;
  /// Where the key item under test stands.
  SourceOrigin key_origin_;
};

LineReadResult LineDescriptionReader::read() {
  if (!fs_.is_regular_file(path_)) {
    record(kFileNotFound, {SourceOrigin::File::kLineDescription, 0, 0, {}});
    return {};
  }
  ItemStream in(fs_.read_file(path_));
  in_ = &in;

  if (!read_preamble()) return {};

  for (;;) {
    if (in.at_end()) break;
    std::string key = in.read_text();
    st_.current_item = key;
    // A key that is the file's last item has no values to read.
    if (in.at_end()) break;
    for (int i = 0; i < kGeneralHyphenSkips && has(key, "-"); ++i) {
      key = in.read_text();
      st_.current_item = key;
    }
    key_origin_ = here();
    if (read_general_key(key) == Outcome::kStop) return {};
    if (is_section_header(key)) break;
  }

  // Everything after this point sizes itself from the grid.
  if (!route_length_read_) throw RunFailure("the line description gives no route length");

  progressive_ordina(st_.stations);

  st_.montagna_count = 0;
  board_limit_ = kFirstBoardSlot;
  fill_index_ = 0;
  if (st_.write_plan != 0) st_.line_plan.seed();

  for (;;) {
    if (in.at_end()) break;
    std::string key = in.read_text();
    if (in.at_end()) break;
    bool last = false;
    for (int i = 0; i < kFeatureHyphenSkips && has(key, "-"); ++i) {
      key = in.read_text();
      if (in.at_end()) {
        last = true;
        break;
      }
    }
    if (last) break;
    st_.current_item = key;
    key_origin_ = here();
    const Outcome o = read_feature_key(key);
    if (o == Outcome::kStop) return {false, board_limit_};
    if (o == Outcome::kFinish) break;
  }

  finish();
  return {true, board_limit_};
}

bool LineDescriptionReader::read_preamble() {
  // An empty text holds no "[generale]" either.
  if (in_->at_end()) {
    close_and_delete();
    record(kNoGeneralSection, here());
    return false;
  }
  for (;;) {
    st_.current_item = in_->read_text();
    if (in_->at_end()) {
      close_and_delete();
      record(kNoGeneralSection, here());
      return false;
    }
    if (has(lower(st_.current_item), "[generale]")) return true;
  }
}

LineDescriptionReader::Outcome LineDescriptionReader::read_general_key(const std::string& key) {
  ItemStream& in = *in_;
  StationTable& t = st_.stations;

  const std::string key_lower = lower(key);
  if (has(key_lower, "percorso") && has(key_lower, "lunghezza")) {
    const int32_t length_m = in.read_long();
    t[kTrainValuesSlot].area_end_m = length_m;
    if (length_m < 0 || length_m > CellGrid::kMaxRouteLengthM) {
      close_and_delete();
      record(kRouteLengthRefused, here());
      return Outcome::kStop;
    }
    st_.grid.create(length_m);
    route_length_read_ = true;
    if (st_.write_plan != 0) st_.line_plan.create(st_.grid.grid_length_m());
  }

  struct Progressive {
    const char* word;
    int slot;
  };
  for (const Progressive& p :
       {Progressive{"tre", kProgressiveTreSlot}, Progressive{"due", kProgressiveDueSlot},
        Progressive{"uno", kProgressiveUnoSlot}}) {
    if (has(key, p.word) && has(key, "progressiva")) {
      StationRecord& r = t[static_cast<size_t>(p.slot)];
      r.area_start_m = in.read_long();
      r.area_end_m = in.read_long();
      r.position_m = in.read_long();
    }
  }

  // The background values lie in the record as first, third, second.
  StationRecord& scenario = t[kScenarioSlot];
  if (has(key, "sfondo") && has(key, "uno")) scenario.area_start_m = in.read_long();
  if (has(key, "sfondo") && has(key, "due")) scenario.position_m = in.read_long();
  if (has(key, "sfondo") && has(key, "tre")) scenario.area_end_m = in.read_long();

  if (has(key, "segnali") && has(key, "ripetizione")) {
    StationRecord& r = t[kTrainSlot];
    r.area_start_m = in.read_long();
    const SourceOrigin first = here();
    r.area_end_m = in.read_long();
    if (!on_cell_step(r.area_start_m)) {
      close_and_delete();
      record(kRepetitionFirstNotOnGrid, first);
      return Outcome::kStop;
    }
    if (!on_cell_step(r.area_end_m)) {
      close_and_delete();
      record(kRepetitionSecondNotOnGrid, here());
      return Outcome::kStop;
    }
    if (has(key, "4")) {
      r.position_m = 4;
    } else if (has(key, "9")) {
      r.position_m = 9;
    } else {
      close_and_delete();
      record(kRepetitionWithoutCodeCount, key_origin_);
      return Outcome::kStop;
    }
    // A second position of 0 means there is no repetition at all.
    if (r.area_end_m == 0) r.position_m = 0;
  }
  return Outcome::kGoOn;
}

LineDescriptionReader::Outcome LineDescriptionReader::read_feature_key(const std::string& key) {
  // Every test that matches reads its own values, in this order, so one item
  // holding two key words reads the values of both.
  const std::string k = lower(key);
  const Outcome none = Outcome::kGoOn;
  Outcome o = none;
  if (has(k, "pendenza") && (o = read_gradient()) != none) return o;
  if (has(k, "curva") && st_.write_plan != 0 && (o = read_curve(key)) != none) return o;
  if (has(k, "montagna") && (o = read_montagna()) != none) return o;
  if (has(k, "indicatori_v") && (o = read_speed_boards()) != none) return o;
  if (has(k, "indicat") && has(k, "cartello") && (o = read_text_board()) != none) return o;
  return none;
}

void LineDescriptionReader::fill_gradient_cell() {
  // Several gradient lines inside one cell each move the index on by one, so
  // it may run past the grid's end: such cells do not exist to be written.
  if (st_.grid.contains(fill_index_)) {
    st_.grid.at(fill_index_).gradient_code = low8(int64_t{previous_gradient_} + 100);
  }
  ++fill_index_;
}

LineDescriptionReader::Outcome LineDescriptionReader::read_gradient() {
  const int32_t p = in_->read_long();
  const SourceOrigin at = here();
  const int32_t g = in_->read_long();
  if (!on_grid(p)) {
    record_at(kObjectOutsideGrid, p, at);
    return Outcome::kFinish;
  }
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
  return Outcome::kGoOn;
}

LineDescriptionReader::Outcome LineDescriptionReader::read_curve(const std::string& key) {
  const int32_t s = in_->read_long();
  const SourceOrigin at = here();
  const int32_t length_m = in_->read_long();
  if (!on_grid(s)) {
    record_at(kObjectOutsideGrid, s, at);
    return Outcome::kFinish;
  }
  int curve_class = 0;
  for (char digit = '1'; digit <= '6' && curve_class == 0; ++digit) {
    if (has(key, std::string(1, digit))) curve_class = digit - '0';
  }
  if (curve_class == 0) {
    close_and_delete();
    record(kBadCurve, key_origin_);
    return Outcome::kStop;
  }
  const bool left_hand = has(lower(key), "s");
  if (!st_.line_plan.extend(s, length_m, LinePlan::curvature(curve_class, left_hand))) {
    close_and_delete();
    record(kBadCurve, at);
    return Outcome::kStop;
  }
  return Outcome::kGoOn;
}

LineDescriptionReader::Outcome LineDescriptionReader::read_montagna() {
  int32_t inizio = in_->read_long();
  const SourceOrigin at = here();
  int32_t fine = in_->read_long();
  int32_t tipo = in_->read_long();
  if (!on_grid(inizio)) {
    record_at(kObjectOutsideGrid, inizio, at);
    return Outcome::kFinish;
  }
  const int32_t position_m = inizio;  // the writer may not change it, but reports it
  if (const int32_t code = memo_montagna(st_, inizio, fine, tipo)) {
    close_and_delete();
    record_at(code, position_m, at);
    return Outcome::kStop;
  }
  return Outcome::kGoOn;
}

LineDescriptionReader::Outcome LineDescriptionReader::read_speed_boards() {
  const int32_t posizione = in_->read_long();
  const SourceOrigin at = here();
  int32_t v[8];
  for (int32_t& value : v) value = in_->read_long();
  if (!on_grid(posizione)) {
    record_at(kObjectOutsideGrid, posizione, at);
    return Outcome::kFinish;
  }
  if (const int32_t code =
          memo_indicatori_v_max(st_, posizione, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7])) {
    close_and_delete();
    record_at(code, posizione, at);
    return Outcome::kStop;
  }
  return Outcome::kGoOn;
}

LineDescriptionReader::Outcome LineDescriptionReader::read_text_board() {
  const int32_t p = in_->read_long();
  const SourceOrigin at = here();
  st_.current_item = in_->read_text();
  const int32_t c = point_cell(p);
  // A negative position passes the room test but has no cell.
  if (!on_grid(p) || !st_.grid.contains(c)) {
    record_at(kObjectOutsideGrid, p, at);
    return Outcome::kFinish;
  }
  if (!st_.grid.is_free(c)) {
    close_and_delete();
    record_at(kTextBoardCellTaken, p, at);
    return Outcome::kStop;
  }
  // Slot 0 is never used, so 80 boards fill the table: a further one would
  // take a slot outside it.
  if (board_limit_ < 1) {
    close_and_delete();
    record_at(kTableFull, p, at);
    return Outcome::kStop;
  }
  TrackCell& cell = st_.grid.at(c);
  cell.kind = kTextBoard;
  cell.value1 = low16(board_limit_);
  st_.stations[static_cast<size_t>(board_limit_)].name = st_.current_item;
  --board_limit_;
  return Outcome::kGoOn;
}

void LineDescriptionReader::finish() {
  close_and_delete();
  // The last gradient runs on to three cells before the grid's end; the last
  // cells keep gradient code 0.
  const int32_t stop = st_.grid.grid_last_index() - 2;
  do {
    fill_gradient_cell();
  } while (fill_index_ < stop);
  if (st_.write_plan != 0) st_.line_plan.complete();
}

}  // namespace

LineReadResult read_line_description(BuildState& st, FileSystem& fs, const std::string& path) {
  return LineDescriptionReader(st, fs, path).read();
}

}  // namespace scenario
