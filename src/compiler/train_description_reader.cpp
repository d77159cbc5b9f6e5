#include "compiler/train_description_reader.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "compiler/item_stream.h"
#include "model/cell_geometry.h"
#include "model/cell_writers.h"
#include "model/error_code.h"
#include "model/rounding.h"
#include "model/run_failure.h"

namespace scenario {
namespace {

/// What a key action leaves the main loop to do next.
enum class Next {
  kGoOn,         // test the remaining keys, then read the next key item
  kStopReading,  // leave the loop for the end stage (code 15)
  kEnd,          // the text is already deleted: return without the end stage
};

// Positions, lengths and times are 32-bit values; a sum or product that does
// not fit is a failed read, not a silently wrapped position.
int32_t checked32(int64_t v) {
  if (v < INT32_MIN || v > INT32_MAX) {
    throw RunFailure("value out of the 32-bit range: " + std::to_string(v));
  }
  return static_cast<int32_t>(v);
}

std::string lower_ascii(std::string_view s) {
  std::string out(s);
  for (char& ch : out) {
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  }
  return out;
}

bool has(std::string_view haystack, std::string_view needle) {
  return haystack.find(needle) != std::string_view::npos;
}

class TrainReader {
 public:
  TrainReader(BuildState& st, FileSystem& fs, const std::string& path, int32_t board_limit)
      : st_(st),
        fs_(fs),
        path_(path),
        in_(fs.read_file(path)),
        ub_(st.grid.grid_last_index()),
        // Boards hold slots 80 downward; a limit above that would let
        // stations run into the reserved slots.
        board_limit_(std::min(board_limit, static_cast<int32_t>(kFirstBoardSlot))) {}

  void run() {
    // The line description creates the grid; without one there is nowhere
    // to put anything.
    if (!st_.grid.exists()) throw RunFailure("no cell grid for the train description");
    // Nothing counts before the "[generale]" item; a text without one simply
    // yields nothing (an empty text included).
    while (!in_.at_end()) {
      st_.current_item = in_.read_text();
      if (has(lower_ascii(st_.current_item), "[generale]")) break;
    }
    if (read_keys() == Next::kEnd) return;
    end_stage();
  }

 private:
  // The last item of the text is never interpreted as a key: a key with no
  // values after it would only fail the read.
  Next read_keys() {
    for (;;) {
      if (in_.at_end()) return Next::kStopReading;
      st_.current_item = in_.read_text();
      if (in_.at_end()) return Next::kStopReading;
      // Separator items are skipped, two at most; a third is taken as a key.
      for (int skipped = 0; skipped < 2 && has(st_.current_item, "-"); ++skipped) {
        st_.current_item = in_.read_text();
        if (in_.at_end()) return Next::kStopReading;
      }
      const Next next = test_keys(lower_ascii(st_.current_item));
      if (next != Next::kGoOn) return next;
    }
  }

  // The tests are independent: an item holding two key words reads the
  // values of both, in this order.
  Next test_keys(const std::string& key) {
    StationRecord& train = st_.stations[kTrainValuesSlot];
    StationRecord& clock = st_.stations[kTrainSlot];
    if (has(key, "frenata") && has(key, "massa")) train.area_start_m = in_.read_long();
    if (has(key, "vetture")) train.position_m = in_.read_long();
    Next next = Next::kGoOn;
    if (has(key, "velocit") && (next = velocita()) != Next::kGoOn) return next;
    if (has(key, "aderenza") && (next = aderenza()) != Next::kGoOn) return next;
    if (has(key, "orologio")) {
      clock.group_b1 = in_.read_integer();
      clock.group_b2 = in_.read_integer();
      clock.group_b3 = in_.read_integer();
    }
    if (has(key, "sabbia")) clock.group_a1 = in_.read_integer();
    if (has(key, "segnale") && (next = segnale()) != Next::kGoOn) return next;
    if (has(key, "rallentamento") && (next = rallentamento()) != Next::kGoOn) return next;
    if (has(key, "abbattimento") && (next = abbattimento()) != Next::kGoOn) return next;
    if (has(key, "stazione") && (next = stazione()) != Next::kGoOn) return next;
    return Next::kGoOn;
  }

