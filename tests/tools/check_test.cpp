#include "tools/check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "compiler/check_mode.h"
#include "compiler/check_rules.h"
#include "model/error_code.h"
#include "scenario_version.h"
#include "tool_test_support.h"
#include "tools/check_lint.h"
#include "tools/compile_report.h"

namespace scenario::tools {
namespace {

using testing::run;
using testing::TempDir;
using testing::with;
using testing::write_file;
using File = SourceOrigin::File;

// A line and a train that check clean; each case changes one line.
constexpr const char* kLine =
    "[generale]\r\n"
    "lunghezza percorso,    20000\r\n"
    "progressiva chilometrica uno,    1000,    0,    0\r\n"
    "sfondo uno,    1000\r\n"
    "ripetizione segnali 4 codici,    1000,    15000\r\n"
    "[curve]\r\n"
    "curvas4,  950,  550\r\n"
    "[pendenze]\r\n"
    "pendenza,   0,    0\r\n"
    "pendenza,   1350,    19\r\n"
    "[fine]\r\n";

constexpr const char* kTrain = testing::kSmallTrain;

const std::string kSignal = "segnale,   5050,   1, 4, 1,  0, 0,    1,  3,1,0, 0\r\n";

/// `n` montagna rows of an empty range: each takes a place in the table of
/// ranges and touches no cell.
std::string montagna_rows(int n) {
  std::string rows;
  for (int k = 0; k < n; ++k) rows += "montagna,   0,  0,  1\r\n";
  return rows;
}

CheckRequest request() {
  CheckRequest r;
  r.line_text_path = "line.txt";
  r.train_text_path = "train.txt";
  return r;
}

const Diagnostic* find(const std::vector<Diagnostic>& ds, std::string_view rule, File file,
                       int line) {
  for (const Diagnostic& d : ds) {
    if (d.rule == rule && d.at.file == file && d.at.line == line) return &d;
  }
  return nullptr;
}

std::string listing(const std::vector<Diagnostic>& ds) {
  std::ostringstream s;
  print_text(ds, {"line.txt", "", "train.txt", ""}, s);
  return s.str();
}

TEST(Check, CleanTextsGiveNothing) {
  const auto ds = check_texts(kLine, kTrain, request());
  EXPECT_TRUE(ds.empty()) << listing(ds);
}

TEST(Check, EachRuleFiresAtItsRow) {
  struct Case {
    const char* rule;
    std::string line, train;
    File file;
    int line_no;
    const char* in_message;
  };
  const std::string L = kLine, T = kTrain;
  const Case cases[] = {
      // Errors: the builder records a code.
      {"outside-grid", L, with(T, "segnale,   5050", "segnale,   30000"), File::kTrainDescription,
       14, "code 15"},
      {"cell-taken", L, with(T, kSignal, kSignal + kSignal), File::kTrainDescription, 15,
       "code 16"},
      {"off-step", L, with(T, "stazione,   10000", "stazione,   10025"), File::kTrainDescription,
       12, "code 8"},
      {"bad-curve", with(L, "curvas4", "curvasx"), T, File::kLineDescription, 7, "code 103"},
      {"not-whole-number", L, with(T, "velocita,   0,    80", "velocita,   0,    12.5"),
       File::kTrainDescription, 9, "write 12 or 13"},
      {"read-failure", L, with(T, "sabbia,    300", "sabbia,    40000"), File::kTrainDescription, 4,
       "outside -32768 .. 32767"},
      // A speed whose code leaves its byte fails only where it is filled in,
      // at the next speed row or the text's end; the row that gave it is
      // at fault.
      {"read-failure", L, with(T, "[stazioni]", "velocita,   800,  2000\r\n[stazioni]"),
       File::kTrainDescription, 10, "must be at most 1277 km/h; the builder reads the rest"},
      {"read-failure", L,
       with(T, "[stazioni]", "velocita,   800,  2000\r\nvelocita,   5000,  100\r\n[stazioni]"),
       File::kTrainDescription, 10, "stops reading the train description at line 11"},
      {"no-route-length", with(L, "lunghezza percorso,    20000\r\n", ""), T,
       File::kLineDescription, 1, "no route length row"},
      {"no-general-section", with(L, "[generale]", "[generael]"), T, File::kLineDescription, 11,
       "no \"[generale]\" item"},
      {"repetition-codes", with(L, "segnali 4 codici", "segnali codici"), T, File::kLineDescription,
       5, "neither 4 nor 9"},
      {"table-full", with(L, "[fine]", montagna_rows(81) + "[fine]"), T, File::kLineDescription, 91,
       "more than 80 montagna ranges"},
      {"station-gap", L, with(T, "stazione,   10000", "stazione,   600"), File::kTrainDescription,
       12, "less than 350 m after the previous station's area ends (350 m)"},
      {"station-too-near-start", L,
       with(T, "stazione,       0,  2,  700", "stazione,   0,  2,  100"), File::kTrainDescription,
       11, "stop marker would fall into cell 0 or 1"},
      // A speed board at metre 0 takes cell 1, whose values are reserved.
      {"reserved-slot",
       with(L, "[fine]", "indicatori_vmax,  0,  75,  80,  80,  0,  ,  ,  ,  0\r\n[fine]"), T,
       File::kLineDescription, 11, "cell 1 holds the object of this \"indicatori_vmax\" row"},
      // Errors: the builder refuses to carry the text (pack, a packed builder).
      {"not-cp1252", L, with(T, "VALDORNO", "VALD\x81RNO"), File::kTrainDescription, 11, "0x81"},
      {"control-character", L, with(T, "VALDORNO", "VALD\fORNO"), File::kTrainDescription, 11,
       "0x0C"},
      {"control-character", with(L, "[curve]\r\n", "[curve]\r"), T, File::kLineDescription, 6,
       "carriage return not followed by a line feed"},
      {"end-marker-line", L, with(T, "[segnali]", "riferimento fine del file\r\n[segnali]"),
       File::kTrainDescription, 13, "would end the text"},
      {"too-many-lines", with(L, "[fine]", std::string(1000, '\n') + "[fine]"), T,
       File::kLineDescription, 1001, "more than 1000 lines"},
      // Warnings: accepted silently by the builder.
      {"unknown-key", L, with(T, "stazione,   10000", "stazoine,   10000"), File::kTrainDescription,
       12, "did you mean \"stazione\""},
      {"unknown-key", with(L, "pendenza,   1350", "pendnza,   1350"), T, File::kLineDescription, 10,
       "did you mean \"pendenza\""},
      {"value-count", L, with(T, kSignal, "segnale,   5050,   1, 4, 1,  0, 0,    1,  3,1,0\r\n"),
       File::kTrainDescription, 14, "takes 11 values"},
      {"value-count", L, with(T, "sabbia,    300", "sabbia,    300, 5"), File::kTrainDescription, 4,
       "\"sabbia\" takes 1 value (sand); this row has 2: the builder reads the extra item as the "
       "next key"},
      {"value-count", L, with(T, "VALDORNO", "VAL, DORNO"), File::kTrainDescription, 11,
       "a name with a comma in it goes in double quotes"},
      // A station without its name swallows the next row's key silently.
      {"value-count", L, with(T, "18,20, 0, VALDORNO", "18,20, 0,"), File::kTrainDescription, 11,
       "its name becomes \"stazione\" from line 12, and the row there is lost"},
      {"curve-key", with(L, "curvas4", "curvaz4"), T, File::kLineDescription, 7,
       "read as a class 4 right-hand curve"},
      {"curve-key", with(L, "curvas4", "curvad4s"), T, File::kLineDescription, 7,
       "read as a class 4 left-hand curve"},
      {"blank-separated", L, with(T, "velocita,   0,    80", "velocita\t0\t80"),
       File::kTrainDescription, 9, "separated by tabs: the builder reads the whole row as its key"},
      {"blank-separated", L, with(T, "velocita,   0,    80", "velocita; 0; 80"),
       File::kTrainDescription, 9, "separated by semicolons"},
      {"utf-8-text", L, with(T, "VALDORNO", "VALD\xC3\x92RNO"), File::kTrainDescription, 11,
       "\"\xC3\x92\" becomes \"\xC3\x83\xE2\x80\x99\""},
      {"byte-order-mark", "\xEF\xBB\xBF" + L, T, File::kLineDescription, 1, "byte-order mark"},
      {"header-misspelt", L, with(T, "[stazioni]", "[stazoini]"), File::kTrainDescription, 10,
       "\"[stazioni]\""},
      {"no-general-header", L, with(T, "[generale]", "[generael]"), File::kTrainDescription, 1,
       "reads nothing"},
      {"no-end-header", L, with(T, "[fine]\r\n", ""), File::kTrainDescription, 14, "[fine]"},
      {"beyond-route", L, with(T, "segnale,   5050", "segnale,   22000"), File::kTrainDescription,
       14, "beyond the route length of 20000 m"},
      {"station-order", L,
       with(T, "stazione,   10000",
            "stazione,   15000,  6,  500,  1, 0, 0,  4,1,0,  2,1,1,    0,  18,40, 0, TERZA\r\n"
            "stazione,   10000"),
       File::kTrainDescription, 13, "route order"},
      {"station-time-order", L, with(T, "18,30, 0", "18,10, 0"), File::kTrainDescription, 12,
       "must not go backwards"},
      // 10000 m at 80 km/h take 450 s at least; 300 s are scheduled.
      {"schedule-too-fast", L, with(T, "18,30, 0", "18,25, 0"), File::kTrainDescription, 12,
       "no run faster than 450 s: 150 s short"},
      // Inside its type, outside its range: what the builder stores instead.
      {"value-range", with(L, "pendenza,   1350,    19", "pendenza,   1350,    -200"), T,
       File::kLineDescription, 10,
       "gradient_per_mille -200 is outside its range -100 .. 155 per "
       "mille: the builder accepts it silently, and stores it as 56 per mille"},
      {"value-range", L, with(T, "aderenza,       0,    90", "aderenza,       0,    300"),
       File::kTrainDescription, 7, "stores it as 44"},
      {"value-range", L, with(T, kSignal, "segnale,   5050,   7, 4, 1,  0, 0,    1,  3,1,0, 0\r\n"),
       File::kTrainDescription, 14, "left_type 7 is outside its range 1 .. 2"},
      {"value-range", L, with(T, "18,30, 0", "18,75, 0"), File::kTrainDescription, 12,
       "minutes 75 is outside its range 0 .. 59 min: the builder accepts it silently, and the "
       "time counts as 19:15:00"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rule);
    SCOPED_TRACE(c.in_message);
    const auto ds = check_texts(c.line, c.train, request());
    const Diagnostic* d = find(ds, c.rule, c.file, c.line_no);
    ASSERT_NE(d, nullptr) << listing(ds);
    EXPECT_NE(d->message.find(c.in_message), std::string::npos) << d->message;
    const CheckRule* rule = find_check_rule(d->rule);
    ASSERT_NE(rule, nullptr) << "rule missing from the table";
    EXPECT_EQ(d->severity, rule->severity);
    EXPECT_GE(d->at.column, 1);
  }
}

// The names are checked only when given, by the rule pack and the builder
// apply; a refused name does not stop the texts from being checked.
TEST(Check, GivenNamesFollowTheRuleOfTheBuilder) {
  CheckRequest req = request();
  req.scenario_name = "con";
  req.train_code = "KQ 3390";
  auto ds = check_texts(kLine, kTrain, req);
  ASSERT_EQ(ds.size(), 2u) << listing(ds);
  for (const Diagnostic& d : ds) {
    EXPECT_EQ(d.rule, "invalid-name");
    EXPECT_EQ(d.severity, Severity::kError);
    EXPECT_EQ(d.at.file, File::kNone);
  }
  EXPECT_NE(ds[0].message.find("scenario name \"con\": a device name that Windows reserves"),
            std::string::npos)
      << ds[0].message;
  EXPECT_NE(ds[1].message.find("train code \"KQ 3390\": character 3 (0x20)"), std::string::npos)
      << ds[1].message;

  req.scenario_name = "LORVENA";
  req.train_code = "KQ3390";
  ds = check_texts(kLine, kTrain, req);
  EXPECT_TRUE(ds.empty()) << listing(ds);
  // One diagnostic for a control character, an error, not a warning beside it.
  ds = check_texts(kLine, with(kTrain, "VALDORNO", "VALD\x07ORNO"), req);
  ASSERT_EQ(ds.size(), 1u) << listing(ds);
  EXPECT_EQ(ds[0].rule, "control-character");
  EXPECT_EQ(ds[0].severity, Severity::kError);
  EXPECT_EQ(ds[0].at.line, 11);
  EXPECT_EQ(ds[0].at.column, 77);
}

// A row short of a value: the reader borrows "[fine]" as the last value and
// fails there; in check mode it fails at the short row itself.
TEST(Check, ShortRowFailsAtItsOwnRow) {
  const auto ds = check_texts(
      kLine, with(kTrain, kSignal, "segnale,   5050,   1, 4, 1,  0, 0,    1,  3,1,0\r\n"),
      request());
  EXPECT_NE(find(ds, "read-failure", File::kTrainDescription, 14), nullptr) << listing(ds);
  EXPECT_EQ(find(ds, "read-failure", File::kTrainDescription, 15), nullptr) << listing(ds);
}

TEST(Check, IndependentProblemsAreAllReported) {
  const auto ds = check_texts(with(kLine, "pendenza,   1350", "pendnza,   1350"),
                              with(with(kTrain, "velocita,   0,    80", "velocita,   0,    8.5"),
                                   "sabbia,    300", "sabbia,    300, 1"),
                              request());
  EXPECT_NE(find(ds, "unknown-key", File::kLineDescription, 10), nullptr) << listing(ds);
  EXPECT_NE(find(ds, "not-whole-number", File::kTrainDescription, 9), nullptr) << listing(ds);
  EXPECT_NE(find(ds, "value-count", File::kTrainDescription, 4), nullptr) << listing(ds);
}

TEST(Check, TwoReaderErrorsInOneTextAreBothReported) {
  const std::string train = with(with(kTrain, "stazione,   10000", "stazione,   10025"),
                                 "segnale,   5050", "segnale,   30000");
  const auto ds = check_texts(kLine, train, request());
  EXPECT_NE(find(ds, "off-step", File::kTrainDescription, 12), nullptr) << listing(ds);
  EXPECT_NE(find(ds, "outside-grid", File::kTrainDescription, 14), nullptr) << listing(ds);
}

TEST(Check, TextFormReadsLikeACompiler) {
  TempDir dir;
  const std::string line = dir / "line.txt", train = dir / "train.txt";
  write_file(line, kLine);
  write_file(train, with(kTrain, "stazione,   10000", "stazoine,   10000"));
  const auto r = run({"check", line, train});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            train +
                ":12:1: warning: unknown key word \"stazoine\": the builder ignores this row; "
                "did you mean \"stazione\"? [unknown-key]\n"
                "stazoine,   10000,  6,  500,  1, 0, 0,  4,1,0,  2,1,1,    0,  18,30, 0, FINE\n"
                "^~~~~~~~\n"
                "0 errors and 1 warning\n");
}

TEST(Check, NotesPointAtTheOtherRow) {
  struct Case {
    std::string line, train;
    const char* rule;
    File file;
    int line_no;
    /// The note as printed, with its place.
    const char* note;
  };
  const File L = File::kLineDescription, T = File::kTrainDescription;
  const Case cases[] = {
      {kLine, with(kTrain, "18,30, 0", "18,10, 0"), "station-time-order", T, 12,
       "t:11:1: note: the previous station with a time, \"VALDORNO\", is here"},
      {kLine, with(kTrain, "stazione,   10000", "stazione,   600"), "station-gap", T, 12,
       "t:11:1: note: the previous station, \"VALDORNO\", whose area ends at 350 m"},
      // Where the lint tells a failed read, the builder still stops there.
      {kLine, with(kTrain, "velocita,   0,    80", "velocita,   0,    12.5"), "not-whole-number", T,
       9, "t:9:19: note: the builder stops reading the train description at this row"},
      {with(kLine, "pendenza,   1350,    19", "pendenza,   1350,    1.9"), kTrain,
       "not-whole-number", L, 10,
       "l:10:22: note: the builder stops at this row and skips the train description entirely"},
      {kLine,
       with(kTrain, "[stazioni]", "velocita,   800,  2000\r\nvelocita,   5000,  100\r\n[stazioni]"),
       "read-failure", T, 10,
       "t:11:1: note: the builder stops reading the train description at this row, filling the "
       "cells with the speed of line 10"},
      // The speed boards after the line description's stop are check's
      // reading only: the builder places the signal there.
      {with(kLine, "[fine]",
            "pendenza,   99999,    5\r\nindicatori_vmax,  5050,  1,  1,  1,  0,  ,  ,  ,  0\r\n"
            "[fine]"),
       kTrain, "cell-taken", T, 14,
       "l:11:13: note: the builder stops reading at this row and never places that speed "
       "indicator board; it is placed only once this error is mended"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.note);
    const auto ds = check_texts(c.line, c.train, request());
    const Diagnostic* d = find(ds, c.rule, c.file, c.line_no);
    ASSERT_NE(d, nullptr) << listing(ds);
    std::ostringstream s;
    print_diagnostic(*d, {"l", c.line, "t", c.train}, s);
    EXPECT_NE(s.str().find(std::string("\n") + c.note + "\n"), std::string::npos) << s.str();
  }
}

// A failed speed row leaves the speeds the builder reads unknown: the
// schedule is not judged on the speeds the lint can still read.
TEST(Check, ScheduleWaitsForFaultlessSpeedRows) {
  // 10000 m in 240 s: too fast at 80 km/h, not at 160 km/h.
  const std::string train = with(with(kTrain, "18,30, 0", "18,24, 0"), "[stazioni]",
                                 "velocita,   0,    160\r\n[stazioni]");
  EXPECT_EQ(
      find(check_texts(kLine, train, request()), "schedule-too-fast", File::kTrainDescription, 13),
      nullptr);
  for (const char* broken :
       {"velocita,   0,    160.5", "velocita\t0\t160", "velocita; 0; 160", "velocita,   0"}) {
    SCOPED_TRACE(broken);
    const auto ds = check_texts(kLine, with(train, "velocita,   0,    160", broken), request());
    EXPECT_EQ(find(ds, "schedule-too-fast", File::kTrainDescription, 13), nullptr) << listing(ds);
  }
}

TEST(Check, JsonCarriesEveryField) {
  TempDir dir;
  const std::string line = dir / "line.txt", train = dir / "train.txt";
  write_file(line, kLine);
  write_file(train, with(kTrain, "segnale,   5050", "segnale,   30000"));
  const auto r = run({"check", line, train, "--format", "json"});
  EXPECT_EQ(r.status, 1) << r.err;
  const auto j = nlohmann::json::parse(r.out);
  ASSERT_TRUE(j.is_array());
  ASSERT_FALSE(j.empty());
  const auto& d = j[0];
  EXPECT_EQ(d["file"], train);
  EXPECT_EQ(d["line"], 14);
  EXPECT_GE(d["column"].get<int>(), 1);
  EXPECT_GT(d["end_column"].get<int>(), d["column"].get<int>());
  EXPECT_EQ(d["severity"], "error");
  EXPECT_EQ(d["rule"], "outside-grid");
  EXPECT_EQ(d["code"], 15);
  EXPECT_EQ(d["position_m"], 30000);
  EXPECT_TRUE(d["message"].is_string());
  EXPECT_TRUE(d["notes"].is_array());
}

TEST(Check, SarifHasTheFieldsCodeScanningReads) {
  TempDir dir;
  const std::string line = dir / "line.txt", train = dir / "train.txt";
  write_file(line, kLine);
  write_file(train, with(kTrain, "segnale,   5050", "segnale,   30000"));
  const auto r = run({"check", line, train, "--format", "sarif"});
  EXPECT_EQ(r.status, 1) << r.err;
  const auto j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["version"], "2.1.0");
  const auto& driver = j["runs"][0]["tool"]["driver"];
  EXPECT_EQ(driver["name"], "scenario_tool");
  EXPECT_EQ(driver["version"], SCENARIO_VERSION);
  EXPECT_EQ(driver["rules"].size(), check_rules().size());
  const auto& result = j["runs"][0]["results"][0];
  EXPECT_EQ(result["ruleId"], "outside-grid");
  EXPECT_EQ(driver["rules"][result["ruleIndex"].get<size_t>()]["id"], "outside-grid");
  EXPECT_EQ(result["level"], "error");
  EXPECT_TRUE(result["message"]["text"].is_string());
  const auto& loc = result["locations"][0]["physicalLocation"];
  // A SARIF location is a URI: its separators are '/' on every host.
  std::string uri = train;
  std::replace(uri.begin(), uri.end(), '\\', '/');
  EXPECT_EQ(loc["artifactLocation"]["uri"], uri);
  EXPECT_EQ(loc["region"]["startLine"], 14);
  EXPECT_GE(loc["region"]["startColumn"].get<int>(), 1);
}

