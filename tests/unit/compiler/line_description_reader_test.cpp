#include "compiler/line_description_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "model/run_failure.h"
#include "platform/memory_file_system.h"

namespace scenario {
namespace {

const std::string kLinePath = "C:\\giochi\\LORVENA_linea.txt";
const std::string kTrainPath = "C:\\giochi\\LORVENA_KQ3390-.txt";

// A general section for a 5000 m route: grid cells 0 .. 240, and feature
// positions up to 11900 m pass the room test.
std::string general(const std::string& body = "lunghezza percorso, 5000\r\n") {
  return "riferimento, x\r\n[generale]\r\n" + body + "[curve]\r\n";
}

class LineDescriptionReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    st.write_plan = 1;
    fs.put(kTrainPath, "train");
  }

  LineReadResult run(const std::string& text) {
    fs.put(kLinePath, text);
    return read_line_description(st, fs, kLinePath);
  }
  LineReadResult run_features(const std::string& features) {
    return run(general() + features + "[fine]\r\n");
  }

  int gradient(int cell) const { return st.grid.cells()[static_cast<size_t>(cell)].gradient_code; }
  const TrackCell& cell(int i) const { return st.grid.cells()[static_cast<size_t>(i)]; }
  const StationRecord& slot(int i) const { return st.stations[static_cast<size_t>(i)]; }

  BuildState st;
  MemoryFileSystem fs;
};

TEST_F(LineDescriptionReaderTest, MissingFileIsCode101AndNothingIsTouched) {
  const LineReadResult r = read_line_description(st, fs, kLinePath);
  EXPECT_EQ(st.error_code, 101);
  EXPECT_FALSE(r.read_train);
  EXPECT_TRUE(fs.has(kTrainPath));
  EXPECT_FALSE(st.grid.exists());
}

TEST_F(LineDescriptionReaderTest, TextWithoutGeneralHeaderIsCode102) {
  const char* rows[] = {
      "",
      "lunghezza percorso, 5000\r\n[curve]\r\n",
      // The header is the last item: nothing follows it to be read.
      "titolo\r\n[GENERALE]\r\n",
  };
  for (const char* text : rows) {
    SCOPED_TRACE(text);
    st.error_code = 0;
    const LineReadResult r = run(text);
    EXPECT_EQ(st.error_code, 102);
    EXPECT_FALSE(r.read_train);
    EXPECT_FALSE(fs.has(kLinePath));
    EXPECT_TRUE(fs.has(kTrainPath));
  }
}

TEST_F(LineDescriptionReaderTest, GeneralSectionFillsTheLineSlots) {
  const LineReadResult r =
      run("testo iniziale, \"con, virgola\"\r\n"
          "[Generale]\r\n"
          "lunghezza percorso,   150000\r\n"
          "progressiva chilometrica uno,    1000,    0,    0\r\n"
          "progressiva chilometrica due,    0,    0,    0\r\n"
          "progressiva chilometrica tre,    0,    0,    0\r\n"
          "sfondo uno,  1000\r\n"
          "sfondo due,  3000\r\n"
          "sfondo tre,  1\r\n"
          "ripetizione segnali 4 codici,    1000,    150000\r\n"
          "[curve]\r\n"
          "[fine]\r\n");
  EXPECT_EQ(st.error_code, 0);
  EXPECT_TRUE(r.read_train);
  EXPECT_EQ(r.board_limit, 80);
  EXPECT_FALSE(fs.has(kLinePath));
  EXPECT_TRUE(fs.has(kTrainPath));

  EXPECT_EQ(slot(84).area_end_m, 150000);
  EXPECT_EQ(st.grid.grid_length_m(), 157000);
  EXPECT_EQ(st.grid.grid_last_index(), 3140);
  // "uno" is ordered first.
  EXPECT_EQ(slot(81).area_start_m, 1000);
  EXPECT_EQ(slot(83).area_start_m, 0);
  // Background values as first, third, second.
  EXPECT_EQ(slot(85).area_start_m, 1000);
  EXPECT_EQ(slot(85).area_end_m, 1);
  EXPECT_EQ(slot(85).position_m, 3000);
  EXPECT_EQ(slot(86).area_start_m, 1000);
  EXPECT_EQ(slot(86).area_end_m, 150000);
  EXPECT_EQ(slot(86).position_m, 4);

  ASSERT_TRUE(st.line_plan.exists());
  EXPECT_EQ(st.line_plan.rows(), 157001u);
  EXPECT_EQ(st.line_plan.plan_index(), 156999);
  EXPECT_EQ(st.line_plan.values().y[156998].as_real(), 156998.0);
}

