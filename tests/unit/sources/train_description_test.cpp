#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "lorvena/lorvena.h"
#include "unit/sources/written_text.h"

namespace scenario {
namespace {

class TrainDescription : public testing::Test {
 protected:
  std::vector<std::string> lines = written_lines(lorvena::train_description());
};

TEST_F(TrainDescription, SectionsInOrderWithTheirRowCounts) {
  ASSERT_EQ(lines.size(), 106u);
  expect_sections(lines, {{"[generale]", 4},
                          {"[aderenze]", 2},
                          {"[vel_limite]", 17},
                          {"[stazioni]", 26},
                          {"[rallentamenti]", 2},
                          {"[segnali]", 47},
                          {"[codici]", 0},
                          {"[fine]", 0}});
}

TEST_F(TrainDescription, QuotedRowsAreByteExact) {
  struct Case {
    size_t line;  // 1-based
    const char* text;
  };
  const Case cases[] = {
      {2, "numero vetture,    6"},
      {3, "percentuale massa frenata,    110"},
      {4, "sabbia,    300"},
      // Three numbers with blanks only, and a blank at the end.
      {5, "orologio,    18              19            0 "},
      {7, "aderenza,       0,    90"},
      {8, "aderenza,   10650,    80"},
      {10, "velocita,   0,    30"},
      {26, "velocita,  146050,    90"},
      {55, "rallentamento,   67000,    60,  100, 0,  1,  0"},
      {56, "rallentamento,  132000,    50,  200, 0,  1,  0"},
      {58, "segnale,    2850,   1, 4, 1,  0, 0,    0,  0,0,0, 0"},
      {68, "segnale,   30300,   2, 4, 1,  0, 0,    0,  0,0,0, 230"},
      {104, "segnale,  150800,   2, 2, 3,  3, 0,    2,  2,1,1, 230"},
  };
  ASSERT_EQ(lines.size(), 106u);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(lines[c.line - 1], c.text);
  }
  // The origin's row up to its name.
  const std::string origin_prefix =
      "stazione,       0,  2,  700,  1, 1, 0,  4,1,0,  2,1,1,    1,  18,20, 0, ";
  EXPECT_EQ(lines[27].substr(0, origin_prefix.size()), origin_prefix);
}

// Items follow a comma and at most seven blanks; the three-number groups are
// written without blanks; station names are upper case without a comma or a
// double quote, which would cut the name short when it is read back.
TEST_F(TrainDescription, RowsKeepTheItemLayout) {
  struct Case {
    const char* section;
    const char* pattern;
  };
  const Case cases[] = {
      {"[vel_limite]", R"(velocita, {1,7}\d+, {1,7}\d+)"},
      {"[stazioni]",
       R"(stazione(, {1,7}\d+){6}(, {1,7}\d,\d,\d){2}, {1,7}\d+, {1,7}\d+,( \d|\d\d), {1,7}0, )"
       R"([A-Z][A-Z .']*[A-Z.])"},
      {"[segnali]", R"(segnale(, {1,7}\d+){7}, {1,7}\d,\d,\d, {1,7}\d+)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.section);
    const std::regex pattern(c.pattern);
    long previous = -1;
    for (const std::string& row : section_rows(lines, c.section)) {
      EXPECT_TRUE(std::regex_match(row, pattern)) << row;
      const long position = std::stol(items(row)[1]);
      EXPECT_GT(position, previous) << row;
      previous = position;
    }
  }
}

TEST_F(TrainDescription, StationsRunOverTheWholeRouteWithTheirTimes) {
  const std::vector<std::string> rows = section_rows(lines, "[stazioni]");
  ASSERT_EQ(rows.size(), 26u);

  // The destination stands at the end of the route the line description sets.
  const std::vector<std::string> line = written_lines(lorvena::line_description());
  ASSERT_GE(line.size(), 2u);
  EXPECT_EQ(items(line[1])[1], "152000");
  const std::vector<std::string> origin = items(rows.front());
  const std::vector<std::string> destination = items(rows.back());
  EXPECT_EQ(origin[1], "0");
  EXPECT_EQ(origin[2], "2");
  EXPECT_EQ(destination[1], "152000");
  EXPECT_EQ(destination[2], "6");
  // Arrival at the destination, departure from the origin.
  EXPECT_EQ(destination[13] + "," + destination[14] + "," + destination[15], "0,20,35");

  int stops = 0;
  for (size_t i = 1; i + 1 < rows.size(); ++i) {
    const std::vector<std::string> it = items(rows[i]);
    ASSERT_EQ(it.size(), 18u) << rows[i];
    SCOPED_TRACE(rows[i]);
    // An intermediate stop has its stop value 30 and a departure time;
    // every other station 0 and no time.
    if (it[13] == "30") {
      ++stops;
      EXPECT_NE(it[14], "0");
    } else {
      EXPECT_EQ(it[13], "0");
      EXPECT_EQ(it[14] + "," + it[15], "0,0");
    }
    if (it[2] == "28") {
      for (size_t k = 4; k <= 16; ++k) EXPECT_EQ(it[k], "0") << "item " << k;
    }
  }
  EXPECT_EQ(stops, 8);
}

// Every first-side signal has its partner 1200 m on (1150 m once); five
// second-side signals stand alone.
TEST_F(TrainDescription, SignalsComeInPairs) {
  const std::vector<std::string> rows = section_rows(lines, "[segnali]");
  ASSERT_EQ(rows.size(), 47u);
  int pairs = 0;
  int short_pairs = 0;
  int alone = 0;
  for (size_t i = 0; i < rows.size(); ++i) {
    const std::vector<std::string> it = items(rows[i]);
    SCOPED_TRACE(rows[i]);
    if (it[2] == "2") {
      ++alone;
      continue;
    }
    ASSERT_EQ(it[2], "1");
    ASSERT_LT(i + 1, rows.size());
    const std::vector<std::string> next = items(rows[i + 1]);
    EXPECT_EQ(next[2], "2");
    const long gap = std::stol(next[1]) - std::stol(it[1]);
    EXPECT_TRUE(gap == 1200 || gap == 1150) << gap;
    if (gap == 1150) ++short_pairs;
    ++pairs;
    ++i;
  }
  EXPECT_EQ(pairs, 21);
  EXPECT_EQ(short_pairs, 1);
  EXPECT_EQ(alone, 5);
}

}  // namespace
}  // namespace scenario