TEST(Check, ExitStatuses) {
  TempDir dir;
  const std::string line = dir / "line.txt", clean = dir / "clean.txt", warned = dir / "w.txt",
                    failed = dir / "e.txt";
  write_file(line, kLine);
  write_file(clean, kTrain);
  write_file(warned, with(kTrain, "stazione,   10000", "stazoine,   10000"));
  write_file(failed, with(kTrain, "segnale,   5050", "segnale,   30000"));
  struct Case {
    std::vector<std::string> args;
    int status;
  };
  const Case cases[] = {
      {{"check", line, clean}, 0},
      {{"check", line, warned}, 0},
      {{"check", line, warned, "--werror"}, 1},
      {{"check", line, failed}, 1},
      {{"check", line, clean, "--format", "yaml"}, 64},
      {{"check", line}, 64},
      {{"check", line, dir / "missing.txt"}, 66},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.back());
    const auto r = run(c.args);
    EXPECT_EQ(r.status, c.status) << r.out << r.err;
  }
}

TEST(Check, FastestRunTakesTheLowerOfLineSpeedAndSlowDown) {
  LintResult train = lint_text(File::kTrainDescription,
                               "[generale]\n"
                               "velocita, 0, 72\n"                       // 20 m/s: 2.5 s a cell
                               "velocita, 1000, 36\n"                    // 10 m/s: 5 s a cell
                               "rallentamento, 200, 18, 100, 0, 1, 0\n"  // 5 m/s over 2 cells
                               "[fine]\n");
  // Cells 0..19: 2 of them slowed to 10 s, 18 at 2.5 s; cells 20..39 at 5 s.
  EXPECT_EQ(fastest_run_s(train.rows, 0, 2000), 20 + 45 + 100);
  // Whole seconds, rounded down: one cell at 72 km/h is 2.5 s.
  EXPECT_EQ(fastest_run_s(train.rows, 0, 50), 2);
  EXPECT_EQ(fastest_run_s(train.rows, 500, 500), 0);
}

