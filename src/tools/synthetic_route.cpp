#include "tools/synthetic_route.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "model/cell_geometry.h"

namespace scenario::tools {
namespace {

// A station every 13.5 km or so: 75 on the longest route, the most the
// train file has room for beside its other slots.
constexpr int32_t kMaxStations = 75;
constexpr int32_t kStationSpacingM = 13500;

class Lines {
 public:
  void add(const std::string& line) {
    text_ += line;
    text_ += "\r\n";
  }
  std::string take() { return std::move(text_); }

 private:
  std::string text_;
};

std::string n(int64_t v) { return std::to_string(v); }

/// Stations stand on a cell boundary.
int32_t down_to_cell(int64_t m) { return static_cast<int32_t>(m / kCellLengthM * kCellLengthM); }

std::vector<int32_t> station_positions(int32_t length_m) {
  const int32_t count = std::min(kMaxStations, length_m / kStationSpacingM + 1);
  std::vector<int32_t> at;
  for (int32_t i = 0; i < count; ++i) {
    at.push_back(down_to_cell(int64_t{length_m} * i / (count - 1)));
  }
  return at;
}

// Signals, boards and slow-downs keep clear of the stations' areas and
// markers, and of one another.
bool near_any(int32_t m, const std::vector<int32_t>& places, int32_t gap) {
  for (int32_t p : places) {
    if (std::abs(m - p) < gap) return true;
  }
  return false;
}

std::string line_description(int32_t length_m, const std::vector<int32_t>& stations) {
  Lines out;
  out.add("[generale]");
  out.add("lunghezza percorso,    " + n(length_m));
  out.add("progressiva chilometrica uno,    1000,    0,    0");
  out.add("progressiva chilometrica due,    0,    0,    0");
  out.add("progressiva chilometrica tre,    0,    0,    0");
  out.add("sfondo uno,    1000");
  out.add("sfondo due,    3000");
  out.add("sfondo tre,    1");
  out.add("ripetizione segnali 4 codici,    1000,    " + n(length_m - 2000));

  out.add("[curve]");
  for (int32_t k = 0; int64_t{k} * 2000 + 3000 < length_m; ++k) {
    const char side = k % 2 == 0 ? 's' : 'd';
    const int cls = 1 + k % 6;
    out.add(std::string("curva") + side + n(cls) + ",  " + n(int64_t{k} * 2000 + 950) + ",  " +
            n(300 + (k % 7) * 100));
  }

  out.add("[pendenze]");
  out.add("pendenza,   0,    0");
  for (int32_t k = 1; int64_t{k} * 4000 < length_m; ++k) {
    out.add("pendenza,  " + n(int64_t{k} * 4000) + ",   " + n(k * 7 % 26));
  }

  out.add("[montagne]");
  for (int32_t k = 0; k < 80 && int64_t{k} * 25000 + 3000 < length_m; ++k) {
    const int64_t from = int64_t{k} * 25000 + 2250;
    out.add("montagna,   " + n(from) + ",  " + n(from + 550) + ",  11");
  }

  out.add("[cartelli]");
  static constexpr std::array<std::array<int, 3>, 4> kBoards = {
      {{75, 80, 80}, {100, 105, 105}, {110, 130, 130}, {140, 150, 150}}};
  for (int32_t k = 0; int64_t{k} * 10000 + 1000 < length_m; ++k) {
    const int32_t at = k * 10000 + 1000;
    if (near_any(at, stations, 500)) continue;
    const auto& b = kBoards[static_cast<size_t>(k) % kBoards.size()];
    out.add("indicatori_vmax,  " + n(at) + ",  " + n(b[0]) + ",  " + n(b[1]) + ",  " + n(b[2]) +
            ",  0,  ,  ,  ,  0");
  }
  out.add("[indicazioni]");
  out.add("[fine]");
  return out.take();
}

std::string train_description(int32_t length_m, const std::vector<int32_t>& stations) {
  Lines out;
  out.add("[generale]");
  out.add("numero vetture,    6");
  out.add("percentuale massa frenata,    110");
  out.add("sabbia,    300");
  out.add("orologio,    6              19            0 ");

  out.add("[aderenze]");
  for (int32_t k = 0; int64_t{k} * 50000 < length_m; ++k) {
    out.add("aderenza,   " + n(int64_t{k} * 50000) + ",    " + (k % 2 == 0 ? "90" : "80"));
  }

  out.add("[vel_limite]");
  out.add("velocita,   0,    30");
  static constexpr std::array<int, 4> kSpeeds = {80, 105, 130, 150};
  for (int32_t k = 0; int64_t{k} * 10000 + 1000 < length_m; ++k) {
    out.add("velocita,   " + n(int64_t{k} * 10000 + 1000) + ",    " +
            n(kSpeeds[static_cast<size_t>(k) % kSpeeds.size()]));
  }

  // Stops (every fifth station, and both ends) from 06:20, at 75 km/h: below
  // every speed limit but the first kilometre's and the slow-downs', with
  // room for those, so that check finds the schedule possible.
  out.add("[stazioni]");
  for (size_t i = 0; i < stations.size(); ++i) {
    const int32_t at = stations[i];
    const bool first = i == 0;
    const bool last = i + 1 == stations.size();
    const bool stop = first || last || i % 5 == 0;
    const int64_t minutes = 6 * 60 + 20 + at / 1250;
    const std::string time = stop ? n(minutes / 60) + "," + n(minutes % 60) : "0, 0";
    const std::string name = "STAZIONE " + n(static_cast<int64_t>(i) + 1);
    if (first) {
      out.add("stazione,   " + n(at) + ",  2,  700,  1, 1, 0,  4,1,0,  2,1,1,    1,  " + time +
              ", 0, " + name);
    } else if (last) {
      out.add("stazione,   " + n(at) + ",  6,  700,  1, 1, 0,  1,1,0,  2,1,1,    0,  " + time +
              ", 0, " + name);
    } else if (stop) {
      out.add("stazione,   " + n(at) + ",  4,  600,  0, 1, 0,  1,1,0,  4,1,1,   30,  " + time +
              ", 0, " + name);
    } else {
      out.add("stazione,   " + n(at) + ", 12,  500,  0, 0, 0,  1,1,0,  4,1,1,    0,  " + time +
              ", 0, " + name);
    }
  }

  std::vector<int32_t> signals;
  for (int32_t k = 0; int64_t{k} * 6000 + 4050 < length_m - 2000; ++k) {
    for (int32_t at : {k * 6000 + 2850, k * 6000 + 4050}) {
      if (!near_any(at, stations, 900)) signals.push_back(at);
    }
  }

  out.add("[rallentamenti]");
  // Between the pairs of signals: 2650 m after one pair, 2150 m before the next.
  for (int32_t k = 0; int64_t{k} * 48000 + 48700 < length_m - 5000; ++k) {
    const int32_t at = k * 48000 + 48700;
    if (near_any(at, stations, 2000) || near_any(at, signals, 1500)) continue;
    out.add("rallentamento,   " + n(at) + ",    60,  100, 0,  1,  0");
  }

  out.add("[segnali]");
  for (size_t i = 0; i < signals.size(); ++i) {
    const bool first_of_pair = signals[i] % 6000 == 2850;
    out.add("segnale,   " + n(signals[i]) + (first_of_pair ? ",   1" : ",   2") +
            ", 4, 1,  0, 0,    0,  0,0,0, 0");
  }
  out.add("[codici]");
  out.add("[fine]");
  return out.take();
}

}  // namespace

SyntheticRoute synthetic_route(int32_t length_m) {
  if (length_m < kSyntheticMinLengthM || length_m > kSyntheticMaxLengthM || length_m % 1000 != 0) {
    throw std::invalid_argument("a synthetic route is " + n(kSyntheticMinLengthM) + " to " +
                                n(kSyntheticMaxLengthM) + " m long, in whole kilometres");
  }
  const std::vector<int32_t> stations = station_positions(length_m);
  return {line_description(length_m, stations), train_description(length_m, stations)};
}

}  // namespace scenario::tools
