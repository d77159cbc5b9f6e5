#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "output/compile_stage.h"
#include "output/file_naming.h"
#include "platform/host_path.h"
#include "scenario_version.h"
#include "sources/text_writer.h"
#include "tool_test_support.h"
#include "tools/compile_report.h"

namespace scenario::tools {
namespace {

// The tool joins output names with the host's separator.
std::string sep() { return std::string(1, host_path_separator()); }

using testing::read_file;
using testing::run;
using testing::TempDir;
using testing::with;
using testing::write_file;

// A short line and train that compile without a code; the cases below
// change one line each.
constexpr const char* kLine =
    "[generale]\r\n"
    "lunghezza percorso,    20000\r\n"
    "progressiva chilometrica uno,    1000,    0,    0\r\n"
    "progressiva chilometrica due,    0,    0,    0\r\n"
    "progressiva chilometrica tre,    0,    0,    0\r\n"
    "sfondo uno,    1000\r\n"
    "sfondo due,    3000\r\n"
    "sfondo tre,    1\r\n"
    "ripetizione segnali 4 codici,    1000,    15000\r\n"
    "[curve]\r\n"
    "curvas4,  950,  550\r\n"
    "[pendenze]\r\n"
    "pendenza,   0,    0\r\n"
    "pendenza,   1350,    19\r\n"
    "[fine]\r\n";

constexpr const char* kTrain = testing::kSmallTrain;

struct Fixture {
  TempDir dir;
  std::string line_path = dir / "line.txt";
  std::string train_path = dir / "train.txt";
  std::string out = dir / "out";