  Next velocita() {
    const int32_t p = in_.read_long();
    const SourceOrigin at = here();
    const int32_t s = in_.read_long();
    if (beyond_grid(p, kObjectRoomM)) return stop_beyond_grid(p, at);
    const int32_t c = cell_below(p);
    if (c > 0) {
      fill_profile(speed_fill_, c, [this](TrackCell& cell) { cell.speed_code = speed_byte(); });
    }
    running_speed_ = s;
    return Next::kGoOn;
  }

  Next aderenza() {
    const int32_t p = in_.read_long();
    const SourceOrigin at = here();
    const int32_t a = in_.read_long();
    if (beyond_grid(p, kObjectRoomM)) return stop_beyond_grid(p, at);
    const int32_t c = cell_below(p);
    if (c > 0) {
      fill_profile(adhesion_fill_, c,
                   [this](TrackCell& cell) { cell.adhesion_code = low8(running_adhesion_); });
    }
    running_adhesion_ = a;
    return Next::kGoOn;
  }

  Next segnale() {
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
    if (beyond_grid(p, kObjectRoomM)) return stop_beyond_grid(p, at);
    return after_writer(memo_segnale(st_, p, sx, s1, s2, s3, rapp, dx, d1, d2, d3, tempo), p, at);
  }

  Next rallentamento() {
    const int32_t x = in_.read_long();
    const SourceOrigin at = here();
    int32_t v = in_.read_long();
    int32_t l = in_.read_long();
    int32_t f_tt = in_.read_long();
    const int32_t f_ta = in_.read_long();
    int32_t d_v = in_.read_long();
    if (beyond_grid(x, kObjectRoomM)) return stop_beyond_grid(x, at);
    return after_writer(memo_rallentamento(st_, x, v, l, f_tt, f_ta, d_v), x, at);
  }

  // A code left standing by the line description (15) ends the read here
  // too, at the first signal or slow-down, with that line's position.
  Next after_writer(int32_t code, int32_t p, const SourceOrigin& at) {
    if (code != 0) st_.error_code = code;
    if (st_.error_code <= 0) return Next::kGoOn;
    fs_.remove_file(path_);
    st_.error_position_m = p;
    st_.error_origin = at;
    return Next::kEnd;
  }

  Next abbattimento() {
    const int32_t p = in_.read_long();
    const SourceOrigin at = here();
    const int32_t v = in_.read_long();
    if (beyond_grid(p, kObjectRoomM)) return stop_beyond_grid(p, at);
    // Unlike signals the point takes the cell below, without + 1, so a
    // position below -25 m would address a cell before the grid.
    const int32_t c = cell_below(p);
    if (c < 0) return stop_beyond_grid(p, at);
    if (!st_.grid.is_free(c)) return end_with(kPointCellTaken, p, at);
    TrackCell& cell = st_.grid.at(c);
    if (v > 0) {
      cell.kind = kPointWithSpeed;
      cell.value1 = low16(v);
    } else {
      cell.kind = kPointWithoutSpeed;
    }
    return Next::kGoOn;
  }

