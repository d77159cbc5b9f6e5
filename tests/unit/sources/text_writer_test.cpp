#include "sources/text_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "sources/scenario_data.h"
#include "support/scoped_temp_dir.h"

namespace scenario {
namespace {

using test_support::ScopedTempDir;

std::string read_bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(TextWriter, WritesEveryEntryBeforeTheEndMarkerWithCrLf) {
  struct Case {
    std::vector<std::string_view> table;
    std::string bytes;
  };
  const Case cases[] = {
      // Blanks at both ends and empty entries are written as they stand.
      {{"a", "", " b ", "", kEndMarker}, "a\r\n\r\n b \r\n\r\n"},
      // The end marker first: an empty file.
      {{kEndMarker, "never"}, ""},
      // Entries after the end marker are never looked at.
      {{"x", kEndMarker, "y", kEndMarker}, "x\r\n"},
      // Only the exact text ends the table: a different case or a blank more
      // is an ordinary line.
      {{"Riferimento fine del file", "riferimento fine del file ", kEndMarker},
       "Riferimento fine del file\r\nriferimento fine del file \r\n"},
      // Code-page bytes go through unchanged, one byte each.
      {{"citt\xE0", kEndMarker}, "citt\xE0\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.bytes));
    EXPECT_EQ(text_file_bytes(c.table), c.bytes);
  }
}

TEST(TextWriter, HoldsAThousandLinesAndRefusesATableWithoutItsEndMarker) {
  std::vector<std::string_view> table(1000, "riga");
  table.push_back(kEndMarker);
  const std::string bytes = text_file_bytes(table);
  EXPECT_EQ(bytes.size(), 1000u * 6);
  EXPECT_EQ(bytes.substr(bytes.size() - 12), "riga\r\nriga\r\n");

  // A 1001st line pushes the end marker out of the line table.
  table.insert(table.begin(), "riga");
  EXPECT_THROW(text_file_bytes(table), std::length_error);

  const std::vector<std::string_view> no_marker = {"a", "b"};
  EXPECT_THROW(text_file_bytes(no_marker), std::length_error);
  EXPECT_THROW(text_file_bytes({}), std::length_error);
}

TEST(TextWriter, ReplacesALongerFileOnDiskWithoutRemains) {
  ScopedTempDir dir;
  const std::string path = dir / "LORVENA_linea.txt";
  {
    std::ofstream old(path, std::ios::binary);
    old << std::string(5000, 'x');
  }
  DiskFileSystem disk;
  const std::vector<std::string_view> table = {"[generale]", "[fine]", kEndMarker};
  write_text_file(disk, path, table);
  EXPECT_EQ(read_bytes(path), "[generale]\r\n[fine]\r\n");
}

TEST(TextWriter, CreatesAMissingFile) {
  ScopedTempDir dir;
  const std::string path = dir / "nuovo.txt";
  DiskFileSystem disk;
  const std::vector<std::string_view> table = {"uno", kEndMarker};
  write_text_file(disk, path, table);
  EXPECT_EQ(read_bytes(path), "uno\r\n");

  // An empty table still leaves a file, of zero bytes.
  const std::vector<std::string_view> empty = {kEndMarker};
  write_text_file(disk, path, empty);
  EXPECT_TRUE(std::filesystem::is_regular_file(path));
  EXPECT_EQ(std::filesystem::file_size(path), 0u);
}

TEST(TextWriter, FailsWithAFileErrorWhereNoFileCanBeCreated) {
  ScopedTempDir dir;
  const std::string path = dir / "assente" + "/nuovo.txt";
  DiskFileSystem disk;
  const std::vector<std::string_view> table = {"uno", kEndMarker};
  EXPECT_THROW(write_text_file(disk, path, table), FileError);
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

}  // namespace
}  // namespace scenario
