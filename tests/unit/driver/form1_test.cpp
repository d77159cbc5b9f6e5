#include "driver/form1.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/memory_file_system.h"
#include "platform/platform.h"
#include "sources/scenario_data.h"
#include "sources/scenario_payload.h"
#include "sources/text_writer.h"
#include "support/recording_platform.h"
#include "support/scoped_temp_dir.h"

namespace scenario {
namespace {

using test_support::CallLog;
using test_support::calls_named;
using test_support::RecordingFileSystem;
using test_support::RecordingPlatform;
using test_support::ScopedTempDir;

const char* const kTexts[] = {
    "C:\\giochi\\LORVENA_linea.txt",
    "C:\\giochi\\LORVENA_KQ3390-.txt",
    "C:\\giochi\\LORVENA_KQ3390_note.txt",
    "C:\\giochi\\LORVENA_KQ3390_rallentamenti.txt",
    "C:\\giochi\\LORVENA_KQ3390_scheda_treno.txt",
};

TEST(BuildRun, ShowsTheWaitingWindowThenWritesTheFiveTextsInOrder) {
  CallLog log;
  RecordingPlatform platform(log);
  RecordingFileSystem fs(log);
  Form1 form(platform, fs, carried_scenario());
  form.Form_Load();

  EXPECT_EQ(form.state().scenario_name, "LORVENA");
  EXPECT_EQ(form.state().train_code, "KQ3390");
  const CallLog expected_start = {
      "show_window Attendere",
      "repaint_window",
      std::string("replace_file ") + kTexts[0],
      std::string("replace_file ") + kTexts[1],
      std::string("replace_file ") + kTexts[2],
      std::string("replace_file ") + kTexts[3],
      std::string("replace_file ") + kTexts[4],
  };
  ASSERT_GE(log.size(), expected_start.size());
  EXPECT_EQ(CallLog(log.begin(), log.begin() + expected_start.size()), expected_start);

  // The three documents stay, as the writer makes them.
  const ScenarioData& data = carried_scenario();
  EXPECT_EQ(fs.read_file(kTexts[2]), text_file_bytes(data.notes));
  EXPECT_EQ(fs.read_file(kTexts[3]), text_file_bytes(data.slowdown_order));
  EXPECT_EQ(fs.read_file(kTexts[4]), text_file_bytes(data.timetable_sheet));
}

// A text that cannot be written ends the run there: the standard error report
// with the error's number and description, no later step, and the texts
// written before it left on disk.
TEST(BuildRun, AFileThatCannotBeWrittenEndsTheRunWithTheUnhandledErrorReport) {
  for (size_t failing = 0; failing < std::size(kTexts); ++failing) {
    SCOPED_TRACE(kTexts[failing]);
    CallLog log;
    RecordingPlatform platform(log);
    RecordingFileSystem fs(log);
    fs.forbid_write(kTexts[failing]);
    Form1 form(platform, fs, carried_scenario());

    EXPECT_EQ(form.Form_Load(), Form1::kExitUnhandledError);

    EXPECT_EQ(calls_named(log, "report_unhandled_error"),
              std::vector<std::string>{"70 cannot create '" + std::string(kTexts[failing]) + "'"});
    EXPECT_TRUE(calls_named(log, "message_box").empty());
    std::set<std::string> files;
    for (const auto& [path, bytes] : fs.files()) files.insert(path);
    EXPECT_EQ(files, std::set<std::string>(kTexts, kTexts + failing));
    // No file operation after the failing one: the later steps never ran.
    const auto failed =
        std::find(log.begin(), log.end(), std::string("replace_file ") + kTexts[failing]);
    ASSERT_NE(failed, log.end());
    EXPECT_EQ(std::count_if(failed + 1, log.end(),
                            [](const std::string& call) {
                              return call.rfind("replace_file", 0) == 0 ||
                                     call.rfind("remove_file", 0) == 0;
                            }),
              0);
  }
}

// A scenario of its own: a 2 km route whose speed board at metre 0 takes
// cell 1, the cell that sealing reserves.
constexpr std::string_view kBoardAtZeroLine[] = {
    "[generale]", "lunghezza percorso,    2000",
    "[cartelli]", "indicatori_vmax,  0,  75,  80,  80,  0,  ,  ,  ,  0",
    "[fine]",     kEndMarker,
};
constexpr std::string_view kPlainTrain[] = {"[generale]", "[fine]", kEndMarker};
constexpr std::string_view kNoDocument[] = {kEndMarker};

// The only message box of a run: the reserved slot is taken, the box shows the
// code, and the run ends with status 2 before any binary file is written.
TEST(BuildRun, ATakenReservedSlotShowsErroreAndWritesNoBinaryFile) {
  const ScenarioData board_at_zero{"ZERO",      "T1",        kBoardAtZeroLine, kPlainTrain,
                                   kNoDocument, kNoDocument, kNoDocument};
  CallLog log;
  RecordingPlatform platform(log);
  RecordingFileSystem fs(log);
  Form1 form(platform, fs, board_at_zero);

  EXPECT_EQ(form.Form_Load(), Form1::kExitReservedSlot);

  EXPECT_EQ(calls_named(log, "message_box"), std::vector<std::string>{" Errore n. 1250"});
  EXPECT_TRUE(calls_named(log, "report_unhandled_error").empty());
  EXPECT_TRUE(calls_named(log, "note_recorded_code").empty());
  // The box comes after both texts were consumed, and the window goes last.
  const std::vector<std::string> removed = calls_named(log, "remove_file");
  EXPECT_EQ(removed,
            (std::vector<std::string>{"C:\\giochi\\ZERO_linea.txt", "C:\\giochi\\ZERO_T1-.txt"}));
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), "destroy_window");
  std::set<std::string> files;
  for (const auto& [path, bytes] : fs.files()) files.insert(path);
  EXPECT_EQ(files, (std::set<std::string>{"C:\\giochi\\ZERO_T1_note.txt",
                                          "C:\\giochi\\ZERO_T1_rallentamenti.txt",
                                          "C:\\giochi\\ZERO_T1_scheda_treno.txt"}));
}