// The finishing pass meets what check mode places after the builder's stop:
// here a slow-down's end that cuts short the walk through an earlier
// slow-down, which the builder finds without room for its point (code 13).
TEST(Check, TellsTheBuildersRecordWhereItsReadingDiffers) {
  const std::string line = "[generale]\r\nlunghezza percorso, 20000\r\n[curve]\r\n[fine]\r\n";
  const std::string train =
      "[generale]\r\n"
      "rallentamento, 5000, 60, 2000, 0, 0, 0\r\n"
      // The cells 108 to 110, where the walk from cell 101 wants a point.
      "abbattimento, 5400, 0\r\nabbattimento, 5450, 0\r\nabbattimento, 5500, 0\r\n"
      "abbattimento, 5500, 0\r\n"  // code 7: the builder stops here
      "rallentamento, 4900, 60, 250, 0, 0, 0\r\n"
      "[fine]\r\n";
  const auto ds = check_texts(line, train, request());
  const auto is_13 = [](const Diagnostic& d) {
    return d.severity == Severity::kError && d.code == 13 && d.position_m == 5450;
  };
  EXPECT_TRUE(std::any_of(ds.begin(), ds.end(), is_13)) << listing(ds);
  const Diagnostic* stop = find(ds, "cell-taken", File::kTrainDescription, 6);
  ASSERT_NE(stop, nullptr) << listing(ds);
  EXPECT_TRUE(stop->notes.back().builder_stop);
}

