// What the build does when files fail it: a source text that is missing or
// cannot be deleted, an output file that cannot be written.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "driver/form1.h"
#include "output/compile_stage.h"
#include "output/file_naming.h"
#include "platform/file_system.h"
#include "platform/memory_file_system.h"
#include "platform/platform.h"
#include "sources/scenario_data.h"
#include "sources/text_writer.h"
#include "support/recording_platform.h"
#include "support/scoped_temp_dir.h"

namespace scenario {
namespace {

using test_support::CallLog;
using test_support::calls_named;
using test_support::RecordingPlatform;
using test_support::ScopedTempDir;

const char kDir[] = "C:\\sim";

ScenarioFiles carried_files(const std::string& dir, char separator) {
  const ScenarioData& data = carried_scenario();
  return scenario_files(dir, separator, std::string(data.scenario_name),
                        std::string(data.train_code));
}

std::set<std::string> names_in(const MemoryFileSystem& fs) {
  std::set<std::string> names;
  for (const auto& [path, bytes] : fs.files()) names.insert(path);
  return names;
}

// The three binary files of an undisturbed build, by name.
std::map<std::string, std::string> clean_build_outputs() {
  CallLog log;
  RecordingPlatform platform(log, kDir);
  MemoryFileSystem fs;
  Form1 form(platform, fs, carried_scenario());
  EXPECT_EQ(form.Form_Load(), Form1::kExitDone);
  const ScenarioFiles files = carried_files(kDir, '\\');
  std::map<std::string, std::string> out;
  for (const std::string& name : {files.line_plan, files.train_file, files.cell_grid}) {
    out[name] = fs.read_file(name);
  }
  return out;
}

TEST(FileFaults, MissingTrainTextEndsTheReadWithCode25AndTheBuildGoesOn) {
  const ScenarioData& data = carried_scenario();
  const ScenarioFiles files = carried_files(kDir, '\\');
  MemoryFileSystem fs;
  write_text_file(fs, files.line_description, data.line_description);
  BuildState st;
  st.scenario_name = data.scenario_name;
  st.train_code = data.train_code;

  const CompileResult result = memorizza_percorso(st, fs, files, 1);

  EXPECT_EQ(st.error_code, 25);
  EXPECT_FALSE(fs.has(files.line_description));
  EXPECT_FALSE(fs.has(files.train_description));
  // The line was read whole; nothing of the train reached the table.
  EXPECT_EQ(result.fatal_code, 0);
  EXPECT_EQ(result.files_written,
            (std::vector<std::string>{files.line_plan, files.train_file, files.cell_grid}));
  EXPECT_EQ(fs.read_file(files.cell_grid).size(), 47715u);
  EXPECT_EQ(st.stations[1].name, "");
  EXPECT_EQ(st.stations[kTrainValuesSlot].area_end_m, 152000);
}

// The compile step deletes what it has read; a text that refuses deletion is
// a failure of the platform, reported as an unhandled error. No binary file
// is written, and the texts after the refusing one are not touched.
TEST(FileFaults, ASourceTextThatCannotBeDeletedEndsTheRunWithTheUnhandledErrorReport) {
  const ScenarioFiles files = carried_files(kDir, '\\');
  const std::set<std::string> documents = {files.notes, files.slowdown_order,
                                           files.timetable_sheet};
  struct Row {
    std::string undeletable;
    std::set<std::string> sources_left;
  };
  const Row rows[] = {
      // Refused at the end of the line text: the train text is never reached.
      {files.line_description, {files.line_description, files.train_description}},
      // Refused at the end of the train text: the line text is already gone.
      {files.train_description, {files.train_description}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.undeletable);
    CallLog log;
    RecordingPlatform platform(log, kDir);
    MemoryFileSystem fs;
    fs.forbid_remove(row.undeletable);
    Form1 form(platform, fs, carried_scenario());

    EXPECT_EQ(form.Form_Load(), Form1::kExitUnhandledError);
    EXPECT_EQ(calls_named(log, "report_unhandled_error"),
              std::vector<std::string>{"70 cannot delete '" + row.undeletable + "'"});
    EXPECT_TRUE(calls_named(log, "message_box").empty());
    std::set<std::string> expected = documents;
    expected.insert(row.sources_left.begin(), row.sources_left.end());
    EXPECT_EQ(names_in(fs), expected);
  }
}

// The output files are written one after the other with no retry: the one
// that fails is reported, those before it are whole, those after it absent.
TEST(FileFaults, AnOutputFileThatCannotBeWrittenIsReportedAndTheEarlierOnesStayComplete) {
  const std::map<std::string, std::string> clean = clean_build_outputs();
  const ScenarioFiles files = carried_files(kDir, '\\');
  const std::vector<std::string> order = {files.line_plan, files.train_file, files.cell_grid};
  for (size_t failing = 0; failing < order.size(); ++failing) {
    SCOPED_TRACE(order[failing]);
    CallLog log;
    RecordingPlatform platform(log, kDir);
    MemoryFileSystem fs;
    fs.forbid_write(order[failing]);
    Form1 form(platform, fs, carried_scenario());

    EXPECT_EQ(form.Form_Load(), Form1::kExitUnhandledError);
    EXPECT_EQ(calls_named(log, "report_unhandled_error"),
              std::vector<std::string>{"70 cannot create '" + order[failing] + "'"});
    for (size_t k = 0; k < order.size(); ++k) {
      if (k < failing) {
        ASSERT_TRUE(fs.has(order[k])) << order[k];
        EXPECT_EQ(fs.read_file(order[k]), clean.at(order[k])) << order[k];
      } else {
        EXPECT_FALSE(fs.has(order[k])) << order[k];
      }
    }
    // Both source texts were consumed before the output step.
    EXPECT_FALSE(fs.has(files.line_description));
    EXPECT_FALSE(fs.has(files.train_description));
  }
}

std::string read_disk_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// On a real disk: a directory standing where the train file goes cannot be
// opened as a file. The report carries the host's reason, the line plan
// written before it is whole, and the cell grid file never comes.
TEST(FileFaults, OnDiskADirectoryInPlaceOfTheTrainFileStopsTheOutputThere) {
  const std::map<std::string, std::string> clean = clean_build_outputs();
  const ScopedTempDir dir;
  const std::string& dir_text = dir.path();
  const ScenarioFiles files = carried_files(dir_text, '/');
  std::filesystem::create_directory(files.train_file);

  CallLog log;
  RecordingPlatform platform(log, dir_text, '/');
  DiskFileSystem fs;
  Form1 form(platform, fs, carried_scenario());

  EXPECT_EQ(form.Form_Load(), Form1::kExitUnhandledError);
  const std::vector<std::string> reports = calls_named(log, "report_unhandled_error");
  ASSERT_EQ(reports.size(), 1u);
  // The same report on every host: a path/file access error.
  const std::string expected_start = "75 cannot create '" + files.train_file + "': is a directory";
  EXPECT_EQ(reports[0].substr(0, expected_start.size()), expected_start);

  const ScenarioFiles memory_names = carried_files(kDir, '\\');
  EXPECT_EQ(read_disk_file(files.line_plan), clean.at(memory_names.line_plan));
  EXPECT_TRUE(std::filesystem::is_directory(files.train_file));
  EXPECT_FALSE(std::filesystem::exists(files.cell_grid));
  EXPECT_FALSE(std::filesystem::exists(files.line_description));
  EXPECT_FALSE(std::filesystem::exists(files.train_description));
}

}  // namespace
}  // namespace scenario
