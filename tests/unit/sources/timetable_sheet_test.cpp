#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "lorvena/lorvena.h"
#include "unit/sources/written_text.h"

namespace scenario {
namespace {

// Minutes since midnight of "18,20".
int minutes(const std::string& hh_mm) {
  const size_t comma = hh_mm.find(',');
  return std::stoi(hh_mm.substr(0, comma)) * 60 + std::stoi(hh_mm.substr(comma + 1));
}

// One table row, its seven columns as written.
struct SheetRow {
  std::string line;
  std::vector<std::string> cells;
  std::string name() const { return trim(cells[4]); }
  std::string km() const { return trim(cells[2]); }
  long metres() const {
    const std::string k = km();
    const size_t plus = k.find('+');
    if (plus == std::string::npos) return std::stol(k) * 1000;
    return std::stol(k.substr(0, plus)) * 1000 + std::stol(k.substr(plus + 1));
  }
  bool is_board() const { return lower(name()) == "cartello indicatore"; }
  bool is_post() const { return lower(name()) == "cippo km"; }
  const std::string& times() const { return cells[5]; }
};

struct Station {
  long position;
  int stop_value;
  int time;  // minutes, 0 when the row carries none
  std::string name;
};

class TimetableSheet : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(lines.size(), 60u);
    for (size_t i = 16; i < 56; ++i) {
      SheetRow row;
      row.line = lines[i];
      std::string cell;
      std::istringstream in(lines[i].substr(2));
      while (std::getline(in, cell, '|')) row.cells.push_back(cell);
      ASSERT_EQ(row.cells.size(), 7u) << lines[i];
      rows.push_back(row);
    }
    for (const std::string& r : section_rows(train, "[stazioni]")) {
      const std::vector<std::string> it = items(r);
      ASSERT_EQ(it.size(), 18u) << r;
      const int time = std::stoi(it[14]) * 60 + std::stoi(it[15]);
      stations.push_back({std::stol(it[1]), std::stoi(it[13]), time, it[17]});
    }
    ASSERT_EQ(stations.size(), 26u);
  }

  std::vector<std::string> lines = written_lines(lorvena::timetable_sheet());
  std::vector<std::string> train = written_lines(lorvena::train_description());
  std::vector<SheetRow> rows;
  std::vector<Station> stations;
};

TEST_F(TimetableSheet, FormLinesAndWidths) {
  for (const size_t empty : {1, 2, 12, 60}) EXPECT_EQ(lines[empty - 1], "") << empty;
  const std::string table_foot =
      " |_____|_____|__________|_____|____________________________|________________|_____|";
  const std::string blank_row =
      " |     |     |          |     |                            |                |     |";
  struct Case {
    size_t line;
    std::string text;
  };
  const Case cases[] = {
      {3, "  " + std::string(19, '_') + std::string(47, ' ') + std::string(14, '_')},
      {4, " |                   |                    SCHEDA                   |              |"},
      {7, std::string(67, ' ') + "|" + std::string(14, '_') + "|"},
      {8, "  ___________________                ___________________"},
      {9, " |  CLASSIFICAZIONE  |              |  MASSA BLOCCATA   |       "},
      {10, " |        IR         |              |      360T         |"},
      {11, " |___________________|              |___________________|"},
      {13, "  " + std::string(80, '_')},
      {14, " | Vel.| Vel.| Progr Km |  No |   Localita' di  Servizio   |     Orario     | Rec |"},
      {15, " | Lim.|Marc.|          |  Rs |                            |                |     |"},
      {16, table_foot},
      {57, blank_row},
      {58, blank_row},
      {59, table_foot},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(lines[c.line - 1], c.text);
  }
  for (size_t i = 14; i <= 59; ++i) EXPECT_EQ(lines[i - 1].size(), 83u) << "line " << i;

  // The header box: cells of 19, 45 and 14, the two colons one above the other.
  const std::regex from(R"( \|   TRENO n\.\d+ *\| {19}da: [A-Z][A-Z .']* *\|    V160 B    \|)");
  const std::regex to(R"( \|_{19}\| {20}a: [A-Z][A-Z .']* *\|     110%     \|)");
  EXPECT_TRUE(std::regex_match(lines[4], from)) << lines[4];
  EXPECT_TRUE(std::regex_match(lines[5], to)) << lines[5];
  EXPECT_EQ(lines[4].size(), 83u);
  EXPECT_EQ(lines[5].size(), 83u);
  EXPECT_EQ(lines[4].find("da: ") + 2, lines[5].find("a: ") + 1);
  EXPECT_NE(lines[4].find("da: " + stations.front().name + " "), std::string::npos);
  EXPECT_NE(lines[5].find("a: " + stations.back().name + " "), std::string::npos);
}