TEST_F(LineDescriptionReaderTest, GeneralKeyRecognition) {
  struct Row {
    const char* body;  // general section lines after the route length
    int32_t background1, background2;
    int32_t progressive;  // first number in slot 81 after ordering
    int32_t repetition;   // code in slot 86
  };
  const Row rows[] = {
      // Two key words in one item read both values, in table order.
      {"sfondo due uno, 7, 8\r\n", 7, 8, 0, 0},
      // A repeated key overwrites.
      {"sfondo uno, 7\r\nsfondo uno, 9\r\n", 9, 0, 0, 0},
      // Case counts for the progressive and background words: the values
      // are then read as keys that match nothing.
      {"progressiva chilometrica UNO, 1000, 0, 0\r\n", 0, 0, 0, 0},
      {"Progressiva chilometrica uno, 1000, 0, 0\r\n", 0, 0, 0, 0},
      {"progressiva chilometrica uno, 1000, 0, 0\r\n", 0, 0, 1000, 0},
      {"Sfondo uno, 7\r\n", 0, 0, 0, 0},
      // "4" wins over "9"; a second position of 0 means no repetition.
      {"ripetizione segnali 9 o 4, 100, 200\r\n", 0, 0, 0, 4},
      {"ripetizione segnali 9 codici, 100, 200\r\n", 0, 0, 0, 9},
      {"ripetizione segnali 9 codici, 100, 0\r\n", 0, 0, 0, 0},
      {"ripetizione segnali 4 codici, -50, 200\r\n", 0, 0, 0, 4},
      // A separator line of hyphens is passed over, and so are up to ten
      // hyphenated items in a row: the eleventh is tested as a key.
      {"----------------\r\nsfondo uno, 7\r\n", 7, 0, 0, 0},
      {"-,-,-,-,-,-,-,-,-,-,-sfondo uno, 7\r\n", 7, 0, 0, 0},
      {"-,-,-,-,-,-,-,-,-,-sfondo uno, 7\r\n", 0, 0, 0, 0},
      // A bracketed item that begins with a hyphen does not end the section.
      {"-,-,-,-,-,-,-,-,-,-,-[x]\r\nsfondo uno, 7\r\n", 7, 0, 0, 0},
      // A feature line here is ignored with its values.
      {"pendenza, 0, 30\r\n", 0, 0, 0, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.body);
    st = BuildState{};
    st.write_plan = 1;
    const LineReadResult r =
        run(general(std::string("lunghezza percorso, 5000\r\n") + row.body) + "[fine]\r\n");
    EXPECT_EQ(st.error_code, 0);
    EXPECT_TRUE(r.read_train);
    EXPECT_EQ(slot(85).area_start_m, row.background1);
    EXPECT_EQ(slot(85).position_m, row.background2);
    EXPECT_EQ(slot(81).area_start_m, row.progressive);
    EXPECT_EQ(slot(86).position_m, row.repetition);
    EXPECT_EQ(gradient(0), 100);
  }
}

TEST_F(LineDescriptionReaderTest, RouteLengthKeyIgnoresCaseAndGeneralKeysEndAtTheHeader) {
  run("[generale]\r\nLunghezza PERCORSO, 8000\r\nsfondo uno, 7\r\n[curve]\r\n"
      "sfondo due, 5\r\n[fine]\r\n");
  EXPECT_EQ(st.error_code, 0);
  EXPECT_EQ(st.grid.grid_length_m(), 15000);
  EXPECT_EQ(slot(85).area_start_m, 7);
  EXPECT_EQ(slot(85).position_m, 0);  // a general key among the features
}

