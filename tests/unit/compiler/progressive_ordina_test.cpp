#include "compiler/progressive_ordina.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

namespace scenario {
namespace {

using Triple = std::array<int32_t, 3>;

Triple triple_of(const StationRecord& r) { return {r.area_start_m, r.area_end_m, r.position_m}; }

void put(StationRecord& r, const Triple& t) {
  r.area_start_m = t[0];
  r.area_end_m = t[1];
  r.position_m = t[2];
}

TEST(ProgressiveOrdina, OrdersTheTriplesAndRaisesTheSecondNumberOfThirdOne) {
  struct Row {
    const char* what;
    Triple tre, due, uno;  // as read into records 81, 82, 83
    Triple r81, r82, r83;  // afterwards
  };
  const Triple z{0, 0, 0};
  const Row rows[] = {
      {"the carried line: only uno", z, z, {1000, 0, 0}, {1000, 0, 0}, z, z},
      {"nothing given", z, z, z, z, z, z},
      {"only tre, third number 1", {5000, 200, 1}, z, z, {5000, 300, 1}, z, z},
      {"tie for the greatest clears all", z, {2000, 100, 1}, {2000, 50, 1}, z, z, z},
      {"tie of tre and due clears all", {2000, 1, 0}, {2000, 2, 0}, {1000, 3, 0}, z, z, z},
      {"tie of tre and uno clears all", {2000, 1, 0}, {1000, 2, 0}, {2000, 3, 0}, z, z, z},
      {"three-way tie clears all", {7, 1, 1}, {7, 2, 1}, {7, 3, 1}, z, z, z},

      // Each of the six orders of three distinct first numbers.
      {"T > D > U",
       {3000, 1, 0},
       {2000, 2, 0},
       {1000, 3, 0},
       {3000, 1, 0},
       {2000, 2, 0},
       {1000, 3, 0}},
      {"T > U > D",
       {3000, 1, 0},
       {1000, 2, 0},
       {2000, 3, 0},
       {3000, 1, 0},
       {2000, 3, 0},
       {1000, 2, 0}},
      {"D > T > U",
       {2000, 1, 0},
       {3000, 2, 0},
       {1000, 3, 0},
       {3000, 2, 0},
       {2000, 1, 0},
       {1000, 3, 0}},
      {"D > U > T",
       {1000, 1, 0},
       {3000, 2, 0},
       {2000, 3, 0},
       {3000, 2, 0},
       {2000, 3, 0},
       {1000, 1, 0}},
      {"U > T > D",
       {2000, 1, 0},
       {1000, 2, 0},
       {3000, 3, 0},
       {3000, 3, 0},
       {2000, 1, 0},
       {1000, 2, 0}},
      {"U > D > T",
       {1000, 1, 0},
       {2000, 2, 0},
       {3000, 3, 0},
       {3000, 3, 0},
       {2000, 2, 0},
       {1000, 1, 0}},

      // Ties between the two lower triples: uno before due before tre.
      {"D greatest, T = U",
       {1000, 1, 0},
       {3000, 2, 0},
       {1000, 3, 0},
       {3000, 2, 0},
       {1000, 3, 0},
       {1000, 1, 0}},
      {"T greatest, D = U",
       {3000, 1, 0},
       {1000, 2, 0},
       {1000, 3, 0},
       {3000, 1, 0},
       {1000, 3, 0},
       {1000, 2, 0}},
      {"U greatest, T = D",
       {1000, 1, 0},
       {1000, 2, 0},
       {3000, 3, 0},
       {3000, 3, 0},
       {1000, 2, 0},
       {1000, 1, 0}},
      {"negative first numbers still order",
       {-50, 1, 0},
       {-100, 2, 0},
       {-200, 3, 0},
       {-50, 1, 0},
       {-100, 2, 0},
       {-200, 3, 0}},

      // First numbers summing to 0: the second numbers choose.
      {"only due has a second number", z, {0, 700, 0}, z, {0, 700, 0}, z, z},
      {"300, -300 and 0 sum to 0", {300, 10, 0}, {-300, 20, 0}, z, {-300, 20, 0}, {300, 10, 0}, z},
      {"uno's second number wins over due's",
       {0, 5, 0},
       {0, 6, 0},
       {0, 7, 0},
       {0, 7, 0},
       {0, 6, 0},
       {0, 5, 0}},
      {"only tre has a second number", {0, 5, 2}, z, {0, -5, 0}, {0, 5, 2}, z, {0, -5, 0}},
      // Cleared records have third number 0, so they get no +100.
      {"no positive second number clears all", {0, -5, 1}, {0, 0, 1}, {0, -1, 1}, z, z, z},

      // The +100 follows the triple to its new record.
      {"third number 1 after reordering",
       {1000, 50, 1},
       {3000, 100, 1},
       {2000, 0, 2},
       {3000, 200, 1},
       {2000, 0, 2},
       {1000, 150, 1}},

      // The sum is a 32-bit one: 2^32 wraps to 0 and the second numbers
      // choose, although tre and due tie for the greatest first number.
      {"sum wrapping to 0",
       {2147483647, 5, 0},
       {2147483647, 0, 0},
       {2, 0, 0},
       {2147483647, 5, 0},
       {2147483647, 0, 0},
       {2, 0, 0}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    StationTable table{};
    put(table[kProgressiveTreSlot], r.tre);
    put(table[kProgressiveDueSlot], r.due);
    put(table[kProgressiveUnoSlot], r.uno);
    progressive_ordina(table);
    EXPECT_EQ(triple_of(table[kProgressiveTreSlot]), r.r81);
    EXPECT_EQ(triple_of(table[kProgressiveDueSlot]), r.r82);
    EXPECT_EQ(triple_of(table[kProgressiveUnoSlot]), r.r83);
  }
}

TEST(ProgressiveOrdina, MovesOnlyTheThreeNumbersAndNoOtherSlot) {
  StationTable table{};
  for (int slot = 0; slot < kStationSlots; ++slot) {
    table[slot].name = "slot " + std::to_string(slot);
    table[slot].station_kind = static_cast<uint8_t>(slot);
    table[slot].time_s = slot;
  }
  put(table[kProgressiveUnoSlot], {1000, 0, 0});
  put(table[kTrainValuesSlot], {9, 9, 1});
  put(table[kFirstBoardSlot], {9, 9, 1});
  StationTable expected = table;
  put(expected[kProgressiveTreSlot], {1000, 0, 0});
  put(expected[kProgressiveUnoSlot], {0, 0, 0});

  progressive_ordina(table);
  EXPECT_EQ(table, expected);
}

}  // namespace
}  // namespace scenario