// Where check's readers place the builder's stop elsewhere than the builder
// itself, the compile decides: its code is told at its row, with the one
// note of that text.
TEST(Check, BuildersStopNoteSitsOnTheBuildersRecord) {
  const auto at = [](File file, int line) { return SourceOrigin{file, line, 1, "x"}; };
  std::vector<Diagnostic> all(3);
  all[0].code = 15;
  all[0].at = at(File::kLineDescription, 4);
  all[0].notes = {{at(File::kLineDescription, 4), "line stop", true}};
  all[1].code = 16;
  all[1].at = at(File::kTrainDescription, 5);
  all[1].notes = {{at(File::kTrainDescription, 2), "holder"},
                  {at(File::kTrainDescription, 5), "train stop", true}};
  all[2].code = 16;
  all[2].at = at(File::kTrainDescription, 9);
  CompileReport built;
  built.error_code = 15;
  built.error_position_m = 7000;
  built.origin = at(File::kTrainDescription, 7);

  std::vector<Diagnostic> told = all;
  include_builders_record(told, built, 15);
  ASSERT_EQ(told.size(), 4u);
  EXPECT_EQ(told[0].notes.size(), 1u);  // the line description's stop stays
  ASSERT_EQ(told[1].notes.size(), 1u);
  EXPECT_EQ(told[1].notes[0].message, "holder");
  const Diagnostic& record = told[3];
  EXPECT_EQ(record.at.line, 7);
  EXPECT_EQ(record.position_m, 7000);
  ASSERT_EQ(record.notes.size(), 1u);
  EXPECT_TRUE(record.notes[0].builder_stop);
  EXPECT_EQ(record.notes[0].message, "the builder stops reading the train description at this row");

  // A record check tells already, at its row but without the note.
  built.error_code = 16;
  built.origin = at(File::kTrainDescription, 9);
  told = all;
  include_builders_record(told, built, 16);
  ASSERT_EQ(told.size(), 3u);
  EXPECT_EQ(told[1].notes.size(), 1u);
  ASSERT_EQ(told[2].notes.size(), 1u);
  EXPECT_TRUE(told[2].notes[0].builder_stop);

  // One told with its note is left as it is.
  built.origin = at(File::kTrainDescription, 5);
  told = all;
  include_builders_record(told, built, 16);
  ASSERT_EQ(told.size(), 3u);
  EXPECT_EQ(told[1].notes.size(), 2u);
}

