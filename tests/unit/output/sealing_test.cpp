#include "output/sealing.h"

#include <gtest/gtest.h>

#include <string>

namespace scenario {
namespace {

BuildState named(const std::string& train_code, const std::string& scenario_name) {
  BuildState st;
  st.grid.create(1000);
  st.stations[kTrainSlot].name = train_code;
  st.stations[kScenarioSlot].name = scenario_name;
  return st;
}

TEST(CheckCodes, SumTheFirst25CharactersOfTheLoweredNamesAndTheFill) {
  struct Row {
    const char* train;
    const char* scenario;
    int32_t st;  // sum of k x code
    int32_t og;  // sum of codes
  };
  const Row rows[] = {
      // kq3390lorvenaaabbccddeeff
      {"KQ3390", "LORVENA", 32158, 2380},
      {"kq3390", "Lorvena", 32158, 2380},
      // aabbccddeeffgghhiillmmnno: the fill alone
      {"", "", 34355, 2583},
      // the names alone run past 25 characters: treno_lunghissimo_0123456
      {"TRENO_LUNGHISSIMO_0123456789", "X", 26231, 2301},
      // An accented capital (0xC9) is lowered to 0xE9 and counted as an
      // unsigned byte: kq\xE9vraaabbccddeeffgghhiil
      {"KQ", "\xC9VRA", 33775, 2708},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.train) + "/" + row.scenario);
    const BuildState st = named(row.train, row.scenario);
    EXPECT_EQ(codice_gara_st(st), row.st);
    EXPECT_EQ(codice_gara_og(st), row.og);
  }
}

TEST(Seal, StampsMarkersAndCheckCodesIntoSlot85AndCell1) {
  BuildState st = named("KQ3390", "LORVENA");
  EXPECT_EQ(seal(st), 0);
  EXPECT_EQ(st.stations[kScenarioSlot].group_a1, 610);
  EXPECT_EQ(st.stations[kScenarioSlot].time_s, 32158);
  EXPECT_EQ(st.grid.at(1).value1, 5121);
  EXPECT_EQ(st.grid.at(1).value2, 2380);
  // Nothing else moves: the names stay as they were and cell 0 is untouched.
  EXPECT_EQ(st.stations[kScenarioSlot].name, "LORVENA");
  EXPECT_EQ(st.grid.at(0), TrackCell{});
}

TEST(Seal, ATakenReservedSlotIsFatalAndStopsTheStamping) {
  struct Row {
    const char* what;
    void (*take)(BuildState&);
    int32_t code;
    bool markers_stamped;  // the second check comes after the markers
  };
  const Row rows[] = {
      {"slot 85 marker", [](BuildState& st) { st.stations[kScenarioSlot].group_a1 = -1; }, 1250,
       false},
      {"cell 1 first value", [](BuildState& st) { st.grid.at(1).value1 = 100; }, 1250, false},
      {"slot 85 check code", [](BuildState& st) { st.stations[kScenarioSlot].time_s = 7; }, 1251,
       true},
      {"cell 1 second value", [](BuildState& st) { st.grid.at(1).value2 = 2; }, 1251, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    BuildState st = named("KQ3390", "LORVENA");
    row.take(st);
    EXPECT_EQ(seal(st), row.code);
    EXPECT_EQ(st.stations[kScenarioSlot].group_a1 == 610, row.markers_stamped);
    EXPECT_EQ(st.grid.at(1).value1 == 5121, row.markers_stamped);
    EXPECT_NE(st.stations[kScenarioSlot].time_s, 32158);
    EXPECT_NE(st.grid.at(1).value2, 2380);
  }
}

TEST(Seal, OtherFieldsOfCell1DoNotCount) {
  // Only the first two values are reserved: a speed or gradient code in
  // cell 1 is ordinary content.
  BuildState st = named("KQ3390", "LORVENA");
  st.grid.at(1).speed_code = 20;
  st.grid.at(1).value3 = 4;
  EXPECT_EQ(seal(st), 0);
  EXPECT_EQ(st.grid.at(1).speed_code, 20);
  EXPECT_EQ(st.grid.at(1).value3, 4);
}

}  // namespace
}  // namespace scenario
