#include <gtest/gtest.h>

#include <cstdint>
#include <regex>
#include <string>
#include <vector>

#include "compiler/memorizza_dati.h"
#include "lorvena/lorvena.h"
#include "model/build_state.h"
#include "platform/memory_file_system.h"
#include "sources/text_writer.h"
#include "unit/sources/written_text.h"

namespace scenario {
namespace {

class LineDescription : public testing::Test {
 protected:
  std::vector<std::string> lines = written_lines(lorvena::line_description());
};

TEST_F(LineDescription, SectionsInOrderWithTheirRowCounts) {
  ASSERT_EQ(lines.size(), 126u);
  expect_sections(lines, {{"[generale]", 8},
                          {"[curve]", 52},
                          {"[pendenze]", 19},
                          {"[montagne]", 11},
                          {"[cartelli]", 28},
                          {"[indicazioni]", 1},
                          {"[fine]", 0}});
}

// The reader ignores a key it does not know, so a general row with a
// misspelt key or a value in the wrong place would vanish silently: each row
// must reach the slot the reader keeps it in. (The progressives are reordered
// on the way; their own test covers that.)
TEST_F(LineDescription, EveryGeneralRowReachesTheModel) {
  MemoryFileSystem fs;
  fs.put("line.txt", text_file_bytes(lorvena::line_description()));
  fs.put("train.txt", "[generale]\r\n[fine]\r\n");
  BuildState st;
  memorizza_dati(st, fs, "line.txt", "train.txt");
  ASSERT_EQ(st.error_code, 0);
  ASSERT_TRUE(st.grid.exists());

  const StationRecord& train_values = st.stations[kTrainValuesSlot];
  const StationRecord& background = st.stations[kScenarioSlot];
  const StationRecord& repetition = st.stations[kTrainSlot];
  size_t checked = 0;
  for (const std::string& row : section_rows(lines, "[generale]")) {
    SCOPED_TRACE(row);
    const std::vector<std::string> it = items(row);
    ASSERT_GE(it.size(), 2u);
    const int32_t first = static_cast<int32_t>(std::stol(it[1]));
    if (it[0] == "lunghezza percorso") {
      EXPECT_EQ(train_values.area_end_m, first);
    } else if (it[0] == "sfondo uno") {
      EXPECT_EQ(background.area_start_m, first);
    } else if (it[0] == "sfondo due") {
      EXPECT_EQ(background.position_m, first);
    } else if (it[0] == "sfondo tre") {
      EXPECT_EQ(background.area_end_m, first);
    } else if (it[0].starts_with("ripetizione segnali")) {
      ASSERT_EQ(it.size(), 3u);
      EXPECT_EQ(repetition.area_start_m, first);
      EXPECT_EQ(repetition.area_end_m, std::stol(it[2]));
      EXPECT_EQ(repetition.position_m, it[0].find('4') != std::string::npos ? 4 : 9);
    } else {
      EXPECT_TRUE(it[0].starts_with("progressiva chilometrica")) << "unknown general row";
      continue;
    }
    ++checked;
  }
  EXPECT_EQ(checked, 5u);
}

// Each row of a section has the section's blanks exactly and its position
// (the first number) grows from row to row.
TEST_F(LineDescription, RowsKeepTheirBlanksAndIncreasingPositions) {
  struct Case {
    const char* section;
    const char* pattern;
  };
  const Case cases[] = {
      {"[curve]", R"(curva[sd][1-6],  (\d+),  \d+)"},
      {"[pendenze]", R"(pendenza,  (\d+),   \d+)"},
      {"[montagne]", R"(montagna,   (\d+),  \d+,  \d+)"},
      {"[cartelli]", R"(indicatori_vmax,  (\d+),  \d+,  \d+,  \d+,  [012],  ,  ,  ,  0)"},
      {"[indicazioni]", R"(cartello_indicatore,  (\d+),   \([A-Z]+ [A-Z]+\))"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.section);
    const std::regex pattern(c.pattern);
    std::vector<std::string> rows = section_rows(lines, c.section);
    // The first gradient row is lined up differently and is checked whole.
    if (std::string(c.section) == "[pendenze]") {
      ASSERT_FALSE(rows.empty());
      EXPECT_EQ(rows.front(), "pendenza,   0,    0");
      rows.erase(rows.begin());
    }
    long previous = -1;
    for (const std::string& row : rows) {
      std::smatch m;
      ASSERT_TRUE(std::regex_match(row, m, pattern)) << row;
      const long position = std::stol(m[1]);
      EXPECT_GT(position, previous) << row;
      previous = position;
    }
  }
}

TEST_F(LineDescription, TellingRows) {
  const std::vector<std::string> curves = section_rows(lines, "[curve]");
  ASSERT_EQ(curves.size(), 52u);
  EXPECT_EQ(curves[0], "curvas4,  950,  550");
  EXPECT_EQ(curves[1], "curvad2,  2250,  550");
  EXPECT_EQ(curves[51], "curvad6,  145450,  300");
  size_t left = 0;
  for (const std::string& row : curves) {
    if (row[5] == 's') ++left;
    const std::vector<std::string> it = items(row);
    EXPECT_EQ(std::stol(it[1]) % 50, 0) << row;
    EXPECT_EQ(std::stol(it[2]) % 50, 0) << row;
  }
  EXPECT_EQ(left, 27u);

  EXPECT_EQ(section_rows(lines, "[pendenze]")[1], "pendenza,  1350,   19");
  EXPECT_EQ(section_rows(lines, "[montagne]")[0], "montagna,   2250,  2800,  11");
  EXPECT_EQ(section_rows(lines, "[montagne]")[10], "montagna,   141250,  141400,  2");
  EXPECT_EQ(section_rows(lines, "[cartelli]")[0],
            "indicatori_vmax,  1000,  75,  80,  80,  0,  ,  ,  ,  0");
  EXPECT_EQ(section_rows(lines, "[cartelli]")[27],
            "indicatori_vmax,  145500,  90,  90,  90,  0,  ,  ,  ,  0");
  EXPECT_EQ(items(section_rows(lines, "[indicazioni]")[0])[1], "144000");
}

// Boards with stripes announce a speed change: they come as a run of three
// with equal speeds, two striped boards and a plain one.
TEST_F(LineDescription, StripedBoardsComeInRunsOfThree) {
  const std::vector<std::string> rows = section_rows(lines, "[cartelli]");
  for (size_t i = 0; i < rows.size(); ++i) {
    const std::vector<std::string> it = items(rows[i]);
    if (it[5] == "0") continue;
    SCOPED_TRACE(rows[i]);
    ASSERT_LT(i + 2, rows.size());
    const std::vector<std::string> second = items(rows[i + 1]);
    const std::vector<std::string> third = items(rows[i + 2]);
    EXPECT_NE(second[5], "0");
    EXPECT_EQ(third[5], "0");
    for (int k = 2; k <= 4; ++k) {
      EXPECT_EQ(second[k], it[k]);
      EXPECT_EQ(third[k], it[k]);
    }
    i += 2;
  }
}

}  // namespace
}  // namespace scenario