// Every seed of the fuzz corpus: what compile records is among check's
// errors, at the line compile names and with its position; and the readers'
// check mode tells it by itself, without the compile's help.
TEST(Check, AgreesWithCompileOnTheFuzzCorpus) {
  const std::filesystem::path corpus = std::filesystem::path(SCENARIO_SOURCE_DIR) / "fuzz/corpus";
  ASSERT_TRUE(std::filesystem::is_directory(corpus)) << corpus;
  int seeds = 0;
  for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
    SCOPED_TRACE(entry.path().filename().string());
    std::ifstream in(entry.path(), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    const std::string seed = bytes.str();
    if (seed.empty()) continue;
    // Flag byte, line text, a line "=====", train text.
    const std::string body = seed.substr(1);
    std::string line_text = body, train_text;
    const size_t sep = body.find("\n=====");
    if (sep != std::string::npos) {
      line_text = body.substr(0, sep + 1);
      const size_t after = body.find('\n', sep + 1);
      train_text = after == std::string::npos ? "" : body.substr(after + 1);
    }
    CompileRequest req;
    req.line_text_path = "line.txt";
    req.train_text_path = "train.txt";
    req.scenario_name = "check";
    req.train_code = "check";
    req.out_dir = "check";
    req.write_plan = seed[0] != '0';
    MemoryFileSystem mem;
    const CompileReport compiled = compile_in_memory(line_text, train_text, req, mem);
    const auto ds = check_texts(line_text, train_text, request());
    DiagnosticList from_readers;
    CheckContext context{&from_readers, nullptr};
    MemoryFileSystem checked_mem;
    compile_in_memory(line_text, train_text, req, checked_mem, &context);
    ++seeds;
    for (const int32_t code : {compiled.error_code, compiled.fatal}) {
      if (code == 0) continue;
      // A fatal code belongs to cell 1: compile names neither text nor row.
      const bool fatal = code == compiled.fatal;
      const SourceOrigin origin = fatal ? compiled.fatal_origin : compiled.origin;
      const auto tells_it = [&](const Diagnostic& d) {
        // Where compile names no line, check may name the row it blames.
        return d.severity == Severity::kError && d.code == code &&
               (origin.file == File::kNone || d.at.file == origin.file) &&
               (origin.line == 0 || d.at.line == origin.line) &&
               (fatal || !code_has_position(code) || !d.position_m ||
                *d.position_m == compiled.error_position_m);
      };
      EXPECT_TRUE(std::any_of(ds.begin(), ds.end(), tells_it))
          << "code " << code << " at line " << origin.line << "\n"
          << listing(ds);
      // The seal's fatal code is the compile's to tell; so are the finishing
      // pass's, where that pass meets objects check mode placed after a stop.
      const ErrorCodeInfo* info = find_error_code(code);
      if (!fatal && info->position != PositionRule::kCell) {
        EXPECT_TRUE(std::any_of(from_readers.items.begin(), from_readers.items.end(), tells_it))
            << "the readers' check mode does not tell code " << code << " at line " << origin.line;
      }
    }
    for (const Diagnostic& d : ds) {
      const std::string& text = d.at.file == File::kLineDescription ? line_text : train_text;
      const auto lines = std::count(text.begin(), text.end(), '\n') + 1;
      EXPECT_LE(d.at.line, lines) << d.message;
    }
  }
  EXPECT_GT(seeds, 20);
}

}  // namespace
}  // namespace scenario::tools