  Fixture(const std::string& line, const std::string& train) {
    write_file(line_path, line);
    write_file(train_path, train);
  }
  std::vector<std::string> args(std::vector<std::string> more = {}) const {
    std::vector<std::string> a{"compile", line_path, train_path, "--scenario", "X",
                               "--train", "T",       "--out",    out};
    a.insert(a.end(), more.begin(), more.end());
    return a;
  }
};

TEST(Compile, ReaderCodesNameTheirDescriptionLineAndColumn) {
  struct Case {
    const char* what;
    std::string line, train;
    int code;
    int position_m;  // for the codes that carry one
    const char* file;
    int line_no, column;
    const char* item;
  };
  const std::string signal = "segnale,   5050,   1, 4, 1,  0, 0,    1,  3,1,0, 0\r\n";
  const Case cases[] = {
      {"curve key without a class digit", with(kLine, "curvas4", "curvasx"), kTrain, 103, 0,
       "line description", 11, 1, "curvasx"},
      {"signal repetition key without 4 or 9", with(kLine, "segnali 4 codici", "segnali codici"),
       kTrain, 5, 0, "line description", 9, 1, "ripetizione segnali codici"},
      {"signal beyond the grid", kLine, with(kTrain, "segnale,   5050", "segnale,   30000"), 15,
       30000, "train description", 14, 12, "30000"},
      {"station off the 50 m step", kLine, with(kTrain, "stazione,   10000", "stazione,   10025"),
       8, 10025, "train description", 12, 13, "10025"},
      {"station length off the 100 m step", kLine, with(kTrain, "6,  500,", "6,  550,"), 9, 10000,
       "train description", 12, 25, "550"},
      {"second signal in the same cell", kLine, with(kTrain, signal, signal + signal), 16, 5050,
       "train description", 15, 12, "5050"},
      {"abbattimento on the signal's cell", kLine,
       with(kTrain, "[fine]", "abbattimento,  5100, 60\r\n[fine]"), 7, 5100, "train description",
       15, 16, "5100"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Fixture f(c.line, c.train);
    const auto r = run(f.args({"--json"}));
    EXPECT_EQ(r.status, 1) << r.err;
    const auto j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["error_code"], c.code);
    if (code_has_position(c.code)) {
      EXPECT_EQ(j["error_position_m"], c.position_m);
    }
    EXPECT_EQ(j["fatal"], nullptr);
    EXPECT_EQ(j["file"], c.file);
    EXPECT_EQ(j["line"], c.line_no);
    EXPECT_EQ(j["column"], c.column);
    EXPECT_EQ(j["item"], c.item);
    // The build writes its files from what it has, and so does the tool.
    EXPECT_EQ(j["files"].size(), 3u);
  }
}

TEST(Compile, TextReportReadsLikeACompilerDiagnostic) {
  Fixture f(kLine, with(kTrain, "segnale,   5050", "segnale,   30000"));
  const auto r = run(f.args());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "wrote " + f.out + sep() + "X_linea.dat\n" + "wrote " + f.out + sep() +
                       "X_T.sim\n" + "wrote " + f.out + sep() + "X_T.dat\n" + f.train_path +
                       ":14:1: error: code 15: the signal at 30000 m lies beyond the grid: it "
                       "needs 100 m of grid after it, so the last position is 26900 m (the route "
                       "length plus 7000 m); move it or lengthen the route [outside-grid]\n"
                       "segnale,   30000,   1, 4, 1,  0, 0,    1,  3,1,0, 0\n"
                       "^~~~~~~\n" +
                       f.train_path +
                       ":14:12: note: the builder stops reading the train description at this "
                       "row\n");
}

// Where check knows more about the recorded code than its meaning, compile
// says it the same way, in its text and in its JSON; where the compile
// names no row, check's row is named.
TEST(Compile, TellsTheRecordedCodeAsCheckDoes) {
  struct Case {
    const char* what;
    std::string line, train;
    bool in_train;
    /// What follows the path in the text report, up to the source line.
    const char* told;
    int line_no;
  };
  const Case cases[] = {
      {"a decimal number", kLine, with(kTrain, "velocita,   0,    80", "velocita,   0,    12.5"),
       true,
       ":9:19: error: speed_kmh \"12.5\": whole numbers only (code 25); write 12 or 13 "
       "[not-whole-number]\nvelocita,   0,    12.5\n                  ^~~~\n",
       9},
      {"no route length", with(kLine, "lunghezza percorso,    20000\r\n", ""), kTrain, false,
       ":1:1: error: code 25: the general section has no route length row", 1},
      {"a speed whose code leaves its byte", kLine,
       with(kTrain, "[stazioni]", "velocita,   800,  2000\r\n[stazioni]"), true,
       ":10:19: error: code 25: the speed 2000 km/h is too high", 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Fixture f(c.line, c.train);
    const auto r = run(f.args());
    EXPECT_EQ(r.status, 1);
    const std::string& path = c.in_train ? f.train_path : f.line_path;
    const size_t at = r.out.find(path + c.told);
    ASSERT_NE(at, std::string::npos) << r.out;
    const auto j = nlohmann::json::parse(run(f.args({"--json"})).out);
    EXPECT_EQ(j["line"], c.line_no);
    // The JSON message is the text report's, without place and rule.
    const size_t from = r.out.find("error: ", at) + 7;
    const std::string message = r.out.substr(from, r.out.find(" [", from) - from);
    EXPECT_EQ(j["message"].get<std::string>().rfind(message, 0), 0u) << j["message"];
  }
}

TEST(Compile, LeavesNoOlderFileBehind) {
  struct Case {
    const char* what;
    std::string line;
    std::vector<std::string> more;
    bool written;
  };
  const Case cases[] = {
      {"a run that writes nothing", with(kLine, "[generale]", "[intro]"), {}, false},
      {"--strict with a code recorded", with(kLine, "curvas4", "curvasx"), {"--strict"}, false},
      {"a clean run replaces them", kLine, {"--strict"}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Fixture f(c.line, kTrain);
    std::filesystem::create_directories(f.out);
    for (const char* name : {"X_linea.dat", "X_T.sim", "X_T.dat"}) {
      write_file(f.out + sep() + name, "older");
    }
    const auto r = run(f.args(std::vector<std::string>(c.more)));
    for (const char* name : {"X_linea.dat", "X_T.sim", "X_T.dat"}) {
      const std::string path = f.out + sep() + name;
      EXPECT_EQ(std::filesystem::exists(path), c.written) << path;
      if (c.written) {
        EXPECT_NE(read_file(path), "older");
      } else {
        EXPECT_NE(r.out.find("removed " + path + " (from an earlier run"), std::string::npos)
            << r.out;
      }
    }
    if (!c.written) {
      EXPECT_NE(r.out.find("no file written"), std::string::npos) << r.out;
    }
  }
}

TEST(Compile, CleanRunWritesThreeFilesAndLeavesTheInputsAlone) {
  Fixture f(kLine, kTrain);
  const auto r = run(f.args({"--json"}));
  ASSERT_EQ(r.status, 0) << r.err;
  const auto j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["error_code"], 0);
  EXPECT_EQ(j["message"], "no code recorded");
  EXPECT_EQ(j["line"], nullptr);
  EXPECT_EQ(j["files"], (nlohmann::json{f.out + sep() + "X_linea.dat", f.out + sep() + "X_T.sim",
                                        f.out + sep() + "X_T.dat"}));
  EXPECT_EQ(read_file(f.line_path), kLine);
  EXPECT_EQ(read_file(f.train_path), kTrain);
  // The cell grid of a 20000 m route: cells 0 .. 540.
  EXPECT_EQ(read_file(f.out + sep() + "X_T.dat").size(), 541u * 15);
}

TEST(Compile, NoPlanLeavesAnOlderPlanFileAsItWas) {
  Fixture f(kLine, kTrain);
  std::filesystem::create_directories(f.out);
  write_file(f.out + sep() + "X_linea.dat", "older");
  const auto r = run(f.args({"--no-plan"}));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(read_file(f.out + sep() + "X_linea.dat"), "older");
  EXPECT_TRUE(std::filesystem::exists(f.out + sep() + "X_T.sim"));
}

TEST(Compile, ReservedSlotTakenIsReportedAndWritesNothing) {
  // A speed board at metre 0 lands in cell 1, where the marker goes.
  Fixture f(with(kLine, "[fine]", "indicatori_vmax,  0,  75,  80,  80,  0,  ,  ,  ,  0\r\n[fine]"),
            kTrain);
  const auto r = run(f.args({"--json"}));
  EXPECT_EQ(r.status, 2);
  const auto j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["fatal"], 1250);
  EXPECT_TRUE(j["files"].empty());
  EXPECT_NE(j["message"].get<std::string>().find("no file written"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(f.out + sep() + "X_T.sim"));
  EXPECT_FALSE(std::filesystem::exists(f.out + sep() + "X_T.dat"));
}

TEST(Compile, LineWithoutGeneralSectionWritesNoFile) {
  Fixture f(with(kLine, "[generale]", "[intro]"), kTrain);
  const auto r = run(f.args({"--json"}));
  EXPECT_EQ(r.status, 1);
  const auto j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["error_code"], 102);
  EXPECT_TRUE(j["files"].empty());
  EXPECT_FALSE(std::filesystem::exists(f.out + sep() + "X_T.dat"));
}

TEST(Compile, UnreadableInputAndBadNamesAreRefusedBeforeCompiling) {
  Fixture f(kLine, kTrain);
  const std::string missing = f.dir / "none.txt";
  const auto no_input =
      run({"compile", f.line_path, missing, "--scenario", "X", "--train", "T", "--out", f.out});
  EXPECT_EQ(no_input.status, 66);
  EXPECT_EQ(no_input.err,
            "scenario_tool: cannot read the train description '" + missing + "': no such file\n");
  EXPECT_FALSE(std::filesystem::exists(f.out));
  const auto folder = run(
      {"compile", f.line_path, f.dir.path(), "--scenario", "X", "--train", "T", "--out", f.out});
  EXPECT_EQ(folder.status, 66);
  EXPECT_EQ(folder.err, "scenario_tool: cannot read the train description '" + f.dir.path() +
                            "': it is a folder; give the text file in it\n");

  const auto slash = run(
      {"compile", f.line_path, f.train_path, "--scenario", "../X", "--train", "T", "--out", f.out});
  EXPECT_EQ(slash.status, 64);
  EXPECT_EQ(run({"compile", f.line_path, f.train_path, "--scenario", "X", "--out", f.out}).status,
            64);
}

// The carried texts compiled by the tool and by the compile stage directly,
// and by the builder itself: the same bytes.
TEST(Compile, CarriedScenarioGivesTheCompileStageAndBuilderBytes) {
  TempDir dir;
  ASSERT_EQ(run({"export-carried", dir / "src"}).status, 0);
  const auto r = run({"compile", dir / "src/LORVENA_linea.txt", dir / "src/LORVENA_KQ3390-.txt",
                      "--scenario", "LORVENA", "--train", "KQ3390", "--out", dir / "out"});
  ASSERT_EQ(r.status, 0) << r.out << r.err;

  const ScenarioData& data = carried_scenario();
  MemoryFileSystem mem;
  const ScenarioFiles files = scenario_files("m", '/', "LORVENA", "KQ3390");
  mem.put(files.line_description, text_file_bytes(data.line_description));
  mem.put(files.train_description, text_file_bytes(data.train_description));
  BuildState st;
  st.scenario_name = "LORVENA";
  st.train_code = "KQ3390";
  const CompileResult direct = memorizza_percorso(st, mem, files, 1);
  ASSERT_EQ(direct.files_written.size(), 3u);
  const char* names[] = {"LORVENA_linea.dat", "LORVENA_KQ3390.sim", "LORVENA_KQ3390.dat"};
  for (const char* name : names) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(read_file(dir / ("out/" + std::string(name))) ==
                mem.read_file("m/" + std::string(name)));
  }
  // The sealed cell 1: marker 5121 and the check code 2380 of LORVENA/KQ3390.
  EXPECT_EQ(read_file(dir / "out/LORVENA_KQ3390.dat").substr(16, 4),
            std::string("\x01\x14\x4c\x09"));

