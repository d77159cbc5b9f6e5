#include "compiler/check_mode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "compiler/check_rules.h"
#include "model/build_state.h"
#include "output/compile_stage.h"
#include "platform/memory_file_system.h"

namespace scenario {
namespace {

using File = SourceOrigin::File;

const std::string kSignal = ", 2, 4, 1, 0, 0, 0, 0, 0, 0, 230";

std::string line_text(const std::string& general, const std::string& features) {
  return "[generale]\r\n" + general + "[curve]\r\n" + features + "[fine]\r\n";
}
const std::string kRoute = "lunghezza percorso, 20000\r\n";

std::string station(int position, int kind, int length) {
  return "stazione, " + std::to_string(position) + ", " + std::to_string(kind) + ", " +
         std::to_string(length) + ", 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, S\r\n";
}

/// `n` text boards from 3000 m on, 100 m apart.
std::string text_boards(int n) {
  std::string rows;
  for (int k = 0; k < n; ++k) {
    rows += "cartello_indicatore, " + std::to_string(3000 + 100 * k) + ", B\r\n";
  }
  return rows;
}

/// A feature beyond the grid: the builder stops reading the line
/// description at this row (line 4 of line_text) with code 15.
const std::string kLineStop = "pendenza, 99999, 5\r\n";

struct Outcome {
  BuildState st;
  DiagnosticList diagnostics;
  std::vector<LoggedRow> rows;
};

/// Compiles both texts as the builder does, or in check mode; without a
/// line text there is no line description on disk.
void compile(Outcome& out, const std::optional<std::string>& line, const std::string& train,
             bool check) {
  MemoryFileSystem fs;
  if (line) fs.put("L", *line);
  fs.put("T", train);
  ScenarioFiles files;
  files.line_description = "L";
  files.train_description = "T";
  files.line_plan = "P";
  files.train_file = "S";
  files.cell_grid = "G";
  CheckContext context{&out.diagnostics, &out.rows};
  out.st.scenario_name = "S";
  out.st.train_code = "T";
  memorizza_percorso(out.st, fs, files, 1, check ? &context : nullptr);
}

/// What one diagnostic is expected to say.
struct Expected {
  const char* rule;
  int32_t code;
  File file;
  int line;
  std::optional<int32_t> position_m;
  /// Line of the first note (0: no note expected).
  int note_line = 0;
};

struct Fixture {
  const char* what;
  std::optional<std::string> line;
  std::string train;
  std::vector<Expected> errors;
};

std::vector<Fixture> fixtures() {
  // Speed boards in cell 21, which only check mode places.
  const std::string board_after_stop =
      line_text(kRoute, kLineStop + "indicatori_vmax, 1000, 1, 1, 1, 0, , , , 0\r\n");
  return {
      {"two independent problems in one text",
       line_text(kRoute, ""),
       "[generale]\r\nabbattimento, 1050, 0\r\nsegnale, 1000" + kSignal + "\r\n" +
           station(1025, 2, 100) + "[fine]\r\n",
       {{"cell-taken", 16, File::kTrainDescription, 3, 1000, 2},
        {"off-step", 8, File::kTrainDescription, 4, 1025}}},
      {"a problem in each text",
       line_text(kRoute,
                 "indicatori_vmax, 1000, 1, 1, 1, 0, , , , 0\r\n"
                 "indicatori_vmax, 1000, 2, 2, 2, 0, , , , 0\r\n"),
       "[generale]\r\nsegnale, 300" + kSignal + "\r\n[fine]\r\n",
       {{"cell-taken", 21, File::kLineDescription, 5, 1000, 4},
        {"outside-grid", 15, File::kTrainDescription, 2, 300}}},
      {"a collision after earlier errors is still found",
       line_text(kRoute, ""),
       "[generale]\r\nsegnale, 300" + kSignal + "\r\nvelocita, 1.5, 3\r\n" +
           "abbattimento, 1050, 0\r\nsegnale, 1000" + kSignal + "\r\n[fine]\r\n",
       {{"outside-grid", 15, File::kTrainDescription, 2, 300},
        {"read-failure", 25, File::kTrainDescription, 3, std::nullopt},
        {"cell-taken", 16, File::kTrainDescription, 5, 1000, 4}}},
      {"a row short of a value is reported at its own line",
       line_text(kRoute, ""),
       "[generale]\r\nvelocita, 0\r\nsegnale, 1000" + kSignal + "\r\n[fine]\r\n",
       {{"read-failure", 25, File::kTrainDescription, 2, std::nullopt}}},
      {"a line code 15 stops the builder's train text at its first signal",
       line_text(kRoute, "pendenza, 99999, 5\r\n"),
       "[generale]\r\nvelocita, 0, 100\r\nsegnale, 1000" + kSignal + "\r\n[fine]\r\n",
       {{"outside-grid", 15, File::kLineDescription, 4, 99999, 4},
        {"stopped-by-earlier-code", 15, File::kTrainDescription, 3, 1000, 4}}},
      {"a refused route length still checks the rest on the longest grid",
       line_text("lunghezza percorso, 2000000\r\n", ""),
       "[generale]\r\nabbattimento, 1050, 0\r\nsegnale, 1000" + kSignal + "\r\n[fine]\r\n",
       {{"route-length", 1, File::kLineDescription, 2, std::nullopt, 2},
        {"cell-taken", 16, File::kTrainDescription, 3, 1000, 2}}},
      {"no line description",
       std::nullopt,
       "[generale]\r\n[fine]\r\n",
       {{"no-line-description", 101, File::kLineDescription, 0, std::nullopt}}},
      // A speed code that leaves its byte fails where it is filled in: at the
      // next speed row, where the builder stops, and at the text's end.
      {"speeds out of the byte range are blamed on their own rows",
       line_text(kRoute, ""),
       "[generale]\r\nvelocita, 0, 2000\r\nvelocita, 5000, 80\r\nvelocita, 8000, -10\r\n"
       "[fine]\r\n",
       {{"read-failure", 25, File::kTrainDescription, 2, std::nullopt, 3},
        {"read-failure", 25, File::kTrainDescription, 4, std::nullopt}}},
      // Check mode reads on after the builder's stop; what it places there
      // the builder never meets. A collision with it is told with the code
      // it gets once the earlier error is mended, but it is no stop: the
      // builder places the abbattimento point and stops at the signal.
      {"an object placed after the line description's stop",
       board_after_stop,
       "[generale]\r\nabbattimento, 1050, 0\r\nsegnale, 2000" + kSignal + "\r\n[fine]\r\n",
       {{"outside-grid", 15, File::kLineDescription, 4, 99999, 4},
        {"cell-taken", 7, File::kTrainDescription, 2, 1050, 5},
        {"stopped-by-earlier-code", 15, File::kTrainDescription, 3, 2000, 4}}},
      // The same for a signal: taken only in check's reading, and the row
      // where the builder stops.
      {"a signal on an object placed after the line description's stop",
       board_after_stop,
       "[generale]\r\nsegnale, 1000" + kSignal + "\r\n[fine]\r\n",
       {{"outside-grid", 15, File::kLineDescription, 4, 99999, 4},
        {"cell-taken", 16, File::kTrainDescription, 2, 1000, 5},
        {"stopped-by-earlier-code", 15, File::kTrainDescription, 2, 1000, 4}}},
      // 76 boards after the stop leave room for 2 stations once they are
      // placed; the builder, without them, stores all three.
      {"text boards placed after the line description's stop",
       line_text(kRoute, kLineStop + text_boards(76)),
       "[generale]\r\n" + station(1000, 2, 100) + station(2000, 2, 100) + station(15000, 2, 100) +
           "segnale, 16000" + kSignal + "\r\n[fine]\r\n",
       {{"outside-grid", 15, File::kLineDescription, 4, 99999, 4},
        {"table-full", 10, File::kTrainDescription, 4, std::nullopt, 4},
        {"stopped-by-earlier-code", 15, File::kTrainDescription, 5, 16000, 4}}},
      // A stop for the end stage: the builder fills the last cells with the
      // speed that runs there and fails on it, whatever rows follow.
      {"the builder's end stage runs where it stops",
       line_text(kRoute, ""),
       "[generale]\r\nvelocita, 0, 2000\r\nsegnale, 99999" + kSignal +
           "\r\nvelocita, 0, 80\r\n[fine]\r\n",
       {{"outside-grid", 15, File::kTrainDescription, 3, 99999, 3},
        {"read-failure", 25, File::kTrainDescription, 2, std::nullopt}}},
      // ... and tests the progressives there, told once.
      {"the end stage's progressives are told once",
       line_text(kRoute + "progressiva chilometrica uno, 1025, 0, 0\r\n", ""),
       "[generale]\r\nsegnale, 99999" + kSignal + "\r\n[fine]\r\n",
       {{"outside-grid", 15, File::kTrainDescription, 2, 99999, 2},
        {"off-step", 2, File::kLineDescription, 0, std::nullopt}}},
      {"every code of the finishing pass, not only the last",
       line_text(kRoute, ""),
       "[generale]\r\nabbattimento, 4800, 0\r\nabbattimento, 4750, 0\r\nabbattimento, 4700, 0\r\n"
       "rallentamento, 5000, 60, 100, 0, 0, 0\r\n"
       "abbattimento, 9800, 0\r\nabbattimento, 9750, 0\r\nabbattimento, 9700, 0\r\n"
       "rallentamento, 10000, 60, 100, 0, 0, 0\r\n[fine]\r\n",
       {{"no-room-for-point", 12, File::kTrainDescription, 5, 5050},
        {"no-room-for-point", 12, File::kTrainDescription, 9, 10050}}},
  };
}

TEST(CheckMode, ReportsEveryProblemAndRecoversAtTheNextRow) {
  for (const Fixture& f : fixtures()) {
    SCOPED_TRACE(f.what);
    Outcome out;
    compile(out, f.line, f.train, true);
    const std::vector<Diagnostic>& got = out.diagnostics.items;
    ASSERT_EQ(got.size(), f.errors.size());
    for (size_t k = 0; k < got.size(); ++k) {
      SCOPED_TRACE(got[k].message);
      const Expected& e = f.errors[k];
      EXPECT_EQ(got[k].severity, Severity::kError);
      EXPECT_EQ(got[k].rule, e.rule);
      EXPECT_NE(find_check_rule(got[k].rule), nullptr);
      EXPECT_EQ(got[k].code, e.code);
      EXPECT_EQ(got[k].at.file, e.file);
      EXPECT_EQ(got[k].at.line, e.line);
      EXPECT_EQ(got[k].position_m, e.position_m);
      EXPECT_EQ(got[k].message.rfind("code " + std::to_string(e.code) + ": ", 0), 0u);
      if (e.note_line != 0) {
        ASSERT_FALSE(got[k].notes.empty());
        EXPECT_EQ(got[k].notes[0].at.line, e.note_line);
      }
    }
  }
}

// The code, position and line the builder records are among check's
// errors: the two never disagree about where a problem is.
TEST(CheckMode, AgreesWithTheBuildersRecordedCode) {
  for (const Fixture& f : fixtures()) {
    SCOPED_TRACE(f.what);
    Outcome built;
    compile(built, f.line, f.train, false);
    ASSERT_NE(built.st.error_code, 0);
    Outcome checked;
    compile(checked, f.line, f.train, true);
    // The finishing pass's codes name no line in the builder.
    const SourceOrigin& origin = built.st.error_origin;
    const auto agrees = [&](const Diagnostic& d) {
      return d.code == built.st.error_code &&
             (origin.line == 0 || (d.at.file == origin.file && d.at.line == origin.line)) &&
             (!d.position_m || *d.position_m == built.st.error_position_m);
    };
    EXPECT_TRUE(
        std::any_of(checked.diagnostics.items.begin(), checked.diagnostics.items.end(), agrees))
        << "code " << built.st.error_code << " at line " << built.st.error_origin.line;
  }
}

TEST(CheckMode, TakenCellNamesTheObjectThatHoldsIt) {
  Outcome out;
  compile(out, line_text(kRoute, ""),
          "[generale]\r\nabbattimento, 1050, 0\r\nsegnale, 1000" + kSignal + "\r\n[fine]\r\n",
          true);
  ASSERT_EQ(out.diagnostics.items.size(), 1u);
  const Diagnostic& d = out.diagnostics.items[0];
  EXPECT_EQ(d.message, "code 16: the signal's cell 21 (1000 m) is already taken; move the signal");
  ASSERT_GE(d.notes.size(), 1u);
  EXPECT_EQ(d.notes[0].at.file, File::kTrainDescription);
  EXPECT_EQ(d.notes[0].at.line, 2);
  EXPECT_EQ(d.notes[0].message,
            "cell 21 holds the abbattimento point of this \"abbattimento\" row");
  // The builder would stop here: said once, on the first code.
  ASSERT_EQ(d.notes.size(), 2u);
  EXPECT_EQ(d.notes[1].at.line, 3);
}

// Where the builder stops is told once per text, on its first code; a line
// code that makes it skip the train description says so, and the train
// description's own codes then carry no such note: the object they meet
// is one the builder never places.
TEST(CheckMode, FirstCodeTellsWhereTheBuilderStops) {
  struct Row {
    const char* what;
    std::string line;
    const char* line_note;
  };
  const Row rows[] = {
      {"text board on a taken cell",
       line_text(kRoute,
                 "indicatori_vmax, 1000, 1, 1, 1, 0, , , , 0\r\n"
                 "cartello_indicatore, 1010, X\r\n"),
       "the builder stops at this row and skips the train description entirely"},
      {"no route length", line_text("sfondo uno, 1\r\n", ""),
       "the builder stops at this row and skips the train description entirely"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    Outcome out;
    compile(out, r.line,
            "[generale]\r\nabbattimento, 2050, 0\r\nsegnale, 2000" + kSignal + "\r\n[fine]\r\n",
            true);
    ASSERT_EQ(out.diagnostics.items.size(), 2u);
    const Diagnostic& line = out.diagnostics.items[0];
    EXPECT_EQ(line.at.file, File::kLineDescription);
    ASSERT_FALSE(line.notes.empty());
    EXPECT_EQ(line.notes.back().message, r.line_note);
    const Diagnostic& train = out.diagnostics.items[1];
    EXPECT_EQ(train.code, 16);
    ASSERT_EQ(train.notes.size(), 2u);
    EXPECT_FALSE(train.notes[0].builder_stop || train.notes[1].builder_stop);
    EXPECT_EQ(train.notes[1].at.file, File::kLineDescription);
    EXPECT_EQ(train.notes[1].at.line, line.at.line);
    EXPECT_NE(train.notes[1].message.find("never places that abbattimento point"),
              std::string::npos);
  }
}

TEST(CheckMode, LogsEveryInterpretedRowWithItsItemsAndCell) {
  Outcome out;
  compile(out, line_text(kRoute, "pendenza, 0, 3\r\n"),
          "[generale]\r\nvelocita, 0, 100\r\nsegnale, 1000" + kSignal + "\r\n[fine]\r\n", true);
  EXPECT_TRUE(out.diagnostics.items.empty());
  ASSERT_EQ(out.rows.size(), 4u);
  EXPECT_EQ(out.rows[0].kind, RowId::kRouteLength);
  EXPECT_EQ(out.rows[0].items, std::vector<std::string>{"20000"});
  EXPECT_EQ(out.rows[1].kind, RowId::kGradient);
  EXPECT_EQ(out.rows[1].at.line, 4);
  EXPECT_EQ(out.rows[2].kind, RowId::kSpeedLimit);
  EXPECT_EQ(out.rows[2].cell, -1);
  const LoggedRow& signal = out.rows[3];
  EXPECT_EQ(signal.kind, RowId::kSignal);
  EXPECT_EQ(signal.at.file, File::kTrainDescription);
  EXPECT_EQ(signal.at.line, 3);
  EXPECT_EQ(signal.at.item, "segnale");
  EXPECT_EQ(signal.items.size(), 11u);
  EXPECT_EQ(signal.items[0], "1000");
  EXPECT_EQ(signal.cell, 21);
}

// Without a context nothing of check mode happens: the builder's outcome of
// the same texts stays its own (first code stops the text).
TEST(CheckMode, BuilderStillStopsAtTheFirstCode) {
  Outcome out;
  compile(out, line_text(kRoute, ""),
          "[generale]\r\nabbattimento, 1050, 0\r\nsegnale, 1000" + kSignal + "\r\n" +
              station(1025, 2, 100) + "[fine]\r\n",
          false);
  EXPECT_EQ(out.st.error_code, 16);
  EXPECT_EQ(out.st.error_position_m, 1000);
  EXPECT_EQ(out.st.stations[1].position_m, 0);
}

}  // namespace
}  // namespace scenario