std::string read_bytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::set<std::string> names_in(const std::filesystem::path& dir) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

// The real builder, copied elsewhere and started from a third directory: the
// files land next to the program, never in the working directory.
TEST(BuildRun, TheBuilderWritesNextToItselfNotIntoTheWorkingDirectory) {
  const char* builder = std::getenv("SCENARIO_BUILDER");
  // The build sets it for the host's own builder; the Windows step leaves it
  // unset, as this test starts the builder through a POSIX shell command line
  // (that step runs the Windows builder itself instead).
  if (builder == nullptr || *builder == '\0') GTEST_SKIP() << "SCENARIO_BUILDER is not set";

  ScopedTempDir program;
  ScopedTempDir work;
  ScopedTempDir log;
  const std::filesystem::path program_dir = program.path();
  const std::filesystem::path work_dir = work.path();
  const std::string exe_name = std::filesystem::path(builder).filename().string();
  const std::filesystem::path exe = program_dir / exe_name;
  std::filesystem::copy_file(builder, exe);
  std::filesystem::permissions(exe, std::filesystem::perms::owner_exec,
                               std::filesystem::perm_options::add);

  const std::filesystem::path err = log / "stderr.txt";
  const std::string command =
      "cd \"" + work_dir.string() + "\" && \"" + exe.string() + "\" 2>\"" + err.string() + "\"";
  const int status = std::system(command.c_str());
  EXPECT_EQ(status, 0) << read_bytes(err);

  EXPECT_TRUE(names_in(work_dir).empty());

  const ScenarioData& data = carried_scenario();
  EXPECT_EQ(read_bytes(program_dir / "LORVENA_KQ3390_note.txt"), text_file_bytes(data.notes));
  EXPECT_EQ(read_bytes(program_dir / "LORVENA_KQ3390_rallentamenti.txt"),
            text_file_bytes(data.slowdown_order));
  EXPECT_EQ(read_bytes(program_dir / "LORVENA_KQ3390_scheda_treno.txt"),
            text_file_bytes(data.timetable_sheet));

  // What a build leaves: the program, the three documents and the three
  // compiled files; the two description texts are consumed.
  const std::set<std::string> complete_build = {
      exe_name,
      "LORVENA_KQ3390_note.txt",
      "LORVENA_KQ3390_rallentamenti.txt",
      "LORVENA_KQ3390_scheda_treno.txt",
      "LORVENA_linea.dat",
      "LORVENA_KQ3390.sim",
      "LORVENA_KQ3390.dat",
  };
  EXPECT_EQ(names_in(program_dir), complete_build);

  // A second run replaces every file: the same names, the same bytes.
  const std::string grid_before = read_bytes(program_dir / "LORVENA_KQ3390.dat");
  EXPECT_EQ(std::system(command.c_str()), 0) << read_bytes(err);
  EXPECT_EQ(names_in(program_dir), complete_build);
  EXPECT_EQ(read_bytes(program_dir / "LORVENA_KQ3390.dat"), grid_before);
  EXPECT_EQ(grid_before.size(), 47715u);
}

