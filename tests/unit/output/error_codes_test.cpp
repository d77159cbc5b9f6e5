#include "output/error_codes.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "model/error_code.h"

namespace scenario {
namespace {

TEST(ErrorCodes, EveryRecordedCodeHasItsOwnMeaningAndOthersAreUnknown) {
  // Spelt out rather than taken from the table: a row lost from it must fail.
  const int32_t recorded[] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10,  11,  12,  13,   15,  16,
                              17, 18, 19, 20, 21, 22, 24, 25, 26, 101, 102, 103, 1250, 1251};
  std::set<std::string> seen;
  for (int32_t code : recorded) {
    SCOPED_TRACE(code);
    const std::string meaning(error_code_meaning(code));
    EXPECT_NE(meaning, "");
    EXPECT_NE(meaning, "unknown code");
    EXPECT_TRUE(seen.insert(meaning).second) << "shared with another code: " << meaning;
  }
  EXPECT_EQ(error_code_meaning(0), "");
  for (int32_t code : {14, 23, 27, 100, 104, 1252, -1}) {
    SCOPED_TRACE(code);
    EXPECT_EQ(error_code_meaning(code), "unknown code");
  }
  EXPECT_EQ(std::size(recorded) + 1, kErrorCodes.size());
}

TEST(ErrorCodes, OnlyTheReservedSlotCodesAreFatal) {
  for (const ErrorCodeInfo& info : kErrorCodes) {
    SCOPED_TRACE(info.code);
    EXPECT_EQ(info.fatal(), info.code == 1250 || info.code == 1251);
    EXPECT_EQ(info.fatal(), info.files == FilesWritten::kNone);
  }
}

// The README's table of codes, one row per code, as the table in
// model/error_code.h says it.
[[maybe_unused]] std::string readme_row(const ErrorCodeInfo& info) {
  auto either = [](std::string_view text, std::string_view plain) {
    return std::string(text.empty() ? plain : text);
  };
  std::string position = either(info.position_text, "unchanged");
  std::string left = either(info.texts_left_text,
                            info.texts_left == TextsLeft::kTrainText ? "train text" : "none");
  std::string files;
  switch (info.files) {
    case FilesWritten::kWritten:
      files = either(info.files_text, "written");
      break;
    case FilesWritten::kIfGrid:
      files = std::string(info.files_text);
      break;
    case FilesWritten::kNoGrid:
      files = either(info.files_text, "none (no grid)");
      break;
    case FilesWritten::kNone:
      files = either(info.files_text, "none; exit status 2");
      break;
  }
  return "| " + std::to_string(info.code) + " | " + std::string(info.condition) + " | " + position +
         " | " + left + " | " + files + " |";
}

// The rows of the README's code table: after the heading, the table's lines
// that start with a code (the file-fault row "—" is not one).
[[maybe_unused]] std::vector<std::string> readme_code_rows(std::istream& readme) {
  std::vector<std::string> rows;
  bool in_section = false;
  bool in_table = false;
  for (std::string line; std::getline(readme, line);) {
    if (line.rfind("## ", 0) == 0) {
      if (in_section) break;
      in_section = line == "## Error codes and outcomes";
      continue;
    }
    if (!in_section) continue;
    if (line.rfind("|", 0) != 0) {
      if (in_table) break;
      continue;
    }
    in_table = true;
    if (line.size() > 2 && line[2] >= '0' && line[2] <= '9') rows.push_back(line);
  }
  return rows;
}

TEST(ErrorCodes, TheReadmeTableSaysWhatTheTableOfCodesSays) {
#ifndef SCENARIO_README_PATH
  GTEST_SKIP() << "the README is checked by the native build";
#else
  std::ifstream readme(SCENARIO_README_PATH);
  ASSERT_TRUE(readme) << SCENARIO_README_PATH;
  std::vector<std::string> expected;
  std::string table;
  for (const ErrorCodeInfo& info : kErrorCodes) {
    expected.push_back(readme_row(info));
    table += expected.back() + "\n";
  }
  EXPECT_EQ(readme_code_rows(readme), expected)
      << "the README's rows, as model/error_code.h gives them:\n"
      << table;
#endif
}

}  // namespace
}  // namespace scenario