TEST_F(LineDescriptionReaderTest, GradientProfile) {
  run_features("pendenza,   0,    0\r\npendenza,  1350,   19\r\npendenza,  2100,  25\r\n");
  ASSERT_EQ(st.grid.grid_last_index(), 240);
  for (int i = 0; i <= 240; ++i) {
    SCOPED_TRACE(i);
    const int expected = i <= 26 ? 100 : i <= 41 ? 119 : i <= 237 ? 125 : 0;
    ASSERT_EQ(gradient(i), expected);
  }
}

TEST_F(LineDescriptionReaderTest, GradientStartsAtTheRoundedCell) {
  struct Row {
    const char* line;
    int first_cell;  // first cell with the new gradient
  };
  const Row rows[] = {
      {"pendenza, 1375, 5\r\n", 28},  // round(27.5) = 28
      {"pendenza, 1325, 5\r\n", 26},  // round(26.5) = 26
      {"pendenza, 1349, 5\r\n", 27},
      // A second line within the same cell still writes the cell at the fill
      // index with the gradient before it: its own starts one cell later.
      {"pendenza, 1000, 3\r\npendenza, 1010, 5\r\n", 21},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    st = BuildState{};
    run_features(row.line);
    EXPECT_EQ(gradient(row.first_cell), 105);
    EXPECT_NE(gradient(row.first_cell - 1), 105);
  }
  EXPECT_EQ(gradient(19), 100);
  EXPECT_EQ(gradient(20), 103);
}

TEST_F(LineDescriptionReaderTest, GradientFillNeverRunsPastTheGrid) {
  // Each line within one cell moves the fill index on by one, here from
  // cell 238 past the last cell, 240; the completion then writes nothing.
  std::string lines;
  for (int i = 0; i < 6; ++i) lines += "pendenza, 11900, " + std::to_string(i) + "\r\n";
  const LineReadResult r = run_features(lines);
  EXPECT_EQ(st.error_code, 0);
  EXPECT_TRUE(r.read_train);
  EXPECT_EQ(gradient(237), 100);
  EXPECT_EQ(gradient(238), 100);
  EXPECT_EQ(gradient(239), 101);
  EXPECT_EQ(gradient(240), 102);
}

TEST_F(LineDescriptionReaderTest, CurveClassAndSideFromTheKey) {
  struct Row {
    const char* key;
    double x951;  // the first turned step is the curvature itself
  };
  const Row rows[] = {
      {"curvad2", 0.0002}, {"curvas4", -0.001},   {"CurvaS14", -0.0001},
      {"curva6d", 0.003},  {"curvaSd3", -0.0004}, {"curvas 5", -0.002},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.key);
    st = BuildState{};
    st.write_plan = 1;
    run_features(std::string(row.key) + ",  950,  550\r\n");
    EXPECT_EQ(st.error_code, 0);
    const PlanValues v = st.line_plan.values();
    EXPECT_NEAR(v.x[950].as_real(), 0.0, 1e-15);
    EXPECT_NEAR(v.x[951].as_real(), row.x951, 1e-15);
    EXPECT_EQ(st.line_plan.plan_index(), 11999);
  }
}

TEST_F(LineDescriptionReaderTest, CurvesAreSkippedWithoutAPlan) {
  st.write_plan = 0;
  // Without a plan even a key without a class digit is no fault; its values
  // are read as keys that match nothing.
  const LineReadResult r = run_features("curvas,  950,  550\r\npendenza, 100, 7\r\n");
  EXPECT_EQ(st.error_code, 0);
  EXPECT_TRUE(r.read_train);
  EXPECT_FALSE(st.line_plan.exists());
  EXPECT_EQ(gradient(2), 107);
}