TEST_F(TimetableSheet, RowsOfThreeKindsInKilometreOrder) {
  EXPECT_EQ(rows[1].line,
            " |  80 | 70  |1+000     |     | Cippo Km                   |     18,21      |     |");
  EXPECT_NE(std::find_if(rows.begin(), rows.end(),
                         [](const SheetRow& r) {
                           return r.line ==
                                  " | 105 |100  |51+800    |     | Cartello indicatore        "
                                  "|                |     |";
                         }),
            rows.end());

  const std::regex speed1(R"(     |[ \d]{3}\d )");
  const std::regex speed2(R"(     |[ \d]{2}\d  )");
  const std::regex km(R"((0|\d+\+\d{3}) *)");
  const std::regex rec(R"(     |  \d  )");
  std::multiset<std::string> post_names;
  int boards = 0;
  int timed_posts = 0;
  int places = 0;
  std::map<std::string, int> rec_digits;
  long previous = -1;
  for (const SheetRow& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_TRUE(std::regex_match(row.cells[0], speed1));
    EXPECT_TRUE(std::regex_match(row.cells[1], speed2));
    EXPECT_EQ(trim(row.cells[0]).empty(), trim(row.cells[1]).empty());
    if (!trim(row.cells[1]).empty()) {
      EXPECT_LE(std::stoi(row.cells[1]), std::stoi(row.cells[0]));
    }
    EXPECT_TRUE(std::regex_match(row.cells[2], km));
    EXPECT_EQ(row.cells[3], "     ");
    EXPECT_EQ(row.cells[4].substr(0, 2).find_first_not_of(' '), 1u);
    EXPECT_TRUE(std::regex_match(row.cells[6], rec));
    if (!trim(row.cells[6]).empty()) ++rec_digits[trim(row.cells[6])];
    EXPECT_GT(row.metres(), previous);
    previous = row.metres();
    if (row.is_board()) {
      ++boards;
      EXPECT_EQ(trim(row.times()), "");
      EXPECT_NE(trim(row.cells[0]), "");
    } else if (row.is_post()) {
      post_names.insert(row.name());
      if (!trim(row.times()).empty()) ++timed_posts;
    } else {
      ++places;
      EXPECT_NE(trim(row.times()), "");
    }
  }
  EXPECT_EQ(places, 27);
  EXPECT_EQ(boards, 9);
  EXPECT_EQ(post_names,
            (std::multiset<std::string>{"Cippo Km", "cippo Km", "cippo Km", "Cippo KM"}));
  EXPECT_EQ(timed_posts, 2);
  EXPECT_EQ(rec_digits, (std::map<std::string, int>{{"1", 10}, {"3", 1}}));
  EXPECT_EQ(trim(rows.back().cells[6]), "3");
}

TEST_F(TimetableSheet, SpeedsAreTheTrainDescriptionsSpeedLimits) {
  std::vector<int> limits;
  for (const std::string& r : section_rows(train, "[vel_limite]")) {
    limits.push_back(std::stoi(items(r)[2]));
  }
  ASSERT_EQ(limits.size(), 17u);

  std::vector<int> first_column;
  std::set<std::pair<int, int>> pairs;
  for (const SheetRow& row : rows) {
    if (trim(row.cells[0]).empty()) continue;
    const int v = std::stoi(row.cells[0]);
    if (first_column.empty() || first_column.back() != v) first_column.push_back(v);
    pairs.insert({v, std::stoi(row.cells[1])});
  }
  EXPECT_EQ(first_column, limits);
  const std::set<std::pair<int, int>> expected_pairs = {
      {30, 30},   {80, 70},   {95, 80},   {80, 75},   {90, 80}, {130, 120},
      {105, 100}, {150, 140}, {130, 125}, {160, 150}, {90, 90}};
  EXPECT_EQ(pairs, expected_pairs);
}

// Every station of the train description has its row, at its position, under
// its name or an abbreviation of it; the one other place is the junction of
// the line description's text board.
TEST_F(TimetableSheet, PlacesAndTimesAreTheTrainDescriptionsStations) {
  const std::regex origin_time(R"( {9}(\d+,\d\d)  )");
  const std::regex stop_times(R"( (\d+,\d\d)   (\d+,\d\d)  )");
  const std::regex one_time(R"( {5}(\d+,\d\d) {6})");

  std::string junction;
  for (const std::string& r :
       section_rows(written_lines(lorvena::line_description()), "[indicazioni]")) {
    const std::string text = items(r)[2];
    junction = text.substr(1, text.size() - 2);
  }
  ASSERT_FALSE(junction.empty());

  size_t next_station = 0;
  int junctions = 0;
  int previous_time = 0;
  for (size_t i = 0; i < rows.size(); ++i) {
    const SheetRow& row = rows[i];
    if (row.is_board() || row.is_post()) continue;
    SCOPED_TRACE(row.line);
    std::smatch m;
    int time = 0;
    if (next_station < stations.size() && row.metres() == stations[next_station].position) {
      const Station& s = stations[next_station];
      EXPECT_TRUE(names_match(row.name(), s.name)) << s.name;
      if (next_station == 0) {
        // The origin: only its departure, in the departure's place.
        ASSERT_TRUE(std::regex_match(row.times(), m, origin_time));
        time = minutes(m[1]);
        EXPECT_EQ(time, s.time);
      } else if (s.stop_value == 30) {
        ASSERT_TRUE(std::regex_match(row.times(), m, stop_times));
        EXPECT_LT(minutes(m[1]), minutes(m[2]));
        time = minutes(m[2]);
        EXPECT_EQ(time, s.time);
      } else {
        // Stations passed and the destination, whose one time is its arrival.
        ASSERT_TRUE(std::regex_match(row.times(), m, one_time));
        time = minutes(m[1]);
        if (next_station + 1 == stations.size()) {
          EXPECT_EQ(time, s.time);
        }
      }
      ++next_station;
    } else {
      EXPECT_EQ(row.name(), junction);
      ++junctions;
      ASSERT_TRUE(std::regex_match(row.times(), m, one_time));
      time = minutes(m[1]);
    }
    EXPECT_GE(time, previous_time);
    previous_time = time;
  }
  EXPECT_EQ(next_station, stations.size());
  EXPECT_EQ(junctions, 1);
}

}  // namespace
}  // namespace scenario