  const char* builder = std::getenv("SCENARIO_BUILDER");
  if (builder == nullptr || *builder == '\0') GTEST_SKIP() << "SCENARIO_BUILDER is not set";
  // The builder writes beside itself, so it runs from a copy.
  std::filesystem::create_directories(dir / "run");
  std::filesystem::copy_file(builder, dir / "run/scenario_builder");
  const std::string command = "'" + (dir / "run/scenario_builder") + "' 2>/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  for (const char* name : names) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(read_file(dir / ("out/" + std::string(name))) ==
                read_file(dir / ("run/" + std::string(name))));
  }
}

TEST(CommandLine, AnswersAsGitWould) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string out_has, err_has;
  };
  const Case cases[] = {
      {{"--version"}, 0, std::string("scenario_tool ") + SCENARIO_VERSION + "\n", ""},
      {{"chek", "a", "b"}, 64, "", "'chek' is not a command; did you mean \"check\"?"},
      {{"compil"}, 64, "", "did you mean \"compile\"?"},
      {{"check", "a", "b", "--werorr"},
       64,
       "",
       "unknown option '--werorr'; did you mean "
       "\"--werror\"?"},
      {{"--verison"}, 64, "", "unknown option '--verison'; did you mean \"--version\"?"},
      {{"--help"}, 0, "example", ""},
      {{"--help"}, 0, "check", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.front());
    const auto r = testing::run(c.args);
    EXPECT_EQ(r.status, c.status);
    EXPECT_NE(r.out.find(c.out_has), std::string::npos) << r.out;
    EXPECT_NE(r.err.find(c.err_has), std::string::npos) << r.err;
  }
}

// `example` writes the folder pack takes; the older `export-carried` keeps
// the names the builder gives the texts, which scripts rely on.
TEST(CommandLine, ExampleWritesPackNamesExportCarriedTheBuilders) {
  testing::TempDir dir;
  const struct {
    const char* command;
    const char* line_text;
    const char* train_text;
  } cases[] = {
      {"example", "line.txt", "train.txt"},
      {"export-carried", "LORVENA_linea.txt", "LORVENA_KQ3390-.txt"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    const std::filesystem::path into = std::filesystem::path(dir / c.command);
    const auto r = testing::run({c.command, into.string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(std::filesystem::is_regular_file(into / c.line_text));
    EXPECT_TRUE(std::filesystem::is_regular_file(into / c.train_text));
  }
}

TEST(CommandLine, DashWritesThePictureToStandardOutput) {
  Fixture f(kLine, kTrain);
  ASSERT_EQ(run(f.args()).status, 0);
  const auto r = run({"draw", f.out, "-o", "-"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.rfind("<", 0), 0u) << r.out.substr(0, 80);
  EXPECT_NE(r.out.find("</svg>"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists("-"));
}

}  // namespace
}  // namespace scenario::tools
