#include "driver/form1.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/platform.h"
#include "sources/scenario_data.h"
#include "sources/text_writer.h"
#include "unit/sources/scoped_temp_dir.h"

namespace scenario {
namespace {

// Platform and file calls in the order they happen, one entry each.
using CallLog = std::vector<std::string>;

class RecordingPlatform : public Platform {
 public:
  explicit RecordingPlatform(CallLog& log) : log_(log) {}
  std::string program_directory() override { return "C:\\giochi"; }
  char path_separator() const override { return '\\'; }
  void show_window(const std::string&, const std::string& label) override {
    log_.push_back("show_window " + label);
  }
  void repaint_window() override { log_.push_back("repaint_window"); }
  void destroy_window() override { log_.push_back("destroy_window"); }
  void message_box(const std::string& text) override { log_.push_back("message_box " + text); }
  void report_unhandled_error(int number, const std::string& description) override {
    log_.push_back("report_unhandled_error " + std::to_string(number) + " " + description);
  }
  void note_recorded_code(int32_t code, int32_t position_m) override {
    log_.push_back("note_recorded_code " + std::to_string(code) + " " +
                   std::to_string(position_m));
  }

 private:
  CallLog& log_;
};

// Files in memory that also put every replace and delete into the log.
class RecordingFileSystem : public MemoryFileSystem {
 public:
  explicit RecordingFileSystem(CallLog& log) : log_(log) {}
  void replace_file(const std::string& path, std::string_view bytes) override {
    log_.push_back("replace_file " + path);
    MemoryFileSystem::replace_file(path, bytes);
  }
  void remove_file(const std::string& path) override {
    log_.push_back("remove_file " + path);
    MemoryFileSystem::remove_file(path);
  }

 private:
  CallLog& log_;
};

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

    std::vector<std::string> reports;
    for (const std::string& call : log) {
      if (call.rfind("report_unhandled_error", 0) == 0 || call.rfind("message_box", 0) == 0) {
        reports.push_back(call);
      }
    }
    EXPECT_EQ(reports, std::vector<std::string>{"report_unhandled_error 70 cannot create '" +
                                                std::string(kTexts[failing]) + "'"});
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
  if (builder == nullptr || *builder == '\0') GTEST_SKIP() << "SCENARIO_BUILDER is not set";

  ScopedTempDir program_dir;
  ScopedTempDir work_dir;
  ScopedTempDir log_dir;
  const std::string exe_name = std::filesystem::path(builder).filename().string();
  const std::filesystem::path exe = program_dir.path() / exe_name;
  std::filesystem::copy_file(builder, exe);
  std::filesystem::permissions(exe, std::filesystem::perms::owner_exec,
                               std::filesystem::perm_options::add);

  const std::filesystem::path err = log_dir.path() / "stderr.txt";
  const std::string command = "cd \"" + work_dir.path().string() + "\" && \"" + exe.string() +
                              "\" 2>\"" + err.string() + "\"";
  const int status = std::system(command.c_str());
  EXPECT_EQ(status, 0) << read_bytes(err);

  EXPECT_TRUE(names_in(work_dir.path()).empty());

  const ScenarioData& data = carried_scenario();
  EXPECT_EQ(read_bytes(program_dir.path() / "LORVENA_KQ3390_note.txt"),
            text_file_bytes(data.notes));
  EXPECT_EQ(read_bytes(program_dir.path() / "LORVENA_KQ3390_rallentamenti.txt"),
            text_file_bytes(data.slowdown_order));
  EXPECT_EQ(read_bytes(program_dir.path() / "LORVENA_KQ3390_scheda_treno.txt"),
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
  EXPECT_EQ(names_in(program_dir.path()), complete_build);

  // A second run replaces every file: the same names, the same bytes.
  const std::string grid_before = read_bytes(program_dir.path() / "LORVENA_KQ3390.dat");
  EXPECT_EQ(std::system(command.c_str()), 0) << read_bytes(err);
  EXPECT_EQ(names_in(program_dir.path()), complete_build);
  EXPECT_EQ(read_bytes(program_dir.path() / "LORVENA_KQ3390.dat"), grid_before);
  EXPECT_EQ(grid_before.size(), 47715u);
}

}  // namespace
}  // namespace scenario