TEST_F(LineDescriptionReaderTest, FeatureKeysAfterHyphensAndAtTheEnd) {
  struct Row {
    const char* features;
    int gradient_of_cell_100;
  };
  const Row rows[] = {
      {"-,-,-pendenza, 2000, 7\r\n", 107},  // the third hyphenated item is tested
      {"-,-pendenza, 2000, 7\r\n", 100},    // the second is passed over
      {"PENDENZA, 2000, 7\r\n", 107},       // case is ignored
      {"pendenza montagna, 2000, 7, 3000, 4000, 1\r\n", 107},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.features);
    st = BuildState{};
    run_features(row.features);
    EXPECT_EQ(st.error_code, 0);
    EXPECT_EQ(gradient(100), row.gradient_of_cell_100);
  }
  EXPECT_EQ(cell(61).montagna_type, 1);  // the second key of the item was read too

  // A file ending on a bare key leaves it uninterpreted; one ending on a
  // board's text still records the board.
  st = BuildState{};
  EXPECT_TRUE(run(general() + "pendenza, 2000, 7\r\npendenza").read_train);
  EXPECT_EQ(gradient(100), 107);
  st = BuildState{};
  EXPECT_TRUE(run(general() + "cartello_indicatore, 1000, (Valle)").read_train);
  EXPECT_EQ(slot(80).name, "(Valle)");
}

TEST_F(LineDescriptionReaderTest, TextBoardsTakeSlotsDownwardFromEighty) {
  const LineReadResult r = run(general("lunghezza percorso, 150000\r\n") +
                               "[cartelli]\r\n"
                               "cartello_indicatore, 144000, (Valle Alta)\r\n"
                               "cartello_indicatore, 2000, \"Ponte, Nord\"\r\n"
                               "[fine]\r\n");
  EXPECT_EQ(st.error_code, 0);
  EXPECT_EQ(r.board_limit, 78);
  EXPECT_EQ(cell(2881).kind, kTextBoard);
  EXPECT_EQ(cell(2881).value1, 80);
  EXPECT_EQ(slot(80).name, "(Valle Alta)");
  EXPECT_EQ(cell(41).kind, kTextBoard);
  EXPECT_EQ(cell(41).value1, 79);
  EXPECT_EQ(slot(79).name, "Ponte, Nord");
}

TEST_F(LineDescriptionReaderTest, TextBoardReplacesAMontagnaMarker) {
  // A type above 10 puts a marker into the range's first cell.
  run_features("montagna, 1000, 2000, 11\r\ncartello_indicatore, 950, (Galleria)\r\n");
  EXPECT_EQ(st.error_code, 0);
  EXPECT_EQ(cell(20).kind, kTextBoard);
  EXPECT_EQ(cell(20).value1, 80);
}

TEST_F(LineDescriptionReaderTest, EightyBoardsFillTheTableAndTheNextIsRefused) {
  std::string features;
  for (int i = 0; i < 81; ++i) {
    features += "cartello_indicatore, " + std::to_string(1000 + 100 * i) + ", T" +
                std::to_string(i) + "\r\n";
  }
  const LineReadResult r = run_features(features);
  EXPECT_EQ(st.error_code, 10);
  EXPECT_EQ(st.error_position_m, 9000);
  EXPECT_FALSE(r.read_train);
  EXPECT_FALSE(fs.has(kLinePath));
  EXPECT_EQ(slot(1).name, "T79");
  EXPECT_EQ(slot(0).name, "");
  EXPECT_EQ(cell(181).kind, kEmpty);
}