// The start reads the end of its own file: a payload there is the scenario,
// none builds the compiled-in one, a damaged one stops before anything.
class StartTest : public ::testing::Test {
 protected:
  std::string program_with(const std::string& tail) {
    const std::string path = (dir_ / "scenario_builder");
    std::ofstream(path, std::ios::binary) << "\x7f"
                                             "ELF program bytes"
                                          << tail;
    return path;
  }
  static ScenarioTexts prova() {
    ScenarioTexts s;
    s.scenario_name = "PROVA";
    s.train_code = "T1";
    // No route length: the compile records code 25 and writes no binary file,
    // enough to see the start hand the payload to the build run.
    s.text(TextKind::kLineDescription) = "[generale]\n[fine]\n";
    s.text(TextKind::kTrainDescription) = "[generale]\n[fine]\n";
    s.text(TextKind::kNotes) = "Citt\xe0\n";
    s.text(TextKind::kSlowdownOrder) = "";
    s.text(TextKind::kTimetableSheet) = "\t7.45";
    return s;
  }

  ScopedTempDir dir_;
};

TEST_F(StartTest, APayloadIsTheScenarioAndNamesTheWindow) {
  CallLog log;
  RecordingPlatform platform(log);
  platform.executable = program_with(payload_bytes(prova()));
  RecordingFileSystem fs(log);
  EXPECT_EQ(start_build(platform, fs, carried_scenario()), Form1::kExitDone);
  EXPECT_EQ(platform.title, "PROVA");
  EXPECT_EQ(fs.read_file("C:\\giochi\\PROVA_T1_note.txt"), "Citt\xe0\r\n");
  EXPECT_EQ(fs.read_file("C:\\giochi\\PROVA_T1_rallentamenti.txt"), "");
  EXPECT_EQ(fs.read_file("C:\\giochi\\PROVA_T1_scheda_treno.txt"), "\t7.45\r\n");
  EXPECT_FALSE(fs.has(kTexts[2]));
}

TEST_F(StartTest, WithoutAPayloadTheCompiledInScenarioIsBuilt) {
  CallLog log;
  RecordingPlatform platform(log);
  platform.executable = program_with("");
  RecordingFileSystem fs(log);
  EXPECT_EQ(start_build(platform, fs, carried_scenario()), Form1::kExitDone);
  EXPECT_EQ(platform.title, "LORVENA");
  EXPECT_EQ(fs.read_file(kTexts[2]), text_file_bytes(carried_scenario().notes));
}

TEST_F(StartTest, ADamagedPayloadStopsBeforeAnythingWithItsReason) {
  std::string tail = payload_bytes(prova());
  tail[3] ^= 0x01;
  CallLog log;
  RecordingPlatform platform(log);
  platform.executable = program_with(tail);
  RecordingFileSystem fs(log);
  EXPECT_EQ(start_build(platform, fs, carried_scenario()), Form1::kExitScenarioDamaged);
  EXPECT_EQ(log, CallLog{"message_box Scenario data damaged: checksum mismatch"});
  EXPECT_TRUE(fs.files().empty());
}

TEST_F(StartTest, AnUnreadableProgramFileIsAnUnhandledErrorNotTheCompiledInScenario) {
  CallLog log;
  RecordingPlatform platform(log);
  platform.executable = (dir_ / "gone");
  RecordingFileSystem fs(log);
  EXPECT_EQ(start_build(platform, fs, carried_scenario()), Form1::kExitUnhandledError);
  EXPECT_EQ(log,
            CallLog{"report_unhandled_error 75 cannot open the program's file " + (dir_ / "gone")});
  EXPECT_TRUE(fs.files().empty());
}

}  // namespace
}  // namespace scenario
