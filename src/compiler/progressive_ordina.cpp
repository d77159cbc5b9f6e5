#include "compiler/progressive_ordina.h"

#include <array>
#include <cstdint>

namespace scenario {
namespace {

struct Triple {
  int32_t first = 0;
  int32_t second = 0;
  int32_t third = 0;
};

Triple read_triple(const StationRecord& r) { return {r.area_start_m, r.area_end_m, r.position_m}; }

// Only the three numbers move; the rest of each record stays where it is.
void write_triple(StationRecord& r, const Triple& t) {
  r.area_start_m = t.first;
  r.area_end_m = t.second;
  r.position_m = t.third;
}

// Modular, as the 32-bit arithmetic of the stored numbers is: a sum that
// passes 2^31 wraps instead of failing the run.
int32_t wrap32(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); }

}  // namespace

void progressive_ordina(StationTable& table) {
  const Triple t = read_triple(table[kProgressiveTreSlot]);
  const Triple d = read_triple(table[kProgressiveDueSlot]);
  const Triple u = read_triple(table[kProgressiveUnoSlot]);
  const Triple none{};

  // Records 81, 82, 83 in this order.
  std::array<Triple, 3> order{none, none, none};

  const int32_t sum = wrap32(static_cast<int64_t>(t.first) + d.first + u.first);
  if (sum != 0) {
    // Greatest first number first. Comparisons are strict: a tie for the
    // greatest clears everything, a tie between the lower two puts "uno"
    // before "due" before "tre".
    if (t.first > d.first && t.first > u.first) {
      order = d.first > u.first ? std::array{t, d, u} : std::array{t, u, d};
    } else if (d.first > t.first && d.first > u.first) {
      order = t.first > u.first ? std::array{d, t, u} : std::array{d, u, t};
    } else if (u.first > t.first && u.first > d.first) {
      order = t.first > d.first ? std::array{u, t, d} : std::array{u, d, t};
    }
  } else if (u.second > 0) {
    // No first numbers to go by: the first progressive with a second number
    // leads, in the fixed order uno, due, tre.
    order = {u, d, t};
  } else if (d.second > 0) {
    order = {d, t, u};
  } else if (t.second > 0) {
    order = {t, d, u};
  }

  for (Triple& tr : order) {
    if (tr.third == 1) tr.second = wrap32(static_cast<int64_t>(tr.second) + 100);
  }
  write_triple(table[kProgressiveTreSlot], order[0]);
  write_triple(table[kProgressiveDueSlot], order[1]);
  write_triple(table[kProgressiveUnoSlot], order[2]);
}

}  // namespace scenario