// Codes that stop the line description: where the reader records them, and
// whether the train description is still read.
TEST_F(LineDescriptionReaderTest, FailureCodes) {
  struct Row {
    std::string text;
    int32_t code;
    int32_t position;  // -1: left unchanged
    bool read_train;
  };
  const std::string pos_fill = "pendenza, 0, 0\r\n";
  const Row rows[] = {
      {general("lunghezza percorso, 1000001\r\n"), 1, -1, false},
      {general("lunghezza percorso, -1\r\n"), 1, -1, false},
      {general("lunghezza percorso, 5000\r\nripetizione segnali 4, 1025, 100\r\n"), 3, -1, false},
      {general("lunghezza percorso, 5000\r\nripetizione segnali 4, 1000, 1025\r\n"), 4, -1, false},
      {general("lunghezza percorso, 5000\r\nripetizione segnali, 1000, 100\r\n"), 5, -1, false},
      {general() + "curvas, 100, 100\r\n[fine]\r\n", 103, -1, false},
      {general("lunghezza percorso, 1000000\r\n") + "curvad1, 999000, 5000\r\n[fine]\r\n", 103, -1,
       false},
      // Position test: up to 50 * 240 - 100 = 11900 m on a 5000 m route.
      {general() + "pendenza, 11901, 5\r\n[fine]\r\n", 15, 11901, true},
      {general() + "curvad4, 11901, 5\r\n[fine]\r\n", 15, 11901, true},
      {general() + "montagna, 11901, 11950, 1\r\n[fine]\r\n", 15, 11901, true},
      {general() + "indicatori_vmax, 11901, 1, 1, 1, 0, , , , 0\r\n[fine]\r\n", 15, 11901, true},
      {general() + "cartello_indicatore, 11901, X\r\n[fine]\r\n", 15, 11901, true},
      {general() + "cartello_indicatore, -100, X\r\n[fine]\r\n", 15, -100, true},
      {general() + "indicatori_vmax, 1000, 1, 1, 1, 0, , , , 0\r\n"
                   "cartello_indicatore, 1010, X\r\n[fine]\r\n",
       6, 1010, false},
      // Codes of the cell writers: the position is the line's own.
      {general() + "cartello_indicatore, 1000, X\r\n"
                   "indicatori_vmax, 1000, 1, 1, 1, 0, , , , 0\r\n[fine]\r\n",
       21, 1000, false},
      {general() + "montagna, 1000, 50000, 1\r\n[fine]\r\n", 15, 1000, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    st = BuildState{};
    st.write_plan = 1;
    st.error_position_m = -1;
    const LineReadResult r = run(row.text);
    EXPECT_EQ(st.error_code, row.code);
    EXPECT_EQ(st.error_position_m, row.position);
    EXPECT_EQ(r.read_train, row.read_train);
    EXPECT_EQ(st.error_origin.file, SourceOrigin::File::kLineDescription);
    EXPECT_FALSE(fs.has(kLinePath));
    EXPECT_TRUE(fs.has(kTrainPath));
  }
}

TEST_F(LineDescriptionReaderTest, LongestRouteIsAccepted) {
  run(general("lunghezza percorso, 1000000\r\n") + "[fine]\r\n");
  EXPECT_EQ(st.error_code, 0);
  EXPECT_EQ(st.grid.grid_last_index(), 20140);
}

TEST_F(LineDescriptionReaderTest, PositionBeyondTheGridStillCompletesTheGradients) {
  const LineReadResult r = run_features(
      "pendenza, 0, 0\r\n"
      "pendenza, 1000, 12\r\n"
      "cartello_indicatore,\r\n  99999, (Oltre)\r\n"
      "pendenza, 2000, 30\r\n");
  EXPECT_EQ(st.error_code, 15);
  EXPECT_EQ(st.error_position_m, 99999);
  EXPECT_TRUE(r.read_train);
  EXPECT_EQ(gradient(19), 100);
  EXPECT_EQ(gradient(20), 112);
  EXPECT_EQ(gradient(237), 112);
  EXPECT_EQ(gradient(238), 0);
  EXPECT_EQ(st.line_plan.plan_index(), 11999);
  // The origin names the position item, on the line after its key.
  EXPECT_EQ(st.error_origin.line, 8);
  EXPECT_EQ(st.error_origin.column, 3);
  EXPECT_EQ(st.error_origin.item, "99999");
}

TEST_F(LineDescriptionReaderTest, ReadFailuresAreThrownForTheCaller) {
  const std::string rows[] = {
      // No route length: nothing has a size.
      "[generale]\r\nsfondo uno, 1\r\n[curve]\r\n[fine]\r\n",
      // The text ends inside a key's values.
      general() + "montagna, 1000, 2000\r\n",
      general() + "pendenza, 1.5, 2\r\n[fine]\r\n",
      general("lunghezza percorso, 3000000000\r\n"),
  };
  for (const std::string& text : rows) {
    SCOPED_TRACE(text);
    st = BuildState{};
    EXPECT_THROW(run(text), RunFailure);
  }
}

}  // namespace
}  // namespace scenario
