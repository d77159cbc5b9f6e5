#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "lorvena/lorvena.h"
#include "unit/sources/written_text.h"

namespace scenario {
namespace {

class SlowdownOrder : public testing::Test {
 protected:
  std::vector<std::string> lines = written_lines(lorvena::slowdown_order());
  std::vector<std::string> train = written_lines(lorvena::train_description());
};

TEST_F(SlowdownOrder, FormLinesAndWidths) {
  ASSERT_EQ(lines.size(), 46u);
  for (const size_t empty : {1, 6, 40}) EXPECT_EQ(lines[empty - 1], "") << empty;
  const std::string head_foot =
      " |___|____________________________|____________|__________|_________|____________|";
  const std::string blank_row =
      " |   |                            |            |          |         |            |";
  struct Case {
    size_t line;
    std::string text;
  };
  std::vector<Case> cases = {
      {2, std::string(31, ' ') + "Modulo M. 3"},
      {3, std::string(27, ' ') + "ORDINE DI RALLENTAMENTO"},
      {4, " " + std::string(80, '_')},
      {8, "  " + std::string(79, '_')},
      {9, " |   |                            |Inizio dopo |          |         |            |"},
      {10, " | N.|      FRA LE STAZIONI       | il cippo   | Velocita'|Lunghezza|Prescrizioni|"},
      {11, " |   |   (o nelle Stazioni di)    |chilometrico|          |   metri | specifiche |"},
      {12, head_foot},
      {14, blank_row},
      {39, head_foot},
      {41, std::string(14, ' ') + "Prescrizioni specifiche"},
      // The legend: A, B, D, C, and the C entry runs on to the last line.
      {42, " A - Da rispettare con tutto il treno (per i treni viaggiatori)"},
      {43, " B - Interessa anche la stazione di......."},
      {44, " D - Rallentamneto N. ... e N. ...  sono contigui"},
      {45, " C - Da rispettare dalle ore ....  alle ore ..... di tutti"},
      {46, "     i giorni esclusi i seguenti:........."},
  };
  for (size_t i = 16; i <= 38; ++i) cases.push_back({i, blank_row});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(lines[c.line - 1], c.text);
  }
  for (size_t i = 9; i <= 39; ++i) EXPECT_EQ(lines[i - 1].size(), 82u) << "line " << i;
}

TEST_F(SlowdownOrder, LineAndTrainAgreeWithTheOtherTexts) {
  ASSERT_EQ(lines.size(), 46u);
  const std::vector<std::string> stations = section_rows(train, "[stazioni]");
  ASSERT_FALSE(stations.empty());
  EXPECT_EQ(lines[4], "  Linea  " + items(stations.front())[17] + " " + items(stations.back())[17]);

  std::smatch order;
  const std::regex sentence(
      R"(  Si ordina al macchinista del treno IR (\d+) di effettuare i seguenti rallentamenti)");
  ASSERT_TRUE(std::regex_match(lines[6], order, sentence)) << lines[6];
  // The same train number heads the timetable sheet.
  const std::vector<std::string> sheet = written_lines(lorvena::timetable_sheet());
  ASSERT_GT(sheet.size(), 4u);
  EXPECT_NE(sheet[4].find("TRENO n." + order[1].str() + " "), std::string::npos) << sheet[4];
}

// The two rows are the train description's slow-downs: kilometre = position
// / 1000, the same speed and length, between the stations that enclose them.
TEST_F(SlowdownOrder, RowsAreTheTrainDescriptionsSlowDowns) {
  ASSERT_EQ(lines.size(), 46u);
  EXPECT_NE(lines[12].find("|    67      |    60    |  100    |"), std::string::npos);

  const std::vector<std::string> slowdowns = section_rows(train, "[rallentamenti]");
  const std::vector<std::string> stations = section_rows(train, "[stazioni]");
  ASSERT_EQ(slowdowns.size(), 2u);
  const std::regex row(
      R"( \| (\d) \|  ([^ ][^|]*?) *\|    (\d+) *\|    (\d+) *\|  (\d+) *\| {12}\|)");
  const size_t row_lines[] = {12, 14};
  for (size_t k = 0; k < 2; ++k) {
    const std::string& line = lines[row_lines[k]];
    SCOPED_TRACE(line);
    std::smatch m;
    ASSERT_TRUE(std::regex_match(line, m, row));
    const std::vector<std::string> it = items(slowdowns[k]);
    EXPECT_EQ(std::stoi(m[1]), static_cast<int>(k + 1));
    EXPECT_EQ(std::stol(m[3]) * 1000, std::stol(it[1]));
    EXPECT_EQ(m[4].str(), it[2]);
    EXPECT_EQ(m[5].str(), it[3]);

    const std::string between = m[2];
    const size_t dash = between.find('-');
    ASSERT_NE(dash, std::string::npos);
    size_t after = 0;
    while (after < stations.size() && std::stol(items(stations[after])[1]) <= std::stol(it[1])) {
      ++after;
    }
    ASSERT_TRUE(after > 0 && after < stations.size());
    EXPECT_TRUE(names_match(between.substr(0, dash), items(stations[after - 1])[17]));
    EXPECT_TRUE(names_match(between.substr(dash + 1), items(stations[after])[17]));
  }
}

}  // namespace
}  // namespace scenario