  Next stazione() {
    const int32_t i = station_;
    StationRecord& r = st_.stations[static_cast<size_t>(i)];
    // The position stays in the slot whatever happens next.
    r.position_m = in_.read_long();
    const int32_t pos = r.position_m;
    const SourceOrigin at = here();
    if (beyond_grid(pos, kStationRoomM)) return stop_beyond_grid(pos, at);
    if (!on_cell_step(pos)) return end_with(kStationOffStep, pos, at);

    r.station_kind = in_.read_byte();
    const int32_t length = in_.read_long();
    if (length % 100 != 0) return end_with(kStationLengthOffStep, pos, here());

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

    const uint8_t kind = r.station_kind;
    if (kind == 5 || kind == 6) {
      r.area_end_m = checked32(int64_t{pos} + 150);
      r.area_start_m = checked32(int64_t{pos} - length);
      r.end_extension = 0;
    } else if (kind == 7 || kind == 8) {
      r.area_start_m = checked32(int64_t{pos} - length);
      r.area_end_m = checked32(int64_t{pos} + length);
      r.end_extension = 0;
    } else {
      const double extension = r.end_extension != 0 ? kCellLengthM : 0.0;
      r.area_start_m = round_long(pos - length / 2.0);
      r.area_end_m = round_long(length / 2.0 + pos + extension);
    }
    if (length < 600) r.long_flag = 0;
    // After the area: the first station's area has already used its
    // end extension.
    if (i == kFirstStationSlot) {
      r.long_flag = 0;
      r.end_extension = 0;
    }

    // Kinds 25 and above leave the grid alone but still keep the gap below.
    if (kind < 25) {
      const double marker = cells_of(r.area_end_m) - 1;
      // The 800 m guard covers the usual station; an area that reaches
      // further (kinds 7 and 8 take their whole length past the position)
      // is refused before any of its cells is touched. The approach cells
      // lie below the marker, so the marker decides.
      if (marker > 1 && round_long(marker) > ub_) return stop_beyond_grid(pos, at);
      if (kind != 5 && kind != 6) {
        for (int k = 1; k <= 4; ++k) {
          const double x = cells_of(r.area_end_m) - k - 1;
          if (x > 1) st_.grid.at(round_long(x)).approach_code = static_cast<uint8_t>(80 + k);
        }
      }
      if (marker <= 1) {
        fs_.remove_file(path_);
        record(kStationTooNearStart, at);
        return Next::kEnd;
      }
      TrackCell& stop = st_.grid.at(round_long(marker));
      stop.kind = kStationStop;
      stop.value1 = static_cast<int16_t>(i);
    }

    if (i > kFirstStationSlot && checked32(int64_t{r.area_start_m} - 350) <
                                     st_.stations[static_cast<size_t>(i - 1)].area_end_m) {
      return end_with(kStationGap, pos, at);
    }
    ++station_;
    // At least two slots stay free between the last station and the lowest
    // board text.
    if (station_ >= board_limit_) {
      fs_.remove_file(path_);
      record(kTableFull, at);
      return Next::kEnd;
    }
    return Next::kGoOn;
  }

  void end_stage() {
    fs_.remove_file(path_);
    // The last values reach cell UB - 3; the top cells only get one when the
    // fill index already stands there.
    complete_profile(speed_fill_, [this](TrackCell& cell) { cell.speed_code = speed_byte(); });
    complete_profile(adhesion_fill_,
                     [this](TrackCell& cell) { cell.adhesion_code = low8(running_adhesion_); });
    for (int slot : {kProgressiveTreSlot, kProgressiveDueSlot, kProgressiveUnoSlot}) {
      const StationRecord& r = st_.stations[static_cast<size_t>(slot)];
      if (!on_cell_step(r.area_start_m) || !on_cell_step(r.area_end_m)) {
        st_.error_code = kProgressiveOffStep;
        // The progressives come from the line description; no item of
        // this text is to blame.
        st_.error_origin = SourceOrigin{SourceOrigin::File::kLineDescription, 0, 0, {}};
        return;
      }
    }
  }

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

  uint8_t speed_byte() const { return round_byte(running_speed_ / 5.0); }

  bool beyond_grid(int32_t p, int32_t room_m) const {
    // A position this close to the 32-bit limit fails the read rather than
    // the room test.
    checked32(int64_t{p} + room_m);
    return !has_room(ub_, p, room_m);
  }

  Next stop_beyond_grid(int32_t p, const SourceOrigin& at) {
    st_.error_code = kObjectOutsideGrid;
    st_.error_position_m = p;
    st_.error_origin = at;
    return Next::kStopReading;
  }

  Next end_with(int32_t code, int32_t p, const SourceOrigin& at) {
    fs_.remove_file(path_);
    st_.error_code = code;
    st_.error_position_m = p;
    st_.error_origin = at;
    return Next::kEnd;
  }

  void record(int32_t code, const SourceOrigin& at) {
    st_.error_code = code;
    st_.error_origin = at;
  }

  SourceOrigin here() const {
    return SourceOrigin{SourceOrigin::File::kTrainDescription, in_.last_line(), in_.last_column(),
                        in_.last_item()};
  }

  BuildState& st_;
  FileSystem& fs_;
  const std::string& path_;
  ItemStream in_;
  const int32_t ub_;
  const int32_t board_limit_;

  int32_t speed_fill_ = 0;
  int32_t adhesion_fill_ = 0;
  int32_t running_speed_ = 0;
  int32_t running_adhesion_ = 0;
  int32_t station_ = kFirstStationSlot;
};

}  // namespace

void read_train_description(BuildState& st, FileSystem& fs, const std::string& path,
                            int32_t board_limit) {
  TrainReader(st, fs, path, board_limit).run();
}

}  // namespace scenario
