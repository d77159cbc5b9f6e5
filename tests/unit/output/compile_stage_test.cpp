#include "output/compile_stage.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/memory_file_system.h"
#include "sources/scenario_data.h"
#include "sources/text_writer.h"
#include "unit/output/byte_literals.h"

namespace scenario {
namespace {

using testing::bytes;

// The carried scenario's two source texts written into memory, as the build
// run leaves them before compiling.
class CompileStageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const ScenarioData& data = carried_scenario();
    st.scenario_name = data.scenario_name;
    st.train_code = data.train_code;
    files = scenario_files("D:\\sim", '\\', st.scenario_name, st.train_code);
    write_text_file(fs, files.line_description, data.line_description);
    write_text_file(fs, files.train_description, data.train_description);
  }

  BuildState st;
  MemoryFileSystem fs;
  ScenarioFiles files;
};

TEST_F(CompileStageTest, CarriedScenarioCompilesIntoThreeSealedFiles) {
  const CompileResult result = memorizza_percorso(st, fs, files, 1);

  EXPECT_EQ(result.fatal_code, 0);
  EXPECT_EQ(st.error_code, 0);
  EXPECT_FALSE(fs.has(files.line_description));
  EXPECT_FALSE(fs.has(files.train_description));
  EXPECT_EQ(result.files_written,
            (std::vector<std::string>{files.line_plan, files.train_file, files.cell_grid}));

  // 152000 m of route plus the margin: cells 0 .. 3180.
  const std::string& grid = fs.files().at(files.cell_grid);
  ASSERT_EQ(grid.size(), 47715u);
  EXPECT_EQ(grid.substr(16, 4), bytes({0x01, 0x14, 0x4C, 0x09}));  // 5121, 2380

  // G = 159000: per half two integers, 158997 reals, two empties.
  const std::string& plan = fs.files().at(files.line_plan);
  EXPECT_EQ(plan.size(), 2u * (2 * 4 + 158997 * 10 + 2 * 2));
  EXPECT_EQ(plan.substr(0, 10),
            bytes({0x02, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x05, 0x00}));

  EXPECT_EQ(st.stations[kScenarioSlot].group_a1, 610);
  EXPECT_EQ(st.stations[kScenarioSlot].time_s, 32158);
  size_t names = 0;
  for (const StationRecord& r : st.stations) names += r.name.size();
  EXPECT_EQ(fs.files().at(files.train_file).size(), 87u * 34 + names);
}

TEST_F(CompileStageTest, SpeedBoardAtMetreZeroIsFatalAndWritesNoFile) {
  // The board claims cell 1, whose first value is reserved for the marker.
  std::vector<std::string_view> lines(carried_scenario().line_description.begin(),
                                      carried_scenario().line_description.end());
  for (auto it = lines.begin(); it != lines.end(); ++it) {
    if (*it == "[cartelli]") {
      lines.insert(it + 1, "indicatori_vmax,  0,  75,  80,  80,  0,  ,  ,  ,  0");
      break;
    }
  }
  write_text_file(fs, files.line_description, lines);

  const CompileResult result = memorizza_percorso(st, fs, files, 1);
  EXPECT_EQ(result.fatal_code, 1250);
  EXPECT_TRUE(result.files_written.empty());
  EXPECT_FALSE(fs.has(files.line_plan));
  EXPECT_FALSE(fs.has(files.train_file));
  EXPECT_FALSE(fs.has(files.cell_grid));
}

TEST_F(CompileStageTest, WithoutThePlanFlagAnOlderPlanFileIsLeftAsItWas) {
  fs.put(files.line_plan, "older plan");
  fs.put(files.cell_grid, "older grid");

  const CompileResult result = memorizza_percorso(st, fs, files, 0);
  EXPECT_EQ(result.fatal_code, 0);
  EXPECT_EQ(result.files_written, (std::vector<std::string>{files.train_file, files.cell_grid}));
  EXPECT_EQ(fs.files().at(files.line_plan), "older plan");
  EXPECT_EQ(fs.files().at(files.cell_grid).size(), 47715u);
}

TEST_F(CompileStageTest, MissingLineTextRecordsCode101AndWritesNoBinaryFile) {
  fs.remove_file(files.line_description);

  const CompileResult result = memorizza_percorso(st, fs, files, 1);
  EXPECT_EQ(st.error_code, 101);
  EXPECT_EQ(result.fatal_code, 0);
  EXPECT_TRUE(result.files_written.empty());
  EXPECT_FALSE(fs.has(files.line_plan));
  EXPECT_FALSE(fs.has(files.train_file));
  EXPECT_FALSE(fs.has(files.cell_grid));
}

}  // namespace
}  // namespace scenario
